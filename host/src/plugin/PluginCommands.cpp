// loadPlugin, unloadPlugin and pluginInfo.

#include "PluginRegistry.h"

#include <vxhost/CommandEngine.h>
#include <vxhost/ScriptArgs.h>

#include <string>

namespace vxhost
{
namespace
{
MStatus LoadPluginCommand(const ScriptStatement& statement, CommandResult& result)
{
    static const ScriptSyntax syntax =
        ScriptSyntax().AddFlag("qt", "quiet").SetPositionalCount(1, ScriptSyntax::kUnlimited);
    ScriptArgs args;
    MStatus status = args.Parse(statement, syntax);
    if (!status)
        return status;
    std::vector<std::string> loaded;
    for (unsigned i = 0; i < args.Positionals().Count(); ++i)
    {
        std::string name, loadedName, error;
        args.Positionals().GetString(i, name);
        if (status = PluginRegistry::Get().Load(name, loadedName, error); !status)
            return ReportCommandError(statement, error, status.statusCode());
        loaded.push_back(loadedName);
    }
    result.SetStrings(loaded);
    return MStatus::kSuccess;
}

MStatus UnloadPluginCommand(const ScriptStatement& statement, CommandResult& result)
{
    static const ScriptSyntax syntax =
        ScriptSyntax().AddFlag("f", "force").SetPositionalCount(1, ScriptSyntax::kUnlimited);
    ScriptArgs args;
    MStatus status = args.Parse(statement, syntax);
    if (!status)
        return status;
    std::vector<std::string> unloaded;
    for (unsigned i = 0; i < args.Positionals().Count(); ++i)
    {
        std::string name, error;
        args.Positionals().GetString(i, name);
        if (status = PluginRegistry::Get().Unload(name, args.IsFlagSet("f"), error); !status)
            return ReportCommandError(statement, error, status.statusCode());
        unloaded.push_back(name);
    }
    result.SetStrings(unloaded);
    return MStatus::kSuccess;
}

// A plug-in as scripts name it: "particleVolarix", a file name or a path.
std::string PluginName(std::string name)
{
    if (const std::size_t slash = name.find_last_of('/'); slash != std::string::npos)
        name.erase(0, slash + 1);
    if (name.size() > 3 && name.compare(name.size() - 3, 3, ".so") == 0)
        name.resize(name.size() - 3);
    return name;
}

// pluginInfo -q -listPlugins | pluginInfo name -q (-loaded | -version |
// -vendor | -path). The host knows only loaded plug-ins, so asking
// -loaded about any other answers 0 rather than failing.
MStatus PluginInfoCommand(const ScriptStatement& statement, CommandResult& result)
{
    static const ScriptSyntax syntax = ScriptSyntax()
                                           .EnableQuery()
                                           .AddFlag("l", "loaded")
                                           .AddFlag("r", "registered")
                                           .AddFlag("v", "version")
                                           .AddFlag("vd", "vendor")
                                           .AddFlag("p", "path")
                                           .AddFlag("n", "name")
                                           .AddFlag("ls", "listPlugins")
                                           .SetPositionalCount(0, 1);
    ScriptArgs args;
    MStatus status = args.Parse(statement, syntax);
    if (!status)
        return status;
    const PluginRegistry& registry = PluginRegistry::Get();
    if (args.IsFlagSet("listPlugins"))
    {
        result.SetStrings(registry.Loaded());
        return MStatus::kSuccess;
    }
    if (args.Positionals().Count() == 0)
        return ReportCommandError(statement, "Name the plug-in to query.", MStatus::kInvalidParameter);
    std::string name;
    args.Positionals().GetString(0, name);
    name = PluginName(name);
    const std::shared_ptr<const PluginObject> plugin = registry.Find(name);
    if (args.IsFlagSet("loaded") || args.IsFlagSet("registered"))
    {
        result.SetBool(plugin != nullptr);
        return MStatus::kSuccess;
    }
    if (!plugin)
        return ReportCommandError(statement, "Plug-in \"" + name + "\" is not loaded.",
                                  MStatus::kInvalidParameter);
    if (args.IsFlagSet("version"))
        result.SetString(plugin->version);
    else if (args.IsFlagSet("vendor"))
        result.SetString(plugin->vendor);
    else if (args.IsFlagSet("path"))
        result.SetString(plugin->path);
    else if (args.IsFlagSet("name"))
        result.SetString(plugin->name);
    else
        return ReportCommandError(statement, "Query one of -loaded, -version, -vendor, -path and -listPlugins.",
                                  MStatus::kInvalidParameter);
    return MStatus::kSuccess;
}

const CommandRegistrar kLoadPlugin("loadPlugin", LoadPluginCommand);
const CommandRegistrar kUnloadPlugin("unloadPlugin", UnloadPluginCommand);
const CommandRegistrar kPluginInfo("pluginInfo", PluginInfoCommand);
} // namespace
} // namespace vxhost
