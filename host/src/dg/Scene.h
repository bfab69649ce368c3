#pragma once
/// \file Scene.h
/// The scene: its nodes, their connections and the change counter that
/// decides when computed values are out of date.

#include "Node.h"

#include <maya/MPlug.h>
#include <maya/MStatus.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vxhost
{
struct Connection
{
    std::shared_ptr<Node> source;
    PlugPath sourcePath;
    std::shared_ptr<Node> destination;
    PlugPath destinationPath;

    bool operator==(const Connection& other) const = default;
};

// The list edits that deleting, reparenting and undo share, where the
// place an item had must be known to put it back.
/// Removes the first element equal to item and returns where it was;
/// list.size() when it is not there.
template <typename T> std::size_t TakeOut(std::vector<T>& list, const T& item)
{
    const auto it = std::find(list.begin(), list.end(), item);
    const auto index = static_cast<std::size_t>(it - list.begin());
    if (it != list.end())
        list.erase(it);
    return index;
}

/// Puts item at index, or last when the list has since grown shorter.
template <typename T> void PutAt(std::vector<T>& list, std::size_t index, T item)
{
    list.insert(list.begin() + static_cast<std::ptrdiff_t>(std::min(index, list.size())), std::move(item));
}

/// Takes item out of list, noting where it was in index, when it is
/// there; else puts it back at index. Undo and redo of an addition or a
/// removal alike.
template <typename T> void TogglePresence(std::vector<T>& list, const T& item, std::size_t& index)
{
    const std::size_t before = list.size();
    const std::size_t at = TakeOut(list, item);
    if (list.size() < before)
        index = at;
    else
        PutAt(list, index, item);
}

/// One process-wide scene, as Maya has. Computed values are cached with the
/// generation at which they were computed; any change to the scene (a value
/// set from outside a compute, a connection, a node made, deleted or moved,
/// time) starts a new generation, so nothing computed before is used again.
/// That is coarser than tracking what affects what, and never stale.
class Scene
{
public:
    static Scene& Get();

    /// A new node. name empty: the type name numbered ("transform1"); a name
    /// in use gets a number. A DAG node is placed under parent, and a shape
    /// without a parent gets a new transform named after it.
    std::shared_ptr<Node> CreateNode(const std::string& typeName, const std::string& name, Node* parent,
                                     MStatus& status);
    /// By name, or by DAG path ("|goal|goalShape" or "goal|goalShape").
    std::shared_ptr<Node> Find(std::string_view nameOrPath) const;
    const std::vector<std::shared_ptr<Node>>& Nodes() const { return fNodes; }
    /// Deletes node, its DAG children and their connections.
    void Delete(Node& node);
    /// Deletes every node and connection; the node types stay.
    void Reset();

    /// name if free, else name with its trailing number replaced by the
    /// lowest one free.
    std::string UniqueName(std::string_view name, bool forceNumber = false) const;
    std::string Rename(Node& node, const std::string& name);
    /// Moves child under parent (the world when null). Fails for a cycle or
    /// when child is no DAG node.
    MStatus Reparent(Node& child, Node* parent);

    /// Connects source to destination. A destination may have one source:
    /// with force the old connection is replaced, without it the call fails.
    MStatus Connect(const MPlug& source, const MPlug& destination, bool force);
    MStatus Disconnect(const MPlug& source, const MPlug& destination);
    /// The connection that feeds path on node exactly, or null.
    const Connection* SourceOf(const Node& node, const PlugPath& path) const;
    /// Connections at path exactly, or (withDescendants) below it too.
    std::vector<const Connection*> ConnectionsAt(const Node& node, const PlugPath& path, bool asSource,
                                                 bool asDestination, bool withDescendants) const;
    const std::vector<Connection>& Connections() const { return fConnections; }

    /// The active selection, in the order selected (the last is the lead).
    /// Deleted nodes leave it.
    std::vector<std::shared_ptr<Node>>& Selection() { return fSelection; }

    std::uint64_t Generation() const { return fGeneration; }
    /// Starts a new generation: something changed.
    void Touch() { ++fGeneration; }

    // For undo (SceneChanges): a node's place in the scene, and a deletion
    // finished once nothing can bring the node back.
    /// Takes node out of the scene, saying where it was.
    void Unlink(Node& node, Node*& parent, std::size_t& childIndex, std::size_t& sceneIndex);
    /// Puts node back under parent (the world when null) at the places given.
    void Link(Node& node, Node* parent, std::size_t childIndex, std::size_t sceneIndex);
    /// Tells the host services that node leaves the scene. What they keep
    /// of it beyond caches they note in the open undo record, if any.
    void NotifyDelete(Node& node);
    /// The behaviour of a node out of the scene goes, once no undo record
    /// can bring the node back.
    void FinishDelete(Node& node);
    /// Breaks connection when it is there (saying its index), else makes it
    /// again at index.
    void ToggleConnection(const Connection& connection, std::size_t& index);

    /// Called with each node about to be deleted (and on Reset), so that
    /// host services can drop what they keep about it. A service that keeps
    /// more than a cache notes in SceneChanges::Recording() how to get it
    /// back, as undo may return the node.
    void OnDelete(std::function<void(Node&)> callback) { fDeleteCallbacks.push_back(std::move(callback)); }
    /// Called after Reset, so that host services can start afresh (time,
    /// the undo queue).
    void OnReset(std::function<void()> callback) { fResetCallbacks.push_back(std::move(callback)); }

private:
    void Detach(Node& node);

    std::vector<std::shared_ptr<Node>> fNodes;
    std::vector<Connection> fConnections;
    std::vector<std::shared_ptr<Node>> fSelection;
    std::uint64_t fGeneration = 1;
    std::vector<std::function<void(Node&)>> fDeleteCallbacks;
    std::vector<std::function<void()>> fResetCallbacks;
};

/// Whether path lies within prefix: the same steps, where an open index
/// (-1) in prefix stands for any element.
bool PathWithin(const PlugPath& path, const PlugPath& prefix);
} // namespace vxhost
