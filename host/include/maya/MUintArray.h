#pragma once
/// \file MUintArray.h
/// An array of unsigned ints.

#include <maya/detail/ArrayOf.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// An array of unsigned ints. Indexed from 0; see vxhost::detail::ArrayOf for the methods.
class MUintArray : public vxhost::detail::ArrayOf<unsigned int>
{
public:
    using ArrayOf::ArrayOf;
    MUintArray() = default;
};

OPENMAYA_NAMESPACE_CLOSE
