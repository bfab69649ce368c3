#pragma once
/// \file MFloatArray.h
/// An array of floats.

#include <maya/detail/ArrayOf.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// An array of floats. Indexed from 0; see vxhost::detail::ArrayOf for the methods.
class MFloatArray : public vxhost::detail::ArrayOf<float>
{
public:
    using ArrayOf::ArrayOf;
    MFloatArray() = default;
};

OPENMAYA_NAMESPACE_CLOSE
