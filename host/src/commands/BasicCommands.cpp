// seed and currentUnit: the commands that set process-wide state the rest of
// a scene depends on (the C-runtime random sequence, the units values are
// typed in).

#include "BasicCommands.h"

#include "mel/Builtins.h"

#include <maya/MDistance.h>
#include <maya/MTime.h>
#include <vxhost/CRandom.h>
#include <vxhost/CommandEngine.h>
#include <vxhost/MessageLog.h>
#include <vxhost/ScriptArgs.h>

#include <optional>
#include <string>

namespace vxhost
{
namespace
{

struct LinearUnitName
{
    const char* shortName;
    const char* longName;
    MDistance::Unit unit;
};

constexpr LinearUnitName kLinearUnits[] = {
    {"mm", "millimeter", MDistance::kMillimeters},
    {"cm", "centimeter", MDistance::kCentimeters},
    {"m", "meter", MDistance::kMeters},
    {"km", "kilometer", MDistance::kKilometers},
    {"in", "inch", MDistance::kInches},
    {"ft", "foot", MDistance::kFeet},
    {"yd", "yard", MDistance::kYards},
    {"mi", "mile", MDistance::kMiles},
};

struct TimeUnitName
{
    const char* name;
    MTime::Unit unit;
};

constexpr TimeUnitName kTimeUnits[] = {
    {"game", MTime::kGames},
    {"film", MTime::kFilm},
    {"pal", MTime::kPALFrame},
    {"ntsc", MTime::kNTSCFrame},
    {"show", MTime::kShowScan},
    {"palf", MTime::kPALField},
    {"ntscf", MTime::kNTSCField},
    {"hour", MTime::kHours},
    {"min", MTime::kMinutes},
    {"sec", MTime::kSeconds},
    {"millisec", MTime::kMilliseconds},
    {"2fps", MTime::k2FPS},
    {"3fps", MTime::k3FPS},
    {"4fps", MTime::k4FPS},
    {"5fps", MTime::k5FPS},
    {"6fps", MTime::k6FPS},
    {"8fps", MTime::k8FPS},
    {"10fps", MTime::k10FPS},
    {"12fps", MTime::k12FPS},
    {"16fps", MTime::k16FPS},
    {"20fps", MTime::k20FPS},
    {"40fps", MTime::k40FPS},
    {"75fps", MTime::k75FPS},
    {"80fps", MTime::k80FPS},
    {"100fps", MTime::k100FPS},
    {"120fps", MTime::k120FPS},
    {"125fps", MTime::k125FPS},
    {"150fps", MTime::k150FPS},
    {"200fps", MTime::k200FPS},
    {"240fps", MTime::k240FPS},
    {"250fps", MTime::k250FPS},
    {"300fps", MTime::k300FPS},
    {"375fps", MTime::k375FPS},
    {"400fps", MTime::k400FPS},
    {"500fps", MTime::k500FPS},
    {"600fps", MTime::k600FPS},
    {"750fps", MTime::k750FPS},
    {"1200fps", MTime::k1200FPS},
    {"1500fps", MTime::k1500FPS},
    {"2000fps", MTime::k2000FPS},
    {"3000fps", MTime::k3000FPS},
    {"6000fps", MTime::k6000FPS},
    {"23.976fps", MTime::k23_976FPS},
    {"29.97fps", MTime::k29_97FPS},
    {"29.97df", MTime::k29_97DF},
    {"47.952fps", MTime::k47_952FPS},
    {"59.94fps", MTime::k59_94FPS},
    {"44100fps", MTime::k44100FPS},
    {"48000fps", MTime::k48000FPS},
    {"90fps", MTime::k90FPS},
    // Accepted, never answered: a query finds the names above first.
    {"15fps", MTime::kGames},
    {"24fps", MTime::kFilm},
    {"25fps", MTime::kPALFrame},
    {"30fps", MTime::kNTSCFrame},
    {"48fps", MTime::kShowScan},
    {"50fps", MTime::kPALField},
    {"60fps", MTime::kNTSCField},
};

// seed N: restarts the C-runtime rand() sequence the plug-in draws from, so
// a scene fixes its own random numbers. Returns N, as MEL's seed does.
MStatus SeedCommand(const ScriptStatement& statement, CommandResult& result)
{
    static const ScriptSyntax syntax = ScriptSyntax().SetPositionalCount(1, 1);
    ScriptArgs args;
    MStatus status = args.Parse(statement, syntax);
    if (!status)
        return status;
    int seed = 0;
    status = args.Positionals().GetInt(0, seed);
    if (!status)
        return status;
    // A negative seed wraps as it would passed to srand(). The scripts' own
    // generator (rand, sphrand, gauss) is reseeded too, as Maya's seed
    // reseeds MEL's, without the two sharing a sequence.
    unsigned used = static_cast<unsigned>(seed);
    if (const std::optional<unsigned> chosen = SeedOverride(); chosen && *chosen != used)
    {
        LogMessage(Severity::kInfo, "seed " + std::to_string(seed) + ": the run's seed " +
                                        std::to_string(*chosen) + " is used instead.");
        used = *chosen;
    }
    SeedRandom(used);
    mel::SeedScriptRandom(used);
    result.SetInt(static_cast<int>(used));
    return MStatus::kSuccess;
}

// currentUnit [-l unit] [-t unit] | -q (-l | -t) [-f]
// Names are Maya's: the linear unit by its short or long name, the time unit
// by Maya's name ("film", "ntsc", "48000fps"); the rates that have a name may
// also be given as a rate ("24fps" is film). A query answers the short name,
// or the long one with -f. Units are checked before
// either is set, so a bad value changes nothing.
MStatus CurrentUnitCommand(const ScriptStatement& statement, CommandResult& result)
{
    static const ScriptSyntax syntax = ScriptSyntax()
                                           .AddFlag("l", "linear", 1)
                                           .AddFlag("t", "time", 1)
                                           .AddFlag("f", "fullName")
                                           .EnableQuery()
                                           .SetPositionalCount(0, 0);
    ScriptArgs args;
    MStatus status = args.Parse(statement, syntax);
    if (!status)
        return status;

    if (args.IsQuery())
    {
        const bool linear = args.IsFlagSet("l");
        if (linear == args.IsFlagSet("t"))
            return ReportCommandError(statement, "Query one of -linear and -time.",
                                      MStatus::kInvalidParameter);
        if (linear)
        {
            for (const LinearUnitName& name : kLinearUnits)
                if (name.unit == MDistance::uiUnit())
                {
                    result.SetString(args.IsFlagSet("f") ? name.longName : name.shortName);
                    break;
                }
        }
        else
        {
            for (const TimeUnitName& name : kTimeUnits)
                if (name.unit == MTime::uiUnit())
                {
                    result.SetString(name.name);
                    break;
                }
        }
        return MStatus::kSuccess;
    }

    MDistance::Unit linearUnit = MDistance::uiUnit();
    std::string text;
    if (args.IsFlagSet("l"))
    {
        args.Flag("l").GetString(0, text);
        linearUnit = MDistance::kInvalid;
        for (const LinearUnitName& name : kLinearUnits)
            if (text == name.shortName || text == name.longName)
                linearUnit = name.unit;
        if (linearUnit == MDistance::kInvalid)
            return ReportCommandError(
                statement, "Invalid linear unit \"" + text + "\". Use mm, cm, m, km, in, ft, yd or mi.",
                MStatus::kInvalidParameter);
    }
    MTime::Unit timeUnit = MTime::uiUnit();
    if (args.IsFlagSet("t"))
    {
        args.Flag("t").GetString(0, text);
        timeUnit = MTime::kInvalid;
        for (const TimeUnitName& name : kTimeUnits)
            if (text == name.name)
                timeUnit = name.unit;
        if (timeUnit == MTime::kInvalid)
            return ReportCommandError(statement,
                                      "Invalid time unit \"" + text +
                                          "\". Use game, film, pal, ntsc, show, palf, ntscf, hour, min, sec, "
                                          "millisec or a rate such as \"2fps\".",
                                      MStatus::kInvalidParameter);
    }
    MDistance::setUIUnit(linearUnit);
    MTime::setUIUnit(timeUnit);
    return MStatus::kSuccess;
}

} // namespace

void RegisterBasicCommands(CommandEngine& engine)
{
    engine.Register("seed", SeedCommand);
    engine.Register("currentUnit", CurrentUnitCommand);
}

} // namespace vxhost
