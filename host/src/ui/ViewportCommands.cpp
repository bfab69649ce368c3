// The viewport's commands:
//
//   playblast -f PATH [-wh W H] [-p PERCENT] [-cam persp|top|front|side]
//             [-fmt png|svg|image] [-fr FRAME]... [-st START -et END]
//     Draws the viewport into PATH. With frames (-fr, or -st/-et) it steps
//     time to each frame in turn and writes PATH.####.ext per frame (the
//     extension taken off PATH first), framing the camera on the scene at
//     the first frame only, then puts time back. Returns the files written.
//     -v, -os, -fo and -orn are accepted, as scripts made for Maya pass
//     them, and change nothing.
//
//   manipulate -show            the lead selection's manipulators, made anew;
//                               returns their names
//   manipulate -list            the names of the manipulators shown
//   manipulate -press NAME -ray PX PY PZ DX DY DZ
//   manipulate -pick -ray ...   press the handle nearest the ray
//   manipulate -drag -ray ...
//   manipulate -release [-ray ...]
//     What the mouse does to a manipulator: NAME is a manipulator's name
//     ("widthManip", "curveManip3"), or NAME:N for the Nth handle after its
//     first. The ray is a point (in the UI's linear unit) and a direction;
//     -mouse X Y gives it instead as a pixel of the last picture drawn
//     (origin at the lower left).
#include "Cameras.h"
#include "Manipulators.h"

#include "commands/UndoQueue.h"
#include "dynamics/Dynamics.h"

#include <maya/MDistance.h>
#include <vxhost/CommandEngine.h>
#include <vxhost/FrameLimits.h>
#include <vxhost/ScriptArgs.h>
#include <vxhost/Viewport.h>

#include <cmath>
#include <string>
#include <vector>

