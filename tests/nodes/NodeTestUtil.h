#pragma once

#include "Volarix.h"

#include <dg/Node.h>
#include <dg/NodeClass.h>
#include <dg/Scene.h>

#include <maya/MFnDependencyNode.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MStatus.h>
#include <vxhost/MessageLog.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <maya/MFnPlugin.h>

namespace vxtest
{
/// The object the host hands a plug-in's entry points.
MObject PluginObject();

/// Registers the field node type, as the plug-in does, unless it already is.
inline void EnsurePluginLoaded()
{
    if (vxhost::NodeRegistry::Get().Find(Volarix::typeName) != nullptr)
        return;
    MObject object = PluginObject();
    MFnPlugin plugin(object, "Quillfen", "2.0.5", "Any");
    const MString classification(Volarix::classification);
    ASSERT_TRUE(plugin.registerNode(Volarix::typeName, Volarix::id, Volarix::creator, Volarix::initialize,
                                    MPxNode::kFieldNode, &classification));
}

/// A new field node in an empty scene, with a quiet message log.
struct FieldScene
{
    MObject object;
    Volarix* field = nullptr;

    FieldScene()
    {
        EnsurePluginLoaded();
        vxhost::Scene::Get().Reset();
        vxhost::SetMessageEcho(false);
        vxhost::ClearMessages();
        MStatus status;
        MFnDependencyNode fn;
        object = fn.create("particleVolarix", "volarix1", &status);
        EXPECT_TRUE(status);
        field = static_cast<Volarix*>(fn.userNode());
    }
    ~FieldScene() { vxhost::Scene::Get().Reset(); }

    /// A plug of the field by attribute name, e.g. "target".
    MPlug Plug(const char* name) const { return MFnDependencyNode(object).findPlug(name, false); }
};

/// Connects source to destination, failing the test when the host refuses.
inline void Connect(const MPlug& source, const MPlug& destination)
{
    ASSERT_TRUE(vxhost::Scene::Get().Connect(source, destination, false));
}

/// The texts of the logged messages of one severity, oldest first.
inline std::vector<std::string> Logged(vxhost::Severity severity)
{
    std::vector<std::string> texts;
    for (const vxhost::Message& m : vxhost::Messages())
        if (m.severity == severity)
            texts.push_back(m.text);
    return texts;
}
} // namespace vxtest
