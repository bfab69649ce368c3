// The cost of particle caches in a run: one frame of a 100k-particle scene
// through the host with the plug-in (as `volarix run` steps it), without a
// cache and with one file per frame in each format, in the same run. The
// goal is a cache that costs at most a tenth of the frame. The writes alone
// are timed too. The files are written on a thread of their own while the
// next frame steps, so a frame costs less than stepping plus writing.
#include "BenchScene.h"
#include "CacheRecorder.h"

#include "dg/DataObjects.h"
#include "dg/Scene.h"
#include "dynamics/Dynamics.h"

#include <vxhost/CommandEngine.h>
#include <vxhost/MessageLog.h>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

namespace
{
constexpr long kParticles = kBenchSceneParticles;

// The cache formats by benchmark argument; -1 for no cache.
constexpr vxhost::CacheFormat kFormats[] = {vxhost::CacheFormat::kPdc, vxhost::CacheFormat::kPly,
                                            vxhost::CacheFormat::kCsv};

std::filesystem::path CacheDir()
{
    return std::filesystem::temp_directory_path() / "vx_bench_cache";
}

std::unique_ptr<CacheRecorder> Recorder(benchmark::State& state)
{
    if (state.range(0) < 0)
        return nullptr;
    std::filesystem::remove_all(CacheDir());
    auto recorder = std::make_unique<CacheRecorder>(CacheDir().string(), kFormats[state.range(0)]);
    std::string error;
    if (!recorder->Prepare(error))
        state.SkipWithError(error.c_str());
    state.SetLabel(vxhost::CacheFormatName(kFormats[state.range(0)]));
    return recorder;
}

// A frame as `volarix run` makes it: step, then write every shape's cache.
void BM_Frame(benchmark::State& state)
{
    if (!LoadBenchScene(state))
        return;
    std::unique_ptr<CacheRecorder> recorder = Recorder(state);
    if (state.range(0) < 0)
        state.SetLabel("no cache");
    vxhost::Dynamics& dynamics = vxhost::Dynamics::Get();
    std::string error;
    for (auto _ : state)
    {
        const double frame = dynamics.CurrentFrame() + 1.0;
        if (!dynamics.SetCurrentFrame(frame))
            state.SkipWithError("a frame failed");
        if (recorder && !recorder->Record(frame, error))
            state.SkipWithError(error.c_str());
    }
    // The last frame's files are written untimed: one write in many frames.
    if (recorder && !recorder->Finish(error))
        state.SkipWithError(error.c_str());
    state.SetItemsProcessed(state.iterations() * kParticles);
    if (recorder)
        state.counters["MB/frame"] =
            static_cast<double>(recorder->BytesWritten()) / 1e6 / static_cast<double>(state.iterations());
    std::filesystem::remove_all(CacheDir());
}
BENCHMARK(BM_Frame)
    ->Arg(-1)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(3.0);

// Only the caching part of a frame, back to back: each Record waits for the
// writer to finish the previous frame, so this is the time a frame's files
// take to capture and write.
void BM_CacheWrite(benchmark::State& state)
{
    if (!LoadBenchScene(state))
        return;
    std::unique_ptr<CacheRecorder> recorder = Recorder(state);
    std::string error;
    for (auto _ : state)
        if (!recorder->Record(1.0, error))
            state.SkipWithError(error.c_str());
    if (!recorder->Finish(error))
        state.SkipWithError(error.c_str());
    state.SetItemsProcessed(state.iterations() * kParticles);
    std::filesystem::remove_all(CacheDir());
}
BENCHMARK(BM_CacheWrite)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
} // namespace

BENCHMARK_MAIN();
