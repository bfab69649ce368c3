#pragma once
/// \file Interpreter.h
/// Runs scripts: walks the syntax tree, keeps the variables and procedures,
/// and hands commands to the CommandEngine.
///
/// Scoping is MEL's: a variable declared (or first assigned) outside every
/// procedure and block is global, as in Maya's Script Editor; one declared
/// inside a block lives until the block ends; a procedure sees only its
/// parameters, its own variables and the globals it declares with `global`.
/// Errors stop the script unless they happen inside `catch`.

#include "mel/Ast.h"
#include "mel/Value.h"

#include <maya/MStatus.h>

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vxhost
{
class CommandEngine;
class CommandResult;
} // namespace vxhost

namespace vxhost::mel
{

/// Procedure calls, evals and sourced scripts nested deeper than this are
/// taken for endless recursion and stopped with a message, long before the
/// stack could overflow.
constexpr int kMaxCallDepth = 400;
/// What stops them, and recursion the stack could not hold within that
/// depth: one text, whichever limit a build's stack meets first.
constexpr const char* kRunawayMessage =
    "Calls nested too deep (more than 400, or more than the stack holds): endless recursion?";

/// Reads the attributes and time of the scene for an expression node's
/// script (see ParseOptions::expressionNode).
class AttributeAccess
{
public:
    virtual ~AttributeAccess() = default;
    /// The value of `name` ("goal.translateX", "time", "frame"), written on
    /// `line` of the script; false with `error` set when there is no such
    /// attribute (or empty, when the failure has been shown already).
    virtual bool Read(const std::string& name, int line, Value& out, std::string& error) = 0;
    virtual bool Write(const std::string& name, int line, const Value& value, std::string& error) = 0;
};

class Interpreter
{
public:
    explicit Interpreter(CommandEngine& engine);
    ~Interpreter();
    Interpreter(const Interpreter&) = delete;
    Interpreter& operator=(const Interpreter&) = delete;

    /// Parses `text` and runs it (see CommandEngine::RunScript). The
    /// procedures a script defines are defined before its first statement
    /// runs, so a script may call them above their definition.
    MStatus RunScript(std::string_view text, const std::string& file);
    /// Runs a parsed script; its top-level statements see the globals.
    MStatus RunProgram(const Program& program);
    /// Runs an expression node's parsed script with `access` serving its
    /// attribute names; errors name `node`.
    MStatus RunExpression(const Program& program, AttributeAccess& access);

    /// The value of the last statement a script ran at its top level, as
    /// `eval` returns it.
    const Value& LastValue() const { return fLastValue; }

    bool HasGlobalProcedure(const std::string& name) const;
    void SetGlobalString(const std::string& name, std::string value);
    bool GlobalString(const std::string& name, std::string& value) const;

    /// Asks the running script to stop at its next statement or loop turn
    /// with "Interrupted.": safe to call from a signal handler.
    static void RequestInterrupt();
    /// Whether an interrupt was requested and not yet taken.
    static bool InterruptPending();
    static void ClearInterrupt();

private:
    enum class Flow
    {
        kNormal,
        kBreak,
        kContinue,
        kReturn,
        kError
    };

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

    struct Slot
    {
        std::string name;
        Value value;
        /// A global the procedure declared: the value lives there.
        Value* global = nullptr;
    };

    struct Frame
    {
        std::size_t base = 0;
        /// The script or procedure file, for messages and local procedures.
        std::string file;
        /// A script's frame, not a procedure's: names it has not declared
        /// reach the globals, and at its top level (no block open) what
        /// it declares is global.
        bool seesGlobals = true;
        int blockDepth = 0;
        /// Where the innermost open block's variables start in fSlots.
        std::size_t blockStart = 0;
        const Procedure* procedure = nullptr;
        Value returnValue;
        AttributeAccess* attributes = nullptr;
    };

    // Statements.
    Flow Execute(const Stmt& stmt);
    Flow ExecuteBlock(const std::vector<StmtPtr>& body);
    Flow ExecuteDeclaration(const Stmt& stmt);
    Flow ExecuteFor(const Stmt& stmt);
    Flow ExecuteForIn(const Stmt& stmt);
    Flow ExecuteSwitch(const Stmt& stmt);
    Flow ExecuteReturn(const Stmt& stmt);
    MStatus RunStatements(const std::vector<StmtPtr>& statements);
    /// Runs statements in a frame of their own, given back afterwards
    /// whatever happened (an exhausted memory included).
    MStatus RunInFrame(Frame frame, const std::vector<StmtPtr>& statements);
    bool DefineProcedures(const Program& program);

