#pragma once
/// \file SceneChanges.h
/// What one host command changed in the scene, so that undo can take it
/// back and redo do it again exactly: nodes made and deleted (the node
/// objects themselves, so handles to them stay good), names, parents,
/// connections, dynamic attributes, values, the selection, and whatever
/// host services keep beside the nodes.
///
/// The scene and its nodes note their changes in the record open on the
/// calling thread (Recording()). Values are kept whole per top-level
/// attribute, copied the first time a command reaches them; Close() drops
/// the copies that turned out unchanged. Evaluation (pulling values through
/// connections, compute) is not recorded: it only works out what the
/// recorded values imply.

#include <maya/MApiNamespace.h>
#include <maya/MStatus.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace vxhost
{
class Attribute;
class DataNode;
class Node;
struct Connection;

class SceneChanges
{
public:
    SceneChanges();
    /// Nodes that this record alone kept out of the scene are deleted for
    /// good: the host services let go of them and their behaviour goes.
    ~SceneChanges();
    SceneChanges(const SceneChanges&) = delete;
    SceneChanges& operator=(const SceneChanges&) = delete;

    /// The record the host command running on this thread writes to; null
    /// when none is open, while recording is paused, or after the scene
    /// was reset under it.
    static SceneChanges* Recording();
    /// Whether a command starting now may open a record of its own: none
    /// is open and recording is not paused.
    static bool CanOpen();

    /// Makes record the one changes go to for its lifetime.
    class Scope
    {
    public:
        explicit Scope(SceneChanges& record);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        SceneChanges* fOuter;
    };

    /// Stops recording for its lifetime: while a plug-in command does its
    /// own work (it undoes it itself), while undo or redo runs, while the
    /// graph evaluates.
    class Pause
    {
    public:
        Pause();
        ~Pause();
        Pause(const Pause&) = delete;
        Pause& operator=(const Pause&) = delete;
    };

    // What the scene notes.
    void NodeLinked(Node& node);
    /// After node left the scene from the place given.
    void NodeUnlinked(Node& node, Node* parent, std::size_t childIndex, std::size_t sceneIndex);
    void Renamed(Node& node, std::string oldName);
    /// After node moved from the place given.
    void Reparented(Node& node, Node* oldParent, std::size_t oldIndex);
    /// After connection was made at, or broken from, index of the scene's
    /// connections.
    void ConnectionChanged(const Connection& connection, std::size_t index);
    /// After attribute was added to node's dynamic attributes at index, or
    /// removed from there.
    void AttributeChanged(Node& node, std::shared_ptr<Attribute> attribute, std::size_t index);
    /// Before the value of a top-level attribute may change.
    void ValueReached(Node& node, const Attribute* attribute);
    /// A change kept outside the scene's own structures; toggle switches
    /// between the states before and after it (undo and redo both call it).
    void Toggle(std::function<void()> toggle);
    /// A command with its own undo, run within this one (a plug-in command
    /// that a script run by this command called).
    void Command(std::unique_ptr<MPxCommand> command);
    /// The scene was reset under the record: everything it holds is moot.
    void Void();

    /// Ends recording: drops values that came back unchanged and notes the
    /// selection. False when the scene did not change.
    bool Close();
    /// Takes the changes back (forward false) or does them again.
    MStatus Apply(bool forward);
    /// Roughly the bytes of the values kept, after Close().
    std::size_t Bytes() const { return fBytes; }

    class Change;

private:
    std::vector<std::unique_ptr<Change>> fChanges;
    // Few per command: searched in order.
    std::vector<std::pair<const Node*, const Attribute*>> fReached;
    std::vector<const Node*> fMade;
    std::vector<std::shared_ptr<Node>> fSelectionBefore;
    bool fVoid = false;
    std::size_t fBytes = 0;
};
} // namespace vxhost
