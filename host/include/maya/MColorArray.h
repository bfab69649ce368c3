#pragma once
/// \file MColorArray.h
/// An array of MColor.

#include <maya/MColor.h>
#include <maya/detail/ArrayOf.h>

/// An array of MColor. Indexed from 0; see vxhost::detail::ArrayOf for the methods.
class MColorArray : public vxhost::detail::ArrayOf<MColor>
{
public:
    using ArrayOf::ArrayOf;
    MColorArray() = default;
};
