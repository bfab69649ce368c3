#pragma once
/// \file MFnData.h
/// The kinds of data that typed attributes carry.

#include <maya/MFnBase.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// Base of the data function sets. Type names the data of a typed
/// attribute (MFnTypedAttribute::create).
class MFnData : public MFnBase
{
public:
    enum Type
    {
        kInvalid,
        kNumeric,
        kPlugin,
        kPluginGeometry,
        kString,
        kMatrix,
        kStringArray,
        kDoubleArray,
        kFloatArray,
        kIntArray,
        kPointArray,
        kVectorArray,
        kMatrixArray,
        kComponentList,
        kMesh,
        kLattice,
        kNurbsCurve,
        kNurbsSurface,
        kSphere,
        kDynArrayAttrs,
        kDynSweptGeometry,
        kSubdSurface,
        kNObject,
        kNId,
        kAny,
        kLast
    };

    MFn::Type type() const override { return MFn::kData; }
};

OPENMAYA_NAMESPACE_CLOSE
