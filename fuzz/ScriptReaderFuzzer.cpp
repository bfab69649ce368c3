// libFuzzer target: the script parser on any text, in both its uses: the
// whole language (mel::Parse) and plain statements (ParseScript), which
// saved scenes are written in.
//
// Besides crashes, leaks, undefined behaviour and stack overflows (nesting
// is limited) it checks what the commands rely on: a failure says where it
// is; every token of plain statements is well formed for its kind (a number
// is one that from_chars reads whole); and plain statements written back out
// (strings escaped again, other tokens as they were) read as the same
// statements.
#include "mel/Parser.h"

#include <vxhost/Script.h>

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace
{
using vxhost::ScriptArgument;
using vxhost::ScriptStatement;
using Kind = ScriptArgument::Kind;

[[noreturn]] void Broken(const char* what, const std::string& detail)
{
    std::fprintf(stderr, "script reader: %s: %s\n", what, detail.c_str());
    std::abort();
}

bool IsNameStart(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool IsName(std::string_view text)
{
    if (text.empty() || !IsNameStart(text[0]))
        return false;
    for (const char c : text)
        if (!IsNameStart(c) && !(c >= '0' && c <= '9'))
            return false;
    return true;
}

// The statement as a script would say it, on one line.
void Write(const ScriptStatement& statement, std::string& out)
{
    out += statement.command;
    for (const ScriptArgument& argument : statement.arguments)
    {
        out += ' ';
        switch (argument.kind)
        {
        case Kind::kFlag:
            out += '-';
            out += argument.text;
            break;
        case Kind::kString:
            out += '"';
            for (const char c : argument.text)
            {
                if (c == '"' || c == '\\')
                    (out += '\\') += c;
                else if (c == '\n')
                    out += "\\n";
                else if (c == '\r')
                    out += "\\r";
                else
                    out += c;
            }
            out += '"';
            break;
        case Kind::kNumber:
        case Kind::kWord:
            out += argument.text;
            break;
        }
    }
    out += ";\n";
}

void CheckTokens(const ScriptStatement& statement, int previousLine)
{
    if (!IsName(statement.command))
        Broken("command name", statement.command);
    if (statement.file != "fuzz.mel")
        Broken("file", statement.file);
    if (statement.line < previousLine || statement.line < 1)
        Broken("line", std::to_string(statement.line));
    for (const ScriptArgument& argument : statement.arguments)
    {
        switch (argument.kind)
        {
        case Kind::kFlag:
            if (!IsName(argument.text))
                Broken("flag", argument.text);
            break;
        case Kind::kNumber:
        {
            // Out of range ("1e999") is the command's business; the number
            // itself must be read to its end.
            const char* end = argument.text.data() + argument.text.size();
            double value = 0.0;
            if (argument.text.empty() || std::from_chars(argument.text.data(), end, value).ptr != end)
                Broken("number", argument.text);
            break;
        }
        case Kind::kWord:
            if (argument.text.empty())
                Broken("word", argument.text);
            break;
        case Kind::kString:
            break;
        }
    }
}

bool SameStatement(const ScriptStatement& a, const ScriptStatement& b)
{
    if (a.command != b.command || a.arguments.size() != b.arguments.size())
        return false;
    for (std::size_t i = 0; i < a.arguments.size(); ++i)
        if (a.arguments[i].kind != b.arguments[i].kind || a.arguments[i].text != b.arguments[i].text)
            return false;
    return true;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string file = "fuzz.mel";

    vxhost::mel::Program program;
    std::string languageError;
    if (!vxhost::mel::Parse(text, file, program, languageError) &&
        (languageError.rfind("file: fuzz.mel line ", 0) != 0 ||
         languageError.find(": Syntax error: ") == std::string::npos))
        Broken("error message", languageError);
    (void)vxhost::mel::CheckCompleteness(text);

    // Statements are appended: what the caller had stays.
    std::vector<ScriptStatement> statements(1);
    statements[0].command = "earlier";
    std::string error;
    const bool ok = vxhost::ParseScript(text, file, statements, error);
    if (statements.empty() || statements[0].command != "earlier" || statements[0].line != 0)
        Broken("earlier statement", "overwritten");
    if (!ok)
    {
        if (error.rfind("file: fuzz.mel line ", 0) != 0 ||
            error.find(": Syntax error: ") == std::string::npos)
            Broken("error message", error);
    }

    // Even the statements before a syntax error are whole ones.
    int previousLine = 1;
    for (std::size_t i = 1; i < statements.size(); ++i)
    {
        CheckTokens(statements[i], previousLine);
        previousLine = statements[i].line;
    }
    if (!ok)
        return 0;

    std::string written;
    for (std::size_t i = 1; i < statements.size(); ++i)
        Write(statements[i], written);
    std::vector<ScriptStatement> reread;
    std::string rereadError;
    if (!vxhost::ParseScript(written, file, reread, rereadError))
        Broken("written back, the script does not read", rereadError + "\n" + written);
    if (reread.size() != statements.size() - 1)
        Broken("written back, the statement count changed", written);
    for (std::size_t i = 0; i < reread.size(); ++i)
        if (!SameStatement(reread[i], statements[i + 1]) || reread[i].line != static_cast<int>(i) + 1)
            Broken("written back, a statement changed", written);
    return 0;
}
