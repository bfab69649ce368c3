// loadPlugin and unloadPlugin.

#include "PluginRegistry.h"

#include <vxhost/CommandEngine.h>
#include <vxhost/ScriptArgs.h>

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

const CommandRegistrar kLoadPlugin("loadPlugin", LoadPluginCommand);
const CommandRegistrar kUnloadPlugin("unloadPlugin", UnloadPluginCommand);
} // namespace
} // namespace vxhost
