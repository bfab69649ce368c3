// Display status from the selection, the colour tables, and the view's
// camera and projection.

#include "ViewportTestUtil.h"

#include <maya/MFnCamera.h>
#include <maya/MFrameContext.h>
#include <vxhost/Viewport.h>

#include "ui/Cameras.h"

#include <gtest/gtest.h>

using namespace viewporttest;
using MHWRender::MGeometryUtilities;
using vxhost::Scene;

namespace
{
class ViewStateTest : public testing::Test
{
protected:
    void SetUp() override
    {
        vxhost::SetMessageEcho(false);
        Scene::Get().Reset();
        TestLocator::Register();
    }
    void TearDown() override
    {
        Scene::Get().Reset();
        vxhost::ClearMessages();
        vxhost::SetMessageEcho(true);
    }
};

TEST_F(ViewStateTest, DisplayStatusFollowsTheSelection)
{
    ASSERT_TRUE(
        RunScript("createNode testVolume -n a; createNode testVolume -n b; createNode testVolume -n c;"));
    const MDagPath a = PathOf("a"), b = PathOf("b"), c = PathOf("c");
    EXPECT_EQ(MGeometryUtilities::displayStatus(a), MHWRender::kDormant);

    // The last selected is the lead, the others active; a selected
    // transform makes its shape so.
    ASSERT_TRUE(RunScript("select -r a transform2;"));
    EXPECT_EQ(MGeometryUtilities::displayStatus(a), MHWRender::kActive);
    EXPECT_EQ(MGeometryUtilities::displayStatus(b), MHWRender::kLead);
    EXPECT_EQ(MGeometryUtilities::displayStatus(c), MHWRender::kDormant);
    ASSERT_TRUE(RunScript("select -add a;"));
    EXPECT_EQ(MGeometryUtilities::displayStatus(a), MHWRender::kLead);
    EXPECT_EQ(MGeometryUtilities::displayStatus(b), MHWRender::kActive);

    // Hidden and intermediate objects, whatever the selection.
    ASSERT_TRUE(RunScript("setAttr transform1.visibility 0; setAttr c.intermediateObject 1;"));
    EXPECT_EQ(MGeometryUtilities::displayStatus(a), MHWRender::kInvisible);
    EXPECT_EQ(MGeometryUtilities::displayStatus(c), MHWRender::kIntermediateObject);

    MStatus status;
    EXPECT_EQ(MGeometryUtilities::displayStatus(MDagPath(), &status), MHWRender::kNoStatus);
    EXPECT_EQ(status, MStatus::kInvalidParameter);
}

TEST_F(ViewStateTest, ColourTablesHoldMayasDefaultPalette)
{
    const M3dView view = M3dView::active3dView();
    // The entries the plug-in reads: lead, field template, locator dormant
    // colours (modifier, target, obstacle) and green.
    EXPECT_EQ(view.colorAtIndex(18, M3dView::kActiveColors), MColor(0.263f, 1.0f, 0.639f));
    EXPECT_EQ(view.colorAtIndex(10, M3dView::kTemplateColor), MColor(0.247f, 0.137f, 0.122f));
    EXPECT_EQ(view.colorAtIndex(5, M3dView::kTemplateColor), MColor(0.0f, 0.0f, 1.0f));
    EXPECT_EQ(view.colorAtIndex(6, M3dView::kTemplateColor), MColor(0.0f, 0.275f, 0.098f));
    EXPECT_EQ(view.colorAtIndex(12, M3dView::kTemplateColor), MColor(1.0f, 0.0f, 0.0f));
    EXPECT_EQ(view.colorAtIndex(13, M3dView::kTemplateColor), MColor(0.0f, 1.0f, 0.0f));
    EXPECT_EQ(view.colorAtIndex(0, M3dView::kDormantColors), MColor(0.0f, 0.0f, 0.0f));
    EXPECT_EQ(view.colorAtIndex(31, M3dView::kActiveColors), MColor(0.471f, 0.471f, 0.471f));

    MStatus status;
    EXPECT_EQ(view.colorAtIndex(32, M3dView::kActiveColors, &status), MColor());
    EXPECT_EQ(status, MStatus::kInvalidParameter);
    view.colorAtIndex(3, M3dView::kBackgroundColor, &status);
    EXPECT_EQ(status, MStatus::kInvalidParameter);
}

TEST_F(ViewStateTest, ViewProjectsThroughItsCamera)
{
    // A picture sets the active view: its camera and size.
    vxhost::ViewportOptions options;
    options.camera = "front";
    options.width = 400;
    options.height = 200;
    vxhost::ViewportFrame frame;
    ASSERT_TRUE(vxhost::RecordViewport(options, frame));
    M3dView view = M3dView::active3dView();
    EXPECT_EQ(view.portWidth(), 400);
    MDagPath camera;
    ASSERT_TRUE(view.getCamera(camera));
    EXPECT_EQ(camera.fullPathName(), "|front|frontShape");
    MStatus status;
    MFnCamera fn(camera, &status);
    ASSERT_TRUE(status);
    EXPECT_EQ(fn.name(), "frontShape");
    EXPECT_TRUE(fn.isOrtho());
    EXPECT_EQ(fn.viewDirection(MSpace::kWorld), MVector(0.0, 0.0, -1.0));

    // Front looks down -z: the origin framed in the middle, +x to the
    // right, +y up (pixels count up from the bottom).
    short x = 0, y = 0, x2 = 0, y2 = 0;
    ASSERT_TRUE(view.worldToView(MPoint(0.0, 0.0, 0.0), x, y));
    EXPECT_EQ(x, 200);
    EXPECT_EQ(y, 100);
    ASSERT_TRUE(view.worldToView(MPoint(1.0, 1.0, 5.0), x2, y2));
    EXPECT_GT(x2, x);
    EXPECT_GT(y2, y);

    // The ray back through a pixel passes through the point drawn there.
    options.camera = "persp";
    ASSERT_TRUE(vxhost::RecordViewport(options, frame));
    const MPoint target(3.0, -2.0, 4.0);
    ASSERT_TRUE(view.worldToView(target, x, y));
    MPoint origin;
    MVector direction;
    ASSERT_TRUE(view.viewToWorld(x, y, origin, direction));
    const MVector toTarget = target - origin;
    const double off = (toTarget - direction * (toTarget * direction)).length();
    EXPECT_LT(off, 0.1); // within a pixel's width at that distance

    // The frame context's view-projection matrix agrees with the view.
    const MHWRender::MFrameContext context(vxhost::ActiveView());
    const MPoint clip = target * context.getMatrix(MHWRender::MFrameContext::kViewProjMtx);
    const double px = (clip.x / clip.w * 0.5 + 0.5) * 400.0;
    EXPECT_NEAR(px, x, 1.0);
    vxhost::ViewportOptions nowhere;
    nowhere.camera = "nowhere";
    EXPECT_EQ(vxhost::RecordViewport(nowhere, frame), MStatus::kInvalidParameter);
}
} // namespace
