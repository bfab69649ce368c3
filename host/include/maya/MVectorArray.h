#pragma once
/// \file MVectorArray.h
/// An array of MVector.

#include <maya/MVector.h>
#include <maya/detail/ArrayOf.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// An array of MVector. Indexed from 0; see vxhost::detail::ArrayOf for the methods.
class MVectorArray : public vxhost::detail::ArrayOf<MVector>
{
public:
    using ArrayOf::ArrayOf;
    MVectorArray() = default;
};

OPENMAYA_NAMESPACE_CLOSE
