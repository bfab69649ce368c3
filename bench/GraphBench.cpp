// One frame of a 100k-particle system through the host's graph (a scene
// script, the field's compute pulled through plugs, the host's integration)
// beside the solver core alone stepping the same flock, in the same run;
// and the same frame with an expression animating a transform, as a
// technical director animates a target without keys.
#include "BenchScene.h"

namespace
{
constexpr long kParticles = kBenchSceneParticles;

void BM_GraphFrame(benchmark::State& state)
{
    if (!LoadBenchScene(state))
        return;
    vxhost::Dynamics& dynamics = vxhost::Dynamics::Get();
    for (auto _ : state)
        if (!dynamics.SetCurrentFrame(dynamics.CurrentFrame() + 1.0))
            state.SkipWithError("a frame failed");
    state.SetItemsProcessed(state.iterations() * kParticles);
}
BENCHMARK(BM_GraphFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

void BM_GraphFrameWithExpression(benchmark::State& state)
{
    if (!LoadBenchScene(state))
        return;
    if (!vxhost::CommandEngine::Instance().RunScript(
            "createNode transform -n goal;\n"
            "expression -s \"goal.translateX = sin(time) * 20; goal.translateZ = frame;\" -o goal -n moveGoal;"))
    {
        state.SkipWithError("the expression failed");
        return;
    }
    vxhost::Dynamics& dynamics = vxhost::Dynamics::Get();
    for (auto _ : state)
        if (!dynamics.SetCurrentFrame(dynamics.CurrentFrame() + 1.0))
            state.SkipWithError("a frame failed");
    state.SetItemsProcessed(state.iterations() * kParticles);
}
BENCHMARK(BM_GraphFrameWithExpression)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

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
