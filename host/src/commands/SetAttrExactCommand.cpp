// setAttrExact: a host command that saved scenes use where setAttr cannot
// say exactly what was stored. It sets a distance, angle or time in the
// graph's own units (centimetres, radians, seconds) with no conversion, and
// mesh and curve geometry from the text file -save writes:
//
//   setAttrExact ball.rotateX 0.52359877559829893;
//   setAttrExact boxShape.inMesh -type mesh
//       <vertex count> x y z ... <polygon count> <vertex count of each polygon> ... <vertex indices> ...;
//   setAttrExact pathShape.create -type nurbsCurve
//       <degree> <form: 1 open, 2 closed, 3 periodic> <CV count> x y z ... <knot count> knots ...;

#include "PlugLookup.h"

#include "dg/Scene.h"
#include "UndoQueue.h"

#include <maya/MDoubleArray.h>
#include <maya/MFloatPointArray.h>
#include <maya/MFnData.h>
#include <maya/MFnMesh.h>
#include <maya/MFnNurbsCurve.h>
#include <maya/MFnNurbsCurveData.h>
#include <maya/MIntArray.h>
#include <maya/MPointArray.h>
#include <vxhost/CommandEngine.h>
#include <vxhost/ScriptArgs.h>

#include <string>

namespace vxhost
{
namespace
{
// Reads the values after the plug one by one, naming the place of a
// missing or wrong one.
class ValueReader
{
public:
    ValueReader(const ScriptStatement& statement, const ScriptValues& values)
        : fStatement(statement), fValues(values)
    {
    }

    MStatus Count(const char* what, int& out)
    {
        if (MStatus status = Need(what); !status)
            return status;
        if (MStatus status = fValues.GetInt(fNext++, out); !status)
            return status;
        if (out < 0)
            return ReportCommandError(fStatement, std::string("The ") + what + " must not be negative.",
                                      MStatus::kInvalidParameter);
        return MStatus::kSuccess;
    }
    MStatus Number(const char* what, double& out)
    {
        if (MStatus status = Need(what); !status)
            return status;
        return fValues.GetDouble(fNext++, out);
    }
    // Whether `count` more values can follow; a count larger than the
    // values written is refused before anything is allocated for it.
    MStatus Room(double count, const char* what)
    {
        if (count <= fValues.Count() - fNext)
            return MStatus::kSuccess;
        return ReportCommandError(fStatement, std::string("The values end before the ") + what + ".",
                                  MStatus::kInvalidParameter);
    }
    MStatus Finish()
    {
        if (fNext == fValues.Count())
            return MStatus::kSuccess;
        return ReportCommandError(
            fStatement, "Too many values: " + std::to_string(fValues.Count() - fNext) + " left over.",
            MStatus::kInvalidParameter);
    }

private:
    MStatus Need(const char* what)
    {
        if (fNext < fValues.Count())
            return MStatus::kSuccess;
        return ReportCommandError(fStatement, std::string("The values end before the ") + what + ".",
                                  MStatus::kInvalidParameter);
    }

