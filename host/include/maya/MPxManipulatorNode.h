#pragma once
/// \file MPxManipulatorNode.h
/// The base of a plug-in's own manipulator: handles it draws and the mouse
/// events it answers.

#include <maya/M3dView.h>
#include <maya/MDagPath.h>
#include <maya/MGLdefinitions.h>
#include <maya/MPlug.h>
#include <maya/MPoint.h>
#include <maya/MPxNode.h>
#include <maya/MVector.h>

#include <memory>

namespace vxhost
{
struct ManipulatorNodeState;
}

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// The host makes a manipulator through its registered creator (as a
/// container's child, MPxManipContainer::addMPxManipulatorNode) and gives
/// it a block of handle names before postConstructor: glFirstHandle is the
/// first, and a manipulator may use the following ones for more handles.
///
/// On every redraw the host calls preDrawUI(view), then drawUI. A drawable
/// begun with kSelectable and a handle name is that handle: the host picks
/// it along the mouse ray, and the command "manipulate" presses it by
/// name. A press calls doPress, each mouse move doDrag, and the release
/// doRelease, with mouseRay giving the ray of the event and glActiveName
/// the pressed handle. Manipulators live in world space: mouseRay and
/// mouseRayWorld are the same ray.
class MPxManipulatorNode : public MPxNode
{
public:
    MPxManipulatorNode();
    ~MPxManipulatorNode() override;

    Type type() const override { return kManipulatorNode; }

    /// Default: success, doing nothing.
    virtual MStatus connectToDependNode(const MObject& dependNode);
    /// The legacy OpenGL draw; the host never calls it.
    virtual void draw(M3dView& view, const MDagPath& path, M3dView::DisplayStyle style,
                      M3dView::DisplayStatus status);
    virtual void preDrawUI(const M3dView& view);
    virtual void drawUI(MHWRender::MUIDrawManager& drawManager,
                        const MHWRender::MFrameContext& frameContext) const;
    /// Defaults: kUnknownParameter (not handled).
    virtual MStatus doPress(M3dView& view);
    virtual MStatus doDrag(M3dView& view);
    virtual MStatus doRelease(M3dView& view);
    virtual MStatus doMove(M3dView& view, bool& refresh);

    MStatus finishAddingManips();
    MStatus glFirstHandle(MGLuint& firstHandle);
    /// The handle being pressed or dragged; kFailure (and 0, which is no
    /// handle) when none is.
    MStatus glActiveName(MGLuint& name);
    /// The legacy way of colouring and naming a handle; does nothing.
    void colorAndName(M3dView& view, MGLuint glName, bool glNameIsPickable, short colorIndex) const;
    /// Colours the handle's drawable: selectedColor() while it is the active
    /// handle, colorIndex otherwise (both of the active colour table).
    void setHandleColor(MHWRender::MUIDrawManager& drawManager, MGLuint handleName, short colorIndex) const;
    /// The ray of the current mouse event (kFailure before any event).
    MStatus mouseRay(MPoint& linePoint, MVector& lineDirection) const;
    MStatus mouseRayWorld(MPoint& linePoint, MVector& lineDirection) const;
    /// The pixel of the current mouse event in the active view.
    MStatus mousePosition(short& x_pos, short& y_pos);

    /// Indices of the active colour table (M3dView::colorAtIndex).
    short mainColor() const { return 17; }           ///< light blue
    short xColor() const { return 12; }              ///< red
    short yColor() const { return 13; }              ///< green
    short zColor() const { return 5; }               ///< blue
    short prevColor() const { return 2; }            ///< light grey
    short lineColor() const { return 15; }           ///< white
    short dimmedColor() const { return 1; }          ///< dark grey
    short selectedColor() const { return 16; }       ///< yellow
    short labelColor() const { return 15; }          ///< white
    short labelBackgroundColor() const { return 0; } ///< black

    /// Values a manipulator keeps, by index in the order added. A value
    /// joined to a plug with connectPlugToValue reads the plug when the
    /// host updates the manipulator and writes it when set.
    MStatus addDoubleValue(const MString& valueName, double defaultValue, int& valueIndex);
    MStatus addPointValue(const MString& valueName, const MPoint& defaultValue, int& valueIndex);
    MStatus addVectorValue(const MString& valueName, const MVector& defaultValue, int& valueIndex);
    MStatus setDoubleValue(int valueIndex, double value);
    MStatus setPointValue(int valueIndex, const MPoint& value);
    MStatus setVectorValue(int valueIndex, const MVector& value);
    /// previousValue: the value when the handle was pressed.
    MStatus getDoubleValue(int valueIndex, bool previousValue, double& value);
    MStatus getPointValue(int valueIndex, bool previousValue, MPoint& value);
    MStatus getVectorValue(int valueIndex, bool previousValue, MVector& value);
    MStatus connectPlugToValue(const MPlug& plug, int valueIndex, int& plugIndex);
    MStatus addDependentPlug(const MPlug& dependentPlug);
    MStatus dependentPlugsReset();

    /// Host code.
    vxhost::ManipulatorNodeState& HostState() const { return *fState; }

private:
    std::unique_ptr<vxhost::ManipulatorNodeState> fState;
};

OPENMAYA_NAMESPACE_CLOSE
