#include "GraphTestUtil.h"

#include <maya/MDagPath.h>
#include <maya/MFnCompoundAttribute.h>
#include <maya/MFnDagNode.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MFnMatrixData.h>
#include <maya/MFnPointArrayData.h>
#include <maya/MFnTransform.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MPlugArray.h>

#include <gtest/gtest.h>

using namespace graphtest;
using vxhost::Scene;

class GraphTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Scene::Get().Reset();
        Doubler::Register();
        Doubler::computes = 0;
    }
};

TEST_F(GraphTest, PullsThroughConnectionsAndComputesOncePerChange)
{
    auto a = Make("testDoubler", "a");
    auto b = Make("testDoubler", "b");
    ASSERT_TRUE(a && b);
    ASSERT_TRUE(Scene::Get().Connect(PlugOf(a, "output"), PlugOf(b, "input"), false));

    // a.output = 2 * 1; b.output = 2 * 2.
    EXPECT_EQ(PlugOf(b, "output").asDouble(), 4.0);
    EXPECT_EQ(Doubler::computes, 2);
    EXPECT_EQ(PlugOf(b, "output").asDouble(), 4.0);
    EXPECT_EQ(Doubler::computes, 2) << "nothing changed: the cached values serve";

    ASSERT_TRUE(PlugOf(a, "input").setDouble(3.0));
    EXPECT_EQ(PlugOf(b, "output").asDouble(), 12.0);

    // A destination cannot be set, and a second source needs force.
    EXPECT_FALSE(PlugOf(b, "input").setDouble(5.0));
    auto c = Make("testDoubler", "c");
    EXPECT_FALSE(Scene::Get().Connect(PlugOf(c, "output"), PlugOf(b, "input"), false));
    EXPECT_TRUE(Scene::Get().Connect(PlugOf(c, "output"), PlugOf(b, "input"), true));
    EXPECT_EQ(PlugOf(b, "output").asDouble(), 4.0) << "2 * c.output, c.output = 2 * 1";

    // Hard limits clamp what is written.
    MPlug limited = PlugOf(a, "limited");
    ASSERT_TRUE(limited.setInt(42));
    EXPECT_EQ(limited.asInt(), 10);
    ASSERT_TRUE(limited.setInt(-3));
    EXPECT_EQ(limited.asInt(), 0);
}

TEST_F(GraphTest, SparseArraysKeepLogicalIndicesInOrder)
{
    auto a = Make("testDoubler", "a");
    auto b = Make("testDoubler", "b");
    MPlug offsets = PlugOf(b, "offset");
    ASSERT_TRUE(offsets.isArray());
    ASSERT_TRUE(Scene::Get().Connect(PlugOf(a, "output"), offsets.elementByLogicalIndex(7), false));
    ASSERT_TRUE(offsets.elementByLogicalIndex(2).setDouble(0.5));

    EXPECT_EQ(offsets.numElements(), 2u);
    EXPECT_EQ(offsets.elementByPhysicalIndex(0).logicalIndex(), 2u);
    EXPECT_EQ(offsets.elementByPhysicalIndex(1).logicalIndex(), 7u);
    MStatus status;
    offsets.elementByPhysicalIndex(2, &status);
    EXPECT_EQ(status, MStatus::kInvalidParameter);
    EXPECT_EQ(offsets.numConnectedElements(), 1u);
    EXPECT_EQ(offsets.connectionByPhysicalIndex(0).name(), MString("b.offset[7]"));
    EXPECT_TRUE(offsets.elementByLogicalIndex(7).isConnected());
    EXPECT_FALSE(offsets.isConnected()) << "only the element is connected";
    EXPECT_EQ(offsets.elementByLogicalIndex(7).asDouble(), 2.0);

    // Element 0 does not exist: the compute adds nothing.
    EXPECT_EQ(PlugOf(b, "output").asDouble(), 2.0);
    ASSERT_TRUE(offsets.elementByLogicalIndex(0).setDouble(0.25));
    EXPECT_EQ(PlugOf(b, "output").asDouble(), 2.25);

    // Disconnecting keeps the element, as Maya does.
    ASSERT_TRUE(Scene::Get().Disconnect(PlugOf(a, "output"), offsets.elementByLogicalIndex(7)));
    EXPECT_EQ(offsets.numElements(), 3u);
    EXPECT_EQ(offsets.numConnectedElements(), 0u);
}

