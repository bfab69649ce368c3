#pragma once
/// \file VolumeLocatorDrawOverride.h
/// Viewport 2.0 drawing of the target, modifier and obstacle locators: the
/// wireframe of their volume shape and an optional centre marker.

#include <maya/MApiNamespace.h>
#include <maya/MBoundingBox.h>
#include <maya/MColor.h>
#include <maya/MDagPath.h>
#include <maya/MDoubleArray.h>
#include <maya/MIntArray.h>
#include <maya/MObject.h>
#include <maya/MPointArray.h>
#include <maya/MPxDrawOverride.h>
#include <maya/MUserData.h>
#include <maya/MVectorArray.h>
#include <maya/MViewport2Renderer.h>

/// The point lists of one locator's drawing, in the locator's object space.
/// Kept by the host between redraws and refilled by every preparation.
class VolumeLocatorData : public MUserData
{
public:
    VolumeLocatorData() = default;
    ~VolumeLocatorData() override = default;

    /// Outlines 0 to 5 hold the shape (as many as it has); 6 to 8 the
    /// centre marker's three axis segments.
    static constexpr unsigned int kOutlineCount = 9;
    static constexpr unsigned int kFirstMarkerOutline = 6;

    /// Empties the outlines and the curve samples.
    void Clear();

    /// "volumeType" at the last preparation that could read it.
    int volumeType = 0;
    MColor colour{0.0f, 0.0f, 0.0f, 1.0f};
    MPointArray outlines[kOutlineCount];
    /// One entry per curve sample of a curve tube.
    MPointArray curvePoints;
    MVectorArray curveTangents;
    MDoubleArray curveRadii; ///< centimetres, scale applied
    MIntArray curveKeyFlags; ///< 1 for a radius key, 0 between keys
    /// "drawCurveVolumeIntervals", read while preparing: drawing may not
    /// touch the graph. A tube whose setting could not be read is not drawn.
    bool drawCurveIntervals = true;
    bool drawCurveIntervalsRead = false;
};

/// Registered for the classifications of the three entity locators; the
/// plain volume locator has no drawing.
class VolumeLocatorDrawOverride : public MHWRender::MPxDrawOverride
{
public:
    ~VolumeLocatorDrawOverride() override = default;

    /// The creator registered for the three classifications.
    static MHWRender::MPxDrawOverride* creator(const MObject& obj);

    /// Every device (7).
    MHWRender::DrawAPI supportedDrawAPIs() const override;
    bool isBounded(const MDagPath& objPath, const MDagPath& cameraPath) const override;
    /// The locator's own bounds; an empty box when its node cannot be
    /// reached.
    MBoundingBox boundingBox(const MDagPath& objPath, const MDagPath& cameraPath) const override;
    bool hasUIDrawables() const override;
    /// Reuses oldData when it is a VolumeLocatorData, rebuilds its point
    /// lists from the locator's attributes and sets the colour for the
    /// locator's display status. A path without a volume locator gives the
    /// data emptied.
    MUserData* prepareForDraw(const MDagPath& objPath, const MDagPath& cameraPath,
                              const MHWRender::MFrameContext& frameContext, MUserData* oldData) override;
    /// One drawable of closed lines (and, for a tube, its two end lines).
    void addUIDrawables(const MDagPath& objPath, MHWRender::MUIDrawManager& drawManager,
                        const MHWRender::MFrameContext& frameContext, const MUserData* data) override;

    /// Template colour of an unselected locator whose "dormantViewportColour"
    /// cannot be read.
    static constexpr int kFallbackDormantColour = 6;
    /// Opacity of the in-between rings and the end lines of a tube, so that
    /// the keys read as the tube's framework.
    static constexpr float kFaintAlpha = 0.2f;

private:
    explicit VolumeLocatorDrawOverride(const MObject& obj);
};
