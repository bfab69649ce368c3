#pragma once
/// \file MFnDistanceManip.h
/// The built-in distance manipulator: a handle on a line that edits a length.

#include <maya/MFnManip3D.h>
#include <maya/MPlug.h>
#include <maya/MPoint.h>
#include <maya/MVector.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// The handle is drawn at startPoint + direction * distance *
/// scalingFactor. The direction is not normalised: its length is the unit
/// of distance, so a direction taken from a scaled transform puts the handle
/// on the scaled shape. Dragging moves the handle along that line, by the
/// point of the line nearest the mouse ray, and writes distance to the
/// connected plug.
///
/// Each value has an index in the container's conversion table
/// (startPointIndex, directionIndex, distanceIndex, currentPointIndex), for
/// MPxManipContainer::addPlugToManipConversionCallback.
class MFnDistanceManip : public MFnManip3D
{
public:
    MFnDistanceManip() = default;
    explicit MFnDistanceManip(const MObject& object, MStatus* ReturnStatus = nullptr);
    explicit MFnDistanceManip(const MDagPath& path, MStatus* ReturnStatus = nullptr);

    /// The distance follows the plug (a number) and dragging writes it.
    MStatus connectToDistancePlug(MPlug& distancePlug);
    MStatus setStartPoint(const MPoint& startPoint);
    MStatus setDirection(const MVector& direction);
    MStatus setDrawStart(bool drawStart);
    MStatus setDrawLine(bool drawLine);
    /// The drawn length over the distance value; 1 by default.
    MStatus setScalingFactor(double scalingFactor);
    bool isDrawStartOn(MStatus* ReturnStatus = nullptr) const;
    bool isDrawLineOn(MStatus* ReturnStatus = nullptr) const;
    double scalingFactor(MStatus* ReturnStatus = nullptr) const;

    unsigned int startPointIndex(MStatus* ReturnStatus = nullptr) const;
    unsigned int directionIndex(MStatus* ReturnStatus = nullptr) const;
    unsigned int currentPointIndex(MStatus* ReturnStatus = nullptr) const;
    unsigned int distanceIndex(MStatus* ReturnStatus = nullptr) const;

protected:
    bool Accepts(const MObject& object) const override;
};

OPENMAYA_NAMESPACE_CLOSE
