// The built-in function table, argument reading shared by the built-ins, and
// the scripts' random generator.

#include "mel/BuiltinArgs.h"

#include <string_view>
#include <unordered_map>

namespace vxhost::mel
{
namespace
{

// Fixed, so that a script that never calls `seed` still draws the same
// numbers on every run.
constexpr std::uint32_t kDefaultScriptSeed = 5489u;

template <typename T>
bool ArgAs(const std::vector<Value>& arguments, std::size_t index, Type type, T Value::*member, T& out,
           std::string& error)
{
    const Value& argument = arguments.at(index);
    if (argument.GetType() == type)
    {
        out = argument.*member;
        return true;
    }
    Value converted;
    if (!ConvertTo(argument, type, converted))
    {
        error = ConversionError(argument.GetType(), type);
        return false;
    }
    out = std::move(converted.*member);
    return true;
}

} // namespace

bool ArgFloat(const std::vector<Value>& arguments, std::size_t index, double& out, std::string& error)
{
    if (ToFloat(arguments.at(index), out))
        return true;
    error = ConversionError(arguments[index].GetType(), Type::kFloat);
    return false;
}

bool ArgInt(const std::vector<Value>& arguments, std::size_t index, int& out, std::string& error)
{
    if (ToInt(arguments.at(index), out))
        return true;
    error = ConversionError(arguments[index].GetType(), Type::kInt);
    return false;
}

bool ArgString(const std::vector<Value>& arguments, std::size_t index, std::string& out, std::string& error)
{
    if (ToString(arguments.at(index), out))
        return true;
    error = ConversionError(arguments[index].GetType(), Type::kString);
    return false;
}

bool ArgVector(const std::vector<Value>& arguments, std::size_t index, Vector3& out, std::string& error)
{
    if (ToVector(arguments.at(index), out))
        return true;
    error = ConversionError(arguments[index].GetType(), Type::kVector);
    return false;
}

bool ArgStrings(const std::vector<Value>& arguments, std::size_t index, std::vector<std::string>& out,
                std::string& error)
{
    return ArgAs(arguments, index, Type::kStringArray, &Value::sa, out, error);
}

bool ArgInts(const std::vector<Value>& arguments, std::size_t index, std::vector<int>& out, std::string& error)
{
    return ArgAs(arguments, index, Type::kIntArray, &Value::ia, out, error);
}

bool ArgFloats(const std::vector<Value>& arguments, std::size_t index, std::vector<double>& out, std::string& error)
{
    return ArgAs(arguments, index, Type::kFloatArray, &Value::fa, out, error);
}

std::mt19937& ScriptRandom()
{
    static std::mt19937 generator(kDefaultScriptSeed);
    return generator;
}

double ScriptUniform()
{
    std::mt19937& generator = ScriptRandom();
    const std::uint64_t high = generator() >> 5; // 27 bits
    const std::uint64_t low = generator() >> 6;  // 26 bits
    return static_cast<double>((high << 26) | low) / 9007199254740992.0;
}

void SeedScriptRandom(std::uint32_t seed)
{
    ScriptRandom().seed(seed);
}

bool IsOutArgument(const Builtin& builtin, unsigned index, unsigned count)
{
    if ((builtin.outArguments & kOutLastArgument) != 0 && count > 0 && index == count - 1)
        return true;
    return index < 31 && (builtin.outArguments & (1u << index)) != 0;
}

const Builtin* FindBuiltin(std::string_view name)
{
    static const std::unordered_map<std::string_view, const Builtin*> table = []
    {
        std::unordered_map<std::string_view, const Builtin*> byName;
        for (const std::span<const Builtin> theme : {MathBuiltins(), StringBuiltins(), ArrayBuiltins()})
            for (const Builtin& builtin : theme)
                byName.emplace(builtin.name, &builtin);
        return byName;
    }();
    const auto found = table.find(name);
    return found == table.end() ? nullptr : found->second;
}

} // namespace vxhost::mel