TEST_F(GraphTest, AttributesHaveOneParentAndUniqueNames)
{
    MFnNumericAttribute numeric;
    MObject width = numeric.create("width", "w", MFnNumericData::kDouble, 1.0);
    MFnCompoundAttribute first, second;
    first.create("first", "f");
    second.create("second", "s");
    EXPECT_TRUE(first.addChild(width));
    EXPECT_EQ(second.addChild(width), MStatus::kInvalidParameter);
    EXPECT_EQ(second.numChildren(), 0u);
    EXPECT_EQ(MFnAttribute(MFnAttribute(width).parent()).name(), MString("first"));

    // A dynamic attribute may not take a name the node has.
    auto node = Make("testDoubler", "d");
    MFnDependencyNode fn(node->Object());
    EXPECT_EQ(fn.addAttribute(numeric.create("input", "zz", MFnNumericData::kDouble)), MStatus::kInvalidParameter);
    EXPECT_TRUE(fn.addAttribute(numeric.create("extra", "ex", MFnNumericData::kDouble, 4.0)));
    EXPECT_EQ(fn.findPlug("ex", true).asDouble(), 4.0);
}

TEST_F(GraphTest, TypedDataReadThroughAPlugIsTheReadersCopy)
{
    auto node = Make("transform", "holder");
    MFnDependencyNode fn(node->Object());
    MFnTypedAttribute typed;
    ASSERT_TRUE(fn.addAttribute(typed.create("points", "pts", MFnData::kPointArray)));
    MPointArray points;
    points.append(MPoint(1, 2, 3));
    MFnPointArrayData data;
    ASSERT_TRUE(fn.findPlug("points", true).setMObject(data.create(points)));

    MObject copy = fn.findPlug("points", true).asMObject();
    MFnPointArrayData(copy).array()[0] = MPoint(9, 9, 9);
    MFnPointArrayData again(fn.findPlug("points", true).asMObject());
    EXPECT_EQ(again.array()[0], MPoint(1, 2, 3));
}

TEST_F(GraphTest, DagPathsAndWorldMatrices)
{
    auto goal = Make("transform", "goal");
    auto shape = Make("locator", "goalShape", goal.get());
    auto top = Make("transform", "top");
    ASSERT_TRUE(Scene::Get().Reparent(*goal, top.get()));

    MDagPath path;
    ASSERT_TRUE(MDagPath::getAPathTo(shape->Object(), path));
    EXPECT_EQ(path.fullPathName(), MString("|top|goal|goalShape"));
    EXPECT_EQ(Scene::Get().Find("goal|goalShape"), shape);
    EXPECT_EQ(Scene::Get().Find("|goal|goalShape"), nullptr);

    MFnTransform(top->Object()).setTranslation(MVector(1, 2, 3), MSpace::kTransform);
    MFnTransform(goal->Object()).setTranslation(MVector(10, 0, 0), MSpace::kTransform);
    const double scale[3] = {2, 2, 2};
    MFnTransform(top->Object()).setScale(scale);

    // The shape's world matrix is its parents' product: goal then top.
    MFnMatrixData world(PlugOf(shape, "worldMatrix").elementByLogicalIndex(0).asMObject());
    const MMatrix& m = world.matrix();
    EXPECT_DOUBLE_EQ(m(3, 0), 21.0);
    EXPECT_DOUBLE_EQ(m(3, 1), 2.0);
    EXPECT_DOUBLE_EQ(m(0, 0), 2.0);
    EXPECT_EQ(MFnTransform(goal->Object()).getTranslation(MSpace::kWorld), MVector(21, 2, 3));

    // A cycle is refused; deleting the top takes its children along.
    EXPECT_EQ(Scene::Get().Reparent(*top, goal.get()), MStatus::kInvalidParameter);
    Scene::Get().Delete(*top);
    EXPECT_EQ(Scene::Get().Find("goalShape"), nullptr);
    EXPECT_FALSE(shape->alive);
}
