// emit: adds particles to a particle shape at the current frame, as Maya's
// command of that name does. The new particles get fresh ids and age 0,
// every per-particle array in use grows by them, and the shape's creation
// expression runs for them.

#include "DynExpression.h"
#include "EmitLog.h"
#include "ParticleArrays.h"
#include "PlugLookup.h"

#include "dg/Scene.h"
#include "dg/SceneChanges.h"
#include "dynamics/Dynamics.h"
#include "dynamics/ParticleNode.h"
#include "UndoQueue.h"

#include <maya/MDistance.h>
#include <vxhost/CommandEngine.h>
#include <vxhost/ScriptArgs.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <string>
#include <vector>

namespace vxhost
{
namespace
{
std::vector<EmitRecord>& Log()
{
    static std::vector<EmitRecord> log;
    return log;
}

// For undo and redo: takes the records out of the log (false when they are
// not in it), or puts them back in the order they were made.
bool Withdraw(const std::vector<EmitRecord>& records)
{
    const std::size_t before = Log().size();
    std::erase_if(Log(),
                  [&](const EmitRecord& r)
                  {
                      return std::any_of(records.begin(), records.end(),
                                         [&r](const EmitRecord& g) { return g.serial == r.serial; });
                  });
    return Log().size() != before;
}

void Reinstate(const std::vector<EmitRecord>& records)
{
    for (const EmitRecord& record : records)
    {
        const auto later = std::find_if(Log().begin(), Log().end(),
                                        [&](const EmitRecord& r) { return r.serial > record.serial; });
        Log().insert(later, record);
    }
}

const bool kLogHooks = []
{
    Scene::Get().OnReset([] { Log().clear(); });
    Scene::Get().OnDelete(
        [](Node& node)
        {
            if (SceneChanges* record = SceneChanges::Recording())
            {
                std::vector<EmitRecord> gone;
                std::copy_if(Log().begin(), Log().end(), std::back_inserter(gone),
                             [&node](const EmitRecord& r) { return r.shape == &node; });
                if (!gone.empty())
                    record->Toggle([keep = node.Self(), gone]
                                   {
                                       if (!Withdraw(gone))
                                           Reinstate(gone);
                                   });
            }
            std::erase_if(Log(), [&node](const EmitRecord& r) { return r.shape == &node; });
        });
    Dynamics::Get().AddParticleHook(
        [](ParticlePhase phase, double, const std::vector<std::shared_ptr<Node>>&)
        {
            // Going back and stepping again replays the run from the kept
            // state: what was emitted into the old run is gone.
            if (phase == ParticlePhase::kStartOfRun)
                Log().clear();
            return MStatus(MStatus::kSuccess);
        });
    return true;
}();

// The values one -attribute gives: one per new particle, or one for all.
struct GivenValues
{
    std::string name;
    const ParticleArray* array = nullptr;
    std::vector<MVector> vectors;
    std::vector<double> numbers;
};

// Positions and velocities are typed in the UI linear unit, as -position is.
bool IsDistance(const Attribute& attribute)
{
    const ParticleAttributes& a = Particle();
    return &attribute == Attribute::From(a.position) || &attribute == Attribute::From(a.velocity);
}

// Reads the -attribute groups: each -vectorValue and -floatValue belongs to
// the -attribute before it, so the statement is walked in order.
MStatus ReadGivenValues(const ScriptStatement& statement, const ScriptArgs& args,
                        const std::vector<ParticleArray>& arrays, const Node& shape,
                        std::vector<GivenValues>& out)
{
    unsigned attributeUse = 0, vectorUse = 0, floatUse = 0;
    for (const ScriptArgument& argument : statement.arguments)
    {
        if (argument.kind != ScriptArgument::Kind::kFlag)
            continue;
        const std::string& flag = argument.text;
        MStatus status;
        if (flag == "at" || flag == "attribute")
        {
            GivenValues given;
            args.Flag("at", attributeUse++).GetString(0, given.name);
            for (const ParticleArray& array : arrays)
                if (array.attribute->IsNamed(given.name))
                    given.array = &array;
            if (!given.array)
                return ReportCommandError(
                    statement, "\"" + given.name + "\" is no per-particle attribute of " + shape.name + ".",
                    MStatus::kInvalidParameter);
            const ParticleAttributes& a = Particle();
            if (given.array->attribute == Attribute::From(a.position) ||
                given.array->attribute == Attribute::From(a.particleId))
                return ReportCommandError(statement,
                                          "emit gives the new particles their " +
                                              given.array->attribute->name +
                                              " itself: use -position for where they start.",
                                          MStatus::kInvalidParameter);
            out.push_back(std::move(given));
        }
        else if (flag == "vv" || flag == "vectorValue" || flag == "fv" || flag == "floatValue")
        {
            const bool vector = flag == "vv" || flag == "vectorValue";
            if (out.empty())
                return ReportCommandError(statement, "-" + flag + " needs an -attribute before it.",
                                          MStatus::kInvalidParameter);
            GivenValues& given = out.back();
            if (vector != given.array->vector)
                return ReportCommandError(statement,
                                          "\"" + given.name + "\" takes " +
                                              (given.array->vector ? "-vectorValue" : "-floatValue") +
                                              " values.",
                                          MStatus::kInvalidParameter);
            if (vector)
            {
                double xyz[3];
                if (status = args.Flag("vv", vectorUse++).GetDoubles(0, 3, xyz); !status)
                    return status;
                MVector v(xyz[0], xyz[1], xyz[2]);
                if (IsDistance(*given.array->attribute))
                    v = MVector(MDistance::uiToInternal(v.x), MDistance::uiToInternal(v.y),
                                MDistance::uiToInternal(v.z));
                given.vectors.push_back(v);
            }
            else
            {
                double value = 0.0;
                if (status = args.Flag("fv", floatUse++).GetDouble(0, value); !status)
                    return status;
                given.numbers.push_back(value);
            }
        }
    }
    return MStatus::kSuccess;
}

// emit -o object -pos x y z [-pos ...] [-at attribute (-vv x y z | -fv v)...]...
// The result is the ids of the new particles, in the order of -position.
MStatus EmitCommand(const ScriptStatement& statement, CommandResult& result)
{
    static const ScriptSyntax syntax = ScriptSyntax()
                                           .AddFlag("o", "object", 1)
                                           .AddMultiUseFlag("pos", "position", 3)
                                           .AddMultiUseFlag("at", "attribute", 1)
                                           .AddMultiUseFlag("vv", "vectorValue", 3)
                                           .AddMultiUseFlag("fv", "floatValue", 1)
                                           .SetPositionalCount(0, 0);
    ScriptArgs args;
    MStatus status = args.Parse(statement, syntax);
    if (!status)
        return status;
    std::string name;
    if (!args.IsFlagSet("o"))
        return ReportCommandError(statement, "Give the particle object to emit into with -object.",
                                  MStatus::kInvalidParameter);
    args.Flag("o").GetString(0, name);
    const std::shared_ptr<Node> shape = FindParticleShape(name);
    if (!shape)
        return ReportCommandError(statement, "\"" + name + "\" is no particle object.",
                                  MStatus::kInvalidParameter);
    const unsigned added = args.FlagUseCount("pos");
    if (added == 0)
        return ReportCommandError(statement, "Give the positions of the new particles with -position.",
                                  MStatus::kInvalidParameter);
    MVectorArray positions;
    for (unsigned use = 0; use < added; ++use)
    {
        double xyz[3];
        if (status = args.Flag("pos", use).GetDoubles(0, 3, xyz); !status)
            return status;
        positions.append(MVector(MDistance::uiToInternal(xyz[0]), MDistance::uiToInternal(xyz[1]),
                                 MDistance::uiToInternal(xyz[2])));
    }
    const std::vector<ParticleArray> arrays = ParticleArraysOf(*shape);
    std::vector<GivenValues> given;
    if (status = ReadGivenValues(statement, args, arrays, *shape, given); !status)
        return status;
    for (const GivenValues& g : given)
    {
        const std::size_t count = g.array->vector ? g.vectors.size() : g.numbers.size();
        if (count != 1 && count != added)
            return ReportCommandError(
                statement,
                "\"" + g.name + "\" takes one value for every particle or one for all (" +
                    std::to_string(added) + " or 1), got " + std::to_string(count) + ".",
                MStatus::kInvalidParameter);
    }

    // Every check passed: grow the arrays.
    const ParticleAttributes& a = Particle();
    const Attribute* position = Attribute::From(a.position);
    const Attribute* particleId = Attribute::From(a.particleId);
    const Attribute* age = Attribute::From(a.age);
    const Attribute* velocity = Attribute::From(a.velocity);
    const unsigned before = ParticleCount(*shape);
    std::vector<int> ids;
    for (const ParticleArray& array : arrays)
    {
        const GivenValues* values = nullptr;
        for (const GivenValues& g : given)
            values = g.array->attribute == array.attribute ? &g : values;
        const Attribute* attribute = array.attribute;
        if (attribute == position)
        {
            MVectorArray& p = VectorArrayAt(*shape, attribute);
            p.setLength(before);
            for (unsigned i = 0; i < added; ++i)
                p.append(positions[i]);
            continue;
        }
        if (attribute == particleId)
        {
            // Ids are never reused: the next one follows the highest.
            MDoubleArray& id = DoubleArrayAt(*shape, attribute);
            double next = 0.0;
            for (unsigned i = 0; i < std::min(id.length(), before); ++i)
                next = std::max(next, std::floor(id[i]) + 1.0);
            const unsigned kept = std::min(id.length(), before);
            id.setLength(kept);
            while (id.length() < before + added)
                id.append(next++);
            continue;
        }
        const bool always = attribute == age || attribute == velocity;
        if (array.vector)
        {
            MVectorArray& v = VectorArrayAt(*shape, attribute);
            if (v.length() == 0 && !always && !values)
                continue; // an array not in use stays empty, as a field then reads its own value
            const MVector fallback(array.fallback, array.fallback, array.fallback);
            v.setLength(std::min(v.length(), before));
            while (v.length() < before)
                v.append(fallback);
            for (unsigned i = 0; i < added; ++i)
                v.append(values ? values->vectors[values->vectors.size() == 1 ? 0 : i] : fallback);
        }
        else
        {
            MDoubleArray& d = DoubleArrayAt(*shape, attribute);
            if (d.length() == 0 && !always && !values)
                continue;
            const unsigned kept = std::min(d.length(), before);
            d.setLength(kept);
            while (d.length() < before)
                d.append(array.fallback);
            for (unsigned i = 0; i < added; ++i)
                d.append(values ? values->numbers[values->numbers.size() == 1 ? 0 : i] : array.fallback);
        }
    }
    Scene::Get().Touch();
    const Dynamics& dynamics = Dynamics::Get();
    if (dynamics.CurrentFrame() > dynamics.StartFrame())
    {
        EmitRecord record;
        record.shape = shape.get();
        record.frame = dynamics.CurrentFrame();
        record.positions = positions;
        for (const GivenValues& g : given)
            record.values.push_back({g.array->attribute->name, g.array->vector, g.vectors, g.numbers});
        static unsigned long long serials = 0;
        record.serial = ++serials;
        if (SceneChanges* changes = SceneChanges::Recording())
            changes->Toggle(
                [kept = std::vector<EmitRecord>{record}, keep = shape]
                {
                    if (!Withdraw(kept))
                        Reinstate(kept);
                });
        Log().push_back(std::move(record));
    }
    if (status = RunParticleExpression(*shape, ExpressionKind::kCreation, before, added,
                                       Dynamics::Get().CurrentFrame());
        !status)
        return ReportCommandError(statement, StatusText(status));
    const MDoubleArray& idArray = DoubleArrayAt(*shape, particleId);
    for (unsigned i = before; i < before + added && i < idArray.length(); ++i)
        ids.push_back(static_cast<int>(idArray[i]));
    result.SetInts(std::move(ids));
    return MStatus::kSuccess;
}

const CommandRegistrar kEmit("emit", Undoable(EmitCommand));
} // namespace

const std::vector<EmitRecord>& EmitsThisRun()
{
    return Log();
}
} // namespace vxhost
