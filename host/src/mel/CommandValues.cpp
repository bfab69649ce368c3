#include "mel/CommandValues.h"

#include <vxhost/CommandEngine.h>

#include <climits>
#include <cstdlib>

namespace vxhost::mel
{
namespace
{
bool StartsFlag(const std::string& text)
{
    return text.size() > 1 && text[0] == '-' &&
           ((text[1] >= 'a' && text[1] <= 'z') || (text[1] >= 'A' && text[1] <= 'Z') || text[1] == '_');
}

void AppendNumber(std::vector<ScriptArgument>& out, double value)
{
    out.push_back({ScriptArgument::Kind::kNumber, FormatDouble(value)});
}

} // namespace

Value NumberFromText(const std::string& text)
{
    const bool isFloat = text.find_first_of(".eE") != std::string::npos;
    const double value = std::strtod(text.c_str(), nullptr);
    if (!isFloat && value >= INT_MIN && value <= INT_MAX)
        return Value::Int(static_cast<int>(value));
    return Value::Float(value);
}

void AppendArguments(const Value& value, bool functionForm, std::vector<ScriptArgument>& out)
{
    const auto appendString = [&](const std::string& text)
    {
        if (functionForm && StartsFlag(text))
            out.push_back({ScriptArgument::Kind::kFlag, text.substr(1)});
        else
            out.push_back({ScriptArgument::Kind::kString, text});
    };
    switch (value.GetType())
    {
    case Type::kNone:
        break;
    case Type::kInt:
        out.push_back({ScriptArgument::Kind::kNumber, std::to_string(value.i)});
        break;
    case Type::kFloat:
        AppendNumber(out, value.f);
        break;
    case Type::kString:
        appendString(value.s);
        break;
    case Type::kVector:
        for (const double c : {value.v.x, value.v.y, value.v.z})
            AppendNumber(out, c);
        break;
    case Type::kMatrix:
        for (const double c : value.m.values)
            AppendNumber(out, c);
        break;
    case Type::kIntArray:
        for (const int i : value.ia)
            out.push_back({ScriptArgument::Kind::kNumber, std::to_string(i)});
        break;
    case Type::kFloatArray:
        for (const double f : value.fa)
            AppendNumber(out, f);
        break;
    case Type::kStringArray:
        for (const std::string& s : value.sa)
            appendString(s);
        break;
    case Type::kVectorArray:
        for (const Vector3& v : value.va)
            for (const double c : {v.x, v.y, v.z})
                AppendNumber(out, c);
        break;
    }
}

Value FromResult(const CommandResult& result)
{
    switch (result.GetKind())
    {
    case CommandResult::Kind::kNone:
        return Value();
    case CommandResult::Kind::kInt:
        return Value::Int(result.Ints().front());
    case CommandResult::Kind::kDouble:
        return Value::Float(result.Doubles().front());
    case CommandResult::Kind::kString:
        return Value::String(result.Strings().front());
    case CommandResult::Kind::kIntArray:
        return Value::Ints(result.Ints());
    case CommandResult::Kind::kDoubleArray:
        return Value::Floats(result.Doubles());
    case CommandResult::Kind::kStringArray:
        return Value::Strings(result.Strings());
    }
    return Value();
}

void ToResult(const Value& value, CommandResult& out)
{
    out.Clear();
    switch (value.GetType())
    {
    case Type::kNone:
        break;
    case Type::kInt:
        out.SetInt(value.i);
        break;
    case Type::kFloat:
        out.SetDouble(value.f);
        break;
    case Type::kString:
        out.SetString(value.s);
        break;
    case Type::kVector:
        out.SetDoubles({value.v.x, value.v.y, value.v.z});
        break;
    case Type::kMatrix:
        out.SetDoubles(value.m.values);
        break;
    case Type::kIntArray:
        out.SetInts(value.ia);
        break;
    case Type::kFloatArray:
        out.SetDoubles(value.fa);
        break;
    case Type::kStringArray:
        out.SetStrings(value.sa);
        break;
    case Type::kVectorArray:
    {
        std::vector<double> values;
        values.reserve(value.va.size() * 3);
        for (const Vector3& v : value.va)
            values.insert(values.end(), {v.x, v.y, v.z});
        out.SetDoubles(std::move(values));
        break;
    }
    }
}

} // namespace vxhost::mel
