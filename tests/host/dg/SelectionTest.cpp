// Selection lists and their filtered iteration, the active selection through
// MGlobal, and plug-in locators: what a plug-in sees when it asks the host
// which objects it should work on.

#include "dg/LocatorNodes.h"
#include "dg/Scene.h"
#include "plugin/PluginRegistry.h"

#include <maya/MFnPlugin.h>
#include <maya/MFnUnitAttribute.h>
#include <maya/MGlobal.h>
#include <maya/MItSelectionList.h>
#include <maya/MPxFieldNode.h>
#include <maya/MPxLocatorNode.h>
#include <maya/MSelectionList.h>
#include <vxhost/CommandEngine.h>
#include <vxhost/MessageLog.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using vxhost::Scene;

namespace
{
struct TestLocator : MPxLocatorNode
{
    static inline bool bounded = true;
    static inline MObject size;

    bool isBounded() const override { return bounded; }
    MBoundingBox boundingBox() const override { return MBoundingBox(MPoint(-1, -2, -3), MPoint(1, 2, 3)); }

    static void* Create() { return new TestLocator; }
    static MStatus Initialize()
    {
        MFnUnitAttribute fn;
        size = fn.create("size", "sz", MFnUnitAttribute::kDistance, 1.0);
        MStatus status = addAttribute(size);
        // The inherited locator attributes are there to be named.
        return status ? attributeAffects(size, MPxLocatorNode::localPosition) : status;
    }
};

struct TestField : MPxFieldNode
{
    static void* Create() { return new TestField; }
    static MStatus Initialize() { return MStatus::kSuccess; }
};

// Registers the test types through MFnPlugin, as a loaded plug-in would.
void RegisterPluginTypes()
{
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    auto plugin = std::make_shared<vxhost::PluginObject>();
    plugin->name = "selectionTestPlugin";
    MObject object(plugin);
    MFnPlugin fn(object, "test", "1.0");
    ASSERT_TRUE(fn.registerNode("testLocator", MTypeId(0x7F0A1), TestLocator::Create, TestLocator::Initialize,
                                MPxNode::kLocatorNode));
    ASSERT_TRUE(fn.registerNode("testField", MTypeId(0x7F0A2), TestField::Create, TestField::Initialize,
                                MPxNode::kFieldNode));
}

class SelectionTest : public testing::Test
{
protected:
    void SetUp() override
    {
        RegisterPluginTypes();
        Scene::Get().Reset();
        vxhost::SetMessageEcho(false);
        vxhost::ClearMessages();
        TestLocator::bounded = true;
    }
    void TearDown() override
    {
        Scene::Get().Reset();
        vxhost::ClearMessages();
        vxhost::SetMessageEcho(true);
    }

    static void Run(const std::string& script)
    {
        ASSERT_TRUE(vxhost::CommandEngine::Instance().RunScript(script)) << script;
    }
    static MObject Find(const char* name) { return Scene::Get().Find(name)->Object(); }

