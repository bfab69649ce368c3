// Numeric pairs and triples as Maya has them: compounds whose children hold
// their numbers one by one, through attributes, plugs and data handles; and
// compute as the only one that marks an output clean.

#include "GraphTestUtil.h"

#include <maya/MDGModifier.h>
#include <maya/MFnDependencyNode.h>
#include <vxhost/MessageLog.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using graphtest::Make;
using graphtest::PlugOf;
using vxhost::Scene;

namespace
{
// range: a double2 limited to (0, -5) from below; sum = range0 + 10 * range1;
// swapped: a computed double2 written child by child, (range1, range0).
struct PairNode : MPxNode
{
    static inline MObject range, sum, swapped, steps;
    static inline int sumComputes = 0, swappedComputes = 0;

    MStatus compute(const MPlug& plug, MDataBlock& block) override
    {
        MStatus status;
        const double2& r = block.inputValue(range, &status).asDouble2();
        if (!status)
            return status;
        if (plug == sum)
        {
            ++sumComputes;
            block.outputValue(sum).set(r[0] + 10.0 * r[1]);
            return block.setClean(plug);
        }
        if (plug == swapped || plug.parent() == swapped)
        {
            ++swappedComputes;
            MDataHandle out = block.outputValue(swapped);
            MFnNumericAttribute fn(swapped);
            out.child(fn.child(0)).set(r[1]);
            out.child(fn.child(1)).set(r[0]);
            out.setClean();
            return MStatus::kSuccess;
        }
        return MStatus::kUnknownParameter;
    }

    static MStatus Initialize()
    {
        MFnNumericAttribute fn;
        range = fn.create("range", "r", MFnNumericData::k2Double);
        fn.setDefault(1.0, 2.0);
        fn.setMin(0.0, -5.0);
        steps = fn.create("steps", "st", MFnNumericData::k2Int);
        sum = fn.create("sum", "s", MFnNumericData::kDouble);
        fn.setWritable(false);
        swapped = fn.create("swapped", "sw", MFnNumericData::k2Double);
        fn.setWritable(false);
        for (const MObject* a : {&range, &steps, &sum, &swapped})
            if (MStatus status = MPxNode::addAttribute(*a); !status)
                return status;
        MPxNode::attributeAffects(range, sum);
        return MPxNode::attributeAffects(range, swapped);
    }
};

// Writes its output and forgets to mark it clean.
struct ForgetfulNode : MPxNode
{
    static inline MObject input, output;
    static inline int computes = 0;

    MStatus compute(const MPlug& plug, MDataBlock& block) override
    {
        if (plug != output)
            return MStatus::kUnknownParameter;
        ++computes;
        block.outputValue(output).set(block.inputValue(input).asDouble() + 1.0);
        return MStatus::kSuccess;
    }

    static MStatus Initialize()
    {
        MFnNumericAttribute fn;
        input = fn.create("input", "in", MFnNumericData::kDouble);
        output = fn.create("output", "out", MFnNumericData::kDouble);
        MPxNode::addAttribute(input);
        MPxNode::addAttribute(output);
        return MPxNode::attributeAffects(input, output);
    }
};

template <typename T> void RegisterType(const char* name, unsigned id)
{
    auto& registry = vxhost::NodeRegistry::Get();
    if (registry.Find(name))
        return;
    auto cls = std::make_unique<vxhost::NodeClass>();
    cls->typeName = name;
    cls->id = MTypeId(id);
    cls->parent = registry.Find("dependNode");
    cls->creator = [] { return new T; };
    registry.Register(std::move(cls), T::Initialize);
}

std::vector<std::string> Warnings()
{
    std::vector<std::string> texts;
    for (const vxhost::Message& m : vxhost::Messages())
        if (m.severity == vxhost::Severity::kWarning)
            texts.push_back(m.text);
    return texts;
}

class TupleChildrenTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Scene::Get().Reset();
        vxhost::SetMessageEcho(false);
        vxhost::ClearMessages();
        RegisterType<PairNode>("testPairNode", 0x7F010);
        RegisterType<ForgetfulNode>("testForgetful", 0x7F011);
        graphtest::Doubler::Register();
    }
    void TearDown() override
    {
        Scene::Get().Reset();
        vxhost::SetMessageEcho(true);
    }
};
} // namespace

