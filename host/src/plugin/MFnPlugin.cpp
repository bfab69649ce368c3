#include "PluginRegistry.h"

#include "commands/PluginCommand.h"
#include "commands/UndoQueue.h"
#include "dg/NodeClass.h"
#include "ui/Manipulators.h"

#include <maya/MFnPlugin.h>
#include <vxhost/CommandEngine.h>

#include <algorithm>

using namespace vxhost;

namespace
{
struct PxTypeInfo
{
    const char* parent;
    MFn::Type apiType;
    std::vector<MFn::Type> fnTypes;
    bool shape;
};

PxTypeInfo InfoFor(MPxNode::Type type)
{
    switch (type)
    {
    case MPxNode::kFieldNode:
        return {"field", MFn::kPluginFieldNode, {MFn::kField, MFn::kTransform}, false};
    case MPxNode::kLocatorNode:
        return {"locator", MFn::kPluginLocatorNode, {MFn::kLocator, MFn::kShape, MFn::kGeometric}, true};
    case MPxNode::kManipContainer:
        return {"dependNode", MFn::kPluginManipContainer, {MFn::kManipContainer}, false};
    case MPxNode::kManipulatorNode:
        return {"dependNode", MFn::kPluginManipulatorNode, {}, false};
    default:
        return {"dependNode", MFn::kDependencyNode, {}, false};
    }
}
} // namespace

MFnPlugin::MFnPlugin(MObject& object, const char* vendor, const char* version, const char* requiredApiVersion,
                     MStatus* ReturnStatus)
    : fVendor(vendor), fVersion(version), fApiVersion(requiredApiVersion)
{
    PluginObject* plugin = PluginObject::From(object);
    if (plugin)
    {
        fObject = object;
        plugin->vendor = vendor ? vendor : "";
        plugin->version = version ? version : "";
    }
    if (ReturnStatus)
        *ReturnStatus =
            plugin ? MStatus::kSuccess : MStatus(MStatus::kInvalidParameter, "not a plug-in object");
}

MString MFnPlugin::vendor(MStatus* ReturnStatus) const
{
    if (ReturnStatus)
        *ReturnStatus = MStatus::kSuccess;
    return fVendor;
}

MString MFnPlugin::version(MStatus* ReturnStatus) const
{
    if (ReturnStatus)
        *ReturnStatus = MStatus::kSuccess;
    return fVersion;
}

MString MFnPlugin::apiVersion(MStatus* ReturnStatus) const
{
    if (ReturnStatus)
        *ReturnStatus = MStatus::kSuccess;
    return fApiVersion;
}

MString MFnPlugin::name(MStatus* ReturnStatus) const
{
    const PluginObject* plugin = PluginObject::From(fObject);
    if (ReturnStatus)
        *ReturnStatus = plugin ? MStatus::kSuccess : MStatus::kInvalidParameter;
    return plugin ? MString(plugin->name.c_str()) : MString();
}

MStatus MFnPlugin::registerNode(const MString& typeName, const MTypeId& typeId,
                                MCreatorFunction creatorFunction, MInitializeFunction initFunction,
                                MPxNode::Type type, const MString* classification)
{
    PluginObject* plugin = PluginObject::From(fObject);
    if (!plugin)
        return MStatus(MStatus::kInvalidParameter, "the function set is attached to no plug-in");
    if (!creatorFunction || typeId.id() == 0)
        return MStatus(MStatus::kInvalidParameter, "a node type needs a creator and an id");
    const PxTypeInfo info = InfoFor(type);
    auto cls = std::make_unique<NodeClass>();
    cls->typeName = typeName.asChar();
    cls->id = typeId;
    cls->pxType = type;
    cls->creator = [creatorFunction] { return static_cast<MPxNode*>(creatorFunction()); };
    cls->parent = NodeRegistry::Get().Find(info.parent);
    cls->classification = classification ? classification->asChar() : "";
    cls->plugin = plugin->name;
    cls->apiType = info.apiType;
    cls->fnTypes = info.fnTypes;
    cls->dag = cls->parent && cls->parent->dag;
    cls->shape = info.shape;
    const MStatus status = NodeRegistry::Get().Register(std::move(cls), initFunction);
    if (status)
        plugin->nodeTypes.push_back(typeId);
    return status;
}

MStatus MFnPlugin::deregisterNode(const MTypeId& typeId)
{
    PluginObject* plugin = PluginObject::From(fObject);
    if (!plugin)
        return MStatus(MStatus::kInvalidParameter, "the function set is attached to no plug-in");
    auto& ids = plugin->nodeTypes;
    const auto it = std::find(ids.begin(), ids.end(), typeId);
    if (it == ids.end())
        return MStatus(MStatus::kInvalidParameter, "the plug-in registered no node type with that id");
    // Nodes of the type that undo could bring back go now, while their
    // code is still loaded.
    vxhost::UndoQueue::Get().Clear();
    const MStatus status = NodeRegistry::Get().Deregister(typeId);
    if (status)
    {
        ids.erase(it);
        // A type that is gone has no manipulators to show: its connect-table
        // entry goes with it, so an unloaded plug-in leaves nothing there.
        ManipContext::Get().ConnectTable().erase(typeId.id());
    }
    return status;
}

MStatus MFnPlugin::registerCommand(const MString& commandName, MCreatorFunction creatorFunction,
                                   MCreateSyntaxFunction createSyntaxFunction)
{
    PluginObject* plugin = PluginObject::From(fObject);
    if (!plugin)
        return MStatus(MStatus::kInvalidParameter, "the function set is attached to no plug-in");
    if (!creatorFunction)
        return MStatus(MStatus::kInvalidParameter, "a command needs a creator");
    const std::string name = commandName.asChar();
    const MStatus status = CommandEngine::Instance().Register(
        name, MakePluginCommand(name, creatorFunction, createSyntaxFunction));
    if (status == MStatus::kFailure)
        return MStatus(MStatus::kFailure, MString("a command named \"") + commandName + "\" already exists");
    if (!status)
        return MStatus(status.statusCode(), MString("\"") + commandName + "\" is no command name");
    plugin->commands.push_back(name);
    return status;
}

MStatus MFnPlugin::deregisterCommand(const MString& commandName)
{
    PluginObject* plugin = PluginObject::From(fObject);
    if (!plugin)
        return MStatus(MStatus::kInvalidParameter, "the function set is attached to no plug-in");
    auto& names = plugin->commands;
    const auto it = std::find(names.begin(), names.end(), std::string(commandName.asChar()));
    if (it == names.end())
        return MStatus(MStatus::kInvalidParameter, "the plug-in registered no command with that name");
    const MStatus status = CommandEngine::Instance().Deregister(*it);
    names.erase(it);
    return status;
}
