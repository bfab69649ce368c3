// The frame shared by the three entity commands: element choice, selection
// rules, refusals, queries, and undo and redo.
#include "CommandTestUtil.h"

using namespace vxtest;

namespace
{
class EntityCmdTest : public CommandTest
{
};
} // namespace

TEST_F(EntityCmdTest, PositionFillsTheFirstElementOnlyOnce)
{
    ASSERT_TRUE(Run("createNode particleVolarix -n swarm; spaceLocator -n goal; select -r swarm goal;"));
    ASSERT_TRUE(Run("QF_VX_target -addEntity \"position\";"));
    EXPECT_EQ(Strings(), std::vector<std::string>{"|goal|goalShape"});
    EXPECT_TRUE(Logged(vxhost::Severity::kInfo, "Successfully added position entity"));
    EXPECT_EQ(SourceOf(FieldChild("target", 0, 2)), "goal.worldMatrix[0]");
    // A plain locator has no volume to bring.
    EXPECT_EQ(SourceOf(FieldChild("target", 0, 10)), "");
    EXPECT_EQ(SourceOf(FieldChild("target", 0, 11, 0)), "");

    EXPECT_FALSE(Run("QF_VX_target -addEntity \"position\";"));
    EXPECT_TRUE(LoggedError("|goal|goalShape is already connected to |swarm"));
    EXPECT_EQ(PlugOf("swarm", "target").numElements(), 1u);
}

TEST_F(EntityCmdTest, LocatorsOfTheCommandsKindBringTheirVolume)
{
    ASSERT_TRUE(
        Run("createNode particleVolarix -n swarm;\n"
            "createNode transform -n zone; createNode QF_VX_modifierLocatorNode -n zoneShape -p zone;\n"
            "createNode transform -n post; createNode QF_VX_obstacleLocatorNode -n postShape -p post;\n"
            "setAttr swarm.modifier[4].modifierWeight 0.5;\n"
            "select -r swarm zone; QF_VX_modifier -add \"position\";\n"
            "select -r swarm post; QF_VX_modifier -add \"position\";"));
    // Appended after the highest index in use, gaps below it left alone.
    EXPECT_EQ(SourceOf(FieldChild("modifier", 5, 0)), "zone.worldMatrix[0]");
    EXPECT_EQ(SourceOf(FieldChild("modifier", 5, 1)), "zoneShape.volumeType");
    EXPECT_EQ(SourceOf(FieldChild("modifier", 5, 7, 0)), "zoneShape.width");
    EXPECT_EQ(SourceOf(FieldChild("modifier", 5, 7, 1)), "zoneShape.height");
    EXPECT_EQ(SourceOf(FieldChild("modifier", 5, 7, 2)), "zoneShape.depth");
    // An obstacle locator is only a position to the modifier command.
    EXPECT_EQ(SourceOf(FieldChild("modifier", 6, 0)), "post.worldMatrix[0]");
    EXPECT_EQ(SourceOf(FieldChild("modifier", 6, 1)), "");
}

TEST_F(EntityCmdTest, RefusalsNameTheProblemAndChangeNothing)
{
    ASSERT_TRUE(Run("createNode particleVolarix -n swarm; createNode particleVolarix -n other;\n"
                    "spaceLocator -n goal; spaceLocator -n spare;"));
    const struct
    {
        const char* script;
        const char* error;
    } cases[] = {
        {"select -r swarm goal; QF_VX_modifier -add \"curve\";", "Unsupported modifier type: curve"},
        {"select -r swarm goal; QF_VX_target -add \"mesh\";", "Unsupported target type: mesh"},
        {"select -r swarm goal; QF_VX_target -add \"Position\";", "Unsupported target type: Position"},
        {"select -r swarm other goal; QF_VX_target -add \"position\";",
         "Selection Error - Please select only 1 particle volarix field at a time."},
        {"select -r swarm goal spare; QF_VX_target -add \"position\";",
         "Selection Error - Please select only 1 entity at a time."},
        {"select -r swarm; QF_VX_obstacle -add \"position\";",
         "Selection Error - Please select a particleVolarix node and an entity object"},
        {"select -r swarm; QF_VX_modifier -e -mk;",
         "Selection Error - Please select a particleVolarix node and a modifier object"},
        {"select -r goal; QF_VX_target -q -ne;",
         "Selection Error - Please select a particleVolarix node to query"},
    };
    for (const auto& c : cases)
    {
        vxhost::ClearMessages();
        EXPECT_FALSE(Run(c.script)) << c.script;
        EXPECT_TRUE(LoggedError(c.error)) << c.script;
    }

    vxhost::ClearMessages();
    EXPECT_FALSE(Run("select -cl; QF_VX_target -q -ne;"));
    EXPECT_TRUE(LoggedErrorStarting("getting command objects"));

    // "curve" on something that is no curve is the host's invalid parameter.
    vxhost::ClearMessages();
    const MStatus status = Run("select -r swarm goal; QF_VX_target -add \"curve\";");
    EXPECT_EQ(status.statusCode(), MStatus::kInvalidParameter);
    EXPECT_TRUE(LoggedError("Selection Error - Please select a NURBS curve to create a curve target"));

    for (const char* array : {"target", "modifier", "obstacle"})
        EXPECT_EQ(PlugOf("swarm", array).numElements(), 0u) << array;
}

