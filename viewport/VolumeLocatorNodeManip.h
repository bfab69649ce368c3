#pragma once
/// \file VolumeLocatorNodeManip.h
/// The manipulators of a target, modifier or obstacle locator: distance
/// handles for the volume's sizes and a radius handle per key of a curve
/// tube.

#include <maya/MDagPath.h>
#include <maya/MDagPathArray.h>
#include <maya/MManipData.h>
#include <maya/MObject.h>
#include <maya/MPxManipContainer.h>
#include <maya/MStatus.h>
#include <maya/MTransformationMatrix.h>
#include <maya/MTypeId.h>
#include <maya/MVector.h>

/// One container class, registered under three names so that the host finds
/// "<locator type>Manip" for each entity locator. The handles shown follow
/// the locator's volume type at the time the container is connected.
class VolumeLocatorNodeManip : public MPxManipContainer
{
public:
    VolumeLocatorNodeManip() = default;
    ~VolumeLocatorNodeManip() override = default;

    /// Picks and connects the handles for the locator's volume type; shows an
    /// error and returns kFailure when the locator's path or plugs cannot be
    /// had or the curve handles cannot be made.
    MStatus connectToDependNode(const MObject& node) override;
    /// The three distance handles, along x, y and z from the origin.
    MStatus createChildren() override;

    static void* creator();

    static const MTypeId targetId;
    static const MTypeId modifierId;
    static const MTypeId obstacleId;
    static const char* const targetTypeName;   ///< "QF_VX_targetLocatorNodeManip"
    static const char* const modifierTypeName; ///< "QF_VX_modifierLocatorNodeManip"
    static const char* const obstacleTypeName; ///< "QF_VX_obstacleLocatorNodeManip"

private:
    /// One radius manipulator per key sample of the locator's "curveData",
    /// each editing the next element of "curveRadiiCache". The first failing
    /// host call ends it with that status.
    MStatus CreateCurveManipulators(const MObject& node);
    /// Shows the distance manipulator at `manipPath` for `plug`, drawn at
    /// `scaling` times its value from the locator along `direction`.
    void ConnectDistance(const MDagPath& manipPath, MPlug& plug, double scaling,
                         plugToManipConversionCallback direction);

    /// The local transformation of the locator's transform; the identity
    /// when it cannot be had.
    MTransformationMatrix LocatorTransformation() const;
    MManipData StartPoint(unsigned int manipIndex);
    MManipData WidthDirection(unsigned int manipIndex);
    MManipData HeightDirection(unsigned int manipIndex);
    MManipData DepthDirection(unsigned int manipIndex);
    MManipData Direction(const MVector& axis) const;

    MDagPath widthManip_;
    MDagPath heightManip_;
    MDagPath depthManip_;
    /// Emptied whenever curve handles are made; the radius manipulators live
    /// as the container's children, not here.
    MDagPathArray curveManips_;
    MDagPath locatorPath_;
};
