#pragma once
/// \file MIntArray.h
/// An array of ints.

#include <maya/detail/ArrayOf.h>

/// An array of ints. Indexed from 0; see vxhost::detail::ArrayOf for the methods.
class MIntArray : public vxhost::detail::ArrayOf<int>
{
public:
    using ArrayOf::ArrayOf;
    MIntArray() = default;
};
