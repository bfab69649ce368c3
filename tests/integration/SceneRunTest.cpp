// Scenes run through the host with the plug-in module loaded, checked
// against the solver core driven directly with the same inputs.
#include "FieldEvaluator.h"
#include "dg/DataObjects.h"
#include "dg/Scene.h"
#include "dynamics/Dynamics.h"

#include <maya/MFnVectorArrayData.h>
#include <vxhost/CRandom.h>
#include <vxhost/CommandEngine.h>
#include <vxhost/MessageLog.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

using vxhost::CommandEngine;
using vxhost::Scene;

namespace
{
// The vector array at node.attribute, or at its element when index >= 0.
MVectorArray ArrayAt(const char* node, const char* attribute, int index = -1)
{
    auto n = Scene::Get().Find(node);
    EXPECT_TRUE(n) << node;
    vxhost::PlugPath path = n->PathTo(n->FindAttribute(attribute));
    path.back().index = index;
    return MFnVectorArrayData(MPlug(n, path).asMObject()).array();
}

class SceneRunTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        vxhost::SetMessageEcho(false);
        vxhost::ClearMessages();
        Scene::Get().Reset();
        vxhost::Dynamics::Get().Reset();
        ASSERT_TRUE(CommandEngine::Instance().RunScript("loadPlugin \"" VX_PLUGIN_MODULE "\";"));
    }
};
} // namespace

TEST_F(SceneRunTest, SteppedSystemEqualsTheCoreDrivenDirectly)
{
    CommandEngine& engine = CommandEngine::Instance();
    ASSERT_TRUE(engine.RunScript("particle -n flock -p 0 0 0 -p 1 0 0 -p 0 1 0 -p 2 2 0 -p 3 0 1 -p 0 3 3\n"
                                 "  -p 1 1 1 -p 4 0 0 -p 0 4 0 -p 0 0 4 -p 2 0 2 -p 3 3 0 -p 1 2 3;\n"
                                 "createNode particleVolarix -n swarm;\n"
                                 "setAttr swarm.maximumSpeed 5; setAttr swarm.simulationAccuracy 0.7;\n"
                                 "connectDynamic -f swarm flock;\n"
                                 "seed 7;",
                                 "run.mel"));
    const MVectorArray start = ArrayAt("flockShape", "position");
    ASSERT_EQ(start.length(), 13u);
    ASSERT_TRUE(engine.RunScript("currentTime 6;"));
    const MVectorArray graph = ArrayAt("flockShape", "position");

    // The same five frames: the core with the node's defaults, Euler steps.
    FlockSettings settings;
    settings.simulationAccuracy.value = 0.7;
    settings.maximumSpeed.value = 5.0;
    settings.maximumForce.value = 10.0;
    settings.boidSeparation.value = 2.0;
    settings.obstacleSeparation.value = 5.0;
    settings.numberOfNeighbours.value = 2;
    settings.boidSeparationUrge.value = 1.0;
    settings.flockCentringUrge.value = 1.0;
    settings.velocityMatchingUrge.value = 1.0;
    vxhost::SeedRandom(7);
    FieldEvaluator core;
    MVectorArray positions = start;
    MVectorArray velocities(start.length());
    MVectorArray forces;
    FieldInput input;
    input.positions = &positions;
    input.velocities = &velocities;
    input.deltaTime = 1.0 / 24.0;
    for (int frame = 0; frame < 5; ++frame)
    {
        ASSERT_TRUE(core.Evaluate(input, settings, forces));
        for (unsigned i = 0; i < positions.length(); ++i)
        {
            velocities[i] += forces[i] * input.deltaTime;
            positions[i] += velocities[i] * input.deltaTime;
        }
    }
    for (unsigned i = 0; i < positions.length(); ++i)
        EXPECT_EQ(graph[i], positions[i]) << "particle " << i;
    EXPECT_NE(graph[0], start[0]) << "the flock moved";
}

