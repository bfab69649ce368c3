#pragma once
/// \file Script.h
/// A command call as a command sees it: the statement `setAttr -type double3
/// goal.t 1 -2.5 3e2;` after the script language (host/src/mel) has worked
/// out its arguments' values.
///
/// Arguments are flags (`-n`, `-name`), strings (their contents), numbers
/// (`3`, `-2.5`, `.5`, `3e2`, as written) and bare words (`goal.translate`,
/// `|goal|goalShape`, `particle1.position[0]`, `double3`, `true`). Words are
/// not interpreted: `on` or `true` mean something only to the command that
/// reads them.

#include <cstdlib>
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
        kFlag,   ///< text is the flag's name without the '-'
        kString, ///< text is the string's contents, escapes resolved
        kNumber, ///< text is the number as written ("-2.5", "3e2")
        kWord,   ///< text is the word as written
        /// text is "true" or "false": a boolean that a caller outside the
        /// script language passed (Python's True/False). Right after a
        /// switch flag it says whether the flag is given at all; anywhere
        /// else it reads as the word.
        kBool
    };
    Kind kind = Kind::kWord;
    std::string text;
    /// Given as a flag's keyword value by a caller outside the script
    /// language (Python's ls(sl=1)), not written after the flag.
    bool keyword = false;

    /// Whether, right after a switch flag, it says whether the flag is
    /// given at all: a boolean, or a number given by keyword.
    bool IsSwitchValue() const { return kind == Kind::kBool || (keyword && kind == Kind::kNumber); }
    /// For a switch value: true, or a number other than 0.
    bool SwitchOn() const { return kind == Kind::kBool ? text == "true" : std::strtod(text.c_str(), nullptr) != 0.0; }
};

/// One command call, with where it was written.
struct ScriptStatement
{
    std::string command;
    std::vector<ScriptArgument> arguments;
    /// The script file, or empty for text that came from no file (the
    /// interactive shell, a test).
    std::string file;
    /// The 1-based line of the command name; 0 for a statement built in
    /// code rather than parsed.
    int line = 0;
};

/// Reads `text` as plain statements: command calls whose arguments are all
/// written out (flags, numbers, strings, words), as a saved scene holds
/// them; appended to `out` in order. `file` names the text in statements
/// and messages (empty for none).
///
/// On a syntax error, or a statement that is more than a plain call
/// (a variable, an expression, a loop...), returns false with `error` set
/// to a message that names the place, as the host reports every script
/// error: "file: /path/scene.mel line 3: Syntax error: unterminated string."
bool ParseScript(std::string_view text, const std::string& file, std::vector<ScriptStatement>& out,
                 std::string& error);

/// The prefix that places a message in a script, as Maya writes it:
/// "file: /path/scene.mel line 3: ", or "line 3: " for a script without a
/// file, or "" when the line is unknown (0).
std::string ScriptLocation(const std::string& file, int line);

} // namespace vxhost
