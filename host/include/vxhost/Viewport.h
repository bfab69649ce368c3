#pragma once
/// \file Viewport.h
/// Pictures of the scene as Maya's Viewport 2.0 would show it: the draw
/// overrides' drawables, the shown manipulators and the particles, through
/// one of the host's cameras, written as PNG or SVG.
///
///     vxhost::ViewportOptions options;
///     options.camera = "persp";
///     options.width = 1280;
///     options.height = 720;
///     MStatus status = vxhost::RenderViewport(options, "shots/frame.0001.png");
///
/// A redraw works as Maya's does: every DAG node whose type's draw
/// classification has a registered creator gets its override (made once and
/// kept), prepareForDraw with the data it returned last time, then
/// addUIDrawables; the manipulators shown for the lead selection get
/// preDrawUI and drawUI. Hidden and intermediate nodes are not drawn.
/// Afterwards M3dView::active3dView() is the view drawn (its camera, size and
/// worldToView), until the next picture.

#include <maya/MBoundingBox.h>
#include <maya/MMatrix.h>
#include <maya/MPoint.h>
#include <maya/MStatus.h>
#include <maya/detail/UIDrawRecords.h>

#include <optional>
#include <string>
#include <vector>

namespace vxhost
{
enum class ImageFormat
{
    kPng,
    kSvg
};

struct ViewportOptions
{
    /// persp, top, front or side.
    std::string camera = "persp";
    int width = 960;
    int height = 540;
    ImageFormat format = ImageFormat::kPng;
    /// Frame the camera on the scene's bounds (particles and the bounded
    /// overrides) before drawing; otherwise it stays where it was last put,
    /// which keeps it steady through a sequence of frames.
    bool fitView = true;
    /// Bounds fixed for a sequence of pictures: the camera is framed on
    /// them (with fitView) and the grid sized for them in place of each
    /// picture's own, so that neither moves from one picture to the next.
    std::optional<MBoundingBox> fixedBounds;
    bool grid = true;
    bool particles = true;
    /// The manipulators of the lead selection (see MPxManipContainer).
    bool manipulators = true;
    /// Paths in world space drawn over the grid and under the particles,
    /// each coloured by time (violet at its first point to yellow-green at
    /// its last, a palette of its own): the trails of a summary picture.
    /// They count in the framed bounds.
    std::vector<std::vector<MPoint>> trails;
    /// The frames the trails run from and to, for their legend.
    double trailFirstFrame = 0.0;
    double trailLastFrame = 0.0;
    /// The speed (cm/s) at the red end of the particles' colours, the same
    /// for every picture of a run; 0 for the fastest particle of this one.
    /// A colour bar in the top right corner gives the scale.
    double speedScale = 0.0;
    /// The speed (cm/s) at the blue end, below speedScale (or the fastest
    /// particle's); slower particles are blue too.
    double speedLow = 0.0;
    /// Lines of head-up text in the bottom left corner, as a playblast's
    /// (scene, camera, frame, particles).
    std::vector<std::string> headsUp;
    /// The colour bars and the head-up text (playblast -showOrnaments).
    bool ornaments = true;
};

/// What one node's override recorded, in object space, with the matrix
/// that places it in the world.
struct RecordedNode
{
    std::string path; ///< "|field1" or "|target1|target1Shape"
    MMatrix world;
    std::vector<UIDrawable> drawables;
};

/// What one redraw records.
struct ViewportFrame
{
    std::vector<RecordedNode> nodes;
    std::vector<UIDrawable> manipulators; ///< world space
    MBoundingBox bounds; ///< of the particles, the trails and the bounded overrides, world space
};

/// Points the active view at the camera (framing it when asked) and
/// records everything a redraw draws, without drawing. Fails
/// (kInvalidParameter) for an unknown camera or a size below 1 pixel.
MStatus RecordViewport(const ViewportOptions& options, ViewportFrame& out);
/// The bounds a redraw frames the camera on (the particles, the trails,
/// the bounded overrides and the shapes' wires) without recording or
/// moving anything; `bounded` is false (and `out` empty) when nothing has a
/// place. Fails as RecordViewport does for bad options.
MStatus ViewportBounds(const ViewportOptions& options, MBoundingBox& out, bool& bounded);
/// Records a redraw and draws it to path. Besides RecordViewport's
/// failures: kFailure when the file cannot be written; the status says why.
MStatus RenderViewport(const ViewportOptions& options, const std::string& path);

/// The cameras a picture can look through, in a fixed order: persp, top,
/// front, side.
std::vector<std::string> ViewportCameras();

/// kSvg for a path ending ".svg" (any case), kPng otherwise.
ImageFormat FormatForPath(const std::string& path);
/// "dir/name.0012.png": base, the frame padded to four digits, the format's
/// extension; how playblast names the frames of a sequence.
std::string FrameFileName(const std::string& base, int frame, ImageFormat format);
} // namespace vxhost
