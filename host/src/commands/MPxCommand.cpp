// The base of plug-in commands, and the engine's side of running them.

#include <maya/MPxCommand.h>

#include "PluginCommand.h"
#include "UndoQueue.h"

#include <maya/MGlobal.h>
#include <vxhost/StdString.h>

#include <memory>
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

// The call as the script wrote it, for the undo queue's messages.
std::string CommandText(const vxhost::ScriptStatement& statement)
{
    std::string text = statement.command;
    for (const vxhost::ScriptArgument& argument : statement.arguments)
    {
        text += ' ';
        switch (argument.kind)
        {
        case vxhost::ScriptArgument::Kind::kFlag:
            text += '-' + argument.text;
            break;
        case vxhost::ScriptArgument::Kind::kString:
            text += '"';
            for (const char c : argument.text)
            {
                if (c == '"' || c == '\\')
                    text += '\\';
                text += c;
            }
            text += '"';
            break;
        default:
            text += argument.text;
        }
    }
    return text;
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
        const MArgList args(statement);
        MStatus status;
        {
            ResultScope scope(result);
            status = command->doIt(args);
        }
        if (!status)
            return status;
        if (command->isUndoable())
            UndoQueue::Get().Push(std::move(command), binding->name, CommandText(statement));
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
    // Maya's boolean results are the integers 1 and 0.
    setResult(result ? 1 : 0);
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
