#pragma once
// The scene the host-level benchmarks step: a field with BenchSettings()
// driving the shared 100k-particle flock, loaded through a script as
// `volarix run` loads one.

#include "BenchCloud.h"

#include "dg/DataObjects.h"
#include "dg/Scene.h"
#include "dynamics/Dynamics.h"

#include <vxhost/CommandEngine.h>
#include <vxhost/MessageLog.h>

#include <benchmark/benchmark.h>

#include <memory>

constexpr long kBenchSceneParticles = 100'000;

/// Loads the scene into a fresh host; false (with the benchmark skipped)
/// when the plug-in module cannot be loaded.
inline bool LoadBenchScene(benchmark::State& state)
{
    static const char* const kScene = R"(
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
    vxhost::SetMessageEcho(false);
    vxhost::Scene::Get().Reset();
    if (!vxhost::CommandEngine::Instance().RunScript(kScene, "bench.mel"))
    {
        state.SkipWithError("the scene failed: is particleVolarix.so beside the benchmark?");
        return false;
    }
    auto node = vxhost::Scene::Get().Find("flockShape");
    auto set = [&](const char* attribute, const MVectorArray& value)
    {
        MPlug(node, node->PathTo(node->FindAttribute(attribute)))
            .setMObject(MObject(std::make_shared<vxhost::VectorArrayData>(value)));
    };
    set("position", SharedCloud(kBenchSceneParticles));
    set("velocity", BenchCloud(kBenchSceneParticles, 43, 10.0));
    return true;
}
