// particle, connectDynamic, currentTime and playbackOptions: making particle
// systems, wiring fields to them, and moving time.

#include "ParticleArrays.h"

#include "dg/DataObjects.h"
#include "dg/Names.h"
#include "dg/Scene.h"
#include "dynamics/Dynamics.h"
#include "dynamics/ParticleNode.h"
#include "UndoQueue.h"

#include <vxhost/FrameLimits.h>

#include <maya/MDistance.h>
#include <vxhost/CommandEngine.h>
#include <vxhost/ScriptArgs.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>

namespace vxhost
{
namespace
{
// The host's own generator for jitter: the plug-in's C-runtime sequence is
// never drawn from, so a scene's flock depends only on the scene and the
// seed command.
std::mt19937& JitterGenerator()
{
    static constexpr unsigned kSeed = 20220300u;
    static std::mt19937 generator = []
    {
        // A new scene starts the sequence afresh, so a scene run twice in
        // one process places its particles the same way.
        Scene::Get().OnReset([] { JitterGenerator().seed(kSeed); });
        return std::mt19937(kSeed);
    }();
    return generator;
}

MVector UiPoint(const double xyz[3])
{
    return MVector(MDistance::uiToInternal(xyz[0]), MDistance::uiToInternal(xyz[1]),
                   MDistance::uiToInternal(xyz[2]));
}

// particle -q -count [name]: the object named, or the first selected.
MStatus QueryParticle(const ScriptStatement& statement, const ScriptArgs& args, CommandResult& result)
{
    std::string name;
    if (args.Positionals().Count() > 0)
        args.Positionals().GetString(0, name);
    else if (!Scene::Get().Selection().empty())
        name = Scene::Get().Selection().back()->name;
    const std::shared_ptr<Node> shape = FindParticleShape(name);
    if (!shape)
        return ReportCommandError(statement,
                                  name.empty() ? "Name the particle object to query."
                                               : "\"" + name + "\" is no particle object.",
                                  MStatus::kInvalidParameter);
    if (!args.IsFlagSet("count"))
        return ReportCommandError(statement, "Query -count.", MStatus::kInvalidParameter);
    result.SetInt(static_cast<int>(ParticleCount(*shape)));
    return MStatus::kSuccess;
}

MStatus ParticleCommand(const ScriptStatement& statement, CommandResult& result)
{
    static const ScriptSyntax syntax = ScriptSyntax()
                                           .AddMultiUseFlag("p", "position", 3)
                                           .AddFlag("ll", "lowerLeft", 3)
                                           .AddFlag("ur", "upperRight", 3)
                                           .AddFlag("grs", "gridSpacing", 1)
                                           .AddMultiUseFlag("jbp", "jitterBasePoint", 3)
                                           .AddFlag("nj", "numJitters", 1)
                                           .AddFlag("jr", "jitterRadius", 1)
                                           .AddFlag("c", "conserve", 1)
                                           .AddFlag("n", "name", 1)
                                           .AddFlag("ct", "count")
                                           .EnableQuery()
                                           .SetPositionalCount(0, 1);
    ScriptArgs args;
    MStatus status = args.Parse(statement, syntax);
    if (!status)
        return status;
    if (args.IsQuery())
        return QueryParticle(statement, args, result);
    if (args.Positionals().Count() > 0)
        return ReportCommandError(statement, "Name a particle object only to query it (particle -q -count name).",
                                  MStatus::kInvalidParameter);

    MVectorArray positions;
    for (unsigned use = 0; use < args.FlagUseCount("p"); ++use)
    {
        double xyz[3];
        if (status = args.Flag("p", use).GetDoubles(0, 3, xyz); !status)
            return status;
        positions.append(UiPoint(xyz));
    }
    if (args.IsFlagSet("ll") || args.IsFlagSet("ur"))
    {
        double ll[3] = {0, 0, 0}, ur[3] = {0, 0, 0}, spacing = 1.0;
        if (!args.IsFlagSet("ll") || !args.IsFlagSet("ur"))
            return ReportCommandError(statement, "A grid needs both -lowerLeft and -upperRight.",
                                      MStatus::kInvalidParameter);
        if ((status = args.Flag("ll").GetDoubles(0, 3, ll)) &&
            (status = args.Flag("ur").GetDoubles(0, 3, ur)))
            status = args.ReadFlagValue("grs", spacing);
        if (!status)
            return status;
        if (!(spacing > 0.0))
            return ReportCommandError(statement, "The grid spacing must be greater than 0.",
                                      MStatus::kInvalidParameter);
        // Counted in doubles first: a huge extent must be refused, not
        // overflow an int.
        double perAxis[3];
        double cells = 1.0;
        for (int k = 0; k < 3; ++k)
        {
            perAxis[k] = std::max(std::floor((ur[k] - ll[k]) / spacing + 1e-9) + 1.0, 0.0);
            cells *= perAxis[k];
        }
        if (!std::isfinite(cells))
            return ReportCommandError(statement, "The grid's corners must be finite numbers.",
                                      MStatus::kInvalidParameter);
        if (const std::string refusal = CheckParticleMemory(positions.length() + cells); !refusal.empty())
            return ReportCommandError(statement, "The grid is too large: " + refusal, MStatus::kInvalidParameter);
        const int counts[3] = {static_cast<int>(perAxis[0]), static_cast<int>(perAxis[1]),
                               static_cast<int>(perAxis[2])};
        // Exactly as many as come: the array is the shape's for the whole run.
        positions.reserve(positions.length() + static_cast<unsigned>(cells));
        for (int i = 0; i < counts[0]; ++i)
            for (int j = 0; j < counts[1]; ++j)
                for (int k = 0; k < counts[2]; ++k)
                {
                    const double p[3] = {ll[0] + i * spacing, ll[1] + j * spacing, ll[2] + k * spacing};
                    positions.append(UiPoint(p));
                }
    }
    if (args.IsFlagSet("jbp"))
    {
        int jitters = 1;
        double radius = 0.0;
        if ((status = args.ReadFlagValue("nj", jitters)) && (status = args.ReadFlagValue("jr", radius));
            !status)
            return status;
        if (jitters < 0 || radius < 0.0)
            return ReportCommandError(statement, "-numJitters and -jitterRadius must not be negative.",
                                      MStatus::kInvalidParameter);
        const double jittered = static_cast<double>(jitters) * args.FlagUseCount("jbp");
        if (const std::string refusal = CheckParticleMemory(positions.length() + jittered); !refusal.empty())
            return ReportCommandError(statement, "Too many particles: " + refusal, MStatus::kInvalidParameter);
        positions.reserve(positions.length() + static_cast<unsigned>(jittered));
        std::uniform_real_distribution<double> unit(-1.0, 1.0);
        for (unsigned use = 0; use < args.FlagUseCount("jbp"); ++use)
        {
            double xyz[3];
            if (status = args.Flag("jbp", use).GetDoubles(0, 3, xyz); !status)
                return status;
            const MVector base = UiPoint(xyz);
            const double r = MDistance::uiToInternal(radius);
            for (int n = 0; n < jitters; ++n)
            {
                // Uniform in the ball: rejection from the cube.
                MVector offset;
                do
                    offset =
                        MVector(unit(JitterGenerator()), unit(JitterGenerator()), unit(JitterGenerator()));
                while (offset * offset > 1.0);
                positions.append(base + offset * r);
            }
        }
    }
    double conserve = 1.0;
    std::string name = "particle";
    if ((status = args.ReadFlagValue("c", conserve)) && (status = args.ReadFlagValue("n", name)); !status)
        return status;
    if (!IsValidName(name))
        return ReportCommandError(statement, QuotedName(name) + " is not a valid name.",
                                  MStatus::kInvalidParameter);

    Scene& scene = Scene::Get();
    const bool numbered = !args.IsFlagSet("n");
    const std::shared_ptr<Node> transform =
        scene.CreateNode("transform", scene.UniqueName(name, numbered), nullptr, status);
    if (!transform)
        return ReportCommandError(statement, status.errorString().asChar());
    std::string stem = transform->name;
    std::string digits;
    while (!stem.empty() && std::isdigit(static_cast<unsigned char>(stem.back())))
    {
        digits.insert(digits.begin(), stem.back());
        stem.pop_back();
    }
    const std::shared_ptr<Node> shape =
        scene.CreateNode("particle", stem + "Shape" + digits, transform.get(), status);
    if (!shape)
    {
        scene.Delete(*transform);
        return ReportCommandError(statement, status.errorString().asChar());
    }
    const ParticleAttributes& a = Particle();
    MDoubleArray ids(positions.length());
    for (unsigned i = 0; i < ids.length(); ++i)
        ids[i] = i;
    auto set = [&](const MObject& attribute, MObject data)
    { shape->Data(shape->PathTo(Attribute::From(attribute)))->data = std::move(data); };
    // Moved, not copied: a million particles are made without a second copy
    // of their positions (reserved to the count above, so no room is left over).
    set(a.velocity, MObject(std::make_shared<VectorArrayData>(MVectorArray(positions.length()))));
    set(a.position, MObject(std::make_shared<VectorArrayData>(std::move(positions))));
    set(a.particleId, MObject(std::make_shared<DoubleArrayData>(std::move(ids))));
    shape->Data(shape->PathTo(Attribute::From(a.conserve)))->numbers[0] = conserve;
    scene.Touch();
    result.SetStrings({transform->name, shape->name});
    return MStatus::kSuccess;
}

// The particle shape a name stands for: the shape itself or its transform.
std::shared_ptr<Node> ParticleShape(const std::string& name)
{
    std::shared_ptr<Node> node = Scene::Get().Find(name);
    if (node && node->cls->typeName != "particle")
        for (const auto& child : node->children)
            if (child->cls->typeName == "particle")
                return child;
    return node && node->cls->typeName == "particle" ? node : nullptr;
}

// The first logical index without an element (connections make elements).
unsigned FreeIndex(Node& node, const PlugPath& arrayPath)
{
    const DataNode* array = node.FindData(arrayPath);
    unsigned index = 0;
    while (array && array->FindElement(index))
        ++index;
    return index;
}

MStatus ConnectDynamicCommand(const ScriptStatement& statement, CommandResult& result)
{
    static const ScriptSyntax syntax = ScriptSyntax().AddMultiUseFlag("f", "fields", 1);
    ScriptArgs args;
    MStatus status = args.Parse(statement, syntax);
    if (!status)
        return status;
    Scene& scene = Scene::Get();
    std::vector<std::shared_ptr<Node>> fields;
    for (unsigned use = 0; use < args.FlagUseCount("f"); ++use)
    {
        std::string name;
        if (status = args.Flag("f", use).GetString(0, name); !status)
            return status;
        std::shared_ptr<Node> field = scene.Find(name);
        if (!field || !field->cls->IsA("field"))
            return ReportCommandError(statement, "No field named \"" + name + "\".",
                                      MStatus::kInvalidParameter);
        fields.push_back(field);
    }
    std::vector<std::shared_ptr<Node>> systems;
    const ScriptValues objects = args.Positionals();
    for (unsigned i = 0; i < objects.Count(); ++i)
    {
        std::string name;
        objects.GetString(i, name);
        std::shared_ptr<Node> shape = ParticleShape(name);
        if (!shape)
            return ReportCommandError(statement, "\"" + name + "\" is no particle object.",
                                      MStatus::kInvalidParameter);
        systems.push_back(shape);
    }
    if (systems.empty())
        for (const auto& node : scene.Selection())
            if (std::shared_ptr<Node> shape = ParticleShape(node->name))
                systems.push_back(shape);
    if (fields.empty() || systems.empty())
        return ReportCommandError(statement, "Give the fields with -f and the particle objects to connect.",
                                  MStatus::kInvalidParameter);

    const ParticleAttributes& a = Particle();
    for (const auto& system : systems)
        for (const auto& field : fields)
        {
            const Attribute* outputForce = field->FindAttribute("outputForce");
            bool connected = false;
            for (const Connection* c : scene.ConnectionsAt(
                     *system, system->PathTo(Attribute::From(a.inputForce)), false, true, true))
                connected = connected || (c->source == field && c->sourcePath[0].attribute == outputForce);
            if (connected)
            {
                ReportCommandWarning(statement,
                                     field->name + " is already connected to " + system->name + ".");
                continue;
            }
            PlugPath inputData = field->PathTo(field->FindAttribute("inputData"));
            PlugPath inputPP = field->PathTo(field->FindAttribute("inputPPData"));
            PlugPath force = field->PathTo(outputForce);
            PlugPath systemForce = system->PathTo(Attribute::From(a.inputForce));
            PlugPath systemPP = system->PathTo(Attribute::From(a.ppFieldData));
            const int i = static_cast<int>(FreeIndex(*field, inputData));
            const int j = static_cast<int>(FreeIndex(*system, systemForce));
            inputData.back().index = inputPP.back().index = force.back().index = i;
            systemForce.back().index = systemPP.back().index = j;
            const MPlug fieldData(system, system->PathTo(Attribute::From(a.fieldData)));
            if (!(status = scene.Connect(fieldData, MPlug(field, inputData), false)) ||
                !(status = scene.Connect(MPlug(system, systemPP), MPlug(field, inputPP), false)) ||
                !(status = scene.Connect(MPlug(field, force), MPlug(system, systemForce), false)))
                return ReportCommandError(statement, status.errorString().asChar());
        }
    std::vector<std::string> names;
    for (const auto& system : systems)
        names.push_back(system->name);
    result.SetStrings(names);
    return MStatus::kSuccess;
}

MStatus CurrentTimeCommand(const ScriptStatement& statement, CommandResult& result)
{
    static const ScriptSyntax syntax = ScriptSyntax().EnableQuery().SetPositionalCount(0, 1);
    ScriptArgs args;
    MStatus status = args.Parse(statement, syntax);
    if (!status)
        return status;
    Dynamics& dynamics = Dynamics::Get();
    if (!args.IsQuery())
    {
        double frame = 0.0;
        if (args.Positionals().Count() == 0)
            return ReportCommandError(statement, "Give the time to go to.", MStatus::kInvalidParameter);
        if (status = args.Positionals().GetDouble(0, frame); !status)
            return status;
        if (const std::string error = FrameLimitError(frame, "The time"); !error.empty())
            return ReportCommandError(statement, error, MStatus::kInvalidParameter);
        if (status = dynamics.SetCurrentFrame(frame); !status)
            return ReportCommandError(statement, "Stepping the dynamics failed: " +
                                                     std::string(status.errorString().asChar()));
    }
    result.SetDouble(dynamics.CurrentFrame());
    return MStatus::kSuccess;
}

// playbackOptions [-q] [-min t] [-max t] [-ast t] [-aet t] [-by step]
// The animation range always holds the playback range, as in Maya: a
// playback range set beyond it widens it, an animation range set inside
// the playback range narrows that.
MStatus PlaybackOptionsCommand(const ScriptStatement& statement, CommandResult& result)
{
    static const ScriptSyntax syntax = ScriptSyntax()
                                           .EnableQuery()
                                           .AddFlag("min", "minTime", 1)
                                           .AddFlag("max", "maxTime", 1)
                                           .AddFlag("ast", "animationStartTime", 1)
                                           .AddFlag("aet", "animationEndTime", 1)
                                           .AddFlag("by", "by", 1)
                                           .SetPositionalCount(0, 0);
    ScriptArgs args;
    MStatus status = args.Parse(statement, syntax);
    if (!status)
        return status;
    Dynamics& dynamics = Dynamics::Get();
    const char* const flags[] = {"min", "max", "ast", "aet", "by"};
    if (args.IsQuery())
    {
        const auto given = std::count_if(std::begin(flags), std::end(flags),
                                         [&](const char* flag) { return args.IsFlagSet(flag); });
        if (given != 1)
            return ReportCommandError(statement,
                                      "Query one of -minTime, -maxTime, -animationStartTime, "
                                      "-animationEndTime and -by.",
                                      MStatus::kInvalidParameter);
        result.SetDouble(args.IsFlagSet("min")   ? dynamics.StartFrame()
                         : args.IsFlagSet("max") ? dynamics.EndFrame()
                         : args.IsFlagSet("ast") ? dynamics.AnimationStart()
                         : args.IsFlagSet("aet") ? dynamics.AnimationEnd()
                                                 : dynamics.PlaybackBy());
        return MStatus::kSuccess;
    }
    double start = dynamics.StartFrame(), end = dynamics.EndFrame();
    double animationStart = dynamics.AnimationStart(), animationEnd = dynamics.AnimationEnd();
    double by = dynamics.PlaybackBy();
    if (!(status = args.ReadFlagValue("min", start)) || !(status = args.ReadFlagValue("max", end)) ||
        !(status = args.ReadFlagValue("ast", animationStart)) ||
        !(status = args.ReadFlagValue("aet", animationEnd)) || !(status = args.ReadFlagValue("by", by)))
        return status;
    for (const double t : {start, end, animationStart, animationEnd, by})
        if (const std::string error = FrameLimitError(t, "The time"); !error.empty())
            return ReportCommandError(statement, error, MStatus::kInvalidParameter);
    if (end < start || animationEnd < animationStart)
        return ReportCommandError(statement, "The end time must not come before the start time.",
                                  MStatus::kInvalidParameter);
    if (!(by > 0.0))
        return ReportCommandError(statement, "-by must be greater than 0.", MStatus::kInvalidParameter);
    if (args.IsFlagSet("ast"))
        start = std::clamp(start, animationStart, std::max(animationStart, animationEnd));
    if (args.IsFlagSet("aet"))
        end = std::clamp(end, start, animationEnd);
    dynamics.SetRange(start, end);
    if (args.IsFlagSet("ast") || args.IsFlagSet("aet"))
        dynamics.SetAnimationRange(animationStart, animationEnd);
    dynamics.SetPlaybackBy(by);
    return MStatus::kSuccess;
}

const CommandRegistrar kParticle("particle", Undoable(ParticleCommand));
const CommandRegistrar kConnectDynamic("connectDynamic", Undoable(ConnectDynamicCommand));
const CommandRegistrar kCurrentTime("currentTime", CurrentTimeCommand);
const CommandRegistrar kPlaybackOptions("playbackOptions", PlaybackOptionsCommand);
} // namespace
} // namespace vxhost
