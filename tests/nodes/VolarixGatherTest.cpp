// Reading the connected entities into the records: which elements count,
// which values are taken and in which units, and the failures.

#include "NodeTestUtil.h"

#include <maya/MDistance.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnUnitAttribute.h>
#include <maya/MMatrix.h>
#include <maya/MPxFieldNode.h>

#include <map>
#include <string>

namespace
{
using vxtest::Connect;
using vxtest::FieldScene;
using vxtest::Logged;

/// Lengths typed by the user are in metres while a test runs.
struct MetreUnits
{
    MetreUnits() { MDistance::setUIUnit(MDistance::kMeters); }
    ~MetreUnits() { MDistance::setUIUnit(MDistance::kCentimeters); }
};

/// A transform at (x, y, z) centimetres.
MObject Transform(const char* name, double x, double y, double z)
{
    MFnDependencyNode fn;
    const MObject object = fn.create("transform", name);
    fn.findPlug("translateX", false).setDouble(x);
    fn.findPlug("translateY", false).setDouble(y);
    fn.findPlug("translateZ", false).setDouble(z);
    return object;
}

MPlug WorldMatrix(const MObject& node)
{
    return MFnDependencyNode(node).findPlug("worldMatrix", false).elementByLogicalIndex(0);
}

/// A shape's world-space output, worldSpace[0] or worldMesh[0].
MPlug WorldGeometry(const char* type, const char* plug)
{
    MFnDependencyNode fn;
    fn.create(type);
    return fn.findPlug(plug, false).elementByLogicalIndex(0);
}

MPlug Child(const MPlug& array, unsigned logicalIndex, unsigned child)
{
    return array.elementByLogicalIndex(logicalIndex).child(child);
}

/// A keyable attribute added to node, as the commands add them.
MPlug AddDouble(const MObject& node, const char* name, double value)
{
    MFnNumericAttribute fn;
    const MObject attribute = fn.create(name, name, MFnNumericData::kDouble, value);
    MFnDependencyNode(node).addAttribute(attribute);
    return MFnDependencyNode(node).findPlug(name, false);
}

MPlug AddInt(const MObject& node, const char* name, int value)
{
    MFnNumericAttribute fn;
    const MObject attribute = fn.create(name, name, MFnNumericData::kInt, value);
    MFnDependencyNode(node).addAttribute(attribute);
    return MFnDependencyNode(node).findPlug(name, false);
}

/// A distance attribute holding metres in the user's unit.
MPlug AddDistance(const MObject& node, const char* name, double metres)
{
    MFnUnitAttribute fn;
    const MObject attribute = fn.create(name, name, MFnUnitAttribute::kDistance, 0.0);
    MFnDependencyNode(node).addAttribute(attribute);
    MPlug plug = MFnDependencyNode(node).findPlug(name, false);
    plug.setMDistance(MDistance(metres, MDistance::kMeters));
    return plug;
}
} // namespace

TEST(VolarixGather, TargetsAreReadByPhysicalIndexInCentimetres)
{
    FieldScene scene;
    const MetreUnits metres;
    const MPlug target = scene.Plug("target");

    // Logical indices 3 and 7 hold entities; 5 is a left-over element with a
    // value but no connection.
    Connect(WorldMatrix(Transform("a", 10, 20, 30)), Child(target, 3, 2));
    Connect(WorldMatrix(Transform("b", -5, 0, 0)), Child(target, 7, 2));
    Child(target, 5, 4).setDouble(0.5);
    Child(target, 7, 0).setInt(1);
    Child(target, 7, 1).setMDistance(MDistance(0.5, MDistance::kMeters));
    Child(target, 7, 4).setDouble(0.25);
    Child(target, 7, 11).child(0).setMDistance(MDistance(1.5, MDistance::kMeters));
    Child(target, 7, 11).child(2).setMDistance(MDistance(2.0, MDistance::kMeters));
    Child(target, 7, 15).setDouble(0.3);
    Child(target, 7, 16).setBool(true); // containment: a point target has none
    Child(target, 7, 17).setDouble(0.75);
    Child(target, 7, 18).setBool(true);

    ASSERT_TRUE(scene.field->GatherTargets());
    const TargetData& t = scene.field->Evaluator().targets;
    ASSERT_EQ(t.count, 2u);
    EXPECT_EQ(t.worldMatrices[0][3][0], 10.0);
    EXPECT_EQ(t.worldMatrices[0][3][2], 30.0);
    EXPECT_EQ(t.worldMatrices[1][3][0], -5.0);
    EXPECT_EQ(t.steeringTypes[0], 0);
    EXPECT_EQ(t.steeringTypes[1], 1);
    EXPECT_DOUBLE_EQ(t.arrivalDistances[1], 50.0);
    EXPECT_EQ(t.weights[0], 1.0);
    EXPECT_EQ(t.weights[1], 0.25);
    EXPECT_EQ(t.volumeDimensions[0], MPoint(0, 0, 0, 1));
    EXPECT_EQ(t.volumeDimensions[1], MPoint(150, 0, 200, 1));
    EXPECT_EQ(t.wanderModes[1], 1);
    EXPECT_EQ(t.wanderParameters[1], MPoint(1.0, 1.0, 0.3, 1.0));
    EXPECT_EQ(t.containments[1], 0);
    EXPECT_EQ(t.containmentSeparationMins[1], 0.75);
    EXPECT_EQ(t.reverseCurveDirections[1], 1);
    EXPECT_EQ(t.reverseCurveDirections[0], 0);
    EXPECT_TRUE(t.curves[1].isNull());
    EXPECT_EQ(t.curveDataArrays.size(), 2u);
    EXPECT_EQ(t.volumes.size(), 2u);
    EXPECT_TRUE(Logged(vxhost::Severity::kError).empty());
}

