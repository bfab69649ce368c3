// spaceLocator, curve, polyCube, polySphere and polyPlane: objects made in
// one step, a transform with its shape, named as Maya names them
// ("pCube1" over "pCubeShape1"; -n box gives "box" over "boxShape"). Sizes
// and positions are typed in the UI linear unit. The shape's geometry is
// built, and checked, before any node is made, so a bad size or knot leaves
// the scene as it was. The history nodes Maya adds (polyCube1, ...) are not
// made: the mesh is set on the shape itself.

#include "PlugLookup.h"

#include "dg/Names.h"
#include "dg/Scene.h"
#include "UndoQueue.h"

#include <maya/MDistance.h>
#include <maya/MDoubleArray.h>
#include <maya/MFnNurbsCurve.h>
#include <maya/MFnNurbsCurveData.h>
#include <maya/MPointArray.h>
#include <vxhost/CommandEngine.h>
#include <vxhost/MeshBuilders.h>
#include <vxhost/ScriptArgs.h>
#include <vxhost/StdString.h>

#include <cctype>
#include <string>

namespace vxhost
{
namespace
{
// Makes the transform (`requested`, or `stem` numbered) and its shape of
// type `shapeType` named after it, sets `geometry` on the shape's input
// attribute (when given), selects the transform and returns its name. On a
// failure nothing is left behind.
MStatus MakeObject(const ScriptStatement& statement, const std::string& stem, const std::string& requested,
                   const char* shapeType, const char* input, const MObject& geometry, CommandResult& result,
                   std::shared_ptr<Node>* outShape = nullptr)
{
    if (!requested.empty() && !IsNodeName(requested))
        return ReportCommandError(statement, QuotedName(requested) + " is not a valid name.",
                                  MStatus::kInvalidParameter);
    Scene& scene = Scene::Get();
    MStatus status;
    const std::shared_ptr<Node> transform =
        scene.CreateNode("transform", requested.empty() ? stem + "1" : requested, nullptr, status);
    if (!transform)
        return ReportCommandError(statement, StatusText(status), status.statusCode());
    // "pCube3" has the shape "pCubeShape3": the number stays at the end.
    std::size_t digits = transform->name.size();
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(transform->name[digits - 1])))
        --digits;
    const std::string shapeName =
        transform->name.substr(0, digits) + "Shape" + transform->name.substr(digits);
    const std::shared_ptr<Node> shape = scene.CreateNode(shapeType, shapeName, transform.get(), status);
    if (shape && !geometry.isNull())
        status = MPlug(shape, shape->PathTo(shape->FindAttribute(input))).setMObject(geometry);
    if (!shape || !status)
    {
        scene.Delete(*transform);
        return ReportCommandError(statement, StatusText(status), status.statusCode());
    }
    scene.Selection().assign(1, transform);
    if (outShape)
        *outShape = shape;
    result.SetString(transform->name);
    return MStatus::kSuccess;
}

// Reads a flag's length in the UI unit, in centimetres.
MStatus ReadLength(const ScriptArgs& args, const char* flag, double& inOut)
{
    double value = MDistance::internalToUI(inOut);
    const MStatus status = args.ReadFlagValue(flag, value);
    if (status && args.IsFlagSet(flag))
        inOut = MDistance::uiToInternal(value);
    return status;
}

// spaceLocator [-n name] [-p x y z]
MStatus SpaceLocatorCommand(const ScriptStatement& statement, CommandResult& result)
{
    static const ScriptSyntax syntax = ScriptSyntax()
                                           .AddFlag("n", "name", 1)
                                           .AddFlag("p", "position", 3)
                                           .AddFlag("a", "absolute")
                                           .AddFlag("r", "relative")
                                           .SetPositionalCount(0, 0);
    ScriptArgs args;
    MStatus status = args.Parse(statement, syntax);
    if (!status)
        return status;
    std::string name;
    args.ReadFlagValue("name", name);
    double position[3] = {0.0, 0.0, 0.0};
    if (args.IsFlagSet("position") && !(status = args.Flag("position").GetDoubles(0, 3, position)))
        return status;
    std::shared_ptr<Node> shape;
    if (status = MakeObject(statement, "locator", name, "locator", nullptr, MObject(), result, &shape);
        !status)
        return status;
    // A locator's position is its shape's offset; the transform stays at
    // the origin, as Maya's spaceLocator -p leaves it.
    const MPlug localPosition(shape, shape->PathTo(shape->FindAttribute("localPosition")));
    for (unsigned c = 0; c < 3; ++c)
        localPosition.child(c).setDouble(MDistance::uiToInternal(position[c]));
    return MStatus::kSuccess;
}