    const ScriptStatement& fStatement;
    const ScriptValues& fValues;
    unsigned fNext = 1; // after the plug
};

MStatus ReadMesh(ValueReader& reader, MObject& out, std::string& error)
{
    int vertices = 0, polygons = 0;
    MStatus status = reader.Count("vertex count", vertices);
    if (status)
        status = reader.Room(3.0 * vertices, "vertex positions");
    MFloatPointArray points(status ? static_cast<unsigned>(vertices) : 0u);
    for (int i = 0; status && i < vertices; ++i)
    {
        double xyz[3] = {0, 0, 0};
        for (int c = 0; status && c < 3; ++c)
            status = reader.Number("vertex positions", xyz[c]);
        points[static_cast<unsigned>(i)] =
            MFloatPoint(static_cast<float>(xyz[0]), static_cast<float>(xyz[1]), static_cast<float>(xyz[2]));
    }
    if (status)
        status = reader.Count("polygon count", polygons);
    if (status)
        status = reader.Room(polygons, "polygon vertex counts");
    MIntArray counts(status ? static_cast<unsigned>(polygons) : 0u);
    double connectCount = 0.0; // a sum of counts may pass int's range before Room refuses it
    for (unsigned i = 0; status && i < counts.length(); ++i)
    {
        status = reader.Count("polygon vertex counts", counts[i]);
        connectCount += counts[i];
    }
    if (status)
        status = reader.Room(connectCount, "polygon vertex indices");
    MIntArray connects(status ? static_cast<unsigned>(connectCount) : 0u);
    for (unsigned i = 0; status && i < connects.length(); ++i)
        status = reader.Count("polygon vertex indices", connects[i]);
    if (status)
        status = reader.Finish();
    if (!status)
        return status;
    out = MFnMesh().create(vertices, polygons, points, counts, connects, MObject::kNullObj, &status);
    if (!status)
        error = StatusText(status);
    return status;
}

MStatus ReadCurve(ValueReader& reader, MObject& out, std::string& error)
{
    int degree = 0, form = 0, cvCount = 0, knotCount = 0;
    MStatus status = reader.Count("degree", degree);
    if (status)
        status = reader.Count("form", form);
    if (status)
        status = reader.Count("CV count", cvCount);
    if (status)
        status = reader.Room(3.0 * cvCount, "CV positions");
    MPointArray cvs(status ? static_cast<unsigned>(cvCount) : 0u);
    for (unsigned i = 0; status && i < cvs.length(); ++i)
        for (int c = 0; status && c < 3; ++c)
        {
            double value = 0.0;
            status = reader.Number("CV positions", value);
            (c == 0 ? cvs[i].x : c == 1 ? cvs[i].y : cvs[i].z) = value;
        }
    if (status)
        status = reader.Count("knot count", knotCount);
    if (status)
        status = reader.Room(knotCount, "knots");
    MDoubleArray knots(status ? static_cast<unsigned>(knotCount) : 0u);
    for (unsigned i = 0; status && i < knots.length(); ++i)
        status = reader.Number("knots", knots[i]);
    if (status)
        status = reader.Finish();
    if (!status)
        return status;
    if (form < MFnNurbsCurve::kOpen || form > MFnNurbsCurve::kPeriodic)
    {
        error = "The form must be 1 (open), 2 (closed) or 3 (periodic), got " + std::to_string(form) + ".";
        return MStatus::kInvalidParameter;
    }
    out = MFnNurbsCurveData().create(&status);
    if (status)
        MFnNurbsCurve().create(cvs, knots, static_cast<unsigned>(degree),
                               static_cast<MFnNurbsCurve::Form>(form), false, false, out, &status);
    if (!status)
        error = StatusText(status);
    return status;
}

// setAttrExact plug number | setAttrExact plug -type (mesh | nurbsCurve) values...
MStatus SetAttrExactCommand(const ScriptStatement& statement, CommandResult&)
{
    static const ScriptSyntax syntax = ScriptSyntax().AddFlag("typ", "type", 1).SetPositionalCount(1);
    ScriptArgs args;
    MStatus status = args.Parse(statement, syntax);
    if (!status)
        return status;
    const ScriptValues values = args.Positionals();
    std::string name, type, error;
    values.GetString(0, name);
    args.ReadFlagValue("type", type);
    MPlug plug = LookUpPlug(name, error);
    if (plug.isNull())
        return ReportCommandError(statement, error, MStatus::kInvalidParameter);
    const Attribute& a = *PlugAttribute(plug);
    std::string quoted = "'";
    quoted.append(plug.name().asChar()).append("'");
    if (plug.isArray() || !a.writable)
        return ReportCommandError(statement, "The attribute " + quoted + " cannot be set.",
                                  MStatus::kInvalidParameter);
    if (!DrivingPlug(plug).isNull())
        return ReportCommandError(statement, "The attribute " + quoted +
                                                 " is locked or connected and cannot be modified.");

    ValueReader reader(statement, values);
    if (type.empty())
    {
        const bool number = (a.kind == AttributeKind::kNumeric || a.kind == AttributeKind::kUnit ||
                             a.kind == AttributeKind::kEnum) &&
                            a.ComponentCount() == 1;
        if (!number)
            return ReportCommandError(statement,
                                      "The attribute " + quoted + " holds no single number: give -type.",
                                      MStatus::kInvalidParameter);
        double value = 0.0;
        if (!(status = reader.Number("value", value)) || !(status = reader.Finish()))
            return status;
        status = plug.setDouble(value);
    }
    else
    {
        const bool mesh = type == "mesh";
        if (!mesh && type != "nurbsCurve")
            return ReportCommandError(statement,
                                      "Invalid data type \"" + type + "\". Use mesh or nurbsCurve.",
                                      MStatus::kInvalidParameter);
        const int held = mesh ? MFnData::kMesh : MFnData::kNurbsCurve;
        if (a.kind != AttributeKind::kTyped || (a.dataType != held && a.dataType != MFnData::kAny))
            return ReportCommandError(statement, "The attribute " + quoted + " holds no " + type + ".",
                                      MStatus::kInvalidParameter);
        MObject data;
        status = mesh ? ReadMesh(reader, data, error) : ReadCurve(reader, data, error);
        if (!status)
            return error.empty() ? status : ReportCommandError(statement, error, status.statusCode());
        status = plug.setMObject(data);
    }
    if (!status)
        return ReportCommandError(statement, StatusText(status), status.statusCode());
    return MStatus::kSuccess;
}

const CommandRegistrar kSetAttrExact("setAttrExact", Undoable(SetAttrExactCommand));
} // namespace
} // namespace vxhost
