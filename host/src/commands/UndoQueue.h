#pragma once
/// \file UndoQueue.h
/// The host's undo queue: the undoable commands done so far, and how far
/// `undo` has gone back among them.

#include <maya/MApiNamespace.h>
#include <maya/MStatus.h>

#include <cstddef>
#include <deque>
#include <memory>
#include <string>

namespace vxhost
{
/// Commands before Position() are in effect; those from it on were undone
/// and can be redone. A new command drops the undone ones, as in Maya. The
/// queue keeps at most kMaxLength commands, forgetting the oldest.
class UndoQueue
{
public:
    static constexpr std::size_t kMaxLength = 1000;

    /// The process-wide queue `undo` and `redo` work on.
    static UndoQueue& Get();

    /// Takes a command whose doIt succeeded. name is the command's name,
    /// text the call as written (for messages). While an undo or redo runs,
    /// commands it runs in turn are not kept: they are part of it.
    void Push(std::unique_ptr<MPxCommand> command, std::string name, std::string text);
    /// Calls undoIt of the last command in effect and steps back over it.
    /// kNotFound when there is none; a failing undoIt leaves the position
    /// where it was (so undo can be tried again) and returns its status.
    /// text is the undone (or failing) command's text.
    MStatus Undo(std::string& text);
    /// Calls redoIt of the first undone command and steps past it; like Undo.
    MStatus Redo(std::string& text);
    /// Drops every command (the scene they worked on is gone).
    void Clear();
    /// Drops every command when one of them is of the command name: its code
    /// may be about to go with its plug-in, as Maya flushes the queue when a
    /// plug-in is unloaded.
    void Forget(const std::string& name);

    std::size_t Length() const { return fEntries.size(); }
    std::size_t Position() const { return fPosition; }

private:
    struct Entry
    {
        std::unique_ptr<MPxCommand> command;
        std::string name;
        std::string text;
    };
    std::deque<Entry> fEntries;
    std::size_t fPosition = 0;
    bool fBusy = false;
};
} // namespace vxhost
