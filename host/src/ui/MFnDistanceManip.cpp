// Function sets of the built-in distance manipulator.
#include "Manipulators.h"

#include "dg/Node.h"

#include <maya/MFnDistanceManip.h>
#include <maya/MFnManip3D.h>

using namespace vxhost;

namespace
{
void Report(MStatus* ReturnStatus, MStatus status)
{
    if (ReturnStatus)
        *ReturnStatus = status;
}
} // namespace

MFnManip3D::MFnManip3D(const MObject& object, MStatus* ReturnStatus)
{
    Report(ReturnStatus, setObject(object));
}

MFnManip3D::MFnManip3D(const MDagPath& path, MStatus* ReturnStatus) : MFnManip3D(path.node(), ReturnStatus)
{
}

bool MFnManip3D::Accepts(const MObject& object) const
{
    const Node* node = Node::From(object);
    return node && dynamic_cast<const HostManip*>(node->behaviour.get());
}

HostManip* MFnManip3D::Manip(MStatus* ReturnStatus) const
{
    const Node* node = Node::From(fObject);
    auto* manip = node ? dynamic_cast<HostManip*>(node->behaviour.get()) : nullptr;
    Report(ReturnStatus, manip ? MStatus(MStatus::kSuccess)
                               : MStatus(MStatus::kInvalidParameter, "No manipulator attached"));
    return manip;
}

bool MFnManip3D::isVisible(MStatus* ReturnStatus) const
{
    const HostManip* m = Manip(ReturnStatus);
    return m && m->visible;
}

MStatus MFnManip3D::setVisible(bool isVisible)
{
    MStatus status;
    if (HostManip* m = Manip(&status))
        m->visible = isVisible;
    return status;
}

float MFnManip3D::manipScale(MStatus* ReturnStatus) const
{
    const HostManip* m = Manip(ReturnStatus);
    return m ? m->manipScale : 0.0f;
}

MStatus MFnManip3D::setManipScale(float size)
{
    MStatus status;
    if (HostManip* m = Manip(&status))
        m->manipScale = size;
    return status;
}

MFnDistanceManip::MFnDistanceManip(const MObject& object, MStatus* ReturnStatus)
{
    Report(ReturnStatus, setObject(object));
}

MFnDistanceManip::MFnDistanceManip(const MDagPath& path, MStatus* ReturnStatus)
    : MFnDistanceManip(path.node(), ReturnStatus)
{
}

bool MFnDistanceManip::Accepts(const MObject& object) const
{
    return MFnManip3D::Accepts(object);
}

MStatus MFnDistanceManip::connectToDistancePlug(MPlug& distancePlug)
{
    MStatus status;
    HostManip* m = Manip(&status);
    if (!m)
        return status;
    if (distancePlug.isNull())
        return MStatus(MStatus::kInvalidParameter, "the distance plug is null");
    const double value = distancePlug.asDouble(&status);
    if (!status)
        return status;
    m->distancePlug = distancePlug;
    m->SetDistance(value);
    return MStatus::kSuccess;
}

MStatus MFnDistanceManip::setStartPoint(const MPoint& startPoint)
{
    MStatus status;
    if (HostManip* m = Manip(&status))
    {
        m->container->values[m->startIndex].point = startPoint;
        m->UpdateCurrent();
    }
    return status;
}

MStatus MFnDistanceManip::setDirection(const MVector& direction)
{
    MStatus status;
    if (HostManip* m = Manip(&status))
    {
        m->container->values[m->directionIndex].vector = direction;
        m->UpdateCurrent();
    }
    return status;
}

MStatus MFnDistanceManip::setDrawStart(bool drawStart)
{
    MStatus status;
    if (HostManip* m = Manip(&status))
        m->drawStart = drawStart;
    return status;
}

MStatus MFnDistanceManip::setDrawLine(bool drawLine)
{
    MStatus status;
    if (HostManip* m = Manip(&status))
        m->drawLine = drawLine;
    return status;
}

MStatus MFnDistanceManip::setScalingFactor(double scalingFactor)
{
    MStatus status;
    if (HostManip* m = Manip(&status))
    {
        m->scaling = scalingFactor;
        m->UpdateCurrent();
    }
    return status;
}

bool MFnDistanceManip::isDrawStartOn(MStatus* ReturnStatus) const
{
    const HostManip* m = Manip(ReturnStatus);
    return m && m->drawStart;
}

bool MFnDistanceManip::isDrawLineOn(MStatus* ReturnStatus) const
{
    const HostManip* m = Manip(ReturnStatus);
    return m && m->drawLine;
}

double MFnDistanceManip::scalingFactor(MStatus* ReturnStatus) const
{
    const HostManip* m = Manip(ReturnStatus);
    return m ? m->scaling : 0.0;
}

unsigned int MFnDistanceManip::startPointIndex(MStatus* ReturnStatus) const
{
    const HostManip* m = Manip(ReturnStatus);
    return m ? m->startIndex : 0u;
}

unsigned int MFnDistanceManip::directionIndex(MStatus* ReturnStatus) const
{
    const HostManip* m = Manip(ReturnStatus);
    return m ? m->directionIndex : 0u;
}

unsigned int MFnDistanceManip::currentPointIndex(MStatus* ReturnStatus) const
{
    const HostManip* m = Manip(ReturnStatus);
    return m ? m->currentIndex : 0u;
}

unsigned int MFnDistanceManip::distanceIndex(MStatus* ReturnStatus) const
{
    const HostManip* m = Manip(ReturnStatus);
    return m ? m->distanceIndex : 0u;
}
