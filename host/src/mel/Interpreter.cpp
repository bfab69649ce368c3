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
#include "mel/CommandValues.h"
#include "mel/Operators.h"
#include "mel/Parser.h"

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
#include <new>
#include <utility>

namespace vxhost::mel
{

std::atomic<bool> Interpreter::sInterrupt{false};

namespace
{

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

// ---- running -------------------------------------------------------------

bool Interpreter::Fail(int line, const std::string& text, MStatus::MStatusCode code)
{
    fErrorCode = code;
    MGlobal::displayError(ToMString(ScriptLocation(fFrames.empty() ? std::string() : Current().file, line) + text));
    return false;
}

bool Interpreter::FailRunaway()
{
    fErrorCode = MStatus::kFailure;
    fRunawayPending = true;
    return false;
}

void Interpreter::ShowRunaway(int line)
{
    if (!fRunawayPending)
        return;
    fRunawayPending = false;
    Fail(line, kRunawayMessage);
}

bool Interpreter::CheckInterrupt(int line)
{
    if (!InterruptPending())
        return true;
    return Fail(line, "Interrupted.");
}

bool Interpreter::CheckStack()
{
    // Nesting the reader allows, multiplied by calls the call limit allows,
    // can still be more than the stack holds: 400 calls of a procedure
    // whose expression is 200 levels deep.
    const auto here = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
    if (here >= fStackLimit)
        return true;
    return FailRunaway();
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
        return FailRunaway(), MStatus(MStatus::kFailure);
    Frame frame;
    frame.file = program.file;
    const MStatus status = RunInFrame(std::move(frame), program.statements);
    if (!status)
        fLastValue = Value();
    return status;
}

MStatus Interpreter::RunExpression(const Program& program, AttributeAccess& access)
{
    if (fCallDepth == 0)
        fStackLimit = StackLimit();
    Frame frame;
    frame.file = program.file;
    // An expression's variables are its own, as in Maya: they start afresh
    // each time it runs.
    frame.seesGlobals = false;
    frame.attributes = &access;
    return RunInFrame(std::move(frame), program.statements);
}

MStatus Interpreter::RunInFrame(Frame frame, const std::vector<StmtPtr>& statements)
{
    const Counter depth(fCallDepth);
    const std::size_t frames = fFrames.size();
    if (frames == 0)
        fRunawayPending = false;
    const std::size_t slots = fSlots.size();
    frame.base = slots;
    frame.blockStart = slots;
    fFrames.push_back(std::move(frame));
    MStatus status;
    try
    {
        status = RunStatements(statements);
    }
    catch (const std::bad_alloc&)
    {
        // A script that asked for more memory than there is fails as any
        // failing statement does, and what it made so far is given back.
        Fail(0, "Out of memory.");
        status = MStatus::kFailure;
    }
    fFrames.resize(frames);
    fSlots.resize(slots);
    return status ? status : MStatus(fErrorCode);
}

MStatus Interpreter::RunStatements(const std::vector<StmtPtr>& statements)
{
    for (const StmtPtr& stmt : statements)
    {
        switch (Execute(*stmt))
        {
        case Flow::kError:
            if (fCallDepth == 1)
                ShowRunaway(stmt->line);
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
    if (!CheckInterrupt(stmt.line) || !CheckStack())
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
        bool truth = false;
        if (!EvaluateCondition(*stmt.expr, truth))
            return Flow::kError;
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
                bool truth = false;
                if (!EvaluateCondition(*stmt.expr, truth))
                    return Flow::kError;
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
                ResizeArray(value, static_cast<std::size_t>(n));
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
            bool truth = false;
            if (!EvaluateCondition(*stmt.expr, truth))
                return Flow::kError;
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
        const Value element = ArrayElement(array, i);
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