    static std::vector<std::string> Names(const MSelectionList& list)
    {
        MStringArray strings;
        list.getSelectionStrings(strings);
        std::vector<std::string> names;
        for (unsigned i = 0; i < strings.length(); ++i)
            names.emplace_back(strings[i].asChar());
        return names;
    }
    // The partial names an iteration under filter yields.
    static std::vector<std::string> Walk(const MSelectionList& list, MFn::Type filter)
    {
        std::vector<std::string> names;
        for (MItSelectionList it(list, filter); !it.isDone(); it.next())
        {
            MObject node;
            EXPECT_TRUE(it.getDependNode(node));
            names.push_back(vxhost::Node::From(node)->name);
        }
        return names;
    }
};

TEST_F(SelectionTest, AddsNodesByNamePathAndHandleOnce)
{
    Run("createNode transform -n goal; createNode locator -n goalShape -p goal; createNode animCurveTU -n "
        "k;");
    MSelectionList list;
    ASSERT_TRUE(list.add("goal"));
    ASSERT_TRUE(list.add("|goal|goalShape"));
    // The same nodes again, by short name, handle and plug: no new items.
    EXPECT_TRUE(list.add("goalShape"));
    EXPECT_TRUE(list.add(Find("goal")));
    EXPECT_TRUE(list.add("goal.translateX"));
    EXPECT_EQ(list.length(), 2u);
    EXPECT_EQ(list.add("nothing").statusCode(), MStatus::kInvalidParameter);
    EXPECT_EQ(list.add("|other|goalShape").statusCode(), MStatus::kInvalidParameter);
    EXPECT_EQ(list.length(), 2u);

    MDagPath path;
    ASSERT_TRUE(list.getDagPath(1, path));
    EXPECT_STREQ(path.fullPathName().asChar(), "|goal|goalShape");

    // A dependency node has no path, but is a node of the list all the same.
    ASSERT_TRUE(list.add("k"));
    MObject node;
    EXPECT_EQ(list.getDagPath(2, path).statusCode(), MStatus::kFailure);
    ASSERT_TRUE(list.getDependNode(2, node));
    EXPECT_EQ(node, Find("k"));
    EXPECT_FALSE(list.getDependNode(3, node));
    EXPECT_EQ(Names(list), (std::vector<std::string>{"goal", "goalShape", "k"}));

    // A wildcard adds every match in creation order.
    MSelectionList pattern;
    ASSERT_TRUE(pattern.add("goal*"));
    EXPECT_EQ(pattern.length(), 2u);
}

TEST_F(SelectionTest, MergesAsMayaDoes)
{
    Run("createNode transform -n a; createNode transform -n b; createNode transform -n c;");
    MSelectionList ab, bc;
    ab.add("a");
    ab.add("b");
    bc.add("b");
    bc.add("c");
    MSelectionList merged = ab, toggled = ab, removed = ab;
    merged.merge(bc);
    toggled.merge(bc, MSelectionList::kXORWithList);
    removed.merge(bc, MSelectionList::kRemoveFromList);
    EXPECT_EQ(Names(merged), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(Names(toggled), (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(Names(removed), (std::vector<std::string>{"a"}));
    EXPECT_TRUE(removed.remove(0));
    EXPECT_FALSE(removed.remove(0));
}

TEST_F(SelectionTest, FiltersYieldShapesFieldsOrEverything)
{
    Run("curve -d 1 -p 0 0 0 -p 1 0 0 -n path;"
        "createNode transform -n empty;"
        "createNode testField -n swarm;"
        "particle -p 0 0 0 -n cloud;"
        "createNode testLocator -n beaconShape;"
        "createNode transform -n lamp; createNode locator -n lampShape -p lamp;");
    const std::string beacon = vxhost::Node::From(Find("beaconShape"))->parent->name;
    MSelectionList list;
    for (const std::string& name : {std::string("path"), std::string("empty"), std::string("swarm"),
                                    std::string("cloud"), beacon, std::string("lampShape")})
        ASSERT_TRUE(list.add(name.c_str())) << name;

    // Transforms give way to their geometric shape; a shape is taken as it
    // is; no geometry (an empty transform, particles, a field) is skipped.
    EXPECT_EQ(Walk(list, MFn::kGeometric),
              (std::vector<std::string>{"pathShape", "beaconShape", "lampShape"}));
    EXPECT_EQ(Walk(list, MFn::kField), (std::vector<std::string>{"swarm"}));
    EXPECT_EQ(Walk(list, MFn::kInvalid).size(), 6u);
    EXPECT_EQ(Walk(list, MFn::kMesh).size(), 0u);

    MItSelectionList it(list, MFn::kGeometric);
    MDagPath path;
    ASSERT_TRUE(it.getDagPath(path));
    EXPECT_STREQ(path.fullPathName().asChar(), "|path|pathShape");
    EXPECT_EQ(it.itemType(), MItSelectionList::kDagSelectionItem);
    // A new filter starts the walk again.
    it.next();
    it.setFilter(MFn::kField);
    MObject node;
    ASSERT_TRUE(it.getDependNode(node));
    EXPECT_EQ(node, Find("swarm"));
    it.next();
    EXPECT_TRUE(it.isDone());
    EXPECT_FALSE(it.getDagPath(path));

    // A node deleted after it was listed is skipped.
    Run("delete swarm;");
    EXPECT_TRUE(Walk(list, MFn::kField).empty());
}

TEST_F(SelectionTest, ActiveSelectionKeepsOrderBothWays)
{
    Run("createNode transform -n a; createNode transform -n b; select -r b a;");
    MSelectionList list;
    ASSERT_TRUE(MGlobal::getActiveSelectionList(list));
    EXPECT_EQ(Names(list), (std::vector<std::string>{"b", "a"})); // the lead last

    MSelectionList reversed;
    reversed.add("a");
    reversed.add("b");
    ASSERT_TRUE(MGlobal::setActiveSelectionList(reversed));
    ASSERT_EQ(Scene::Get().Selection().size(), 2u);
    EXPECT_EQ(Scene::Get().Selection().back()->name, "b");

    Run("delete a;");
    ASSERT_TRUE(MGlobal::setActiveSelectionList(reversed));
    ASSERT_EQ(Scene::Get().Selection().size(), 1u);
    EXPECT_EQ(Scene::Get().Selection().front()->name, "b");
    ASSERT_TRUE(MGlobal::executeCommand("select -cl"));
    EXPECT_TRUE(Scene::Get().Selection().empty());
}

TEST_F(SelectionTest, PluginLocatorIsAShapeWithLocatorAttributesAndBounds)
{
    Run("createNode testLocator -n beaconShape; setAttr beaconShape.localPositionX 4;");
    vxhost::Node* shape = vxhost::Node::From(Find("beaconShape"));
    ASSERT_NE(shape->parent, nullptr);
    EXPECT_TRUE(shape->parent->cls->IsA("transform"));
    EXPECT_EQ(shape->ApiType(), MFn::kPluginLocatorNode);
    EXPECT_TRUE(shape->HasFn(MFn::kLocator));
    EXPECT_FALSE(MPxLocatorNode::localPosition.isNull());
    EXPECT_EQ(MPlug(Find("beaconShape"), MPxLocatorNode::localPosition).child(0).asDouble(), 4.0);

    MBoundingBox box;
    ASSERT_TRUE(vxhost::LocatorBoundingBox(*shape, box));
    EXPECT_EQ(box.min(), MPoint(-1, -2, -3));
    EXPECT_EQ(box.max(), MPoint(1, 2, 3));
    TestLocator::bounded = false;
    EXPECT_FALSE(vxhost::LocatorBoundingBox(*shape, box));

    // The built-in locator is its cross: localPosition +- localScale.
    Run("createNode locator -n lampShape;"
        "setAttr lampShape.localPosition 1 2 3; setAttr lampShape.localScale 2 2 0.5;");
    ASSERT_TRUE(vxhost::LocatorBoundingBox(*vxhost::Node::From(Find("lampShape")), box));
    EXPECT_EQ(box.min(), MPoint(-1, 0, 2.5));
    EXPECT_EQ(box.max(), MPoint(3, 4, 3.5));
    EXPECT_FALSE(vxhost::LocatorBoundingBox(*shape->parent, box));
}
} // namespace
