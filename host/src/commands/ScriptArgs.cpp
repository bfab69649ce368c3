// Sorting a statement by a command's syntax, and typed reads of its values.
// Every failure is reported here, once, with the flag and value named, so
// the commands themselves only pass statuses on.

#include <vxhost/ScriptArgs.h>

#include <vxhost/CommandEngine.h>

#include <charconv>
#include <cmath>

namespace vxhost
{
namespace
{

using Kind = ScriptArgument::Kind;

bool IsQueryFlag(std::string_view name)
{
    return name == "q" || name == "query";
}

bool IsEditFlag(std::string_view name)
{
    return name == "e" || name == "edit";
}

// MEL's boolean constants.
bool BoolWord(std::string_view word, bool& out)
{
    if (word == "true" || word == "on" || word == "yes")
        out = true;
    else if (word == "false" || word == "off" || word == "no")
        out = false;
    else
        return false;
    return true;
}

// The whole text as a finite number ("1e999" and " 1" are not numbers).
bool ParseNumber(std::string_view text, double& out)
{
    double value = 0.0;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    if (result.ec != std::errc() || result.ptr != end || !std::isfinite(value))
        return false;
    out = value;
    return true;
}

bool ToNumber(const ScriptArgument& argument, double& out)
{
    switch (argument.kind)
    {
    case Kind::kNumber:
    case Kind::kString:
        return ParseNumber(argument.text, out);
    case Kind::kWord:
    case Kind::kBool:
    {
        bool flag = false;
        if (!BoolWord(argument.text, flag))
            return false;
        out = flag ? 1.0 : 0.0;
        return true;
    }
    case Kind::kFlag:
        break;
    }
    return false;
}

// Whether the flag at `index` is followed by a boolean false, which leaves
// a switch out: how a caller says "-q" only when its own flag is true.
bool SwitchedOff(const std::vector<ScriptArgument>& arguments, size_t index)
{
    return index + 1 < arguments.size() && arguments[index + 1].IsSwitchValue() && !arguments[index + 1].SwitchOn();
}

std::string Count(unsigned count, const char* noun)
{
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

} // namespace

ScriptSyntax& ScriptSyntax::AddFlag(std::string shortName, std::string longName, unsigned valueCount)
{
    fFlags.push_back(FlagDeclaration{std::move(shortName), std::move(longName), valueCount, false});
    return *this;
}

ScriptSyntax& ScriptSyntax::AddMultiUseFlag(std::string shortName, std::string longName, unsigned valueCount)
{
    fFlags.push_back(FlagDeclaration{std::move(shortName), std::move(longName), valueCount, true});
    return *this;
}

ScriptSyntax& ScriptSyntax::EnableQuery()
{
    fQuery = true;
    return *this;
}

ScriptSyntax& ScriptSyntax::EnableEdit()
{
    fEdit = true;
    return *this;
}

ScriptSyntax& ScriptSyntax::SetPositionalCount(unsigned minimum, unsigned maximum)
{
    fMinPositional = minimum;
    fMaxPositional = maximum;
    return *this;
}

int ScriptSyntax::Find(std::string_view name) const
{
    for (size_t i = 0; i < fFlags.size(); ++i)
        if (fFlags[i].shortName == name || fFlags[i].longName == name)
            return static_cast<int>(i);
    return -1;
}

MStatus ScriptValues::Missing(unsigned index, const char* expected) const
{
    const std::string place = fFlagLabel.empty() ? "Argument " + std::to_string(index + 1)
                                                 : "Value " + std::to_string(index + 1) + " of " + fFlagLabel;
    return ReportCommandError(*fStatement, place + " is missing: expected " + expected + ".",
                              MStatus::kInvalidParameter);
}

MStatus ScriptValues::Wrong(unsigned index, const char* expected) const
{
    std::string place = fFlagLabel;
    if (place.empty())
        place = "Argument " + std::to_string(index + 1);
    else
        place[0] = 'F';
    return ReportCommandError(*fStatement,
                              place + " expects " + expected + ", got \"" + (*this)[index].text + "\".",
                              MStatus::kInvalidParameter);
}

MStatus ScriptValues::GetDouble(unsigned index, double& out) const
{
    if (index >= Count())
        return Missing(index, "a number");
    if (!ToNumber((*this)[index], out))
        return Wrong(index, "a number");
    return MStatus::kSuccess;
}

MStatus ScriptValues::GetInt(unsigned index, int& out) const
{
    constexpr const char* kExpected = "an integer";
    if (index >= Count())
        return Missing(index, kExpected);
    double value = 0.0;
    if (!ToNumber((*this)[index], value) || value != std::trunc(value) || value < INT_MIN || value > INT_MAX)
        return Wrong(index, kExpected);
    out = static_cast<int>(value);
    return MStatus::kSuccess;
}

MStatus ScriptValues::GetBool(unsigned index, bool& out) const
{
    constexpr const char* kExpected = "true or false";
    if (index >= Count())
        return Missing(index, kExpected);
    const ScriptArgument& argument = (*this)[index];
    if (argument.kind != Kind::kNumber && BoolWord(argument.text, out))
        return MStatus::kSuccess;
    double value = 0.0;
    if (argument.kind == Kind::kWord || !ToNumber(argument, value))
        return Wrong(index, kExpected);
    out = value != 0.0;
    return MStatus::kSuccess;
}

MStatus ScriptValues::GetString(unsigned index, std::string& out) const
{
    if (index >= Count())
        return Missing(index, "a string");
    out = (*this)[index].text;
    return MStatus::kSuccess;
}

MStatus ScriptValues::GetDoubles(unsigned first, unsigned count, double* out) const
{
    for (unsigned i = 0; i < count; ++i)
    {
        const MStatus status = GetDouble(first + i, out[i]);
        if (!status)
            return status;
    }
    return MStatus::kSuccess;
}

MStatus ScriptArgs::Parse(const ScriptStatement& statement, const ScriptSyntax& syntax)
{
    fStatement = &statement;
    fSyntax = syntax;
    fQuery = false;
    fEdit = false;
    fUses.clear();
    fPositionals.clear();
    const auto fail = [&statement](const std::string& text)
    { return ReportCommandError(statement, text, MStatus::kInvalidParameter); };

    const std::vector<ScriptArgument>& arguments = statement.arguments;
    // The mode decides how many values every flag takes, and -q may come
    // after the flags it queries ("playbackOptions -min -q").
    for (size_t i = 0; i < arguments.size(); ++i)
    {
        if (arguments[i].kind != Kind::kFlag || SwitchedOff(arguments, i))
            continue;
        fQuery = fQuery || (syntax.fQuery && IsQueryFlag(arguments[i].text));
        fEdit = fEdit || (syntax.fEdit && IsEditFlag(arguments[i].text));
    }
    if (fQuery && fEdit)
        return fail("Flags -q and -e cannot be used together.");

    for (size_t i = 0; i < arguments.size();)
    {
        const ScriptArgument& argument = arguments[i++];
        if (argument.kind != Kind::kFlag)
        {
            fPositionals.push_back(&argument);
            continue;
        }
        if ((syntax.fQuery && IsQueryFlag(argument.text)) || (syntax.fEdit && IsEditFlag(argument.text)))
        {
            i += i < arguments.size() && arguments[i].IsSwitchValue() ? 1 : 0;
            continue;
        }
        const int flag = syntax.Find(argument.text);
        if (flag < 0)
            return fail("Invalid flag \"-" + argument.text + "\".");
        const ScriptSyntax::FlagDeclaration& declared = syntax.fFlags[static_cast<size_t>(flag)];
        const unsigned valueCount = fQuery ? 0u : declared.valueCount;
        // A switch takes a boolean as whether it is given at all, as
        // Python's select(r=True) means "select -r" and r=False nothing.
        if (valueCount == 0 && i < arguments.size() && arguments[i].IsSwitchValue())
            if (!arguments[i++].SwitchOn())
                continue;
        if (valueCount == 0 && i < arguments.size() && arguments[i].keyword)
            return fail("Flag -" + argument.text + " takes True or False, got \"" + arguments[i].text + "\".");
        FlagUse use{flag, "-" + argument.text, {}};
        if (!declared.multiUse)
            for (const FlagUse& earlier : fUses)
                if (earlier.flag == flag)
                    return fail("Flag " + use.spelling + " may be given only once.");
        while (use.values.size() < valueCount && i < arguments.size() && arguments[i].kind != Kind::kFlag)
            use.values.push_back(&arguments[i++]);
        if (use.values.size() < valueCount)
            return fail("Flag " + use.spelling + " expects " + Count(valueCount, "value") + ", got " +
                        std::to_string(use.values.size()) + ".");
        fUses.push_back(std::move(use));
    }

    const auto count = static_cast<unsigned>(fPositionals.size());
    if (count < syntax.fMinPositional || count > syntax.fMaxPositional)
    {
        std::string expected;
        if (syntax.fMinPositional == syntax.fMaxPositional)
            expected = Count(syntax.fMinPositional, "argument");
        else if (count < syntax.fMinPositional)
            expected = "at least " + Count(syntax.fMinPositional, "argument");
        else
            expected = "at most " + Count(syntax.fMaxPositional, "argument");
        return fail("Expected " + expected + ", got " + std::to_string(count) + ".");
    }
    return MStatus::kSuccess;
}

unsigned ScriptArgs::FlagUseCount(std::string_view name) const
{
    const int flag = fSyntax.Find(name);
    unsigned count = 0;
    for (const FlagUse& use : fUses)
        if (use.flag == flag)
            ++count;
    return count;
}

ScriptValues ScriptArgs::Flag(std::string_view name, unsigned use) const
{
    static const std::vector<const ScriptArgument*> kNone;
    ScriptValues values;
    values.fStatement = fStatement;
    values.fValues = &kNone;
    values.fFlagLabel = "flag -" + std::string(name);
    const int flag = fSyntax.Find(name);
    for (const FlagUse& candidate : fUses)
    {
        if (candidate.flag != flag)
            continue;
        if (use-- == 0)
        {
            values.fValues = &candidate.values;
            values.fFlagLabel = "flag " + candidate.spelling;
            break;
        }
    }
    return values;
}

ScriptValues ScriptArgs::Positionals() const
{
    ScriptValues values;
    values.fStatement = fStatement;
    values.fValues = &fPositionals;
    return values;
}

MStatus ScriptArgs::ReadFlagValue(std::string_view name, double& out) const
{
    return IsFlagSet(name) ? Flag(name).GetDouble(0, out) : MStatus(MStatus::kSuccess);
}

MStatus ScriptArgs::ReadFlagValue(std::string_view name, int& out) const
{
    return IsFlagSet(name) ? Flag(name).GetInt(0, out) : MStatus(MStatus::kSuccess);
}

MStatus ScriptArgs::ReadFlagValue(std::string_view name, bool& out) const
{
    return IsFlagSet(name) ? Flag(name).GetBool(0, out) : MStatus(MStatus::kSuccess);
}

MStatus ScriptArgs::ReadFlagValue(std::string_view name, std::string& out) const
{
    return IsFlagSet(name) ? Flag(name).GetString(0, out) : MStatus(MStatus::kSuccess);
}

} // namespace vxhost
