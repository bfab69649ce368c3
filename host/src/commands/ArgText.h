#pragma once
// Reading command arguments given as text, shared by MArgList and the
// argument parsers so that "-n 3" means the same to every reader.

#include <string_view>

namespace vxhost
{
/// A finite number written in full ("3", "-2.5", ".5", "3e2").
bool ParseArgNumber(std::string_view text, double& out);
/// A number with a whole value in int's range ("3", "3e2"; not "2.5").
bool ParseArgInt(std::string_view text, int& out);
/// on/off, true/false, yes/no, 1/0.
bool ParseArgBool(std::string_view text, bool& out);
} // namespace vxhost
