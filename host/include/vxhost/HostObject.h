#pragma once
/// \file HostObject.h
/// The base of everything an MObject can refer to in the stand-in host: data
/// (curves, meshes, arrays), nodes and attributes. Host code only; plug-ins
/// see these solely through MObject and function sets.

#include <maya/MFn.h>

#include <memory>

namespace vxhost
{
class HostObject : public std::enable_shared_from_this<HostObject>
{
public:
    virtual ~HostObject() = default;

    /// The most specific type of the object.
    virtual MFn::Type ApiType() const = 0;
    /// Whether a function set for type can work on this object. The default
    /// accepts the object's own type and the general ones every object has;
    /// derived types widen it (a mesh data object is also geometry data).
    virtual bool HasFn(MFn::Type type) const { return type == ApiType() || type == MFn::kBase; }
    /// For data objects: an independent copy, which a reader of a plug may
    /// change without touching the source. Null for objects that are not
    /// data (nodes, attributes).
    virtual std::shared_ptr<HostObject> Clone() const { return nullptr; }
};
} // namespace vxhost
