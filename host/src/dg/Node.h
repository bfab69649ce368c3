#pragma once
/// \file Node.h
/// A node of the scene: its type, name, behaviour, values and DAG place.

#include "DataNode.h"
#include "NodeClass.h"

#include <vxhost/HostObject.h>

#include <maya/MPlug.h>
#include <maya/MPxNode.h>
#include <maya/MStatus.h>

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vxhost
{
using PlugPath = std::vector<PlugStep>;
struct Connection;

class Node final : public HostObject
{
public:
    Node(const NodeClass* nodeClass, std::string nodeName);
    ~Node() override;

    MFn::Type ApiType() const override { return cls->apiType; }
    bool HasFn(MFn::Type type) const override { return cls->HasFn(type); }

    static Node* From(const MObject& object) { return dynamic_cast<Node*>(object.HostImpl().get()); }
    static std::shared_ptr<Node> Shared(const MObject& object)
    {
        return std::dynamic_pointer_cast<Node>(object.HostImpl());
    }
    std::shared_ptr<Node> Self() { return std::static_pointer_cast<Node>(shared_from_this()); }
    MObject Object() { return MObject(shared_from_this()); }

    // Attributes.
    /// By long or short name, at any depth; the type's first, then dynamic.
    const Attribute* FindAttribute(std::string_view name) const;
    bool Owns(const Attribute* attribute) const;
    /// Every attribute with its children, depth first: the type's, then the
    /// dynamic ones.
    void AllAttributes(std::vector<const Attribute*>& out) const;
    /// The path of a plug of attribute (element indices of its array parents
    /// left open).
    PlugPath PathTo(const Attribute* attribute) const;
    MStatus AddDynamicAttribute(const std::shared_ptr<Attribute>& attribute);
    MStatus RemoveDynamicAttribute(const Attribute* attribute);
    /// Makes the index of the dynamic attributes' names afresh: for what
    /// changes dynamicAttributes other than the two above (undo).
    void IndexDynamicAttributes();

    // Values.
    /// The stored value at path, made with defaults (and its array elements)
    /// when missing. Null when the path does not fit the node's attributes
    /// (an open element index on the way).
    DataNode* Data(const PlugPath& path);
    /// The stored value at path, or null when it does not exist.
    DataNode* FindData(const PlugPath& path) const;
    /// The value at path after pulling it through connections and running
    /// compute where it is out of date.
    DataNode* Evaluate(const PlugPath& path, MStatus& status);
    /// The length of the nearest proper prefix of path (or of path with an
    /// element made the whole array) that is a connection's destination; 0
    /// when none.
    std::size_t ConnectedAncestor(const PlugPath& path) const;
    /// Whether the value at path is worked out by compute.
    bool IsComputed(const PlugPath& path) const;
    /// For a child of a numeric pair or triple: the pair's stored value,
    /// which holds the child's number at outComponent (made with defaults
    /// when missing). Null for any other plug.
    DataNode* TupleValue(const PlugPath& path, unsigned& outComponent);
    /// The connection that decides the value at path: to path itself, to a
    /// compound or array above it, or (withParts) to a child or element
    /// below it. outFedPath is where that connection arrives. Null when
    /// nothing feeds the plug.
    const Connection* Feed(const PlugPath& path, bool withParts, PlugPath& outFedPath) const;

    const NodeClass* cls;
    std::string name;
    std::unique_ptr<MPxNode> behaviour;
    std::vector<std::shared_ptr<Attribute>> dynamicAttributes;
    std::map<const Attribute*, std::unique_ptr<DataNode>> values; ///< top level
    bool alive = true;
    /// How many undo records hold the node (SceneChanges): a node deleted
    /// while any does is deleted for good only when the last lets go.
    unsigned undoHolds = 0;

    // DAG.
    Node* parent = nullptr;
    std::vector<std::shared_ptr<Node>> children;

private:
    void PullConnectedDescendants(const PlugPath& path, MStatus& status);
    /// Runs compute for the plug at path; marking it clean is compute's job.
    MStatus Compute(const PlugPath& path);
    /// For a child of a pair or triple: the child's number from the pair's
    /// value, or (fromChild, after a connection filled the child) into it.
    void SyncTupleChild(const PlugPath& path, DataNode& data, bool fromChild);

    int fEvaluationDepth = 0;
    // The dynamic attributes by long and short name, at any depth, the
    // first in FindAttribute's order winning: a shape read from a cache of
    // thousands of channels has as many, and a search through them per
    // channel would take the square of that.
    std::unordered_map<std::string, const Attribute*> fDynamicNames;
    void IndexNames(const Attribute& attribute);
};

MString PlugName(const Node& node, const PlugPath& path, bool longNames = true, bool withNode = true);
} // namespace vxhost
