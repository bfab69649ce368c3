// The target, modifier and obstacle locators: volume locators under their own
// types, each with its own dormant colour.

#include "LocatorTestUtil.h"

#include <maya/MGlobal.h>

#include <string>
#include <vector>

namespace
{
using vxtest::LocatorScene;

int DormantColour(const std::string& name)
{
    const VolumeLocatorNode* locator = LocatorScene::Locator(name);
    EXPECT_NE(locator, nullptr) << name;
    return locator ? MPlug(locator->thisMObject(), VolumeLocatorNode::mDormantViewportColour).asInt() : -1;
}

std::vector<std::string> TopLevelNames(const vxhost::NodeClass& cls)
{
    std::vector<const vxhost::Attribute*> attributes;
    cls.TopLevel(attributes);
    std::vector<std::string> names;
    for (const vxhost::Attribute* a : attributes)
        names.push_back(a->name);
    return names;
}
} // namespace

TEST(EntityLocatorNodes, TypesInheritEveryVolumeLocatorAttribute)
{
    LocatorScene scene;
    const vxhost::NodeRegistry& registry = vxhost::NodeRegistry::Get();
    const vxhost::NodeClass* volume = registry.Find("QF_VX_volumeLocatorNode");
    ASSERT_NE(volume, nullptr);
    struct Expected
    {
        const char* typeName;
        unsigned id;
    };
    for (const Expected& e :
         {Expected{"QF_VX_targetLocatorNode", 0x123B42u}, Expected{"QF_VX_modifierLocatorNode", 0x123B43u},
          Expected{"QF_VX_obstacleLocatorNode", 0x123B47u}})
    {
        const vxhost::NodeClass* cls = registry.Find(e.typeName);
        ASSERT_NE(cls, nullptr) << e.typeName;
        EXPECT_EQ(cls->id.id(), e.id);
        EXPECT_EQ(cls->pxType, MPxNode::kLocatorNode);
        EXPECT_EQ(cls->classification, std::string("drawdb/geometry/") + e.typeName);
        // Every attribute is the volume locator's own (same names, defaults
        // and limits), and curveData is computed as there.
        EXPECT_EQ(cls->parent, volume);
        EXPECT_TRUE(cls->attributes.empty());
        EXPECT_EQ(TopLevelNames(*cls), TopLevelNames(*volume));
        EXPECT_TRUE(cls->IsComputed(cls->Find("curveData")));
    }

    // A target samples its curve as a plain volume locator does.
    LocatorScene::Run("createNode QF_VX_targetLocatorNode -n goal; setAttr goal.curveVolumeResolution 3;"
                      "curve -d 1 -p 0 0 0 -p 100 0 0 -k 0 -k 1 -n path;"
                      "connectAttr pathShape.worldSpace[0] goal.attachedCurve;");
    EXPECT_EQ(LocatorScene::CurveData("goal").length(), 11u);
}

TEST(EntityLocatorNodes, DormantColourPerKindAndFromTheOptionVariable)
{
    LocatorScene scene;
    MGlobal::removeOptionVar(TargetLocatorNode::dormantColourName);
    MGlobal::removeOptionVar(ModifierLocatorNode::dormantColourName);
    MGlobal::removeOptionVar(ObstacleLocatorNode::dormantColourName);

    LocatorScene::Run("createNode QF_VX_volumeLocatorNode -n vol;"
                      "createNode QF_VX_targetLocatorNode -n target1;"
                      "createNode QF_VX_modifierLocatorNode -n modifier1;"
                      "createNode QF_VX_obstacleLocatorNode -n obstacle1;");
    EXPECT_EQ(DormantColour("vol"), 6);
    EXPECT_EQ(DormantColour("target1"), 6);
    EXPECT_EQ(DormantColour("modifier1"), 5);
    EXPECT_EQ(DormantColour("obstacle1"), 12);
    EXPECT_EQ(LocatorScene::Locator("obstacle1")->leadColourIndex, 18);

    // The option is read when a locator is made: earlier ones keep theirs,
    // and other kinds are not affected.
    MGlobal::setOptionVarValue("QF_VX_targetLocatorNodeDormantColour", 13);
    LocatorScene::Run("createNode QF_VX_targetLocatorNode -n target2;"
                      "createNode QF_VX_modifierLocatorNode -n modifier2;");
    EXPECT_EQ(DormantColour("target2"), 13);
    EXPECT_EQ(DormantColour("target1"), 6);
    EXPECT_EQ(DormantColour("modifier2"), 5);
    EXPECT_TRUE(vxtest::Logged(vxhost::Severity::kError).empty());
    MGlobal::removeOptionVar(TargetLocatorNode::dormantColourName);
}
