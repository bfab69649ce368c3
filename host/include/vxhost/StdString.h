#pragma once
/// \file StdString.h
/// Conversions between MString and std::string for the host's own code.

#include <maya/MString.h>

#include <string>
#include <string_view>

namespace vxhost
{
/// The UTF-8 bytes of the string.
inline std::string ToStdString(const MString& s)
{
    return std::string(s.asChar(), s.length());
}
/// An MString holding exactly the given bytes (embedded NULs are kept).
inline MString ToMString(std::string_view s)
{
    return MString(s.data(), static_cast<int>(s.size()));
}
} // namespace vxhost
