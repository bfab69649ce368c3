// Manipulator containers and manipulators as a plug-in writes them,
// worked through the "manipulate" command as a user works them with the
// mouse.

#include "ViewportTestUtil.h"

#include "ui/Manipulators.h"

#include <maya/MFnCamera.h>
#include <maya/MFnDistanceManip.h>
#include <maya/MFnNumericData.h>
#include <maya/MFnTransform.h>
#include <maya/MPxManipContainer.h>
#include <maya/MPxManipulatorNode.h>
#include <vxhost/Viewport.h>

#include <gtest/gtest.h>

using namespace viewporttest;
using MHWRender::MUIDrawManager;
using vxhost::ManipContext;
using vxhost::Scene;

namespace
{
// A ring in the xz plane around a centre, whose radius is a plug's value:
// dragging puts the radius where the mouse ray meets the ring's plane.
struct RingManip : MPxManipulatorNode
{
    static inline int presses = 0, drags = 0, releases = 0;
    static inline MPoint lastOrigin;
    static inline MVector lastDirection;
    static inline MGLuint activeDuringDrag = 0;

    MGLuint handle = 0;
    MPoint centre;
    MPlug radiusPlug;
    bool visible = false;
    double radius = 1.0;
    short colour = 0;

    void postConstructor() override { glFirstHandle(handle); }
    void preDrawUI(const M3dView& view) override
    {
        MDagPath camera;
        M3dView cameraView(view);
        MStatus status = cameraView.getCamera(camera);
        MFnCamera fn(camera, &status);
        visible = status && fn.name().length() > 0;
        colour = mainColor();
        radius = radiusPlug.isNull() ? 1.0 : radiusPlug.asDouble();
    }
    void drawUI(MUIDrawManager& dm, const MHWRender::MFrameContext&) const override
    {
        if (!visible)
            return;
        dm.beginDrawable(MUIDrawManager::kSelectable, handle);
        setHandleColor(dm, handle, colour);
        MPointArray ring;
        for (int k = 0; k < 24; ++k)
        {
            const double a = k * 2.0 * std::numbers::pi / 24.0;
            ring.append(centre + MVector(radius * std::cos(a), 0.0, radius * std::sin(a)));
        }
        dm.mesh(MUIDrawManager::kClosedLine, ring);
        dm.endDrawable();
    }
    MStatus doPress(M3dView&) override
    {
        ++presses;
        return mouseRay(lastOrigin, lastDirection);
    }
    MStatus doDrag(M3dView&) override
    {
        ++drags;
        glActiveName(activeDuringDrag);
        mouseRay(lastOrigin, lastDirection);
        if (std::fabs(lastDirection.y) < 1e-5)
            return MStatus::kSuccess;
        const MPoint hit = lastOrigin + lastDirection * ((centre.y - lastOrigin.y) / lastDirection.y);
        if (activeDuringDrag == handle && !radiusPlug.isNull())
            radiusPlug.setValue(hit.distanceTo(centre));
        return MStatus::kSuccess;
    }
    MStatus doRelease(M3dView&) override
    {
        ++releases;
        return MStatus::kSuccess;
    }
};

// Width as a distance manipulator from the locator's position at half
// scale, a hidden depth manipulator, and the ring on the width.
struct TestVolumeManip : MPxManipContainer
{
    MDagPath widthPath, depthPath, locatorPath;
    RingManip* ring = nullptr;

