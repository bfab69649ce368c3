#pragma once
/// \file MStringArray.h
/// An array of MString.

#include <maya/MString.h>
#include <maya/detail/ArrayOf.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// An array of MString. Indexed from 0; see vxhost::detail::ArrayOf for the methods.
class MStringArray : public vxhost::detail::ArrayOf<MString>
{
public:
    using ArrayOf::ArrayOf;
    MStringArray() = default;
};

OPENMAYA_NAMESPACE_CLOSE
