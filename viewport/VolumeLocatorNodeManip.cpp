#include "VolumeLocatorNodeManip.h"

#include "RadiusManipulatorNode.h"
#include "VolumeLocatorNode.h"

#include <maya/MFnDagNode.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MFnDistanceManip.h>
#include <maya/MFnNumericData.h>
#include <maya/MFnNurbsCurve.h>
#include <maya/MFnPointArrayData.h>
#include <maya/MFnTransform.h>
#include <maya/MGlobal.h>
#include <maya/MPlug.h>
#include <maya/MPoint.h>
#include <maya/MPointArray.h>
#include <maya/MPxManipulatorNode.h>
#include <maya/MString.h>

const MTypeId VolumeLocatorNodeManip::targetId(0x123B44);
const MTypeId VolumeLocatorNodeManip::modifierId(0x123B45);
const MTypeId VolumeLocatorNodeManip::obstacleId(0x123B48);
const char* const VolumeLocatorNodeManip::targetTypeName = "QF_VX_targetLocatorNodeManip";
const char* const VolumeLocatorNodeManip::modifierTypeName = "QF_VX_modifierLocatorNodeManip";
const char* const VolumeLocatorNodeManip::obstacleTypeName = "QF_VX_obstacleLocatorNodeManip";

namespace
{
constexpr int kSphere = 0;
constexpr int kCapsule = 1;
constexpr int kBox = 2;
constexpr int kCurve = 3;

/// Three numbers as manipulator data, for a point or a vector value.
MManipData Triple(double x, double y, double z)
{
    MFnNumericData numericFn;
    const MObject data = numericFn.create(MFnNumericData::k3Double);
    numericFn.setData3Double(x, y, z);
    return MManipData(data);
}

bool Reported(const MStatus& status, const char* context)
{
    if (status)
        return false;
    MGlobal::displayError(MString(context) + status.errorString());
    return true;
}

void Hide(const MDagPath& manipPath)
{
    MFnDistanceManip(manipPath).setVisible(false);
}
} // namespace

void* VolumeLocatorNodeManip::creator()
{
    return new VolumeLocatorNodeManip();
}

MStatus VolumeLocatorNodeManip::createChildren()
{
    const struct
    {
        MDagPath* path;
        const char* manipName;
        const char* distanceName;
        MVector direction;
    } handles[] = {
        {&widthManip_, "widthManip", "width", MVector(1.0, 0.0, 0.0)},
        {&heightManip_, "heightManip", "height", MVector(0.0, 1.0, 0.0)},
        {&depthManip_, "depthManip", "depth", MVector(0.0, 0.0, 1.0)},
    };
    for (const auto& handle : handles)
    {
        *handle.path = addDistanceManip(handle.manipName, handle.distanceName);
        MFnDistanceManip distanceFn(*handle.path);
        distanceFn.setStartPoint(MPoint(0.0, 0.0, 0.0));
        distanceFn.setDirection(handle.direction);
        distanceFn.setDrawLine(true);
    }
    return MS::kSuccess;
}

MStatus VolumeLocatorNodeManip::connectToDependNode(const MObject& node)
{
    MStatus status;
    const MFnDagNode dagFn(node, &status);
    if (status)
        status = dagFn.getPath(locatorPath_);
    if (Reported(status, "getting path to node"))
        return MS::kFailure;

    const MFnDependencyNode nodeFn(node);
    MPlug volumeTypePlug = nodeFn.findPlug("volumeType", false, &status);
    if (Reported(status, "getting volumeType plug volumeLocatorNode"))
        return MS::kFailure;
    MPlug widthPlug = nodeFn.findPlug("width", false, &status);
    if (Reported(status, "getting width plug from volumeLocatorNode"))
        return MS::kFailure;
    MPlug heightPlug = nodeFn.findPlug("height", false, &status);
    if (Reported(status, "getting height plug from volumeLocatorNode"))
        return MS::kFailure;
    MPlug depthPlug = nodeFn.findPlug("depth", false, &status);
    if (Reported(status, "getting depth plug from volumeLocatorNode"))
        return MS::kFailure;

    const auto width = static_cast<plugToManipConversionCallback>(&VolumeLocatorNodeManip::WidthDirection);
    const auto height = static_cast<plugToManipConversionCallback>(&VolumeLocatorNodeManip::HeightDirection);
    const auto depth = static_cast<plugToManipConversionCallback>(&VolumeLocatorNodeManip::DepthDirection);
    // Sphere and capsule sizes are radii and the capsule's height its whole
    // axis; a box's sizes are whole edges, so their handles sit at half.
    switch (volumeTypePlug.asInt())
    {
    case kSphere:
        ConnectDistance(widthManip_, widthPlug, 1.0, width);
        Hide(heightManip_);
        Hide(depthManip_);
        break;
    case kCapsule:
        ConnectDistance(widthManip_, widthPlug, 1.0, width);
        ConnectDistance(heightManip_, heightPlug, 0.5, height);
        Hide(depthManip_);
        break;
    case kBox:
        ConnectDistance(widthManip_, widthPlug, 0.5, width);
        ConnectDistance(heightManip_, heightPlug, 0.5, height);
        ConnectDistance(depthManip_, depthPlug, 0.5, depth);
        break;
    case kCurve:
        Hide(widthManip_);
        Hide(heightManip_);
        Hide(depthManip_);
        if (Reported(CreateCurveManipulators(node), "creating curve manipulators"))
            return MS::kFailure;
        break;
    default:
        Hide(widthManip_);
        Hide(heightManip_);
        Hide(depthManip_);
        break;
    }

    finishAddingManips();
    MPxManipContainer::connectToDependNode(node);
    return MS::kSuccess;
}

