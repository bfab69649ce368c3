// Nanoseconds per call of the round and box shapes' queries, on a spread of
// points and rays around each shape.
#include "BoxVolume.h"
#include "CapsuleVolume.h"
#include "SphereVolume.h"

#include <maya/MEulerRotation.h>

#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

namespace
{
MTransformationMatrix Placement()
{
    MTransformationMatrix m;
    m.rotateTo(MEulerRotation(0.3, 0.7, -0.2));
    m.setTranslation(MVector(1, 2, 3), MSpace::kTransform);
    return m;
}

std::unique_ptr<Volume> MakeShape(int kind)
{
    const MTransformationMatrix m = Placement();
    const MPoint centre(m.getTranslation(MSpace::kWorld));
    std::unique_ptr<Volume> shape;
    switch (kind)
    {
    case 0:
        shape = std::make_unique<SphereVolume>(centre, 3.0);
        break;
    case 1:
        shape = std::make_unique<CapsuleVolume>(centre, 1.5, 4.0, m);
        break;
    default:
        shape = std::make_unique<BoxVolume>(centre, 4.0, 3.0, 2.0, m);
        break;
    }
    shape->SetMargin(0.5);
    shape->InitVolume();
    return shape;
}

const std::vector<MPoint>& Points()
{
    static const std::vector<MPoint> points = []
    {
        std::mt19937 rng(7);
        std::uniform_real_distribution<double> u(-6.0, 8.0);
        std::vector<MPoint> p(4096);
        for (MPoint& q : p)
        {
            const double x = u(rng);
            const double y = u(rng);
            const double z = u(rng);
            q = MPoint(x, y, z);
        }
        return p;
    }();
    return points;
}

void BM_IsPointInVolume(benchmark::State& state)
{
    const std::unique_ptr<Volume> shape = MakeShape(static_cast<int>(state.range(0)));
    const std::vector<MPoint>& points = Points();
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(shape->IsPointInVolume(points[i++ & 4095]));
}

void BM_GetFalloff(benchmark::State& state)
{
    const std::unique_ptr<Volume> shape = MakeShape(static_cast<int>(state.range(0)));
    const std::vector<MPoint>& points = Points();
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(shape->GetFalloff(points[i++ & 4095]));
}

// Rays from the sample points towards the shape's centre, so most of them hit.
void BM_GetRayIntersection(benchmark::State& state)
{
    const std::unique_ptr<Volume> shape = MakeShape(static_cast<int>(state.range(0)));
    const std::vector<MPoint>& points = Points();
    const MPoint centre = shape->GetCentre();
    MPoint hit;
    MVector normal;
    MVector reflected;
    std::size_t i = 0;
    for (auto _ : state)
    {
        const MPoint& origin = points[i++ & 4095];
        benchmark::DoNotOptimize(shape->GetRayIntersection(origin, centre - origin + MVector(0.3, -0.2, 0.1),
                                                           hit, normal, reflected, true));
    }
}

// 0 sphere, 1 capsule, 2 box.
void Shapes(benchmark::internal::Benchmark* b)
{
    b->ArgName("shape")->Arg(0)->Arg(1)->Arg(2);
}
BENCHMARK(BM_IsPointInVolume)->Apply(Shapes);
BENCHMARK(BM_GetFalloff)->Apply(Shapes);
BENCHMARK(BM_GetRayIntersection)->Apply(Shapes);
} // namespace

BENCHMARK_MAIN();
