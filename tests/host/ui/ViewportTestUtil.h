#pragma once
// A locator type with a draw override and a manipulator container, made
// the way a plug-in makes them, for the viewport and manipulator tests.

#include "dg/NodeClass.h"
#include "dg/Scene.h"

#include <maya/M3dView.h>
#include <maya/MDrawRegistry.h>
#include <maya/MFnDagNode.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MHWGeometryUtilities.h>
#include <maya/MPxDrawOverride.h>
#include <maya/MPxLocatorNode.h>
#include <maya/MUIDrawManager.h>
#include <vxhost/CommandEngine.h>
#include <vxhost/MessageLog.h>

#include <cmath>
#include <numbers>
#include <string>

namespace viewporttest
{
inline const char* const kClassification = "drawdb/geometry/testVolume";
inline const char* const kRegistrant = "testVolumeOverride";

// A locator whose "width" is the radius of the circle it draws.
struct TestLocator : MPxLocatorNode
{
    static inline MObject width;
    bool isBounded() const override { return true; }
    MBoundingBox boundingBox() const override
    {
        const double w = MPlug(thisMObject(), width).asDouble();
        return MBoundingBox(MPoint(-w, -w, -w), MPoint(w, w, w));
    }
    static MStatus Initialize()
    {
        MFnNumericAttribute fn;
        width = fn.create("width", "w", MFnNumericData::kDouble, 2.0);
        return MPxNode::addAttribute(width);
    }
    static void Register()
    {
        auto& registry = vxhost::NodeRegistry::Get();
        if (registry.Find("testVolume"))
            return;
        auto cls = std::make_unique<vxhost::NodeClass>();
        cls->typeName = "testVolume";
        cls->id = MTypeId(0x7F101);
        cls->pxType = MPxNode::kLocatorNode;
        cls->parent = registry.Find("locator");
        cls->creator = [] { return new TestLocator; };
        cls->classification = std::string("some/other/class:") + kClassification;
        cls->apiType = MFn::kPluginLocatorNode;
        cls->fnTypes = {MFn::kLocator, MFn::kShape, MFn::kGeometric};
        cls->dag = true;
        cls->shape = true;
        registry.Register(std::move(cls), Initialize);
    }
};

// Counts the data objects alive, so that tests see the host delete them.
struct TestDrawData : MUserData
{
    static inline int alive = 0;
    TestDrawData() { ++alive; }
    ~TestDrawData() override { --alive; }
    MColor colour;
    double width = 0.0;
};

// Another type of data, which the override must not reuse.
struct OtherData : MUserData
{
};

// Colours by display status as the plug-in's overrides do, and draws the
// turbulence icon and a circle of the locator's width in the xz plane.
struct TestDrawOverride : MHWRender::MPxDrawOverride
{
    static inline int made = 0, alive = 0, prepares = 0;
    static inline const MUserData* lastOldData = nullptr;
    static inline bool alwaysDirty = true;
    static inline MHWRender::DrawAPI api = MHWRender::kAllDevices;

    explicit TestDrawOverride(const MObject& obj) : MPxDrawOverride(obj, nullptr, alwaysDirty)
    {
        ++made;
        ++alive;
    }
    ~TestDrawOverride() override { --alive; }
    static MHWRender::MPxDrawOverride* Creator(const MObject& obj) { return new TestDrawOverride(obj); }

    MHWRender::DrawAPI supportedDrawAPIs() const override { return api; }
    bool isBounded(const MDagPath&, const MDagPath&) const override { return true; }
    MBoundingBox boundingBox(const MDagPath& objPath, const MDagPath&) const override
    {
        return MFnDagNode(objPath).boundingBox();
    }
    bool hasUIDrawables() const override { return true; }
    MUserData* prepareForDraw(const MDagPath& objPath, const MDagPath&, const MHWRender::MFrameContext&,
                              MUserData* oldData) override
    {
        ++prepares;
        lastOldData = oldData;
        auto* data = dynamic_cast<TestDrawData*>(oldData);
        if (!data)
            data = new TestDrawData;
        data->colour = MColor(1.0f, 1.0f, 1.0f);
        const MHWRender::DisplayStatus status = MHWRender::MGeometryUtilities::displayStatus(objPath);
        if (status == MHWRender::kDormant)
            data->colour = M3dView::active3dView().colorAtIndex(10, M3dView::kTemplateColor);
        else if (status == MHWRender::kLead)
            data->colour = M3dView::active3dView().colorAtIndex(18, M3dView::kActiveColors);
        data->width = MPlug(objPath.node(), TestLocator::width).asDouble();
        return data;
    }
    void addUIDrawables(const MDagPath&, MHWRender::MUIDrawManager& drawManager,
                        const MHWRender::MFrameContext&, const MUserData* userData) override
    {
        const auto* data = dynamic_cast<const TestDrawData*>(userData);
        if (!data)
            return;
        drawManager.beginDrawable(MHWRender::MUIDrawManager::kAutomatic, 0);
        drawManager.setColor(data->colour);
        drawManager.setDepthPriority(5);
        drawManager.icon(MPoint(0.0, 0.0, 0.0, 1.0), "TURBULENCE_FIELD", 1.0f);
        MPointArray circle;
        for (int k = 0; k < 24; ++k)
        {
            const double a = k * 2.0 * std::numbers::pi / 23.0;
            circle.append(data->width * std::cos(a), 0.0, data->width * std::sin(a));
        }
        drawManager.mesh(MHWRender::MUIDrawManager::kClosedLine, circle);
        drawManager.endDrawable();
    }

    static void Reset()
    {
        made = prepares = 0;
        lastOldData = nullptr;
        alwaysDirty = true;
        api = MHWRender::kAllDevices;
    }
};

inline bool RunScript(const std::string& script)
{
    return static_cast<bool>(vxhost::CommandEngine::Instance().RunScript(script));
}

inline std::string Result()
{
    return vxhost::CommandEngine::Instance().LastResult().Format();
}

inline std::string LastError()
{
    std::string text;
    for (const auto& message : vxhost::Messages())
        if (message.severity == vxhost::Severity::kError)
            text = message.text;
    return text;
}

inline MDagPath PathOf(const char* name)
{
    MDagPath path;
    MDagPath::getAPathTo(vxhost::Scene::Get().Find(name)->Object(), path);
    return path;
}
} // namespace viewporttest
