// The volume locator: its schema, the curve samples it computes, its bounds.

#include "LocatorTestUtil.h"

#include <maya/MBoundingBox.h>
#include <maya/MFnNumericData.h>
#include <maya/MFnUnitAttribute.h>

#include <cmath>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace
{
using vxhost::Attribute;
using vxhost::AttributeKind;
using vxtest::LocatorScene;

constexpr double kTolerance = 1e-9;

std::string TypeOf(const Attribute& a)
{
    switch (a.kind)
    {
    case AttributeKind::kUnit:
        return a.unitType == MFnUnitAttribute::kDistance ? "distance" : "unit";
    case AttributeKind::kTyped:
        return a.dataType == MFnData::kPointArray   ? "pointArray"
               : a.dataType == MFnData::kNurbsCurve ? "nurbsCurve"
                                                    : "typed";
    case AttributeKind::kEnum:
    {
        std::string type = "enum";
        for (const auto& [field, code] : a.enumFields)
            type += "," + field + "=" + std::to_string(code);
        return type;
    }
    default:
        return a.numericType == MFnNumericData::kBoolean  ? "bool"
               : a.numericType == MFnNumericData::kInt    ? "int"
               : a.numericType == MFnNumericData::kDouble ? "double"
                                                          : "other";
    }
}

/// An attribute as "name short type default [limits] [flags]".
std::string Describe(const Attribute& a)
{
    std::ostringstream out;
    out << a.name << ' ' << a.shortName << ' ' << TypeOf(a);
    if (a.kind != AttributeKind::kTyped)
        out << ' ' << a.defaults[0];
    out << " [";
    for (const auto& [on, text, value] : {std::tuple{a.hasMin, "min", a.min[0]},
                                          {a.hasMax, "max", a.max[0]},
                                          {a.hasSoftMin, "softMin", a.softMin},
                                          {a.hasSoftMax, "softMax", a.softMax}})
        if (on)
            out << ' ' << text << ' ' << value;
    out << " ] [";
    for (const auto& [on, text] : {std::pair{a.keyable, "keyable"}, {a.hidden, "hidden"}, {a.array, "array"}})
        if (on)
            out << ' ' << text;
    out << " ]";
    return out.str();
}

/// The samples as "param radius flag" lines, for one comparison showing
/// every difference.
std::vector<std::string> Rows(const MPointArray& samples)
{
    std::vector<std::string> rows;
    for (unsigned i = 0; i < samples.length(); ++i)
    {
        std::ostringstream out;
        // Rounded so that arc-length inversion noise does not show.
        out << std::round(samples[i].x * 1e9) / 1e9 << ' ' << std::round(samples[i].y * 1e9) / 1e9 << ' '
            << samples[i].z << ' ' << samples[i].w;
        rows.push_back(out.str());
    }
    return rows;
}

/// A locator "vol" attached to a straight curve "path" of `length` cm along
/// x with the knot domain [start, end].
void MakeAttachedLocator(double length, double start = 0.0, double end = 1.0)
{
    std::ostringstream script;
    script << "createNode QF_VX_volumeLocatorNode -n vol;"
           << "curve -d 1 -p 0 0 0 -p " << length << " 0 0 -k " << start << " -k " << end << " -n path;"
           << "connectAttr pathShape.worldSpace[0] vol.attachedCurve;"
           << "setAttr vol.volumeType 3;";
    LocatorScene::Run(script.str());
}
} // namespace

TEST(VolumeLocatorNode, SchemaMatchesTheAttributeTable)
{
    LocatorScene scene;
    const vxhost::NodeClass* cls = vxhost::NodeRegistry::Get().Find("QF_VX_volumeLocatorNode");
    ASSERT_NE(cls, nullptr);
    EXPECT_EQ(cls->id.id(), 0x123B41u);
    EXPECT_EQ(cls->pxType, MPxNode::kLocatorNode);
    EXPECT_EQ(cls->classification, "drawdb/geometry/QF_VX_volumeLocatorNode");

    std::vector<std::string> described;
    for (const auto& a : cls->attributes)
        described.push_back(Describe(*a));
    const std::vector<std::string> expected = {
        "volumeType vt enum,Sphere=0,Capsule=1,Box=2,Curve=3 0 [ ] [ keyable ]",
        "width w distance 0 [ min 0 softMax 50 ] [ keyable ]",
        "height h distance 0 [ min 0 softMax 50 ] [ keyable ]",
        "depth d distance 0 [ min 0 softMax 50 ] [ keyable ]",
        "curveData cd pointArray [ ] [ ]",
        "curveRadiiCache crc distance 1 [ ] [ hidden array ]",
        "attachedCurve ac nurbsCurve [ ] [ hidden ]",
        "drawVolume dv bool 1 [ ] [ keyable ]",
        "drawVolumeOverride dvo bool 1 [ ] [ keyable hidden ]",
        "drawCentre dc bool 1 [ ] [ keyable ]",
        "drawCurveVolumeIntervals dcvi bool 1 [ ] [ ]",
        "curveVolumeResolution cvr int 2 [ min 2 max 1000 softMax 10 ] [ keyable ]",
        "curveRadiusScale crs double 1 [ min 0.01 softMin 0 softMax 30 ] [ keyable ]",
        "curveVolumeIntervalSpacing cvrs distance 10 [ min 0.1 softMin 1 softMax 30 ] [ ]",
        "dormantViewportColour dvc int 6 [ ] [ hidden ]",
    };
    EXPECT_EQ(described, expected);

    // An empty sample array, not a null object, before anything is computed.
    EXPECT_FALSE(cls->Find("curveData")->defaultData.isNull());

    std::vector<std::string> affecting;
    for (const auto& [whenChanges, isAffected] : cls->affects)
    {
        affecting.push_back(whenChanges->name);
        EXPECT_EQ(isAffected->name, "curveData");
    }
    EXPECT_EQ(affecting,
              (std::vector<std::string>{"curveVolumeResolution", "attachedCurve", "curveRadiiCache",
                                        "curveVolumeIntervalSpacing", "curveRadiusScale"}));
}

