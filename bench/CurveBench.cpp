// Closest point on a random cubic curve of 20 spans: MFnNurbsCurve's query
// (span hierarchy + Newton) beside a brute-force search over points sampled
// densely enough to be as accurate (spacing along the curve <= 2 x 1e-3, so
// the nearest sample is within 1e-3 of the nearest curve point). Time per
// iteration is the time of one query, in ns.
#include <maya/MFnNurbsCurve.h>
#include <maya/MFnNurbsCurveData.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace
{
constexpr double kTolerance = 1e-3;
constexpr int kSpans = 20;
constexpr int kDegree = 3;

/// A random walk of CVs (a wandering curve), clamped uniform knots.
void RandomCubic(MPointArray& cvs, MDoubleArray& knots)
{
    std::mt19937_64 rng(2022);
    std::uniform_real_distribution<double> stride(-2.0, 2.0);
    MPoint cv;
    for (int i = 0; i < kSpans + kDegree; ++i)
    {
        cvs.append(cv);
        cv += MVector(stride(rng) + 1.0, stride(rng), stride(rng));
    }
    for (int i = 0; i < kDegree - 1; ++i)
        knots.append(0.0);
    for (int i = 0; i <= kSpans; ++i)
        knots.append(i);
    for (int i = 0; i < kDegree - 1; ++i)
        knots.append(kSpans);
}

struct Scene
{
    MObject data;
    MFnNurbsCurve fn;
    /// Query points, uniform in the CVs' box grown by a quarter each way.
    std::vector<MPoint> queries;
    /// Samples at equal arc-length steps of at most 2 * kTolerance, stored
    /// by coordinate so the scan vectorises.
    std::vector<double> xs, ys, zs;
};

const Scene& SharedScene()
{
    static const Scene scene = []
    {
        Scene s;
        MPointArray cvs;
        MDoubleArray knots;
        RandomCubic(cvs, knots);
        s.data = MFnNurbsCurveData().create();
        s.fn.create(cvs, knots, kDegree, MFnNurbsCurve::kOpen, false, false, s.data);

        MPoint lo = cvs[0], hi = cvs[0];
        for (const MPoint& p : cvs)
            for (unsigned a = 0; a < 3; ++a)
            {
                lo[a] = std::min(lo[a], p[a]);
                hi[a] = std::max(hi[a], p[a]);
            }
        std::mt19937_64 rng(7);
        std::uniform_real_distribution<double> u(-0.25, 1.25);
        s.queries.resize(4096);
        for (MPoint& q : s.queries)
            q = MPoint(lo.x + (hi.x - lo.x) * u(rng), lo.y + (hi.y - lo.y) * u(rng),
                       lo.z + (hi.z - lo.z) * u(rng));

        const double length = s.fn.length();
        const int count = static_cast<int>(std::ceil(length / (2.0 * kTolerance)));
        for (int i = 0; i <= count; ++i)
        {
            MPoint p;
            s.fn.getPointAtParam(s.fn.findParamFromLength(length * i / count), p);
            s.xs.push_back(p.x);
            s.ys.push_back(p.y);
            s.zs.push_back(p.z);
        }
        return s;
    }();
    return scene;
}

double BruteForceDistance(const Scene& s, const MPoint& q)
{
    double best = HUGE_VAL;
    const size_t n = s.xs.size();
    for (size_t i = 0; i < n; ++i)
    {
        const double dx = s.xs[i] - q.x, dy = s.ys[i] - q.y, dz = s.zs[i] - q.z;
        best = std::min(best, dx * dx + dy * dy + dz * dz);
    }
    return std::sqrt(best);
}

void BM_ClosestPoint(benchmark::State& state)
{
    const Scene& s = SharedScene();
    const double tolerance = state.range(0) == 0 ? 0.0 : kTolerance;
    // Accuracy beside the brute force, over every query, outside the timing.
    double worst = 0.0;
    for (const MPoint& q : s.queries)
        worst = std::max(worst,
                         s.fn.closestPoint(q, nullptr, tolerance).distanceTo(q) - BruteForceDistance(s, q));
    size_t i = 0;
    for (auto _ : state)
    {
        double param;
        benchmark::DoNotOptimize(s.fn.closestPoint(s.queries[i], &param, tolerance, MSpace::kObject));
        benchmark::DoNotOptimize(param);
        i = (i + 1) % s.queries.size();
    }
    state.counters["max_worse_than_sampling"] = worst;
    state.counters["samples"] = static_cast<double>(s.xs.size());
}
// Arg 1: the default tolerance 1e-3; arg 0: exact.
BENCHMARK(BM_ClosestPoint)->Arg(1)->Arg(0);

/// The path of the steering benchmark (a cubic of three spans through a cube
/// of side 464 cm) and particles spread through that cube: most of them lie
/// far from the curve compared with its bends.
struct FlockScene
{
    MObject data;
    MFnNurbsCurve fn;
    std::vector<MPoint> queries;
};

const FlockScene& SharedFlockScene()
{
    static const FlockScene scene = []
    {
        FlockScene s;
        MPointArray cvs;
        for (int k = 0; k < 6; ++k)
            cvs.append(MPoint(-200.0 + 80.0 * k, 60.0 * std::sin(k), 40.0 * std::cos(k)));
        MDoubleArray knots;
        for (const double u : {0.0, 0.0, 0.0, 1.0, 2.0, 3.0, 3.0, 3.0})
            knots.append(u);
        s.data = MFnNurbsCurveData().create();
        s.fn.create(cvs, knots, 3, MFnNurbsCurve::kOpen, false, false, s.data);
        std::mt19937_64 rng(11);
        std::uniform_real_distribution<double> u(-232.0, 232.0);
        s.queries.resize(4096);
        for (MPoint& q : s.queries)
            q = MPoint(u(rng), u(rng), u(rng));
        return s;
    }();
    return scene;
}

void BM_ClosestPointFlock(benchmark::State& state)
{
    const FlockScene& s = SharedFlockScene();
    const double tolerance = state.range(0) == 0 ? 0.0 : kTolerance;
    size_t i = 0;
    for (auto _ : state)
    {
        double param;
        benchmark::DoNotOptimize(s.fn.closestPoint(s.queries[i], &param, tolerance, MSpace::kObject));
        benchmark::DoNotOptimize(param);
        i = (i + 1) % s.queries.size();
    }
}
BENCHMARK(BM_ClosestPointFlock)->Arg(1)->Arg(0);

void BM_ClosestPointBruteForce(benchmark::State& state)
{
    const Scene& s = SharedScene();
    size_t i = 0;
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(BruteForceDistance(s, s.queries[i]));
        i = (i + 1) % s.queries.size();
    }
    state.counters["samples"] = static_cast<double>(s.xs.size());
}
BENCHMARK(BM_ClosestPointBruteForce);

