// source and evalDeferred: the commands that hand a script to the engine,
// registered in every engine so that each runs scripts through itself.

#include "BasicCommands.h"
#include "plugin/MayaModules.h"

#include <vxhost/CommandEngine.h>
#include <vxhost/ScriptArgs.h>

#include <string>

namespace vxhost
{
namespace
{
// source FILE: reads the file (a path, or a name looked up on the script
// path, ".mel" added when missing) and runs it; the procedures it defines
// stay defined.
MStatus SourceCommand(CommandEngine& engine, const ScriptStatement& statement)
{
    static const ScriptSyntax syntax = ScriptSyntax().SetPositionalCount(1, 1);
    ScriptArgs args;
    MStatus status = args.Parse(statement, syntax);
    if (!status)
        return status;
    std::string name;
    status = args.Positionals().GetString(0, name);
    if (!status)
        return status;
    const std::string path = FindScriptFile(name);
    if (path.empty())
        return ReportCommandError(statement, "Cannot find file \"" + name + "\" for source statement.",
                                  MStatus::kNotFound);
    return engine.RunScriptFile(path);
}

// evalDeferred [-lowestPriority] SCRIPT: runs the script once the script
// under way has finished, as Maya runs it when idle. -lowestPriority is
// accepted and changes nothing: the queue already keeps the order scripts
// were deferred in.
MStatus EvalDeferredCommand(CommandEngine& engine, const ScriptStatement& statement)
{
    static const ScriptSyntax syntax =
        ScriptSyntax().AddFlag("lp", "lowestPriority").SetPositionalCount(1, 1);
    ScriptArgs args;
    MStatus status = args.Parse(statement, syntax);
    if (!status)
        return status;
    std::string script;
    status = args.Positionals().GetString(0, script);
    if (!status)
        return status;
    engine.Defer(script);
    return MStatus::kSuccess;
}
} // namespace

void RegisterScriptCommands(CommandEngine& engine)
{
    engine.Register("source", [&engine](const ScriptStatement& statement, CommandResult&)
                    { return SourceCommand(engine, statement); });
    engine.Register("evalDeferred", [&engine](const ScriptStatement& statement, CommandResult&)
                    { return EvalDeferredCommand(engine, statement); });
}
} // namespace vxhost
