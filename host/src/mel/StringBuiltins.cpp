// String built-ins. Positions are MEL's: 1-based and inclusive. Regular
// expressions (match, substitute) are POSIX extended, which is what MEL's
// own syntax (. * + ? ^ $ [...] (...)) is closest to.

#include "mel/BuiltinArgs.h"

#include <algorithm>
#include <cctype>
#include <regex>

namespace vxhost::mel
{
namespace
{

using Args = std::vector<Value>;

constexpr const char* kWhitespace = " \t\n\r";

bool Upper(Args& arguments, Value& result, std::string& error)
{
    std::string s;
    if (!ArgString(arguments, 0, s, error))
        return false;
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    result = Value::String(std::move(s));
    return true;
}

bool Lower(Args& arguments, Value& result, std::string& error)
{
    std::string s;
    if (!ArgString(arguments, 0, s, error))
        return false;
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    result = Value::String(std::move(s));
    return true;
}

template <bool kUpper>
bool CapitalizeFirst(Args& arguments, Value& result, std::string& error)
{
    std::string s;
    if (!ArgString(arguments, 0, s, error))
        return false;
    if (!s.empty())
    {
        const auto c = static_cast<unsigned char>(s[0]);
        s[0] = static_cast<char>(kUpper ? std::toupper(c) : std::tolower(c));
    }
    result = Value::String(std::move(s));
    return true;
}

bool Strip(Args& arguments, Value& result, std::string& error)
{
    std::string s;
    if (!ArgString(arguments, 0, s, error))
        return false;
    const std::size_t first = s.find_first_not_of(kWhitespace);
    if (first == std::string::npos)
        result = Value::String({});
    else
        result = Value::String(s.substr(first, s.find_last_not_of(kWhitespace) - first + 1));
    return true;
}

// substring(s, start, end): characters start..end, counted from 1. Indices
// outside the string are clamped to it and an empty range gives "", so a
// script taking "the rest" of a short string gets what is there.
bool Substring(Args& arguments, Value& result, std::string& error)
{
    std::string s;
    int start = 0;
    int end = 0;
    if (!ArgString(arguments, 0, s, error) || !ArgInt(arguments, 1, start, error) || !ArgInt(arguments, 2, end, error))
        return false;
    const long long first = std::max(1, start);
    const long long last = std::min<long long>(end, static_cast<long long>(s.size()));
    if (last < first)
        result = Value::String({});
    else
        result = Value::String(s.substr(static_cast<std::size_t>(first - 1), static_cast<std::size_t>(last - first + 1)));
    return true;
}

bool StartString(Args& arguments, Value& result, std::string& error)
{
    std::string s;
    int count = 0;
    if (!ArgString(arguments, 0, s, error) || !ArgInt(arguments, 1, count, error))
        return false;
    result = Value::String(count <= 0 ? std::string() : s.substr(0, static_cast<std::size_t>(count)));
    return true;
}

bool EndString(Args& arguments, Value& result, std::string& error)
{
    std::string s;
    int count = 0;
    if (!ArgString(arguments, 0, s, error) || !ArgInt(arguments, 1, count, error))
        return false;
    const std::size_t n = count <= 0 ? 0 : std::min(s.size(), static_cast<std::size_t>(count));
    result = Value::String(s.substr(s.size() - n));
    return true;
}

bool StartsWith(Args& arguments, Value& result, std::string& error)
{
    std::string s;
    std::string prefix;
    if (!ArgString(arguments, 0, s, error) || !ArgString(arguments, 1, prefix, error))
        return false;
    result = Value::Int(s.starts_with(prefix) ? 1 : 0);
    return true;
}

bool EndsWith(Args& arguments, Value& result, std::string& error)
{
    std::string s;
    std::string suffix;
    if (!ArgString(arguments, 0, s, error) || !ArgString(arguments, 1, suffix, error))
        return false;
    result = Value::Int(s.ends_with(suffix) ? 1 : 0);
    return true;
}

bool Strcmp(Args& arguments, Value& result, std::string& error)
{
    std::string a;
    std::string b;
    if (!ArgString(arguments, 0, a, error) || !ArgString(arguments, 1, b, error))
        return false;
    const int order = a.compare(b);
    result = Value::Int(order < 0 ? -1 : (order > 0 ? 1 : 0));
    return true;
}

bool SizeBytes(Args& arguments, Value& result, std::string& error)
{
    std::string s;
    if (!ArgString(arguments, 0, s, error))
        return false;
    result = Value::Int(static_cast<int>(std::min<std::size_t>(s.size(), 2147483647u)));
    return true;
}

// The text as it would be written between double quotes in a script.
bool EncodeString(Args& arguments, Value& result, std::string& error)
{
    std::string s;
    if (!ArgString(arguments, 0, s, error))
        return false;
    std::string encoded;
    encoded.reserve(s.size());
    for (const char c : s)
    {
        switch (c)
        {
        case '"': encoded += "\\\""; break;
        case '\\': encoded += "\\\\"; break;
        case '\n': encoded += "\\n"; break;
        case '\t': encoded += "\\t"; break;
        case '\r': encoded += "\\r"; break;
        default: encoded += c;
        }
    }
    result = Value::String(std::move(encoded));
    return true;
}

// Splits at any of the separator characters; runs of separators give no
// empty tokens, as MEL's tokenize does.
std::vector<std::string> Tokens(const std::string& s, const std::string& separators)
{
    std::vector<std::string> tokens;
    std::size_t pos = 0;
    while (pos < s.size())
    {
        const std::size_t start = separators.empty() ? pos : s.find_first_not_of(separators, pos);
        if (start == std::string::npos)
            break;
        const std::size_t end = separators.empty() ? std::string::npos : s.find_first_of(separators, start);
        tokens.push_back(s.substr(start, end == std::string::npos ? std::string::npos : end - start));
        pos = end == std::string::npos ? s.size() : end;
    }
    return tokens;
}

// tokenize(s, buffer) or tokenize(s, separators, buffer): the buffer (the
// last argument) receives the tokens, the result is their count.
bool Tokenize(Args& arguments, Value& result, std::string& error)
{
    std::string s;
    std::string separators = kWhitespace;
    if (!ArgString(arguments, 0, s, error))
        return false;
    if (arguments.size() == 3 && !ArgString(arguments, 1, separators, error))
        return false;
    std::vector<std::string> tokens = Tokens(s, separators);
    result = Value::Int(static_cast<int>(tokens.size()));
    arguments.back() = Value::Strings(std::move(tokens));
    return true;
}

bool StringToStringArray(Args& arguments, Value& result, std::string& error)
{
    std::string s;
    std::string separators;
    if (!ArgString(arguments, 0, s, error) || !ArgString(arguments, 1, separators, error))
        return false;
    result = Value::Strings(Tokens(s, separators));
    return true;
}

bool CompileRegex(const std::string& pattern, std::regex& out, std::string& error)
{
    try
    {
        out = std::regex(pattern, std::regex::extended);
        return true;
    }
    catch (const std::regex_error&)
    {
        error = "Invalid regular expression: " + pattern;
        return false;
    }
}

// The first match of the expression, or -1 in `position` if none.
bool FirstMatch(const std::string& pattern, const std::string& s, std::size_t& position, std::size_t& length,
                std::string& error)
{
    std::regex expression;
    if (!CompileRegex(pattern, expression, error))
        return false;
    try
    {
        std::smatch found;
        if (std::regex_search(s, found, expression))
        {
            position = static_cast<std::size_t>(found.position(0));
            length = static_cast<std::size_t>(found.length(0));
        }
        else
            position = std::string::npos;
        return true;
    }
    catch (const std::regex_error&)
    {
        // Too complex to search (the matcher's own limit): better an error
        // than a crash in a script.
        error = "Invalid regular expression: " + pattern;
        return false;
    }
}

bool Match(Args& arguments, Value& result, std::string& error)
{
    std::string pattern;
    std::string s;
    if (!ArgString(arguments, 0, pattern, error) || !ArgString(arguments, 1, s, error))
        return false;
    std::size_t position = 0;
    std::size_t length = 0;
    if (!FirstMatch(pattern, s, position, length, error))
        return false;
    result = Value::String(position == std::string::npos ? std::string() : s.substr(position, length));
    return true;
}

// substitute(regex, s, replacement): the first match replaced by the
// replacement as plain text.
bool Substitute(Args& arguments, Value& result, std::string& error)
{
    std::string pattern;
    std::string s;
    std::string replacement;
    if (!ArgString(arguments, 0, pattern, error) || !ArgString(arguments, 1, s, error) ||
        !ArgString(arguments, 2, replacement, error))
        return false;
    std::size_t position = 0;
    std::size_t length = 0;
    if (!FirstMatch(pattern, s, position, length, error))
        return false;
    if (position != std::string::npos)
        s.replace(position, length, replacement);
    result = Value::String(std::move(s));
    return true;
}

bool SubstituteAllString(Args& arguments, Value& result, std::string& error)
{
    std::string s;
    std::string find;
    std::string replace;
    if (!ArgString(arguments, 0, s, error) || !ArgString(arguments, 1, find, error) ||
        !ArgString(arguments, 2, replace, error))
        return false;
    if (find.empty())
    {
        result = Value::String(std::move(s));
        return true;
    }
    std::string out;
    std::size_t pos = 0;
    for (std::size_t hit = s.find(find); hit != std::string::npos; hit = s.find(find, pos))
    {
        out.append(s, pos, hit - pos);
        out += replace;
        pos = hit + find.size();
    }
    out.append(s, pos);
    result = Value::String(std::move(out));
    return true;
}

// One bracket expression at pattern[p] (just after '['): whether c is in it;
// `p` is left after the closing ']'. An unclosed '[' matches itself.
bool InBracket(const std::string& pattern, std::size_t& p, char c, bool& wellFormed)
{
    std::size_t i = p;
    const bool negate = i < pattern.size() && (pattern[i] == '!' || pattern[i] == '^');
    if (negate)
        ++i;
    bool found = false;
    bool first = true;
    while (i < pattern.size() && (pattern[i] != ']' || first))
    {
        first = false;
        char low = pattern[i];
        if (low == '\\' && i + 1 < pattern.size())
            low = pattern[++i];
        char high = low;
        if (i + 2 < pattern.size() && pattern[i + 1] == '-' && pattern[i + 2] != ']')
        {
            high = pattern[i + 2];
            i += 2;
        }
        if (c >= low && c <= high)
            found = true;
        ++i;
    }
    wellFormed = i < pattern.size();
    if (!wellFormed)
        return c == '[';
    p = i + 1;
    return found != negate;
}

// Glob matching with backtracking to the last '*' only, which is enough
// because a later '*' can absorb anything an earlier one would have.
bool Glob(const std::string& s, const std::string& pattern)
{
    std::size_t si = 0;
    std::size_t pi = 0;
    std::size_t starP = std::string::npos;
    std::size_t starS = 0;
    while (si < s.size())
    {
        bool advanced = false;
        if (pi < pattern.size())
        {
            const char pc = pattern[pi];
            if (pc == '*')
            {
                starP = pi++;
                starS = si;
                continue;
            }
            if (pc == '?')
            {
                ++pi;
                ++si;
                continue;
            }
            if (pc == '[')
            {
                std::size_t next = pi + 1;
                bool wellFormed = true;
                if (InBracket(pattern, next, s[si], wellFormed))
                {
                    pi = wellFormed ? next : pi + 1;
                    ++si;
                    advanced = true;
                }
            }
            else
            {
                std::size_t literal = pi;
                if (pc == '\\' && pi + 1 < pattern.size())
                    ++literal;
                if (pattern[literal] == s[si])
                {
                    pi = literal + 1;
                    ++si;
                    advanced = true;
                }
            }
        }
        if (advanced)
            continue;
        if (starP == std::string::npos)
            return false;
        pi = starP + 1;
        si = ++starS;
    }
    while (pi < pattern.size() && pattern[pi] == '*')
        ++pi;
    return pi == pattern.size();
}

bool Gmatch(Args& arguments, Value& result, std::string& error)
{
    std::string s;
    std::string pattern;
    if (!ArgString(arguments, 0, s, error) || !ArgString(arguments, 1, pattern, error))
        return false;
    result = Value::Int(Glob(s, pattern) ? 1 : 0);
    return true;
}

constexpr Builtin kStrings[] = {
    {"substring", 3, 3, 0, Substring},
    {"tokenize", 2, 3, kOutLastArgument, Tokenize},
    {"toupper", 1, 1, 0, Upper},
    {"tolower", 1, 1, 0, Lower},
    {"capitalizeString", 1, 1, 0, CapitalizeFirst<true>},
    {"uncapitalizeString", 1, 1, 0, CapitalizeFirst<false>},
    {"strip", 1, 1, 0, Strip},
    {"startString", 2, 2, 0, StartString},
    {"endString", 2, 2, 0, EndString},
    {"startsWith", 2, 2, 0, StartsWith},
    {"endsWith", 2, 2, 0, EndsWith},
    {"strcmp", 2, 2, 0, Strcmp},
    {"sizeBytes", 1, 1, 0, SizeBytes},
    {"encodeString", 1, 1, 0, EncodeString},
    {"match", 2, 2, 0, Match},
    {"gmatch", 2, 2, 0, Gmatch},
    {"substitute", 3, 3, 0, Substitute},
    {"substituteAllString", 3, 3, 0, SubstituteAllString},
    {"stringToStringArray", 2, 2, 0, StringToStringArray},
};

} // namespace

std::span<const Builtin> StringBuiltins()
{
    return kStrings;
}

} // namespace vxhost::mel
