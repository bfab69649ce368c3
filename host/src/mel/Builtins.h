#pragma once
/// \file Builtins.h
/// The language's built-in functions (size, abs, sqrt, tokenize, sort, rand
/// ...): the functions that work on values alone, apart from the host's
/// commands, which work on the scene.
///
/// The evaluator calls a built-in with its arguments already evaluated; a
/// built-in that writes an argument back (clear, tokenize's third form)
/// says which in `outArguments`, and the evaluator then requires a variable
/// there and stores the argument's new value in it.

#include "mel/Value.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vxhost::mel
{

/// A built-in function: reads `arguments` (which it may change in place: see
/// Builtin::outArguments), sets `result`, and returns true; or returns false
/// with `error` set to the message without place or function name ("Cannot
/// convert data of type string[] to type float.", "Argument 2 must be
/// positive.").
using BuiltinFunction = bool (*)(std::vector<Value>& arguments, Value& result, std::string& error);

struct Builtin
{
    const char* name;
    /// How many arguments it takes.
    unsigned minArguments;
    unsigned maxArguments;
    /// Bit i set: argument i is written back to the caller's variable.
    std::uint32_t outArguments;
    BuiltinFunction function;
};

/// In Builtin::outArguments: whichever argument comes last is written back,
/// for a built-in whose buffer moves with the number of arguments
/// (tokenize(s, buffer) and tokenize(s, separators, buffer)).
constexpr std::uint32_t kOutLastArgument = 0x80000000u;

/// Whether argument `index` of a call with `count` arguments is written back.
bool IsOutArgument(const Builtin& builtin, unsigned index, unsigned count);

/// The built-in of that name, or null.
const Builtin* FindBuiltin(std::string_view name);

/// Seeds the scripts' own random generator (rand, sphrand, gauss), which is
/// apart from the C runtime's generator the plug-in draws from, so a
/// script's draws never change the flock's.
void SeedScriptRandom(std::uint32_t seed);

} // namespace vxhost::mel
