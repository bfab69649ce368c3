#pragma once
/// \file MMatrixArray.h
/// An array of MMatrix.

#include <maya/MMatrix.h>
#include <maya/detail/ArrayOf.h>

/// An array of MMatrix. Indexed from 0; see vxhost::detail::ArrayOf for the methods.
class MMatrixArray : public vxhost::detail::ArrayOf<MMatrix>
{
public:
    using ArrayOf::ArrayOf;
    MMatrixArray() = default;
};
