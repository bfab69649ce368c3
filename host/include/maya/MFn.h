#pragma once
/// \file MFn.h
/// The types of host objects that function sets work on.

#include <maya/MApiNamespace.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// Object types, as MObject::apiType() reports them and MObject::hasFn()
/// tests them. Only the types the host implements are listed; values follow
/// no external numbering, so compare by name.
class MFn
{
public:
    enum Type
    {
        kInvalid = 0,
        kBase,
        kNamedObject,
        kDependencyNode,
        kDagNode,
        kTransform,
        kShape,
        kGeometric,
        kLocator,
        kPluginLocatorNode,
        kNurbsCurve,
        kMesh,
        kParticle,
        kField,
        kPluginFieldNode,
        kManipContainer,
        kPluginManipContainer,
        kPluginManipulatorNode,
        kAnimCurve,
        kExpression,
        kAnimCurveTimeToAngular,
        kAnimCurveTimeToDistance,
        kAnimCurveTimeToTime,
        kAnimCurveTimeToUnitless,
        kAnimCurveUnitlessToAngular,
        kAnimCurveUnitlessToDistance,
        kAnimCurveUnitlessToTime,
        kAnimCurveUnitlessToUnitless,
        kAttribute,
        kNumericAttribute,
        kUnitAttribute,
        kEnumAttribute,
        kTypedAttribute,
        kMatrixAttribute,
        kCompoundAttribute,
        kMessageAttribute,
        kData,
        kGeometryData,
        kNurbsCurveData,
        kMeshData,
        kPointArrayData,
        kVectorArrayData,
        kDoubleArrayData,
        kIntArrayData,
        kMatrixData,
        kStringData,
        kDynArrayAttrsData,
        kLast
    };
};

OPENMAYA_NAMESPACE_CLOSE