TEST(TupleChildren, PairsAndTriplesGetTheirChildrenFromTheirType)
{
    MFnNumericAttribute fn;
    const MObject pair = fn.create("lim", "l", MFnNumericData::k2Double, 0.5);
    ASSERT_TRUE(fn.setMin(-1.0, 2.0));
    ASSERT_TRUE(fn.setDefault(3.0, 4.0));
    ASSERT_TRUE(fn.setKeyable(true));
    ASSERT_TRUE(fn.setArray(true));

    MStatus status;
    MFnNumericAttribute second(fn.child(1, &status));
    ASSERT_TRUE(status);
    EXPECT_EQ(second.name(), "lim1");
    EXPECT_EQ(second.shortName(), "l1");
    EXPECT_EQ(second.unitType(), MFnNumericData::kDouble);
    EXPECT_TRUE(second.parent() == pair);
    // The child takes its number's default and limit and the shared flags,
    // but not array-ness.
    double value = 0.0;
    second.getDefault(value);
    EXPECT_EQ(value, 4.0);
    second.getMin(value);
    EXPECT_EQ(value, 2.0);
    EXPECT_TRUE(second.isKeyable());
    EXPECT_FALSE(second.isArray());
    EXPECT_TRUE(fn.child(2, &status).isNull());
    EXPECT_EQ(status, MStatus::kInvalidParameter);

    // A pair is a compound in the graph, with the children of its type only.
    ASSERT_TRUE(pair.hasFn(MFn::kCompoundAttribute));
    MFnCompoundAttribute compound(pair);
    EXPECT_EQ(compound.numChildren(), 2u);
    EXPECT_EQ(MFnAttribute(compound.child(0)).name(), "lim0");
    EXPECT_EQ(compound.addChild(MFnNumericAttribute().create("x", "x", MFnNumericData::kDouble)),
              MStatus::kInvalidParameter);

    const MObject triple = fn.create("colour", "c", MFnNumericData::k3Float);
    EXPECT_EQ(MFnCompoundAttribute(triple).numChildren(), 3u);
    EXPECT_EQ(MFnNumericAttribute(fn.child(2)).unitType(), MFnNumericData::kFloat);
    EXPECT_EQ(MFnNumericAttribute(fn.child(2)).name(), "colour2");
    const MObject single = fn.create("one", "o", MFnNumericData::kDouble);
    EXPECT_FALSE(single.hasFn(MFn::kCompoundAttribute));
    EXPECT_TRUE(fn.child(0, &status).isNull());
}

TEST_F(TupleChildrenTest, ChildPlugsReadAndWriteThePairsValue)
{
    auto n = Make("testPairNode", "n");
    const MPlug range = PlugOf(n, "range");
    ASSERT_TRUE(range.isCompound());
    ASSERT_EQ(range.numChildren(), 2u);
    MPlug low = range.child(0), high = range.child(1);
    EXPECT_EQ(low.name(), "n.range0");
    EXPECT_TRUE(range.child(PairNode::range).isNull()) << "the pair is no child of itself";
    EXPECT_EQ(range.child(MFnNumericAttribute(PairNode::range).child(1)), high);
    EXPECT_EQ(high.parent(), range);
    MStatus status;
    EXPECT_TRUE(range.child(2, &status).isNull());
    EXPECT_EQ(status, MStatus::kInvalidParameter);
    EXPECT_TRUE(range.parent(&status).isNull());
    EXPECT_EQ(status, MStatus::kInvalidParameter);

    // Listings name each child after its pair.
    const MFnDependencyNode fn(n->Object());
    std::vector<std::string> listed;
    for (unsigned i = 0; i < fn.attributeCount(); ++i)
        listed.emplace_back(MFnAttribute(fn.attribute(i)).name().asChar());
    const std::vector<std::string> own(listed.end() - 10, listed.end());
    EXPECT_EQ(own, (std::vector<std::string>{"range", "range0", "range1", "steps", "steps0", "steps1", "sum",
                                             "swapped", "swapped0", "swapped1"}));

    // The defaults, then numbers set child by child, reach compute's
    // asDouble2; the child's limit is the pair's second one.
    EXPECT_EQ(PlugOf(n, "sum").asDouble(), 21.0);
    ASSERT_TRUE(low.setDouble(4.0));
    ASSERT_TRUE(high.setDouble(-7.0));
    EXPECT_EQ(high.asDouble(), -5.0);
    EXPECT_EQ(PlugOf(n, "sum").asDouble(), -46.0);

    // A value set on the pair reads back from each child.
    MDataBlock block(n.get());
    block.outputValue(PairNode::range).set(3.0, 0.5);
    EXPECT_EQ(low.asDouble(), 3.0);
    EXPECT_EQ(high.asDouble(), 0.5);
    EXPECT_EQ(block.inputValue(high).asDouble(), 0.5);

    // A whole number pair's children round as the pair does.
    ASSERT_TRUE(PlugOf(n, "steps").child(0).setDouble(2.7));
    EXPECT_EQ(block.inputValue(PairNode::steps).asInt2()[0], 2);

    // A computed pair written child by child reads whole and by child.
    const MPlug swapped = PlugOf(n, "swapped");
    EXPECT_EQ(swapped.child(0).asDouble(), 0.5);
    EXPECT_EQ(swapped.child(1).asDouble(), 3.0);
    const double2& both = block.inputValue(PairNode::swapped).asDouble2();
    EXPECT_EQ(both[0], 0.5);
    EXPECT_EQ(both[1], 3.0);
}

