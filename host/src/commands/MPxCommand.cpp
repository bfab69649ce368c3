// The base of plug-in commands, and the engine's side of running them.

#include <maya/MPxCommand.h>

#include "PluginCommand.h"
#include "UndoQueue.h"
#include "dg/SceneChanges.h"

#include <maya/MGlobal.h>
#include <vxhost/StdString.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace
{
// The result of the plug-in command running now; null between commands,
// when setResult has nowhere to write. Commands run on one thread at a time.
vxhost::CommandResult* gCurrentResult = nullptr;

// Makes result the current one for the duration of a doIt, and restores
// the outer command's when a command runs another.
class ResultScope
{
public:
    explicit ResultScope(vxhost::CommandResult& result) : fOuter(gCurrentResult) { gCurrentResult = &result; }
    ~ResultScope() { gCurrentResult = fOuter; }
    ResultScope(const ResultScope&) = delete;
    ResultScope& operator=(const ResultScope&) = delete;

private:
    vxhost::CommandResult* fOuter;
};

bool FollowedBySwitchValue(const vxhost::ScriptStatement& statement, size_t index)
{
    return index + 1 < statement.arguments.size() && statement.arguments[index + 1].IsSwitchValue();
}

// The statement with every boolean that follows a switch of the syntax
// taken by that switch: true keeps the flag, false leaves it out, so that
// Python's cmd(flag=True) reads as "cmd -flag". Other booleans stay as
// values ("true"/"false"), which MArgDatabase reads as booleans.
vxhost::ScriptStatement ResolveSwitches(const vxhost::ScriptStatement& statement, const MSyntax& syntax)
{
    using Kind = vxhost::ScriptArgument::Kind;
    const auto isMode = [](const std::string& name, const char* shortName, const char* longName)
    { return name == shortName || name == longName; };
    bool query = false;
    for (size_t i = 0; i < statement.arguments.size(); ++i)
        if (statement.arguments[i].kind == Kind::kFlag && syntax.QueryEnabled() &&
            isMode(statement.arguments[i].text, "q", "query"))
            query = query || !FollowedBySwitchValue(statement, i) || statement.arguments[i + 1].SwitchOn();

    vxhost::ScriptStatement resolved = statement;
    resolved.arguments.clear();
    for (size_t i = 0; i < statement.arguments.size(); ++i)
    {
        const vxhost::ScriptArgument& argument = statement.arguments[i];
        resolved.arguments.push_back(argument);
        if (argument.kind != Kind::kFlag || !FollowedBySwitchValue(statement, i))
            continue;
        bool isSwitch = query || isMode(argument.text, "q", "query") || isMode(argument.text, "e", "edit");
        const MString dashed = vxhost::ToMString("-" + argument.text);
        for (const MSyntax::Flag& flag : syntax.Flags())
            if (flag.shortName == dashed || flag.longName == dashed)
                isSwitch = isSwitch || flag.arguments.empty();
        if (!isSwitch)
            continue;
        if (!statement.arguments[++i].SwitchOn())
            resolved.arguments.pop_back();
    }
    return resolved;
}

// Lives as long as the engine holds the command; see MakePluginCommand.
struct Binding
{
    explicit Binding(std::string commandName) : name(std::move(commandName)) {}
    ~Binding() { vxhost::UndoQueue::Get().Forget(name); }
    Binding(const Binding&) = delete;
    Binding& operator=(const Binding&) = delete;

    std::string name;
};

template <typename Array> std::vector<typename Array::value_type> ToVector(const Array& array)
{
    std::vector<typename Array::value_type> values;
    for (unsigned int i = 0; i < array.length(); ++i)
        values.push_back(array[i]);
    return values;
}
} // namespace

