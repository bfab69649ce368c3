// The command registry and the script runner. Errors are shown the way Maya
// shows errors from a sourced script ("file: F line N: cmd: text"), once,
// where they are first understood: by the command when it can say what went
// wrong, by the engine only when the command could not.

#include <vxhost/CommandEngine.h>

#include "BasicCommands.h"
#include "mel/CommandValues.h"
#include "mel/Interpreter.h"
#include "mel/Parser.h"
#include "plugin/MayaModules.h"

#include <maya/MGlobal.h>
#include <vxhost/MessageLog.h>
#include <vxhost/StdString.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <system_error>
#include <utility>

namespace vxhost
{
namespace
{

// Located errors reported on this thread; the engine compares the count
// around a command to learn whether a failure has already been explained.
thread_local unsigned tReportedErrors = 0;

bool IsCommandName(const std::string& name)
{
    if (name.empty())
        return false;
    for (size_t i = 0; i < name.size(); ++i)
    {
        const char c = name[i];
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
        if (!letter && !(i > 0 && c >= '0' && c <= '9'))
            return false;
    }
    return true;
}

std::string Located(const ScriptStatement& statement, const std::string& text)
{
    return ScriptLocation(statement.file, statement.line) + statement.command + ": " + text;
}

MStatus ShowError(MStatus::MStatusCode code, const std::string& text)
{
    MGlobal::displayError(ToMString(text));
    return MStatus(code, ToMString(text));
}

// An error of the script itself rather than of a command, placed without a
// command name as Maya places them: "line 3: Wrong number of arguments...".
MStatus ShowScriptError(const ScriptStatement& statement, MStatus::MStatusCode code, const std::string& text)
{
    ++tReportedErrors;
    return ShowError(code, ScriptLocation(statement.file, statement.line) + text);
}

// Counts a run under way for as long as it lives.
class DepthGuard
{
public:
    explicit DepthGuard(int& depth) : fDepth(depth) { ++fDepth; }
    ~DepthGuard() { --fDepth; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;

private:
    int& fDepth;
};

} // namespace

namespace
{
// The text of FormatDouble into buffer; returns its length.
std::size_t FormatDoubleInto(double value, char (&buffer)[64])
{
    auto copy = [&](const char* text)
    {
        const std::size_t n = std::strlen(text);
        std::memcpy(buffer, text, n);
        return n;
    };
    // The sign of zero is kept, so that what is printed reads back as the
    // same double.
    if (value == 0.0)
        return copy(std::signbit(value) ? "-0" : "0");
    if (std::isnan(value))
        return copy("nan");
    if (std::isinf(value))
        return copy(value < 0.0 ? "-inf" : "inf");
    // Well inside the positional range the fixed form is the answer; near
    // its ends the exponent of the shortest scientific form decides, as
    // printf's %g decides.
    const double magnitude = std::fabs(value);
    if (magnitude >= 1e-3 && magnitude < 1e15)
        return static_cast<std::size_t>(
            std::to_chars(buffer, buffer + sizeof(buffer), value, std::chars_format::fixed).ptr - buffer);
    const auto scientific = std::to_chars(buffer, buffer + sizeof(buffer), value, std::chars_format::scientific);
    const char* e = scientific.ptr;
    while (*(e - 1) != 'e')
        --e;
    int exponent = 0;
    std::from_chars(*e == '+' ? e + 1 : e, scientific.ptr, exponent);
    const char* end = scientific.ptr;
    if (exponent >= -4 && exponent < 16)
        end = std::to_chars(buffer, buffer + sizeof(buffer), value, std::chars_format::fixed).ptr;
    return static_cast<std::size_t>(end - buffer);
}
} // namespace

std::string FormatDouble(double value)
{
    char buffer[64];
    return std::string(buffer, FormatDoubleInto(value, buffer));
}

void AppendFormattedDouble(std::string& out, double value)
{
    char buffer[64];
    out.append(buffer, FormatDoubleInto(value, buffer));
}

bool CommandResult::IsEmpty() const
{
    switch (fKind)
    {
    case Kind::kNone:
        return true;
    case Kind::kIntArray:
        return fInts.empty();
    case Kind::kDoubleArray:
        return fDoubles.empty();
    case Kind::kStringArray:
        return fStrings.empty();
    default:
        return false;
    }
}

void CommandResult::Clear()
{
    fKind = Kind::kNone;
    fBool = false;
    fTupleWidth = 0;
    fInts.clear();
    fDoubles.clear();
    fStrings.clear();
}

void CommandResult::SetInt(int value)
{
    SetInts({value});
    fKind = Kind::kInt;
}

void CommandResult::SetBool(bool value)
{
    SetInt(value ? 1 : 0);
    fBool = true;
}

void CommandResult::SetDouble(double value)
{
    SetDoubles({value});
    fKind = Kind::kDouble;
}

void CommandResult::SetString(std::string value)
{
    SetStrings({std::move(value)});
    fKind = Kind::kString;
}

void CommandResult::SetInts(std::vector<int> values)
{
    Clear();
    fKind = Kind::kIntArray;
    fInts = std::move(values);
}

void CommandResult::SetDoubles(std::vector<double> values)
{
    Clear();
    fKind = Kind::kDoubleArray;
    fDoubles = std::move(values);
}

void CommandResult::SetStrings(std::vector<std::string> values)
{
    Clear();
    fKind = Kind::kStringArray;
    fStrings = std::move(values);
}

void CommandResult::ConvertToStrings()
{
    for (const int value : fInts)
        fStrings.push_back(std::to_string(value));
    for (const double value : fDoubles)
        fStrings.push_back(FormatDouble(value));
    fInts.clear();
    fDoubles.clear();
    fKind = Kind::kStringArray;
}

void CommandResult::AppendInt(int value)
{
    fBool = false;
    switch (fKind)
    {
    case Kind::kNone:
    case Kind::kInt:
    case Kind::kIntArray:
        fKind = Kind::kIntArray;
        fInts.push_back(value);
        break;
    case Kind::kDouble:
    case Kind::kDoubleArray:
        fKind = Kind::kDoubleArray;
        fDoubles.push_back(value);
        break;
    case Kind::kString:
    case Kind::kStringArray:
        fKind = Kind::kStringArray;
        fStrings.push_back(std::to_string(value));
        break;
    }
}

void CommandResult::AppendDouble(double value)
{
    fBool = false;
    switch (fKind)
    {
    case Kind::kNone:
    case Kind::kInt:
    case Kind::kIntArray:
    case Kind::kDouble:
    case Kind::kDoubleArray:
        // Earlier ints become doubles, which hold every int exactly.
        fDoubles.insert(fDoubles.end(), fInts.begin(), fInts.end());
        fInts.clear();
        fKind = Kind::kDoubleArray;
        fDoubles.push_back(value);
        break;
    case Kind::kString:
    case Kind::kStringArray:
        fKind = Kind::kStringArray;
        fStrings.push_back(FormatDouble(value));
        break;
    }
}

void CommandResult::AppendString(std::string value)
{
    fBool = false;
    ConvertToStrings();
    fStrings.push_back(std::move(value));
}

std::string CommandResult::Format() const
{
    std::string text;
    const auto separate = [&text]
    {
        if (!text.empty())
            text += ' ';
    };
    for (const int value : fInts)
    {
        separate();
        text += std::to_string(value);
    }
    for (const double value : fDoubles)
    {
        separate();
        text += FormatDouble(value);
    }
    // Strings may be empty, so they are joined by position, not by text.
    for (size_t i = 0; i < fStrings.size(); ++i)
    {
        if (i > 0)
            text += ' ';
        text += fStrings[i];
    }
    return text;
}

CommandEngine::CommandEngine() : fInterpreter(std::make_unique<mel::Interpreter>(*this))
{
    RegisterBasicCommands(*this);
    RegisterScriptCommands(*this);
}

CommandEngine::~CommandEngine() = default;

CommandEngine& CommandEngine::Instance()
{
    // Never destroyed: plug-in modules deregister their commands when they
    // are unloaded, which may happen during exit after static destructors.
    static CommandEngine* const engine = new CommandEngine;
    return *engine;
}

MStatus CommandEngine::Register(const std::string& name, CommandFunction function)
{
    if (!IsCommandName(name) || !function)
        return MStatus::kInvalidParameter;
    std::lock_guard lock(fMutex);
    return fCommands.emplace(name, std::move(function)).second ? MStatus::kSuccess : MStatus::kFailure;
}

MStatus CommandEngine::Deregister(const std::string& name)
{
    std::lock_guard lock(fMutex);
    return fCommands.erase(name) > 0 ? MStatus::kSuccess : MStatus::kNotFound;
}

bool CommandEngine::Has(const std::string& name) const
{
    std::lock_guard lock(fMutex);
    return fCommands.count(name) > 0;
}

std::vector<std::string> CommandEngine::Names() const
{
    std::lock_guard lock(fMutex);
    std::vector<std::string> names;
    names.reserve(fCommands.size());
    for (const auto& command : fCommands)
        names.push_back(command.first);
    return names;
}

MStatus CommandEngine::CallCommand(const ScriptStatement& statement, CommandResult& result)
{
    MStatus status;
    {
        const DepthGuard depth(fRunDepth);
        status = InvokeCommand(statement, result);
    }
    if (fRunDepth == 0)
        RunDeferred();
    return status;
}

MStatus CommandEngine::RunStatement(const ScriptStatement& statement)
{
    MStatus status;
    CommandResult result;
    {
        const DepthGuard depth(fRunDepth);
        if (!Has(statement.command))
            status = ShowScriptError(statement, MStatus::kNotFound,
                                     "Cannot find procedure \"" + statement.command + "\".");
        else
            status = InvokeCommand(statement, result);
    }
    if (status && !result.IsEmpty())
        LogMessage(Severity::kResult, result.Format());
    {
        std::lock_guard lock(fMutex);
        fLastResult = status ? std::move(result) : CommandResult();
    }
    if (fRunDepth == 0)
        RunDeferred();
    return status;
}

MStatus CommandEngine::InvokeCommand(const ScriptStatement& statement, CommandResult& result)
{
    // The function is copied out so that the command may change the
    // registry (unloadPlugin) or run statements itself without deadlock.
    CommandFunction function;
    {
        std::lock_guard lock(fMutex);
        const auto found = fCommands.find(statement.command);
        if (found != fCommands.end())
            function = found->second;
    }
    if (!function)
        return ShowScriptError(statement, MStatus::kNotFound, "Cannot find procedure \"" + statement.command + "\".");

    result.Clear();
    MStatus status;
    const unsigned reportedBefore = tReportedErrors;
    try
    {
        status = function(statement, result);
    }
    catch (const std::exception& error)
    {
        status = ReportCommandError(statement, std::string("Internal error: ") + error.what());
    }
    catch (...)
    {
        status = ReportCommandError(statement, "Internal error.");
    }
    if (!status && tReportedErrors == reportedBefore)
        MGlobal::displayError(ToMString(Located(statement, ToStdString(status.errorString()))));
    return status;
}

MStatus CommandEngine::RunScript(std::string_view text, const std::string& file)
{
    MStatus status;
    {
        const DepthGuard depth(fRunDepth);
        status = fInterpreter->RunScript(text, file);
        CommandResult result;
        if (status)
            mel::ToResult(fInterpreter->LastValue(), result);
        std::lock_guard lock(fMutex);
        fLastResult = std::move(result);
    }
    if (fRunDepth == 0)
        RunDeferred();
    return status;
}

MStatus CommandEngine::RunCommandString(std::string_view text)
{
    // Only a ';' that makes the text read is added, so that a faulty string
    // reports its own error.
    mel::Program program;
    std::string error;
    std::string completed(text);
    completed += ';';
    if (!mel::Parse(text, std::string(), program, error) && mel::Parse(completed, std::string(), program, error))
        return RunScript(completed);
    return RunScript(text);
}

MStatus CommandEngine::RunScriptFile(const std::string& path)
{
    const auto cannotRead = [&path](MStatus::MStatusCode code, int error)
    {
        return ShowError(code, "Cannot read file \"" + path +
                                   "\": " + std::generic_category().message(error) + ".");
    };
    std::FILE* stream = std::fopen(path.c_str(), "rb");
    if (!stream)
        return cannotRead(MStatus::kNotFound, errno);
    std::string text;
    char chunk[1 << 16];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof(chunk), stream)) > 0)
        text.append(chunk, got);
    // A directory opens but does not read.
    const int readError = std::ferror(stream) ? errno : 0;
    std::fclose(stream);
    if (readError != 0)
        return cannotRead(MStatus::kFailure, readError);
    return RunScript(text, path);
}

