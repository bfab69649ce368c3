// The base of plug-ins' manipulators: handles, values and the mouse.
#include "Manipulators.h"

#include <maya/MPxManipulatorNode.h>
#include <maya/MUIDrawManager.h>

#include <cmath>

using namespace vxhost;

MPxManipulatorNode::MPxManipulatorNode() : fState(std::make_unique<ManipulatorNodeState>())
{
    fState->firstHandle = AllocateHandles();
}

MPxManipulatorNode::~MPxManipulatorNode() = default;

MStatus MPxManipulatorNode::connectToDependNode(const MObject&)
{
    return MStatus::kSuccess;
}

void MPxManipulatorNode::draw(M3dView&, const MDagPath&, M3dView::DisplayStyle, M3dView::DisplayStatus)
{
}

void MPxManipulatorNode::preDrawUI(const M3dView&)
{
}

void MPxManipulatorNode::drawUI(MHWRender::MUIDrawManager&, const MHWRender::MFrameContext&) const
{
}

MStatus MPxManipulatorNode::doPress(M3dView&)
{
    return MStatus::kUnknownParameter;
}

MStatus MPxManipulatorNode::doDrag(M3dView&)
{
    return MStatus::kUnknownParameter;
}

MStatus MPxManipulatorNode::doRelease(M3dView&)
{
    return MStatus::kUnknownParameter;
}

MStatus MPxManipulatorNode::doMove(M3dView&, bool& refresh)
{
    refresh = false;
    return MStatus::kUnknownParameter;
}

MStatus MPxManipulatorNode::finishAddingManips()
{
    return MStatus::kSuccess;
}

MStatus MPxManipulatorNode::glFirstHandle(MGLuint& firstHandle)
{
    firstHandle = fState->firstHandle;
    return MStatus::kSuccess;
}

MStatus MPxManipulatorNode::glActiveName(MGLuint& name)
{
    name = ManipContext::Get().ActiveHandle();
    return name != 0 ? MStatus::kSuccess : MStatus::kFailure;
}

void MPxManipulatorNode::colorAndName(M3dView&, MGLuint, bool, short) const
{
}

void MPxManipulatorNode::setHandleColor(MHWRender::MUIDrawManager& drawManager, MGLuint handleName,
                                        short colorIndex) const
{
    const bool active = handleName != 0 && ManipContext::Get().ActiveHandle() == handleName;
    drawManager.setColorIndex(active ? selectedColor() : colorIndex);
}

MStatus MPxManipulatorNode::mouseRay(MPoint& linePoint, MVector& lineDirection) const
{
    return ManipContext::Get().MouseRay(linePoint, lineDirection) ? MStatus::kSuccess : MStatus::kFailure;
}

MStatus MPxManipulatorNode::mouseRayWorld(MPoint& linePoint, MVector& lineDirection) const
{
    return mouseRay(linePoint, lineDirection);
}

MStatus MPxManipulatorNode::mousePosition(short& x_pos, short& y_pos)
{
    MPoint origin;
    MVector direction;
    if (!mouseRay(origin, direction))
        return MStatus::kFailure;
    return M3dView::active3dView().worldToView(origin, x_pos, y_pos) ? MStatus::kSuccess : MStatus::kFailure;
}

namespace
{
MStatus AddValue(ManipulatorNodeState& state, const MString& name, const ManipValue& value, int& valueIndex)
{
    state.values.push_back({name.asChar(), value, value, MPlug()});
    valueIndex = static_cast<int>(state.values.size() - 1);
    return MStatus::kSuccess;
}

ManipulatorNodeState::Value* ValueAt(ManipulatorNodeState& state, int index, ManipValue::Kind kind)
{
    if (index < 0 || static_cast<std::size_t>(index) >= state.values.size() ||
        state.values[static_cast<std::size_t>(index)].current.kind != kind)
        return nullptr;
    return &state.values[static_cast<std::size_t>(index)];
}

// Writes a point or vector into a plug of three numbers.
MStatus WriteTriple(MPlug& plug, double x, double y, double z)
{
    if (plug.numChildren() != 3)
        return MStatus(MStatus::kInvalidParameter, "the plug has no three children");
    MStatus status = plug.child(0).setDouble(x);
    if (status)
        status = plug.child(1).setDouble(y);
    if (status)
        status = plug.child(2).setDouble(z);
    return status;
}
} // namespace

