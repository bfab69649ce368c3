// The built-in demo scene for 240 frames, as `volarix` runs it: stepping
// only, and with everything the program writes (a PDC cache per frame, a
// picture per frame and the summary picture). Frames per second on all
// cores are the counter to read.
#include "DemoScene.h"
#include "SceneRun.h"

#include "dg/Scene.h"

#include <vxhost/MessageLog.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>

namespace
{
constexpr double kFrames = 240.0;

void BM_Demo(benchmark::State& state)
{
    const bool outputs = state.range(0) != 0;
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "vx_bench_demo";
    SceneRunOptions options;
    options.scene = "demo.mel";
    options.sceneText = DemoScene();
    options.frameRange = true;
    options.startFrame = 1.0;
    options.endFrame = kFrames;
    options.progress = false;
    options.quiet = true;
    if (outputs)
    {
        options.cacheDir = (dir / "cache").string();
        options.playblastDir = (dir / "playblast").string();
    }
    state.SetLabel(outputs ? "cache + playblast" : "stepping only");
    vxhost::SetMessageEcho(false);
    std::FILE* sink = std::fopen("/dev/null", "w");
    for (auto _ : state)
    {
        vxhost::Scene::Get().Reset();
        if (RunScene(options, sink) != 0)
            state.SkipWithError("the demo scene failed");
    }
    std::fclose(sink);
    std::filesystem::remove_all(dir);
    state.counters["fps"] =
        benchmark::Counter(kFrames * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Demo)->Arg(0)->Arg(1)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(2);
} // namespace

BENCHMARK_MAIN();