    MStatus createChildren() override
    {
        widthPath = addDistanceManip("widthManip", "width");
        MFnDistanceManip width(widthPath);
        width.setStartPoint(MPoint(0.0, 0.0, 0.0));
        width.setDirection(MVector(1.0, 0.0, 0.0));
        width.setDrawLine(true);
        depthPath = addDistanceManip("depthManip", "depth");
        MPxManipulatorNode* proxy = nullptr;
        MStatus status = addMPxManipulatorNode("testRingManip", "ringManip", proxy);
        ring = static_cast<RingManip*>(proxy);
        return status;
    }
    MStatus connectToDependNode(const MObject& node) override
    {
        MStatus status = MFnDagNode(node).getPath(locatorPath);
        if (!status)
            return status;
        MPlug widthPlug = MFnDependencyNode(node).findPlug("width", true, &status);
        MFnDistanceManip width(widthPath);
        width.connectToDistancePlug(widthPlug);
        width.setScalingFactor(0.5);
        addPlugToManipConversionCallback(width.startPointIndex(), static_cast<plugToManipConversionCallback>(
                                                                      &TestVolumeManip::StartPoint));
        MFnDistanceManip(depthPath).setVisible(false);
        ring->radiusPlug = widthPlug;
        MDagPath transform = locatorPath;
        transform.pop();
        ring->centre = MFnTransform(transform).getTranslation(MSpace::kWorld);
        finishAddingManips();
        return MPxManipContainer::connectToDependNode(node);
    }
    MManipData StartPoint(unsigned)
    {
        MDagPath transform = locatorPath;
        transform.pop();
        const MVector t = MFnTransform(transform).transformation().getTranslation(MSpace::kWorld);
        MFnNumericData numeric;
        MObject data = numeric.create(MFnNumericData::k3Double);
        numeric.setData(t.x, t.y, t.z);
        return MManipData(data);
    }
};

void RegisterManipTypes()
{
    auto& registry = vxhost::NodeRegistry::Get();
    if (registry.Find("testVolumeManip"))
        return;
    auto container = std::make_unique<vxhost::NodeClass>();
    container->typeName = "testVolumeManip";
    container->id = MTypeId(0x7F102);
    container->pxType = MPxNode::kManipContainer;
    container->parent = registry.Find("dependNode");
    container->creator = [] { return new TestVolumeManip; };
    container->apiType = MFn::kPluginManipContainer;
    registry.Register(std::move(container), MPxManipContainer::initialize);
    auto ring = std::make_unique<vxhost::NodeClass>();
    ring->typeName = "testRingManip";
    ring->id = MTypeId(0x7F103);
    ring->pxType = MPxNode::kManipulatorNode;
    ring->parent = registry.Find("dependNode");
    ring->creator = [] { return new RingManip; };
    ring->apiType = MFn::kPluginManipulatorNode;
    registry.Register(std::move(ring), [] { return MStatus(MStatus::kSuccess); });
    MTypeId id(0x7F101);
    MPxManipContainer::addToManipConnectTable(id);
}

class ManipulatorTest : public testing::Test
{
protected:
    void SetUp() override
    {
        vxhost::SetMessageEcho(false);
        Scene::Get().Reset();
        TestLocator::Register();
        RegisterManipTypes();
        RingManip::presses = RingManip::drags = RingManip::releases = 0;
        ASSERT_TRUE(RunScript("createNode testVolume -n vol; setAttr vol.width 4; xform -t 10 0 0 transform1;"
                              "select -r transform1;"));
    }
    void TearDown() override
    {
        Scene::Get().Reset();
        vxhost::ClearMessages();
        vxhost::SetMessageEcho(true);
    }

    static double Width()
    {
        EXPECT_TRUE(RunScript("getAttr vol.width;"));
        return std::stod(Result());
    }

