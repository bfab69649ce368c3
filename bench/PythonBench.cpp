// The volarix Python package against what it wraps, in one process with
// the interpreter embedded:
// - cmds.setAttr in a Python loop against the same loop in MEL (and against
//   a saved scene's literal setAttr statements);
// - volarix.particles on a 1M-particle shape against a plain copy of the
//   same arrays into fresh buffers (what NumPy's allocation costs too);
// - volarix.run against the volarix program's own frame loop, both
//   stepping the demo scene from the start frame.
#include "DemoScene.h"
#include "FrameRun.h"

#include "dg/Scene.h"

#include <vxhost/CommandEngine.h>
#include <vxhost/MessageLog.h>

#include <benchmark/benchmark.h>
#include <pybind11/embed.h>

#include <cstring>
#include <memory>
#include <vector>

namespace py = pybind11;

namespace
{
constexpr int kSetAttrCalls = 10000;
constexpr long kParticles = 1'000'000;
constexpr double kRunFrames = 120.0;

py::dict& Globals()
{
    static py::dict globals = py::module_::import("__main__").attr("__dict__");
    return globals;
}

bool RunMel(const std::string& script)
{
    const bool ran = static_cast<bool>(vxhost::CommandEngine::Instance().RunScript(script));
    vxhost::ClearMessages(); // the log would otherwise grow every run
    return ran;
}

void MakeTarget()
{
    vxhost::SetMessageEcho(false);
    vxhost::Scene::Get().Reset();
    RunMel("createNode transform -n benchTarget;");
}

void BM_CmdsSetAttr(benchmark::State& state)
{
    MakeTarget();
    py::exec(R"(
import volarix.cmds as cmds
channels = ["tx", "ty", "tz", "rx", "ry", "rz", "sx", "sy", "sz"]
def set_attrs(count):
    for i in range(count):
        cmds.setAttr("benchTarget." + channels[i % 9], i % 97 + 0.5)
)",
             Globals());
    const py::object setAttrs = Globals()["set_attrs"];
    for (auto _ : state)
        setAttrs(kSetAttrCalls);
    state.SetItemsProcessed(state.iterations() * kSetAttrCalls);
}
BENCHMARK(BM_CmdsSetAttr)->Unit(benchmark::kMillisecond)->UseRealTime();

// The Python loop written in MEL.
void BM_MelSetAttrLoop(benchmark::State& state)
{
    MakeTarget();
    const std::string script = "string $channels[] = {\"tx\", \"ty\", \"tz\", \"rx\", \"ry\", \"rz\", \"sx\", \"sy\", "
                               "\"sz\"};\n"
                               "for ($i = 0; $i < " +
                               std::to_string(kSetAttrCalls) +
                               "; $i++)\n"
                               "    setAttr (\"benchTarget.\" + $channels[$i % 9]) ($i % 97 + 0.5);\n";
    for (auto _ : state)
        if (!RunMel(script))
            state.SkipWithError("the script failed");
    state.SetItemsProcessed(state.iterations() * kSetAttrCalls);
}
BENCHMARK(BM_MelSetAttrLoop)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same values as literal statements, as a saved scene holds them.
void BM_MelSetAttrStatements(benchmark::State& state)
{
    MakeTarget();
    static const char* const kChannels[] = {"tx", "ty", "tz", "rx", "ry", "rz", "sx", "sy", "sz"};
    std::string script;
    for (int i = 0; i < kSetAttrCalls; ++i)
        script += std::string("setAttr benchTarget.") + kChannels[i % 9] + " " + std::to_string(i % 97) + ".5;\n";
    for (auto _ : state)
        if (!RunMel(script))
            state.SkipWithError("the script failed");
    state.SetItemsProcessed(state.iterations() * kSetAttrCalls);
}
BENCHMARK(BM_MelSetAttrStatements)->Unit(benchmark::kMillisecond)->UseRealTime();

