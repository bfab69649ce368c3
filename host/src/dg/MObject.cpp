#include <maya/MObject.h>

#include <vxhost/HostObject.h>

const MObject MObject::kNullObj;

MFn::Type MObject::apiType() const
{
    return fObject ? fObject->ApiType() : MFn::kInvalid;
}

bool MObject::hasFn(MFn::Type type) const
{
    return fObject && fObject->HasFn(type);
}

const char* MObject::apiTypeStr() const
{
    static const char* const names[] = {"kInvalid",
                                        "kBase",
                                        "kNamedObject",
                                        "kDependencyNode",
                                        "kDagNode",
                                        "kTransform",
                                        "kShape",
                                        "kGeometric",
                                        "kLocator",
                                        "kPluginLocatorNode",
                                        "kNurbsCurve",
                                        "kMesh",
                                        "kParticle",
                                        "kField",
                                        "kPluginFieldNode",
                                        "kManipContainer",
                                        "kPluginManipContainer",
                                        "kPluginManipulatorNode",
                                        "kAnimCurve",
                                        "kExpression",
                                        "kAnimCurveTimeToAngular",
                                        "kAnimCurveTimeToDistance",
                                        "kAnimCurveTimeToTime",
                                        "kAnimCurveTimeToUnitless",
                                        "kAnimCurveUnitlessToAngular",
                                        "kAnimCurveUnitlessToDistance",
                                        "kAnimCurveUnitlessToTime",
                                        "kAnimCurveUnitlessToUnitless",
                                        "kAttribute",
                                        "kNumericAttribute",
                                        "kUnitAttribute",
                                        "kEnumAttribute",
                                        "kTypedAttribute",
                                        "kMatrixAttribute",
                                        "kCompoundAttribute",
                                        "kMessageAttribute",
                                        "kData",
                                        "kGeometryData",
                                        "kNurbsCurveData",
                                        "kMeshData",
                                        "kPointArrayData",
                                        "kVectorArrayData",
                                        "kDoubleArrayData",
                                        "kIntArrayData",
                                        "kMatrixData",
                                        "kStringData",
                                        "kDynArrayAttrsData"};
    static_assert(sizeof(names) / sizeof(names[0]) == MFn::kLast, "one name per MFn::Type");
    return names[apiType()];
}
