#pragma once

#include "EntityLocatorNodes.h"
#include "NodeTestUtil.h"
#include "VolumeLocatorNode.h"

#include <maya/MDistance.h>
#include <maya/MFnPointArrayData.h>
#include <maya/MPointArray.h>
#include <vxhost/CommandEngine.h>

#include <memory>
#include <string>

namespace vxtest
{
template <typename Locator> MStatus RegisterLocator(MFnPlugin& plugin)
{
    const MString classification(Locator::classification);
    return plugin.registerNode(Locator::typeName, Locator::id, Locator::creator, Locator::initialize,
                               MPxNode::kLocatorNode, &classification);
}

/// Registers the volume locator and the three entity locators, as the
/// plug-in does (the base first), unless they already are.
inline void EnsureLocatorsRegistered()
{
    if (vxhost::NodeRegistry::Get().Find(VolumeLocatorNode::typeName) != nullptr)
        return;
    MObject object = PluginObject();
    MFnPlugin plugin(object, "Quillfen", "2.0.5", "Any");
    ASSERT_TRUE(RegisterLocator<VolumeLocatorNode>(plugin));
    ASSERT_TRUE(RegisterLocator<TargetLocatorNode>(plugin));
    ASSERT_TRUE(RegisterLocator<ModifierLocatorNode>(plugin));
    ASSERT_TRUE(RegisterLocator<ObstacleLocatorNode>(plugin));
}

/// An empty scene with the locator types registered and a quiet message
/// log, built up by script; emptied again (and the UI unit put back to
/// centimetres) at the end.
struct LocatorScene
{
    LocatorScene()
    {
        EnsureLocatorsRegistered();
        vxhost::Scene::Get().Reset();
        vxhost::SetMessageEcho(false);
        vxhost::ClearMessages();
    }
    ~LocatorScene()
    {
        vxhost::Scene::Get().Reset();
        MDistance::setUIUnit(MDistance::kCentimeters);
    }

    /// Runs script statements, failing the test when one fails.
    static void Run(const std::string& script)
    {
        EXPECT_TRUE(vxhost::CommandEngine::Instance().RunScript(script)) << script;
    }

    /// The locator behind the shape called `name`.
    static VolumeLocatorNode* Locator(const std::string& name)
    {
        const std::shared_ptr<vxhost::Node> node = vxhost::Scene::Get().Find(name);
        return node ? dynamic_cast<VolumeLocatorNode*>(node->behaviour.get()) : nullptr;
    }

    /// "curveData" of the shape called `name`, read through its plug.
    static MPointArray CurveData(const std::string& name)
    {
        const VolumeLocatorNode* locator = Locator(name);
        if (!locator)
            return MPointArray();
        MStatus status;
        const MObject data = MPlug(locator->thisMObject(), VolumeLocatorNode::mCurveData).asMObject(&status);
        EXPECT_TRUE(status);
        MFnPointArrayData fn(data, &status);
        return status ? fn.array() : MPointArray();
    }
};
} // namespace vxtest