CommandResult CommandEngine::LastResult() const
{
    std::lock_guard lock(fMutex);
    return fLastResult;
}

bool CommandEngine::HasProcedure(const std::string& name) const
{
    return fInterpreter->HasGlobalProcedure(name);
}

void CommandEngine::SetGlobalString(const std::string& name, std::string value)
{
    fInterpreter->SetGlobalString(name, std::move(value));
}

bool CommandEngine::GlobalString(const std::string& name, std::string& value) const
{
    return fInterpreter->GlobalString(name, value);
}

void CommandEngine::Defer(std::string script)
{
    fDeferred.push_back(std::move(script));
}

void CommandEngine::RunDeferred()
{
    while (!fDeferred.empty())
    {
        const std::string script = std::move(fDeferred.front());
        fDeferred.pop_front();
        // Its errors have been shown; the other deferred scripts still run.
        (void)RunCommandString(script);
    }
}

MStatus ReportCommandError(const ScriptStatement& statement, const std::string& text,
                           MStatus::MStatusCode code)
{
    ++tReportedErrors;
    MGlobal::displayError(ToMString(Located(statement, text)));
    return MStatus(code, ToMString(text));
}

void ReportCommandWarning(const ScriptStatement& statement, const std::string& text)
{
    MGlobal::displayWarning(ToMString(Located(statement, text)));
}

CommandRegistrar::CommandRegistrar(const char* name, CommandFunction function)
{
    if (!CommandEngine::Instance().Register(name, std::move(function)))
        std::fprintf(stderr, "vxhost: command \"%s\" could not be registered (bad or duplicate name)\n",
                     name);
}

} // namespace vxhost
