// The tree-walking evaluator. Values are copied where a script copies them
// and read in place where it only looks (an element of a large array, its
// size), so loops over arrays stay linear.
//
// A variable is found through a pointer into fSlots or fGlobals; fSlots may
// move when a variable is declared, so every expression is evaluated in
// full before the variable it writes is looked up.

#include "mel/Interpreter.h"

#include "commands/ParticleArrays.h"
#include "mel/Builtins.h"
#include "mel/Operators.h"
#include "mel/Parser.h"
#include "plugin/MayaModules.h"

#include <maya/MGlobal.h>
#include <vxhost/CommandEngine.h>
#include <vxhost/MessageLog.h>
#include <vxhost/Script.h>
#include <vxhost/StdString.h>

#include <pthread.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <utility>

namespace vxhost::mel
{

std::atomic<bool> Interpreter::sInterrupt{false};

namespace
{

// Counts a nesting for as long as it lives.
class Counter
{
public:
    explicit Counter(int& count) : fCount(count) { ++fCount; }
    ~Counter() { --fCount; }
    Counter(const Counter&) = delete;
    Counter& operator=(const Counter&) = delete;

private:
    int& fCount;
};

Value NumberFromText(const std::string& text)
{
    const bool isFloat = text.find_first_of(".eE") != std::string::npos;
    const double value = std::strtod(text.c_str(), nullptr);
    if (!isFloat && value >= INT_MIN && value <= INT_MAX)
        return Value::Int(static_cast<int>(value));
    return Value::Float(value);
}

bool StartsFlag(const std::string& text)
{
    return text.size() > 1 && text[0] == '-' &&
           ((text[1] >= 'a' && text[1] <= 'z') || (text[1] >= 'A' && text[1] <= 'Z') || text[1] == '_');
}

void AppendNumber(std::vector<ScriptArgument>& out, double value)
{
    out.push_back({ScriptArgument::Kind::kNumber, FormatDouble(value)});
}

// A value as the arguments of a host command: arrays and vectors give one
// argument per element, as Maya passes them. In function form a string that
// reads as a flag is one ("ls(\"-sl\")").
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

// The size of an element of an array type, for the memory check.
std::size_t ElementBytes(Type type)
{
    switch (type)
    {
    case Type::kIntArray:
        return sizeof(int);
    case Type::kFloatArray:
        return sizeof(double);
    case Type::kStringArray:
        return sizeof(std::string);
    default:
        return sizeof(Vector3);
    }
}

void Resize(Value& array, std::size_t size)
{
    switch (array.GetType())
    {
    case Type::kIntArray:
        array.ia.resize(size);
        break;
    case Type::kFloatArray:
        array.fa.resize(size);
        break;
    case Type::kStringArray:
        array.sa.resize(size);
        break;
    case Type::kVectorArray:
        array.va.resize(size);
        break;
    default:
        break;
    }
}

// Element `index` of an array (which must be one); past the end it is the
// element type's zero, as MEL reads it.
Value Element(const Value& array, std::size_t index)
{
    if (index >= array.Size())
        return Value::Default(ElementType(array.GetType()));
    switch (array.GetType())
    {
    case Type::kIntArray:
        return Value::Int(array.ia[index]);
    case Type::kFloatArray:
        return Value::Float(array.fa[index]);
    case Type::kStringArray:
        return Value::String(array.sa[index]);
    default:
        return Value::Vector(array.va[index]);
    }
}

void SetElement(Value& array, std::size_t index, const Value& element)
{
    switch (array.GetType())
    {
    case Type::kIntArray:
        array.ia[index] = element.i;
        break;
    case Type::kFloatArray:
        array.fa[index] = element.f;
        break;
    case Type::kStringArray:
        array.sa[index] = element.s;
        break;
    default:
        array.va[index] = element.v;
        break;
    }
}

// The lowest frame address a script may reach on this thread: deep
// recursion is stopped with a message while enough stack is left for the
// command or built-in a script calls (a regular expression recurses, too).
// 0 when the thread's stack cannot be found, and then no check is made.
// Found once per thread: finding the main thread's stack reads
// /proc/self/maps, and scripts start often (every expression node, every
// frame).
std::uintptr_t StackLimit()
{
    thread_local const std::uintptr_t limit = []() -> std::uintptr_t
    {
        constexpr std::uintptr_t kReserve = std::uintptr_t(1) << 20;
        // An unlimited stack is taken as 64 MB.
        constexpr std::uintptr_t kMostUsed = std::uintptr_t(64) << 20;
        pthread_attr_t attributes;
        if (pthread_getattr_np(pthread_self(), &attributes) != 0)
            return 0;
        void* lowest = nullptr;
        std::size_t size = 0;
        const int found = pthread_attr_getstack(&attributes, &lowest, &size);
        pthread_attr_destroy(&attributes);
        if (found != 0 || size == 0)
            return 0;
        const auto low = reinterpret_cast<std::uintptr_t>(lowest);
        const std::uintptr_t used = std::min<std::uintptr_t>(size, kMostUsed);
        return low + size - used + std::min(kReserve, used / 4);
    }();
    return limit;
}

} // namespace

Interpreter::Interpreter(CommandEngine& engine) : fEngine(engine)
{
    fSlots.reserve(256);
}

Interpreter::~Interpreter() = default;

void Interpreter::RequestInterrupt()
{
    sInterrupt.store(true, std::memory_order_relaxed);
}

bool Interpreter::InterruptPending()
{
    return sInterrupt.load(std::memory_order_relaxed);
}

void Interpreter::ClearInterrupt()
{
    sInterrupt.store(false, std::memory_order_relaxed);
}

Value Interpreter::FromResult(const CommandResult& result)
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

void Interpreter::ToResult(const Value& value, CommandResult& out)
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

// ---- running -------------------------------------------------------------

bool Interpreter::Fail(int line, const std::string& text, MStatus::MStatusCode code)
{
    fErrorCode = code;
    if (fQuietDepth == 0)
        MGlobal::displayError(ToMString(ScriptLocation(fFrames.empty() ? std::string() : Current().file, line) + text));
    return false;
}

bool Interpreter::CheckInterrupt(int line)
{
    if (!InterruptPending())
        return true;
    return Fail(line, "Interrupted.");
}

bool Interpreter::CheckStack(int line)
{
    // Nesting the reader allows, multiplied by calls the call limit allows,
    // can still be more than the stack holds: 400 calls of a procedure
    // whose expression is 200 levels deep.
    const auto here = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
    if (here >= fStackLimit)
        return true;
    return Fail(line, "Calls and expressions nested too deep for the stack: endless recursion?");
}

bool Interpreter::CheckSize(std::size_t elements, std::size_t elementBytes, int line)
{
    // Below a few million elements no machine that runs a scene is short of
    // memory; above, the refusal names the estimate, as a particle count that
    // cannot fit is refused.
    if (elements <= (1u << 22))
        return true;
    if (elements > static_cast<std::size_t>(INT_MAX))
        return Fail(line, "An array holds at most " + std::to_string(INT_MAX) + " elements; " +
                              std::to_string(elements) + " were asked for.");
    const double needed = static_cast<double>(elements) * static_cast<double>(elementBytes);
    const double available = AvailableMemory();
    if (elements <= static_cast<std::size_t>(INT_MAX) && needed <= available / 2.0)
        return true;
    return Fail(line, "An array of " + std::to_string(elements) + " elements would need about " +
                          FormatGigabytes(needed) + " of memory, but " + FormatGigabytes(available) +
                          " is available.");
}

MStatus Interpreter::RunScript(std::string_view text, const std::string& file)
{
    Program program;
    std::string error;
    if (!Parse(text, file, program, error))
    {
        fLastValue = Value();
        MGlobal::displayError(ToMString(error));
        return MStatus::kFailure;
    }
    return RunProgram(program);
}

bool Interpreter::DefineProcedures(const Program& program)
{
    for (const StmtPtr& stmt : program.statements)
    {
        if (stmt->kind != StmtKind::kProcedure)
            continue;
        const std::shared_ptr<const Procedure>& procedure = stmt->procedure;
        if (fEngine.Has(procedure->name) || FindBuiltin(procedure->name))
        {
            MGlobal::displayError(ToMString(ScriptLocation(program.file, stmt->line) + "Cannot define procedure \"" +
                                            procedure->name + "\": a command of that name exists."));
            return false;
        }
        if (procedure->global)
            fGlobalProcedures[procedure->name] = procedure;
        else
            fLocalProcedures[program.file][procedure->name] = procedure;
    }
    return true;
}

MStatus Interpreter::RunProgram(const Program& program)
{
    if (fCallDepth == 0)
        fStackLimit = StackLimit();
    fLastValue = Value();
    if (!DefineProcedures(program))
        return MStatus::kFailure;
    if (fCallDepth >= kMaxCallDepth)
    {
        MGlobal::displayError(ToMString(ScriptLocation(program.file, 1) + "Scripts and calls nested more than " +
                                        std::to_string(kMaxCallDepth) + " deep: endless recursion?"));
        return MStatus::kFailure;
    }
    const Counter depth(fCallDepth);
    Frame frame;
    frame.base = fSlots.size();
    frame.blockStart = frame.base;
    frame.file = program.file;
    fFrames.push_back(std::move(frame));
    const MStatus status = RunStatements(program.statements);
    fSlots.resize(fFrames.back().base);
    fFrames.pop_back();
    if (status)
        return status;
    fLastValue = Value();
    return fErrorCode;
}

MStatus Interpreter::RunExpression(const Program& program, AttributeAccess& access)
{
    if (fCallDepth == 0)
        fStackLimit = StackLimit();
    Frame frame;
    frame.base = fSlots.size();
    frame.blockStart = frame.base;
    frame.file = program.file;
    // An expression's variables are its own, as in Maya: they start afresh
    // each time it runs.
    frame.seesGlobals = false;
    frame.attributes = &access;
    const Counter depth(fCallDepth);
    fFrames.push_back(std::move(frame));
    const MStatus status = RunStatements(program.statements);
    fSlots.resize(fFrames.back().base);
    fFrames.pop_back();
    return status ? status : MStatus(fErrorCode);
}

MStatus Interpreter::RunStatements(const std::vector<StmtPtr>& statements)
{
    for (const StmtPtr& stmt : statements)
    {
        switch (Execute(*stmt))
        {
        case Flow::kError:
            return MStatus::kFailure;
        case Flow::kBreak:
        case Flow::kContinue:
            Fail(stmt->line, "\"break\" and \"continue\" belong inside a loop or switch.");
            return MStatus::kFailure;
        case Flow::kReturn:
            if (Current().returnValue.GetType() != Type::kNone)
            {
                Fail(stmt->line, "\"return\" with a value outside a procedure.");
                return MStatus::kFailure;
            }
            return MStatus::kSuccess;
        case Flow::kNormal:
            break;
        }
    }
    return MStatus::kSuccess;
}

Interpreter::Flow Interpreter::ExecuteBlock(const std::vector<StmtPtr>& body)
{
    const std::size_t mark = fSlots.size();
    const std::size_t outerStart = Current().blockStart;
    ++Current().blockDepth;
    Current().blockStart = mark;
    Flow flow = Flow::kNormal;
    for (const StmtPtr& stmt : body)
    {
        flow = Execute(*stmt);
        if (flow != Flow::kNormal)
            break;
    }
    fSlots.resize(mark);
    --Current().blockDepth;
    Current().blockStart = outerStart;
    return flow;
}

Interpreter::Flow Interpreter::Execute(const Stmt& stmt)
{
    if (!CheckInterrupt(stmt.line) || !CheckStack(stmt.line))
        return Flow::kError;
    switch (stmt.kind)
    {
    case StmtKind::kExpr:
    {
        Value value;
        if (!Evaluate(*stmt.expr, value))
            return Flow::kError;
        const bool call = stmt.expr->kind == ExprKind::kCall || stmt.expr->kind == ExprKind::kCommand;
        // As in Maya, only what a script's own calls return is shown, not
        // what the statements of the procedures it calls do.
        if (call && value.GetType() != Type::kNone && Current().procedure == nullptr && Current().seesGlobals &&
            fCallDepth == 1)
        {
            CommandResult result;
            ToResult(value, result);
            if (!result.IsEmpty())
                LogMessage(Severity::kResult, result.Format());
        }
        fLastValue = std::move(value);
        return Flow::kNormal;
    }
    case StmtKind::kDeclare:
        return ExecuteDeclaration(stmt);
    case StmtKind::kBlock:
        return ExecuteBlock(stmt.body);
    case StmtKind::kIf:
    {
        Value condition;
        bool truth = false;
        std::string error;
        if (!Evaluate(*stmt.expr, condition))
            return Flow::kError;
        if (!IsTrue(condition, truth, error))
            return Fail(stmt.expr->line, error), Flow::kError;
        if (truth)
            return Execute(*stmt.body[0]);
        if (stmt.body.size() > 1)
            return Execute(*stmt.body[1]);
        return Flow::kNormal;
    }
    case StmtKind::kWhile:
    case StmtKind::kDoWhile:
    {
        bool first = stmt.kind == StmtKind::kDoWhile;
        for (;;)
        {
            if (!first)
            {
                Value condition;
                bool truth = false;
                std::string error;
                if (!Evaluate(*stmt.expr, condition))
                    return Flow::kError;
                if (!IsTrue(condition, truth, error))
                    return Fail(stmt.expr->line, error), Flow::kError;
                if (!truth)
                    return Flow::kNormal;
            }
            first = false;
            const Flow flow = Execute(*stmt.body[0]);
            if (flow == Flow::kBreak)
                return Flow::kNormal;
            if (flow == Flow::kError || flow == Flow::kReturn)
                return flow;
            if (!CheckInterrupt(stmt.line))
                return Flow::kError;
        }
    }
    case StmtKind::kFor:
        return ExecuteFor(stmt);
    case StmtKind::kForIn:
        return ExecuteForIn(stmt);
    case StmtKind::kSwitch:
        return ExecuteSwitch(stmt);
    case StmtKind::kBreak:
        return Flow::kBreak;
    case StmtKind::kContinue:
        return Flow::kContinue;
    case StmtKind::kReturn:
        return ExecuteReturn(stmt);
    case StmtKind::kProcedure:
        // Defined before the script ran.
        return Flow::kNormal;
    }
    return Flow::kNormal;
}

Interpreter::Flow Interpreter::ExecuteReturn(const Stmt& stmt)
{
    const Procedure* procedure = Current().procedure;
    const Type type = procedure ? procedure->returnType : Type::kNone;
    if (!stmt.expr)
    {
        if (type != Type::kNone)
            return Fail(stmt.line, "\"return\" needs a value of type " + std::string(TypeName(type)) + " in procedure \"" +
                                       procedure->name + "\"."),
                   Flow::kError;
        Current().returnValue = Value();
        return Flow::kReturn;
    }
    Value value;
    if (!Evaluate(*stmt.expr, value))
        return Flow::kError;
    if (!procedure)
    {
        Current().returnValue = std::move(value);
        return Flow::kReturn;
    }
    if (type == Type::kNone)
        return Fail(stmt.line, "Procedure \"" + procedure->name + "\" has no return type, so it returns no value."),
               Flow::kError;
    if (!ConvertTo(value, type, Current().returnValue))
        return Fail(stmt.line, ConversionError(value.GetType(), type)), Flow::kError;
    return Flow::kReturn;
}

Interpreter::Flow Interpreter::ExecuteDeclaration(const Stmt& stmt)
{
    for (const Declarator& declarator : stmt.declarators)
    {
        Value value;
        if (stmt.type == Type::kMatrix)
        {
            Value rows;
            Value columns;
            int r = 0;
            int c = 0;
            if (!Evaluate(*declarator.size, rows) || !Evaluate(*declarator.columns, columns))
                return Flow::kError;
            if (!ToInt(rows, r) || !ToInt(columns, c) || r <= 0 || c <= 0)
                return Fail(declarator.line, "A matrix needs a positive number of rows and columns."), Flow::kError;
            if (!CheckSize(static_cast<std::size_t>(r) * static_cast<std::size_t>(c), sizeof(double), declarator.line))
                return Flow::kError;
            Matrix matrix;
            matrix.rows = r;
            matrix.columns = c;
            matrix.values.assign(static_cast<std::size_t>(r) * static_cast<std::size_t>(c), 0.0);
            value = Value::MatrixValue(std::move(matrix));
        }
        else
        {
            const Type type = declarator.array ? ArrayType(stmt.type) : stmt.type;
            value = Value::Default(type);
            if (declarator.size)
            {
                Value size;
                int n = 0;
                if (!Evaluate(*declarator.size, size))
                    return Flow::kError;
                if (!ToInt(size, n) || n < 0)
                    return Fail(declarator.line, "An array size must be a whole number of at least 0."), Flow::kError;
                if (!CheckSize(static_cast<std::size_t>(n), ElementBytes(type), declarator.line))
                    return Flow::kError;
                Resize(value, static_cast<std::size_t>(n));
            }
        }
        const bool initialised = declarator.init != nullptr;
        if (initialised)
        {
            Value init;
            if (!Evaluate(*declarator.init, init))
                return Flow::kError;
            Value converted;
            if (!ConvertTo(init, value.GetType(), converted))
                return Fail(declarator.line, ConversionError(init.GetType(), value.GetType())), Flow::kError;
            if (value.GetType() == Type::kMatrix &&
                (converted.m.rows != value.m.rows || converted.m.columns != value.m.columns))
                return Fail(declarator.line, "The matrix value does not have the size of \"$" + declarator.name + "\"."),
                       Flow::kError;
            value = std::move(converted);
        }
        Frame& frame = Current();
        if (stmt.global)
        {
            Value& global = GlobalSlot(declarator.name);
            if (global.GetType() == Type::kNone)
                global = std::move(value);
            else if (global.GetType() != value.GetType())
                return Fail(declarator.line, "Invalid redeclaration of variable \"$" + declarator.name +
                                                 "\" as a different type."),
                       Flow::kError;
            else if (initialised)
                global = std::move(value);
            // A procedure, or a block, sees the global through a slot of its own.
            if (!(frame.seesGlobals && frame.blockDepth == 0))
                fSlots.push_back(Slot{declarator.name, Value(), &GlobalSlot(declarator.name)});
            continue;
        }
        if (!Declare(declarator.name, std::move(value), declarator.line))
            return Flow::kError;
    }
    return Flow::kNormal;
}

Value& Interpreter::GlobalSlot(const std::string& name)
{
    return fGlobals[name];
}

Value* Interpreter::Find(const std::string& name)
{
    const Frame& frame = Current();
    for (std::size_t i = fSlots.size(); i > frame.base; --i)
    {
        Slot& slot = fSlots[i - 1];
        if (slot.name == name)
            return slot.global ? slot.global : &slot.value;
    }
    if (frame.seesGlobals)
    {
        const auto found = fGlobals.find(name);
        if (found != fGlobals.end() && found->second.GetType() != Type::kNone)
            return &found->second;
    }
    return nullptr;
}

Value* Interpreter::Declare(const std::string& name, Value value, int line)
{
    Frame& frame = Current();
    if (frame.seesGlobals && frame.blockDepth == 0)
    {
        Value& global = GlobalSlot(name);
        if (global.GetType() != Type::kNone && global.GetType() != value.GetType())
            return Fail(line, "Invalid redeclaration of variable \"$" + name + "\" as a different type."), nullptr;
        global = std::move(value);
        return &global;
    }
    // A variable declared again in the same block: MEL keeps one.
    const std::size_t blockStart = std::max(frame.base, frame.blockStart);
    for (std::size_t i = fSlots.size(); i > blockStart; --i)
    {
        Slot& slot = fSlots[i - 1];
        if (slot.name != name)
            continue;
        Value& existing = slot.global ? *slot.global : slot.value;
        if (existing.GetType() != value.GetType())
            return Fail(line, "Invalid redeclaration of variable \"$" + name + "\" as a different type."), nullptr;
        existing = std::move(value);
        return &existing;
    }
    if (fSlots.size() >= (1u << 20))
        return Fail(line, "More than a million variables are declared at once: endless recursion?"), nullptr;
    fSlots.push_back(Slot{name, std::move(value), nullptr});
    return &fSlots.back().value;
}

Interpreter::Flow Interpreter::ExecuteFor(const Stmt& stmt)
{
    Value ignored;
    for (const ExprPtr& init : stmt.init)
        if (!Evaluate(*init, ignored))
            return Flow::kError;
    for (;;)
    {
        if (stmt.expr)
        {
            Value condition;
            bool truth = false;
            std::string error;
            if (!Evaluate(*stmt.expr, condition))
                return Flow::kError;
            if (!IsTrue(condition, truth, error))
                return Fail(stmt.expr->line, error), Flow::kError;
            if (!truth)
                return Flow::kNormal;
        }
        const Flow flow = Execute(*stmt.body[0]);
        if (flow == Flow::kBreak)
            return Flow::kNormal;
        if (flow == Flow::kError || flow == Flow::kReturn)
            return flow;
        for (const ExprPtr& step : stmt.step)
            if (!Evaluate(*step, ignored))
                return Flow::kError;
        if (!CheckInterrupt(stmt.line))
            return Flow::kError;
    }
}

Interpreter::Flow Interpreter::ExecuteForIn(const Stmt& stmt)
{
    Value array;
    if (!Evaluate(*stmt.expr, array))
        return Flow::kError;
    if (!IsArray(array.GetType()))
        return Fail(stmt.line, "\"for ... in\" needs an array, not data of type " +
                                   std::string(TypeName(array.GetType())) + "."),
               Flow::kError;
    const Type elementType = ElementType(array.GetType());
    if (stmt.type != Type::kNone)
    {
        if (!Declare(stmt.name, Value::Default(stmt.type), stmt.line))
            return Flow::kError;
    }
    else if (!Find(stmt.name) && !Declare(stmt.name, Value::Default(elementType), stmt.line))
        return Flow::kError;
    const std::size_t count = array.Size();
    for (std::size_t i = 0; i < count; ++i)
    {
        Value* variable = Find(stmt.name);
        Value converted;
        const Value element = Element(array, i);
        if (!ConvertTo(element, variable->GetType(), converted))
            return Fail(stmt.line, ConversionError(elementType, variable->GetType())), Flow::kError;
        *variable = std::move(converted);
        const Flow flow = Execute(*stmt.body[0]);
        if (flow == Flow::kBreak)
            return Flow::kNormal;
        if (flow == Flow::kError || flow == Flow::kReturn)
            return flow;
        if (!CheckInterrupt(stmt.line))
            return Flow::kError;
    }
    return Flow::kNormal;
}

Interpreter::Flow Interpreter::ExecuteSwitch(const Stmt& stmt)
{
    Value value;
    if (!Evaluate(*stmt.expr, value))
        return Flow::kError;
    std::size_t start = stmt.body.size();
    bool found = false;
    for (const SwitchCase& label : stmt.cases)
    {
        if (label.isDefault)
            continue;
        Value candidate;
        if (!Evaluate(*label.value, candidate))
            return Flow::kError;
        if (ValuesEqual(value, candidate))
        {
            start = label.first;
            found = true;
            break;
        }
    }
    if (!found)
        for (const SwitchCase& label : stmt.cases)
            if (label.isDefault)
                start = label.first;
    // From the matching label on, through the labels that follow, to a
    // break: C's fall-through.
    for (std::size_t i = start; i < stmt.body.size(); ++i)
    {
        const Flow flow = Execute(*stmt.body[i]);
        if (flow == Flow::kBreak)
            return Flow::kNormal;
        if (flow != Flow::kNormal)
            return flow;
    }
    return Flow::kNormal;
}

// ---- expressions ----------------------------------------------------------

bool Interpreter::Evaluate(const Expr& expr, Value& out)
{
    if (!CheckStack(expr.line))
        return false;
    std::string error;
    switch (expr.kind)
    {
    case ExprKind::kLiteral:
        out = expr.literal;
        return true;
    case ExprKind::kVariable:
    {
        const Value* value = Find(expr.name);
        if (!value)
            return Fail(expr.line, "\"$" + expr.name + "\" is an undeclared variable.");
        out = *value;
        return true;
    }
    case ExprKind::kIndex:
        return EvaluateIndex(expr, out);
    case ExprKind::kComponent:
    {
        Value base;
        if (!Evaluate(*expr.operands[0], base))
            return false;
        Vector3 v;
        if (base.GetType() != Type::kVector && !(IsArray(base.GetType()) ? false : ToVector(base, v)))
            return Fail(expr.line, "Only a vector has components .x, .y and .z, not data of type " +
                                       std::string(TypeName(base.GetType())) + ".");
        if (base.GetType() == Type::kVector)
            v = base.v;
        out = Value::Float(expr.component == 0 ? v.x : expr.component == 1 ? v.y : v.z);
        return true;
    }
    case ExprKind::kUnary:
    {
        Value operand;
        if (!Evaluate(*expr.operands[0], operand))
            return false;
        if (!ApplyUnary(expr.op, operand, out, error))
            return Fail(expr.line, error);
        return true;
    }
    case ExprKind::kBinary:
    {
        if (expr.operands[0]->kind == ExprKind::kBinary)
            return EvaluateChain(expr, out);
        Value left;
        Value right;
        if (!Evaluate(*expr.operands[0], left) || !Evaluate(*expr.operands[1], right))
            return false;
        if (!ApplyBinary(expr.op, left, right, out, error))
            return Fail(expr.line, error);
        return true;
    }
    case ExprKind::kLogical:
    {
        if (expr.operands[0]->kind == ExprKind::kLogical)
            return EvaluateChain(expr, out);
        Value side;
        bool truth = false;
        if (!Evaluate(*expr.operands[0], side))
            return false;
        if (!IsTrue(side, truth, error))
            return Fail(expr.line, error);
        if (truth == (expr.op == '|'))
        {
            out = Value::Int(truth ? 1 : 0);
            return true;
        }
        if (!Evaluate(*expr.operands[1], side))
            return false;
        if (!IsTrue(side, truth, error))
            return Fail(expr.line, error);
        out = Value::Int(truth ? 1 : 0);
        return true;
    }
    case ExprKind::kTernary:
    {
        Value condition;
        bool truth = false;
        if (!Evaluate(*expr.operands[0], condition))
            return false;
        if (!IsTrue(condition, truth, error))
            return Fail(expr.line, error);
        return Evaluate(*expr.operands[truth ? 1 : 2], out);
    }
    case ExprKind::kAssign:
        return EvaluateAssign(expr, out);
    case ExprKind::kIncrement:
        return EvaluateIncrement(expr, out);
    case ExprKind::kCall:
        return EvaluateCall(expr, out);
    case ExprKind::kCommand:
        return EvaluateCommand(expr, out);
    case ExprKind::kArrayLiteral:
        return EvaluateArray(expr, out);
    case ExprKind::kVectorLiteral:
        return EvaluateVector(expr, out);
    case ExprKind::kAttribute:
    {
        AttributeAccess* access = Current().attributes;
        if (!access)
            return Fail(expr.line, "\"" + expr.name + "\" is read only in an expression's script.");
        // An empty error: the command that read the scene has shown its own.
        if (!access->Read(expr.name, expr.line, out, error))
            return error.empty() ? false : Fail(expr.line, error);
        return true;
    }
    }
    return Fail(expr.line, "Internal error: an expression of unknown kind.");
}

bool Interpreter::EvaluateChain(const Expr& expr, Value& out)
{
    // a + b + c is (a + b) + c: a chain of operators of one level leans
    // left, as deep as it is long. Its left edge is walked in a loop, so
    // that only the right operands recurse and no length of chain can run
    // the stack out.
    std::vector<const Expr*> spine;
    const Expr* leftmost = &expr;
    while (leftmost->kind == expr.kind)
    {
        spine.push_back(leftmost);
        leftmost = leftmost->operands[0].get();
    }
    std::string error;
    Value left;
    if (!Evaluate(*leftmost, left))
        return false;
    if (expr.kind == ExprKind::kBinary)
    {
        for (auto node = spine.rbegin(); node != spine.rend(); ++node)
        {
            Value right;
            if (!Evaluate(*(*node)->operands[1], right))
                return false;
            if (!ApplyBinary((*node)->op, left, right, out, error))
                return Fail((*node)->line, error);
            left = std::move(out);
        }
        out = std::move(left);
        return true;
    }
    // && and ||: each gives 1 or 0, and evaluates its right side only when
    // the left does not decide.
    bool truth = false;
    if (!IsTrue(left, truth, error))
        return Fail(spine.back()->line, error);
    for (auto node = spine.rbegin(); node != spine.rend(); ++node)
    {
        if (truth == ((*node)->op == '|'))
            continue;
        Value right;
        if (!Evaluate(*(*node)->operands[1], right))
            return false;
        if (!IsTrue(right, truth, error))
            return Fail((*node)->line, error);
    }
    out = Value::Int(truth ? 1 : 0);
    return true;
}

bool Interpreter::EvaluateIndices(const Expr& expr, std::vector<int>& out)
{
    for (std::size_t i = 1; i < expr.operands.size(); ++i)
    {
        Value index;
        int n = 0;
        if (!Evaluate(*expr.operands[i], index))
            return false;
        if (!ToInt(index, n) || IsArray(index.GetType()))
            return Fail(expr.line, "An array index must be a number, not data of type " +
                                       std::string(TypeName(index.GetType())) + ".");
        if (n < 0)
            return Fail(expr.line, "Array index " + std::to_string(n) + " is out of bounds.");
        out.push_back(n);
    }
    return true;
}

bool Interpreter::EvaluateIndex(const Expr& expr, Value& out)
{
    std::vector<int> indices;
    if (!EvaluateIndices(expr, indices))
        return false;
    // A variable's element is read in place: no copy of the array.
    Value copy;
    const Value* base = nullptr;
    if (expr.operands[0]->kind == ExprKind::kVariable)
    {
        base = Find(expr.operands[0]->name);
        if (!base)
            return Fail(expr.line, "\"$" + expr.operands[0]->name + "\" is an undeclared variable.");
    }
    else
    {
        if (!Evaluate(*expr.operands[0], copy))
            return false;
        base = &copy;
    }
    if (base->GetType() == Type::kMatrix)
    {
        if (indices.size() != 2)
            return Fail(expr.line, "A matrix element needs a row and a column: $m[1][2].");
        const Matrix& m = base->m;
        if (indices[0] >= m.rows || indices[1] >= m.columns)
            return Fail(expr.line, "Matrix index [" + std::to_string(indices[0]) + "][" + std::to_string(indices[1]) +
                                       "] is out of bounds of a " + std::to_string(m.rows) + "x" +
                                       std::to_string(m.columns) + " matrix.");
        out = Value::Float(m.values[static_cast<std::size_t>(indices[0] * m.columns + indices[1])]);
        return true;
    }
    if (!IsArray(base->GetType()) || indices.size() != 1)
        return Fail(expr.line, "Data of type " + std::string(TypeName(base->GetType())) + " cannot be indexed.");
    out = Element(*base, static_cast<std::size_t>(indices[0]));
    return true;
}

bool Interpreter::EvaluateArray(const Expr& expr, Value& out)
{
    std::vector<Value> elements(expr.operands.size());
    Type type = Type::kIntArray;
    for (std::size_t i = 0; i < elements.size(); ++i)
    {
        if (!Evaluate(*expr.operands[i], elements[i]))
            return false;
        const Type t = elements[i].GetType();
        if (IsArray(t) || t == Type::kMatrix || t == Type::kNone)
            return Fail(expr.line, "An array cannot hold data of type " + std::string(TypeName(t)) + ".");
        // The widest element decides: int, then float, then vector or string.
        const Type as = ArrayType(t);
        if (as == Type::kStringArray || (as == Type::kVectorArray && type != Type::kStringArray) ||
            (as == Type::kFloatArray && type == Type::kIntArray))
            type = as;
    }
    Value array = Value::Default(type);
    Resize(array, elements.size());
    for (std::size_t i = 0; i < elements.size(); ++i)
    {
        Value converted;
        if (!ConvertTo(elements[i], ElementType(type), converted))
            return Fail(expr.line, ConversionError(elements[i].GetType(), ElementType(type)));
        SetElement(array, i, converted);
    }
    out = std::move(array);
    return true;
}

bool Interpreter::EvaluateVector(const Expr& expr, Value& out)
{
    std::vector<double> values(expr.operands.size());
    for (std::size_t i = 0; i < values.size(); ++i)
    {
        Value element;
        if (!Evaluate(*expr.operands[i], element))
            return false;
        if (element.GetType() != Type::kInt && element.GetType() != Type::kFloat)
            return Fail(expr.line, ConversionError(element.GetType(), Type::kFloat));
        ToFloat(element, values[i]);
    }
    if (expr.component == 0)
    {
        out = Value::Vector({values[0], values[1], values[2]});
        return true;
    }
    Matrix matrix;
    matrix.columns = expr.component;
    matrix.rows = static_cast<int>(values.size()) / expr.component;
    matrix.values = std::move(values);
    out = Value::MatrixValue(std::move(matrix));
    return true;
}

bool Interpreter::EvaluateAssign(const Expr& expr, Value& out)
{
    const Expr& target = *expr.operands[0];
    Value value;
    if (!Evaluate(*expr.operands[1], value))
        return false;
    if (expr.op != 0)
    {
        Value current;
        std::string error;
        if (!Evaluate(target, current))
            return false;
        Value combined;
        if (!ApplyBinary(expr.op, current, value, combined, error))
            return Fail(expr.line, error);
        value = std::move(combined);
    }
    return Store(target, std::move(value), out);
}

bool Interpreter::EvaluateIncrement(const Expr& expr, Value& out)
{
    const Expr& target = *expr.operands[0];
    Value current;
    if (!Evaluate(target, current))
        return false;
    Value next;
    std::string error;
    if (current.GetType() != Type::kInt && current.GetType() != Type::kFloat)
        return Fail(expr.line, std::string(expr.op == '+' ? "\"++\"" : "\"--\"") + " needs a number, not data of type " +
                                   TypeName(current.GetType()) + ".");
    if (!ApplyBinary(expr.op, current, Value::Int(1), next, error))
        return Fail(expr.line, error);
    Value stored;
    if (!Store(target, next, stored))
        return false;
    out = expr.prefix ? std::move(stored) : std::move(current);
    return true;
}

bool Interpreter::Store(const Expr& target, Value value, Value& stored)
{
    std::string error;
    if (target.kind == ExprKind::kAttribute)
    {
        AttributeAccess* access = Current().attributes;
        if (!access)
            return Fail(target.line, "\"" + target.name + "\" can be set only in an expression's script.");
        if (!access->Write(target.name, target.line, value, error))
            return error.empty() ? false : Fail(target.line, error);
        stored = std::move(value);
        return true;
    }
    if (target.kind == ExprKind::kVariable)
    {
        Value* variable = Find(target.name);
        if (!variable)
        {
            // MEL declares a variable where it is first assigned, with the
            // type of what it is given.
            if (value.GetType() == Type::kNone)
                return Fail(target.line, "\"$" + target.name + "\" cannot be declared from a call that returns nothing.");
            variable = Declare(target.name, value, target.line);
            if (!variable)
                return false;
            stored = std::move(value);
            return true;
        }
        if (value.GetType() == variable->GetType() && value.GetType() != Type::kMatrix)
        {
            *variable = value;
            stored = std::move(value);
            return true;
        }
        Value converted;
        if (!ConvertTo(value, variable->GetType(), converted))
            return Fail(target.line, ConversionError(value.GetType(), variable->GetType()));
        if (variable->GetType() == Type::kMatrix &&
            (converted.m.rows != variable->m.rows || converted.m.columns != variable->m.columns))
            return Fail(target.line, "The matrix value does not have the size of \"$" + target.name + "\".");
        *variable = converted;
        stored = std::move(converted);
        return true;
    }
    // An element: $a[i] or $m[r][c].
    std::vector<int> indices;
    if (!EvaluateIndices(target, indices))
        return false;
    if (target.operands[0]->kind != ExprKind::kVariable)
        return Fail(target.line, "Only an element of a variable can be assigned to.");
    const std::string& name = target.operands[0]->name;
    Value* container = Find(name);
    if (!container)
        return Fail(target.line, "\"$" + name + "\" is an undeclared variable.");
    if (!StoreElement(*container, indices, value, target.line))
        return false;
    stored = std::move(value);
    return true;
}

bool Interpreter::StoreElement(Value& container, const std::vector<int>& indices, const Value& element, int line)
{
    if (container.GetType() == Type::kMatrix)
    {
        Matrix& m = container.m;
        double number = 0.0;
        if (indices.size() != 2)
            return Fail(line, "A matrix element needs a row and a column: $m[1][2].");
        if (indices[0] >= m.rows || indices[1] >= m.columns)
            return Fail(line, "Matrix index [" + std::to_string(indices[0]) + "][" + std::to_string(indices[1]) +
                                  "] is out of bounds of a " + std::to_string(m.rows) + "x" +
                                  std::to_string(m.columns) + " matrix.");
        if (IsArray(element.GetType()) || !ToFloat(element, number))
            return Fail(line, ConversionError(element.GetType(), Type::kFloat));
        m.values[static_cast<std::size_t>(indices[0] * m.columns + indices[1])] = number;
        return true;
    }
    if (!IsArray(container.GetType()) || indices.size() != 1)
        return Fail(line, "Data of type " + std::string(TypeName(container.GetType())) + " cannot be indexed.");
    const Type elementType = ElementType(container.GetType());
    Value converted;
    if (!ConvertTo(element, elementType, converted))
        return Fail(line, ConversionError(element.GetType(), elementType));
    const auto index = static_cast<std::size_t>(indices[0]);
    if (index >= container.Size())
    {
        // Assigning past the end grows the array, as MEL does.
        if (!CheckSize(index + 1, ElementBytes(container.GetType()), line))
            return false;
        Resize(container, index + 1);
    }
    SetElement(container, index, converted);
    return true;
}

// ---- calls ----------------------------------------------------------------

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
        const Counter catching(fCatchDepth);
        const bool quiet = expr.name == "catchQuiet";
        if (quiet)
            ++fQuietDepth;
        std::vector<Value> ignored;
        const bool ok = EvaluateArguments(expr, ignored);
        if (quiet)
            --fQuietDepth;
        // An interrupt is not an error of the statement: it stops the script.
        if (!ok && InterruptPending())
            return false;
        out = Value::Int(ok ? 0 : 1);
        return true;
    }
    std::vector<Value> arguments;
    if (!EvaluateArguments(expr, arguments))
        return false;
    bool handled = false;
    if (!CallSpecial(expr, arguments, handled, out) || handled)
        return handled;

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
    if (const Procedure* procedure = FindProcedure(expr.name, sourceFailed))
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

