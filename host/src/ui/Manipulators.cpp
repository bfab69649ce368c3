#include "Manipulators.h"

#include "Cameras.h"
#include "dg/NodeClass.h"
#include "dg/Scene.h"

#include <maya/M3dView.h>
#include <maya/MFnNumericData.h>
#include <maya/MFrameContext.h>
#include <maya/MPxManipulatorNode.h>
#include <maya/MUIDrawManager.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <numbers>

using MHWRender::MUIDrawManager;

namespace vxhost
{
namespace
{
// How far from the ray a handle may be drawn and still be picked: the
// angle seen from the ray's origin, in radians.
constexpr double kPickTolerance = 0.025;

double Inf()
{
    return std::numeric_limits<double>::infinity();
}

// The parameter s of the point line + s * along nearest the ray; false when
// they are parallel.
bool NearestOnLine(const MPoint& linePoint, const MVector& along, const MPoint& origin,
                   const MVector& direction, double& s)
{
    const MVector w0 = linePoint - origin;
    const double a = along * along, b = along * direction, c = direction * direction;
    const double d = along * w0, e = direction * w0;
    const double denominator = a * c - b * b;
    if (!(std::fabs(denominator) > 1e-12 * a * c))
        return false;
    s = (b * e - c * d) / denominator;
    return true;
}

// The angle under which p is seen off the ray; infinity behind its origin.
double AngleOff(const MPoint& p, const MPoint& origin, const MVector& unit)
{
    const MVector v = p - origin;
    const double along = v * unit;
    if (along <= 0.0)
        return Inf();
    return (v - unit * along).length() / along;
}

double AngleOffSegment(const MPoint& a, const MPoint& b, const MPoint& origin, const MVector& unit)
{
    double s = 0.0;
    if (!NearestOnLine(a, b - a, origin, unit, s))
        s = 0.0;
    s = std::clamp(s, 0.0, 1.0);
    return AngleOff(a + (b - a) * s, origin, unit);
}

// The nearest angle of a recorded primitive off the ray. 2D primitives are
// overlays and never picked.
double AngleOffPrimitive(const UIPrimitive& p, const MPoint& origin, const MVector& unit)
{
    double best = Inf();
    if (p.draw2D || p.points.empty())
        return best;
    const auto& pts = p.points;
    switch (p.kind)
    {
    case UIPrimitiveKind::kMesh:
        if (p.mode == MUIDrawManager::kPoints)
        {
            for (const MPoint& q : pts)
                best = std::min(best, AngleOff(q, origin, unit));
        }
        else if (p.mode == MUIDrawManager::kLines)
        {
            for (std::size_t i = 0; i + 1 < pts.size(); i += 2)
                best = std::min(best, AngleOffSegment(pts[i], pts[i + 1], origin, unit));
        }
        else
        {
            for (std::size_t i = 0; i + 1 < pts.size(); ++i)
                best = std::min(best, AngleOffSegment(pts[i], pts[i + 1], origin, unit));
            if (p.mode == MUIDrawManager::kClosedLine && pts.size() > 2)
                best = std::min(best, AngleOffSegment(pts.back(), pts.front(), origin, unit));
        }
        break;
    case UIPrimitiveKind::kCircle:
    {
        const MVector n = p.normal.normal();
        MVector u = n ^ MVector(1.0, 0.0, 0.0);
        if (u.length() < 1e-6)
            u = n ^ MVector(0.0, 1.0, 0.0);
        u.normalize();
        const MVector v = n ^ u;
        MPoint previous = pts[0] + u * p.radius;
        for (int k = 1; k <= 32; ++k)
        {
            const double angle = 2.0 * std::numbers::pi * k / 32.0;
            const MPoint q = pts[0] + (u * std::cos(angle) + v * std::sin(angle)) * p.radius;
            best = std::min(best, AngleOffSegment(previous, q, origin, unit));
            previous = q;
        }
        break;
    }
    default:
        best = AngleOff(pts[0], origin, unit);
        break;
    }
    return best;
}

// The private type of the distance manipulators' nodes.
const NodeClass& DistanceManipClass()
{
    static const NodeClass cls = []
    {
        NodeClass c;
        c.typeName = "distanceManip";
        c.apiType = MFn::kDagNode;
        c.dag = true;
        return c;
    }();
    return cls;
}

// The colour a distance manipulator takes from the axis it mostly follows.
short AxisColour(const MVector& direction)
{
    const double x = std::fabs(direction.x), y = std::fabs(direction.y), z = std::fabs(direction.z);
    if (x >= y && x >= z)
        return 12;          // red
    return y >= z ? 13 : 5; // green, blue
}
} // namespace

MGLuint AllocateHandles()
{
    static MGLuint next = 1;
    const MGLuint first = next;
    next += kHandlesPerManipulator;
    return first;
}

bool AssignManipData(ManipValue& value, const MManipData& data)
{
    if (data.isSimple())
    {
        if (value.kind != ManipValue::Kind::kDouble)
            return false;
        value.number = data.asDouble();
        return true;
    }
    MStatus status;
    MFnNumericData numeric(data.asMObject(), &status);
    double x = 0.0, y = 0.0, z = 0.0;
    if (!status || !numeric.getData(x, y, z))
        return false;
    if (value.kind == ManipValue::Kind::kPoint)
        value.point = MPoint(x, y, z);
    else if (value.kind == ManipValue::Kind::kVector)
        value.vector = MVector(x, y, z);
    else
        return false;
    return true;
}

MStatus WriteManipData(MPlug& plug, const MManipData& data)
{
    if (data.isSimple())
        return plug.setDouble(data.asDouble());
    MStatus status;
    MFnNumericData numeric(data.asMObject(), &status);
    double xyz[3];
    if (status && numeric.getData(xyz[0], xyz[1], xyz[2]))
    {
        if (plug.numChildren() != 3)
            return MStatus(MStatus::kInvalidParameter, "three numbers for a plug without three children");
        for (unsigned i = 0; i < 3 && status; ++i)
            status = plug.child(i).setDouble(xyz[i]);
        return status;
    }
    return plug.setMObject(data.asMObject());
}

// HostManip -------------------------------------------------------------------------

MPoint HostManip::Start() const
{
    return container->values[startIndex].point;
}

MVector HostManip::Direction() const
{
    return container->values[directionIndex].vector;
}

double HostManip::Distance() const
{
    return container->values[distanceIndex].number;
}

MPoint HostManip::Current() const
{
    return container->values[currentIndex].point;
}

void HostManip::SetDistance(double distance)
{
    container->values[distanceIndex].number = distance;
    UpdateCurrent();
}

void HostManip::UpdateCurrent()
{
    container->values[currentIndex].point = Start() + Direction() * (Distance() * scaling);
}

// ManipContext ----------------------------------------------------------------------

ManipContext& ManipContext::Get()
{
    static ManipContext context;
    return context;
}

MPxManipContainer* ManipContext::Container() const
{
    return fContainerNode ? static_cast<MPxManipContainer*>(fContainerNode->behaviour.get()) : nullptr;
}

void ManipContext::Clear()
{
    fActive = 0;
    fTarget.reset();
    // The container holds its children: they go with it.
    fContainerNode.reset();
}

MStatus ManipContext::Sync(bool rebuild, std::string& error)
{
    // The node whose manipulators show: the lead selection, or the first
    // shape under it whose type is in the connect table.
    std::shared_ptr<Node> target;
    const auto& selection = Scene::Get().Selection();
    if (!selection.empty())
    {
        const std::shared_ptr<Node>& lead = selection.back();
        if (fConnectTable.count(lead->cls->id.id()))
            target = lead;
        else
            for (const auto& child : lead->children)
                if (fConnectTable.count(child->cls->id.id()))
                {
                    target = child;
                    break;
                }
    }
    if (!rebuild && target == fTarget)
        return MStatus::kSuccess;
    Clear();
    // Kept even when the container fails, so that redraws do not make it
    // fail (and report) again; showing the manipulators anew retries.
    fTarget = target;
    if (!target)
        return MStatus::kSuccess;
    if (!fWatchingScene)
    {
        Scene::Get().OnDelete(
            [this](Node& node)
            {
                if (&node == fTarget.get())
                    Clear();
            });
        fWatchingScene = true;
    }

    const std::string typeName = target->cls->typeName + "Manip";
    const NodeClass* cls = NodeRegistry::Get().Find(typeName);
    if (!cls || cls->pxType != MPxNode::kManipContainer || !cls->creator)
    {
        error = "No manipulator container type " + typeName + ".";
        return MStatus(MStatus::kNotFound, error.c_str());
    }
    auto node = std::make_shared<Node>(cls, typeName + "1");
    MPxNode* behaviour = cls->creator();
    auto* container = dynamic_cast<MPxManipContainer*>(behaviour);
    if (!container)
    {
        delete behaviour;
        error = "The creator of " + typeName + " made no manipulator container.";
        return MStatus(MStatus::kFailure, error.c_str());
    }
    node->behaviour.reset(behaviour);
    behaviour->SetHostNode(node.get());
    behaviour->postConstructor();
    MStatus status = container->createChildren();
    if (!status)
    {
        error = typeName + ": createChildren failed " + status.errorString().asChar();
        return status;
    }
    // Held before connecting, so that conversion callbacks see it shown.
    fContainerNode = node;
    status = container->connectToDependNode(target->Object());
    if (!status)
    {
        fContainerNode.reset();
        error = typeName + ": connectToDependNode failed " + status.errorString().asChar();
        return status;
    }
    return MStatus::kSuccess;
}

void ManipContext::Update()
{
    MPxManipContainer* container = Container();
    if (!container)
        return;
    ManipContainerState& state = container->HostState();
    for (const auto& [index, callback] : state.plugToManip)
        if (index < state.values.size())
            AssignManipData(state.values[index], (container->*callback)(index));
    for (const auto& child : state.children)
    {
        if (child.distance)
        {
            if (!child.distance->distancePlug.isNull())
            {
                MStatus status;
                const double value = child.distance->distancePlug.asDouble(&status);
                if (status)
                    state.values[child.distance->distanceIndex].number = value;
            }
            child.distance->UpdateCurrent();
        }
        else
        {
            for (auto& value : child.custom->HostState().values)
                if (!value.plug.isNull() && value.current.kind == ManipValue::Kind::kDouble)
                {
                    MStatus status;
                    const double number = value.plug.asDouble(&status);
                    if (status)
                        value.current.number = number;
                }
        }
    }
}

void ManipContext::Draw(MUIDrawManager& drawManager, const ViewState& view)
{
    MPxManipContainer* container = Container();
    if (!container)
        return;
    Update();
    const M3dView view3d = M3dView::active3dView();
    const MHWRender::MFrameContext context(view);
    container->preDrawUI(view3d);
    for (const auto& child : container->HostState().children)
    {
        if (child.custom)
        {
            child.custom->preDrawUI(view3d);
            child.custom->drawUI(drawManager, context);
            continue;
        }
        const HostManip& m = *child.distance;
        if (!m.visible)
            continue;
        const short colour = fActive == m.handle ? 16 : AxisColour(m.Direction());
        const MColor rgb = view3d.colorAtIndex(static_cast<unsigned>(colour));
        if (m.drawLine || m.drawStart)
        {
            drawManager.beginDrawable();
            drawManager.setColor(rgb);
            drawManager.setDepthPriority(10);
            if (m.drawLine)
                drawManager.line(m.Start(), m.Current());
            if (m.drawStart)
            {
                drawManager.setPointSize(5.0f * m.manipScale);
                drawManager.point(m.Start());
            }
            drawManager.endDrawable();
        }
        // Only the handle picks, not the line leading to it.
        drawManager.beginDrawable(MUIDrawManager::kSelectable, m.handle);
        drawManager.setColor(rgb);
        drawManager.setDepthPriority(10);
        drawManager.setPointSize(10.0f * m.manipScale);
        drawManager.point(m.Current());
        drawManager.endDrawable();
    }
    container->drawUI(drawManager, context);
}

std::vector<std::string> ManipContext::Manipulators() const
{
    std::vector<std::string> names;
    if (const MPxManipContainer* container = Container())
        for (const auto& child : container->HostState().children)
            if (child.custom || child.distance->visible)
                names.push_back(child.node->name);
    return names;
}

bool ManipContext::HandleByName(const std::string& name, MGLuint& handle) const
{
    const MPxManipContainer* container = Container();
    if (!container)
        return false;
    std::string manip = name;
    long offset = 0;
    if (const std::size_t colon = name.rfind(':'); colon != std::string::npos)
    {
        char* end = nullptr;
        offset = std::strtol(name.c_str() + colon + 1, &end, 10);
        if (colon + 1 == name.size() || *end != '\0' || offset < 0 || offset >= long(kHandlesPerManipulator))
            return false;
        manip = name.substr(0, colon);
    }
    for (const auto& child : container->HostState().children)
        if (child.node->name == manip)
        {
            if (child.distance)
            {
                if (offset != 0 || !child.distance->visible)
                    return false;
                handle = child.distance->handle;
            }
            else
                handle = child.custom->HostState().firstHandle + static_cast<MGLuint>(offset);
            return true;
        }
    return false;
}

bool ManipContext::Pick(const MPoint& origin, const MVector& direction, const ViewState& view,
                        MGLuint& handle)
{
    MUIDrawManager recorded;
    Draw(recorded, view);
    const MVector unit = direction.normal();
    double best = kPickTolerance;
    bool found = false;
    for (const UIDrawable& drawable : recorded.Drawables())
    {
        if (drawable.selectability == MUIDrawManager::kNonSelectable || drawable.selectionName == 0 ||
            !ChildOf(drawable.selectionName))
            continue;
        for (const UIPrimitive& primitive : drawable.primitives)
        {
            const double angle = AngleOffPrimitive(primitive, origin, unit);
            if (angle <= best)
            {
                best = angle;
                handle = drawable.selectionName;
                found = true;
            }
        }
    }
    return found;
}

const ManipContainerState::Child* ManipContext::ChildOf(MGLuint handle) const
{
    const MPxManipContainer* container = Container();
    if (!container || handle == 0)
        return nullptr;
    for (const auto& child : container->HostState().children)
    {
        if (child.distance ? child.distance->handle == handle && child.distance->visible
                           : handle >= child.custom->HostState().firstHandle &&
                                 handle < child.custom->HostState().firstHandle + kHandlesPerManipulator)
            return &child;
    }
    return nullptr;
}

MStatus ManipContext::Press(MGLuint handle, const MPoint& origin, const MVector& direction,
                            std::string& error)
{
    MPxManipContainer* container = Container();
    const ManipContainerState::Child* child = ChildOf(handle);
    if (!container || !child)
    {
        error = "No manipulator handle " + std::to_string(handle) + " is shown.";
        return MStatus(MStatus::kNotFound, error.c_str());
    }
    Update();
    fActive = handle;
    fHasRay = true;
    fRayOrigin = origin;
    fRayDirection = direction;
    M3dView view = M3dView::active3dView();
    MStatus status;
    if (child->distance)
    {
        HostManip& m = *child->distance;
        m.pressDistance = m.Distance();
        m.pressed = NearestOnLine(m.Start(), m.Direction(), origin, direction, m.pressParameter);
    }
    else
    {
        for (auto& value : child->custom->HostState().values)
            value.previous = value.current;
        status = child->custom->doPress(view);
    }
    container->doPress();
    if (!status && status != MStatus::kUnknownParameter)
    {
        error = std::string("doPress failed ") + status.errorString().asChar();
        return status;
    }
    return MStatus::kSuccess;
}

MStatus ManipContext::Drag(const MPoint& origin, const MVector& direction, std::string& error)
{
    MPxManipContainer* container = Container();
    const ManipContainerState::Child* child = ChildOf(fActive);
    if (!container || !child)
    {
        error = "No manipulator handle is pressed.";
        return MStatus(MStatus::kFailure, error.c_str());
    }
    fRayOrigin = origin;
    fRayDirection = direction;
    M3dView view = M3dView::active3dView();
    MStatus status;
    if (child->distance)
    {
        HostManip& m = *child->distance;
        double s = 0.0;
        // A ray along the manipulator's line moves nothing; the first ray
        // that crosses it becomes the reference when the press had none.
        if (NearestOnLine(m.Start(), m.Direction(), origin, direction, s) && m.scaling != 0.0)
        {
            if (!m.pressed)
            {
                m.pressed = true;
                m.pressParameter = s;
            }
            m.SetDistance(m.pressDistance + (s - m.pressParameter) / m.scaling);
            if (!m.distancePlug.isNull())
                status = m.distancePlug.setDouble(m.Distance());
        }
    }
    else
        status = child->custom->doDrag(view);
    if (status || status == MStatus::kUnknownParameter)
    {
        ApplyPlugConversions();
        container->doDrag();
        return MStatus::kSuccess;
    }
    error = std::string("the drag failed ") + status.errorString().asChar();
    return status;
}

MStatus ManipContext::Release(std::string& error)
{
    MPxManipContainer* container = Container();
    const ManipContainerState::Child* child = ChildOf(fActive);
    if (!container || !child)
    {
        error = "No manipulator handle is pressed.";
        return MStatus(MStatus::kFailure, error.c_str());
    }
    M3dView view = M3dView::active3dView();
    // Maya takes no notice of what a release reports: the drag is over
    // either way.
    if (child->custom)
        child->custom->doRelease(view);
    else
        child->distance->pressed = false;
    container->doRelease();
    fActive = 0;
    return MStatus::kSuccess;
}

void ManipContext::ApplyPlugConversions()
{
    MPxManipContainer* container = Container();
    auto& conversions = container->HostState().manipToPlug;
    for (unsigned i = 0; i < conversions.size(); ++i)
        WriteManipData(conversions[i].plug, (container->*conversions[i].callback)(i));
}

bool ManipContext::MouseRay(MPoint& origin, MVector& direction) const
{
    if (!fHasRay)
        return false;
    origin = fRayOrigin;
    direction = fRayDirection;
    return true;
}

// Host code of MPxManipContainer: making children, in this file for the
// distance manipulator's private type.
std::shared_ptr<Node> MakeDistanceManipNode(const std::string& name, ManipContainerState& state,
                                            HostManip*& out)
{
    auto node = std::make_shared<Node>(&DistanceManipClass(), name);
    auto* manip = new HostManip();
    node->behaviour.reset(manip);
    manip->SetHostNode(node.get());
    manip->container = &state;
    manip->handle = AllocateHandles();
    ManipValue point;
    point.kind = ManipValue::Kind::kPoint;
    ManipValue vector;
    vector.kind = ManipValue::Kind::kVector;
    vector.vector = MVector(1.0, 0.0, 0.0);
    manip->startIndex = state.AddValue(point);
    manip->directionIndex = state.AddValue(vector);
    manip->distanceIndex = state.AddValue(ManipValue());
    manip->currentIndex = state.AddValue(point);
    out = manip;
    return node;
}
} // namespace vxhost
