// A million-particle frame as `volarix run` steps it (bench/scenes/million.mel:
// one field, one target, no cache) beside the bare evaluation of the same
// particles by a FieldEvaluator of the benchmark's own, and what the run
// holds per particle. The goal: a frame within 1.1 times the bare
// evaluation, and at most 400 bytes per particle at the run's peak.
//
// The frame and the bare evaluations are timed in turns, frame by frame, on
// the state the frame is about to step, and the ratios are medians over the
// frames: the machine is shared, and a load that comes and goes then weighs
// on both alike.
#include "BenchCloud.h"
#include "PeakMemory.h"

#include "dg/DataObjects.h"
#include "dg/Node.h"
#include "dg/Scene.h"
#include "dynamics/Dynamics.h"
#include "dynamics/ParticleNode.h"

#include <maya/MFnDependencyNode.h>
#include <maya/MFnMatrixData.h>
#include <maya/MPlug.h>
#include <vxhost/CommandEngine.h>
#include <vxhost/MessageLog.h>

#include <benchmark/benchmark.h>

#include <tbb/global_control.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace
{
using Clock = std::chrono::steady_clock;

// Frames after the start frame for the memory figures: the first step keeps
// the start state, the later ones must allocate nothing more.
constexpr double kMemoryFrames = 4.0;

/// Loads million.mel into a fresh host; false (with the benchmark skipped)
/// when it fails.
bool LoadMillionScene(benchmark::State& state)
{
    vxhost::SetMessageEcho(false);
    vxhost::Scene::Get().Reset();
    if (!vxhost::CommandEngine::Instance().RunScriptFile(VOLARIX_MILLION_SCENE))
    {
        state.SkipWithError("million.mel failed: is particleVolarix.so beside the benchmark?");
        return false;
    }
    return true;
}

/// The array a node holds for a plug, or null.
template <typename Data>
auto* ArrayAt(const std::shared_ptr<vxhost::Node>& node, const vxhost::Attribute* attribute, int index = -1)
{
    using Array = decltype(Data::value);
    if (!node)
        return static_cast<Array*>(nullptr);
    vxhost::PlugPath path = node->PathTo(attribute);
    if (index >= 0)
        path.back().index = index;
    const vxhost::DataNode* value = node->FindData(path);
    Data* data = value ? Data::From(value->data) : nullptr;
    return data ? &data->value : nullptr;
}

const MVectorArray* ParticleArray(const MObject& attribute)
{
    return ArrayAt<vxhost::VectorArrayData>(vxhost::Scene::Get().Find("flockShape"),
                                            vxhost::Attribute::From(attribute));
}

/// What the field is handed for the flock: its arrays, read in place, and
/// the step.
FieldInput SceneInput()
{
    FieldInput input;
    input.positions = ParticleArray(vxhost::Particle().position);
    input.velocities = ParticleArray(vxhost::Particle().velocity);
    input.deltaTime = vxhost::Dynamics::Get().StepTime().as(MTime::kSeconds);
    return input;
}

/// The goal as the field gathers it, read through the field's target[0]
/// plugs by child index (the order the entity commands keep).
bool GatherGoal(TargetData& targets)
{
    MStatus status;
    const MFnDependencyNode field(vxhost::Scene::Get().Find("swarm")->Object());
    const MPlug target = field.findPlug("target", false, &status).elementByLogicalIndex(0, &status);
    if (!status)
        return false;
    const auto child = [&](unsigned c) { return target.child(c); };
    MObject matrixData;
    if (!child(2).getValue(matrixData))
        return false;
    const MPlug volume = child(11);
    targets.Clear();
    targets.count = 1;
    targets.steeringTypes.append(child(0).asInt());
    targets.arrivalDistances.append(child(1).asMDistance().asCentimeters());
    targets.weights.append(child(4).asDouble());
    targets.wanderModes.append(child(8).asInt());
    targets.wanderParameters.append(
        MPoint(child(6).asDouble(), child(7).asDouble(), child(15).asDouble(), 1.0));
    targets.volumeTypes.append(child(10).asInt());
    targets.influenceMethods.append(child(13).asInt());
    targets.useCurveVolumes.append(child(14).asBool() ? 1 : 0);
    targets.curveDirLimits.append(child(9).asBool() ? 1 : 0);
    targets.reverseCurveDirections.append(child(18).asBool() ? 1 : 0);
    targets.containmentSeparationMins.append(child(17).asDouble());
    targets.AppendTransform(MFnMatrixData(matrixData).matrix());
    targets.volumeDimensions.append(MPoint(volume.child(0).asMDistance().asCentimeters(),
                                           volume.child(1).asMDistance().asCentimeters(),
                                           volume.child(2).asMDistance().asCentimeters(), 1.0));
    targets.containments.append(0);
    targets.BuildVolumes();
    return true;
}

bool SameBits(const MVectorArray& a, const MVectorArray& b)
{
    return a.length() == b.length() &&
           (a.length() == 0 || std::memcmp(&a[0], &b[0], sizeof(MVector) * a.length()) == 0);
}

/// Whether the bare evaluation does the field's work: from the start state
/// and one seed, its forces and the field's first ones agree to the bit.
bool SameForcesAsTheField(FieldEvaluator& bare, const FlockSettings& settings)
{
    MVectorArray forces;
    vxhost::CommandEngine& engine = vxhost::CommandEngine::Instance();
    if (!engine.RunScript("seed 7;") || !GatherGoal(bare.targets) ||
        !bare.Evaluate(SceneInput(), settings, forces) || !engine.RunScript("seed 7; currentTime 2;"))
        return false;
    const MVectorArray* fieldForces = ArrayAt<vxhost::VectorArrayData>(
        vxhost::Scene::Get().Find("flockShape"), vxhost::Attribute::From(vxhost::Particle().inputForce), 0);
    return fieldForces && SameBits(forces, *fieldForces);
}

/// Bytes of the data objects under value not counted yet: a node hands its
/// arrays along connections without copying them, so one array can be the
/// value of several plugs.
double NewDataBytes(const vxhost::DataNode& value, std::set<const void*>& seen)
{
    double bytes = 0.0;
    if (const void* object = value.data.HostImpl().get(); object && seen.insert(object).second)
        bytes += static_cast<double>(vxhost::DataBytes(value.data));
    for (const vxhost::DataNode& child : value.children)
        bytes += NewDataBytes(child, seen);
    for (const auto& entry : value.elements)
        bytes += NewDataBytes(*entry.second, seen);
    return bytes;
}

double NewDataBytes(const std::map<const vxhost::Attribute*, std::unique_ptr<vxhost::DataNode>>& values,
                    std::set<const void*>& seen)
{
    double bytes = 0.0;
    for (const auto& entry : values)
        bytes += NewDataBytes(*entry.second, seen);
    return bytes;
}

// The run's peaks from before the scene is loaded to the last frame, and
// what is held at the end: the particle shape's arrays (the force its field
// hands it included), the field node's arrays that the shape does not share,
// the start state the dynamics keeps for going back, and the rest (the
// field's evaluator, mostly).
void BM_RunMemory(benchmark::State& state)
{
    for (auto _ : state)
    {
        vxhost::Scene::Get().Reset();
        const std::size_t heapBase = peak_memory::Current();
        const std::size_t residentBase = peak_memory::Resident();
        peak_memory::ResetPeak();
        const bool residentPeak = peak_memory::ResetResidentPeak();
        if (!LoadMillionScene(state))
            return;
        vxhost::Dynamics& dynamics = vxhost::Dynamics::Get();
        if (!dynamics.SetCurrentFrame(dynamics.StartFrame() + 1.0))
            state.SkipWithError("a frame failed");
        const std::size_t heapAfterFirst = peak_memory::Current();
        const std::size_t allocatedAfterFirst = peak_memory::Allocated();
        if (!dynamics.SetCurrentFrame(dynamics.StartFrame() + kMemoryFrames))
            state.SkipWithError("a frame failed");
        state.PauseTiming();
        const auto shape = vxhost::Scene::Get().Find("flockShape");
        const double n = static_cast<double>(SceneInput().positions->length());
        std::set<const void*> seen;
        const double particleBytes = NewDataBytes(shape->values, seen);
        const double fieldBytes = NewDataBytes(vxhost::Scene::Get().Find("swarm")->values, seen);
        const auto* keptValues = dynamics.KeptValues(*shape);
        const double kept = keptValues ? NewDataBytes(*keptValues, seen) : 0.0;
        const double heap = static_cast<double>(peak_memory::Current() - heapBase);
        state.counters["heap_peak_B"] = static_cast<double>(peak_memory::Peak() - heapBase) / n;
        state.counters["heap_end_B"] = heap / n;
        // The frames after the first must reuse the arrays they need.
        state.counters["growth_per_frame_B"] =
            (static_cast<double>(peak_memory::Current()) - static_cast<double>(heapAfterFirst)) / n /
            (kMemoryFrames - 1.0);
        state.counters["allocated_per_frame_B"] =
            static_cast<double>(peak_memory::Allocated() - allocatedAfterFirst) / n / (kMemoryFrames - 1.0);
        if (residentPeak)
            state.counters["rss_peak_B"] =
                (static_cast<double>(peak_memory::ResidentPeak()) - static_cast<double>(residentBase)) / n;
        state.counters["shape_B"] = particleBytes / n;
        state.counters["kept_B"] = kept / n;
        state.counters["field_node_B"] = fieldBytes / n;
        state.counters["rest_B"] = (heap - particleBytes - kept - fieldBytes) / n;
        vxhost::Scene::Get().Reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_RunMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

/// The middle of the values (the upper one of an even count).
double Median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

// Arg: threads for every parallel loop (0: every core), as `volarix run
// --threads` caps them. "ratio" is the median over the frames of a frame's
// time over the bare evaluation's (with the goal) just before it;
// "ratio_to_flock_only" sets it beside an evaluation of the flock alone,
// which leaves out what the target costs.
void BM_RunFrame(benchmark::State& state)
{
    std::unique_ptr<tbb::global_control> threads;
    if (state.range(0) > 0)
        threads = std::make_unique<tbb::global_control>(tbb::global_control::max_allowed_parallelism,
                                                        static_cast<std::size_t>(state.range(0)));
    state.SetLabel(state.range(0) > 0 ? std::to_string(state.range(0)) + " thread(s)" : "every core");
    if (!LoadMillionScene(state))
        return;
    const FlockSettings settings = BenchSettings();
    FieldEvaluator bare;
    if (!SameForcesAsTheField(bare, settings))
    {
        state.SkipWithError("the bare evaluation does not give the field's forces");
        return;
    }
    vxhost::Dynamics& dynamics = vxhost::Dynamics::Get();
    MVectorArray forces;
    // As FieldBench's BM_Evaluate runs it: the flock alone, no target.
    FieldEvaluator flockOnly;
    std::vector<double> frames;
    std::vector<double> evaluations;
    std::vector<double> flockOnlyEvaluations;
    std::vector<double> ratios;
    std::vector<double> flockOnlyRatios;
    const auto seconds = [](Clock::time_point from, Clock::time_point to)
    { return std::chrono::duration<double>(to - from).count(); };
    for (auto _ : state)
    {
        const Clock::time_point start = Clock::now();
        if (!flockOnly.Evaluate(SceneInput(), settings, forces))
            state.SkipWithError("the bare evaluation failed");
        const Clock::time_point flockEvaluated = Clock::now();
        if (!GatherGoal(bare.targets) || !bare.Evaluate(SceneInput(), settings, forces))
            state.SkipWithError("the bare evaluation failed");
        const Clock::time_point evaluated = Clock::now();
        if (!dynamics.SetCurrentFrame(dynamics.CurrentFrame() + 1.0))
            state.SkipWithError("a frame failed");
        const Clock::time_point stepped = Clock::now();
        frames.push_back(seconds(evaluated, stepped));
        evaluations.push_back(seconds(flockEvaluated, evaluated));
        flockOnlyEvaluations.push_back(seconds(start, flockEvaluated));
        ratios.push_back(frames.back() / evaluations.back());
        flockOnlyRatios.push_back(frames.back() / flockOnlyEvaluations.back());
        state.SetIterationTime(frames.back());
    }
    state.counters["frame_ms"] = Median(frames) * 1e3;
    state.counters["evaluate_ms"] = Median(evaluations) * 1e3;
    state.counters["ratio"] = Median(ratios);
    state.counters["flock_only_ms"] = Median(flockOnlyEvaluations) * 1e3;
    state.counters["ratio_to_flock_only"] = Median(flockOnlyRatios);
    state.SetItemsProcessed(state.iterations() * static_cast<long>(SceneInput().positions->length()));
    vxhost::Scene::Get().Reset();
}
BENCHMARK(BM_RunFrame)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(9);

// What a FieldEvaluator keeps between evaluations of a million particles
// (the scene's start state), with the goal and without entities, array by
// array as far as its accessors show them.
void BM_EvaluatorMemory(benchmark::State& state)
{
    const bool goal = state.range(0) != 0;
    state.SetLabel(goal ? "one target" : "no entities");
    for (auto _ : state)
    {
        state.PauseTiming();
        if (!LoadMillionScene(state))
            return;
        const FieldInput input = SceneInput();
        const double n = static_cast<double>(input.positions->length());
        MVectorArray forces(input.positions->length());
        const std::size_t base = peak_memory::Current();
        peak_memory::ResetPeak();
        state.ResumeTiming();
        {
            FieldEvaluator field;
            if (goal && !GatherGoal(field.targets))
                state.SkipWithError("the goal cannot be read");
            if (!field.Evaluate(input, BenchSettings(), forces))
                state.SkipWithError("the evaluation failed");
            field.targets.Clear();
            state.PauseTiming();
            const double held = static_cast<double>(peak_memory::Current() - base);
            state.counters["held_B"] = held / n;
            state.counters["peak_B"] = static_cast<double>(peak_memory::Peak() - base) / n;
            // What the public accessors show of it; the rest is private
            // (the in-order pass's results, the finite and steered lists).
            const FlockParameters& p = field.Parameters();
            double caches = static_cast<double>(p.numberOfNeighbours.cache.capacity() * sizeof(int));
            for (const ParameterEntry<double>* entry :
                 {&p.simulationAccuracy, &p.boidSeparation, &p.obstacleSeparation, &p.maximumSpeed,
                  &p.maximumForce, &p.boidSeparationUrge, &p.flockCentringUrge, &p.velocityMatchingUrge})
                caches += static_cast<double>(entry->cache.capacity() * sizeof(double));
            const double wander = static_cast<double>(p.wanderStates.capacity() * sizeof(MVector));
            const double tree = static_cast<double>(field.Tree().HeldBytes());
            state.counters["parameter_caches_B"] = caches / n;
            state.counters["wander_states_B"] = wander / n;
            state.counters["tree_B"] = tree / n;
            state.counters["private_B"] = (held - caches - wander - tree) / n;
            state.ResumeTiming();
        }
    }
    vxhost::Scene::Get().Reset();
}
BENCHMARK(BM_EvaluatorMemory)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(1);
} // namespace

BENCHMARK_MAIN();
