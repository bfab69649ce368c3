#pragma once
/// \file MFnBase.h
/// The base of every function set: the object it is attached to.

#include <maya/MFn.h>
#include <maya/MObject.h>
#include <maya/MStatus.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// A function set works on one host object at a time. setObject fails with
/// kInvalidParameter (and leaves the set unattached) when the object is null
/// or of a type the set cannot handle.
class MFnBase
{
public:
    MFnBase() = default;
    virtual ~MFnBase() = default;

    /// The type of objects this function set works on.
    virtual MFn::Type type() const { return MFn::kBase; }
    /// Whether the set can work on objects of type.
    bool hasObj(MFn::Type type) const;
    /// Whether the set can work on object.
    bool hasObj(const MObject& object) const;

    /// The attached object (null when none).
    MObject object(MStatus* ReturnStatus = nullptr) const;
    /// Attaches the set to object, after checking its type.
    virtual MStatus setObject(const MObject& object);

protected:
    /// Whether object is one this set accepts; by default, one with type().
    virtual bool Accepts(const MObject& object) const { return object.hasFn(type()); }

    MObject fObject;
};

OPENMAYA_NAMESPACE_CLOSE
