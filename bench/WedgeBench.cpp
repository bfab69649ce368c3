// The wedge machinery against the same runs made by hand: 8 wedges of the
// demo scene (maximum speed 10 to 40 by two seeds, its 240 frames, PDC caches),
// one at a time and two at a time, as `volarix wedge --local N` and as
// `volarix run` commands with the wedges' --set and --seed started the same
// way. The difference is what planning, checking the scene, renaming into
// place, measuring and collecting (table and contact sheet) cost.
#include "SlurmJob.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace
{
const std::vector<std::string> kSpeeds = {"10", "20", "30", "40"};
const std::vector<std::string> kSeeds = {"1", "2"};

fs::path Scratch()
{
    return fs::temp_directory_path() / "vx_bench_wedge";
}

void RemoveScratch()
{
    std::error_code ignored;
    fs::remove_all(Scratch(), ignored);
}

void Check(benchmark::State& state, int status, const std::string& output)
{
    if (status != 0)
        state.SkipWithError(output.c_str());
}

void BM_ByHand(benchmark::State& state)
{
    const auto parallel = static_cast<std::size_t>(state.range(0));
    const std::string threads =
        std::to_string(std::max<std::size_t>(1, std::thread::hardware_concurrency() / parallel));
    std::vector<std::vector<std::string>> runs;
    for (const std::string& speed : kSpeeds)
        for (const std::string& seed : kSeeds)
            runs.push_back({VOLARIX_BIN, "run", VOLARIX_DEMO, "--quiet", "--json", "--threads",
                            threads, "--set", "swarm.maximumSpeed=" + speed, "--seed", seed, "--cache",
                            (Scratch() / ("hand" + std::to_string(runs.size()))).string()});
    for (auto _ : state)
    {
        RemoveScratch();
        // `parallel` at a time, each batch waited for, as a hand-written
        // loop with `&` and `wait` would.
        for (std::size_t first = 0; first < runs.size(); first += parallel)
        {
            std::vector<std::thread> batch;
            std::vector<int> status(parallel, 0);
            std::vector<std::string> output(parallel);
            for (std::size_t i = first; i < std::min(runs.size(), first + parallel); ++i)
                batch.emplace_back([&, i, first] { status[i - first] = RunCapturing(runs[i], output[i - first]); });
            for (std::thread& run : batch)
                run.join();
            for (std::size_t i = 0; i < batch.size(); ++i)
                Check(state, status[i], output[i]);
        }
    }
    RemoveScratch();
}
BENCHMARK(BM_ByHand)->Arg(1)->Arg(2)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(2);

void BM_Wedge(benchmark::State& state)
{
    const std::string parallel = std::to_string(state.range(0));
    for (auto _ : state)
    {
        RemoveScratch();
        std::string output;
        Check(state,
              RunCapturing({VOLARIX_BIN, "wedge", VOLARIX_DEMO, "--vary", "swarm.maximumSpeed=10,20,30,40", "--seeds",
                            "1:2", "--out", (Scratch() / "wedge").string(), "--local", parallel,
                            "--quiet"},
                           output),
              output);
    }
    RemoveScratch();
}
BENCHMARK(BM_Wedge)->Arg(1)->Arg(2)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(2);
} // namespace

BENCHMARK_MAIN();
