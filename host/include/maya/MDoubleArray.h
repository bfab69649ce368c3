#pragma once
/// \file MDoubleArray.h
/// An array of doubles.

#include <maya/detail/ArrayOf.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// An array of doubles. Indexed from 0; see vxhost::detail::ArrayOf for the methods.
class MDoubleArray : public vxhost::detail::ArrayOf<double>
{
public:
    using ArrayOf::ArrayOf;
    MDoubleArray() = default;
};

OPENMAYA_NAMESPACE_CLOSE
