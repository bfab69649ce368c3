// The entity locators as the viewport draws them: the outlines recorded for
// each volume shape, the tube along a curve, and the colours of the
// selection states.

#include "ViewportTestUtil.h"

#include "EntityLocatorNodes.h"
#include "VolumeLocatorDrawOverride.h"

#include <maya/MFrameContext.h>
#include <maya/MUIDrawManager.h>

#include "ui/Cameras.h"

#include <algorithm>
#include <memory>

using namespace viewporttest;
using MHWRender::MUIDrawManager;
using vxhost::UIPrimitive;

namespace
{
class VolumeLocatorDrawOverrideTest : public ViewportTest
{
protected:
    /// A target locator "volShape" under "vol", nothing selected.
    void MakeLocator(const std::string& settings)
    {
        Run("createNode transform -n vol; createNode QF_VX_targetLocatorNode -n volShape -p vol;" + settings +
            "select -cl;");
    }
    static vxhost::UIDrawable Locator(const std::string& path = "|vol|volShape") { return DrawableOf(path); }

    static double MinY(const UIPrimitive& p)
    {
        return std::min_element(p.points.begin(), p.points.end(),
                                [](const MPoint& a, const MPoint& b) { return a.y < b.y; })
            ->y;
    }
    static double MaxY(const UIPrimitive& p)
    {
        return std::max_element(p.points.begin(), p.points.end(),
                                [](const MPoint& a, const MPoint& b) { return a.y < b.y; })
            ->y;
    }
};

TEST_F(VolumeLocatorDrawOverrideTest, SphereIsThreeCirclesAndTheMarker)
{
    MakeLocator("setAttr volShape.width 2;");
    const vxhost::UIDrawable drawable = Locator();
    EXPECT_EQ(drawable.selectability, MUIDrawManager::kAutomatic);
    const std::vector<UIPrimitive> drawn = Drawn(drawable);
    ASSERT_EQ(drawn.size(), 6u);
    // Circles about x, y and z: 24 points of radius 2, the last on the first.
    for (int axis = 0; axis < 3; ++axis)
    {
        const UIPrimitive& circle = drawn[static_cast<std::size_t>(axis)];
        EXPECT_EQ(circle.mode, MUIDrawManager::kClosedLine);
        EXPECT_EQ(circle.state.depthPriority, 5u);
        ASSERT_EQ(circle.points.size(), 24u);
        for (const MPoint& p : circle.points)
        {
            EXPECT_NEAR(MVector(p).length(), 2.0, 1e-12);
            EXPECT_EQ(axis == 0 ? p.x : axis == 1 ? p.y : p.z, 0.0);
        }
        EXPECT_TRUE(circle.points[0].isEquivalent(circle.points[23], 1e-12));
    }
    // Point 1 of the circle about y: (2 cos a, 0, 2 sin a).
    EXPECT_NEAR(drawn[1].points[1].x, 2.0 * std::cos(kStep), 1e-12);
    EXPECT_NEAR(drawn[1].points[1].z, 2.0 * std::sin(kStep), 1e-12);
    // The marker: segments along z, y and x.
    EXPECT_TRUE(IsMarkerSegment(drawn[3], 2));
    EXPECT_TRUE(IsMarkerSegment(drawn[4], 1));
    EXPECT_TRUE(IsMarkerSegment(drawn[5], 0));
}

TEST_F(VolumeLocatorDrawOverrideTest, AShapeThatCannotBeDrawnLeavesTheMarker)
{
    // Either switch off: the marker alone, even with the marker switched off.
    for (const char* off : {"drawVolume", "drawVolumeOverride"})
    {
        MakeLocator(
            std::string("setAttr volShape.width 2; setAttr volShape.drawCentre 0; setAttr volShape.") + off +
            " 0;");
        const std::vector<UIPrimitive> drawn = Drawn(Locator());
        ASSERT_EQ(drawn.size(), 3u) << off;
        EXPECT_TRUE(IsMarkerSegment(drawn[0], 2));
        EXPECT_TRUE(IsMarkerSegment(drawn[1], 1));
        EXPECT_TRUE(IsMarkerSegment(drawn[2], 0));
        Run("delete vol;");
    }
    // A box with one size 0.
    MakeLocator("setAttr volShape.volumeType 2; setAttr volShape.width 2; setAttr volShape.depth 3;"
                "setAttr volShape.drawCentre 0;");
    const std::vector<UIPrimitive> drawn = Drawn(Locator());
    ASSERT_EQ(drawn.size(), 3u);
    EXPECT_TRUE(IsMarkerSegment(drawn[2], 0));
}

TEST_F(VolumeLocatorDrawOverrideTest, BoxIsSixFacesOfHalfItsSizes)
{
    MakeLocator("setAttr volShape.volumeType 2; setAttr volShape.width 2; setAttr volShape.height 4;"
                "setAttr volShape.depth 6; setAttr volShape.drawCentre 0;");
    const std::vector<UIPrimitive> faces = Drawn(Locator());
    ASSERT_EQ(faces.size(), 6u);
    const std::vector<MPoint> plusX = {MPoint(1, 2, 3), MPoint(1, 2, -3), MPoint(1, -2, -3),
                                       MPoint(1, -2, 3)};
    // -y: +y's corners with y negated.
    const std::vector<MPoint> minusY = {MPoint(1, -2, 3), MPoint(1, -2, -3), MPoint(-1, -2, -3),
                                        MPoint(-1, -2, 3)};
    const std::vector<MPoint> minusZ = {MPoint(1, 2, -3), MPoint(1, -2, -3), MPoint(-1, -2, -3),
                                        MPoint(-1, 2, -3)};
    EXPECT_EQ(faces[0].points, plusX);
    EXPECT_EQ(faces[3].points, minusY);
    EXPECT_EQ(faces[5].points, minusZ);
    for (const UIPrimitive& face : faces)
        EXPECT_EQ(face.mode, MUIDrawManager::kClosedLine);
}

TEST_F(VolumeLocatorDrawOverrideTest, CapsuleRingsSitAtTheEndsOfItsAxis)
{
    MakeLocator("setAttr volShape.volumeType 1; setAttr volShape.width 1; setAttr volShape.height 4;"
                "setAttr volShape.drawCentre 0;");
    const std::vector<UIPrimitive> drawn = Drawn(Locator());
    ASSERT_EQ(drawn.size(), 4u);
    for (const MPoint& p : drawn[0].points)
        EXPECT_EQ(p.y, 2.0);
    for (const MPoint& p : drawn[1].points)
        EXPECT_EQ(p.y, -2.0);
    EXPECT_NEAR(drawn[0].points[1].x, std::cos(kStep), 1e-12);

    // The y-z profile reaches the caps' tops at angle 0; its lowest point is
    // at the angle nearest pi, 22 pi / 23.
    EXPECT_DOUBLE_EQ(MaxY(drawn[2]), 3.0);
    EXPECT_NEAR(MinY(drawn[2]), -2.0 - std::cos(std::numbers::pi / 23.0), 1e-12);
    for (const MPoint& p : drawn[2].points)
        EXPECT_EQ(p.x, 0.0);
    // The x-y profile peaks at the angle nearest pi / 2, 12 pi / 23.
    const double peak = 2.0 + std::sin(6.0 * kStep);
    EXPECT_NEAR(MaxY(drawn[3]), peak, 1e-12);
    EXPECT_NEAR(MinY(drawn[3]), -peak, 1e-12);
    for (const MPoint& p : drawn[3].points)
        EXPECT_EQ(p.z, 0.0);
    // Straight sides: nothing between the rings' heights is cut short.
    EXPECT_NEAR(drawn[3].points[0].y, -2.0, 1e-12);
}

// A straight curve 30 cm along x with the default spacing of 10 cm: key
// samples at both ends and one in-between sample at x = 15.
class TubeTest : public VolumeLocatorDrawOverrideTest
{
protected:
    void SetUp() override
    {
        VolumeLocatorDrawOverrideTest::SetUp();
        Run("curve -d 1 -p 0 0 0 -p 30 0 0 -n path; createNode QF_VX_targetLocatorNode -n tube -p path;"
            "setAttr tube.volumeType 3; connectAttr pathShape.worldSpace[0] tube.attachedCurve;"
            "setAttr tube.curveRadiiCache[0] 1.5; setAttr tube.curveRadiiCache[1] 0.5; select -cl;");
    }
    static vxhost::UIDrawable Tube() { return Locator("|path|tube"); }
};

TEST_F(TubeTest, RingsFollowTheCurveWithFaintInBetweens)
{
    const std::vector<UIPrimitive> drawn = Drawn(Tube());
    // Three rings and two end lines; no centre marker on a tube.
    ASSERT_EQ(drawn.size(), 5u);
    const double radii[] = {1.5, 1.0, 0.5}; // the middle one interpolated
    const double xs[] = {0.0, 15.0, 30.0};
    const MColor colour = Palette(6, M3dView::kTemplateColor);
    for (std::size_t i = 0; i < 3; ++i)
    {
        const UIPrimitive& ring = drawn[i];
        EXPECT_EQ(ring.mode, MUIDrawManager::kClosedLine);
        ASSERT_EQ(ring.points.size(), 24u);
        // Across the x axis, the tangent: (x, r cos a, r sin a).
        EXPECT_NEAR(ring.points[1].x, xs[i], 1e-9);
        EXPECT_NEAR(ring.points[1].y, radii[i] * std::cos(kStep), 1e-9);
        EXPECT_NEAR(ring.points[1].z, radii[i] * std::sin(kStep), 1e-9);
        EXPECT_FLOAT_EQ(ring.state.color.a, i == 1 ? 0.2f : 1.0f);
        EXPECT_EQ(ring.state.color.r, colour.r);
    }
    // The end lines carry the curve on by one radius, faintly.
    EXPECT_EQ(drawn[3].mode, MUIDrawManager::kLines);
    EXPECT_TRUE(drawn[3].points[0].isEquivalent(MPoint(0, 0, 0), 1e-9));
    EXPECT_TRUE(drawn[3].points[1].isEquivalent(MPoint(-1.5, 0, 0), 1e-9));
    EXPECT_TRUE(drawn[4].points[1].isEquivalent(MPoint(30.5, 0, 0), 1e-9));
    EXPECT_FLOAT_EQ(drawn[4].state.color.a, 0.2f);
}

TEST_F(TubeTest, IntervalsOffLeavesTheKeysAndVolumeOffLeavesNothing)
{
    Run("setAttr tube.drawCurveVolumeIntervals 0;");
    const std::vector<UIPrimitive> drawn = Drawn(Tube());
    ASSERT_EQ(drawn.size(), 4u);
    EXPECT_NEAR(drawn[0].points[0].x, 0.0, 1e-9);
    EXPECT_NEAR(drawn[1].points[0].x, 30.0, 1e-9);
    EXPECT_EQ(drawn[2].mode, MUIDrawManager::kLines);

    Run("setAttr tube.drawVolume 0;");
    EXPECT_TRUE(Drawn(Tube()).empty());
}

TEST_F(VolumeLocatorDrawOverrideTest, ColourFollowsTheSelection)
{
    Run("createNode transform -n a; createNode QF_VX_targetLocatorNode -n aShape -p a;"
        "createNode transform -n b; createNode QF_VX_modifierLocatorNode -n bShape -p b;"
        "createNode transform -n c; createNode QF_VX_obstacleLocatorNode -n cShape -p c;"
        "setAttr aShape.width 1; setAttr bShape.width 1; setAttr cShape.width 1; select -cl;");
    const auto colourOf = [](const std::string& path) { return Drawn(DrawableOf(path))[0].state.color; };
    // Unselected: each kind in its own template colour.
    EXPECT_EQ(colourOf("|a|aShape"), Palette(6, M3dView::kTemplateColor));
    EXPECT_EQ(colourOf("|b|bShape"), Palette(5, M3dView::kTemplateColor));
    EXPECT_EQ(colourOf("|c|cShape"), Palette(12, M3dView::kTemplateColor));
    Run("setAttr aShape.dormantViewportColour 9;");
    EXPECT_EQ(colourOf("|a|aShape"), Palette(9, M3dView::kTemplateColor));

    // The last selected is the lead, in active colour 18; the others white.
    Run("select -r a b;");
    EXPECT_EQ(colourOf("|b|bShape"), Palette(18, M3dView::kActiveColors));
    EXPECT_EQ(colourOf("|a|aShape"), MColor(1.0f, 1.0f, 1.0f, 1.0f));
    EXPECT_EQ(colourOf("|c|cShape"), Palette(12, M3dView::kTemplateColor));
}

TEST_F(VolumeLocatorDrawOverrideTest, DataIsReusedAndRebuilt)
{
    MakeLocator("setAttr volShape.width 2;");
    std::unique_ptr<MHWRender::MPxDrawOverride> drawOverride(
        VolumeLocatorDrawOverride::creator(PathTo("volShape").node()));
    EXPECT_EQ(drawOverride->supportedDrawAPIs(), MHWRender::kAllDevices);
    const MHWRender::MFrameContext context(vxhost::ActiveView());

    // Data of another kind is not reused.
    MUserData foreign;
    std::unique_ptr<MUserData> data(
        drawOverride->prepareForDraw(PathTo("volShape"), MDagPath(), context, &foreign));
    auto* locatorData = dynamic_cast<VolumeLocatorData*>(data.get());
    ASSERT_NE(locatorData, nullptr);
    EXPECT_EQ(locatorData->outlines[0].length(), 24u);

    // Reused and refilled rather than added to.
    Run("setAttr volShape.volumeType 2; setAttr volShape.height 2; setAttr volShape.depth 2;");
    EXPECT_EQ(drawOverride->prepareForDraw(PathTo("volShape"), MDagPath(), context, data.get()), data.get());
    EXPECT_EQ(locatorData->volumeType, 2);
    EXPECT_EQ(locatorData->outlines[0].length(), 4u);
    EXPECT_EQ(locatorData->outlines[6].length(), 2u);

    // A path to something that is not a volume locator: emptied data.
    Run("createNode transform -n other;");
    drawOverride->prepareForDraw(PathTo("other"), MDagPath(), context, data.get());
    EXPECT_EQ(locatorData->outlines[0].length(), 0u);
    EXPECT_EQ(locatorData->outlines[6].length(), 0u);

    // Without data nothing is drawn.
    MUIDrawManager drawManager;
    drawOverride->addUIDrawables(PathTo("volShape"), drawManager, context, nullptr);
    EXPECT_TRUE(drawManager.Drawables().empty());
}
} // namespace
