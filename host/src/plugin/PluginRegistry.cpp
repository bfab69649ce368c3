#include "PluginRegistry.h"

#include "MayaModules.h"
#include "dg/NodeClass.h"
#include "dg/Scene.h"

#include <maya/MObject.h>
#include <vxhost/CommandEngine.h>

#include <dlfcn.h>
#include <filesystem>
#include <unistd.h>

namespace vxhost
{
namespace
{
// The flag that makes a plug-in's rand() the host's (crt/Rand.cpp). A
// program linked against the host finds the host's rand before the C
// library's, and so does every module it opens. A process that opened the
// host itself later (Python importing the volarix package) finds the C
// library's first; there the plug-in must look in its own dependencies,
// the host among them, before the process's, or its draws stop following
// `seed`. Deep binding only then: it does not go with AddressSanitizer.
int HostRandBinding()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&HostRandBinding), &info) == 0 || !info.dli_fname)
        return 0;
    void* host = dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD);
    if (!host)
        return 0;
    const bool first = dlsym(host, "rand") == dlsym(RTLD_DEFAULT, "rand");
    dlclose(host);
    return first ? 0 : RTLD_DEEPBIND;
}

// The API version this host implements; a module built for another major
// version is refused.
#define VXHOST_TEXT_(x) #x
#define VXHOST_TEXT(x) VXHOST_TEXT_(x)
constexpr const char* kApiVersion = VXHOST_TEXT(MAYA_API_VERSION);

// The entry points have C++ linkage, as in Maya, so they are found by their
// mangled names: MStatus initializePlugin(MObject) with MObject in the
// versioned API namespace. A module built against another API namespace
// has neither.
constexpr const char* kInitializeSymbol = "_Z16initializePluginN8Autodesk4Maya16OpenMaya202200007MObjectE";
constexpr const char* kUninitializeSymbol = "_Z18uninitializePluginN8Autodesk4Maya16OpenMaya202200007MObjectE";

using EntryPoint = MStatus (*)(MObject);

std::string ExecutableDirectory()
{
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : exe.parent_path().string();
}

std::string Resolve(const std::string& nameOrPath)
{
    std::vector<std::string> candidates;
    if (nameOrPath.find('/') != std::string::npos)
        candidates.push_back(nameOrPath);
    else
        for (const std::string& directory : PluginRegistry::SearchPath())
            candidates.push_back(directory + "/" + nameOrPath);
    for (const std::string& candidate : candidates)
        for (const std::string& file : {candidate, candidate + ".so"})
            if (std::filesystem::is_regular_file(file))
                return file;
    return std::string();
}

std::string ModuleName(const std::string& path)
{
    return std::filesystem::path(path).stem().string();
}
} // namespace

PluginRegistry& PluginRegistry::Get()
{
    static PluginRegistry registry;
    return registry;
}

std::vector<std::string> PluginRegistry::SearchPath()
{
    std::vector<std::string> directories;
    const std::string exe = ExecutableDirectory();
    if (!exe.empty())
        directories.push_back(exe);
    for (const char* variable : {"VOLARIX_PLUGIN_PATH", "MAYA_PLUG_IN_PATH"})
        for (std::string& directory : PathListFromEnvironment(variable))
            directories.push_back(std::move(directory));
    // Maya adds its modules' plug-in folders after the user's own path.
    for (const MayaModule& module : FindMayaModules())
        directories.insert(directories.end(), module.plugInDirectories.begin(),
                           module.plugInDirectories.end());
    return directories;
}

bool PluginRegistry::IsLoaded(const std::string& name) const
{
    for (const auto& plugin : fPlugins)
        if (plugin->name == name)
            return true;
    return false;
}

std::shared_ptr<const PluginObject> PluginRegistry::Find(const std::string& name) const
{
    for (const auto& plugin : fPlugins)
        if (plugin->name == name)
            return plugin;
    return nullptr;
}

