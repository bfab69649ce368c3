#pragma once
/// \file CommandEngine.h
/// The host's command engine: the registry of commands a scene script can
/// call, and the runner of statements, scripts and script files.
///
/// A command is a function that reads its statement (usually through
/// vxhost::ScriptArgs), does its work, fills a CommandResult and returns an
/// MStatus. It reports its own failures with ReportCommandError, which places
/// the message as Maya does:
///
///     // Error: file: /path/scene.mel line 3: setAttr: No object matches name: foo //
///
/// A typical command:
///
///     MStatus CurrentTimeCommand(const ScriptStatement& statement, CommandResult& result)
///     {
///         static const ScriptSyntax syntax = ScriptSyntax().EnableQuery().SetPositionalCount(0, 1);
///         ScriptArgs args;
///         MStatus status = args.Parse(statement, syntax);   // reports its own errors
///         if (!status)
///             return status;
///         if (args.IsQuery())
///         {
///             result.SetDouble(now);
///             return MS::kSuccess;
///         }
///         double frame = 0.0;
///         status = args.Positionals().GetDouble(0, frame); // names the bad value
///         if (!status)
///             return status;
///         if (frame < 0.0)
///             return ReportCommandError(statement, "Frame must not be negative.");
///         ...
///     }
///
///     CommandEngine::Instance().Register("currentTime", CurrentTimeCommand);