namespace vxhost
{
namespace
{
MStatus PlayblastCommand(const ScriptStatement& statement, CommandResult& result)
{
    static const ScriptSyntax syntax = ScriptSyntax()
                                           .AddFlag("f", "filename", 1)
                                           .AddFlag("wh", "widthHeight", 2)
                                           .AddFlag("p", "percent", 1)
                                           .AddFlag("cam", "camera", 1)
                                           .AddFlag("fmt", "format", 1)
                                           .AddMultiUseFlag("fr", "frame", 1)
                                           .AddFlag("st", "startTime", 1)
                                           .AddFlag("et", "endTime", 1)
                                           .AddFlag("v", "viewer", 1)
                                           .AddFlag("os", "offScreen")
                                           .AddFlag("fo", "forceOverwrite")
                                           .AddFlag("orn", "showOrnaments", 1)
                                           .SetPositionalCount(0, 0);
    ScriptArgs args;
    MStatus status = args.Parse(statement, syntax);
    if (!status)
        return status;
    std::string path;
    if (!(status = args.ReadFlagValue("f", path)))
        return status;
    if (path.empty())
        return ReportCommandError(statement, "A file name is needed: -filename PATH.",
                                  MStatus::kInvalidParameter);

    ViewportOptions options;
    if (args.IsFlagSet("wh"))
    {
        double wh[2];
        if (!(status = args.Flag("wh").GetDoubles(0, 2, wh)))
            return status;
        options.width = static_cast<int>(std::lround(wh[0]));
        options.height = static_cast<int>(std::lround(wh[1]));
    }
    double percent = 100.0;
    if (!(status = args.ReadFlagValue("p", percent)))
        return status;
    options.width = static_cast<int>(std::lround(options.width * percent / 100.0));
    options.height = static_cast<int>(std::lround(options.height * percent / 100.0));
    if (options.width < 1 || options.height < 1 || options.width > 16384 || options.height > 16384)
        return ReportCommandError(statement, "The picture must be 1 to 16384 pixels wide and high.",
                                  MStatus::kInvalidParameter);
    if (!(status = args.ReadFlagValue("cam", options.camera)))
        return status;
    if (!FindCamera(options.camera))
        return ReportCommandError(statement,
                                  "Unknown camera \"" + options.camera + "\": use persp, top, front or side.",
                                  MStatus::kInvalidParameter);

    std::string format;
    if (!(status = args.ReadFlagValue("fmt", format)))
        return status;
    if (format == "svg")
        options.format = ImageFormat::kSvg;
    else if (format == "png")
        options.format = ImageFormat::kPng;
    else if (format.empty() || format == "image")
        options.format = FormatForPath(path);
    else
        return ReportCommandError(statement, "Unknown format \"" + format + "\": use png or svg.",
                                  MStatus::kInvalidParameter);

    std::vector<double> frames;
    for (unsigned use = 0; use < args.FlagUseCount("fr"); ++use)
    {
        double frame = 0.0;
        if (!(status = args.Flag("fr", use).GetDouble(0, frame)))
            return status;
        if (const std::string error = FrameLimitError(frame); !error.empty())
            return ReportCommandError(statement, error, MStatus::kInvalidParameter);
        frames.push_back(frame);
    }
    if (args.IsFlagSet("st") || args.IsFlagSet("et"))
    {
        Dynamics& dynamics = Dynamics::Get();
        double start = dynamics.StartFrame(), end = dynamics.EndFrame();
        if (!(status = args.ReadFlagValue("st", start)) || !(status = args.ReadFlagValue("et", end)))
            return status;
        for (const double t : {start, end})
            if (const std::string error = FrameLimitError(t, "The time"); !error.empty())
                return ReportCommandError(statement, error, MStatus::kInvalidParameter);
        if (end < start)
            return ReportCommandError(statement, "The end time comes before the start time.",
                                      MStatus::kInvalidParameter);
        if (end - start >= kFrameLimit)
            return ReportCommandError(statement, "More than 10 million frames from -st to -et.",
                                      MStatus::kInvalidParameter);
        for (double f = start; f <= end + 1e-9; f += 1.0)
            frames.push_back(f);
    }

    if (frames.empty())
    {
        const char* extension = options.format == ImageFormat::kSvg ? ".svg" : ".png";
        if (FormatForPath(path) != options.format || path.size() < 4 ||
            FormatForPath(path.substr(path.size() - 4)) != FormatForPath(std::string("x") + extension) ||
            (options.format == ImageFormat::kPng && !path.ends_with(".png") && !path.ends_with(".PNG")))
            path += extension;
        status = RenderViewport(options, path);
        if (!status)
            return ReportCommandError(statement, status.errorString().asChar(), status.statusCode());
        result.SetString(path);
        return MStatus::kSuccess;
    }

    std::string base = path;
    if (base.size() > 4 && (base.ends_with(".png") || base.ends_with(".svg")))
        base.resize(base.size() - 4);
    Dynamics& dynamics = Dynamics::Get();
    const double original = dynamics.CurrentFrame();
    std::vector<std::string> written;
    for (std::size_t i = 0; i < frames.size() && status; ++i)
    {
        if (!(status = dynamics.SetCurrentFrame(frames[i])))
            break;
        // Framed once, so the camera and the grid hold still through the
        // sequence.
        options.fitView = i == 0;
        if (i == 0)
        {
            MBoundingBox bounds;
            bool bounded = false;
            if (ViewportBounds(options, bounds, bounded) && bounded)
                options.fixedBounds = bounds;
        }
        const std::string file =
            FrameFileName(base, static_cast<int>(std::lround(frames[i])), options.format);
        if ((status = RenderViewport(options, file)))
            written.push_back(file);
    }
    const MStatus back = dynamics.SetCurrentFrame(original);
    if (!status)
        return ReportCommandError(statement, status.errorString().asChar(), status.statusCode());
    if (!back)
        return ReportCommandError(statement, back.errorString().asChar(), back.statusCode());
    result.SetStrings(written);
    return MStatus::kSuccess;
}

// The ray of a mouse event from -ray or -mouse; false (nothing reported)
// when neither was given.
MStatus ReadRay(const ScriptStatement& statement, const ScriptArgs& args, bool& given, MPoint& origin,
                MVector& direction)
{
    given = false;
    MStatus status;
    if (args.IsFlagSet("ray") && args.IsFlagSet("mouse"))
        return ReportCommandError(statement, "Give the ray by -ray or -mouse, not both.",
                                  MStatus::kInvalidParameter);
    if (args.IsFlagSet("ray"))
    {
        double v[6];
        if (!(status = args.Flag("ray").GetDoubles(0, 6, v)))
            return status;
        origin = MPoint(MDistance::uiToInternal(v[0]), MDistance::uiToInternal(v[1]),
                        MDistance::uiToInternal(v[2]));
        direction = MVector(v[3], v[4], v[5]);
        if (direction.length() == 0.0)
            return ReportCommandError(statement, "The ray's direction must not be zero.",
                                      MStatus::kInvalidParameter);
        given = true;
    }
    else if (args.IsFlagSet("mouse"))
    {
        double xy[2];
        if (!(status = args.Flag("mouse").GetDoubles(0, 2, xy)))
            return status;
        const ViewState& view = ActiveView();
        view.MakeProjector().Ray(xy[0], view.height - xy[1], origin, direction);
        given = true;
    }
    return MStatus::kSuccess;
}

MStatus ManipulateCommand(const ScriptStatement& statement, CommandResult& result)
{
    static const ScriptSyntax syntax = ScriptSyntax()
                                           .AddFlag("sh", "show")
                                           .AddFlag("ls", "list")
                                           .AddFlag("pr", "press", 1)
                                           .AddFlag("pk", "pick")
                                           .AddFlag("dr", "drag")
                                           .AddFlag("rl", "release")
                                           .AddFlag("r", "ray", 6)
                                           .AddFlag("m", "mouse", 2)
                                           .SetPositionalCount(0, 0);
    ScriptArgs args;
    MStatus status = args.Parse(statement, syntax);
    if (!status)
        return status;
    int actions = 0;
    for (const char* flag : {"sh", "ls", "pr", "pk", "dr", "rl"})
        actions += args.IsFlagSet(flag) ? 1 : 0;
    if (actions != 1)
        return ReportCommandError(statement, "Give one of -show, -list, -press, -pick, -drag and -release.",
                                  MStatus::kInvalidParameter);
    bool rayGiven = false;
    MPoint origin;
    MVector direction;
    if (!(status = ReadRay(statement, args, rayGiven, origin, direction)))
        return status;

    ManipContext& context = ManipContext::Get();
    std::string error;
    if (!(status = context.Sync(args.IsFlagSet("sh"), error)))
        return ReportCommandError(statement, error, status.statusCode());
    if (args.IsFlagSet("sh") || args.IsFlagSet("ls"))
    {
        if (args.IsFlagSet("sh") && !context.Container())
            return ReportCommandError(statement, "The selection has no manipulators to show.",
                                      MStatus::kNotFound);
        result.SetStrings(context.Manipulators());
        return MStatus::kSuccess;
    }
    if (!context.Container())
        return ReportCommandError(statement, "No manipulators are shown: select a node that has them.",
                                  MStatus::kNotFound);
    if (!rayGiven && !args.IsFlagSet("rl"))
        return ReportCommandError(statement, "The mouse needs a ray: -ray or -mouse.",
                                  MStatus::kInvalidParameter);

    if (args.IsFlagSet("pr") || args.IsFlagSet("pk"))
    {
        MGLuint handle = 0;
        if (args.IsFlagSet("pr"))
        {
            std::string name;
            if (!(status = args.ReadFlagValue("pr", name)))
                return status;
            if (!context.HandleByName(name, handle))
                return ReportCommandError(statement, "No manipulator handle \"" + name + "\" is shown.",
                                          MStatus::kNotFound);
        }
        else if (!context.Pick(origin, direction, ActiveView(), handle))
            return ReportCommandError(statement, "No manipulator handle lies under the ray.",
                                      MStatus::kNotFound);
        status = context.Press(handle, origin, direction, error);
    }
    else if (args.IsFlagSet("dr"))
        status = context.Drag(origin, direction, error);
    else
    {
        if (rayGiven)
            status = context.Drag(origin, direction, error);
        if (status)
            status = context.Release(error);
    }
    if (!status)
        return ReportCommandError(statement, error, status.statusCode());
    return MStatus::kSuccess;
}

const CommandRegistrar kPlayblast("playblast", PlayblastCommand);
const CommandRegistrar kManipulate("manipulate", Undoable(ManipulateCommand));
} // namespace
} // namespace vxhost
