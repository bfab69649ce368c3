#pragma once
/// \file MFnDependencyNode.h
/// Function set for any node: name, type, attributes and plugs.

#include <maya/MFnBase.h>
#include <maya/MPlug.h>
#include <maya/MString.h>
#include <maya/MTypeId.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

class MPlugArray;
class MPxNode;

class MFnDependencyNode : public MFnBase
{
public:
    MFnDependencyNode() = default;
    explicit MFnDependencyNode(const MObject& object, MStatus* ReturnStatus = nullptr);

    MFn::Type type() const override { return MFn::kDependencyNode; }

    /// A new node of the named type (a DAG node gets a parent transform,
    /// as createNode makes it); the set is attached to it.
    MObject create(const MString& type, MStatus* ReturnStatus = nullptr);
    MObject create(const MString& type, const MString& name, MStatus* ReturnStatus = nullptr);
    MObject create(const MTypeId& typeId, MStatus* ReturnStatus = nullptr);

    MString name(MStatus* ReturnStatus = nullptr) const;
    /// Renames the node, made unique with a number when taken; returns the
    /// name given.
    MString setName(const MString& name, bool createNamespace = false, MStatus* ReturnStatus = nullptr);
    MTypeId typeId(MStatus* ReturnStatus = nullptr) const;
    MString typeName(MStatus* ReturnStatus = nullptr) const;

    /// The plug of an attribute by long or short name (a child attribute
    /// too); kInvalidParameter when the node has none.
    MPlug findPlug(const MString& attrName, bool wantNetworkedPlug, MStatus* ReturnStatus = nullptr) const;
    MPlug findPlug(const MObject& attribute, bool wantNetworkedPlug, MStatus* ReturnStatus = nullptr) const;
    MObject attribute(const MString& attrName, MStatus* ReturnStatus = nullptr) const;
    /// Every attribute, children included: static ones first, in creation
    /// order, then the dynamic ones.
    unsigned int attributeCount(MStatus* ReturnStatus = nullptr) const;
    MObject attribute(unsigned int index, MStatus* ReturnStatus = nullptr) const;
    bool hasAttribute(const MString& name, MStatus* ReturnStatus = nullptr) const;
    /// Adds a dynamic attribute to this node alone; kInvalidParameter when
    /// its name is taken.
    MStatus addAttribute(const MObject& attribute);
    MStatus removeAttribute(const MObject& attribute);
    /// Every connected plug of the node.
    MStatus getConnections(MPlugArray& array) const;
    /// The plug-in's object behind a plug-in node; null for a built-in one.
    MPxNode* userNode(MStatus* ReturnStatus = nullptr) const;

    /// The classification string registered with a node type.
    static MString classification(const MString& nodeTypeName);

protected:
#ifdef VXHOST_INTERNAL
    /// The attached node, or null (with *ReturnStatus set) when none.
    vxhost::Node* HostNode(MStatus* ReturnStatus = nullptr) const;
#endif
};

OPENMAYA_NAMESPACE_CLOSE
