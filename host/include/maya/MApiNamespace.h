#pragma once
/// \file MApiNamespace.h
/// The versioned namespace that holds the API's classes, and a forward
/// declaration of each.
///
/// As in Maya since 2018, every API class lives in
/// Autodesk::Maya::OpenMaya20220000 and is brought into the global namespace
/// by the using-directive below. A plug-in that needs a class's name but not
/// its definition includes this header instead of declaring `class MPlug;`
/// itself: a global declaration would name a second, different class and make
/// every later use of the name ambiguous.

#define OPENMAYA_MAJOR_NAMESPACE OpenMaya20220000
#define OPENMAYA_MAJOR_NAMESPACE_OPEN                                                                        \
    namespace Autodesk                                                                                       \
    {                                                                                                        \
    namespace Maya                                                                                           \
    {                                                                                                        \
    namespace OpenMaya20220000                                                                               \
    {
#define OPENMAYA_NAMESPACE_CLOSE                                                                             \
    }                                                                                                        \
    }                                                                                                        \
    }

OPENMAYA_MAJOR_NAMESPACE_OPEN

class M3dView;
class MArgDatabase;
class MArgList;
class MArgParser;
class MArrayDataBuilder;
class MArrayDataHandle;
class MBoundingBox;
class MColor;
class MColorArray;
class MDGModifier;
class MDagPath;
class MDagPathArray;
class MDataBlock;
class MDataHandle;
class MDistance;
class MDoubleArray;
class MEulerRotation;
class MFloatArray;
class MFloatMatrix;
class MFloatPoint;
class MFloatPointArray;
class MFloatVector;
class MFloatVectorArray;
class MFn;
class MFnArrayAttrsData;
class MFnAttribute;
class MFnBase;
class MFnCamera;
class MFnCompoundAttribute;
class MFnDagNode;
class MFnData;
class MFnDependencyNode;
class MFnDistanceManip;
class MFnDoubleArrayData;
class MFnEnumAttribute;
class MFnIntArrayData;
class MFnManip3D;
class MFnMatrixAttribute;
class MFnMatrixData;
class MFnMesh;
class MFnMeshData;
class MFnMessageAttribute;
class MFnNumericAttribute;
class MFnNumericData;
class MFnNurbsCurve;
class MFnNurbsCurveData;
class MFnPlugin;
class MFnPointArrayData;
class MFnStringData;
class MFnTransform;
class MFnTypedAttribute;
class MFnUnitAttribute;
class MFnVectorArrayData;
class MGlobal;
class MIntArray;
class MItSelectionList;
class MManipData;
class MMatrix;
class MMatrixArray;
class MMeshIsectAccelParams;
class MObject;
class MObjectArray;
class MPlug;
class MPlugArray;
class MPoint;
class MPointArray;
class MPxCommand;
class MPxFieldNode;
class MPxLocatorNode;
class MPxManipContainer;
class MPxManipulatorNode;
class MPxNode;
class MQuaternion;
class MSelectionList;
class MSpace;
class MStatus;
class MString;
class MStringArray;
class MSyntax;
class MTime;
class MTransformationMatrix;
class MTypeId;
class MUintArray;
class MUserData;
class MVector;
class MVectorArray;

namespace MHWRender
{
class MDrawContext;
class MDrawRegistry;
class MFrameContext;
class MGeometryUtilities;
class MPxDrawOverride;
class MUIDrawManager;
} // namespace MHWRender

OPENMAYA_NAMESPACE_CLOSE

using namespace Autodesk::Maya::OPENMAYA_MAJOR_NAMESPACE;
