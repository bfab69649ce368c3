#pragma once

#include <string>
#include <string_view>

namespace vxhost
{
/// Whether `name` is a node or attribute name as Maya takes one: letters,
/// digits and underscores, not starting with a digit. Anything else would
/// need quoting wherever a script names it, and could not be read back as
/// one word of a plug ("node.attr[0]") or a DAG path ("|a|b").
inline bool IsValidName(std::string_view name)
{
    if (name.empty() || (name[0] >= '0' && name[0] <= '9'))
        return false;
    for (const char c : name)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'))
            return false;
    return true;
}

/// `text` as a message may print it: bytes that would steer the terminal
/// (escape sequences, NUL, a bare carriage return) written as \xNN.
/// Newlines and tabs stay, as multi-line messages use them.
inline std::string Printable(std::string_view text)
{
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size());
    for (const char c : text)
    {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && c != '\n' && c != '\t') || byte == 0x7F)
        {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        }
        else
            out += c;
    }
    return out;
}
/// A name as messages quote it: 'name', escaped as Printable does. Built
/// piecewise: GCC 12 warns falsely (-Wrestrict) on "'" + std::string(...).
inline std::string QuotedName(std::string_view name)
{
    std::string out(1, '\'');
    out.append(Printable(name)).append(1, '\'');
    return out;
}
} // namespace vxhost