TEST_F(EntityCmdTest, QueriesReportConnectedEntities)
{
    ASSERT_TRUE(Run("createNode particleVolarix -n swarm; spaceLocator -n goal;\n"
                    "curve -d 1 -p 0 0 0 -p 10 0 0 -n path;\n"
                    "select -r swarm goal; QF_VX_target -add \"position\";\n"
                    "select -r swarm path; QF_VX_target -add \"curve\";\n"
                    "setKeyframe -v 0.5 swarm.target[2].targetWeight;\n"
                    "select -r swarm;"));
    ASSERT_TRUE(Run("QF_VX_target -q;"));
    EXPECT_TRUE(vxhost::CommandEngine::Instance().LastResult().IsEmpty());

    ASSERT_TRUE(Run("QF_VX_target -q -numEntity;"));
    EXPECT_EQ(Ints(), std::vector<int>{3}); // the keyed element is connected too
    ASSERT_TRUE(Run("QF_VX_target -q -listEntityNames;"));
    EXPECT_EQ(Strings(), (std::vector<std::string>{"goal", "path"}));
    ASSERT_TRUE(Run("QF_VX_target -q -len -includeType;"));
    EXPECT_EQ(Strings(), (std::vector<std::string>{"goal (position)", "path (curve)"}));
    // Keys alone do not make an entity.
    ASSERT_TRUE(Run("QF_VX_target -q -listEntityIndices;"));
    EXPECT_EQ(Ints(), (std::vector<int>{0, 1}));
    // The last answer given is the result.
    ASSERT_TRUE(Run("QF_VX_target -q -ne -let;"));
    EXPECT_EQ(Strings(), (std::vector<std::string>{"position", "curve"}));

    ASSERT_TRUE(Run("QF_VX_obstacle -q -ne;"));
    EXPECT_EQ(Ints(), std::vector<int>{0});
}

TEST_F(EntityCmdTest, UndoTakesBackConnectionsOnlyAndRedoReusesTheElement)
{
    ASSERT_TRUE(Run("createNode particleVolarix -n swarm; curve -d 1 -p 0 0 0 -p 10 0 0 -n path;\n"
                    "createNode QF_VX_targetLocatorNode -n tube -p path;\n"
                    "select -r swarm pathShape; QF_VX_target -add \"curve\" -mk;"));
    auto expectConnected = [](bool connected)
    {
        const auto expect = [&](const char* name) { return connected ? std::string(name) : std::string(); };
        EXPECT_EQ(SourceOf(FieldChild("target", 0, 3)), expect("pathShape.worldSpace[0]"));
        EXPECT_EQ(SourceOf(FieldChild("target", 0, 12)), expect("tube.curveData"));
        EXPECT_EQ(SourceOf(PlugOf("tube", "attachedCurve")), expect("pathShape.worldSpace[0]"));
        EXPECT_EQ(SourceOf(FieldChild("target", 0, 4)), expect("path.Weight"));
        EXPECT_EQ(SourceOf(PlugOf("tube", "drawVolume")), expect("path.UseCurveVolume"));
    };
    expectConnected(true);
    const unsigned int attributes = AttributeCount("path");

    ASSERT_TRUE(Run("undo;"));
    expectConnected(false);
    // Written straight to the field and the transform: not undone.
    EXPECT_EQ(FieldChild("target", 0, 0).asInt(), 5);
    EXPECT_EQ(FieldChild("target", 0, 10).asInt(), 3);
    EXPECT_EQ(AttributeCount("path"), attributes);
    EXPECT_EQ(PlugOf("path", "SteeringType").asInt(), 5);

    // The element left behind by the direct writes is the one redo fills.
    ASSERT_TRUE(Run("redo;"));
    expectConnected(true);
    EXPECT_EQ(PlugOf("swarm", "target").numElements(), 1u);
    EXPECT_EQ(AttributeCount("path"), attributes);
}

TEST_F(EntityCmdTest, UndoTakesBackTheLastChangeWhicheverCommandMadeIt)
{
    ASSERT_TRUE(Run("createNode particleVolarix -n swarm; createNode transform -n goal;\n"
                    "createNode QF_VX_targetLocatorNode -n goalShape -p goal; setAttr swarm.maximumSpeed 10;\n"
                    "select -r swarm goal; QF_VX_target -addEntity \"position\";\n"
                    "setAttr swarm.maximumSpeed 99; createNode transform -n oops;"));
    // Looked at through the API: a query of the entity command would go on
    // the queue itself.
    auto connected = []
    {
        const MPlug element = PlugOf("swarm", "target", 0);
        for (unsigned int i = 0; i < element.numChildren(); ++i)
            if (SourceOf(element.child(i)) == "goal.worldMatrix[0]")
                return true;
        return false;
    };
    ASSERT_TRUE(connected());

    ASSERT_TRUE(Run("undo;"));
    EXPECT_EQ(vxhost::Scene::Get().Find("oops"), nullptr);
    EXPECT_EQ(Value("swarm.maximumSpeed"), 99.0);
    EXPECT_TRUE(connected());
    ASSERT_TRUE(Run("undo;"));
    EXPECT_EQ(Value("swarm.maximumSpeed"), 10.0);
    EXPECT_TRUE(connected());
    ASSERT_TRUE(Run("undo;"));
    EXPECT_FALSE(connected());

    ASSERT_TRUE(Run("redo; redo; redo;"));
    EXPECT_TRUE(connected());
    EXPECT_EQ(Value("swarm.maximumSpeed"), 99.0);
    EXPECT_NE(vxhost::Scene::Get().Find("oops"), nullptr);
}
