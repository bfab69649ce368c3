#pragma once
/// \file NodeClass.h
/// Node types: their attributes, affects relations and creators, built in
/// or registered by a plug-in.

#include "Attribute.h"

#include <maya/MFn.h>
#include <maya/MPxNode.h>
#include <maya/MStatus.h>
#include <maya/MTypeId.h>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace vxhost
{
struct NodeClass
{
    std::string typeName;
    MTypeId id;
    MPxNode::Type pxType = MPxNode::kDependNode;
    /// Makes the node's behaviour object.
    std::function<MPxNode*()> creator;
    const NodeClass* parent = nullptr; ///< whose attributes this type inherits
    std::string classification;
    std::string plugin; ///< the plug-in that registered the type; empty when built in
    MFn::Type apiType = MFn::kDependencyNode;
    std::vector<MFn::Type> fnTypes; ///< further types that hasFn accepts
    bool dag = false;
    bool shape = false;
    bool abstract = false; ///< a base type that createNode refuses
    /// Set once a compute of this type has left its output dirty and been
    /// warned about: the warning is said once per type.
    mutable bool warnedDirtyCompute = false;

    /// Top-level attributes of this type alone, in the order added.
    std::vector<std::shared_ptr<Attribute>> attributes;
    /// (whenChanges, isAffected), in the order declared.
    std::vector<std::pair<const Attribute*, const Attribute*>> affects;
    /// The attributes that something affects: computed, not stored.
    std::set<const Attribute*> computed;

    /// Attribute by long or short name, at any depth, searching the parent
    /// types too.
    const Attribute* Find(std::string_view name) const;
    /// Whether attribute belongs to this type or one it inherits from.
    bool Owns(const Attribute* attribute) const;
    bool IsComputed(const Attribute* attribute) const;
    /// Every top-level attribute, inherited ones first.
    void TopLevel(std::vector<const Attribute*>& out) const;
    bool IsA(const std::string& name) const;
    bool HasFn(MFn::Type type) const;
};

/// The node types the host knows. Types are never destroyed while the
/// process runs (a deregistered plug-in type only leaves the lookup tables),
/// so their attributes stay valid for MObjects still held.
class NodeRegistry
{
public:
    static NodeRegistry& Get();

    /// Adds a type; fails when its name or id is taken. With an initialiser,
    /// runs it with the type as the one MPxNode's static functions act on; a
    /// failing initialiser leaves nothing registered.
    MStatus Register(std::unique_ptr<NodeClass> nodeClass, const std::function<MStatus()>& initialize);
    MStatus Deregister(const MTypeId& id);

    const NodeClass* Find(const std::string& typeName) const;
    const NodeClass* Find(const MTypeId& id) const;
    /// Type names, in registration order.
    std::vector<std::string> TypeNames() const;

    /// The type whose initialiser runs; null otherwise.
    NodeClass* Initialising() const { return fInitialising; }

private:
    NodeRegistry() = default;

    bool fBuiltinsRegistered = false;
    std::vector<std::unique_ptr<NodeClass>> fRetired;
    std::vector<std::unique_ptr<NodeClass>> fClasses;
    NodeClass* fInitialising = nullptr;
};
} // namespace vxhost
