#include "mel/Lexer.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

namespace vxhost::mel
{
namespace
{
bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsNameStart(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool IsNameChar(char c)
{
    return IsNameStart(c) || IsDigit(c);
}

// Classic Mac files end lines with a bare CR, Windows ones with CR LF.
bool IsLineEnd(char c)
{
    return c == '\n' || c == '\r';
}

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Characters that end a word of a command's arguments. Everything else may
// stand in one, so paths, node paths, patterns and plugs need no quotes:
// /tmp/out.pdc, |goal|goalShape, *Shape, particle1.position[0].
bool EndsWord(char c)
{
    return IsSpace(c) || c == ';' || c == '"' || c == '`' || c == '(' || c == ')' || c == '{' || c == '}' ||
           c == '\0';
}
} // namespace

void Lexer::SkipLineEnd()
{
    // CR LF is one line end, not two.
    if (fText[fPos] == '\r' && fPos + 1 < fText.size() && fText[fPos + 1] == '\n')
        ++fPos;
    ++fPos;
    ++fLine;
}

std::string DescribeChar(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F)
        return std::string("'") + c + "'";
    char hex[8];
    std::snprintf(hex, sizeof(hex), "'\\x%02X'", byte);
    return hex;
}

Token Lexer::Error(int line, std::string message) const
{
    Token token;
    token.kind = Token::Kind::kError;
    token.text = std::move(message);
    token.line = line;
    return token;
}

bool Lexer::SkipSpace(std::string& error)
{
    while (fPos < fText.size())
    {
        const char c = fText[fPos];
        if (IsLineEnd(c))
            SkipLineEnd();
        else if (IsSpace(c))
            ++fPos;
        else if (c == '/' && fPos + 1 < fText.size() && fText[fPos + 1] == '/')
        {
            while (fPos < fText.size() && !IsLineEnd(fText[fPos]))
                ++fPos;
        }
        else if (c == '/' && fPos + 1 < fText.size() && fText[fPos + 1] == '*')
        {
            const int startLine = fLine;
            fPos += 2;
            for (;;)
            {
                if (fPos + 1 >= fText.size())
                {
                    // Placed where the comment opens, as an open string is.
                    fPos = fText.size();
                    fLine = startLine;
                    error = "unterminated comment.";
                    return false;
                }
                if (fText[fPos] == '*' && fText[fPos + 1] == '/')
                {
                    fPos += 2;
                    break;
                }
                if (IsLineEnd(fText[fPos]))
                    SkipLineEnd();
                else
                    ++fPos;
            }
        }
        else
            break;
    }
    return true;
}

Token Lexer::Peek()
{
    const Place place = Save();
    Token token = Next();
    Restore(place);
    return token;
}

Token Lexer::LexNumber(int line, bool spaced)
{
    // digits [. digits] [e [+-] digits], or . digits ..., or 0x hex digits
    const std::size_t start = fPos;
    Token token;
    token.line = line;
    token.spaced = spaced;
    if (fText[fPos] == '0' && fPos + 1 < fText.size() && (fText[fPos + 1] == 'x' || fText[fPos + 1] == 'X'))
    {
        fPos += 2;
        const std::size_t digits = fPos;
        while (fPos < fText.size() && std::isxdigit(static_cast<unsigned char>(fText[fPos])))
            ++fPos;
        const std::string text(fText.substr(digits, fPos - digits));
        errno = 0;
        const unsigned long long value = text.empty() ? 0 : std::strtoull(text.c_str(), nullptr, 16);
        if (text.empty() || errno == ERANGE || value > 0xFFFFFFFFull)
            return Error(line, "invalid number \"" + std::string(fText.substr(start, fPos - start)) + "\".");
        token.kind = Token::Kind::kInt;
        // 0xFFFFFFFF is -1, as in C.
        token.number = static_cast<double>(static_cast<int>(static_cast<unsigned>(value)));
        return token;
    }
    bool isFloat = false;
    while (fPos < fText.size() && IsDigit(fText[fPos]))
        ++fPos;
    if (fPos < fText.size() && fText[fPos] == '.')
    {
        isFloat = true;
        ++fPos;
        while (fPos < fText.size() && IsDigit(fText[fPos]))
            ++fPos;
    }
    if (fPos < fText.size() && (fText[fPos] == 'e' || fText[fPos] == 'E'))
    {
        std::size_t p = fPos + 1;
        if (p < fText.size() && (fText[p] == '+' || fText[p] == '-'))
            ++p;
        if (p < fText.size() && IsDigit(fText[p]))
        {
            isFloat = true;
            fPos = p;
            while (fPos < fText.size() && IsDigit(fText[fPos]))
                ++fPos;
        }
    }
    if (fPos < fText.size() && IsNameChar(fText[fPos]))
    {
        while (fPos < fText.size() && IsNameChar(fText[fPos]))
            ++fPos;
        return Error(line, "invalid number \"" + std::string(fText.substr(start, fPos - start)) + "\".");
    }
    const std::string text(fText.substr(start, fPos - start));
    token.number = std::strtod(text.c_str(), nullptr);
    token.kind = isFloat || token.number > INT_MAX ? Token::Kind::kFloat : Token::Kind::kInt;
    return token;
}

Token Lexer::LexString(int line, bool spaced)
{
    Token token;
    token.kind = Token::Kind::kString;
    token.line = line;
    token.spaced = spaced;
    ++fPos;
    for (;;)
    {
        if (fPos >= fText.size() || IsLineEnd(fText[fPos]))
            return Error(line, "unterminated string.");
        const char c = fText[fPos++];
        if (c == '"')
            return token;
        // Maya's strings end at a NUL byte, so one inside a string would
        // silently cut it short: a binary file read as a script, most likely.
        if (c == '\0')
            return Error(line, "a NUL byte inside a string.");
        if (c != '\\')
        {
            token.text += c;
            continue;
        }
        if (fPos >= fText.size() || IsLineEnd(fText[fPos]))
            return Error(line, "unterminated string.");
        const char e = fText[fPos++];
        switch (e)
        {
        case 'n':
            token.text += '\n';
            break;
        case 't':
            token.text += '\t';
            break;
        case 'r':
            token.text += '\r';
            break;
        case '"':
        case '\\':
            token.text += e;
            break;
        default:
            token.text += '\\';
            token.text += e;
            break;
        }
    }
}

Token Lexer::Next()
{
    std::string error;
    const std::size_t before = fPos;
    if (!SkipSpace(error))
        return Error(fLine, error);
    const bool spaced = fPos != before;
    const int line = fLine;
    Token token;
    token.line = line;
    token.spaced = spaced;
    if (fPos >= fText.size())
        return token;
    const char c = fText[fPos];
    const char n = fPos + 1 < fText.size() ? fText[fPos + 1] : '\0';
    if (IsNameStart(c))
    {
        const std::size_t start = fPos;
        while (fPos < fText.size() && IsNameChar(fText[fPos]))
            ++fPos;
        token.kind = Token::Kind::kName;
        token.text = std::string(fText.substr(start, fPos - start));
        return token;
    }
    if (c == '$')
    {
        ++fPos;
        const std::size_t start = fPos;
        if (fPos >= fText.size() || !IsNameStart(fText[fPos]))
            return Error(line, "expected a variable name after '$'.");
        while (fPos < fText.size() && IsNameChar(fText[fPos]))
            ++fPos;
        token.kind = Token::Kind::kVariable;
        token.text = std::string(fText.substr(start, fPos - start));
        return token;
    }
    if (IsDigit(c) || (c == '.' && IsDigit(n)))
        return LexNumber(line, spaced);
    if (c == '"')
        return LexString(line, spaced);

    static constexpr const char* kPairs[] = {"==", "!=", "<=", ">=", "&&", "||", "++", "--", "+=",
                                             "-=", "*=", "/=", "%=", "^=", "<<", ">>"};
    token.kind = Token::Kind::kPunct;
    for (const char* pair : kPairs)
        if (c == pair[0] && n == pair[1])
        {
            fPos += 2;
            token.op = Code(pair[0], pair[1]);
            return token;
        }
    static constexpr std::string_view kSingles = "+-*/%^=<>!?:;,.()[]{}`";
    if (kSingles.find(c) != std::string_view::npos)
    {
        ++fPos;
        token.op = c;
        return token;
    }
    return Error(line, "unexpected character " + DescribeChar(c) + ".");
}

Token Lexer::NextCommandArgument(bool insideBackticks)
{
    std::string error;
    const std::size_t before = fPos;
    if (!SkipSpace(error))
        return Error(fLine, error);
    Token token;
    token.line = fLine;
    token.spaced = fPos != before;
    if (fPos >= fText.size())
        return token;
    const char c = fText[fPos];
    const char n = fPos + 1 < fText.size() ? fText[fPos + 1] : '\0';
    if (c == ';' || c == '}' || c == ')' || (c == '`' && insideBackticks))
        return token;
    if (c == '"')
        return LexString(token.line, token.spaced);
    if (c == '$' || c == '(' || c == '{' || c == '`' || (c == '<' && n == '<'))
    {
        token.kind = Token::Kind::kPunct;
        token.op = c;
        return token;
    }
    const std::size_t start = fPos;
    const bool negative = c == '-' && (IsDigit(n) || (n == '.' && fPos + 2 < fText.size() && IsDigit(fText[fPos + 2])));
    if (IsDigit(c) || (c == '.' && IsDigit(n)) || negative)
    {
        // A number as written, if the whole word is one: "1e3", "-2.5";
        // otherwise (say "1abc" or "2.5.3") the word is text.
        std::size_t p = start + (negative ? 1 : 0);
        while (p < fText.size() && !EndsWord(fText[p]))
            ++p;
        const std::string word(fText.substr(start, p - start));
        char* end = nullptr;
        std::strtod(word.c_str(), &end);
        const bool hex = word.find_first_of("xX") != std::string::npos;
        fPos = p;
        token.kind = (end == word.c_str() + word.size() && !hex && word.find_first_of("iInN") == std::string::npos)
                         ? Token::Kind::kFloat
                         : Token::Kind::kName;
        token.text = word;
        return token;
    }
    if (static_cast<unsigned char>(c) < 0x20 && !IsSpace(c))
        return Error(token.line, "unexpected character " + DescribeChar(c) + ".");
    while (fPos < fText.size() && !EndsWord(fText[fPos]))
        ++fPos;
    token.kind = Token::Kind::kName;
    token.text = std::string(fText.substr(start, fPos - start));
    return token;
}

} // namespace vxhost::mel