TEST(VolumeLocatorNode, CurveSamplesFollowTheKeysAndSpacing)
{
    {
        // Resolution 3 on a 100 cm curve, 10 cm apart: four samples between
        // keys at t = 0.2 .. 0.8, read through the plug. The knot domain
        // [2, 6] puts the ends at 2 and 6 and sample i at 2 + 0.4 i.
        LocatorScene scene;
        MakeAttachedLocator(100.0, 2.0, 6.0);
        LocatorScene::Run("setAttr vol.curveVolumeResolution 3; setAttr vol.curveRadiusScale 2;"
                          "setAttr vol.curveRadiiCache[0] 1; setAttr vol.curveRadiiCache[1] 2;"
                          "setAttr vol.curveRadiiCache[2] 4;");
        EXPECT_EQ(Rows(LocatorScene::CurveData("vol")),
                  (std::vector<std::string>{"2 2 1 1", "2.4 2.4 0 1", "2.8 2.8 0 1", "3.2 3.2 0 1",
                                            "3.6 3.6 0 1", "4 4 1 1", "4.4 4.8 0 1", "4.8 5.6 0 1",
                                            "5.2 6.4 0 1", "5.6 7.2 0 1", "6 8 1 1"}));

        // A changed key reaches the samples on the next read.
        LocatorScene::Run("setAttr vol.curveRadiiCache[1] 3;");
        EXPECT_NEAR(LocatorScene::CurveData("vol")[5].y, 6.0, kTolerance);
    }
    {
        // Resolution 2 and ten pieces: eight samples between the two keys,
        // 100 / 9 cm apart.
        LocatorScene scene;
        MakeAttachedLocator(100.0);
        const MPointArray samples = LocatorScene::CurveData("vol");
        ASSERT_EQ(samples.length(), 10u);
        for (unsigned i = 0; i < 10; ++i)
        {
            EXPECT_NEAR(samples[i].x, i / 9.0, kTolerance) << i;
            EXPECT_EQ(samples[i].y, 1.0) << i;
            EXPECT_EQ(samples[i].z, i == 0 || i == 9 ? 1.0 : 0.0) << i;
        }
    }
    {
        // A spacing longer than the curve: the keys only, at equal arc length.
        // Keys without a radius element have 1 cm, times the scale.
        LocatorScene scene;
        MakeAttachedLocator(100.0);
        LocatorScene::Run("setAttr vol.curveVolumeResolution 4; setAttr vol.curveVolumeIntervalSpacing 150;"
                          "setAttr vol.curveRadiiCache[0] 5; setAttr vol.curveRadiusScale 3;");
        EXPECT_EQ(Rows(LocatorScene::CurveData("vol")),
                  (std::vector<std::string>{"0 15 1 1", "0.333333 3 1 1", "0.666667 3 1 1", "1 3 1 1"}));
    }
}

