// The undo queue and the `undo`, `redo`, `undoInfo` and `flushUndo`
// commands that walk and steer it.

#include "UndoQueue.h"

#include "dg/Scene.h"
#include "dg/SceneChanges.h"

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
// Set while an undoIt or redoIt runs, and restored however it ends; the
// commands they run are part of them, not new changes.
class BusyScope
{
public:
    explicit BusyScope(bool& busy) : fBusy(busy) { fBusy = true; }
    ~BusyScope() { fBusy = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    bool& fBusy;
    SceneChanges::Pause fPause;
};

// A host command's recorded changes, as the queue holds commands.
class RecordedCommand final : public MPxCommand
{
public:
    explicit RecordedCommand(std::unique_ptr<SceneChanges> changes) : fChanges(std::move(changes)) {}
    MStatus undoIt() override { return fChanges->Apply(false); }
    MStatus redoIt() override { return fChanges->Apply(true); }
    bool isUndoable() const override { return true; }

private:
    std::unique_ptr<SceneChanges> fChanges;
};

// Entries undone together, newest first, and redone oldest first. A failing
// step stops the chunk there; the steps already taken stay taken.
class ChunkCommand final : public MPxCommand
{
public:
    explicit ChunkCommand(std::vector<std::unique_ptr<MPxCommand>> steps) : fSteps(std::move(steps)) {}
    ~ChunkCommand() override
    {
        while (!fSteps.empty())
            fSteps.pop_back();
    }
    MStatus undoIt() override
    {
        for (auto it = fSteps.rbegin(); it != fSteps.rend(); ++it)
            if (MStatus status = (*it)->undoIt(); !status)
                return status;
        return MStatus::kSuccess;
    }
    MStatus redoIt() override
    {
        for (const auto& step : fSteps)
            if (MStatus status = step->redoIt(); !status)
                return status;
        return MStatus::kSuccess;
    }
    bool isUndoable() const override { return true; }

private:
    std::vector<std::unique_ptr<MPxCommand>> fSteps;
};
} // namespace

