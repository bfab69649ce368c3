// The undo queue and the `undo` and `redo` commands that walk it.

#include "UndoQueue.h"

#include "dg/Scene.h"

#include <maya/MGlobal.h>
#include <maya/MPxCommand.h>
#include <vxhost/CommandEngine.h>
#include <vxhost/ScriptArgs.h>
#include <vxhost/StdString.h>

#include <utility>

namespace vxhost
{
namespace
{
// Set while an undoIt or redoIt runs, and restored however it ends.
class BusyScope
{
public:
    explicit BusyScope(bool& busy) : fBusy(busy) { fBusy = true; }
    ~BusyScope() { fBusy = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    bool& fBusy;
};
} // namespace

UndoQueue& UndoQueue::Get()
{
    // Never destroyed: the commands it holds may belong to plug-in modules
    // and to nodes that static destruction takes away first.
    static UndoQueue* const queue = []
    {
        auto* made = new UndoQueue;
        Scene::Get().OnReset([made] { made->Clear(); });
        return made;
    }();
    return *queue;
}

void UndoQueue::Push(std::unique_ptr<MPxCommand> command, std::string name, std::string text)
{
    if (fBusy || !command)
        return;
    fEntries.erase(fEntries.begin() + static_cast<std::ptrdiff_t>(fPosition), fEntries.end());
    fEntries.push_back({std::move(command), std::move(name), std::move(text)});
    if (fEntries.size() > kMaxLength)
        fEntries.pop_front();
    fPosition = fEntries.size();
}

MStatus UndoQueue::Undo(std::string& text)
{
    if (fBusy)
        return MStatus(MStatus::kFailure, "undo cannot run while a command is undone or redone");
    if (fPosition == 0)
        return MStatus::kNotFound;
    Entry& entry = fEntries[fPosition - 1];
    text = entry.text;
    MStatus status;
    {
        BusyScope busy(fBusy);
        status = entry.command->undoIt();
    }
    if (status)
        --fPosition;
    return status;
}

MStatus UndoQueue::Redo(std::string& text)
{
    if (fBusy)
        return MStatus(MStatus::kFailure, "redo cannot run while a command is undone or redone");
    if (fPosition == fEntries.size())
        return MStatus::kNotFound;
    Entry& entry = fEntries[fPosition];
    text = entry.text;
    MStatus status;
    {
        BusyScope busy(fBusy);
        status = entry.command->redoIt();
    }
    if (status)
        ++fPosition;
    return status;
}

void UndoQueue::Clear()
{
    // A command being undone must outlive its own undoIt.
    if (fBusy)
        return;
    fEntries.clear();
    fPosition = 0;
}

void UndoQueue::Forget(const std::string& name)
{
    for (const Entry& entry : fEntries)
        if (entry.name == name)
        {
            Clear();
            return;
        }
}

namespace
{
// undo and redo differ only in direction and words.
MStatus Step(const ScriptStatement& statement, bool back)
{
    static const ScriptSyntax syntax = ScriptSyntax().SetPositionalCount(0, 0);
    ScriptArgs args;
    if (const MStatus status = args.Parse(statement, syntax); !status)
        return status;
    std::string text;
    UndoQueue& queue = UndoQueue::Get();
    const MStatus status = back ? queue.Undo(text) : queue.Redo(text);
    if (status == MStatus::kNotFound)
    {
        // Nothing to step over is no failure of the script, as in Maya.
        MGlobal::displayWarning(back ? "There are no more commands to undo."
                                     : "There are no more commands to redo.");
        return MStatus::kSuccess;
    }
    if (!status)
    {
        const std::string reason = ToStdString(status.errorString());
        return ReportCommandError(statement, (back ? "Cannot undo " : "Cannot redo ") + text + ": " + reason,
                                  status.statusCode());
    }
    MGlobal::displayInfo(ToMString((back ? "// Undo: " : "// Redo: ") + text + " //"));
    return MStatus::kSuccess;
}

MStatus UndoCommand(const ScriptStatement& statement, CommandResult&)
{
    return Step(statement, true);
}

MStatus RedoCommand(const ScriptStatement& statement, CommandResult&)
{
    return Step(statement, false);
}

const CommandRegistrar kUndo("undo", UndoCommand);
const CommandRegistrar kRedo("redo", RedoCommand);
} // namespace
} // namespace vxhost
