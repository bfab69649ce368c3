#pragma once
/// \file Manipulators.h
/// The host's side of manipulators: the state behind MPxManipContainer and
/// MPxManipulatorNode, the built-in distance manipulator, and the one set
/// of manipulators shown at a time with the mouse that works them.

#include <maya/MApiNamespace.h>
#include <maya/MGLdefinitions.h>
#include <maya/MPlug.h>
#include <maya/MPoint.h>
#include <maya/MPxManipContainer.h>
#include <maya/MPxNode.h>
#include <maya/MStatus.h>
#include <maya/MVector.h>

#include <memory>
#include <set>
#include <string>
#include <vector>


namespace vxhost
{
class Node;
struct ViewState;

/// Handle names come in blocks, one block per manipulator, from 1 up: 0
/// is no handle.
constexpr MGLuint kHandlesPerManipulator = 64;
MGLuint AllocateHandles();

/// A value of a manipulator: a number, a point or a vector.
struct ManipValue
{
    enum class Kind
    {
        kDouble,
        kPoint,
        kVector
    };
    Kind kind = Kind::kDouble;
    double number = 0.0;
    MPoint point;
    MVector vector;
};

/// Sets value from conversion data: a simple value, or numeric data of
/// three numbers for a point or a vector. False when the data does not fit.
bool AssignManipData(ManipValue& value, const MManipData& data);
/// Writes data to plug: a number, or the three children of a compound.
MStatus WriteManipData(MPlug& plug, const MManipData& data);

struct ManipulatorNodeState
{
    struct Value
    {
        std::string name;
        ManipValue current;
        ManipValue previous; ///< at the last press
        MPlug plug;          ///< null unless connected
    };
    MGLuint firstHandle = 0;
    std::vector<Value> values;
    std::vector<MPlug> dependentPlugs;
};

struct ManipContainerState;

/// The built-in distance manipulator (the behaviour of its node). Its
/// values live in the container's conversion table.
class HostManip : public MPxNode
{
public:
    MPoint Start() const;
    MVector Direction() const;
    double Distance() const;
    /// Where the handle is drawn: start + direction * distance * scaling.
    MPoint Current() const;
    /// Sets the distance and the current point that follows from it.
    void SetDistance(double distance);
    /// Recomputes the current point from the other values.
    void UpdateCurrent();

    ManipContainerState* container = nullptr;
    MGLuint handle = 0;
    bool visible = true;
    float manipScale = 1.0f;
    bool drawStart = false;
    bool drawLine = false;
    double scaling = 1.0;
    unsigned startIndex = 0, directionIndex = 0, distanceIndex = 0, currentIndex = 0;
    MPlug distancePlug; ///< null unless connected
    std::string distanceName;

    // The press that a drag is measured from.
    bool pressed = false;
    double pressParameter = 0.0;
    double pressDistance = 0.0;
};

struct ManipContainerState
{
    struct Child
    {
        std::shared_ptr<Node> node;
        HostManip* distance = nullptr;        ///< a built-in manipulator, or
        MPxManipulatorNode* custom = nullptr; ///< a plug-in's manipulator
    };
    struct PlugConversion
    {
        MPlug plug;
        MPxManipContainer::manipToPlugConversionCallback callback = nullptr;
    };

    unsigned AddValue(const ManipValue& value)
    {
        values.push_back(value);
        return static_cast<unsigned>(values.size() - 1);
    }

    std::vector<ManipValue> values; ///< the conversion table
    std::vector<Child> children;
    std::vector<std::pair<unsigned, MPxManipContainer::plugToManipConversionCallback>> plugToManip;
    std::vector<PlugConversion> manipToPlug;
    MObject node; ///< the node connected to
    bool finished = false;
};

/// A new distance manipulator's node, its values added to state's table.
std::shared_ptr<Node> MakeDistanceManipNode(const std::string& name, ManipContainerState& state,
                                            HostManip*& out);

/// The manipulators shown (at most one container, for one node) and the
/// mouse that works them.
class ManipContext
{
public:
    static ManipContext& Get();
    /// Type ids of nodes that have a manipulator container.
    std::set<unsigned>& ConnectTable() { return fConnectTable; }

    /// Shows the manipulators of the lead selection (or of a DAG shape
    /// under it): a new container when that node changed, or always with
    /// rebuild; nothing when the selection has no such node. On failure the
    /// container is dropped and error says why.
    MStatus Sync(bool rebuild, std::string& error);
    MPxManipContainer* Container() const;
    Node* Target() const { return fTarget.get(); }
    void Clear();

    /// Plug values into manipulator values: the plug-to-manipulator
    /// callbacks, connected distance plugs and connected values.
    void Update();
    /// Every shown manipulator's drawables, in world space: preDrawUI and
    /// drawUI for a plug-in's manipulators, the host's own drawing for
    /// distance manipulators.
    void Draw(MHWRender::MUIDrawManager& drawManager, const ViewState& view);
    /// Names of the visible manipulators, in the order added.
    std::vector<std::string> Manipulators() const;

    /// "widthManip" (its first handle) or "curveManip0:2" (its third).
    bool HandleByName(const std::string& name, MGLuint& handle) const;
    /// The handle drawn nearest the ray, within about 1.5 degrees of it.
    bool Pick(const MPoint& origin, const MVector& direction, const ViewState& view, MGLuint& handle);

    MStatus Press(MGLuint handle, const MPoint& origin, const MVector& direction, std::string& error);
    MStatus Drag(const MPoint& origin, const MVector& direction, std::string& error);
    MStatus Release(std::string& error);

    MGLuint ActiveHandle() const { return fActive; }
    bool MouseRay(MPoint& origin, MVector& direction) const;

private:
    ManipContext() = default;
    const ManipContainerState::Child* ChildOf(MGLuint handle) const;
    void ApplyPlugConversions();

    std::set<unsigned> fConnectTable;
    std::shared_ptr<Node> fContainerNode;
    std::shared_ptr<Node> fTarget;
    MGLuint fActive = 0;
    bool fHasRay = false;
    MPoint fRayOrigin;
    MVector fRayDirection;
    bool fWatchingScene = false;
};
} // namespace vxhost
