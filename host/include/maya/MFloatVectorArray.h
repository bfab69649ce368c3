#pragma once
/// \file MFloatVectorArray.h
/// An array of MFloatVector.

#include <maya/MFloatVector.h>
#include <maya/detail/ArrayOf.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// An array of MFloatVector (mesh normals, for one). Indexed from 0; see
/// vxhost::detail::ArrayOf for the methods.
class MFloatVectorArray : public vxhost::detail::ArrayOf<MFloatVector>
{
public:
    using ArrayOf::ArrayOf;
    MFloatVectorArray() = default;
};

OPENMAYA_NAMESPACE_CLOSE
