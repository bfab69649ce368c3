#pragma once
/// \file PluginRegistry.h
/// Loaded plug-in modules: finding, opening, initialising and unloading.

#include <vxhost/HostObject.h>

#include <maya/MObject.h>
#include <maya/MStatus.h>
#include <maya/MTypeId.h>

#include <memory>
#include <string>
#include <vector>

namespace vxhost
{
/// What initializePlugin's MObject refers to: one loaded module.
class PluginObject final : public HostObject
{
public:
    MFn::Type ApiType() const override { return MFn::kBase; }

    static PluginObject* From(const MObject& object)
    {
        return dynamic_cast<PluginObject*>(object.HostImpl().get());
    }

    std::string name; ///< "particleVolarix"
    std::string path;
    std::string vendor;
    std::string version;
    void* handle = nullptr;
    std::vector<MTypeId> nodeTypes;    ///< registered and not yet deregistered
    std::vector<std::string> commands; ///< likewise
};

class PluginRegistry
{
public:
    static PluginRegistry& Get();

    /// Finds the module (a path, or a name looked up beside the executable,
    /// then on VOLARIX_PLUGIN_PATH and MAYA_PLUG_IN_PATH, then in the
    /// `plug-ins` folders of the modules on MAYA_MODULE_PATH; with or
    /// without ".so"), checks its MApiVersion and runs initializePlugin.
    /// Loading a loaded plug-in does nothing. error says what failed.
    MStatus Load(const std::string& nameOrPath, std::string& loadedName, std::string& error);
    /// Runs uninitializePlugin and closes the module. Refuses while nodes of
    /// its types exist, unless force, which deletes them first.
    MStatus Unload(const std::string& name, bool force, std::string& error);
    bool IsLoaded(const std::string& name) const;
    std::vector<std::string> Loaded() const;
    /// The loaded plug-in of that name (its path, vendor, version); null
    /// when none is.
    std::shared_ptr<const PluginObject> Find(const std::string& name) const;

    /// The directories searched for a plug-in given by name.
    static std::vector<std::string> SearchPath();

private:
    std::vector<std::shared_ptr<PluginObject>> fPlugins;
};
} // namespace vxhost
