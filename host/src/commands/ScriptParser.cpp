// The scene-script reader: one pass over the text, statement by statement.
// The whole script is read before anything runs, so a syntax error near the
// end stops a scene before it has half-built its graph.

#include <vxhost/Script.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <set>
#include <utility>

namespace vxhost
{
namespace
{

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsAlpha(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool IsNameChar(char c)
{
    return IsAlpha(c) || IsDigit(c) || c == '_';
}

// Bytes of UTF-8 sequences are let through so node names may use them.
bool IsWordStart(char c)
{
    return IsAlpha(c) || c == '_' || c == '|' || c == ':' || c == '*' || c == '?' ||
           static_cast<unsigned char>(c) >= 0x80;
}

bool IsWordChar(char c)
{
    return IsWordStart(c) || IsDigit(c) || c == '.' || c == '[' || c == ']';
}

// -?(digits[.digits] | .digits)([eE][+-]?digits)?
bool IsNumber(std::string_view s)
{
    size_t i = 0;
    if (i < s.size() && s[i] == '-')
        ++i;
    size_t digits = 0;
    while (i < s.size() && IsDigit(s[i]))
        ++i, ++digits;
    if (i < s.size() && s[i] == '.')
    {
        ++i;
        while (i < s.size() && IsDigit(s[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E'))
    {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            ++i;
        size_t exponentDigits = 0;
        while (i < s.size() && IsDigit(s[i]))
            ++i, ++exponentDigits;
        if (exponentDigits == 0)
            return false;
    }
    return i == s.size();
}

// A character as an error message shows it.
std::string Describe(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F)
        return std::string("'") + c + "'";
    char hex[8];
    std::snprintf(hex, sizeof(hex), "'\\x%02X'", byte);
    return hex;
}

// The variables a statement may name: a procedure's parameters and the
// globals it has declared so far, or those declared so far outside
// procedures.
using Scope = std::set<std::string, std::less<>>;

bool IsTypeName(std::string_view name)
{
    return name == "string" || name == "int" || name == "float" || name == "vector" || name == "matrix";
}

class Parser
{
public:
    Parser(std::string_view text, const std::string& file, std::string& error)
        : fText(text), fFile(file), fError(error)
    {
    }

    bool Parse(std::vector<ScriptStatement>& out)
    {
        Scope topLevel;
        return ParseStatements(out, topLevel, nullptr);
    }

private:
    // Statements up to the end of the text, or for a procedure's body up to
    // its closing '}' (which is consumed).
    bool ParseStatements(std::vector<ScriptStatement>& out, Scope& scope, const ScriptProcedure* body)
    {
        ScriptStatement current;
        bool open = false;
        for (;;)
        {
            if (!SkipSpaceAndComments())
                return false;
            if (AtEnd())
            {
                if (open)
                    return Fail(current.line,
                                "missing \";\" at the end of the \"" + current.command + "\" statement.");
                if (body)
                    return Fail(fBodyLine, "missing \"}\" at the end of procedure \"" + body->name + "\".");
                return true;
            }
            const char c = fText[fPos];
            if (c == '}' && body)
            {
                if (open)
                    return Fail(current.line,
                                "missing \";\" at the end of the \"" + current.command + "\" statement.");
                ++fPos;
                return true;
            }
            if (c == ';')
            {
                ++fPos;
                if (open)
                    out.push_back(std::move(current));
                open = false;
                continue;
            }
            if (!open)
            {
                if (!IsAlpha(c) && c != '_')
                    return Fail(fLine, "expected a command name, found " + Describe(c) + ".");
                current = ScriptStatement();
                current.file = fFile;
                current.line = fLine;
                current.command = ReadName();
                if (current.command == "global" || current.command == "proc")
                {
                    if (!ParseDefinition(current, out, scope, body != nullptr))
                        return false;
                    continue;
                }
                if (IsTypeName(current.command) && NextNonSpace() == '$')
                    return Fail(fLine,
                                "local variables are not supported; only \"global string\" declarations.");
                open = true;
            }
            else
            {
                ScriptArgument argument;
                if (!ReadArgument(argument, scope))
                    return false;
                current.arguments.push_back(std::move(argument));
            }
            // Tokens must be separated: "pCube1(" or "\"a\"\"b\"" is a typo,
            // not two arguments.
            if (!AtDelimiter())
                return Fail(fLine, "unexpected character " + Describe(fText[fPos]) + ".");
        }
    }

    // After "global" or "proc" (the name read into `statement`): a global
    // string declaration, or a procedure definition with its body.
    bool ParseDefinition(ScriptStatement& statement, std::vector<ScriptStatement>& out, Scope& scope,
                         bool inBody)
    {
        bool global = false;
        std::string keyword = statement.command;
        if (keyword == "global")
        {
            global = true;
            if (!SkipSpaceAndComments())
                return false;
            keyword = ReadName();
            if (keyword == "string")
                return ParseGlobalString(statement, out, scope);
            if (IsTypeName(keyword))
                return Fail(fLine,
                            "global variables of type \"" + keyword + "\" are not supported; only string.");
            if (keyword != "proc")
                return Fail(fLine, "expected \"proc\" or \"string\" after \"global\".");
        }
        if (inBody)
            return Fail(statement.line, "a procedure cannot be defined inside another.");
        return ParseProcedure(statement, global, out);
    }

    // "global string" read: "$name;".
    bool ParseGlobalString(ScriptStatement& statement, std::vector<ScriptStatement>& out, Scope& scope)
    {
        if (!SkipSpaceAndComments())
            return false;
        std::string name;
        if (!ReadVariableName(name))
            return false;
        if (!SkipSpaceAndComments())
            return false;
        if (Peek(0) == '[')
            return Fail(fLine, "string arrays are not supported.");
        if (Peek(0) != ';')
            return Fail(fLine, "expected \";\" after the declaration of \"$" + name +
                                   "\"; a global variable cannot be given a value here.");
        ++fPos;
        statement.kind = ScriptStatement::Kind::kGlobalString;
        statement.command = name;
        scope.insert(name);
        out.push_back(std::move(statement));
        return true;
    }

    // "[global] proc" read: "name(string $a, ...) { statements }".
    bool ParseProcedure(ScriptStatement& statement, bool global, std::vector<ScriptStatement>& out)
    {
        auto procedure = std::make_shared<ScriptProcedure>();
        procedure->global = global;
        if (!SkipSpaceAndComments())
            return false;
        if (AtEnd() || (!IsAlpha(fText[fPos]) && fText[fPos] != '_'))
            return Fail(fLine, "expected a procedure name after \"proc\".");
        procedure->name = ReadName();
        if (!SkipSpaceAndComments())
            return false;
        if (Peek(0) != '(')
        {
            if (IsTypeName(procedure->name))
                return Fail(fLine, "procedures that return a value are not supported.");
            return Fail(fLine, "expected \"(\" after procedure name \"" + procedure->name + "\".");
        }
        ++fPos;
        Scope parameters;
        if (!ParseParameters(*procedure, parameters))
            return false;
        if (!SkipSpaceAndComments())
            return false;
        if (Peek(0) != '{')
            return Fail(fLine, "expected \"{\" to start the body of procedure \"" + procedure->name + "\".");
        ++fPos;
        fBodyLine = statement.line;
        if (!ParseStatements(procedure->body, parameters, procedure.get()))
            return false;
        statement.kind = ScriptStatement::Kind::kProcedure;
        statement.command = procedure->name;
        statement.procedure = std::move(procedure);
        out.push_back(std::move(statement));
        return true;
    }

    // After "(": "string $a, string $b)" or ")".
    bool ParseParameters(ScriptProcedure& procedure, Scope& parameters)
    {
        if (!SkipSpaceAndComments())
            return false;
        if (Peek(0) == ')')
        {
            ++fPos;
            return true;
        }
        for (;;)
        {
            if (!SkipSpaceAndComments())
                return false;
            const std::string type = AtEnd() || !IsAlpha(fText[fPos]) ? std::string() : ReadName();
            if (type != "string")
            {
                if (IsTypeName(type))
                    return Fail(fLine, "parameters of type \"" + type + "\" are not supported; only string.");
                return Fail(fLine, "expected a parameter such as \"string $name\" in procedure \"" +
                                       procedure.name + "\".");
            }
            if (!SkipSpaceAndComments())
                return false;
            std::string name;
            if (!ReadVariableName(name))
                return false;
            if (Peek(0) == '[')
                return Fail(fLine, "array parameters are not supported.");
            if (!parameters.insert(name).second)
                return Fail(fLine, "parameter \"$" + name + "\" is given twice.");
            procedure.parameters.push_back(name);
            if (!SkipSpaceAndComments())
                return false;
            if (Peek(0) == ')')
            {
                ++fPos;
                return true;
            }
            if (Peek(0) != ',')
                return Fail(fLine, "expected \",\" or \")\" after parameter \"$" + name + "\".");
            ++fPos;
        }
    }

    std::string ReadName()
    {
        const size_t start = fPos;
        while (!AtEnd() && IsNameChar(fText[fPos]))
            ++fPos;
        return std::string(fText.substr(start, fPos - start));
    }

    // "$name", the '$' included.
    bool ReadVariableName(std::string& name)
    {
        if (Peek(0) != '$' || !(IsAlpha(Peek(1)) || Peek(1) == '_'))
            return Fail(fLine, "expected a variable name such as \"$name\".");
        ++fPos;
        name = ReadName();
        return true;
    }

    // The next character after spaces on this line, without moving.
    char NextNonSpace() const
    {
        size_t i = fPos;
        while (i < fText.size() && (fText[i] == ' ' || fText[i] == '\t'))
            ++i;
        return i < fText.size() ? fText[i] : '\0';
    }

    bool AtEnd() const { return fPos >= fText.size(); }

    char Peek(size_t ahead) const { return fPos + ahead < fText.size() ? fText[fPos + ahead] : '\0'; }

    bool AtCommentStart() const { return Peek(0) == '/' && (Peek(1) == '/' || Peek(1) == '*'); }

    bool AtDelimiter() const
    {
        return AtEnd() || IsSpace(fText[fPos]) || fText[fPos] == ';' || AtCommentStart();
    }

    bool Fail(int line, const std::string& message)
    {
        fError = ScriptLocation(fFile, line) + "Syntax error: " + message;
        return false;
    }

    bool SkipSpaceAndComments()
    {
        while (!AtEnd())
        {
            const char c = fText[fPos];
            if (IsSpace(c))
            {
                if (c == '\n')
                    ++fLine;
                ++fPos;
            }
            else if (c == '/' && Peek(1) == '/')
            {
                while (!AtEnd() && fText[fPos] != '\n')
                    ++fPos;
            }
            else if (c == '/' && Peek(1) == '*')
            {
                const int startLine = fLine;
                fPos += 2;
                for (;;)
                {
                    if (AtEnd())
                        return Fail(startLine, "unterminated comment.");
                    if (fText[fPos] == '*' && Peek(1) == '/')
                    {
                        fPos += 2;
                        break;
                    }
                    if (fText[fPos] == '\n')
                        ++fLine;
                    ++fPos;
                }
            }
            else
            {
                return true;
            }
        }
        return true;
    }

    bool ReadArgument(ScriptArgument& argument, const Scope& scope)
    {
        const char c = fText[fPos];
        if (c == '"')
            return ReadString(argument);
        if (c == '$')
        {
            const int line = fLine;
            if (!ReadVariableName(argument.text))
                return false;
            if (scope.find(argument.text) == scope.end())
                return Fail(line, "\"$" + argument.text + "\" is an undeclared variable.");
            argument.kind = ScriptArgument::Kind::kVariable;
            return true;
        }
        // "..", the parent of setParent, is a word.
        if (c == '.' && Peek(1) == '.')
        {
            const size_t start = fPos;
            while (!AtEnd() && IsWordChar(fText[fPos]))
                ++fPos;
            argument.kind = ScriptArgument::Kind::kWord;
            argument.text.assign(fText.substr(start, fPos - start));
            return true;
        }
        if (IsDigit(c) || c == '.' || (c == '-' && (IsDigit(Peek(1)) || Peek(1) == '.')))
            return ReadNumber(argument);
        if (c == '-' && (IsAlpha(Peek(1)) || Peek(1) == '_'))
        {
            ++fPos;
            const size_t start = fPos;
            while (!AtEnd() && IsNameChar(fText[fPos]))
                ++fPos;
            argument.kind = ScriptArgument::Kind::kFlag;
            argument.text.assign(fText.substr(start, fPos - start));
            return true;
        }
        if (IsWordStart(c))
        {
            const size_t start = fPos;
            while (!AtEnd() && IsWordChar(fText[fPos]))
                ++fPos;
            argument.kind = ScriptArgument::Kind::kWord;
            argument.text.assign(fText.substr(start, fPos - start));
            return true;
        }
        return Fail(fLine, "unexpected character " + Describe(c) + ".");
    }

    bool ReadString(ScriptArgument& argument)
    {
        const int startLine = fLine;
        argument.kind = ScriptArgument::Kind::kString;
        ++fPos;
        for (;;)
        {
            if (AtEnd() || fText[fPos] == '\n')
                return Fail(startLine, "unterminated string.");
            const char c = fText[fPos++];
            if (c == '"')
                return true;
            if (c != '\\')
            {
                argument.text += c;
                continue;
            }
            if (AtEnd() || fText[fPos] == '\n')
                return Fail(startLine, "unterminated string.");
            const char escaped = fText[fPos++];
            switch (escaped)
            {
            case '"':
            case '\\':
                argument.text += escaped;
                break;
            case 'n':
                argument.text += '\n';
                break;
            case 't':
                argument.text += '\t';
                break;
            case 'r':
                argument.text += '\r';
                break;
            default:
                // Kept as written, so a Windows path such as "C:\data" survives.
                argument.text += '\\';
                argument.text += escaped;
                break;
            }
        }
    }

    bool ReadNumber(ScriptArgument& argument)
    {
        // Take the whole run that could belong to the token, so "1abc" is
        // reported as one bad number rather than a number and a word.
        const size_t start = fPos;
        if (fText[fPos] == '-')
            ++fPos;
        while (!AtEnd())
        {
            const char c = fText[fPos];
            const char previous = fPos > start ? fText[fPos - 1] : '\0';
            const bool exponentSign = (c == '+' || c == '-') && (previous == 'e' || previous == 'E');
            if (!IsNameChar(c) && c != '.' && !exponentSign)
                break;
            ++fPos;
        }
        const std::string_view token = fText.substr(start, fPos - start);
        if (!IsNumber(token))
            return Fail(fLine, "invalid number \"" + std::string(token) + "\".");
        argument.kind = ScriptArgument::Kind::kNumber;
        argument.text.assign(token);
        return true;
    }

    std::string_view fText;
    const std::string& fFile;
    std::string& fError;
    size_t fPos = 0;
    int fLine = 1;
    // The line of the procedure whose body is being read.
    int fBodyLine = 0;
};

} // namespace

bool ParseScript(std::string_view text, const std::string& file, std::vector<ScriptStatement>& out,
                 std::string& error)
{
    return Parser(text, file, error).Parse(out);
}

std::string ScriptLocation(const std::string& file, int line)
{
    if (line <= 0)
        return std::string();
    std::string location;
    if (!file.empty())
        location = "file: " + file + " ";
    return location + "line " + std::to_string(line) + ": ";
}

} // namespace vxhost