    // The recorded drawable of a handle.
    static const vxhost::UIDrawable* HandleDrawable(const vxhost::ViewportFrame& frame, MGLuint handle)
    {
        for (const auto& drawable : frame.manipulators)
            if (drawable.selectionName == handle)
                return &drawable;
        return nullptr;
    }
};

TEST_F(ManipulatorTest, ShowingListsTheVisibleManipulatorsOfTheLeadSelection)
{
    ASSERT_TRUE(RunScript("manipulate -show;"));
    EXPECT_EQ(Result(), "widthManip ringManip"); // depthManip is hidden
    ASSERT_TRUE(ManipContext::Get().Container());
    EXPECT_EQ(ManipContext::Get().Target()->name, "vol");

    // Nothing selected: nothing to show, and no mouse without manipulators.
    ASSERT_TRUE(RunScript("select -cl;"));
    EXPECT_FALSE(RunScript("manipulate -show;"));
    EXPECT_FALSE(RunScript("manipulate -press widthManip -ray 0 0 10 0 0 -1;"));
    EXPECT_NE(LastError().find("No manipulators are shown"), std::string::npos);

    // Deleting the node takes its manipulators away.
    ASSERT_TRUE(RunScript("select -r vol; manipulate -show; delete transform1;"));
    EXPECT_EQ(ManipContext::Get().Container(), nullptr);
}

TEST_F(ManipulatorTest, DraggingTheDistanceHandleWritesThePlug)
{
    ASSERT_TRUE(RunScript("manipulate -show;"));
    MGLuint handle = 0;
    ASSERT_TRUE(ManipContext::Get().HandleByName("widthManip", handle));
    {
        // The handle sits at the start point (the locator's position) plus
        // the direction times width times the scaling factor.
        vxhost::ViewportFrame frame;
        ASSERT_TRUE(vxhost::RecordViewport(vxhost::ViewportOptions(), frame));
        const vxhost::UIDrawable* drawable = HandleDrawable(frame, handle);
        ASSERT_NE(drawable, nullptr);
        EXPECT_EQ(drawable->primitives[0].points[0], MPoint(12.0, 0.0, 0.0));
        EXPECT_EQ(drawable->primitives[0].state.color, MColor(1.0f, 0.0f, 0.0f)); // along x: red
    }
    // Pressed at the handle and moved 1 along x: width grows by 1 / 0.5.
    ASSERT_TRUE(RunScript("manipulate -press widthManip -ray 12 0 10 0 0 -1;"));
    ASSERT_TRUE(RunScript("manipulate -drag -ray 13 5 10 0 0 -1;"));
    EXPECT_DOUBLE_EQ(Width(), 6.0);
    // Relative to the press: a second drag from the same press.
    ASSERT_TRUE(RunScript("manipulate -drag -ray 11.5 0 10 0 0 -1;"));
    EXPECT_DOUBLE_EQ(Width(), 3.0);
    // A ray along the line moves nothing.
    ASSERT_TRUE(RunScript("manipulate -drag -ray 0 0 0 1 0 0;"));
    EXPECT_DOUBLE_EQ(Width(), 3.0);
    ASSERT_TRUE(RunScript("manipulate -release;"));
    EXPECT_EQ(ManipContext::Get().ActiveHandle(), 0u);
    EXPECT_FALSE(RunScript("manipulate -drag -ray 13 0 10 0 0 -1;"));
    EXPECT_DOUBLE_EQ(Width(), 3.0);
}

TEST_F(ManipulatorTest, PickingFindsTheHandleUnderTheRay)
{
    ASSERT_TRUE(RunScript("manipulate -show;"));
    // Just off the width handle, from 10 units above (a ray along z would
    // cross the ring around it).
    ASSERT_TRUE(RunScript("manipulate -pick -ray 12 10 0.1 0 -1 0; manipulate -drag -ray 12.5 10 0.1 0 -1 0;"
                          "manipulate -release;"));
    EXPECT_DOUBLE_EQ(Width(), 5.0);
    EXPECT_FALSE(RunScript("manipulate -pick -ray 50 50 10 0 0 -1;"));
    EXPECT_NE(LastError().find("No manipulator handle lies under the ray"), std::string::npos);
    EXPECT_FALSE(RunScript("manipulate -press depthManip -ray 0 0 0 0 0 -1;")); // hidden
}

TEST_F(ManipulatorTest, APlugInsManipulatorGetsTheMouse)
{
    ASSERT_TRUE(RunScript("manipulate -show;"));
    TestVolumeManip* container = static_cast<TestVolumeManip*>(ManipContext::Get().Container());
    const MGLuint handle = container->ring->handle;
    ASSERT_NE(handle, 0u);

    // From above, down onto the ring's plane 3 from its centre.
    ASSERT_TRUE(RunScript("manipulate -press ringManip -ray 13 10 0 0 -1 0;"));
    EXPECT_EQ(RingManip::presses, 1);
    EXPECT_EQ(RingManip::lastOrigin, MPoint(13.0, 10.0, 0.0));
    EXPECT_EQ(RingManip::lastDirection, MVector(0.0, -1.0, 0.0));
    ASSERT_TRUE(RunScript("manipulate -drag -ray 10 10 3 0 -1 0;"));
    EXPECT_EQ(RingManip::activeDuringDrag, handle);
    EXPECT_DOUBLE_EQ(Width(), 3.0);
    {
        // The pressed handle draws in the selected colour (yellow).
        vxhost::ViewportFrame frame;
        ASSERT_TRUE(vxhost::RecordViewport(vxhost::ViewportOptions(), frame));
        const vxhost::UIDrawable* ring = HandleDrawable(frame, handle);
        ASSERT_NE(ring, nullptr);
        EXPECT_EQ(ring->primitives[0].state.color, MColor(1.0f, 1.0f, 0.0f));
        EXPECT_DOUBLE_EQ(ring->primitives[0].points[0].x, 13.0); // radius follows the plug
    }
    // Releasing with a ray drags there first.
    ASSERT_TRUE(RunScript("manipulate -release -ray 10 10 -2 0 -1 0;"));
    EXPECT_EQ(RingManip::drags, 2);
    EXPECT_EQ(RingManip::releases, 1);
    EXPECT_DOUBLE_EQ(Width(), 2.0);
    vxhost::ViewportFrame frame;
    ASSERT_TRUE(vxhost::RecordViewport(vxhost::ViewportOptions(), frame));
    EXPECT_EQ(HandleDrawable(frame, handle)->primitives[0].state.color, MColor(0.392f, 0.863f, 1.0f));
}

TEST_F(ManipulatorTest, ManipulatorsFollowTheLeadSelection)
{
    ASSERT_TRUE(
        RunScript("manipulate -show; createNode testVolume -n other; select -r other; manipulate -list;"));
    EXPECT_EQ(ManipContext::Get().Target()->name, "other");
    EXPECT_EQ(Result(), "widthManip ringManip");
    ASSERT_TRUE(RunScript("select -r transform1; manipulate -list;"));
    EXPECT_EQ(ManipContext::Get().Target()->name, "vol");
    ASSERT_TRUE(RunScript("select -cl; manipulate -list;"));
    EXPECT_EQ(ManipContext::Get().Container(), nullptr);
    EXPECT_EQ(Result(), "");
}
} // namespace
