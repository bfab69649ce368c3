// libFuzzer target: the scene-script reader (ParseScript) on any text.
//
// Besides crashes, leaks and undefined behaviour it checks what the commands
// rely on: a failure says where it is; every token of a script that reads is
// well formed for its kind (a number is one that from_chars reads whole);
// and a script that reads, written back out (strings escaped again, other
// tokens as they were, a procedure on one line), reads as the same
// statements.
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
    if (statement.kind == ScriptStatement::Kind::kGlobalString)
    {
        out += "global string $" + statement.command + ";\n";
        return;
    }
    if (statement.kind == ScriptStatement::Kind::kProcedure)
    {
        const vxhost::ScriptProcedure& procedure = *statement.procedure;
        out += procedure.global ? "global proc " : "proc ";
        out += procedure.name + "(";
        for (std::size_t i = 0; i < procedure.parameters.size(); ++i)
            out += (i > 0 ? ", string $" : "string $") + procedure.parameters[i];
        out += ") { ";
        for (const ScriptStatement& inner : procedure.body)
        {
            Write(inner, out);
            out.back() = ' ';
        }
        out += "}\n";
        return;
    }
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
        case Kind::kVariable:
            out += '$';
            out += argument.text;
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
        case Kind::kVariable:
            if (argument.text.empty())
                Broken("word or variable", argument.text);
            break;
        case Kind::kString:
            break;
        }
    }
    if (statement.kind == ScriptStatement::Kind::kProcedure)
    {
        if (!statement.procedure || statement.procedure->name != statement.command)
            Broken("procedure", statement.command);
        int bodyLine = statement.line;
        for (const ScriptStatement& inner : statement.procedure->body)
        {
            CheckTokens(inner, bodyLine);
            bodyLine = inner.line;
        }
    }
}

bool SameStatement(const ScriptStatement& a, const ScriptStatement& b)
{
    if (a.kind != b.kind || a.command != b.command || a.arguments.size() != b.arguments.size())
        return false;
    for (std::size_t i = 0; i < a.arguments.size(); ++i)
        if (a.arguments[i].kind != b.arguments[i].kind || a.arguments[i].text != b.arguments[i].text)
            return false;
    if (a.kind != ScriptStatement::Kind::kProcedure)
        return true;
    const vxhost::ScriptProcedure& p = *a.procedure;
    const vxhost::ScriptProcedure& q = *b.procedure;
    if (p.global != q.global || p.parameters != q.parameters || p.body.size() != q.body.size())
        return false;
    for (std::size_t i = 0; i < p.body.size(); ++i)
        if (!SameStatement(p.body[i], q.body[i]))
            return false;
    return true;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string file = "fuzz.mel";

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
