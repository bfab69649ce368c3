#pragma once
/// \file RadiusManipulatorNode.h
/// The manipulator of one radius key of a curve tube: a circle around the
/// curve, across it, whose radius the user drags.

#include <maya/MApiNamespace.h>
#include <maya/M3dView.h>
#include <maya/MPlug.h>
#include <maya/MPoint.h>
#include <maya/MPointArray.h>
#include <maya/MPxManipulatorNode.h>
#include <maya/MStatus.h>
#include <maya/MTypeId.h>
#include <maya/MVector.h>

/// Made by VolumeLocatorNodeManip, which then sets centre, normal, scale and
/// radiusPlug directly. The drawn radius is the plug's value times scale; a
/// drag puts the circle through the point where the mouse ray meets the
/// circle's plane and writes that distance divided by scale to the plug.
class RadiusManipulatorNode : public MPxManipulatorNode
{
public:
    RadiusManipulatorNode() = default;
    ~RadiusManipulatorNode() override = default;

    /// Takes the manipulator's handle name.
    void postConstructor() override;
    /// Rebuilds the circle from the plug; hides it when the view has no
    /// named camera.
    void preDrawUI(const M3dView& view) override;
    /// The circle as a selectable closed line, when visible.
    void drawUI(MHWRender::MUIDrawManager& drawManager,
                const MHWRender::MFrameContext& frameContext) const override;
    /// Sets up the drag plane through the centre, across the normal, and
    /// applies the press's ray like a drag.
    MStatus doPress(M3dView& view) override;
    MStatus doDrag(M3dView& view) override;
    /// Changes nothing; fails when a selected node is not a transform.
    MStatus doRelease(M3dView& view) override;

    static void* creator();
    /// Adds no attributes.
    static MStatus initialize();

    static const MTypeId id;
    static const char* const typeName; ///< "QF_VX_radiusManipulatorNode"

    /// Where the mouse ray last met the drag plane.
    const MPoint& DragPoint() const { return dragPoint_; }

private:
    /// Moves the drag point to where the current mouse ray meets the drag
    /// plane and, while this handle is the active one, writes the radius.
    void DragUpdate();
    /// The circle of `radius` about the normal at the centre.
    void BuildCircle(double radius);

    MGLuint handleName_ = 0;
    MPoint dragPoint_{0.0, 0.0, 0.0, 1.0};

public:
    // Written by the container after it adds the manipulator.
    MPoint centre{0.0, 0.0, 0.0, 1.0};
    /// The circle's axis; any length but zero.
    MVector normal{1.0, 0.0, 0.0};
    /// Drawn radius over the plug's value.
    double scale = 1.0;

private:
    short handleColour_ = 0;
    MPointArray circlePoints_;

public:
    /// The radius key it edits; null for none, which draws a unit circle and
    /// ignores drags.
    MPlug radiusPlug;

private:
    // Hidden until the first preDrawUI has found a camera.
    bool visible_ = false;
    /// a, b, c, d of the plane a x + b y + c z + d = 0.
    double dragPlane_[4] = {0.0, 0.0, 0.0, 0.0};
};
