#pragma once
/// \file MString.h
/// Maya's string class: a UTF-8 byte string.

#include <maya/MApiNamespace.h>

#include <iosfwd>
#include <string>

OPENMAYA_MAJOR_NAMESPACE_OPEN

class MStringArray;
class MStatus;

/// A UTF-8 string. Positions and lengths are in bytes except where a
/// method says characters (numChars).
class MString
{
public:
    MString() = default;
    /// Copies a NUL-terminated string; nullptr gives the empty string.
    MString(const char* text) : fText(text ? text : "") {}
    /// Copies the first `length` bytes of `text`.
    MString(const char* text, int length)
        : fText(text && length > 0 ? std::string(text, static_cast<size_t>(length)) : std::string())
    {
    }

    /// The text as a NUL-terminated UTF-8 string, valid until this string
    /// is next modified or destroyed.
    const char* asChar() const { return fText.c_str(); }
    /// Same as asChar(): the storage is already UTF-8.
    const char* asUTF8() const { return fText.c_str(); }
    /// Length in bytes, not counting the terminating NUL.
    unsigned int length() const { return static_cast<unsigned int>(fText.size()); }
    /// Length in characters (UTF-8 code points).
    unsigned int numChars() const;

    MString& operator=(const char* text)
    {
        fText = text ? text : "";
        return *this;
    }
    MString& set(const char* text)
    {
        fText = text ? text : "";
        return *this;
    }
    /// Sets the text to `value` in fixed notation with `precision` digits
    /// after the decimal point.
    MString& set(double value, int precision = 6);

    MString& operator+=(const MString& other)
    {
        fText += other.fText;
        return *this;
    }
    MString& operator+=(const char* text)
    {
        if (text)
            fText += text;
        return *this;
    }
    /// Appends the decimal text of the number.
    MString& operator+=(int value);
    MString& operator+=(unsigned int value);
    /// Appends the shortest text that reads back as the same number
    /// ("0.1", "2", "1e+20").
    MString& operator+=(double value);
    MString& operator+=(float value);

    MString operator+(const MString& other) const { return MString(*this) += other; }
    MString operator+(const char* text) const { return MString(*this) += text; }
    friend MString operator+(const char* text, const MString& s) { return MString(text) += s; }

    bool operator==(const MString& other) const { return fText == other.fText; }
    bool operator!=(const MString& other) const { return fText != other.fText; }
    bool operator==(const char* text) const { return fText == (text ? text : ""); }
    bool operator!=(const char* text) const { return !(*this == text); }
    /// Byte-wise lexicographic order.
    bool operator<(const MString& other) const { return fText < other.fText; }
    bool operator>(const MString& other) const { return fText > other.fText; }

    /// True if the whole text (surrounding white space allowed) is a
    /// decimal integer that fits in an int.
    bool isInt() const;
    /// The integer value; 0 when isInt() is false.
    int asInt() const;
    /// True if the whole text (surrounding white space allowed) is a number.
    bool isDouble() const;
    /// The numeric value; 0 when isDouble() is false.
    double asDouble() const;
    /// Same as asDouble(), narrowed.
    float asFloat() const { return static_cast<float>(asDouble()); }

    /// Bytes start..end, both inclusive. Out-of-range bounds are clipped;
    /// an empty or reversed range gives the empty string.
    MString substring(int start, int end) const;
    /// Byte position of the first occurrence of c, or -1.
    int index(char c) const;
    /// Byte position of the last occurrence of c, or -1.
    int rindex(char c) const;
    /// Splits at every occurrence of `separator` into `output` (cleared
    /// first). Empty pieces are dropped, so "a,,b" gives {"a", "b"}.
    MStatus split(char separator, MStringArray& output) const;

    /// ASCII case conversion; other bytes are unchanged.
    MString toLowerCase() const;
    MString toUpperCase() const;

    /// Removes leading and trailing white space; returns *this.
    MString& trim();

    friend std::ostream& operator<<(std::ostream& out, const MString& s);

private:
    std::string fText;
};

OPENMAYA_NAMESPACE_CLOSE