void VolumeLocatorNodeManip::ConnectDistance(const MDagPath& manipPath, MPlug& plug, double scaling,
                                             plugToManipConversionCallback direction)
{
    MFnDistanceManip distanceFn(manipPath);
    distanceFn.connectToDistancePlug(plug);
    distanceFn.setScalingFactor(scaling);
    distanceFn.setVisible(true);
    addPlugToManipConversionCallback(distanceFn.startPointIndex(), static_cast<plugToManipConversionCallback>(
                                                                       &VolumeLocatorNodeManip::StartPoint));
    addPlugToManipConversionCallback(distanceFn.directionIndex(), direction);
}

MStatus VolumeLocatorNodeManip::CreateCurveManipulators(const MObject& node)
{
    MStatus status;
    const MFnDependencyNode nodeFn(node, &status);
    if (!status)
        return status;
    const MPlug curveDataPlug = nodeFn.findPlug("curveData", false, &status);
    if (!status)
        return status;
    MPlug radiiPlug = nodeFn.findPlug("curveRadiiCache", false, &status);
    if (!status)
        return status;
    const MPlug scalePlug = nodeFn.findPlug("curveRadiusScale", false, &status);
    if (!status)
        return status;

    curveManips_.clear();
    const MObject samplesObject = curveDataPlug.asMObject(&status);
    if (!status)
        return status;
    MFnPointArrayData samplesFn(samplesObject, &status);
    if (!status)
        return status;
    const MPointArray samples = samplesFn.array(&status);
    if (!status)
        return status;
    const double scale = scalePlug.asDouble(&status);
    if (!status)
        return status;
    MObject curve;
    if (!(status = VolumeLocatorNode::GetAttachedCurve(node, curve)))
        return status;
    const MFnNurbsCurve curveFn(curve, &status);
    if (!status)
        return status;

    // Key samples and radius keys pair up in order: the k-th key edits
    // element k, wherever it sits among the samples.
    unsigned int k = 0;
    for (unsigned int i = 0; i < samples.length(); ++i)
    {
        const double param = samples[i].x;
        const bool key = samples[i].z > 0.0;
        const MPlug radius = radiiPlug.elementByLogicalIndex(k, &status);
        if (!status)
            return status;
        if (!key)
            continue;

        MPoint point;
        if (!(status = curveFn.getPointAtParam(param, point, MSpace::kObject)))
            return status;
        const MVector tangent = curveFn.tangent(param, MSpace::kObject, &status);
        if (!status)
            return status;
        MString manipName("curveManip");
        manipName += i;
        MPxManipulatorNode* proxy = nullptr;
        if (!(status = addMPxManipulatorNode(RadiusManipulatorNode::typeName, manipName, proxy)))
            return status;
        auto* manip = dynamic_cast<RadiusManipulatorNode*>(proxy);
        if (!manip)
            return MS::kFailure;
        manip->centre = point;
        manip->normal = tangent;
        manip->scale = scale;
        manip->radiusPlug = radius;
        ++k;
    }
    return MS::kSuccess;
}

MTransformationMatrix VolumeLocatorNodeManip::LocatorTransformation() const
{
    MDagPath transformPath = locatorPath_;
    if (!transformPath.pop())
        return MTransformationMatrix();
    MStatus status;
    const MFnTransform transformFn(transformPath, &status);
    if (!status)
        return MTransformationMatrix();
    return transformFn.transformation();
}

MManipData VolumeLocatorNodeManip::StartPoint(unsigned int)
{
    const MVector translation = LocatorTransformation().getTranslation(MSpace::kWorld);
    return Triple(translation.x, translation.y, translation.z);
}

MManipData VolumeLocatorNodeManip::Direction(const MVector& axis) const
{
    const MVector direction = axis * LocatorTransformation().asMatrix();
    return Triple(direction.x, direction.y, direction.z);
}

MManipData VolumeLocatorNodeManip::WidthDirection(unsigned int)
{
    return Direction(MVector(1.0, 0.0, 0.0));
}

MManipData VolumeLocatorNodeManip::HeightDirection(unsigned int)
{
    return Direction(MVector(0.0, 1.0, 0.0));
}

MManipData VolumeLocatorNodeManip::DepthDirection(unsigned int)
{
    return Direction(MVector(0.0, 0.0, 1.0));
}
