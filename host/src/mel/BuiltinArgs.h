#pragma once
/// \file BuiltinArgs.h
/// What the built-in functions share: reading an argument as the type a
/// function wants (with MEL's conversions and MEL's message when there is
/// none), the scripts' random generator, and each theme's table.

#include "mel/Builtins.h"

#include <random>
#include <span>
#include <string>
#include <vector>

namespace vxhost::mel
{

/// Argument `index` as a number, string, vector or array. Each returns false
/// with `error` set to MEL's conversion message where MEL refuses.
bool ArgFloat(const std::vector<Value>& arguments, std::size_t index, double& out, std::string& error);
bool ArgInt(const std::vector<Value>& arguments, std::size_t index, int& out, std::string& error);
bool ArgString(const std::vector<Value>& arguments, std::size_t index, std::string& out, std::string& error);
bool ArgVector(const std::vector<Value>& arguments, std::size_t index, Vector3& out, std::string& error);
bool ArgStrings(const std::vector<Value>& arguments, std::size_t index, std::vector<std::string>& out,
                std::string& error);
bool ArgInts(const std::vector<Value>& arguments, std::size_t index, std::vector<int>& out, std::string& error);
bool ArgFloats(const std::vector<Value>& arguments, std::size_t index, std::vector<double>& out, std::string& error);

/// The scripts' generator (see SeedScriptRandom).
std::mt19937& ScriptRandom();
/// A draw in [0, 1) with 53 random bits, computed here rather than by
/// std::uniform_real_distribution so that a seed gives the same numbers
/// whatever the standard library.
double ScriptUniform();

/// Each theme's built-ins, gathered by FindBuiltin.
std::span<const Builtin> MathBuiltins();
std::span<const Builtin> StringBuiltins();
std::span<const Builtin> ArrayBuiltins();

} // namespace vxhost::mel
