// One frame of a 100k-particle system through the host's graph (a scene
// script, the field's compute pulled through plugs, the host's integration)
// beside the solver core alone stepping the same flock, in the same run.
#include "BenchCloud.h"

#include "dg/DataObjects.h"
#include "dg/Scene.h"
#include "dynamics/Dynamics.h"

#include <vxhost/CommandEngine.h>
#include <vxhost/MessageLog.h>

#include <benchmark/benchmark.h>

namespace
{
constexpr long kParticles = 100'000;

// The settings of BenchSettings(), as a scene sets them.
const char* kScene = R"(
loadPlugin "particleVolarix";
particle -n flock;
createNode particleVolarix -n swarm;
setAttr swarm.maximumSpeed 50;
setAttr swarm.maximumForce 20;
setAttr swarm.boidSeparation 4;
setAttr swarm.obstacleSeparation 1;
setAttr swarm.numberOfNeighbours 8;
setAttr swarm.flockCentringUrge 0.5;
setAttr swarm.velocityMatchingUrge 0.5;
connectDynamic -f swarm flock;
)";

void SetFlock(const char* shape)
{
    auto node = vxhost::Scene::Get().Find(shape);
    auto set = [&](const char* attribute, const MVectorArray& value)
    {
        MPlug(node, node->PathTo(node->FindAttribute(attribute)))
            .setMObject(MObject(std::make_shared<vxhost::VectorArrayData>(value)));
    };
    set("position", SharedCloud(kParticles));
    set("velocity", BenchCloud(kParticles, 43, 10.0));
}

void BM_GraphFrame(benchmark::State& state)
{
    vxhost::SetMessageEcho(false);
    vxhost::Scene::Get().Reset();
    vxhost::Dynamics::Get().Reset();
    if (!vxhost::CommandEngine::Instance().RunScript(kScene, "bench.mel"))
    {
        state.SkipWithError("the scene failed: is particleVolarix.so beside the benchmark?");
        return;
    }
    SetFlock("flockShape");
    vxhost::Dynamics& dynamics = vxhost::Dynamics::Get();
    for (auto _ : state)
        if (!dynamics.SetCurrentFrame(dynamics.CurrentFrame() + 1.0))
            state.SkipWithError("a frame failed");
    state.SetItemsProcessed(state.iterations() * kParticles);
}
BENCHMARK(BM_GraphFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// The same frame without the host: the core's evaluation and the same
// integration, on arrays owned by the benchmark.
void BM_SolverCoreFrame(benchmark::State& state)
{
    MVectorArray positions = SharedCloud(kParticles);
    MVectorArray velocities = BenchCloud(kParticles, 43, 10.0);
    const FlockSettings settings = BenchSettings();
    FieldEvaluator field;
    FieldInput input;
    input.positions = &positions;
    input.velocities = &velocities;
    input.deltaTime = 1.0 / 24.0;
    MVectorArray forces;
    for (auto _ : state)
    {
        field.Evaluate(input, settings, forces);
        for (unsigned i = 0; i < positions.length(); ++i)
        {
            velocities[i] += forces[i] * input.deltaTime;
            positions[i] += velocities[i] * input.deltaTime;
        }
    }
    state.SetItemsProcessed(state.iterations() * kParticles);
}
BENCHMARK(BM_SolverCoreFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
} // namespace

BENCHMARK_MAIN();