// curve [-d degree] -p x y z ... [-k knot ...] [-n name]
MStatus CurveCommand(const ScriptStatement& statement, CommandResult& result)
{
    static const ScriptSyntax syntax = ScriptSyntax()
                                           .AddFlag("d", "degree", 1)
                                           .AddMultiUseFlag("p", "point", 3)
                                           .AddMultiUseFlag("k", "knot", 1)
                                           .AddFlag("n", "name", 1)
                                           .AddFlag("ws", "worldSpace")
                                           .AddFlag("os", "objectSpace")
                                           .SetPositionalCount(0, 0);
    ScriptArgs args;
    MStatus status = args.Parse(statement, syntax);
    if (!status)
        return status;
    int degree = 3;
    std::string name;
    if (status = args.ReadFlagValue("degree", degree); !status)
        return status;
    args.ReadFlagValue("name", name);
    if (degree < 1 || degree > 7)
        return ReportCommandError(statement,
                                  "The degree must be from 1 to 7, got " + std::to_string(degree) + ".",
                                  MStatus::kInvalidParameter);
    const unsigned degreeU = static_cast<unsigned>(degree);

    MPointArray points;
    for (unsigned use = 0; use < args.FlagUseCount("point"); ++use)
    {
        double xyz[3];
        if (status = args.Flag("point", use).GetDoubles(0, 3, xyz); !status)
            return status;
        points.append(MPoint(MDistance::uiToInternal(xyz[0]), MDistance::uiToInternal(xyz[1]),
                             MDistance::uiToInternal(xyz[2])));
    }
    const unsigned count = points.length();
    if (count < degreeU + 1)
        return ReportCommandError(statement,
                                  "A curve of degree " + std::to_string(degree) + " needs at least " +
                                      std::to_string(degree + 1) + " points (-p), got " +
                                      std::to_string(count) + ".",
                                  MStatus::kInvalidParameter);

    const unsigned knotCount = count + degreeU - 1;
    MDoubleArray knots;
    if (args.IsFlagSet("knot"))
    {
        if (args.FlagUseCount("knot") != knotCount)
            return ReportCommandError(statement,
                                      "A curve of degree " + std::to_string(degree) + " with " +
                                          std::to_string(count) + " points needs " +
                                          std::to_string(knotCount) + " knots (points + degree - 1), got " +
                                          std::to_string(args.FlagUseCount("knot")) + ".",
                                      MStatus::kInvalidParameter);
        for (unsigned use = 0; use < knotCount; ++use)
        {
            double knot = 0.0;
            if (status = args.Flag("knot", use).GetDouble(0, knot); !status)
                return status;
            knots.append(knot);
        }
    }
    else
    {
        // Uniform and open: the ends repeated degree times, one span
        // between each pair of knots ("0 0 0 1 2 2 2" for 5 points, degree 3).
        const unsigned spans = count - degreeU;
        for (unsigned i = 0; i < degreeU; ++i)
            knots.append(0.0);
        for (unsigned i = 1; i < spans; ++i)
            knots.append(i);
        for (unsigned i = 0; i < degreeU; ++i)
            knots.append(spans);
    }
    MObject data = MFnNurbsCurveData().create(&status);
    if (status)
        MFnNurbsCurve().create(points, knots, degreeU, MFnNurbsCurve::kOpen, false, false, data, &status);
    if (!status)
        return ReportCommandError(statement, StatusText(status), status.statusCode());
    return MakeObject(statement, "curve", name, "nurbsCurve", "create", data, result);
}

// The flags every poly primitive takes besides its sizes. History (-ch)
// and UVs (-cuv) are accepted and have nothing to act on.
ScriptSyntax PolySyntax()
{
    return ScriptSyntax()
        .AddFlag("n", "name", 1)
        .AddFlag("ch", "constructionHistory", 1)
        .AddFlag("cuv", "createUVs", 1)
        .SetPositionalCount(0, 0);
}

