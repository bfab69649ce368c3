#pragma once
/// \file MDagPathArray.h
/// An array of DAG paths.

#include <maya/MDagPath.h>
#include <maya/detail/ArrayOf.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// An array of MDagPath. Indexed from 0; see vxhost::detail::ArrayOf for the methods.
class MDagPathArray : public vxhost::detail::ArrayOf<MDagPath>
{
public:
    using ArrayOf::ArrayOf;
    MDagPathArray() = default;
};

OPENMAYA_NAMESPACE_CLOSE