TEST(VolumeLocatorNode, CurveSamplesFailuresAndLowResolution)
{
    {
        // A resolution below 2 can only arrive through a connection: warned
        // about, and 2 keys are used.
        LocatorScene scene;
        MakeAttachedLocator(100.0);
        LocatorScene::Run("createNode transform -n source; setAttr vol.curveVolumeIntervalSpacing 150;"
                          "connectAttr source.translateX vol.curveVolumeResolution;");
        vxhost::ClearMessages();
        EXPECT_EQ(LocatorScene::CurveData("vol").length(), 2u);
        EXPECT_EQ(vxtest::Logged(vxhost::Severity::kWarning),
                  std::vector<std::string>{"Curve Volume Resolution value was too small. Resolution has been "
                                           "locked to 2 (minimum allowed)"});
    }
    {
        // Past the hard maximum: setAttr sets the maximum, a connection is
        // held to it with a warning. Either way 1000 keys, not 2^31 - 1.
        LocatorScene scene;
        MakeAttachedLocator(100.0);
        LocatorScene::Run(
            "setAttr vol.curveVolumeIntervalSpacing 150; setAttr vol.curveVolumeResolution 2147483647;");
        EXPECT_EQ(LocatorScene::CurveData("vol").length(), 1000u);
        LocatorScene::Run("createNode transform -n source; setAttr source.translateX 1e9;"
                          "connectAttr source.translateX vol.curveVolumeResolution;");
        vxhost::ClearMessages();
        EXPECT_EQ(LocatorScene::CurveData("vol").length(), 1000u);
        EXPECT_EQ(vxtest::Logged(vxhost::Severity::kWarning),
                  std::vector<std::string>{"Curve Volume Resolution value was too large. Resolution has been "
                                           "locked to 1000 (maximum allowed)"});
    }
    {
        // Without a curve there is nothing to sample: a failure, the output
        // untouched and no message of the node's own.
        LocatorScene scene;
        LocatorScene::Run("createNode QF_VX_volumeLocatorNode -n vol;");
        vxhost::ClearMessages();
        MPointArray samples;
        samples.append(MPoint(7.0, 7.0, 7.0));
        EXPECT_FALSE(LocatorScene::Locator("vol")->ComputeCurveData(samples));
        EXPECT_EQ(samples.length(), 1u);
        EXPECT_TRUE(vxhost::Messages().empty());
    }
}

TEST(VolumeLocatorNode, BoundingBoxOfEachShape)
{
    LocatorScene scene;
    LocatorScene::Run("createNode QF_VX_volumeLocatorNode -n vol;");
    const VolumeLocatorNode* vol = LocatorScene::Locator("vol");
    ASSERT_NE(vol, nullptr);
    EXPECT_TRUE(vol->isBounded());
    const auto expectBox = [vol](const MPoint& min, const MPoint& max, const char* what)
    {
        const MBoundingBox box = vol->boundingBox();
        EXPECT_TRUE(box.min().isEquivalent(min, kTolerance)) << what;
        EXPECT_TRUE(box.max().isEquivalent(max, kTolerance)) << what;
    };

    // Nothing smaller than the unit box.
    expectBox(MPoint(-1, -1, -1), MPoint(1, 1, 1), "width-0 sphere");
    LocatorScene::Run("setAttr vol.width 3;");
    expectBox(MPoint(-3, -3, -3), MPoint(3, 3, 3), "sphere of width 3");
    LocatorScene::Run("setAttr vol.volumeType 1; setAttr vol.width 1; setAttr vol.height 4;");
    expectBox(MPoint(-1, -3, -1), MPoint(1, 3, 1), "capsule: radius plus half the axis");
    LocatorScene::Run("setAttr vol.volumeType 2; setAttr vol.width 2; setAttr vol.depth 6;");
    expectBox(MPoint(-2, -4, -6), MPoint(2, 4, 6), "box: sizes as half extents");

    // A curve volume without a curve keeps the unit box; with one, the box
    // takes in every CV.
    LocatorScene::Run("setAttr vol.volumeType 3;");
    expectBox(MPoint(-1, -1, -1), MPoint(1, 1, 1), "unattached curve");
    LocatorScene::Run("curve -d 2 -p 0 0 0 -p 10 5 -20 -p 3 -7 2 -n path;"
                      "connectAttr pathShape.worldSpace[0] vol.attachedCurve;");
    expectBox(MPoint(-1, -7, -20), MPoint(10, 5, 2), "curve CVs");
}

TEST(VolumeLocatorNode, MendedInputs)
{
    {
        // A spacing of 0 through a connection counts as the attribute's
        // minimum 0.1 cm: 1000 pieces of a 100 cm curve, 2 keys.
        LocatorScene scene;
        MakeAttachedLocator(100.0);
        LocatorScene::Run("createNode transform -n source;"
                          "connectAttr source.translateX vol.curveVolumeIntervalSpacing;");
        const MPointArray samples = LocatorScene::CurveData("vol");
        ASSERT_EQ(samples.length(), 1000u);
        EXPECT_NEAR(samples[1].x, 1.0 / 999.0, kTolerance);
        EXPECT_EQ(samples[999].x, 1.0);
    }
    {
        // Radius keys are centimetres whatever the UI unit: 2 m is 200, and a
        // missing key is 1 cm, not 1 m.
        LocatorScene scene;
        LocatorScene::Run("currentUnit -l m;");
        MakeAttachedLocator(1.0);
        LocatorScene::Run("setAttr vol.curveRadiiCache[0] 2;");
        MDistance radius;
        ASSERT_TRUE(LocatorScene::Locator("vol")->GetRadiusKey(0, radius));
        EXPECT_NEAR(radius.asCentimeters(), 200.0, kTolerance);

        const MPointArray samples = LocatorScene::CurveData("vol");
        ASSERT_EQ(samples.length(), 10u);
        EXPECT_NEAR(samples[0].y, 200.0, kTolerance);
        EXPECT_NEAR(samples[1].y, 200.0 * 8.0 / 9.0 + 1.0 / 9.0, kTolerance);
        EXPECT_EQ(samples[9].y, 1.0);
    }
}
