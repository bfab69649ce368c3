// Numeric pairs as Maya has them: compounds whose children hold their
// numbers one by one; and compute as the only one that marks an output clean.

#include "GraphTestUtil.h"

#include <maya/MDGModifier.h>
#include <vxhost/MessageLog.h>

#include <gtest/gtest.h>

using graphtest::Doubler;
using graphtest::Make;
using graphtest::PlugOf;

TEST(TupleChildren, PlugsOfAPairAndItsChildrenAndCleanOutputs)
{
    vxhost::Scene::Get().Reset();
    Doubler::Register();
    vxhost::SetMessageEcho(false);
    vxhost::ClearMessages();
    auto n = Make("testDoubler", "n");
    auto d = Make("testDoubler", "d");

    // An output left dirty is computed at every read, and its node type is
    // warned about once; one marked clean is computed once.
    Doubler::computes = 0;
    for (const char* output : {"output", "output", "lazy", "lazy"})
        PlugOf(n, output).asDouble();
    EXPECT_EQ(PlugOf(d, "lazy").asDouble(), 21.0);
    EXPECT_EQ(Doubler::computes, 4);
    ASSERT_EQ(vxhost::Messages().size(), 1u);
    EXPECT_EQ(vxhost::Messages()[0].text,
              "testDoubler: compute returned success without marking n.lazy clean; "
              "it is computed again at every read.");
    vxhost::SetMessageEcho(true);

    MPlug range = PlugOf(n, "range");
    MFnNumericAttribute fn(Doubler::range);
    ASSERT_TRUE(range.isCompound());
    ASSERT_EQ(range.numChildren(), 2u);
    EXPECT_EQ(range.child(fn.child(1)), range.child(1));
    EXPECT_EQ(range.child(1).parent(), range);
    EXPECT_EQ(MFnCompoundAttribute(Doubler::range).addChild(fn.create("x", "x", MFnNumericData::kDouble)),
              MStatus::kInvalidParameter);
    MStatus status;
    EXPECT_TRUE(range.child(2, &status).isNull());
    EXPECT_EQ(status, MStatus::kInvalidParameter);

    // Set child by child (within the second number's limit), the numbers
    // reach compute's asDouble2; set whole, each child reads its own.
    ASSERT_TRUE(range.child(0).setDouble(4.0));
    ASSERT_TRUE(range.child(1).setDouble(-7.0));
    EXPECT_EQ(PlugOf(n, "lazy").asDouble(), -46.0);
    MDataBlock(n.get()).outputValue(Doubler::range).set(3.0, 0.5);
    EXPECT_EQ(range.child(0).asDouble(), 3.0);
    EXPECT_EQ(range.child(1).asDouble(), 0.5);

    // Connected through a modifier, a child feeds the pair and refuses
    // writes, as does the pair; undone, it keeps its last value.
    MDGModifier modifier;
    modifier.connect(PlugOf(d, "output"), range.child(0));
    ASSERT_TRUE(modifier.doIt());
    EXPECT_EQ(PlugOf(n, "lazy").asDouble(), 7.0) << "d.output = 2, range1 = 0.5";
    EXPECT_EQ(std::string(range.setDouble(1.0).errorString().asChar()),
              "(kFailure): n.range is the destination of a connection from d.output to n.range0");
    ASSERT_TRUE(modifier.undoIt());
    EXPECT_EQ(range.child(0).asDouble(), 2.0);
    EXPECT_TRUE(range.child(0).setDouble(0.0));
}
