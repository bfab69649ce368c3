#pragma once
/// \file Operators.h
/// MEL's operators on values: what `+`, `*`, `^`, `<` ... mean for each pair
/// of types.

#include "mel/Value.h"

#include <cstddef>
#include <string>

namespace vxhost::mel
{

/// The longest string `+` makes: a runaway `$s += $s` stops with a message
/// long before memory runs out.
constexpr std::size_t kMaxStringBytes = std::size_t(1) << 28;

/// `a op b` for an arithmetic or comparison operator ('+', '-', '*', '/',
/// '%', '^', '<', '>', or an Op code). The rules:
///   - two ints give an int (division truncates toward zero, as in C);
///     an int and a float give a float;
///   - `+` with a string on either side joins the texts;
///   - vectors add and subtract by component, `*` of two vectors is their
///     dot product, `^` their cross product; a vector and a number scale
///     (`*`, `/`) or shift (`+`, `-`) every component;
///   - comparisons give 1 or 0; strings compare by their text, vectors by
///     their components (== and != only);
///   - a matrix multiplies a matrix of matching size.
/// Returns false with `error` set for a pair that has no meaning
/// ("Illegal operation \"-\" on data of type string.") and for integer
/// division by zero ("Division by zero.").
bool ApplyBinary(int op, const Value& a, const Value& b, Value& out, std::string& error);

/// `-a` or `!a`.
bool ApplyUnary(int op, const Value& a, Value& out, std::string& error);

/// A value as a condition: a number is true when it is not zero, a string
/// when the number it reads as is not zero, a vector when it is not zero;
/// an array is an error.
bool IsTrue(const Value& value, bool& out, std::string& error);

/// Two values as a switch compares a case with its value: numbers by value,
/// strings by text.
bool ValuesEqual(const Value& a, const Value& b);

/// The operator as written, for messages: "+", "==", "<=" ...
std::string OperatorText(int op);

} // namespace vxhost::mel
