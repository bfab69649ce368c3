// A flock driven by the plug-in's field, saved part way through a run:
// running the saved scene and stepping on gives the same positions, bit for
// bit, as stepping on the scene that was saved. The bounds of its force
// Range change every frame, one fed by a keyed child of a control's pair
// and one keyed itself, redrawing the particles' forces: a saved scene that
// lost either would step on differently.

#include "dg/DataObjects.h"
#include "dg/Scene.h"
#include "dynamics/Dynamics.h"

#include <maya/MTime.h>
#include <vxhost/CommandEngine.h>
#include <vxhost/MessageLog.h>

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <filesystem>
#include <string>

using vxhost::CommandEngine;
using vxhost::Scene;

namespace
{
// The positions' bits, in order.
std::vector<std::uint64_t> PositionBits()
{
    auto shape = Scene::Get().Find("flockShape");
    const vxhost::DataNode* value = shape->FindData(shape->PathTo(shape->FindAttribute("position")));
    const MVectorArray& p = vxhost::VectorArrayData::From(value->data)->value;
    std::vector<std::uint64_t> bits;
    for (unsigned i = 0; i < p.length(); ++i)
        for (const double x : {p[i].x, p[i].y, p[i].z})
            bits.push_back(std::bit_cast<std::uint64_t>(x));
    return bits;
}

std::string LastError()
{
    std::string text;
    for (const vxhost::Message& m : vxhost::Messages())
        if (m.severity == vxhost::Severity::kError)
            text = m.text;
    return text;
}

void Restart()
{
    Scene::Get().Reset();
    vxhost::Dynamics::Get().SetRange(1, 120);
    vxhost::Dynamics::Get().Reset();
}
} // namespace

TEST(SavedScenePluginTest, ASavedFlockStepsOnBitForBit)
{
    vxhost::SetMessageEcho(false);
    Restart();
    CommandEngine& engine = CommandEngine::Instance();
    // The saved scene loads the plug-in by name, as a scene moved to
    // another machine would.
    setenv("VOLARIX_PLUGIN_PATH", std::filesystem::path(VX_PLUGIN_MODULE).parent_path().c_str(), 1);
    ASSERT_TRUE(engine.RunScript(R"mel(
        loadPlugin "particleVolarix";
        playbackOptions -min 1 -max 60;
        particle -n flock -jbp 0 0 0 -nj 60 -jr 10;
        createNode particleVolarix -n swarm;
        setAttr swarm.numberOfNeighbours 5;
        setAttr swarm.maximumForceType 1;
        setAttr swarm.maximumForceRange 5 15;
        createNode transform -n ctl;
        addAttr -ln forces -at double2 ctl;
        addAttr -ln weakest -at double -p forces ctl;
        addAttr -ln strongest -at double -p forces ctl;
        setKeyframe -t 1 -v 15 ctl.strongest;
        setKeyframe -t 20 -v 40 ctl.strongest;
        connectAttr ctl.strongest swarm.maximumForceRange1;
        setKeyframe -t 1 -v 5 swarm.maximumForceRange0;
        setKeyframe -t 20 -v 10 -at maximumForceRange0 swarm;
        setAttr swarm.maximumSpeedType 2;
        connectDynamic -f swarm flock;
        addAttr -ln swarm_maximumSpeed -dt doubleArray flockShape;
        dynExpression -s "swarm_maximumSpeed = rand(10, 30)" -c flock;
        createNode transform -n goal;
        connectAttr goal.worldMatrix[0] swarm.target[0].targetMatrix;
        setKeyframe -t 1 -v 0 -at translateX goal;
        setKeyframe -t 30 -v 60 -at translateX goal;
        seed 7;
        currentTime 10;
        emit -o flock -pos 5 5 5 -pos -5 0 5 -at velocity -vv 0 1 0;
        currentTime 14;
    )mel",
                                 "flock.mel"))
        << LastError();
    const std::string path = (std::filesystem::path(testing::TempDir()) / "vx_saved_flock.mel").string();
    ASSERT_TRUE(engine.RunScript("file -save \"" + path + "\";")) << LastError();
    const std::vector<std::uint64_t> atSave = PositionBits();
    ASSERT_TRUE(engine.RunScript("currentTime 15;"));
    const std::vector<std::uint64_t> one = PositionBits();
    ASSERT_TRUE(engine.RunScript("currentTime 24;"));
    const std::vector<std::uint64_t> stepped = PositionBits();
    ASSERT_EQ(stepped.size(), 62u * 3u);

    Restart();
    ASSERT_TRUE(engine.RunScriptFile(path)) << LastError();
    EXPECT_EQ(PositionBits(), atSave);
    ASSERT_TRUE(engine.RunScript("currentTime 15;"));
    EXPECT_EQ(PositionBits(), one);
    ASSERT_TRUE(engine.RunScript("currentTime 24;"));
    EXPECT_EQ(PositionBits(), stepped);
    std::filesystem::remove(path);
    Restart();
    vxhost::SetMessageEcho(true);
}
