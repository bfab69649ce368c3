#pragma once
/// \file MPxManipContainer.h
/// The base of a plug-in's manipulator container: the manipulators shown
/// for a node, and the conversions between their values and its plugs.

#include <maya/M3dView.h>
#include <maya/MDagPath.h>
#include <maya/MManipData.h>
#include <maya/MPlug.h>
#include <maya/MPoint.h>
#include <maya/MPxNode.h>
#include <maya/MString.h>
#include <maya/MTypeId.h>
#include <maya/MVector.h>

#include <memory>

namespace vxhost
{
struct ManipContainerState;
}

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// When the manipulators of a node are shown (the command "manipulate
/// -show", or the renderer for the lead selection), the host looks the
/// node's type up in the manipulator connect table; if it is there, it
/// makes the container type named after the node type with "Manip"
/// appended (outside the scene), calls createChildren, then
/// connectToDependNode with the node. The container lives until another
/// node's manipulators are shown or the node goes.
///
/// Conversions: each value of a child manipulator has an index
/// (MFnDistanceManip::startPointIndex, ...). A plug-to-manipulator callback
/// on an index gives that value whenever the host updates the manipulators
/// (when they are connected, before each press, and before each redraw);
/// its MManipData holds a double, or MFnNumericData k3Double for a point
/// or vector. After each drag, every manipulator-to-plug callback is asked
/// for its plug's new value.
class MPxManipContainer : public MPxNode
{
public:
    typedef MManipData (MPxManipContainer::*plugToManipConversionCallback)(unsigned int manipIndex);
    typedef MManipData (MPxManipContainer::*manipToPlugConversionCallback)(unsigned int plugIndex);

    MPxManipContainer();
    ~MPxManipContainer() override;

    Type type() const override { return kManipContainer; }

    /// The initializer to register container types with.
    static MStatus initialize();
    /// Nodes of the type show the container named "<type name>Manip".
    static void addToManipConnectTable(MTypeId& id);
    static void removeFromManipConnectTable(MTypeId& id);

    /// Defaults: success, adding nothing.
    virtual MStatus createChildren();
    /// Call it last from an override: connects the child manipulators to
    /// node and runs the plug-to-manipulator conversions.
    virtual MStatus connectToDependNode(const MObject& node);
    /// The legacy OpenGL draw; the host never calls it.
    virtual void draw(M3dView& view, const MDagPath& path, M3dView::DisplayStyle style,
                      M3dView::DisplayStatus status);
    /// Drawing of the container's own beyond its children; defaults draw
    /// nothing.
    virtual void preDrawUI(const M3dView& view);
    virtual void drawUI(MHWRender::MUIDrawManager& drawManager,
                        const MHWRender::MFrameContext& frameContext) const;
    /// Called after a child's press, drag and release; defaults:
    /// kUnknownParameter (nothing more to do).
    virtual MStatus doPress();
    virtual MStatus doDrag();
    virtual MStatus doRelease();

    /// A built-in distance manipulator named manipName (see
    /// MFnDistanceManip); distanceName names its distance value.
    MDagPath addDistanceManip(const MString& manipName, const MString& distanceName);
    /// A manipulator of a registered kManipulatorNode type named manipName;
    /// proxyManip receives it. Fails for an unknown type.
    MStatus addMPxManipulatorNode(const MString& manipTypeName, const MString& manipName,
                                  MPxManipulatorNode*& proxyManip);
    void addPlugToManipConversionCallback(unsigned int manipIndex, plugToManipConversionCallback callback);
    /// Returns the plug's index, given to the callback.
    unsigned int addManipToPlugConversionCallback(MPlug& plug, manipToPlugConversionCallback callback);
    MStatus finishAddingManips();

    /// A child manipulator's value by its index.
    MStatus getConverterManipValue(unsigned int manipIndex, double& value);
    MStatus getConverterManipValue(unsigned int manipIndex, MPoint& point);
    MStatus getConverterManipValue(unsigned int manipIndex, MVector& vector);
    /// The value of a plug given to addManipToPlugConversionCallback.
    MStatus getConverterPlugValue(unsigned int plugIndex, double& value);

    /// Host code.
    vxhost::ManipContainerState& HostState() const { return *fState; }

private:
    std::unique_ptr<vxhost::ManipContainerState> fState;
};

OPENMAYA_NAMESPACE_CLOSE
