#pragma once
/// \file MFloatVectorArray.h
/// An array of MFloatVector.

#include <maya/MFloatVector.h>
#include <maya/detail/ArrayOf.h>

/// An array of MFloatVector (mesh normals, for one). Indexed from 0; see
/// vxhost::detail::ArrayOf for the methods.
class MFloatVectorArray : public vxhost::detail::ArrayOf<MFloatVector>
{
public:
    using ArrayOf::ArrayOf;
    MFloatVectorArray() = default;
};