std::string CommandText(const ScriptStatement& statement)
{
    std::string text = statement.command;
    for (const ScriptArgument& argument : statement.arguments)
    {
        text += ' ';
        switch (argument.kind)
        {
        case ScriptArgument::Kind::kFlag:
            text += '-';
            text += argument.text;
            break;
        case ScriptArgument::Kind::kString:
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

void UndoQueue::Add(Entry entry)
{
    while (fEntries.size() > fPosition)
    {
        fBytes -= fEntries.back().bytes;
        fEntries.pop_back();
    }
    fBytes += entry.bytes;
    fEntries.push_back(std::move(entry));
    fPosition = fEntries.size();
    Trim();
}

void UndoQueue::Trim()
{
    static bool told = false;
    while ((fMaxLength > 0 && fEntries.size() > fMaxLength) || (fBytes > kMaxBytes && fEntries.size() > 1))
    {
        if (fBytes > kMaxBytes && !told)
        {
            MGlobal::displayWarning("The undo queue keeps about 1 GB of values; its oldest changes are forgotten.");
            told = true;
        }
        fBytes -= fEntries.front().bytes;
        fEntries.pop_front();
        if (fPosition > 0)
            --fPosition;
    }
}

void UndoQueue::SetMaxLength(std::size_t length)
{
    fMaxLength = length;
    Trim();
}

void UndoQueue::Push(std::unique_ptr<MPxCommand> command, std::string name, std::string text, std::size_t bytes)
{
    if (fBusy || !fEnabled || !command)
        return;
    if (SceneChanges* record = SceneChanges::Recording())
        record->Command(std::move(command));
    else if (fChunkDepth > 0)
        fChunk.push_back({std::move(command), {std::move(name)}, std::move(text), bytes});
    else
        Add({std::move(command), {std::move(name)}, std::move(text), bytes});
}

void UndoQueue::OpenChunk(const std::string& name)
{
    if (fChunkDepth++ == 0)
        fChunkName = name;
}

bool UndoQueue::CloseChunk()
{
    if (fChunkDepth == 0)
        return false;
    if (--fChunkDepth > 0)
        return true;
    std::vector<Entry> gathered = std::move(fChunk);
    fChunk.clear();
    if (gathered.empty())
        return true;
    Entry chunk;
    chunk.text = fChunkName;
    std::vector<std::unique_ptr<MPxCommand>> steps;
    for (Entry& entry : gathered)
    {
        if (fChunkName.empty())
            chunk.text += (chunk.text.empty() ? "" : "; ") + entry.text;
        chunk.names.merge(entry.names);
        chunk.bytes += entry.bytes;
        steps.push_back(std::move(entry.command));
    }
    chunk.command = std::make_unique<ChunkCommand>(std::move(steps));
    Add(std::move(chunk));
    return true;
}

MStatus UndoQueue::Undo(std::string& text)
{
    if (fBusy)
        return MStatus(MStatus::kFailure, "undo cannot run while a command is undone or redone");
    // A chunk a script left open ends where undo begins.
    while (fChunkDepth > 0)
        CloseChunk();
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
    // Newest first, as undo would go, so a node several entries hold is let
    // go of by the oldest last.
    while (!fEntries.empty())
        fEntries.pop_back();
    fPosition = 0;
    fBytes = 0;
    while (!fChunk.empty())
        fChunk.pop_back();
    fChunkDepth = 0;
}

void UndoQueue::Forget(const std::string& name)
{
    auto holds = [&name](const Entry& entry) { return entry.names.count(name) > 0; };
    if (std::any_of(fEntries.begin(), fEntries.end(), holds) || std::any_of(fChunk.begin(), fChunk.end(), holds))
        Clear();
}

void UndoQueue::SetEnabled(bool enabled, bool keepEntries)
{
    fEnabled = enabled;
    if (!enabled && !keepEntries)
        Clear();
}

std::string UndoQueue::UndoText() const
{
    return fPosition > 0 ? fEntries[fPosition - 1].text : std::string();
}

std::string UndoQueue::RedoText() const
{
    return fPosition < fEntries.size() ? fEntries[fPosition].text : std::string();
}

std::vector<std::string> UndoQueue::Texts() const
{
    std::vector<std::string> texts;
    for (const Entry& entry : fEntries)
        texts.push_back(entry.text);
    return texts;
}

CommandFunction Undoable(CommandFunction function)
{
    return [function = std::move(function)](const ScriptStatement& statement, CommandResult& result) -> MStatus
    {
        UndoQueue& queue = UndoQueue::Get();
        if (!queue.Enabled() || queue.Busy() || !SceneChanges::CanOpen())
            return function(statement, result);
        auto record = std::make_unique<SceneChanges>();
        MStatus status;
        {
            const SceneChanges::Scope scope(*record);
            status = function(statement, result);
        }
        if (record->Close())
        {
            const std::size_t bytes = record->Bytes();
            queue.Push(std::make_unique<RecordedCommand>(std::move(record)), statement.command,
                       CommandText(statement), bytes);
        }
        return status;
    };
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

MStatus UndoInfoCommand(const ScriptStatement& statement, CommandResult& result)
{
    static const ScriptSyntax syntax = ScriptSyntax()
                                           .EnableQuery()
                                           .AddFlag("ock", "openChunk")
                                           .AddFlag("cck", "closeChunk")
                                           .AddFlag("cn", "chunkName", 1)
                                           .AddFlag("un", "undoName")
                                           .AddFlag("rn", "redoName")
                                           .AddFlag("uqe", "undoQueueEmpty")
                                           .AddFlag("rqe", "redoQueueEmpty")
                                           .AddFlag("st", "state", 1)
                                           .AddFlag("swf", "stateWithoutFlush", 1)
                                           .AddFlag("l", "length", 1)
                                           .AddFlag("in", "infinity", 1)
                                           .AddFlag("pq", "printQueue")
                                           .SetPositionalCount(0, 0);
    ScriptArgs args;
    if (MStatus status = args.Parse(statement, syntax); !status)
        return status;
    UndoQueue& queue = UndoQueue::Get();
    if (args.IsQuery())
    {
        if (args.IsFlagSet("undoName"))
            result.SetString(queue.UndoText());
        else if (args.IsFlagSet("redoName"))
            result.SetString(queue.RedoText());
        else if (args.IsFlagSet("undoQueueEmpty"))
            result.SetBool(queue.Position() == 0);
        else if (args.IsFlagSet("redoQueueEmpty"))
            result.SetBool(queue.Position() == queue.Length());
        else if (args.IsFlagSet("length"))
            result.SetInt(static_cast<int>(queue.MaxLength()));
        else if (args.IsFlagSet("infinity"))
            result.SetBool(queue.MaxLength() == 0);
        else if (args.IsFlagSet("state") || args.IsFlagSet("stateWithoutFlush"))
            result.SetBool(queue.Enabled());
        else
            // No flag: how many changes there are to undo, as in Maya.
            result.SetInt(static_cast<int>(queue.Position()));
        return MStatus::kSuccess;
    }
    if (args.IsFlagSet("length"))
    {
        int length = 0;
        if (MStatus status = args.ReadFlagValue("length", length); !status)
            return status;
        if (length < 1)
            return ReportCommandError(statement, "The undo queue's length must be at least 1, got " +
                                                     std::to_string(length) + ".",
                                      MStatus::kInvalidParameter);
        queue.SetMaxLength(static_cast<std::size_t>(length));
    }
    if (args.IsFlagSet("infinity"))
    {
        bool infinite = false;
        if (MStatus status = args.ReadFlagValue("infinity", infinite); !status)
            return status;
        queue.SetMaxLength(infinite ? 0 : UndoQueue::kDefaultLength);
    }
    for (const char* flag : {"state", "stateWithoutFlush"})
        if (args.IsFlagSet(flag))
        {
            bool on = true;
            if (MStatus status = args.ReadFlagValue(flag, on); !status)
                return status;
            queue.SetEnabled(on, std::string(flag) == "stateWithoutFlush");
        }
    if (args.IsFlagSet("openChunk"))
    {
        std::string name;
        if (MStatus status = args.ReadFlagValue("chunkName", name); !status)
            return status;
        queue.OpenChunk(name);
    }
    if (args.IsFlagSet("closeChunk") && !queue.CloseChunk())
        ReportCommandWarning(statement, "No undo chunk is open.");
    if (args.IsFlagSet("printQueue"))
    {
        const std::vector<std::string> texts = queue.Texts();
        for (std::size_t i = 0; i < texts.size(); ++i)
            MGlobal::displayInfo(ToMString("# " + std::to_string(i + 1) + ": " + texts[i] +
                                           (i < queue.Position() ? "" : " (undone)")));
    }
    return MStatus::kSuccess;
}

MStatus FlushUndoCommand(const ScriptStatement& statement, CommandResult&)
{
    static const ScriptSyntax syntax = ScriptSyntax().SetPositionalCount(0, 0);
    ScriptArgs args;
    if (MStatus status = args.Parse(statement, syntax); !status)
        return status;
    UndoQueue::Get().Clear();
    return MStatus::kSuccess;
}

const CommandRegistrar kUndo("undo", UndoCommand);
const CommandRegistrar kRedo("redo", RedoCommand);
const CommandRegistrar kUndoInfo("undoInfo", UndoInfoCommand);
const CommandRegistrar kFlushUndo("flushUndo", FlushUndoCommand);
} // namespace
} // namespace vxhost
