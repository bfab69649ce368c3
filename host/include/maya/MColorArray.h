#pragma once
/// \file MColorArray.h
/// An array of MColor.

#include <maya/MColor.h>
#include <maya/detail/ArrayOf.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// An array of MColor. Indexed from 0; see vxhost::detail::ArrayOf for the
/// methods.
class MColorArray : public vxhost::detail::ArrayOf<MColor>
{
public:
    using ArrayOf::append;
    using ArrayOf::ArrayOf;
    using ArrayOf::set;
    MColorArray() = default;

    /// Appends the colour (r, g, b, a).
    MStatus append(float r, float g, float b, float a = 1.0f) { return append(MColor(r, g, b, a)); }
    /// Sets element `index` to (r, g, b, a); fails if index >= length().
    MStatus set(unsigned int index, float r, float g, float b, float a = 1.0f)
    {
        return set(MColor(r, g, b, a), index);
    }
};

OPENMAYA_NAMESPACE_CLOSE
