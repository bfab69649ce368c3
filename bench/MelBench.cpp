// The scene script's interpreter on its two typical loads: a tight loop of
// arithmetic on ints (what procedures that build scenes do between
// commands), and a long script of setAttr statements on one node (what a
// saved scene is).
#include <vxhost/CommandEngine.h>
#include <vxhost/MessageLog.h>

#include <benchmark/benchmark.h>

#include <string>

namespace
{
void Run(benchmark::State& state, const std::string& script)
{
    vxhost::CommandEngine& engine = vxhost::CommandEngine::Instance();
    for (auto _ : state)
    {
        if (!engine.RunScript(script))
        {
            state.SkipWithError("the script failed");
            break;
        }
        // The log would otherwise grow with every run.
        vxhost::ClearMessages();
    }
}

// One million turns of `$sum += $i`.
void BM_MelLoop(benchmark::State& state)
{
    vxhost::SetMessageEcho(false);
    Run(state, "int $sum = 0;\n"
               "int $i;\n"
               "for ($i = 0; $i < 1000000; $i++) $sum += $i;\n");
    state.SetItemsProcessed(state.iterations() * 1000000);
}
BENCHMARK(BM_MelLoop)->Unit(benchmark::kMillisecond)->UseRealTime();

// 10,000 setAttr statements on one transform, cycling through its channels.
void BM_MelSetAttrScript(benchmark::State& state)
{
    vxhost::SetMessageEcho(false);
    vxhost::CommandEngine& engine = vxhost::CommandEngine::Instance();
    if (!engine.RunScript("createNode transform -n benchTarget;"))
    {
        state.SkipWithError("createNode failed");
        return;
    }
    static const char* const kChannels[] = {"tx", "ty", "tz", "rx", "ry", "rz", "sx", "sy", "sz"};
    std::string script;
    for (int i = 0; i < 10000; ++i)
        script += std::string("setAttr benchTarget.") + kChannels[i % 9] + " " + std::to_string(i % 97) + ".5;\n";
    Run(state, script);
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_MelSetAttrScript)->Unit(benchmark::kMillisecond)->UseRealTime();
} // namespace

BENCHMARK_MAIN();
