// QF_VX_target's own steps: curve targets and the keyable steering
// attributes; and the modifier's keyable attributes beside them.
#include "CommandTestUtil.h"

using namespace vxtest;

namespace
{
class TargetCmdTest : public CommandTest
{
};
} // namespace

TEST_F(TargetCmdTest, CurveTargetsFollowTheirCurveWithOrWithoutALocator)
{
    ASSERT_TRUE(
        Run("createNode particleVolarix -n swarm;\n"
            "curve -d 1 -p 0 0 0 -p 10 0 0 -n bare;\n"
            "curve -d 1 -p 0 5 0 -p 10 5 0 -n tubed; createNode QF_VX_targetLocatorNode -n tube -p tubed;\n"
            "select -r swarm bare;"));
    ASSERT_TRUE(Run("QF_VX_target -add \"curve\";"));
    EXPECT_EQ(Strings(), std::vector<std::string>{"|bare|bareShape"});
    EXPECT_TRUE(Logged(vxhost::Severity::kInfo, "Successfully added curve entity"));
    EXPECT_EQ(SourceOf(FieldChild("target", 0, 3)), "bareShape.worldSpace[0]");
    EXPECT_EQ(FieldChild("target", 0, 0).asInt(), 5);  // Path Follow
    EXPECT_EQ(FieldChild("target", 0, 10).asInt(), 3); // Curve
    EXPECT_EQ(SourceOf(FieldChild("target", 0, 12)), "");
    EXPECT_EQ(SourceOf(FieldChild("target", 0, 2)), ""); // the transform is not a position

    ASSERT_TRUE(Run("select -r swarm tubedShape; QF_VX_target -add \"curve\";"));
    EXPECT_EQ(SourceOf(FieldChild("target", 1, 3)), "tubedShape.worldSpace[0]");
    EXPECT_EQ(SourceOf(FieldChild("target", 1, 12)), "tube.curveData");
    EXPECT_EQ(SourceOf(PlugOf("tube", "attachedCurve")), "tubedShape.worldSpace[0]");
    // A curve already feeding the field is refused.
    EXPECT_FALSE(Run("select -r swarm tubedShape; QF_VX_target -add \"curve\";"));
    EXPECT_TRUE(LoggedError("|tubed|tubedShape is already connected to |swarm"));
}

TEST_F(TargetCmdTest, CurveBesideAnotherKindOfLocatorFails)
{
    ASSERT_TRUE(Run("createNode particleVolarix -n swarm; curve -d 1 -p 0 0 0 -p 10 0 0 -n path;\n"
                    "createNode QF_VX_obstacleLocatorNode -n post -p path; select -r swarm pathShape;"));
    EXPECT_FALSE(Run("QF_VX_target -add \"curve\";"));
    EXPECT_TRUE(LoggedErrorStarting("connecting entity curve"));
    EXPECT_TRUE(LoggedErrorStarting("Running redoIt: "));
}

TEST_F(TargetCmdTest, MakeKeyableCopiesTheFieldAndDrivesIt)
{
    ASSERT_TRUE(Run("createNode particleVolarix -n swarm; spaceLocator -n goal;\n"
                    "setAttr swarm.target[0].targetWanderRate 0.3;\n" // an element left by someone else
                    "select -r swarm goal; QF_VX_target -add \"position\" -makeKeyable;"));
    // The new element 1 starts from the field's defaults.
    EXPECT_DOUBLE_EQ(Value("goal.Weight"), 1.0);
    EXPECT_DOUBLE_EQ(Value("goal.WanderMode"), 1.0);
    EXPECT_DOUBLE_EQ(Value("goal.ContainmentSeparationMin"), 0.25);
    EXPECT_DOUBLE_EQ(Value("goal.WanderRate"), 1.0);
    EXPECT_EQ(SourceOf(FieldChild("target", 1, 0)), "goal.SteeringType");
    EXPECT_EQ(SourceOf(FieldChild("target", 1, 17)), "goal.ContainmentSeparationMin");
    EXPECT_TRUE(PlugOf("goal", "ArrivalDistance").isKeyable());
    ASSERT_TRUE(Run("setAttr goal.Weight 0.25; setAttr goal.SteeringType 1;"));
    EXPECT_DOUBLE_EQ(Value("swarm.target[1].targetWeight"), 0.25);
    EXPECT_DOUBLE_EQ(Value("swarm.target[1].targetSteeringType"), 1.0);

    // Edit mode without -mk does nothing.
    const unsigned int attributes = AttributeCount("goal");
    ASSERT_TRUE(Run("QF_VX_target -e;"));
    EXPECT_EQ(AttributeCount("goal"), attributes);

    // Again: nothing is created twice, values are copied over again and the
    // missing connection is made.
    ASSERT_TRUE(Run("disconnectAttr goal.Weight swarm.target[1].targetWeight;\n"
                    "setAttr swarm.target[1].targetWeight 0.6;\n"
                    "QF_VX_target -e -mk; QF_VX_target -e -mk;"));
    EXPECT_EQ(AttributeCount("goal"), attributes);
    EXPECT_DOUBLE_EQ(Value("goal.Weight"), 0.6);
    EXPECT_EQ(SourceOf(FieldChild("target", 1, 4)), "goal.Weight");
    EXPECT_DOUBLE_EQ(Value("goal.SteeringType"), 1.0);
}

TEST_F(TargetCmdTest, ModifierAttributesAreAddedButNotConnected)
{
    ASSERT_TRUE(Run("createNode particleVolarix -n swarm; spaceLocator -n zone;\n"
                    "select -r swarm zone; QF_VX_modifier -add \"position\" -mk;"));
    EXPECT_DOUBLE_EQ(Value("zone.NumNeighbours"), 2.0);
    EXPECT_DOUBLE_EQ(Value("zone.MaximumForce"), 10.0);
    EXPECT_DOUBLE_EQ(Value("zone.SimulationAccuracy"), 1.0);
    ASSERT_TRUE(Run("setAttr zone.SimulationAccuracy -5;")); // clamped at its minimum
    EXPECT_DOUBLE_EQ(Value("zone.SimulationAccuracy"), -1.0);
    for (unsigned int child = 1; child < 16; ++child)
        EXPECT_EQ(SourceOf(FieldChild("modifier", 0, child)), "") << child;
    EXPECT_EQ(SourceOf(FieldChild("modifier", 0, 0)), "zone.worldMatrix[0]");
}
