// The field's icon: where it is drawn, in which colour, and the data handed
// from preparation to drawing.

#include "ViewportTestUtil.h"

#include "VolarixDrawOverride.h"

#include <maya/MFrameContext.h>
#include <maya/MUIDrawManager.h>

#include "ui/Cameras.h"

#include <memory>

using namespace viewporttest;
using MHWRender::MUIDrawManager;

namespace
{
class VolarixDrawOverrideTest : public ViewportTest
{
};

TEST_F(VolarixDrawOverrideTest, IconTakesTheColourOfTheSelectionState)
{
    Run("createNode particleVolarix -n swarm; createNode particleVolarix -n other; select -cl;");
    {
        const vxhost::UIDrawable drawable = DrawableOf("|swarm");
        EXPECT_EQ(drawable.selectability, MUIDrawManager::kAutomatic);
        ASSERT_EQ(drawable.primitives.size(), 1u);
        const vxhost::UIPrimitive& icon = drawable.primitives[0];
        EXPECT_EQ(icon.kind, vxhost::UIPrimitiveKind::kIcon);
        EXPECT_EQ(icon.text, "TURBULENCE_FIELD");
        EXPECT_EQ(icon.scale, 1.0f);
        EXPECT_EQ(icon.points[0], MPoint(0.0, 0.0, 0.0));
        EXPECT_EQ(icon.state.depthPriority, 5u);
        // Dormant: template colour 10.
        EXPECT_EQ(icon.state.color, Palette(10, M3dView::kTemplateColor));
    }
    // Lead: active colour 18; selected but not the lead: white.
    Run("select -r swarm other;");
    EXPECT_EQ(DrawableOf("|other").primitives[0].state.color, Palette(18, M3dView::kActiveColors));
    EXPECT_EQ(DrawableOf("|swarm").primitives[0].state.color, MColor(1.0f, 1.0f, 1.0f, 1.0f));
}

TEST_F(VolarixDrawOverrideTest, ForeignDataIsReplacedAndMissingDataDrawsNothing)
{
    Run("createNode particleVolarix -n swarm;");
    const MDagPath path = PathTo("swarm");
    std::unique_ptr<MHWRender::MPxDrawOverride> drawOverride(VolarixDrawOverride::creator(path.node()));
    EXPECT_EQ(drawOverride->supportedDrawAPIs(), MHWRender::kAllDevices);
    EXPECT_TRUE(drawOverride->isBounded(path, MDagPath()));
    const MHWRender::MFrameContext context(vxhost::ActiveView());

    MUserData foreign;
    std::unique_ptr<MUserData> data(drawOverride->prepareForDraw(path, MDagPath(), context, &foreign));
    const auto* fieldData = dynamic_cast<const VolarixDrawData*>(data.get());
    ASSERT_NE(fieldData, nullptr);
    // createNode left the field selected: the lead.
    EXPECT_EQ(fieldData->colour, Palette(18, M3dView::kActiveColors));
    EXPECT_EQ(drawOverride->prepareForDraw(path, MDagPath(), context, data.get()), data.get());

    MUIDrawManager drawManager;
    drawOverride->addUIDrawables(path, drawManager, context, nullptr);
    EXPECT_TRUE(drawManager.Drawables().empty());
}
} // namespace
