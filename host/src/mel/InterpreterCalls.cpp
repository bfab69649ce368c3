// Calls: the language's own functions (print, eval, catch, ...), the
// built-ins, the host's commands and the scripts' procedures, in that order
// of lookup.

#include "mel/Interpreter.h"

#include "mel/Builtins.h"
#include "mel/CommandValues.h"
#include "mel/Parser.h"
#include "plugin/MayaModules.h"

#include <maya/MGlobal.h>
#include <vxhost/CommandEngine.h>
#include <vxhost/MessageLog.h>
#include <vxhost/Script.h>
#include <vxhost/StdString.h>

#include <algorithm>
#include <optional>
#include <string>
#include <utility>

namespace vxhost::mel
{

namespace
{
// The expression an argument of a call was written as, if any: where a
// procedure's array parameter or a built-in's out-argument writes back.
const Expr* ArgumentExpr(const Expr& call, std::size_t index)
{
    if (call.kind == ExprKind::kCall)
        return index < call.operands.size() ? call.operands[index].get() : nullptr;
    return index < call.args.size() ? call.args[index].expr.get() : nullptr;
}

bool IsSpecial(const std::string& name)
{
    static const char* const kSpecial[] = {"print", "eval", "catch", "catchQuiet", "exists", "error", "warning", "whatIs"};
    return std::any_of(std::begin(kSpecial), std::end(kSpecial), [&](const char* s) { return name == s; });
}
} // namespace

bool Interpreter::EvaluateArguments(const Expr& call, std::vector<Value>& out)
{
    if (call.kind == ExprKind::kCall)
    {
        out.resize(call.operands.size());
        for (std::size_t i = 0; i < out.size(); ++i)
            if (!Evaluate(*call.operands[i], out[i]))
                return false;
        return true;
    }
    out.resize(call.args.size());
    for (std::size_t i = 0; i < out.size(); ++i)
    {
        const CommandArg& arg = call.args[i];
        switch (arg.kind)
        {
        case CommandArg::Kind::kFlag:
            out[i] = Value::String("-" + arg.text);
            break;
        case CommandArg::Kind::kNumber:
            out[i] = NumberFromText(arg.text);
            break;
        case CommandArg::Kind::kWord:
        case CommandArg::Kind::kString:
            out[i] = Value::String(arg.text);
            break;
        case CommandArg::Kind::kExpr:
            if (!Evaluate(*arg.expr, out[i]))
                return false;
            break;
        }
    }
    return true;
}

bool Interpreter::EvaluateCall(const Expr& expr, Value& out)
{
    if (expr.name == "catch" || expr.name == "catchQuiet")
    {
        std::optional<QuietErrors> quiet;
        if (expr.name == "catchQuiet")
            quiet.emplace();
        std::vector<Value> ignored;
        const bool ok = EvaluateArguments(expr, ignored);
        quiet.reset();
        if (!ok)
            ShowRunaway(expr.line);
        // An interrupt is not an error of the statement: it stops the script.
        if (!ok && InterruptPending())
            return false;
        out = Value::Int(ok ? 0 : 1);
        return true;
    }
    // size($array) is read in place: `for ($i = 0; $i < size($a); $i++)`
    // would otherwise copy the whole array at every turn.
    if (expr.name == "size" && expr.kind == ExprKind::kCall && expr.operands.size() == 1 &&
        expr.operands[0]->kind == ExprKind::kVariable)
        if (const Value* variable = Find(expr.operands[0]->name); variable && IsArray(variable->GetType()))
        {
            out = Value::Int(static_cast<int>(variable->Size()));
            return true;
        }
    std::vector<Value> arguments;
    if (!EvaluateArguments(expr, arguments))
        return false;
    if (IsSpecial(expr.name))
        return CallSpecial(expr, arguments, out);

    if (const Builtin* builtin = FindBuiltin(expr.name))
    {
        if (arguments.size() < builtin->minArguments || arguments.size() > builtin->maxArguments)
            return Fail(expr.line, "Wrong number of arguments on call to " + expr.name + ".", MStatus::kInvalidParameter);
        std::string error;
        if (!builtin->function(arguments, out, error))
            return Fail(expr.line, expr.name + ": " + error);
        for (std::size_t i = 0; i < arguments.size(); ++i)
        {
            if (!IsOutArgument(*builtin, static_cast<unsigned>(i), static_cast<unsigned>(arguments.size())))
                continue;
            const Expr* target = ArgumentExpr(expr, i);
            if (!target || (target->kind != ExprKind::kVariable && target->kind != ExprKind::kIndex))
                return Fail(expr.line, expr.name + ": argument " + std::to_string(i + 1) + " must be a variable.");
            Value stored;
            if (!Store(*target, std::move(arguments[i]), stored))
                return false;
        }
        return true;
    }
    if (fEngine.Has(expr.name))
        return CallHostCommand(expr, arguments, out);
    bool sourceFailed = false;
    // Held for the call: the procedure may define itself again as it runs.
    if (const std::shared_ptr<const Procedure> procedure = FindProcedure(expr.name, sourceFailed))
        return CallProcedure(expr, *procedure, arguments, out);
    // A script sourced to find the procedure has shown its own error.
    if (sourceFailed || InterruptPending())
        return false;
    return Fail(expr.line, "Cannot find procedure \"" + expr.name + "\".", MStatus::kNotFound);
}

bool Interpreter::EvaluateCommand(const Expr& expr, Value& out)
{
    // A host command gets its arguments as written (a word stays a word, a
    // flag a flag), so commands read both forms alike.
    if (!IsSpecial(expr.name) && !FindBuiltin(expr.name) && fEngine.Has(expr.name))
    {
        ScriptStatement statement;
        statement.command = expr.name;
        statement.file = Current().file;
        statement.line = expr.line;
        for (const CommandArg& arg : expr.args)
        {
            switch (arg.kind)
            {
            case CommandArg::Kind::kFlag:
                statement.arguments.push_back({ScriptArgument::Kind::kFlag, arg.text});
                break;
            case CommandArg::Kind::kWord:
                statement.arguments.push_back({ScriptArgument::Kind::kWord, arg.text});
                break;
            case CommandArg::Kind::kNumber:
                statement.arguments.push_back({ScriptArgument::Kind::kNumber, arg.text});
                break;
            case CommandArg::Kind::kString:
                statement.arguments.push_back({ScriptArgument::Kind::kString, arg.text});
                break;
            case CommandArg::Kind::kExpr:
            {
                Value value;
                if (!Evaluate(*arg.expr, value))
                    return false;
                AppendArguments(value, false, statement.arguments);
                break;
            }
            }
        }
        CommandResult result;
        if (const MStatus status = fEngine.InvokeCommand(statement, result); !status)
            return fErrorCode = status.statusCode(), false;
        out = FromResult(result);
        return true;
    }
    // Otherwise the call reads as its function form does.
    return EvaluateCall(expr, out);
}

bool Interpreter::CallHostCommand(const Expr& call, const std::vector<Value>& arguments, Value& out)
{
    ScriptStatement statement;
    statement.command = call.name;
    statement.file = Current().file;
    statement.line = call.line;
    for (const Value& value : arguments)
        AppendArguments(value, true, statement.arguments);
    CommandResult result;
    if (const MStatus status = fEngine.InvokeCommand(statement, result); !status)
        return fErrorCode = status.statusCode(), false;
    out = FromResult(result);
    return true;
}

bool Interpreter::CallSpecial(const Expr& call, const std::vector<Value>& arguments, Value& out)
{
    const std::string& name = call.name;
    const auto expectArguments = [&](std::size_t count)
    {
        if (arguments.size() == count)
            return true;
        return Fail(call.line, "Wrong number of arguments on call to " + name + ".");
    };
    const std::string location = ScriptLocation(Current().file, call.line);
    if (name == "print")
    {
        if (!expectArguments(1))
            return false;
        LogMessage(Severity::kOutput, PrintText(arguments[0]));
        out = Value();
        return true;
    }
    if (name == "error" || name == "warning")
    {
        if (!expectArguments(1))
            return false;
        std::string text;
        ToString(arguments[0], text);
        if (name == "warning")
        {
            MGlobal::displayWarning(ToMString(location + text));
            out = Value();
            return true;
        }
        return Fail(call.line, text);
    }
    if (name == "eval")
    {
        // eval joins its arguments with spaces, as Maya's does, and runs
        // them where only the globals are seen.
        std::string script;
        for (const Value& argument : arguments)
        {
            std::string text;
            if (IsArray(argument.GetType()) || !ToString(argument, text))
                return Fail(call.line, ConversionError(argument.GetType(), Type::kString));
            script += (script.empty() ? "" : " ") + text;
        }
        // Like Maya's eval, the last statement may leave out its ';'.
        if (CheckCompleteness(script) == Completeness::kMissingSemicolon)
            script += ';';
        Program program;
        std::string error;
        if (!Parse(script, std::string(), program, error))
        {
            MGlobal::displayError(ToMString(error));
            return false;
        }
        if (!RunProgram(program))
            return false;
        out = fLastValue;
        return true;
    }
    std::string target;
    if (!expectArguments(1))
        return false;
    if (IsArray(arguments[0].GetType()) || !ToString(arguments[0], target))
        return Fail(call.line, ConversionError(arguments[0].GetType(), Type::kString));
    if (name == "exists")
    {
        const bool found = IsSpecial(target) || FindBuiltin(target) || fEngine.Has(target) ||
                           fGlobalProcedures.count(target) > 0 || fLocalProcedures[Current().file].count(target) > 0 ||
                           !FindScriptFile(target + ".mel").empty();
        out = Value::Int(found ? 1 : 0);
        return true;
    }
    // whatIs
    if (!target.empty() && target[0] == '$')
    {
        const Value* variable = Find(target.substr(1));
        out = Value::String(variable ? std::string(TypeName(variable->GetType())) + " variable" : "Unknown");
        return true;
    }
    if (IsSpecial(target) || FindBuiltin(target) || fEngine.Has(target))
        out = Value::String("Command");
    else if (const auto local = fLocalProcedures[Current().file].find(target);
             local != fLocalProcedures[Current().file].end())
        out = Value::String(local->second->file.empty() ? "Mel procedure entered interactively."
                                                        : "Mel procedure found in: " + local->second->file);
    else if (const auto global = fGlobalProcedures.find(target); global != fGlobalProcedures.end())
        out = Value::String(global->second->file.empty() ? "Mel procedure entered interactively."
                                                         : "Mel procedure found in: " + global->second->file);
    else if (const std::string path = FindScriptFile(target + ".mel"); !path.empty())
        out = Value::String("Script found in: " + path);
    else
        out = Value::String("Unknown");
    return true;
}

std::shared_ptr<const Procedure> Interpreter::FindProcedure(const std::string& name, bool& sourceFailed)
{
    sourceFailed = false;
    const auto lookUp = [&]() -> std::shared_ptr<const Procedure>
    {
        const auto file = fLocalProcedures.find(Current().file);
        if (file != fLocalProcedures.end())
            if (const auto local = file->second.find(name); local != file->second.end())
                return local->second;
        const auto global = fGlobalProcedures.find(name);
        return global != fGlobalProcedures.end() ? global->second : nullptr;
    };
    if (std::shared_ptr<const Procedure> procedure = lookUp())
        return procedure;
    // As Maya does for a procedure it has not met: source NAME.mel from the
    // script path and look again.
    const std::string path = FindScriptFile(name + ".mel");
    if (path.empty() || std::find(fAutoSourcing.begin(), fAutoSourcing.end(), path) != fAutoSourcing.end())
        return nullptr;
    fAutoSourcing.push_back(path);
    const MStatus sourced = fEngine.RunScriptFile(path);
    fAutoSourcing.pop_back();
    sourceFailed = !sourced;
    return sourced ? lookUp() : nullptr;
}

bool Interpreter::CallProcedure(const Expr& call, const Procedure& procedure, std::vector<Value>& arguments,
                                Value& out)
{
    if (arguments.size() != procedure.parameters.size())
        return Fail(call.line, "Wrong number of arguments on call to " + procedure.name + ".",
                    MStatus::kInvalidParameter);
    if (fCallDepth >= kMaxCallDepth)
        return FailRunaway();
    for (std::size_t i = 0; i < arguments.size(); ++i)
    {
        const Type type = procedure.parameters[i].type;
        if (arguments[i].GetType() == type)
            continue;
        Value converted;
        if (!ConvertTo(arguments[i], type, converted))
            return Fail(call.line, "Argument " + std::to_string(i + 1) + " of " + procedure.name + ": " +
                                       ConversionError(arguments[i].GetType(), type));
        arguments[i] = std::move(converted);
    }

    Frame frame;
    frame.base = fSlots.size();
    frame.blockStart = frame.base;
    frame.file = procedure.file;
    frame.seesGlobals = false;
    frame.procedure = &procedure;
    frame.attributes = Current().attributes;
    fFrames.push_back(std::move(frame));
    for (std::size_t i = 0; i < arguments.size(); ++i)
        fSlots.push_back(Slot{procedure.parameters[i].name, std::move(arguments[i]), nullptr});

    Flow flow = Flow::kNormal;
    {
        const Counter depth(fCallDepth);
        for (const StmtPtr& stmt : procedure.body)
        {
            flow = Execute(*stmt);
            if (flow != Flow::kNormal)
                break;
        }
    }
    if (flow == Flow::kBreak || flow == Flow::kContinue)
    {
        Fail(call.line, "\"break\" and \"continue\" belong inside a loop or switch.");
        flow = Flow::kError;
    }
    // Arrays are passed by reference in MEL: what the procedure did to an
    // array parameter reaches the caller's variable.
    std::vector<Value> arrays(arguments.size());
    for (std::size_t i = 0; i < arguments.size(); ++i)
        if (IsArray(procedure.parameters[i].type))
            arrays[i] = std::move(fSlots[fFrames.back().base + i].value);
    Value result = std::move(fFrames.back().returnValue);
    fSlots.resize(fFrames.back().base);
    fFrames.pop_back();
    if (flow == Flow::kError)
        return false;
    for (std::size_t i = 0; i < arrays.size(); ++i)
    {
        const Expr* argument = ArgumentExpr(call, i);
        if (arrays[i].GetType() == Type::kNone || !argument || argument->kind != ExprKind::kVariable)
            continue;
        Value stored;
        if (!Store(*argument, std::move(arrays[i]), stored))
            return false;
    }
    // A procedure that ends without "return" gives its type's zero.
    out = flow == Flow::kReturn ? std::move(result) : Value::Default(procedure.returnType);
    return true;
}

} // namespace vxhost::mel
