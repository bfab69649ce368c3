// The camera function set, over the host's four cameras.
#include "Cameras.h"

#include "dg/Node.h"

#include <maya/MFnCamera.h>

#include <cmath>

using namespace vxhost;

namespace
{
const CameraModel* ModelOf(const MObject& object, MStatus* ReturnStatus)
{
    const Node* node = Node::From(object);
    const CameraModel* model = node ? CameraOfShape(*node) : nullptr;
    if (ReturnStatus)
        *ReturnStatus =
            model ? MStatus(MStatus::kSuccess) : MStatus(MStatus::kInvalidParameter, "No camera attached");
    return model;
}
} // namespace

MFnCamera::MFnCamera(const MObject& object, MStatus* ReturnStatus)
{
    const MStatus status = setObject(object);
    if (ReturnStatus)
        *ReturnStatus = status;
}

MFnCamera::MFnCamera(const MDagPath& path, MStatus* ReturnStatus) : MFnCamera(path.node(), ReturnStatus)
{
}

bool MFnCamera::Accepts(const MObject& object) const
{
    const Node* node = Node::From(object);
    return node && CameraOfShape(*node);
}

// The host keeps every camera's placement in world space under a transform
// at the identity, so each space gives the same answer.
MPoint MFnCamera::eyePoint(MSpace::Space, MStatus* ReturnStatus) const
{
    const CameraModel* m = ModelOf(fObject, ReturnStatus);
    return m ? m->eye : MPoint();
}

MVector MFnCamera::viewDirection(MSpace::Space, MStatus* ReturnStatus) const
{
    const CameraModel* m = ModelOf(fObject, ReturnStatus);
    return m ? m->forward : MVector();
}

MVector MFnCamera::upDirection(MSpace::Space, MStatus* ReturnStatus) const
{
    const CameraModel* m = ModelOf(fObject, ReturnStatus);
    return m ? m->up : MVector();
}

MVector MFnCamera::rightDirection(MSpace::Space, MStatus* ReturnStatus) const
{
    const CameraModel* m = ModelOf(fObject, ReturnStatus);
    return m ? m->Right() : MVector();
}

MPoint MFnCamera::centerOfInterestPoint(MSpace::Space, MStatus* ReturnStatus) const
{
    const CameraModel* m = ModelOf(fObject, ReturnStatus);
    return m ? m->eye + m->forward * m->centreOfInterest : MPoint();
}

bool MFnCamera::isOrtho(MStatus* ReturnStatus) const
{
    const CameraModel* m = ModelOf(fObject, ReturnStatus);
    return m && m->ortho;
}

double MFnCamera::orthoWidth(MStatus* ReturnStatus) const
{
    const CameraModel* m = ModelOf(fObject, ReturnStatus);
    return m ? m->orthoWidth : 0.0;
}

double MFnCamera::focalLength(MStatus* ReturnStatus) const
{
    const CameraModel* m = ModelOf(fObject, ReturnStatus);
    return m ? m->focalLength : 0.0;
}

double MFnCamera::horizontalFieldOfView(MStatus* ReturnStatus) const
{
    const CameraModel* m = ModelOf(fObject, ReturnStatus);
    return m ? 2.0 * std::atan(0.5 * m->horizontalAperture / m->focalLength) : 0.0;
}

double MFnCamera::verticalFieldOfView(MStatus* ReturnStatus) const
{
    const CameraModel* m = ModelOf(fObject, ReturnStatus);
    return m ? 2.0 * std::atan(0.5 * m->verticalAperture / m->focalLength) : 0.0;
}

double MFnCamera::nearClippingPlane(MStatus* ReturnStatus) const
{
    const CameraModel* m = ModelOf(fObject, ReturnStatus);
    return m ? m->nearClip : 0.0;
}

double MFnCamera::farClippingPlane(MStatus* ReturnStatus) const
{
    const CameraModel* m = ModelOf(fObject, ReturnStatus);
    return m ? m->farClip : 0.0;
}
