#pragma once
/// \file M3dView.h
/// A 3D view: its camera, its size, and the host's colour tables.

#include <maya/MColor.h>
#include <maya/MDagPath.h>
#include <maya/MPoint.h>
#include <maya/MStatus.h>
#include <maya/MVector.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// The host has one 3D view, the active one: the renderer sets its camera
/// and size for each picture, and manipulators see it through this class.
/// Pixel coordinates have their origin at the view's lower-left corner, as
/// Maya's have.
///
/// Colour tables: kActiveColors, kDormantColors and kTemplateColor each hold
/// Maya's default 32-entry user palette (see colorAtIndex);
/// kBackgroundColor holds the plain background and the top and bottom of
/// the default gradient.
class M3dView
{
public:
    enum DisplayStyle
    {
        kBoundingBox,
        kFlatShaded,
        kGouraudShaded,
        kWireFrame,
        kPoints
    };
    enum DisplayStatus
    {
        kActive,
        kLive,
        kDormant,
        kInvisible,
        kHilite,
        kTemplate,
        kActiveTemplate,
        kActiveComponent,
        kLead,
        kIntermediateObject,
        kActiveAffected,
        kNoStatus
    };
    enum ColorTable
    {
        kActiveColors = 0,
        kDormantColors = 1,
        kTemplateColor = 2,
        kBackgroundColor = 3
    };

    /// The active view.
    M3dView() = default;

    static M3dView active3dView(MStatus* ReturnStatus = nullptr);
    static unsigned int numberOf3dViews() { return 1; }

    /// Entry index of table. The palette (indices 0 to 31), as Maya's
    /// default user colours, components rounded to three places:
    ///   0 black, 1 dark grey (0.251), 2 light grey (0.6),
    ///   3 dark red (0.608, 0, 0.157), 4 dark blue (0, 0.016, 0.376),
    ///   5 blue (0, 0, 1), 6 dark green (0, 0.275, 0.098),
    ///   7 dark purple (0.149, 0, 0.263), 8 magenta (0.784, 0, 0.784),
    ///   9 brown (0.541, 0.282, 0.2), 10 dark brown (0.247, 0.137, 0.122),
    ///   11 orange-brown (0.6, 0.149, 0), 12 red (1, 0, 0), 13 green (0, 1, 0),
    ///   14 dark blue (0, 0.255, 0.6), 15 white, 16 yellow (1, 1, 0),
    ///   17 light blue (0.392, 0.863, 1), 18 aqua green (0.263, 1, 0.639),
    ///   19 pink (1, 0.69, 0.69), 20 light orange (0.894, 0.675, 0.475),
    ///   21 light yellow (1, 1, 0.388), 22 green (0, 0.6, 0.329),
    ///   23 medium brown (0.631, 0.416, 0.188), 24 dull yellow (0.624, 0.631, 0.188),
    ///   25 dull green (0.408, 0.631, 0.188), 26 dull aqua (0.188, 0.631, 0.365),
    ///   27 teal (0.188, 0.631, 0.631), 28 steel blue (0.188, 0.404, 0.631),
    ///   29 purple (0.435, 0.188, 0.631), 30 dull magenta (0.631, 0.188, 0.412),
    ///   31 mid grey (0.471).
    /// Index 18 is the colour Maya draws the lead selection in.
    /// kBackgroundColor: 0 plain (0.361), 1 gradient top (0.535), 2 gradient
    /// bottom (0.052). Past the end: opaque black and kInvalidParameter.
    MColor colorAtIndex(unsigned int index, ColorTable table = kActiveColors,
                        MStatus* ReturnStatus = nullptr) const;

    /// The camera shape the view looks through ("|persp|perspShape").
    MStatus getCamera(MDagPath& camera);
    /// Looks through camera (one of the host's cameras).
    MStatus setCamera(const MDagPath& camera);
    int portWidth(MStatus* ReturnStatus = nullptr) const;
    int portHeight(MStatus* ReturnStatus = nullptr) const;
    /// The pixel a world point is drawn at; false when it is behind the
    /// camera.
    bool worldToView(const MPoint& worldPt, short& x_pos, short& y_pos,
                     MStatus* ReturnStatus = nullptr) const;
    /// The ray through a pixel: its point on the near clip plane and its
    /// unit direction.
    MStatus viewToWorld(short x_pos, short y_pos, MPoint& worldPt, MVector& worldVector) const;
    /// The ray through a pixel as its points on the near and far clip planes.
    MStatus viewToWorld(short x_pos, short y_pos, MPoint& nearClipPt, MPoint& farClipPt) const;
    DisplayStyle displayStyle(MStatus* ReturnStatus = nullptr) const;
    /// The host draws on demand (RenderViewport); nothing to refresh.
    MStatus refresh(bool all = false, bool force = false);
};

OPENMAYA_NAMESPACE_CLOSE