bool Interpreter::CallSpecial(const Expr& call, std::vector<Value>& arguments, bool& handled, Value& out)
{
    handled = IsSpecial(call.name);
    if (!handled)
        return true;
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
            return handled = false;
        LogMessage(Severity::kOutput, PrintText(arguments[0]));
        out = Value();
        return true;
    }
    if (name == "error" || name == "warning")
    {
        if (!expectArguments(1))
            return handled = false;
        std::string text;
        ToString(arguments[0], text);
        if (name == "warning")
        {
            MGlobal::displayWarning(ToMString(location + text));
            out = Value();
            return true;
        }
        Fail(call.line, text);
        return handled = false;
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
                return handled = false, Fail(call.line, ConversionError(argument.GetType(), Type::kString));
            script += (script.empty() ? "" : " ") + text;
        }
        // Like Maya's eval, the last statement may leave out its ';'.
        if (CheckCompleteness(script) == Completeness::kMissingSemicolon)
            script += ';';
        Program program;
        std::string error;
        if (!Parse(script, std::string(), program, error))
        {
            if (fQuietDepth == 0)
                MGlobal::displayError(ToMString(error));
            return handled = false;
        }
        if (!RunProgram(program))
            return handled = false;
        out = fLastValue;
        return true;
    }
    std::string target;
    if (!expectArguments(1) || !ToString(arguments[0], target))
        return handled = false;
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