TEST(VolarixGather, ModifierSetsOnlyTheConnectedParameters)
{
    FieldScene scene;
    const MetreUnits metres;
    const MPlug modifier = scene.Plug("modifier");
    const MObject locator = Transform("m", 0, 0, 0);

    // Element 0 has no world matrix: skipped. Element 4 has every parameter
    // input connected but the maximum speed, whose own value must not count.
    Child(modifier, 0, 12).setDouble(0.5);
    Connect(WorldMatrix(locator), Child(modifier, 4, 0));
    Child(modifier, 4, 2).setMDistance(MDistance(7.0, MDistance::kMeters));
    Connect(AddDistance(locator, "MaximumForce", 0.2), Child(modifier, 4, 3));
    Connect(AddDistance(locator, "BoidSeparation", 0.03), Child(modifier, 4, 4));
    Connect(AddDistance(locator, "ObstacleSeparation", 0.04), Child(modifier, 4, 5));
    Connect(AddInt(locator, "NumNeighbours", 4), Child(modifier, 4, 6));
    Connect(AddDouble(locator, "SimulationAccuracy", 0.5), Child(modifier, 4, 9));
    Connect(AddDouble(locator, "BoidSeparationUrge", 0.6), Child(modifier, 4, 13));
    Connect(AddDouble(locator, "FlockCentringUrge", 0.7), Child(modifier, 4, 14));
    Connect(AddDouble(locator, "VelocityMatchingUrge", 0.8), Child(modifier, 4, 15));
    Child(modifier, 4, 10).setInt(1);
    Child(modifier, 4, 7).child(1).setMDistance(MDistance(3.0, MDistance::kMeters));

    ASSERT_TRUE(scene.field->GatherModifiers());
    const ModifierData& m = scene.field->Evaluator().modifiers;
    ASSERT_EQ(m.count, 1u);
    ASSERT_EQ(m.parameterOverrides.size(), 1u);
    std::map<int, double> keys;
    for (const auto& [key, value] : m.parameterOverrides[0])
        keys[static_cast<int>(key)] = value;
    // Key 2, the maximum speed, is absent; key 1 is the maximum force.
    const std::map<int, double> expected = {{0, 0.5}, {1, 20.0}, {3, 3.0}, {4, 4.0},
                                            {5, 4.0}, {6, 0.6},  {7, 0.7}, {8, 0.8}};
    ASSERT_EQ(keys.size(), expected.size());
    for (const auto& [key, value] : expected)
        EXPECT_DOUBLE_EQ(keys[key], value) << "key " << key;
    EXPECT_EQ(m.weights[0], 1.0);
    EXPECT_EQ(m.modificationMethods[0], 1);
    EXPECT_EQ(m.volumeDimensions[0], MPoint(1, 300, 1, 1));
    EXPECT_EQ(m.volumes.size(), 1u);
}

TEST(VolarixGather, DoublyConnectedElementsFailWithAnInformationMessage)
{
    // A target with both a matrix and a curve.
    {
        FieldScene scene;
        const MPlug target = scene.Plug("target");
        Connect(WorldMatrix(Transform("a", 0, 0, 0)), Child(target, 0, 2));
        Connect(WorldMatrix(Transform("b", 0, 0, 0)), Child(target, 2, 2));
        Connect(WorldGeometry("nurbsCurve", "worldSpace"), Child(target, 2, 3));

        EXPECT_FALSE(scene.field->GatherTargets());
        EXPECT_EQ(Logged(vxhost::Severity::kInfo),
                  std::vector<std::string>{"Too many target connections for volarix1.target[2]"});
        EXPECT_TRUE(Logged(vxhost::Severity::kError).empty());
        // What was read before the failure stays, without volumes.
        EXPECT_EQ(scene.field->Evaluator().targets.count, 1u);
        EXPECT_TRUE(scene.field->Evaluator().targets.volumes.empty());
    }
    // An obstacle with both a matrix and a mesh.
    {
        FieldScene scene;
        const MPlug obstacle = scene.Plug("obstacle");
        Connect(WorldMatrix(Transform("a", 0, 0, 0)), Child(obstacle, 1, 0));
        Connect(WorldGeometry("mesh", "worldMesh"), Child(obstacle, 1, 3));

        EXPECT_FALSE(scene.field->GatherObstacles());
        EXPECT_EQ(Logged(vxhost::Severity::kInfo),
                  std::vector<std::string>{"Too many obstacle connections for volarix1.obstacle[1]"});
    }
}
