// A scene set up with the entity commands alone flies as the field promises:
// toward the target, around the obstacle, through the modifier.
#include "CommandTestUtil.h"

#include <maya/MFnVectorArrayData.h>
#include <maya/MVectorArray.h>

using namespace vxtest;

namespace
{
class EntityCommandsSceneTest : public CommandTest
{
};

MVectorArray Positions()
{
    return MFnVectorArrayData(PlugOf("flockShape", "position").asMObject()).array();
}

double MeanDistance(const MVectorArray& points, const MVector& to)
{
    double sum = 0.0;
    for (unsigned int i = 0; i < points.length(); ++i)
        sum += (points[i] - to).length();
    return sum / points.length();
}
} // namespace

TEST_F(EntityCommandsSceneTest, FlockSeeksTheTargetAroundTheObstacle)
{
    ASSERT_TRUE(
        Run("playbackOptions -min 1 -max 200;\n"
            "particle -n flock -jbp 0 0 0 -nj 40 -jr 3;\n"
            "createNode particleVolarix -n swarm;\n"
            "setAttr swarm.maximumSpeed 20; setAttr swarm.maximumForce 40;\n"
            "connectDynamic -f swarm flock;\n"
            "createNode transform -n goal; createNode QF_VX_targetLocatorNode -n goalShape -p goal;\n"
            "setAttr goal.translate 60 0 0; setAttr goalShape.width 200;\n"
            "createNode transform -n post; createNode QF_VX_obstacleLocatorNode -n postShape -p post;\n"
            "setAttr post.translate 30 0 0; setAttr postShape.width 4;\n"
            "createNode transform -n zone; createNode QF_VX_modifierLocatorNode -n zoneShape -p zone;\n"
            "setAttr zone.translate 15 0 0; setAttr zoneShape.width 10;\n"
            "select -r swarm goal; QF_VX_target -add \"position\" -mk;\n"
            "select -r swarm post; QF_VX_obstacle -add \"position\";\n"
            "select -r swarm zone; QF_VX_modifier -add \"position\" -mk;\n"));
    const MVector goal(60, 0, 0), post(30, 0, 0), zone(15, 0, 0);
    const double start = MeanDistance(Positions(), goal);
    vxhost::ClearMessages();

    bool passedZone = false;
    for (int frame = 5; frame <= 200; frame += 5)
    {
        ASSERT_TRUE(Run("currentTime " + std::to_string(frame) + ";"));
        const MVectorArray points = Positions();
        ASSERT_EQ(points.length(), 40u);
        for (unsigned int i = 0; i < points.length(); ++i)
        {
            EXPECT_GE((points[i] - post).length(), 4.0) << "frame " << frame << " particle " << i;
            passedZone = passedZone || (points[i] - zone).length() < 10.0;
        }
    }
    EXPECT_TRUE(passedZone);
    EXPECT_LT(MeanDistance(Positions(), goal), 0.2 * start);
    // Every evaluation gathered its entities without complaint.
    for (const vxhost::Message& m : vxhost::Messages())
        EXPECT_NE(m.severity, vxhost::Severity::kError) << m.text;
}

// A curve target needs no target locator beside its curve: its tube then has
// no samples (the field's curve volume data is left unset, which holds no
// data at all), and the flock still follows the path to its end.
TEST_F(EntityCommandsSceneTest, CurveTargetWithoutLocatorFollowsThePath)
{
    ASSERT_TRUE(Run("playbackOptions -min 1 -max 60;\n"
                    "particle -n flock -jbp 0 0 0 -nj 20 -jr 2;\n"
                    "createNode particleVolarix -n swarm;\n"
                    "setAttr swarm.maximumSpeed 20; setAttr swarm.maximumForce 40;\n"
                    "connectDynamic -f swarm flock;\n"
                    "curve -d 1 -p 0 0 0 -p 50 0 0 -p 100 0 0 -k 0 -k 1 -k 2 -n path;\n"
                    "select -r swarm path; QF_VX_target -add \"curve\" -mk;\n"
                    "setAttr path.SteeringType 5;\n"));
    const MVector end(100, 0, 0);
    const double start = MeanDistance(Positions(), end);
    vxhost::ClearMessages();
    for (int frame = 2; frame <= 60; ++frame)
        ASSERT_TRUE(Run("currentTime " + std::to_string(frame) + ";"));
    for (const vxhost::Message& m : vxhost::Messages())
        EXPECT_NE(m.severity, vxhost::Severity::kError) << m.text;
    EXPECT_LT(MeanDistance(Positions(), end), start - 10.0);
}
