// The scene-script reader: one pass over the text, statement by statement.
// The whole script is read before anything runs, so a syntax error near the
// end stops a scene before it has half-built its graph.

#include <vxhost/Script.h>

#include <cstdio>
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

class Parser
{
public:
    Parser(std::string_view text, const std::string& file, std::string& error)
        : fText(text), fFile(file), fError(error)
    {
    }

    bool Parse(std::vector<ScriptStatement>& out)
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
                return true;
            }
            const char c = fText[fPos];
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
                const size_t start = fPos;
                while (!AtEnd() && IsNameChar(fText[fPos]))
                    ++fPos;
                current.command.assign(fText.substr(start, fPos - start));
                open = true;
            }
            else
            {
                ScriptArgument argument;
                if (!ReadArgument(argument))
                    return false;
                current.arguments.push_back(std::move(argument));
            }
            // Tokens must be separated: "pCube1(" or "\"a\"\"b\"" is a typo,
            // not two arguments.
            if (!AtDelimiter())
                return Fail(fLine, "unexpected character " + Describe(fText[fPos]) + ".");
        }
    }

private:
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

    bool ReadArgument(ScriptArgument& argument)
    {
        const char c = fText[fPos];
        if (c == '"')
            return ReadString(argument);
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
