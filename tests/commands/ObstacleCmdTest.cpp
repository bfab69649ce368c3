// QF_VX_obstacle's mesh entities.
#include "CommandTestUtil.h"

using namespace vxtest;

namespace
{
class ObstacleCmdTest : public CommandTest
{
};
} // namespace

TEST_F(ObstacleCmdTest, MeshesTakeTheFirstFreeElementAndMayRepeat)
{
    ASSERT_TRUE(Run("createNode particleVolarix -n swarm; polyCube -n rock;\n"
                    "setAttr swarm.obstacle[1].obstacleVolumeType 2;\n"
                    "select -r swarm rock;"));
    ASSERT_TRUE(Run("QF_VX_obstacle -add \"mesh\";"));
    EXPECT_EQ(Strings(), std::vector<std::string>{"|rock|rockShape"});
    EXPECT_TRUE(Logged(vxhost::Severity::kInfo, "Successfully added mesh entity"));
    EXPECT_EQ(SourceOf(FieldChild("obstacle", 0, 3)), "rockShape.worldMesh[0]");
    EXPECT_EQ(FieldChild("obstacle", 0, 1).asInt(), 4);    // Mesh
    EXPECT_EQ(SourceOf(FieldChild("obstacle", 0, 0)), ""); // the mesh carries its transform

    // One mesh may be several obstacles; element 1 is taken, 2 is the first free.
    ASSERT_TRUE(Run("QF_VX_obstacle -add \"mesh\" -mk;"));
    EXPECT_EQ(SourceOf(FieldChild("obstacle", 2, 3)), "rockShape.worldMesh[0]");
    EXPECT_EQ(FieldChild("obstacle", 1, 1).asInt(), 2);
    ASSERT_TRUE(Run("QF_VX_obstacle -q -len -it;"));
    EXPECT_EQ(Strings(), (std::vector<std::string>{"rock (mesh)", "rock (mesh)"}));
    // Obstacles have no keyable attributes.
    EXPECT_FALSE(MFnDependencyNode(NodeNamed("rock")).hasAttribute("Weight"));

    // Meshes are for obstacles only.
    EXPECT_FALSE(Run("select -r swarm rock; QF_VX_target -add \"mesh\";"));
    EXPECT_TRUE(LoggedError("Unsupported target type: mesh"));
    EXPECT_FALSE(Run("spaceLocator -n goal; select -r swarm goal; QF_VX_obstacle -add \"mesh\";"));
    EXPECT_TRUE(LoggedError("Selection Error - Please select a polygon mesh to create a mesh entity"));
}
