#pragma once
/// \file MPlug.h
/// A plug: one attribute of one node, down to array elements and compound
/// children, through which values are read and written and connections made.

#include <maya/MDistance.h>
#include <maya/MObject.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MTime.h>

#include <memory>
#include <vector>

namespace vxhost
{
class Attribute;
class Node;
/// One step of a plug's path: an attribute and, for an array attribute,
/// the logical element index (-1 when the plug is the whole array).
struct PlugStep
{
    const Attribute* attribute = nullptr;
    int index = -1;
    bool operator==(const PlugStep& other) const { return attribute == other.attribute && index == other.index; }
    bool operator!=(const PlugStep& other) const { return !(*this == other); }
};
} // namespace vxhost

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// Reading a plug that is the destination of a connection reads its source;
/// reading a computed attribute runs its node's compute first when anything
/// changed since it was computed. Writing clamps numbers into the
/// attribute's hard limits. Typed data read through a plug (curves, meshes,
/// arrays, matrices) is the reader's own copy.
class MPlug
{
public:
    MPlug() = default;
    /// The plug of attribute on node (a top-level or child attribute; for a
    /// child of an array compound the element index is left open).
    MPlug(const MObject& node, const MObject& attribute);

    bool isNull(MStatus* ReturnStatus = nullptr) const;
    MObject attribute(MStatus* ReturnStatus = nullptr) const;
    MObject node(MStatus* ReturnStatus = nullptr) const;
    /// "node.attr[3].child", with long attribute names.
    MString name(MStatus* ReturnStatus = nullptr) const;
    /// Like name(), without the node unless includeNodeName; short
    /// attribute names unless useLongNames.
    MString partialName(bool includeNodeName = false, bool includeNonMandatoryIndices = false,
                        bool includeInstancedIndices = false, bool useAlias = false,
                        bool useFullAttributePath = false, bool useLongNames = false,
                        MStatus* ReturnStatus = nullptr) const;

    // Structure.
    bool isArray(MStatus* ReturnStatus = nullptr) const;
    bool isElement(MStatus* ReturnStatus = nullptr) const;
    bool isCompound(MStatus* ReturnStatus = nullptr) const;
    bool isChild(MStatus* ReturnStatus = nullptr) const;
    bool isKeyable(MStatus* ReturnStatus = nullptr) const;
    unsigned int numChildren(MStatus* ReturnStatus = nullptr) const;
    MPlug child(unsigned int index, MStatus* ReturnStatus = nullptr) const;
    MPlug child(const MObject& attribute, MStatus* ReturnStatus = nullptr) const;
    MPlug parent(MStatus* ReturnStatus = nullptr) const;
    /// The array plug of an element.
    MPlug array(MStatus* ReturnStatus = nullptr) const;
    unsigned int logicalIndex(MStatus* ReturnStatus = nullptr) const;
    /// The element with that logical index; it need not exist yet.
    MPlug elementByLogicalIndex(unsigned int logicalIndex, MStatus* ReturnStatus = nullptr) const;
    /// The element at that position among the existing ones, in logical
    /// index order; kInvalidParameter past the end.
    MPlug elementByPhysicalIndex(unsigned int physicalIndex, MStatus* ReturnStatus = nullptr) const;
    /// Existing elements: those holding a value or connected, themselves or
    /// through a child.
    unsigned int numElements(MStatus* ReturnStatus = nullptr) const;
    unsigned int evaluateNumElements(MStatus* ReturnStatus = nullptr);
    int getExistingArrayAttributeIndices(std::vector<int>& indices, MStatus* ReturnStatus = nullptr);
    /// Elements connected themselves or through a child.
    unsigned int numConnectedElements(MStatus* ReturnStatus = nullptr) const;
    unsigned int numConnectedChildren(MStatus* ReturnStatus = nullptr) const;
    MPlug connectionByPhysicalIndex(unsigned int physicalIndex, MStatus* ReturnStatus = nullptr) const;

    // Connections of this very plug (not of its children or elements).
    bool isConnected(MStatus* ReturnStatus = nullptr) const;
    bool isDestination(MStatus* ReturnStatus = nullptr) const;
    bool isSource(MStatus* ReturnStatus = nullptr) const;
    bool connectedTo(MPlugArray& array, bool asDst, bool asSrc, MStatus* ReturnStatus = nullptr) const;
    /// The plug this one reads from; null when it is no destination.
    MPlug source(MStatus* ReturnStatus = nullptr) const;
    bool destinations(MPlugArray& theDestinations, MStatus* ReturnStatus = nullptr) const;

    // Reads.
    bool asBool(MStatus* ReturnStatus = nullptr) const;
    char asChar(MStatus* ReturnStatus = nullptr) const;
    short asShort(MStatus* ReturnStatus = nullptr) const;
    int asInt(MStatus* ReturnStatus = nullptr) const;
    float asFloat(MStatus* ReturnStatus = nullptr) const;
    /// Distances in centimetres, angles in radians, times in seconds.
    double asDouble(MStatus* ReturnStatus = nullptr) const;
    MDistance asMDistance(MStatus* ReturnStatus = nullptr) const;
    MTime asMTime(MStatus* ReturnStatus = nullptr) const;
    MString asString(MStatus* ReturnStatus = nullptr) const;
    /// A copy of the plug's data (a matrix as matrix data).
    MObject asMObject(MStatus* ReturnStatus = nullptr) const;
    MStatus getValue(MObject& data) const;
    MStatus getValue(double& value) const;
    MStatus getValue(int& value) const;
    MStatus getValue(bool& value) const;
    MStatus getValue(MDistance& value) const;
    MStatus getValue(MTime& value) const;

    // Writes. Fail with kFailure for a plug whose value comes from a
    // connection (to it, to a compound or array above it, or, for a pair,
    // to one of its children). A child of a numeric pair writes its number
    // of the pair's value.
    MStatus setBool(bool value);
    MStatus setShort(short value);
    MStatus setInt(int value);
    MStatus setFloat(float value);
    MStatus setDouble(double value);
    MStatus setMDistance(const MDistance& value);
    MStatus setMTime(const MTime& value);
    MStatus setString(const MString& value);
    MStatus setMObject(const MObject& data);
    MStatus setValue(bool value) { return setBool(value); }
    MStatus setValue(int value) { return setInt(value); }
    MStatus setValue(double value) { return setDouble(value); }
    MStatus setValue(const MDistance& value) { return setMDistance(value); }
    MStatus setValue(const MTime& value) { return setMTime(value); }
    MStatus setValue(const MString& value) { return setString(value); }
    MStatus setValue(const MObject& data) { return setMObject(data); }

    bool operator==(const MPlug& other) const;
    bool operator!=(const MPlug& other) const { return !(*this == other); }
    bool operator==(const MObject& attribute) const;

#ifdef VXHOST_INTERNAL
    /// Host code.
    MPlug(std::shared_ptr<vxhost::Node> node, std::vector<vxhost::PlugStep> steps)
        : fNode(std::move(node)), fSteps(std::move(steps))
    {
    }
    const std::shared_ptr<vxhost::Node>& HostNode() const { return fNode; }
    const std::vector<vxhost::PlugStep>& Steps() const { return fSteps; }
#endif

private:
    const vxhost::Attribute* Attr() const { return fSteps.empty() ? nullptr : fSteps.back().attribute; }

    std::shared_ptr<vxhost::Node> fNode;
    std::vector<vxhost::PlugStep> fSteps;
};

OPENMAYA_NAMESPACE_CLOSE
