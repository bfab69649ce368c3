#pragma once
/// \file MPointArray.h
/// An array of MPoint.

#include <maya/MPoint.h>
#include <maya/detail/ArrayOf.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// An array of MPoint. Indexed from 0; see vxhost::detail::ArrayOf for the
/// methods.
class MPointArray : public vxhost::detail::ArrayOf<MPoint>
{
public:
    using ArrayOf::append;
    using ArrayOf::ArrayOf;
    using ArrayOf::set;
    MPointArray() = default;

    /// Appends the point (x, y, z, w).
    MStatus append(double x, double y, double z = 0.0, double w = 1.0) { return append(MPoint(x, y, z, w)); }
    /// Sets element `index` to (x, y, z, w); fails if index >= length().
    MStatus set(unsigned int index, double x, double y, double z = 0.0, double w = 1.0)
    {
        return set(MPoint(x, y, z, w), index);
    }
};

OPENMAYA_NAMESPACE_CLOSE
