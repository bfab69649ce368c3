#pragma once
/// \file Script.h
/// The scene script: the subset of MEL the host reads, split into statements.
///
/// A script is a sequence of statements, each a command name followed by
/// arguments and ended by ';':
///
///     createNode transform -n "goal";   // a comment
///     setAttr goal.translate -type double3 1 -2.5 3e2;
///     /* a block comment */ select -r goal;
///
/// A statement may span several lines. Arguments are flags (`-n`, `-name`),
/// double-quoted strings (escapes \" \\ \n \t \r; any other backslash is kept
/// as written; a string may not run past the end of its line), numbers (`3`, `-2.5`, `.5`,
/// `3e2`; a '-' followed by a digit or '.' starts a number, never a flag),
/// bare words (`goal.translate`, `|goal|goalShape`, `particle1.position[0]`,
/// `double3`, `true`, `..`) and variables (`$nodeName`). Words are not
/// interpreted: `on` or `true` mean something only to the command that reads
/// them. Empty statements (";;") are allowed.
///
/// Of MEL's language the reader takes only what attribute editor templates
/// and menu scripts need (ScriptProcedures runs it):
///
///     global proc AEmyNodeTemplate(string $nodeName)   // or `proc`: local to its file
///     {
///         global string $gMainWindow;                   // a global string, declared
///         myOtherProc $nodeName;                        // a call, as a command
///     }
///
/// Parameters are strings; a variable is a parameter or a global string
/// declared earlier in the same procedure (or, outside procedures, earlier
/// in the script); any other `$name` is a syntax error. Assignments,
/// expressions, control flow, local variables and `name(...)` calls are not
/// part of the subset.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vxhost
{

/// One argument of a statement.
struct ScriptArgument
{
    enum class Kind
    {
        kFlag,    ///< text is the flag's name without the '-'
        kString,  ///< text is the string's contents, escapes resolved
        kNumber,  ///< text is the number as written ("-2.5", "3e2")
        kWord,    ///< text is the word as written
        kVariable ///< text is the variable's name without the '$'
    };
    Kind kind = Kind::kWord;
    std::string text;
};

struct ScriptProcedure;

/// One statement, with where it was written: usually a command or procedure
/// call; also a procedure definition or a global variable declaration.
struct ScriptStatement
{
    enum class Kind
    {
        kCall,        ///< calls `command` with `arguments`
        kProcedure,   ///< defines `procedure`, named `command`
        kGlobalString ///< declares the global string variable named `command` (no '$')
    };
    Kind kind = Kind::kCall;
    std::string command;
    std::vector<ScriptArgument> arguments;
    /// The definition, for kProcedure; shared, so statements copy cheaply.
    std::shared_ptr<const ScriptProcedure> procedure;
    /// The script file, or empty for text that came from no file (the
    /// interactive shell, a test).
    std::string file;
    /// The 1-based line of the command name; 0 for a statement built in
    /// code rather than parsed.
    int line = 0;
};

/// A procedure a script defines.
struct ScriptProcedure
{
    std::string name;
    /// `global proc`: callable from anywhere; otherwise only from statements
    /// of the same file.
    bool global = false;
    /// The string parameters' names, without the '$', in order.
    std::vector<std::string> parameters;
    std::vector<ScriptStatement> body;
};

/// Splits `text` into statements, appended to `out` in order. `file` names
/// the text in statements and error messages (empty for none).
///
/// On a syntax error returns false and sets `error` to a message that names
/// the place, as the host reports every script error:
/// "file: /path/scene.mel line 3: Syntax error: unterminated string." (see
/// ScriptLocation). `out` then holds the statements before the faulty one;
/// nothing of a faulty script should be run, as Maya runs none of it.
/// The errors: an unterminated string or block comment (at the line it
/// starts), a statement without ';' at the end of the text (at the line the
/// statement starts), a statement that does not start with a command name,
/// a malformed number, an undeclared variable, a procedure definition
/// outside the subset (a return type, a parameter that is not a string, a
/// definition inside another, a body without its '}'), and any other
/// character that cannot start an argument ("(", "{", ...).
bool ParseScript(std::string_view text, const std::string& file, std::vector<ScriptStatement>& out,
                 std::string& error);

/// The prefix that places a message in a script, as Maya writes it:
/// "file: /path/scene.mel line 3: ", or "line 3: " for a script without a
/// file, or "" when the line is unknown (0).
std::string ScriptLocation(const std::string& file, int line);

} // namespace vxhost
