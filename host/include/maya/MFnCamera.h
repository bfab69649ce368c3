#pragma once
/// \file MFnCamera.h
/// Function set for the cameras a view looks through.

#include <maya/MFnDagNode.h>
#include <maya/MPoint.h>
#include <maya/MTypes.h>
#include <maya/MVector.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// The host's cameras are persp, top, front and side (shapes perspShape,
/// topShape, frontShape, sideShape), kept by the viewport and not part of
/// the scene. Like Maya's, a camera looks down its -z axis; persp is a
/// perspective camera with Maya's default 35 mm lens on a 36 x 24 mm
/// film back, the others are orthographic.
class MFnCamera : public MFnDagNode
{
public:
    MFnCamera() = default;
    explicit MFnCamera(const MObject& object, MStatus* ReturnStatus = nullptr);
    explicit MFnCamera(const MDagPath& path, MStatus* ReturnStatus = nullptr);

    MFn::Type type() const override { return MFn::kDagNode; }

    MPoint eyePoint(MSpace::Space space = MSpace::kObject, MStatus* ReturnStatus = nullptr) const;
    MVector viewDirection(MSpace::Space space = MSpace::kObject, MStatus* ReturnStatus = nullptr) const;
    MVector upDirection(MSpace::Space space = MSpace::kObject, MStatus* ReturnStatus = nullptr) const;
    MVector rightDirection(MSpace::Space space = MSpace::kObject, MStatus* ReturnStatus = nullptr) const;
    MPoint centerOfInterestPoint(MSpace::Space space = MSpace::kObject,
                                 MStatus* ReturnStatus = nullptr) const;
    bool isOrtho(MStatus* ReturnStatus = nullptr) const;
    /// The width the orthographic view shows, in centimetres.
    double orthoWidth(MStatus* ReturnStatus = nullptr) const;
    /// Millimetres.
    double focalLength(MStatus* ReturnStatus = nullptr) const;
    /// Radians.
    double horizontalFieldOfView(MStatus* ReturnStatus = nullptr) const;
    double verticalFieldOfView(MStatus* ReturnStatus = nullptr) const;
    double nearClippingPlane(MStatus* ReturnStatus = nullptr) const;
    double farClippingPlane(MStatus* ReturnStatus = nullptr) const;

protected:
    bool Accepts(const MObject& object) const override;
};

OPENMAYA_NAMESPACE_CLOSE
