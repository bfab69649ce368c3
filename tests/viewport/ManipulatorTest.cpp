// The entity locators' manipulators worked through the host's "manipulate"
// command, as a user works them with the mouse.

#include "ViewportTestUtil.h"

#include "RadiusManipulatorNode.h"

#include <maya/MFrameContext.h>
#include <maya/MUIDrawManager.h>

#include "ui/Cameras.h"

#include <memory>

using namespace viewporttest;
using MHWRender::MUIDrawManager;

namespace
{
class ManipulatorTest : public ViewportTest
{
protected:
    /// Where a distance manipulator's handle is drawn.
    static MPoint HandlePoint(const char* name)
    {
        MGLuint handle = 0;
        EXPECT_TRUE(vxhost::ManipContext::Get().HandleByName(name, handle)) << name;
        for (const vxhost::UIDrawable& drawable : Redraw().manipulators)
            if (drawable.selectionName == handle && !drawable.primitives.empty())
                return drawable.primitives[0].points[0];
        ADD_FAILURE() << name << " is not drawn";
        return MPoint();
    }
    /// The circle a radius manipulator draws.
    static vxhost::UIPrimitive Circle(const char* name)
    {
        MGLuint handle = 0;
        EXPECT_TRUE(vxhost::ManipContext::Get().HandleByName(name, handle)) << name;
        for (const vxhost::UIDrawable& drawable : Redraw().manipulators)
            if (drawable.selectionName == handle && !drawable.primitives.empty())
                return drawable.primitives[0];
        ADD_FAILURE() << name << " is not drawn";
        return {};
    }
};

TEST_F(ManipulatorTest, DistanceHandlesFollowTheVolumeType)
{
    // A sphere: the radius, at its full value, from the locator's position.
    Run("createNode transform -n ball; createNode QF_VX_targetLocatorNode -n ballShape -p ball;"
        "setAttr ballShape.width 3; xform -t 10 0 0 ball; select -r ball; manipulate -show;");
    EXPECT_EQ(Result(), "widthManip");
    EXPECT_TRUE(HandlePoint("widthManip").isEquivalent(MPoint(13.0, 0.0, 0.0), 1e-12));

    // A capsule: radius at full value, axis length at half.
    Run("setAttr ballShape.volumeType 1; setAttr ballShape.height 4; manipulate -show;");
    EXPECT_EQ(Result(), "widthManip heightManip");
    EXPECT_TRUE(HandlePoint("heightManip").isEquivalent(MPoint(10.0, 2.0, 0.0), 1e-12));

    // A box: all three at half their values, along the transform's scaled
    // axes.
    Run("createNode transform -n crate; createNode QF_VX_modifierLocatorNode -n crateShape -p crate;"
        "setAttr crateShape.volumeType 2; setAttr crateShape.width 2; setAttr crateShape.height 4;"
        "setAttr crateShape.depth 6; xform -t 0 5 0 -s 2 1 1 crate; select -r crate; manipulate -show;");
    EXPECT_EQ(Result(), "widthManip heightManip depthManip");
    EXPECT_TRUE(HandlePoint("widthManip").isEquivalent(MPoint(2.0, 5.0, 0.0), 1e-12));
    EXPECT_TRUE(HandlePoint("heightManip").isEquivalent(MPoint(0.0, 7.0, 0.0), 1e-12));
    EXPECT_TRUE(HandlePoint("depthManip").isEquivalent(MPoint(0.0, 5.0, 3.0), 1e-12));

    // Dragging the width handle 1 cm further along x: the width grows by
    // 1 / (0.5 * 2).
    Run("manipulate -press widthManip -ray 2 5 10 0 0 -1; manipulate -drag -ray 3 5 10 0 0 -1;"
        "manipulate -release;");
    EXPECT_DOUBLE_EQ(Value("crateShape.width"), 3.0);
}

// A straight curve 30 cm along x: key samples at x = 0 and 30, an in-between
// one at x = 15.
class RadiusManipulatorTest : public ManipulatorTest
{
protected:
    void SetUp() override
    {
        ManipulatorTest::SetUp();
        Run("curve -d 1 -p 0 0 0 -p 30 0 0 -n path; createNode QF_VX_obstacleLocatorNode -n tube -p path;"
            "setAttr tube.volumeType 3; connectAttr pathShape.worldSpace[0] tube.attachedCurve;"
            "setAttr tube.curveRadiusScale 2; select -r path; manipulate -show;");
    }
};

TEST_F(RadiusManipulatorTest, OneHandlePerKeyEditingTheKeysInOrder)
{
    // Samples 0 and 2 are the keys; the distance handles are hidden.
    EXPECT_EQ(Result(), "curveManip0 curveManip2");
    // Radius keys default to 1 cm, drawn at twice that across the curve.
    const vxhost::UIPrimitive circle = Circle("curveManip2");
    EXPECT_EQ(circle.mode, MUIDrawManager::kClosedLine);
    EXPECT_EQ(circle.state.lineWidth, 2.0f);
    ASSERT_EQ(circle.points.size(), 24u);
    EXPECT_NEAR(circle.points[1].x, 30.0, 1e-9);
    EXPECT_NEAR(circle.points[1].y, 2.0 * std::cos(kStep), 1e-9);
    EXPECT_NEAR(circle.points[1].z, 2.0 * std::sin(kStep), 1e-9);

    // The second key's handle edits element 1.
    Run("manipulate -press curveManip2 -ray 40 0 0 -1 0 0; manipulate -drag -ray 40 0 5 -1 0 0;"
        "manipulate -release;");
    EXPECT_DOUBLE_EQ(Value("tube.curveRadiiCache[1]"), 2.5);
    EXPECT_DOUBLE_EQ(Value("tube.curveRadiiCache[0]"), 1.0);
}

TEST_F(RadiusManipulatorTest, DragWritesTheDistanceOverTheScale)
{
    // The ray meets the plane x = 0 at (0, 3, 0), 3 from the centre.
    Run("manipulate -press curveManip0 -ray -10 3 0 1 0 0;");
    EXPECT_DOUBLE_EQ(Value("tube.curveRadiiCache[0]"), 1.5);
    // Drawn at 1.5 times the scale.
    for (const MPoint& p : Circle("curveManip0").points)
        EXPECT_NEAR(MVector(p).length(), 3.0, 1e-9);

    // A ray parallel to the plane meets it nowhere: nothing changes.
    Run("manipulate -drag -ray 0 5 10 0 0 -1;");
    EXPECT_DOUBLE_EQ(Value("tube.curveRadiiCache[0]"), 1.5);
    // The plane is met behind the ray's origin too.
    Run("manipulate -drag -ray 5 0 4 1 0 0; manipulate -release;");
    EXPECT_DOUBLE_EQ(Value("tube.curveRadiiCache[0]"), 2.0);
}

TEST_F(ManipulatorTest, WithoutAPlugTheCircleIsAUnitCircleThatIgnoresDrags)
{
    std::unique_ptr<RadiusManipulatorNode> manip(
        static_cast<RadiusManipulatorNode*>(RadiusManipulatorNode::creator()));
    manip->postConstructor();
    manip->centre = MPoint(1.0, 2.0, 3.0);
    manip->normal = MVector(0.0, 0.0, 2.0);
    manip->scale = 5.0;
    manip->preDrawUI(M3dView::active3dView());
    MUIDrawManager drawManager;
    manip->drawUI(drawManager, MHWRender::MFrameContext(vxhost::ActiveView()));
    ASSERT_EQ(drawManager.Drawables().size(), 1u);
    const vxhost::UIDrawable& drawable = drawManager.Drawables()[0];
    EXPECT_EQ(drawable.selectability, MUIDrawManager::kSelectable);
    // Light blue, the main manipulator colour.
    EXPECT_EQ(drawable.primitives[0].state.color, Palette(17, M3dView::kActiveColors));
    for (const MPoint& p : drawable.primitives[0].points)
    {
        // Across the normal: in the plane z = 3, radius 1 whatever the scale.
        EXPECT_NEAR(p.z, 3.0, 1e-12);
        EXPECT_NEAR(p.distanceTo(manip->centre), 1.0, 1e-12);
    }
}
} // namespace
