#pragma once
/// \file MObject.h
/// A handle to a host object: data (curves, meshes, arrays), a node or an
/// attribute. Copies share the object; a handle may be null.

#include <maya/MFn.h>

#include <memory>

namespace vxhost
{
class HostObject;
}

OPENMAYA_MAJOR_NAMESPACE_OPEN

class MObject
{
public:
    /// A null handle.
    MObject() = default;
#ifdef VXHOST_INTERNAL
    /// Host code: a handle to obj (null when obj is empty).
    explicit MObject(std::shared_ptr<vxhost::HostObject> obj) : fObject(std::move(obj)) {}
#endif

    /// True when the handle refers to nothing.
    bool isNull() const { return fObject == nullptr; }
    /// The object's type; kInvalid for a null handle.
    MFn::Type apiType() const;
    /// Whether function sets of type can attach to the object.
    bool hasFn(MFn::Type type) const;
    /// The name of apiType(), as "kMeshData".
    const char* apiTypeStr() const;

    /// Same object (not equal contents).
    bool operator==(const MObject& other) const { return fObject == other.fObject; }
    bool operator!=(const MObject& other) const { return fObject != other.fObject; }

    /// The shared null handle.
    static const MObject kNullObj;

#ifdef VXHOST_INTERNAL
    /// Host code: the object itself (null for a null handle).
    const std::shared_ptr<vxhost::HostObject>& HostImpl() const { return fObject; }
#endif

private:
    std::shared_ptr<vxhost::HostObject> fObject;
};

OPENMAYA_NAMESPACE_CLOSE
