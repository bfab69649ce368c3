#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MStringArray.h>

#include <cctype>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <utility>

namespace
{
bool IsSpace(char c)
{
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

// The text with surrounding white space removed, as numbers may be padded.
std::string Trimmed(const std::string& s)
{
    size_t first = 0;
    size_t last = s.size();
    while (first < last && IsSpace(s[first]))
        ++first;
    while (last > first && IsSpace(s[last - 1]))
        --last;
    return s.substr(first, last - first);
}

bool ParseInt(const std::string& s, int& value)
{
    const std::string t = Trimmed(s);
    if (t.empty())
        return false;
    const char* begin = t.c_str();
    // from_chars rejects a leading '+', which people do write.
    const char* end = t.c_str() + t.size();
    if (*begin == '+')
    {
        ++begin;
        if (begin == end || *begin == '-')
            return false;
    }
    const auto result = std::from_chars(begin, end, value);
    return result.ec == std::errc() && result.ptr == end;
}

bool ParseDouble(const std::string& s, double& value)
{
    const std::string t = Trimmed(s);
    if (t.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtod(t.c_str(), &end);
    return end == t.c_str() + t.size() && errno != ERANGE;
}
} // namespace

unsigned int MString::numChars() const
{
    // Count every byte that does not continue a multi-byte sequence.
    unsigned int count = 0;
    for (const char c : fText)
        if ((static_cast<unsigned char>(c) & 0xC0u) != 0x80u)
            ++count;
    return count;
}

MString& MString::set(double value, int precision)
{
    if (precision < 0)
        precision = 0;
    char small[64];
    const int size = std::snprintf(small, sizeof(small), "%.*f", precision, value);
    std::string text;
    if (size < static_cast<int>(sizeof(small)))
    {
        text.assign(small, static_cast<size_t>(size));
    }
    else
    {
        // Huge values or precisions: format again into a buffer that fits.
        text.resize(static_cast<size_t>(size) + 1);
        std::snprintf(text.data(), text.size(), "%.*f", precision, value);
        text.resize(static_cast<size_t>(size));
    }
    fText = std::move(text);
    return *this;
}

MString& MString::operator+=(int value)
{
    fText += std::to_string(value);
    return *this;
}

MString& MString::operator+=(unsigned int value)
{
    fText += std::to_string(value);
    return *this;
}

MString& MString::operator+=(double value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof(buffer), value);
    fText.append(buffer, result.ptr);
    return *this;
}

MString& MString::operator+=(float value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof(buffer), value);
    fText.append(buffer, result.ptr);
    return *this;
}

bool MString::isInt() const
{
    int value = 0;
    return ParseInt(fText, value);
}

int MString::asInt() const
{
    int value = 0;
    return ParseInt(fText, value) ? value : 0;
}

bool MString::isDouble() const
{
    double value = 0.0;
    return ParseDouble(fText, value);
}

double MString::asDouble() const
{
    double value = 0.0;
    return ParseDouble(fText, value) ? value : 0.0;
}

MString MString::substring(int start, int end) const
{
    const int size = static_cast<int>(fText.size());
    if (start < 0)
        start = 0;
    if (end >= size)
        end = size - 1;
    if (start > end)
        return MString();
    MString result;
    result.fText = fText.substr(static_cast<size_t>(start), static_cast<size_t>(end - start + 1));
    return result;
}

int MString::index(char c) const
{
    const size_t at = fText.find(c);
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

int MString::rindex(char c) const
{
    const size_t at = fText.rfind(c);
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

MStatus MString::split(char separator, MStringArray& output) const
{
    output.clear();
    size_t start = 0;
    while (start <= fText.size())
    {
        size_t stop = fText.find(separator, start);
        if (stop == std::string::npos)
            stop = fText.size();
        if (stop > start)
            output.append(MString(fText.data() + start, static_cast<int>(stop - start)));
        start = stop + 1;
    }
    return MStatus::kSuccess;
}

MString MString::toLowerCase() const
{
    MString result(*this);
    for (char& c : result.fText)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return result;
}

MString MString::toUpperCase() const
{
    MString result(*this);
    for (char& c : result.fText)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return result;
}

MString& MString::trim()
{
    fText = Trimmed(fText);
    return *this;
}

OPENMAYA_MAJOR_NAMESPACE_OPEN
std::ostream& operator<<(std::ostream& out, const MString& s)
{
    return out << s.fText;
}
OPENMAYA_NAMESPACE_CLOSE
