#pragma once
/// \file MDoubleArray.h
/// An array of doubles.

#include <maya/detail/ArrayOf.h>

/// An array of doubles. Indexed from 0; see vxhost::detail::ArrayOf for the methods.
class MDoubleArray : public vxhost::detail::ArrayOf<double>
{
public:
    using ArrayOf::ArrayOf;
    MDoubleArray() = default;
};
