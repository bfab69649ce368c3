#pragma once
/// \file MFloatPointArray.h
/// An array of MFloatPoint.

#include <maya/MFloatPoint.h>
#include <maya/detail/ArrayOf.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// An array of MFloatPoint, the type mesh vertex positions are stored in.
/// Indexed from 0; see vxhost::detail::ArrayOf for the methods.
class MFloatPointArray : public vxhost::detail::ArrayOf<MFloatPoint>
{
public:
    using ArrayOf::append;
    using ArrayOf::ArrayOf;
    using ArrayOf::set;
    MFloatPointArray() = default;

    /// Appends the point (x, y, z, w).
    MStatus append(float x, float y, float z = 0.0f, float w = 1.0f)
    {
        return append(MFloatPoint(x, y, z, w));
    }
    /// Sets element `index` to (x, y, z, w); fails if index >= length().
    MStatus set(unsigned int index, float x, float y, float z = 0.0f, float w = 1.0f)
    {
        return set(MFloatPoint(x, y, z, w), index);
    }
};

OPENMAYA_NAMESPACE_CLOSE