MStatus ReportMeshError(const ScriptStatement& statement, const MStatus& status)
{
    return ReportCommandError(statement, StatusText(status), status.statusCode());
}

// polyCube [-w width] [-h height] [-d depth] [-n name]
MStatus PolyCubeCommand(const ScriptStatement& statement, CommandResult& result)
{
    static const ScriptSyntax syntax =
        PolySyntax().AddFlag("w", "width", 1).AddFlag("h", "height", 1).AddFlag("d", "depth", 1);
    ScriptArgs args;
    MStatus status = args.Parse(statement, syntax);
    if (!status)
        return status;
    double size[3] = {MDistance::uiToInternal(1.0), MDistance::uiToInternal(1.0),
                      MDistance::uiToInternal(1.0)};
    const char* flags[3] = {"width", "height", "depth"};
    for (unsigned i = 0; i < 3; ++i)
        if (status = ReadLength(args, flags[i], size[i]); !status)
            return status;
    std::string name;
    args.ReadFlagValue("name", name);
    const MObject mesh = MakeBoxMesh(size[0], size[1], size[2], MPoint::origin, &status);
    if (!status)
        return ReportMeshError(statement, status);
    return MakeObject(statement, "pCube", name, "mesh", "inMesh", mesh, result);
}

// polySphere [-r radius] [-sx axis] [-sy height] [-n name]
MStatus PolySphereCommand(const ScriptStatement& statement, CommandResult& result)
{
    static const ScriptSyntax syntax = PolySyntax()
                                           .AddFlag("r", "radius", 1)
                                           .AddFlag("sx", "subdivisionsAxis", 1)
                                           .AddFlag("sy", "subdivisionsHeight", 1);
    ScriptArgs args;
    MStatus status = args.Parse(statement, syntax);
    if (!status)
        return status;
    double radius = MDistance::uiToInternal(1.0);
    int axis = 20, height = 20;
    if (!(status = ReadLength(args, "radius", radius)) || !(status = args.ReadFlagValue("sx", axis)) ||
        !(status = args.ReadFlagValue("sy", height)))
        return status;
    std::string name;
    args.ReadFlagValue("name", name);
    const MObject mesh = MakeSphereMesh(radius, axis, height, MPoint::origin, &status);
    if (!status)
        return ReportMeshError(statement, status);
    return MakeObject(statement, "pSphere", name, "mesh", "inMesh", mesh, result);
}

// polyPlane [-w width] [-h height] [-sx x] [-sy y] [-n name]
MStatus PolyPlaneCommand(const ScriptStatement& statement, CommandResult& result)
{
    static const ScriptSyntax syntax = PolySyntax()
                                           .AddFlag("w", "width", 1)
                                           .AddFlag("h", "height", 1)
                                           .AddFlag("sx", "subdivisionsX", 1)
                                           .AddFlag("sy", "subdivisionsY", 1);
    ScriptArgs args;
    MStatus status = args.Parse(statement, syntax);
    if (!status)
        return status;
    double width = MDistance::uiToInternal(1.0), height = MDistance::uiToInternal(1.0);
    int sx = 10, sy = 10;
    if (!(status = ReadLength(args, "width", width)) || !(status = ReadLength(args, "height", height)) ||
        !(status = args.ReadFlagValue("sx", sx)) || !(status = args.ReadFlagValue("sy", sy)))
        return status;
    std::string name;
    args.ReadFlagValue("name", name);
    const MObject mesh = MakePlaneMesh(width, height, sx, sy, MPoint::origin, &status);
    if (!status)
        return ReportMeshError(statement, status);
    return MakeObject(statement, "pPlane", name, "mesh", "inMesh", mesh, result);
}

const CommandRegistrar kSpaceLocator("spaceLocator", Undoable(SpaceLocatorCommand));
const CommandRegistrar kCurve("curve", Undoable(CurveCommand));
const CommandRegistrar kPolyCube("polyCube", Undoable(PolyCubeCommand));
const CommandRegistrar kPolySphere("polySphere", Undoable(PolySphereCommand));
const CommandRegistrar kPolyPlane("polyPlane", Undoable(PolyPlaneCommand));
} // namespace
} // namespace vxhost