const Procedure* Interpreter::FindProcedure(const std::string& name, bool& sourceFailed)
{
    sourceFailed = false;
    const auto lookUp = [&]() -> const Procedure*
    {
        const auto file = fLocalProcedures.find(Current().file);
        if (file != fLocalProcedures.end())
            if (const auto local = file->second.find(name); local != file->second.end())
                return local->second.get();
        const auto global = fGlobalProcedures.find(name);
        return global != fGlobalProcedures.end() ? global->second.get() : nullptr;
    };
    if (const Procedure* procedure = lookUp())
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
        return Fail(call.line, "Calls nested more than " + std::to_string(kMaxCallDepth) + " deep in " +
                                   procedure.name + ": endless recursion?");
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

// ---- globals ----------------------------------------------------------------

bool Interpreter::HasGlobalProcedure(const std::string& name) const
{
    return fGlobalProcedures.count(name) > 0;
}

void Interpreter::SetGlobalString(const std::string& name, std::string value)
{
    Value& global = GlobalSlot(name);
    global = Value::String(std::move(value));
}

bool Interpreter::GlobalString(const std::string& name, std::string& value) const
{
    const auto found = fGlobals.find(name);
    if (found == fGlobals.end() || found->second.GetType() != Type::kString)
        return false;
    value = found->second.s;
    return true;
}

} // namespace vxhost::mel