void BM_FindParamFromLength(benchmark::State& state)
{
    const Scene& s = SharedScene();
    const double length = s.fn.length();
    double l = 0.0;
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(s.fn.findParamFromLength(l));
        l += length * 0.618034;
        if (l > length)
            l -= length;
    }
}
BENCHMARK(BM_FindParamFromLength);

void BM_GetPointAtParam(benchmark::State& state)
{
    const Scene& s = SharedScene();
    double u = 0.0;
    MPoint p;
    for (auto _ : state)
    {
        s.fn.getPointAtParam(u, p);
        benchmark::DoNotOptimize(p);
        u += kSpans * 0.618034;
        if (u > kSpans)
            u -= kSpans;
    }
}
BENCHMARK(BM_GetPointAtParam);

// Building the curve and its tables (what create and setCVs cost).
void BM_Create(benchmark::State& state)
{
    MPointArray cvs;
    MDoubleArray knots;
    RandomCubic(cvs, knots);
    const MObject data = MFnNurbsCurveData().create();
    MFnNurbsCurve fn;
    for (auto _ : state)
        benchmark::DoNotOptimize(fn.create(cvs, knots, kDegree, MFnNurbsCurve::kOpen, false, false, data));
}
BENCHMARK(BM_Create)->Unit(benchmark::kMicrosecond);
} // namespace

BENCHMARK_MAIN();
