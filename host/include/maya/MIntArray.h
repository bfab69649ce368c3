#pragma once
/// \file MIntArray.h
/// An array of ints.

#include <maya/detail/ArrayOf.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// An array of ints. Indexed from 0; see vxhost::detail::ArrayOf for the methods.
class MIntArray : public vxhost::detail::ArrayOf<int>
{
public:
    using ArrayOf::ArrayOf;
    MIntArray() = default;
};

OPENMAYA_NAMESPACE_CLOSE
