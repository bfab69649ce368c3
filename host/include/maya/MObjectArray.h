#pragma once
/// \file MObjectArray.h
/// An array of MObject handles.

#include <maya/MObject.h>
#include <maya/detail/ArrayOf.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// An array of MObject. Indexed from 0; see vxhost::detail::ArrayOf for the methods.
class MObjectArray : public vxhost::detail::ArrayOf<MObject>
{
public:
    using ArrayOf::ArrayOf;
    MObjectArray() = default;
};

OPENMAYA_NAMESPACE_CLOSE
