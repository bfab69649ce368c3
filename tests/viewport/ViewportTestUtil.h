#pragma once
// The viewport tests link the plug-in's classes in and register them once
// through the module's own entry point, so that a test can reach both the
// host's view of a node (recorded drawables, manipulators) and the classes
// behind it.

#include "PluginEntryPoints.h"

#include "dg/Scene.h"
#include "plugin/PluginRegistry.h"
#include "ui/Manipulators.h"

#include <maya/M3dView.h>
#include <maya/MColor.h>
#include <maya/MDagPath.h>
#include <maya/MSelectionList.h>
#include <vxhost/CommandEngine.h>
#include <vxhost/MessageLog.h>
#include <maya/detail/UIDrawRecords.h>
#include <vxhost/Viewport.h>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

namespace viewporttest
{
/// 2 pi / 23: the angle between neighbouring points of a 24-point circle.
constexpr double kStep = 2.0 * std::numbers::pi / 23.0;

class ViewportTest : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        static const bool loaded = []
        {
            auto plugin = std::make_shared<vxhost::PluginObject>();
            plugin->name = "particleVolarix";
            return static_cast<bool>(initializePlugin(MObject(plugin)));
        }();
        ASSERT_TRUE(loaded);
    }
    void SetUp() override
    {
        vxhost::SetMessageEcho(false);
        vxhost::ManipContext::Get().Clear();
        vxhost::Scene::Get().Reset();
        vxhost::ClearMessages();
    }
    void TearDown() override
    {
        vxhost::ManipContext::Get().Clear();
        vxhost::Scene::Get().Reset();
    }

    static void Run(const std::string& script)
    {
        ASSERT_TRUE(vxhost::CommandEngine::Instance().RunScript(script)) << script;
    }
    static std::string Result() { return vxhost::CommandEngine::Instance().LastResult().Format(); }
    static double Value(const std::string& plug)
    {
        EXPECT_TRUE(vxhost::CommandEngine::Instance().RunScript("getAttr " + plug + ";")) << plug;
        const vxhost::CommandResult result = vxhost::CommandEngine::Instance().LastResult();
        return result.Doubles().empty() ? -12345.0 : result.Doubles()[0];
    }

    static vxhost::ViewportFrame Redraw()
    {
        vxhost::ViewportOptions options;
        options.particles = false;
        vxhost::ViewportFrame frame;
        EXPECT_TRUE(vxhost::RecordViewport(options, frame));
        return frame;
    }

    /// The one drawable a node's override recorded in a redraw.
    static vxhost::UIDrawable DrawableOf(const std::string& path)
    {
        for (const vxhost::RecordedNode& node : Redraw().nodes)
            if (node.path == path)
            {
                EXPECT_EQ(node.drawables.size(), 1u) << path;
                if (!node.drawables.empty())
                    return node.drawables[0];
            }
        ADD_FAILURE() << path << " was not drawn";
        return {};
    }

    /// The primitives of a drawable that have points (the override draws
    /// unused outlines as empty lines).
    static std::vector<vxhost::UIPrimitive> Drawn(const vxhost::UIDrawable& drawable)
    {
        std::vector<vxhost::UIPrimitive> drawn;
        for (const vxhost::UIPrimitive& primitive : drawable.primitives)
            if (!primitive.points.empty())
                drawn.push_back(primitive);
        return drawn;
    }

    static MDagPath PathTo(const char* name)
    {
        MSelectionList list;
        MDagPath path;
        EXPECT_TRUE(list.add(name)) << name;
        list.getDagPath(0, path);
        return path;
    }

    static MColor Palette(unsigned int index, M3dView::ColorTable table)
    {
        return M3dView::active3dView().colorAtIndex(index, table);
    }
};

/// Whether the primitive is the three unit axis segments' one along `axis`
/// (0 x, 1 y, 2 z): points at +1 and -1 on that axis, repeated any number of
/// times.
inline bool IsMarkerSegment(const vxhost::UIPrimitive& primitive, int axis)
{
    if (primitive.points.empty() || primitive.points.size() % 2 != 0)
        return false;
    for (std::size_t i = 0; i < primitive.points.size(); ++i)
    {
        MPoint expected(0.0, 0.0, 0.0);
        (axis == 0 ? expected.x : axis == 1 ? expected.y : expected.z) = i % 2 == 0 ? 1.0 : -1.0;
        if (!(primitive.points[i] == expected))
            return false;
    }
    return true;
}
} // namespace viewporttest