std::vector<std::string> PluginRegistry::Loaded() const
{
    std::vector<std::string> names;
    for (const auto& plugin : fPlugins)
        names.push_back(plugin->name);
    return names;
}

MStatus PluginRegistry::Load(const std::string& nameOrPath, std::string& loadedName, std::string& error)
{
    const std::string path = Resolve(nameOrPath);
    if (path.empty())
    {
        error = "Plug-in, \"" + nameOrPath + "\", was not found on the plug-in path.";
        return MStatus::kNotFound;
    }
    loadedName = ModuleName(path);
    if (IsLoaded(loadedName))
        return MStatus::kSuccess;

    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | HostRandBinding());
    if (!handle)
    {
        error = "Unable to load \"" + path + "\": " + dlerror();
        return MStatus::kFailure;
    }
    // MApiVersion is the text itself, as MFnPlugin.h defines it.
    const auto* version = static_cast<const char*>(dlsym(handle, "MApiVersion"));
    const auto initialize = reinterpret_cast<EntryPoint>(dlsym(handle, kInitializeSymbol));
    const auto uninitialize = reinterpret_cast<EntryPoint>(dlsym(handle, kUninitializeSymbol));
    std::string problem;
    if (!version || !*version)
        problem = "it exports no MApiVersion";
    else if (std::string(version).substr(0, 4) != std::string(kApiVersion).substr(0, 4))
        problem = "it was built for API version " + std::string(version) + ", not " + kApiVersion;
    else if (!initialize || !uninitialize)
        problem = "it exports no initializePlugin or uninitializePlugin";
    if (!problem.empty())
    {
        dlclose(handle);
        error = "\"" + path + "\" is no plug-in for this host: " + problem + ".";
        return MStatus::kFailure;
    }

    auto plugin = std::make_shared<PluginObject>();
    plugin->name = loadedName;
    plugin->path = path;
    plugin->handle = handle;
    fPlugins.push_back(plugin);
    const MStatus status = initialize(MObject(plugin));
    if (!status)
    {
        // Take back what the module registered before it failed.
        uninitialize(MObject(plugin));
        for (const MTypeId& id : plugin->nodeTypes)
            NodeRegistry::Get().Deregister(id);
        for (const std::string& command : plugin->commands)
            CommandEngine::Instance().Deregister(command);
        fPlugins.pop_back();
        dlclose(handle);
        error = "initializePlugin function failed (" + loadedName + ")";
        return status;
    }
    return MStatus::kSuccess;
}

MStatus PluginRegistry::Unload(const std::string& name, bool force, std::string& error)
{
    auto it = fPlugins.begin();
    while (it != fPlugins.end() && (*it)->name != name)
        ++it;
    if (it == fPlugins.end())
    {
        error = "Plug-in \"" + name + "\" is not loaded.";
        return MStatus::kNotFound;
    }
    std::shared_ptr<PluginObject> plugin = *it;
    std::vector<std::shared_ptr<Node>> inUse;
    for (const auto& node : Scene::Get().Nodes())
        if (node->cls->plugin == name)
            inUse.push_back(node);
    if (!inUse.empty() && !force)
    {
        error = "Plug-in \"" + name + "\" is in use by " + inUse.front()->name + "; it cannot be unloaded.";
        return MStatus::kFailure;
    }
    for (const auto& node : inUse)
        if (node->alive)
            Scene::Get().Delete(*node);
    inUse.clear();
    const auto uninitialize = reinterpret_cast<EntryPoint>(dlsym(plugin->handle, kUninitializeSymbol));
    const MStatus status = uninitialize(MObject(plugin));
    // Whatever the module failed to take back is removed all the same: its
    // code is about to go.
    for (const MTypeId& id : plugin->nodeTypes)
        NodeRegistry::Get().Deregister(id);
    for (const std::string& command : plugin->commands)
        CommandEngine::Instance().Deregister(command);
    fPlugins.erase(it);
    dlclose(plugin->handle);
    if (!status)
        error = "uninitializePlugin function failed (" + name + ")";
    return status;
}
} // namespace vxhost