#include <maya/MStatus.h>
#include <vxhost/Script.h>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace vxhost
{
namespace mel
{
class Interpreter;
}

/// The shortest text that reads back as the same double, as results and
/// saved scenes print numbers. Whole numbers print without a decimal point,
/// as Maya prints them ("5", not "5.0"). Numbers from 1e-4 up to below 1e16 print in positional form
/// ("0.0001", "1234.5", "1500000000000000"); smaller and larger ones in exponent form
/// ("1e-05", "1.5e+16", "1e-300"). Negative zero prints "0": a scene has no
/// use for the sign of zero, and "-0" in a result only puzzles the reader.
/// Infinities and NaN print "inf", "-inf" and "nan".
std::string FormatDouble(double value);
/// FormatDouble appended to out, without a string of its own: for writers
/// of many numbers.
void AppendFormattedDouble(std::string& out, double value);

/// What a command returns: nothing, one int, double or string, or an array
/// of ints, doubles or strings.
class CommandResult
{
public:
    enum class Kind
    {
        kNone,
        kInt,
        kDouble,
        kString,
        kIntArray,
        kDoubleArray,
        kStringArray
    };

    Kind GetKind() const { return fKind; }
    /// True when there is nothing to print: no result, or an empty array.
    /// (An empty string is a result and prints as one.)
    bool IsEmpty() const;
    void Clear();

    void SetInt(int value);
    void SetDouble(double value);
    void SetString(std::string value);
    void SetInts(std::vector<int> values);
    void SetDoubles(std::vector<double> values);
    void SetStrings(std::vector<std::string> values);
    /// A yes or no: the int 1 or 0 to MEL, True or False to Python, as
    /// Maya's boolean results are. Appending to it makes an array of
    /// numbers.
    void SetBool(bool value);
    bool IsBool() const { return fBool; }

    /// How many numbers of an array belong together (3 for the values of a
    /// vector array or a double3): MEL reads the numbers flat, Python as a
    /// list of tuples, as maya.cmds' getAttr returns them. 0 when they
    /// stand alone.
    void SetTupleWidth(unsigned width) { fTupleWidth = width; }
    unsigned TupleWidth() const { return fTupleWidth; }

    /// Appends to the array result. Appending to no result starts an array
    /// of the value's type; appending to a single value turns it into an
    /// array of two. Ints and doubles mixed make a double array; numbers and
    /// strings mixed make a string array of the values as printed, which
    /// prints exactly as the mixed values would.
    void AppendInt(int value);
    void AppendDouble(double value);
    void AppendString(std::string value);

    /// The values, whether single or an array; empty for other types.
    const std::vector<int>& Ints() const { return fInts; }
    const std::vector<double>& Doubles() const { return fDoubles; }
    const std::vector<std::string>& Strings() const { return fStrings; }

    /// The result as Maya prints it between "// Result: " and " //":
    /// strings unquoted, numbers by FormatDouble, array elements separated by
    /// one space ("1 2 3"); "" for no result.
    std::string Format() const;

private:
    // Moves the current values into the string array: the common form of
    // mixed appends.
    void ConvertToStrings();

    Kind fKind = Kind::kNone;
    bool fBool = false;
    unsigned fTupleWidth = 0;
    std::vector<int> fInts;
    std::vector<double> fDoubles;
    std::vector<std::string> fStrings;
};

/// A command: reads `statement`, fills `result` (which starts empty) and
/// returns whether it succeeded. Host commands may throw; the engine turns
/// an exception into an error naming the command.
using CommandFunction = std::function<MStatus(const ScriptStatement& statement, CommandResult& result)>;

/// The registry of commands and the runner of scripts. One engine serves the
/// process (Instance()); tests may make their own. Running is meant for one
/// thread at a time; a command may itself run statements (nested runs work),
/// and may register or deregister commands while it runs.
class CommandEngine
{
public:
    /// An engine with the built-in commands that need nothing but the
    /// engine: `seed`, `currentUnit`, `source` and `evalDeferred`.
    CommandEngine();
    ~CommandEngine();
    CommandEngine(const CommandEngine&) = delete;
    CommandEngine& operator=(const CommandEngine&) = delete;

    /// The process-wide engine the host's commands and the plug-in's
    /// commands are registered in.
    static CommandEngine& Instance();

    /// Adds a command. Fails with kInvalidParameter if `name` is not a
    /// command name (a letter or '_', then letters, digits, '_') or the
    /// function is empty, and with kFailure if the name is taken.
    MStatus Register(const std::string& name, CommandFunction function);
    /// Removes a command; kNotFound if there is none of that name.
    MStatus Deregister(const std::string& name);
    bool Has(const std::string& name) const;
    /// The names of every command, in order.
    std::vector<std::string> Names() const;

    /// Runs one command call built in code (a menu's, a test's): the
    /// command of that name with the statement's arguments. A non-empty
    /// result is shown as "// Result: ... //" (LogMessage with
    /// Severity::kResult) and kept as LastResult(). A name that is no command
    /// is an error: "line 3: Cannot find procedure \"foo\"." and kNotFound.
    MStatus RunStatement(const ScriptStatement& statement);
    /// Runs a command for the script language: fills `result` and shows
    /// nothing on success. Its failures are shown once, placed:
    ///   - an unknown command: "line 3: Cannot find procedure \"foo\"." and
    ///     kNotFound;
    ///   - a command that failed and reported its error through
    ///     ReportCommandError: that error, and the command's status;
    ///   - a command that failed without doing so (say, a plug-in command that
    ///     called MGlobal::displayError itself): a further line
    ///     "line 3: cmd: " + status.errorString(), so the place is known;
    ///   - a command that threw: "line 3: cmd: Internal error: what", kFailure.
    MStatus InvokeCommand(const ScriptStatement& statement, CommandResult& result);
    /// InvokeCommand for a caller outside the script language (Python's
    /// cmds): when no script or statement is under way, the scripts the
    /// command deferred run after it, as they would after a MEL statement.
    MStatus CallCommand(const ScriptStatement& statement, CommandResult& result);
    /// Reads all of `text` (named `file` in messages; empty for none), then
    /// runs it as MEL (host/src/mel). A syntax error is shown
    /// ("file: F line 3: Syntax error: ...") and nothing runs; a failing
    /// statement stops the script, its error shown and placed. Returns
    /// the failing status (a failing command's own, kNotFound for an unknown
    /// procedure, kFailure for a syntax error...) or kSuccess. The results
    /// of a script's own top-level calls are shown as "// Result: ... //",
    /// those of the procedures it calls are not, as in Maya.
    MStatus RunScript(std::string_view text, const std::string& file = std::string());
    /// RunScript on a command string, as a menu item or evalDeferred holds
    /// one: like MEL's eval, the string's last statement may leave out its
    /// ';'.
    MStatus RunCommandString(std::string_view text);
    /// RunScript on the contents of a file, named by `path` in messages. A
    /// file that cannot be read is an error: "Cannot read file \"path\": No
    /// such file or directory." and kNotFound.
    MStatus RunScriptFile(const std::string& path);

    /// The interpreter that runs scripts, for what needs more than a script
    /// (an expression node's script, the shell).
    mel::Interpreter& Interpreter() { return *fInterpreter; }

    /// The value of the last statement run, as a command result (empty
    /// after a failure).
    CommandResult LastResult() const;

    /// Whether a script has defined a global procedure of that name.
    bool HasProcedure(const std::string& name) const;
    /// Sets a global string variable, declaring it if needed: the host's
    /// own globals, such as $gMainWindow.
    void SetGlobalString(const std::string& name, std::string value);
    /// The value of a global string variable; false when it is not declared.
    bool GlobalString(const std::string& name, std::string& value) const;
    /// Queues `script` (a command string, see RunCommandString) to run once
    /// the outermost RunScript or RunStatement under way has finished, as
    /// Maya's evalDeferred waits for idle. Deferred scripts run in order; a
    /// failing one is shown and the rest still run.
    void Defer(std::string script);

private:
    // Runs deferred scripts until none are left.
    void RunDeferred();

    mutable std::mutex fMutex;
    std::map<std::string, CommandFunction, std::less<>> fCommands;
    std::unique_ptr<mel::Interpreter> fInterpreter;
    CommandResult fLastResult;
    std::deque<std::string> fDeferred;
    // RunScript and RunStatement calls under way, so deferred scripts wait
    // for the outermost.
    int fRunDepth = 0;
};

/// Shows an error of a running command, placed as the engine places errors:
/// ScriptLocation(statement.file, statement.line) + statement.command + ": "
/// + text, e.g. "file: /s.mel line 3: setAttr: No object matches name: foo".
/// Returns MStatus(code, text), so a command can end with
/// `return ReportCommandError(statement, "...");`.
MStatus ReportCommandError(const ScriptStatement& statement, const std::string& text,
                           MStatus::MStatusCode code = MStatus::kFailure);
/// Shows a warning of a running command, placed like ReportCommandError.
void ReportCommandWarning(const ScriptStatement& statement, const std::string& text);

/// Registers a host command in CommandEngine::Instance() when the host
/// library loads, from the command's own source file:
///
///     namespace { const vxhost::CommandRegistrar kSetAttr("setAttr", SetAttrCommand); }
///
/// A name registered twice is a programming error; it is reported on stderr
/// and the first registration kept.
class CommandRegistrar
{
public:
    CommandRegistrar(const char* name, CommandFunction function);
};

} // namespace vxhost
