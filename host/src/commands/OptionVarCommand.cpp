// Option variables: the store, MGlobal's functions over it and the
// `optionVar` command.
#include "OptionVars.h"

#include <maya/MGlobal.h>
#include <vxhost/CommandEngine.h>
#include <vxhost/ScriptArgs.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <utility>

namespace vxhost
{
OptionVars& OptionVars::Get()
{
    static OptionVars store;
    return store;
}

void OptionVars::Set(const std::string& name, OptionValue value)
{
    const std::lock_guard<std::mutex> lock(fMutex);
    fValues[name] = std::move(value);
}

std::optional<OptionValue> OptionVars::Find(const std::string& name) const
{
    const std::lock_guard<std::mutex> lock(fMutex);
    const auto it = fValues.find(name);
    return it == fValues.end() ? std::nullopt : std::optional<OptionValue>(it->second);
}

bool OptionVars::Remove(const std::string& name)
{
    const std::lock_guard<std::mutex> lock(fMutex);
    return fValues.erase(name) > 0;
}

std::vector<std::string> OptionVars::Names() const
{
    const std::lock_guard<std::mutex> lock(fMutex);
    std::vector<std::string> names;
    for (const auto& entry : fValues)
        names.push_back(entry.first);
    return names;
}

void OptionVars::Clear()
{
    const std::lock_guard<std::mutex> lock(fMutex);
    fValues.clear();
}

namespace
{
// optionVar [-iv name int] [-fv name float] [-sv name string] [-rm name]
//           | -q name | -ex name | -l
// Setting flags may be repeated and combined; they are all checked before
// any is applied. A query of a name that holds nothing answers 0, as Maya's
// does.
MStatus OptionVarCommand(const ScriptStatement& statement, CommandResult& result)
{
    static const ScriptSyntax syntax = ScriptSyntax()
                                           .AddMultiUseFlag("iv", "intValue", 2)
                                           .AddMultiUseFlag("fv", "floatValue", 2)
                                           .AddMultiUseFlag("sv", "stringValue", 2)
                                           .AddMultiUseFlag("rm", "remove", 1)
                                           .AddFlag("q", "query", 1)
                                           .AddFlag("ex", "exists", 1)
                                           .AddFlag("l", "list")
                                           .SetPositionalCount(0, 0);
    ScriptArgs args;
    MStatus status = args.Parse(statement, syntax);
    if (!status)
        return status;
    OptionVars& store = OptionVars::Get();

    const unsigned asking = args.IsFlagSet("q") + args.IsFlagSet("ex") + args.IsFlagSet("l");
    const unsigned setting =
        args.FlagUseCount("iv") + args.FlagUseCount("fv") + args.FlagUseCount("sv") + args.FlagUseCount("rm");
    if (asking > 1 || (asking == 1 && setting > 0))
        return ReportCommandError(statement, "-query, -exists and -list are used alone.",
                                  MStatus::kInvalidParameter);
    std::string name;
    if (args.IsFlagSet("q"))
    {
        args.Flag("q").GetString(0, name);
        const std::optional<OptionValue> value = store.Find(name);
        if (!value)
            result.SetInt(0);
        else if (const int* i = std::get_if<int>(&*value))
            result.SetInt(*i);
        else if (const double* d = std::get_if<double>(&*value))
            result.SetDouble(*d);
        else
            result.SetString(std::get<std::string>(*value));
        return MStatus::kSuccess;
    }
    if (args.IsFlagSet("ex"))
    {
        args.Flag("ex").GetString(0, name);
        result.SetBool(store.Exists(name));
        return MStatus::kSuccess;
    }
    if (args.IsFlagSet("l"))
    {
        result.SetStrings(store.Names());
        return MStatus::kSuccess;
    }

    // In the order written, so that "-iv a 1 -rm a" ends without a.
    struct Kind
    {
        const char* shortName;
        const char* longName;
        unsigned uses;
    };
    Kind kinds[] = {
        {"iv", "intValue", 0}, {"fv", "floatValue", 0}, {"sv", "stringValue", 0}, {"rm", "remove", 0}};
    std::vector<std::pair<std::string, std::optional<OptionValue>>> changes;
    for (const ScriptArgument& argument : statement.arguments)
        for (Kind& kind : kinds)
        {
            if (argument.kind != ScriptArgument::Kind::kFlag ||
                (argument.text != kind.shortName && argument.text != kind.longName))
                continue;
            const ScriptValues values = args.Flag(kind.shortName, kind.uses++);
            const std::string flag = kind.shortName;
            values.GetString(0, name);
            std::optional<OptionValue> value;
            if (flag == "iv")
            {
                int i = 0;
                status = values.GetInt(1, i);
                value = i;
            }
            else if (flag == "fv")
            {
                double d = 0.0;
                status = values.GetDouble(1, d);
                value = d;
            }
            else if (flag == "sv")
            {
                std::string text;
                status = values.GetString(1, text);
                value = text;
            }
            if (!status)
                return status;
            changes.emplace_back(name, std::move(value));
        }
    for (auto& [key, value] : changes)
        if (value)
            store.Set(key, std::move(*value));
        else
            store.Remove(key);
    return MStatus::kSuccess;
}

const CommandRegistrar kOptionVar("optionVar", OptionVarCommand);
} // namespace
} // namespace vxhost

using vxhost::OptionVars;

bool MGlobal::optionVarExists(const MString& name)
{
    return OptionVars::Get().Exists(name.asChar());
}

int MGlobal::optionVarIntValue(const MString& name, bool* exists)
{
    const std::optional<vxhost::OptionValue> value = OptionVars::Get().Find(name.asChar());
    if (exists)
        *exists = value.has_value();
    if (!value)
        return 0;
    if (const int* i = std::get_if<int>(&*value))
        return *i;
    // A float preference read as an int truncates, as a C cast would; text
    // has no integer value.
    if (const double* d = std::get_if<double>(&*value))
        return std::isnan(*d) ? 0 : static_cast<int>(std::clamp(*d, double(INT_MIN), double(INT_MAX)));
    return 0;
}

bool MGlobal::setOptionVarValue(const MString& name, int value)
{
    OptionVars::Get().Set(name.asChar(), value);
    return true;
}

void MGlobal::removeOptionVar(const MString& name)
{
    OptionVars::Get().Remove(name.asChar());
}
