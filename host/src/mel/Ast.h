#pragma once
/// \file Ast.h
/// The syntax tree of a script, as the Parser builds it and the Interpreter
/// walks it. Nodes keep the line they start on, so every runtime error can
/// be placed.

#include "mel/Value.h"

#include <memory>
#include <string>
#include <vector>

namespace vxhost::mel
{

struct Expr;
struct Stmt;
using ExprPtr = std::unique_ptr<Expr>;
using StmtPtr = std::unique_ptr<Stmt>;

/// An argument of a call in command form (`setAttr -type double3 goal.t 1 2 3`):
/// the pieces written literally keep their spelling, the rest are
/// expressions (`$node`, `($a + ".tx")`, a backtick command).
struct CommandArg
{
    enum class Kind
    {
        kFlag,   ///< text is the flag without its '-'
        kWord,   ///< text as written
        kNumber, ///< text as written ("-2.5", "3e2")
        kString, ///< text is the contents, escapes resolved
        kExpr    ///< expr is evaluated when the call runs
    };
    Kind kind = Kind::kWord;
    std::string text;
    ExprPtr expr;
};

enum class ExprKind
{
    kLiteral,       ///< value
    kVariable,      ///< name (without '$')
    kIndex,         ///< operands[0] [ operands[1] ] (a matrix: [ operands[2] ] too)
    kComponent,     ///< operands[0] . component (x, y or z)
    kUnary,         ///< op operands[0]: '-', '!'
    kBinary,        ///< operands[0] op operands[1]
    kLogical,       ///< operands[0] && / || operands[1], short-circuit
    kTernary,       ///< operands[0] ? operands[1] : operands[2]
    kAssign,        ///< operands[0] = operands[1]; op is 0 or the compound operator
    kIncrement,     ///< ++/-- on operands[0]; op '+' or '-'; prefix says which side
    kCall,          ///< name ( operands... ): function form
    kCommand,       ///< name args...: command form, statement or backticks
    kArrayLiteral,  ///< { operands... }
    kVectorLiteral, ///< << operands[0], [1], [2] >>; a matrix literal has rows
    kAttribute      ///< node.attribute inside an expression node's script: name
};

struct Expr
{
    Expr() = default;
    ~Expr();
    Expr(const Expr&) = delete;
    Expr& operator=(const Expr&) = delete;

    ExprKind kind = ExprKind::kLiteral;
    int line = 0;
    /// The operator: a character ('+', '<', '!'...) or one of the Op codes.
    int op = 0;
    bool prefix = false;
    /// x, y or z for kComponent; rows of a matrix literal as the count of
    /// values per row for kVectorLiteral (0: a vector).
    int component = 0;
    std::string name;
    Value literal;
    std::vector<ExprPtr> operands;
    std::vector<CommandArg> args;
};

// A long chain (1 + 1 + ... + 1) is a tree as deep as it is long: it is
// taken apart with a list of what is left, not by recursion, so that no
// length of chain can run the stack out.
inline Expr::~Expr()
{
    if (operands.empty())
        return;
    std::vector<ExprPtr> pending = std::move(operands);
    while (!pending.empty())
    {
        ExprPtr next = std::move(pending.back());
        pending.pop_back();
        for (ExprPtr& operand : next->operands)
            pending.push_back(std::move(operand));
        next->operands.clear();
    }
}

/// Operators of more than one character.
enum Op : int
{
    kOpEqual = 256, ///< ==
    kOpNotEqual,    ///< !=
    kOpLessEqual,   ///< <=
    kOpGreaterEqual ///< >=
};

/// A variable a declaration makes: `$name`, `$name[]`, `$name[4]`,
/// `$m[4][4]`, with its initial value.
struct Declarator
{
    std::string name;
    int line = 0;
    bool array = false;
    ExprPtr size;    ///< array size or matrix rows, if given
    ExprPtr columns; ///< matrix columns
    ExprPtr init;
};

struct Procedure;

enum class StmtKind
{
    kExpr,     ///< expr;
    kDeclare,  ///< [global] type declarators;
    kBlock,    ///< { body }
    kIf,       ///< if (expr) body[0] else body[1]
    kWhile,    ///< while (expr) body[0]
    kDoWhile,  ///< do body[0] while (expr);
    kFor,      ///< for (init; expr; step) body[0]
    kForIn,    ///< for ($name in expr) body[0]
    kSwitch,   ///< switch (expr) { cases }
    kBreak,
    kContinue,
    kReturn,   ///< return [expr];
    kProcedure ///< a definition: procedure
};

/// One `case` or `default` label of a switch, and where its statements
/// start in the switch's body.
struct SwitchCase
{
    bool isDefault = false;
    ExprPtr value;
    std::size_t first = 0;
};

struct Stmt
{
    StmtKind kind = StmtKind::kExpr;
    int line = 0;
    ExprPtr expr;
    /// Declarations: the type, whether `global`, and the variables.
    Type type = Type::kNone;
    bool global = false;
    std::vector<Declarator> declarators;
    /// for: the comma-separated init and step expressions.
    std::vector<ExprPtr> init;
    std::vector<ExprPtr> step;
    /// for-in: the loop variable's name (and type, if declared there).
    std::string name;
    std::vector<StmtPtr> body;
    std::vector<SwitchCase> cases;
    std::shared_ptr<const Procedure> procedure;
};

struct Parameter
{
    Type type = Type::kNone;
    std::string name;
};

/// A procedure definition. Shared, so that a procedure outlives the script
/// that defined it.
struct Procedure
{
    std::string name;
    std::string file;
    int line = 0;
    bool global = false;
    Type returnType = Type::kNone;
    std::vector<Parameter> parameters;
    std::vector<StmtPtr> body;
};

/// A parsed script: its statements, in order, and the file it came from.
struct Program
{
    std::string file;
    std::vector<StmtPtr> statements;
};

} // namespace vxhost::mel
