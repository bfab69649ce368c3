#pragma once
/// \file MPlugArray.h
/// A growable array of plugs.

#include <maya/MPlug.h>
#include <maya/detail/ArrayOf.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

class MPlugArray : public vxhost::detail::ArrayOf<MPlug>
{
public:
    using ArrayOf::ArrayOf;
    MPlugArray() = default;
};

OPENMAYA_NAMESPACE_CLOSE
