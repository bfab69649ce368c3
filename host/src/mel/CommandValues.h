#pragma once
/// \file CommandValues.h
/// Values as the host's commands take and give them: a script's values
/// turned into a command's arguments, and a command's result into a value.

#include "mel/Value.h"

#include <vxhost/Script.h>

#include <string>
#include <vector>

namespace vxhost
{
class CommandResult;
}

namespace vxhost::mel
{

/// A number as written in a command's arguments ("3", "-2.5", "1e3"): an
/// int when it has no '.' or exponent and fits, a float otherwise.
Value NumberFromText(const std::string& text);

/// A value as the arguments of a host command: arrays and vectors give one
/// argument per element, as Maya passes them. In function form a string that
/// reads as a flag is one (`ls("-sl")`).
void AppendArguments(const Value& value, bool functionForm, std::vector<ScriptArgument>& out);

/// The command result as a value: an int, float or string, or an array of
/// them; kNone for no result.
Value FromResult(const CommandResult& result);
/// The value as a command result: a vector or matrix as its numbers.
void ToResult(const Value& value, CommandResult& out);

} // namespace vxhost::mel
