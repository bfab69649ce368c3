#pragma once

#include <maya/MApiNamespace.h>
#include <maya/MBoundingBox.h>
#include <maya/MDistance.h>
#include <maya/MObject.h>
#include <maya/MPointArray.h>
#include <maya/MPxLocatorNode.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MTypeId.h>

/// A locator carrying one volume shape: its type (sphere, capsule, box or a
/// tube along a curve), three sizes and, for the tube, the attached curve
/// and its radius keys. It computes "curveData", the samples along the curve
/// that the curve volume and the drawing read: one point per sample, x the
/// curve parameter, y the radius (scale applied, centimetres), z 1 for a
/// sample carrying a radius key and 0 between keys, w 1.
///
/// Registered as a type of its own and the attribute template of the target,
/// modifier and obstacle locators, which inherit everything from it.
class VolumeLocatorNode : public MPxLocatorNode
{
public:
    VolumeLocatorNode() = default;
    ~VolumeLocatorNode() override = default;

    /// Computes "curveData"; kUnknownParameter for any other plug, kFailure
    /// when the samples cannot be made.
    MStatus compute(const MPlug& plug, MDataBlock& block) override;
    /// Always true: the bounds follow the shape's sizes.
    bool isBounded() const override;
    /// The shape's bounds in object space (centimetres), never smaller than
    /// the unit box around the origin, so a shape without sizes still has
    /// something to select.
    MBoundingBox boundingBox() const override;
    /// Always true: the shapes are drawn see-through.
    bool isTransparent() const override;

    static void* creator();
    /// Creates and adds the attributes and the affects relations onto
    /// "curveData". Reports the first failure and returns it.
    static MStatus initialize();

    /// The value of the node's own attribute `name` (distances in
    /// centimetres); 0.0 when the plug cannot be found or read.
    double GetDoubleAttribute(const MString& name, MStatus* outStatus = nullptr) const;
    /// "volumeType" (0 sphere, 1 capsule, 2 box, 3 curve); 5, no shape at
    /// all, when it cannot be read.
    int GetVolumeType(MStatus* outStatus = nullptr) const;
    /// "drawCurveVolumeIntervals"; false when it cannot be read.
    bool GetDrawCurveVolumeIntervals(MStatus* outStatus = nullptr) const;
    /// Radius key `index` (a logical index of "curveRadiiCache"), in
    /// centimetres; 1 cm when the index is not below the number of existing
    /// elements.
    MStatus GetRadiusKey(unsigned int index, MDistance& outRadius) const;
    /// The curve data connected to "attachedCurve" of `node` (a volume
    /// locator of any kind). An unattached locator gives a null object with
    /// success; binding a curve function set to it then fails.
    static MStatus GetAttachedCurve(const MObject& node, MObject& outCurve);
    /// Writes "dormantViewportColour"; failures are shown and give kFailure.
    MStatus SetDormantColour(int index);
    /// The curve samples (format above) into `outSamples`. On a failing host
    /// call it stops and returns that status, keeping the samples made so far.
    MStatus ComputeCurveData(MPointArray& outSamples) const;

    static const MTypeId id;
    static const char* const typeName;       ///< "QF_VX_volumeLocatorNode"
    static const char* const classification; ///< its draw classification

    static MObject mVolumeType;
    static MObject mWidth;
    static MObject mHeight;
    static MObject mDepth;
    static MObject mCurveData;
    static MObject mCurveRadiiCache;
    static MObject mAttachedCurve;
    static MObject mDrawVolume;
    static MObject mDrawVolumeOverride;
    static MObject mDrawCentre;
    static MObject mDrawCurveVolumeIntervals;
    static MObject mCurveVolumeResolution;
    static MObject mCurveRadiusScale;
    static MObject mCurveVolumeIntervalSpacing;
    static MObject mDormantViewportColour;

    /// Index into the host's active colour table for drawing the node as
    /// the lead of the selection.
    int leadColourIndex = 18;
};