MStatus MPxManipulatorNode::addDoubleValue(const MString& valueName, double defaultValue, int& valueIndex)
{
    ManipValue value;
    value.number = defaultValue;
    return AddValue(*fState, valueName, value, valueIndex);
}

MStatus MPxManipulatorNode::addPointValue(const MString& valueName, const MPoint& defaultValue,
                                          int& valueIndex)
{
    ManipValue value;
    value.kind = ManipValue::Kind::kPoint;
    value.point = defaultValue;
    return AddValue(*fState, valueName, value, valueIndex);
}

MStatus MPxManipulatorNode::addVectorValue(const MString& valueName, const MVector& defaultValue,
                                           int& valueIndex)
{
    ManipValue value;
    value.kind = ManipValue::Kind::kVector;
    value.vector = defaultValue;
    return AddValue(*fState, valueName, value, valueIndex);
}

MStatus MPxManipulatorNode::setDoubleValue(int valueIndex, double value)
{
    auto* v = ValueAt(*fState, valueIndex, ManipValue::Kind::kDouble);
    if (!v)
        return MStatus::kInvalidParameter;
    v->current.number = value;
    return v->plug.isNull() ? MStatus(MStatus::kSuccess) : v->plug.setDouble(value);
}

MStatus MPxManipulatorNode::setPointValue(int valueIndex, const MPoint& value)
{
    auto* v = ValueAt(*fState, valueIndex, ManipValue::Kind::kPoint);
    if (!v)
        return MStatus::kInvalidParameter;
    v->current.point = value;
    return v->plug.isNull() ? MStatus(MStatus::kSuccess) : WriteTriple(v->plug, value.x, value.y, value.z);
}

MStatus MPxManipulatorNode::setVectorValue(int valueIndex, const MVector& value)
{
    auto* v = ValueAt(*fState, valueIndex, ManipValue::Kind::kVector);
    if (!v)
        return MStatus::kInvalidParameter;
    v->current.vector = value;
    return v->plug.isNull() ? MStatus(MStatus::kSuccess) : WriteTriple(v->plug, value.x, value.y, value.z);
}

MStatus MPxManipulatorNode::getDoubleValue(int valueIndex, bool previousValue, double& value)
{
    const auto* v = ValueAt(*fState, valueIndex, ManipValue::Kind::kDouble);
    if (!v)
        return MStatus::kInvalidParameter;
    value = previousValue ? v->previous.number : v->current.number;
    return MStatus::kSuccess;
}

MStatus MPxManipulatorNode::getPointValue(int valueIndex, bool previousValue, MPoint& value)
{
    const auto* v = ValueAt(*fState, valueIndex, ManipValue::Kind::kPoint);
    if (!v)
        return MStatus::kInvalidParameter;
    value = previousValue ? v->previous.point : v->current.point;
    return MStatus::kSuccess;
}

MStatus MPxManipulatorNode::getVectorValue(int valueIndex, bool previousValue, MVector& value)
{
    const auto* v = ValueAt(*fState, valueIndex, ManipValue::Kind::kVector);
    if (!v)
        return MStatus::kInvalidParameter;
    value = previousValue ? v->previous.vector : v->current.vector;
    return MStatus::kSuccess;
}

MStatus MPxManipulatorNode::connectPlugToValue(const MPlug& plug, int valueIndex, int& plugIndex)
{
    if (valueIndex < 0 || static_cast<std::size_t>(valueIndex) >= fState->values.size() || plug.isNull())
        return MStatus::kInvalidParameter;
    auto& v = fState->values[static_cast<std::size_t>(valueIndex)];
    v.plug = plug;
    // The value starts from the plug's.
    if (v.current.kind == ManipValue::Kind::kDouble)
    {
        MStatus status;
        const double number = plug.asDouble(&status);
        if (status)
            v.current.number = v.previous.number = number;
    }
    plugIndex = valueIndex;
    return MStatus::kSuccess;
}

MStatus MPxManipulatorNode::addDependentPlug(const MPlug& dependentPlug)
{
    fState->dependentPlugs.push_back(dependentPlug);
    return MStatus::kSuccess;
}

MStatus MPxManipulatorNode::dependentPlugsReset()
{
    fState->dependentPlugs.clear();
    return MStatus::kSuccess;
}
