#pragma once
/// \file Parser.h
/// Reads a script into its syntax tree. The grammar, in one place:
///
///     script      := statement*
///     statement   := block | declaration | if | while | do | for | switch
///                  | "break" ";" | "continue" ";" | "return" [expr] ";"
///                  | procedure | call | expr ";" | ";"
///     block       := "{" statement* "}"
///     declaration := ["global"] type declarator ("," declarator)* ";"
///     type        := "int" | "float" | "string" | "vector" | "matrix"
///     declarator  := VARIABLE ["[" [expr] "]" ["[" expr "]"]] ["=" expr]
///     if          := "if" "(" expr ")" statement ["else" statement]
///     while       := "while" "(" expr ")" statement
///     do          := "do" statement "while" "(" expr ")" ";"
///     for         := "for" "(" [exprs] ";" [expr] ";" [exprs] ")" statement
///                  | "for" "(" [type] VARIABLE "in" expr ")" statement
///     switch      := "switch" "(" expr ")" "{" (("case" expr | "default") ":" statement*)* "}"
///     procedure   := ["global"] "proc" [type ["[]"]] NAME "(" [parameter ("," parameter)*] ")" block
///     parameter   := type VARIABLE ["[]"]
///     call        := NAME argument* ";"              (command form: setAttr -l on goal.tx)
///                  | NAME "(" [expr ("," expr)*] ")" ";"   (function form)
///     argument    := FLAG | NUMBER | STRING | WORD | VARIABLE ["[" expr "]"]
///                  | "(" expr ")" | "`" call "`" | "{" exprs "}" | "<<" exprs ">>"
///     expr        := assignment, by precedence from loosest to tightest:
///                    = += -= *= /= %= ^=   (right to left)
///                    ?:
///                    ||
///                    &&
///                    == !=
///                    < <= > >=
///                    + -
///                    * / % ^
///                    unary - ! ++ --
///                    postfix [index] .x .y .z ++ --
///     primary     := NUMBER | STRING | VARIABLE | "(" expr ")" | NAME "(" exprs ")"
///                  | "`" call "`" | "{" exprs "}" | "<<" exprs [";" exprs]* ">>"
///                  | "true" | "false" | "on" | "off" | "yes" | "no"
///                  | NAME ["." NAME ...]   (an expression node's script only: an attribute, time, frame)
///
/// A statement that starts with a name is read in function form when the
/// name is followed by "(" and the whole statement reads so; otherwise in
/// command form (so `setAttr ($n + ".tx") 5;` is a command with two
/// arguments, as in Maya).

#include "mel/Ast.h"

#include <string>
#include <string_view>

namespace vxhost::mel
{

/// Nesting of blocks, parentheses and calls deeper than this is refused
/// with a message, so no script can overflow the stack.
constexpr int kMaxNesting = 256;

struct ParseOptions
{
    /// The script of an expression node: bare `node.attribute` names and
    /// `time` and `frame` read and write the scene.
    bool expressionNode = false;
};

/// Parses `text` (named `file` in messages and procedures; empty for
/// none). On a syntax error returns false with `error` set to the message,
/// placed as every script error is: "file: F line 3: Syntax error: ...".
bool Parse(std::string_view text, const std::string& file, Program& out, std::string& error,
           ParseOptions options = ParseOptions());

/// How far `text` is from a whole script, for an interactive prompt that
/// decides whether to read another line.
enum class Completeness
{
    kComplete,         ///< it reads, or has an error more text cannot mend
    kOpen,             ///< an open block, parenthesis or comment: read on
    kMissingSemicolon  ///< all there but the ';' that ends the last statement
};
Completeness CheckCompleteness(std::string_view text);

} // namespace vxhost::mel
