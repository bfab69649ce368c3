// Draw overrides as the host calls them through a redraw, and what the UI
// draw manager records.

#include "ViewportTestUtil.h"

#include <maya/MFrameContext.h>
#include <vxhost/Viewport.h>

#include <gtest/gtest.h>

using namespace viewporttest;
using MHWRender::MDrawRegistry;
using MHWRender::MUIDrawManager;
using vxhost::RecordViewport;
using vxhost::Scene;
using vxhost::UIPrimitiveKind;
using vxhost::ViewportFrame;
using vxhost::ViewportOptions;

namespace
{
class DrawOverrideTest : public testing::Test
{
protected:
    void SetUp() override
    {
        vxhost::SetMessageEcho(false);
        Scene::Get().Reset();
        TestLocator::Register();
        TestDrawOverride::Reset();
        ASSERT_TRUE(MDrawRegistry::registerDrawOverrideCreator(kClassification, kRegistrant,
                                                               TestDrawOverride::Creator));
    }
    void TearDown() override
    {
        MDrawRegistry::deregisterDrawOverrideCreator(kClassification, kRegistrant);
        Scene::Get().Reset();
        vxhost::ClearMessages();
        vxhost::SetMessageEcho(true);
    }

    static ViewportFrame Redraw()
    {
        ViewportFrame frame;
        EXPECT_TRUE(RecordViewport(ViewportOptions(), frame));
        return frame;
    }
};

TEST_F(DrawOverrideTest, RegistryRefusesDuplicatesAndStrangers)
{
    // One creator per classification.
    EXPECT_EQ(
        MDrawRegistry::registerDrawOverrideCreator(kClassification, "someoneElse", TestDrawOverride::Creator),
        MStatus::kFailure);
    EXPECT_EQ(MDrawRegistry::registerDrawOverrideCreator("", kRegistrant, TestDrawOverride::Creator),
              MStatus::kInvalidParameter);
    EXPECT_EQ(MDrawRegistry::registerDrawOverrideCreator("drawdb/geometry/x", kRegistrant, nullptr),
              MStatus::kInvalidParameter);
    // Only the registrant removes it.
    EXPECT_EQ(MDrawRegistry::deregisterDrawOverrideCreator(kClassification, "someoneElse"),
              MStatus::kFailure);
    EXPECT_EQ(MDrawRegistry::deregisterDrawOverrideCreator("drawdb/geometry/none", kRegistrant),
              MStatus::kFailure);
}

TEST_F(DrawOverrideTest, RedrawRecordsTheOverridesDrawablesInObjectSpace)
{
    ASSERT_TRUE(RunScript("createNode testVolume -n vol; setAttr vol.width 3; xform -t 1 2 3 transform1;"));
    const ViewportFrame frame = Redraw();
    ASSERT_EQ(frame.nodes.size(), 1u);
    const vxhost::RecordedNode& node = frame.nodes[0];
    EXPECT_EQ(node.path, "|transform1|vol");
    // Placed by the default transform(): the shape's world matrix.
    EXPECT_DOUBLE_EQ(node.world(3, 0), 1.0);
    EXPECT_DOUBLE_EQ(node.world(3, 1), 2.0);
    EXPECT_DOUBLE_EQ(node.world(3, 2), 3.0);

    ASSERT_EQ(node.drawables.size(), 1u);
    const vxhost::UIDrawable& drawable = node.drawables[0];
    EXPECT_EQ(drawable.selectability, MUIDrawManager::kAutomatic);
    ASSERT_EQ(drawable.primitives.size(), 2u);
    const vxhost::UIPrimitive& icon = drawable.primitives[0];
    EXPECT_EQ(icon.kind, UIPrimitiveKind::kIcon);
    EXPECT_EQ(icon.text, "TURBULENCE_FIELD");
    EXPECT_EQ(icon.scale, 1.0f);
    EXPECT_EQ(icon.state.depthPriority, 5u);
    const vxhost::UIPrimitive& circle = drawable.primitives[1];
    EXPECT_EQ(circle.kind, UIPrimitiveKind::kMesh);
    EXPECT_EQ(circle.mode, MUIDrawManager::kClosedLine);
    ASSERT_EQ(circle.points.size(), 24u);
    EXPECT_DOUBLE_EQ(circle.points[0].x, 3.0);
    EXPECT_NEAR(circle.points[23].x, 3.0, 1e-12); // 2 pi / 23 per point: the last closes the loop
    // createNode selects the new node: the lead, in active colour 18.
    EXPECT_EQ(circle.state.color, MColor(0.263f, 1.0f, 0.639f));

    // The framed bounds are the override's box placed in the world.
    EXPECT_DOUBLE_EQ(frame.bounds.min().x, -2.0);
    EXPECT_DOUBLE_EQ(frame.bounds.max().z, 6.0);

    // Dormant: template colour 10, dark brown.
    ASSERT_TRUE(RunScript("select -cl;"));
    EXPECT_EQ(Redraw().nodes[0].drawables[0].primitives[1].state.color, MColor(0.247f, 0.137f, 0.122f));
}

TEST_F(DrawOverrideTest, DataIsKeptBetweenRedrawsAndDeletedWhenReplaced)
{
    ASSERT_TRUE(RunScript("createNode testVolume -n vol;"));
    Redraw();
    EXPECT_EQ(TestDrawOverride::made, 1);
    EXPECT_EQ(TestDrawOverride::lastOldData, nullptr);
    EXPECT_EQ(TestDrawData::alive, 1);
    const ViewportFrame second = Redraw();
    // One override per node; the data it returned comes back as oldData.
    EXPECT_EQ(TestDrawOverride::made, 1);
    EXPECT_EQ(TestDrawOverride::prepares, 2);
    EXPECT_NE(TestDrawOverride::lastOldData, nullptr);
    EXPECT_EQ(TestDrawData::alive, 1);

    // Deleting the node deletes its override and data.
    ASSERT_TRUE(RunScript("delete vol;"));
    EXPECT_EQ(TestDrawOverride::alive, 0);
    EXPECT_EQ(TestDrawData::alive, 0);
}

TEST_F(DrawOverrideTest, DeregisteringDeletesOverridesAndData)
{
    ASSERT_TRUE(RunScript("createNode testVolume; createNode testVolume;"));
    Redraw();
    EXPECT_EQ(TestDrawOverride::alive, 2);
    EXPECT_EQ(TestDrawData::alive, 2);
    ASSERT_TRUE(MDrawRegistry::deregisterDrawOverrideCreator(kClassification, kRegistrant));
    EXPECT_EQ(TestDrawOverride::alive, 0);
    EXPECT_EQ(TestDrawData::alive, 0);
    EXPECT_TRUE(Redraw().nodes.empty());
    ASSERT_TRUE(
        MDrawRegistry::registerDrawOverrideCreator(kClassification, kRegistrant, TestDrawOverride::Creator));
}

TEST_F(DrawOverrideTest, WhatIsNotDrawn)
{
    ASSERT_TRUE(RunScript("createNode testVolume -n vol;"));
    {
        // Legacy OpenGL only: the host stands in for the core profile.
        TestDrawOverride::api = MHWRender::kOpenGL;
        EXPECT_TRUE(Redraw().nodes.empty());
        EXPECT_EQ(TestDrawOverride::prepares, 0);
        TestDrawOverride::api = MHWRender::kAllDevices;
    }
    {
        // Hidden through its transform.
        ASSERT_TRUE(RunScript("setAttr transform1.visibility 0;"));
        EXPECT_TRUE(Redraw().nodes.empty());
        ASSERT_TRUE(RunScript("setAttr transform1.visibility 1;"));
        EXPECT_EQ(Redraw().nodes.size(), 1u);
    }
}

TEST_F(DrawOverrideTest, AnOverrideNotAlwaysDirtyIsPreparedOnlyAfterAChange)
{
    TestDrawOverride::alwaysDirty = false;
    ASSERT_TRUE(RunScript("createNode testVolume -n vol;"));
    Redraw();
    Redraw();
    EXPECT_EQ(TestDrawOverride::prepares, 1);
    ASSERT_TRUE(RunScript("setAttr vol.width 5;"));
    const ViewportFrame frame = Redraw();
    EXPECT_EQ(TestDrawOverride::prepares, 2);
    EXPECT_DOUBLE_EQ(frame.nodes[0].drawables[0].primitives[1].points[0].x, 5.0);
}

TEST(UIDrawManagerTest, RecordsStateAndPrimitivesWithinDrawables)
{
    MUIDrawManager dm;
    dm.line(MPoint(), MPoint(1.0, 0.0, 0.0)); // outside a drawable: ignored
    dm.beginDrawable(MUIDrawManager::kSelectable, 42);
    dm.setColor(MColor(0.5f, 0.25f, 0.0f, 0.2f));
    dm.setLineWidth(2.0f);
    dm.setLineStyle(MUIDrawManager::kDashed);
    dm.line(MPoint(), MPoint(1.0, 0.0, 0.0));
    MPointArray corners;
    corners.append(0.0, 0.0, 0.0);
    corners.append(1.0, 0.0, 0.0);
    corners.append(1.0, 1.0, 0.0);
    MUintArray index;
    for (unsigned i : {0u, 1u, 2u, 2u, 0u, 7u}) // 7 is past the end
        index.append(i);
    dm.mesh(MUIDrawManager::kTriangles, corners, nullptr, nullptr, &index);
    dm.circle(MPoint(0.0, 1.0, 0.0), MVector(0.0, 1.0, 0.0), 2.5, true);
    dm.endDrawable();
    dm.beginDrawable();
    dm.point(MPoint(4.0, 5.0, 6.0));
    dm.endDrawable();

    const auto& drawables = dm.Drawables();
    ASSERT_EQ(drawables.size(), 2u);
    EXPECT_EQ(drawables[0].selectability, MUIDrawManager::kSelectable);
    EXPECT_EQ(drawables[0].selectionName, 42u);
    ASSERT_EQ(drawables[0].primitives.size(), 3u);
    const auto& line = drawables[0].primitives[0];
    EXPECT_EQ(line.mode, MUIDrawManager::kLines);
    EXPECT_EQ(line.state.color, MColor(0.5f, 0.25f, 0.0f, 0.2f));
    EXPECT_EQ(line.state.lineWidth, 2.0f);
    EXPECT_EQ(line.state.lineStyle, MUIDrawManager::kDashed);
    const auto& triangles = drawables[0].primitives[1];
    ASSERT_EQ(triangles.points.size(), 5u);
    EXPECT_EQ(triangles.points[3], MPoint(1.0, 1.0, 0.0));
    const auto& circle = drawables[0].primitives[2];
    EXPECT_EQ(circle.kind, UIPrimitiveKind::kCircle);
    EXPECT_TRUE(circle.filled);
    EXPECT_DOUBLE_EQ(circle.radius, 2.5);
    // A new drawable starts from the default state.
    const auto& point = drawables[1].primitives[0];
    EXPECT_EQ(point.state.color, MColor(1.0f, 1.0f, 1.0f, 1.0f));
    EXPECT_EQ(point.state.lineWidth, 1.0f);
    EXPECT_EQ(drawables[1].selectability, MUIDrawManager::kNonSelectable);
}
} // namespace