    // Expressions: each evaluates into `out` and returns false after
    // reporting an error.
    bool Evaluate(const Expr& expr, Value& out);
    bool EvaluateIndex(const Expr& expr, Value& out);
    /// The expression as a condition (see IsTrue).
    bool EvaluateCondition(const Expr& expr, bool& truth);
    /// The indices of $a[i] or $m[r][c], each a whole number of at least 0.
    bool EvaluateIndices(const Expr& expr, std::vector<int>& out);
    bool EvaluateChain(const Expr& expr, Value& out);
    bool EvaluateAssign(const Expr& expr, Value& out);
    bool EvaluateIncrement(const Expr& expr, Value& out);
    bool EvaluateVector(const Expr& expr, Value& out);
    bool EvaluateArray(const Expr& expr, Value& out);
    bool EvaluateCall(const Expr& expr, Value& out);
    bool EvaluateCommand(const Expr& expr, Value& out);
    bool Store(const Expr& target, Value value, Value& stored);
    bool StoreElement(Value& container, const std::vector<int>& indices, const Value& element, int line);

    // Calls.
    /// print, eval, exists, whatIs, error and warning, which the language
    /// answers itself (catch is EvaluateCall's, as it evaluates its own
    /// argument).
    bool CallSpecial(const Expr& call, const std::vector<Value>& arguments, Value& out);
    bool CallProcedure(const Expr& call, const Procedure& procedure, std::vector<Value>& arguments, Value& out);
    bool CallHostCommand(const Expr& call, const std::vector<Value>& arguments, Value& out);
    bool EvaluateArguments(const Expr& call, std::vector<Value>& out);
    /// The procedure a call names: a local one of the caller's file, a
    /// global one, or one that sourcing NAME.mel defines; `sourceFailed` says
    /// the sourced file failed (its error shown).
    std::shared_ptr<const Procedure> FindProcedure(const std::string& name, bool& sourceFailed);

    // Variables.
    Value* Find(const std::string& name);
    Value* Declare(const std::string& name, Value value, int line);
    Value& GlobalSlot(const std::string& name);

    /// Shows the error, placed, and keeps `code` as the status the script
    /// fails with.
    bool Fail(int line, const std::string& text, MStatus::MStatusCode code = MStatus::kFailure);
    bool CheckInterrupt(int line);
    /// Runaway recursion: the failure unwinds quietly and is shown once,
    /// where it is caught or at the outermost statement that started it, so
    /// the message reads the same whichever limit (depth or stack) a build
    /// meets first.
    bool FailRunaway();
    void ShowRunaway(int line);
    bool CheckStack();
    bool CheckSize(std::size_t elements, std::size_t elementBytes, int line);
    Frame& Current() { return fFrames.back(); }

    CommandEngine& fEngine;
    std::vector<Slot> fSlots;
    std::vector<Frame> fFrames;
    std::unordered_map<std::string, Value> fGlobals;
    std::map<std::string, std::shared_ptr<const Procedure>, std::less<>> fGlobalProcedures;
    /// Local procedures by file, then name.
    std::map<std::string, std::map<std::string, std::shared_ptr<const Procedure>, std::less<>>, std::less<>>
        fLocalProcedures;
    Value fLastValue;
    /// The status of the error that stopped the script: a failing command's
    /// own, kNotFound for an unknown procedure...
    MStatus::MStatusCode fErrorCode = MStatus::kFailure;
    /// A runaway failure is unwinding and has not been shown yet.
    bool fRunawayPending = false;
    int fCallDepth = 0;
    /// Below this frame address a script is stopped (see CheckStack); 0
    /// where the thread's stack is unknown.
    std::uintptr_t fStackLimit = 0;
    /// Files sourced to find a procedure, so a file that calls its own
    /// procedure before defining it is not sourced forever.
    std::vector<std::string> fAutoSourcing;

    static std::atomic<bool> sInterrupt;
};

} // namespace vxhost::mel