TEST_F(TupleChildrenTest, ConnectedChildrenFeedThePairAndRefuseWrites)
{
    auto n = Make("testPairNode", "n");
    auto source = Make("testDoubler", "d");
    MPlug range = PlugOf(n, "range");
    ASSERT_TRUE(PlugOf(source, "input").setDouble(3.0));

    MDGModifier modifier;
    ASSERT_TRUE(modifier.connect(PlugOf(source, "output"), range.child(0)));
    ASSERT_TRUE(modifier.doIt());
    EXPECT_EQ(PlugOf(n, "sum").asDouble(), 26.0) << "d.output = 6, range1 = 2";
    ASSERT_TRUE(PlugOf(source, "input").setDouble(0.5));
    EXPECT_EQ(range.child(0).asDouble(), 1.0);
    EXPECT_EQ(PlugOf(n, "sum").asDouble(), 21.0);

    // Neither the child nor the pair holding it can be set; the other
    // child can.
    MStatus status = range.child(0).setDouble(9.0);
    EXPECT_EQ(status, MStatus::kFailure);
    EXPECT_EQ(std::string(status.errorString().asChar()),
              "(kFailure): n.range0 is the destination of a connection from d.output");
    status = range.setDouble(9.0);
    EXPECT_EQ(std::string(status.errorString().asChar()),
              "(kFailure): n.range is the destination of a connection from d.output to n.range0");
    ASSERT_TRUE(range.child(1).setDouble(4.0));
    EXPECT_EQ(PlugOf(n, "sum").asDouble(), 41.0);

    // Undone, the child keeps the last value it was given and can be set.
    ASSERT_TRUE(modifier.undoIt());
    EXPECT_FALSE(range.child(0).isConnected());
    EXPECT_EQ(range.child(0).asDouble(), 1.0);
    ASSERT_TRUE(range.child(0).setDouble(2.0));
    EXPECT_EQ(PlugOf(n, "sum").asDouble(), 42.0);

    // A pair fed whole feeds its children.
    auto other = Make("testPairNode", "m");
    ASSERT_TRUE(PlugOf(other, "range").child(1).setDouble(6.0));
    ASSERT_TRUE(Scene::Get().Connect(PlugOf(other, "range"), range, false));
    EXPECT_EQ(range.child(0).asDouble(), 1.0);
    EXPECT_EQ(range.child(1).asDouble(), 6.0);
    status = range.child(1).setDouble(0.0);
    EXPECT_EQ(std::string(status.errorString().asChar()),
              "(kFailure): n.range1 is the destination of a connection from m.range to n.range");
}

TEST_F(TupleChildrenTest, AnOutputLeftDirtyIsComputedAgainAndWarnedOnce)
{
    // Outputs marked clean are computed once however often they are read,
    // also when compute cleaned the pair a child was asked for.
    auto n = Make("testPairNode", "n");
    PairNode::sumComputes = PairNode::swappedComputes = 0;
    PlugOf(n, "sum").asDouble();
    PlugOf(n, "sum").asDouble();
    PlugOf(n, "swapped").child(1).asDouble();
    PlugOf(n, "swapped").child(1).asDouble();
    EXPECT_EQ(PairNode::sumComputes, 1);
    EXPECT_EQ(PairNode::swappedComputes, 1);
    EXPECT_TRUE(Warnings().empty());

    // One left dirty is computed at every read; the type is warned about
    // once, whichever of its nodes is read.
    auto f = Make("testForgetful", "f");
    auto g = Make("testForgetful", "g");
    ForgetfulNode::computes = 0;
    EXPECT_EQ(PlugOf(f, "output").asDouble(), 1.0);
    EXPECT_EQ(PlugOf(f, "output").asDouble(), 1.0);
    EXPECT_EQ(PlugOf(g, "output").asDouble(), 1.0);
    EXPECT_EQ(ForgetfulNode::computes, 3);
    EXPECT_EQ(Warnings(), std::vector<std::string>{"testForgetful: compute returned success without marking "
                                                   "f.output clean; it is computed again at every read."});
}