TEST_F(SceneRunTest, ForcesReadWithoutSteppingAndPerParticleArraysByFieldName)
{
    CommandEngine& engine = CommandEngine::Instance();
    ASSERT_TRUE(engine.RunScript("particle -n flock -p 0 0 0 -p 1 0 0 -p 0 1 0;\n"
                                 "createNode particleVolarix -n swarm;\n"
                                 "connectDynamic -f swarm flock;\n"
                                 "addAttr -ln swarm_magnitude -dt doubleArray flockShape;\n"
                                 "setAttr flockShape.velocity -type vectorArray 3 1 0 0 1 0 0 1 0 0;\n",
                                 "forces.mel"));
    const MVectorArray full = ArrayAt("swarm", "outputForce", 0);
    ASSERT_EQ(full.length(), 3u);
    // A per-particle "magnitude" array named after the field scales each force.
    ASSERT_TRUE(engine.RunScript("setAttr flockShape.swarm_magnitude -type doubleArray 3 1 0 0.5;"));
    vxhost::SeedRandom(1);
    const MVectorArray scaled = ArrayAt("swarm", "outputForce", 0);
    EXPECT_EQ(scaled[0], full[0]);
    EXPECT_EQ(scaled[1], MVector::zero);
    EXPECT_NE(full[1], MVector::zero);
}

TEST_F(SceneRunTest, ASceneWithClassicMacLineEndsRunsAsWithUnixOnes)
{
    std::ifstream file(VX_SCENES "/seek.mel", std::ios::binary);
    std::string unixText((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    // The fixture loaded the module by its path.
    const std::string load = "loadPlugin \"particleVolarix\";";
    ASSERT_NE(unixText.find(load), std::string::npos);
    unixText.erase(unixText.find(load), load.size());
    std::string mac = unixText;
    for (char& c : mac)
        c = c == '\n' ? '\r' : c;

    CommandEngine& engine = CommandEngine::Instance();
    ASSERT_TRUE(engine.RunScript(unixText + "\ncurrentTime 4;", "seek.mel"));
    const MVectorArray expected = ArrayAt("flockShape", "position");
    ASSERT_EQ(expected.length(), 600u);
    SetUp();
    ASSERT_TRUE(engine.RunScript(mac + "\rcurrentTime 4;", "seek.mel"));
    const MVectorArray got = ArrayAt("flockShape", "position");
    ASSERT_EQ(got.length(), expected.length());
    for (unsigned i = 0; i < got.length(); ++i)
        ASSERT_EQ(got[i], expected[i]) << "particle " << i;
}

TEST_F(SceneRunTest, NeighbourCountsFromADoubleArrayActAsTheSameIntegers)
{
    CommandEngine& engine = CommandEngine::Instance();
    const auto forces = [&](const std::string& perParticle)
    {
        SetUp();
        EXPECT_TRUE(
            engine.RunScript("particle -n flock -p 0 0 0 -p 1 0 0 -p 0 1 0 -p 2 2 0 -p 3 0 1 -p 0 3 3;\n"
                             "createNode particleVolarix -n swarm;\n"
                             "connectDynamic -f swarm flock;\n"
                             "setAttr swarm.numberOfNeighboursType 2;\n" +
                                 perParticle,
                             "neighbours.mel"));
        vxhost::SeedRandom(1);
        return ArrayAt("swarm", "outputForce", 0);
    };
    // Maya's way: a double per particle, truncated; below zero is none, far
    // past the int range the most an int holds.
    const MVectorArray fromDoubles =
        forces("addAttr -ln swarm_numberOfNeighbours -dt doubleArray flockShape;\n"
               "setAttr flockShape.swarm_numberOfNeighbours -type doubleArray 6 1 2.9 1.5 -3 0.7 1e300;");
    const MVectorArray fromInts =
        forces("addAttr -ln swarm_numberOfNeighbours -dt Int32Array flockShape;\n"
               "setAttr flockShape.swarm_numberOfNeighbours -type Int32Array 6 1 2 1 0 0 2147483647;");
    const MVectorArray constant = forces("setAttr swarm.numberOfNeighboursType 0;");
    ASSERT_EQ(fromDoubles.length(), 6u);
    ASSERT_EQ(fromInts.length(), 6u);
    bool differs = false;
    for (unsigned i = 0; i < 6; ++i)
    {
        EXPECT_EQ(fromDoubles[i], fromInts[i]) << "particle " << i;
        differs = differs || !(fromInts[i] == constant[i]);
    }
    EXPECT_TRUE(differs) << "the per-particle counts were used";
    EXPECT_TRUE(vxhost::Messages().empty() || vxhost::Messages().back().severity != vxhost::Severity::kError);
}