// A shape of kParticles particles with positions, velocities, ids and ages.
void MakeMillion()
{
    vxhost::SetMessageEcho(false);
    vxhost::Scene::Get().Reset();
    py::exec(R"(
import numpy as np, volarix, volarix.cmds as cmds
_, shape = cmds.particle(n="million")
rng = np.random.default_rng(7)
volarix.set_particles(shape, {"position": rng.uniform(-100, 100, (count, 3)),
                              "velocity": rng.uniform(-10, 10, (count, 3))})
)",
             Globals(), py::dict(py::arg("count") = kParticles));
}

void BM_Particles(benchmark::State& state)
{
    MakeMillion();
    const py::object particles = py::module_::import("volarix").attr("particles");
    std::size_t bytes = 0;
    for (auto _ : state)
    {
        const py::dict arrays = particles("millionShape");
        bytes = 0;
        for (const auto& item : arrays)
            bytes += item.second.attr("nbytes").cast<std::size_t>();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
}
BENCHMARK(BM_Particles)->Unit(benchmark::kMillisecond)->UseRealTime();

// What BM_Particles returns, copied with memcpy from arrays of the same
// sizes into buffers allocated for the copy.
void BM_CopyArrays(benchmark::State& state)
{
    MakeMillion();
    const py::dict arrays = py::module_::import("volarix").attr("particles")("millionShape");
    std::vector<std::vector<double>> sources;
    std::size_t bytes = 0;
    for (const auto& item : arrays)
    {
        sources.emplace_back(item.second.attr("size").cast<std::size_t>(), 1.0);
        bytes += sources.back().size() * sizeof(double);
    }
    for (auto _ : state)
        for (const std::vector<double>& source : sources)
        {
            const std::unique_ptr<double[]> copy(new double[source.size()]);
            std::memcpy(copy.get(), source.data(), source.size() * sizeof(double));
            benchmark::DoNotOptimize(copy.get());
            benchmark::ClobberMemory();
        }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_CopyArrays)->Unit(benchmark::kMillisecond)->UseRealTime();

bool LoadDemo(benchmark::State& state)
{
    vxhost::SetMessageEcho(false);
    vxhost::Scene::Get().Reset();
    if (RunMel(DemoScene()))
        return true;
    state.SkipWithError("the demo scene failed: is particleVolarix.so built?");
    return false;
}

// The volarix program's loop after its script: frames 1 to kRunFrames, no
// files, from the start frame each time.
void BM_FrameRun(benchmark::State& state)
{
    if (!LoadDemo(state))
        return;
    SceneRunOptions options;
    options.scene = "demo.mel";
    options.frameRange = true;
    options.startFrame = 1.0;
    options.endFrame = kRunFrames;
    for (auto _ : state)
    {
        FrameRun run;
        SceneRunSummary summary;
        std::string error;
        if (!run.Prepare(options, error) || !run.Run(summary, error))
            state.SkipWithError(error.c_str());
    }
    state.counters["fps"] = benchmark::Counter(kRunFrames * static_cast<double>(state.iterations()),
                                               benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FrameRun)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PythonRun(benchmark::State& state)
{
    if (!LoadDemo(state))
        return;
    const py::object run = py::module_::import("volarix").attr("run");
    const py::tuple frames = py::make_tuple(1, static_cast<int>(kRunFrames));
    for (auto _ : state)
        run(py::arg("frames") = frames);
    state.counters["fps"] = benchmark::Counter(kRunFrames * static_cast<double>(state.iterations()),
                                               benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PythonRun)->Unit(benchmark::kMillisecond)->UseRealTime();
} // namespace

int main(int argc, char** argv)
{
    const py::scoped_interpreter interpreter;
    py::module_::import("sys").attr("path").attr("insert")(0, VOLARIX_PYTHON_DIR);
    py::module_::import("volarix.cmds").attr("loadPlugin")("particleVolarix");
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
