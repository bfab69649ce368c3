#pragma once
/// \file UndoQueue.h
/// The host's undo queue: the changes done so far (plug-in commands, the
/// host's own commands' recorded changes, chunks of both), and how far
/// `undo` has gone back among them.

#include <maya/MApiNamespace.h>
#include <maya/MStatus.h>
#include <vxhost/CommandEngine.h>

#include <cstddef>
#include <deque>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace vxhost
{
/// Entries before Position() are in effect; those from it on were undone
/// and can be redone. A new entry drops the undone ones, as in Maya. The
/// queue keeps at most MaxLength() entries and about kMaxBytes of kept
/// values (a particle system's arrays can be large), forgetting the oldest.
class UndoQueue
{
public:
    static constexpr std::size_t kDefaultLength = 1000;
    static constexpr std::size_t kMaxBytes = std::size_t(1) << 30;

    /// The process-wide queue `undo` and `redo` work on.
    static UndoQueue& Get();

    /// Takes a command whose doIt succeeded. name is the command's name,
    /// text the call as written (for messages). It goes into the host
    /// command under way when there is one (a plug-in command its script
    /// called), else into the open chunk, else onto the queue. While an
    /// undo or redo runs, or with the queue off, it is dropped.
    /// bytes: roughly what the command keeps for undo.
    void Push(std::unique_ptr<MPxCommand> command, std::string name, std::string text, std::size_t bytes = 0);
    /// Calls undoIt of the last entry in effect and steps back over it,
    /// closing an open chunk first. kNotFound when there is none; a failing
    /// undoIt leaves the position where it was (so undo can be tried again)
    /// and returns its status. text is the undone (or failing) entry's text.
    MStatus Undo(std::string& text);
    /// Calls redoIt of the first undone entry and steps past it; like Undo.
    MStatus Redo(std::string& text);
    /// Drops every entry and any open chunk (the scene they worked on is
    /// gone).
    void Clear();
    /// Drops every entry when one of them holds a command of that name: its
    /// code may be about to go with its plug-in, as Maya flushes the queue
    /// when a plug-in is unloaded.
    void Forget(const std::string& name);

    /// Entries pushed from now until the matching CloseChunk become one,
    /// undone and redone together. Chunks nest; the outermost decides.
    /// name, when given, is the chunk's text.
    void OpenChunk(const std::string& name);
    /// False when no chunk is open.
    bool CloseChunk();

    /// Off: nothing goes on the queue (and it is emptied, unless
    /// keepEntries), as `undoInfo -state off` does.
    void SetEnabled(bool enabled, bool keepEntries = false);
    bool Enabled() const { return fEnabled; }
    /// The most entries kept; 0 for no limit but the bytes.
    void SetMaxLength(std::size_t length);
    std::size_t MaxLength() const { return fMaxLength; }
    /// Whether an undo or redo is running now.
    bool Busy() const { return fBusy; }

    /// The text of what undo (redo) would take back (do again); empty when
    /// nothing.
    std::string UndoText() const;
    std::string RedoText() const;
    /// Every entry's text, oldest first.
    std::vector<std::string> Texts() const;

    std::size_t Length() const { return fEntries.size(); }
    std::size_t Position() const { return fPosition; }

private:
    struct Entry
    {
        std::unique_ptr<MPxCommand> command;
        std::set<std::string> names; ///< the commands' names, for Forget
        std::string text;
        std::size_t bytes = 0;
    };

    void Add(Entry entry);
    // Forgets the oldest entries past the limits.
    void Trim();

    std::deque<Entry> fEntries;
    std::size_t fPosition = 0;
    bool fBusy = false;
    bool fEnabled = true;
    std::size_t fMaxLength = kDefaultLength;
    std::size_t fBytes = 0;
    // The chunk being gathered, its depth and name.
    std::vector<Entry> fChunk;
    int fChunkDepth = 0;
    std::string fChunkName;
};

/// Makes a host command that changes the scene undoable: its changes are
/// recorded while it runs (see SceneChanges) and go on the undo queue as
/// one entry when there are any, whether or not it then failed, so that
/// nothing it did is beyond undo. Within another such command, during undo
/// and redo, with the queue off, or while a plug-in command or evaluation
/// runs, it runs as it is.
///
///     const CommandRegistrar kSetAttr("setAttr", Undoable(SetAttrCommand));
CommandFunction Undoable(CommandFunction function);

/// The call as the script wrote it ("setAttr swarm.maximumSpeed 99"), for
/// the queue's messages.
std::string CommandText(const ScriptStatement& statement);
} // namespace vxhost
