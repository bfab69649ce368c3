#pragma once
/// \file MMatrixArray.h
/// An array of MMatrix.

#include <maya/MMatrix.h>
#include <maya/detail/ArrayOf.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// An array of MMatrix. Indexed from 0; see vxhost::detail::ArrayOf for the methods.
class MMatrixArray : public vxhost::detail::ArrayOf<MMatrix>
{
public:
    using ArrayOf::ArrayOf;
    MMatrixArray() = default;
};

OPENMAYA_NAMESPACE_CLOSE
