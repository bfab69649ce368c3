#pragma once
/// \file MDataHandle.h
/// A handle to one value in a node's data block, during compute.

#include <maya/MDistance.h>
#include <maya/MMatrix.h>
#include <maya/MObject.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MTime.h>
#include <maya/MTypes.h>
#include <maya/MVector.h>

namespace vxhost
{
class DataNode;
class Node;
} // namespace vxhost

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// Reads give the stored value (distances in centimetres, angles in
/// radians, times as MTime); writes store without clamping, as in Maya.
/// The handle of a child of a numeric pair or triple reads and writes that
/// child's number within the pair's value, so asDouble2() on the pair sees
/// it.
/// data() hands out the stored data object itself, not a copy: changing it
/// through a function set changes the node's value.
class MDataHandle
{
public:
    MDataHandle() = default;

    bool isNull() const { return fData == nullptr; }
    MObject attribute();

    bool asBool() const;
    char asChar() const;
    short asShort() const;
    int asInt() const;
    float asFloat() const;
    double asDouble() const;
    double2& asDouble2();
    double3& asDouble3();
    int2& asInt2();
    MVector asVector() const;
    MDistance asDistance() const;
    MTime asTime() const;
    const MMatrix& asMatrix() const;
    MString asString() const;
    MObject data();
    MObject asNurbsCurve();
    MObject asMesh();

    void set(bool value);
    void set(short value);
    void set(int value);
    void set(float value);
    void set(double value);
    void set(double a, double b);
    void set(double a, double b, double c);
    void set(int a, int b);
    void set(const MVector& value);
    void set(const MMatrix& value);
    void set(const MString& value);
    void set(const MDistance& value);
    void set(const MTime& value);
    MStatus set(const MObject& data);
    void setBool(bool value) { set(value); }
    void setShort(short value) { set(value); }
    void setInt(int value) { set(value); }
    void setDouble(double value) { set(value); }
    void setMDistance(const MDistance& value) { set(value); }
    void setMTime(const MTime& value) { set(value); }
    void setMMatrix(const MMatrix& value) { set(value); }
    void setString(const MString& value) { set(value); }
    MStatus setMObject(const MObject& data) { return set(data); }
    /// Marks the value, and everything below it, computed.
    void setClean();

    /// The value of a child of this compound.
    MDataHandle child(const MObject& attribute);
    MDataHandle child(const MPlug& plug);

#ifdef VXHOST_INTERNAL
    /// Host code.
    MDataHandle(vxhost::Node* node, vxhost::DataNode* data) : fNode(node), fData(data) {}
    /// Host code: number `component` of a pair or triple's value.
    MDataHandle(vxhost::Node* node, vxhost::DataNode* tuple, unsigned component)
        : fNode(node), fData(tuple), fComponent(static_cast<int>(component))
    {
    }
    vxhost::DataNode* HostData() const { return fData; }
#endif

private:
    vxhost::Node* fNode = nullptr;
    vxhost::DataNode* fData = nullptr;
    int fComponent = -1; ///< >= 0 for a child of a pair or triple
};

OPENMAYA_NAMESPACE_CLOSE
