#pragma once
/// \file MPointArray.h
/// An array of MPoint.

#include <maya/MPoint.h>
#include <maya/detail/ArrayOf.h>

/// An array of MPoint. Indexed from 0; see vxhost::detail::ArrayOf for the methods.
class MPointArray : public vxhost::detail::ArrayOf<MPoint>
{
public:
    using ArrayOf::ArrayOf;
    MPointArray() = default;
};