namespace vxhost
{
CommandFunction MakePluginCommand(const std::string& name, MCreatorFunction creator,
                                  MCreateSyntaxFunction syntax)
{
    auto binding = std::make_shared<Binding>(name);
    return [binding, creator, syntax](const ScriptStatement& statement, CommandResult& result) -> MStatus
    {
        std::unique_ptr<MPxCommand> command(static_cast<MPxCommand*>(creator()));
        if (!command)
            return ReportCommandError(statement, "The command's creator made no command object.");
        MSyntax commandSyntax;
        if (syntax && command->hasSyntax())
            commandSyntax = syntax();
        command->SetHostSyntax(commandSyntax, ToMString(statement.command));
        std::optional<ScriptStatement> resolved;
        if (std::any_of(statement.arguments.begin(), statement.arguments.end(),
                        [](const ScriptArgument& argument) { return argument.IsSwitchValue(); }))
            resolved = ResolveSwitches(statement, commandSyntax);
        const MArgList args(resolved ? *resolved : statement);
        MStatus status;
        {
            // The command undoes its own work: none of it is recorded for
            // a host command that called it.
            const SceneChanges::Pause pause;
            ResultScope scope(result);
            status = command->doIt(args);
        }
        if (!status)
            return status;
        if (command->isUndoable())
            UndoQueue::Get().Push(std::move(command), binding->name, CommandText(resolved ? *resolved : statement));
        return MStatus::kSuccess;
    };
}
} // namespace vxhost

MStatus MPxCommand::doIt(const MArgList&)
{
    return MStatus::kFailure;
}

MStatus MPxCommand::undoIt()
{
    return MStatus::kFailure;
}

MStatus MPxCommand::redoIt()
{
    return MStatus::kFailure;
}

bool MPxCommand::isUndoable() const
{
    return false;
}

bool MPxCommand::hasSyntax() const
{
    return true;
}

MSyntax MPxCommand::syntax(MStatus* ReturnStatus) const
{
    if (ReturnStatus)
        *ReturnStatus = MStatus::kSuccess;
    return fSyntax;
}

MString MPxCommand::commandString(MStatus* ReturnStatus) const
{
    if (ReturnStatus)
        *ReturnStatus = MStatus::kSuccess;
    return fCommand;
}

void MPxCommand::clearResult()
{
    if (gCurrentResult)
        gCurrentResult->Clear();
}

void MPxCommand::setResult(bool result)
{
    if (gCurrentResult)
        gCurrentResult->SetBool(result);
}

void MPxCommand::setResult(int result)
{
    if (gCurrentResult)
        gCurrentResult->SetInt(result);
}

void MPxCommand::setResult(double result)
{
    if (gCurrentResult)
        gCurrentResult->SetDouble(result);
}

void MPxCommand::setResult(const char* result)
{
    setResult(MString(result));
}

void MPxCommand::setResult(const MString& result)
{
    if (gCurrentResult)
        gCurrentResult->SetString(vxhost::ToStdString(result));
}

void MPxCommand::setResult(const MIntArray& result)
{
    if (gCurrentResult)
        gCurrentResult->SetInts(ToVector(result));
}

void MPxCommand::setResult(const MDoubleArray& result)
{
    if (gCurrentResult)
        gCurrentResult->SetDoubles(ToVector(result));
}

void MPxCommand::setResult(const MStringArray& result)
{
    if (!gCurrentResult)
        return;
    std::vector<std::string> values;
    for (unsigned int i = 0; i < result.length(); ++i)
        values.push_back(vxhost::ToStdString(result[i]));
    gCurrentResult->SetStrings(std::move(values));
}

void MPxCommand::appendToResult(int result)
{
    if (gCurrentResult)
        gCurrentResult->AppendInt(result);
}

void MPxCommand::appendToResult(double result)
{
    if (gCurrentResult)
        gCurrentResult->AppendDouble(result);
}

void MPxCommand::appendToResult(const MString& result)
{
    if (gCurrentResult)
        gCurrentResult->AppendString(vxhost::ToStdString(result));
}

void MPxCommand::displayInfo(const MString& theInfo)
{
    MGlobal::displayInfo(theInfo);
}

void MPxCommand::displayWarning(const MString& theWarning)
{
    MGlobal::displayWarning(theWarning);
}

void MPxCommand::displayError(const MString& theError)
{
    MGlobal::displayError(theError);
}
