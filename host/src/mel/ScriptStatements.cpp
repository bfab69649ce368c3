// Plain statements: the part of the language a saved scene is written in,
// read through the same parser as every script so the two never disagree.

#include "mel/Parser.h"

#include <vxhost/Script.h>

namespace vxhost
{

std::string ScriptLocation(const std::string& file, int line)
{
    if (line <= 0)
        return std::string();
    std::string location;
    if (!file.empty())
        location = "file: " + file + " ";
    return location + "line " + std::to_string(line) + ": ";
}

bool ParseScript(std::string_view text, const std::string& file, std::vector<ScriptStatement>& out,
                 std::string& error)
{
    mel::Program program;
    if (!mel::Parse(text, file, program, error))
        return false;
    for (const mel::StmtPtr& stmt : program.statements)
    {
        const mel::Expr* call = stmt->kind == mel::StmtKind::kExpr ? stmt->expr.get() : nullptr;
        if (!call || call->kind != mel::ExprKind::kCommand)
        {
            error = ScriptLocation(file, stmt->line) + "Syntax error: only commands with their arguments written out belong here.";
            return false;
        }
        ScriptStatement statement;
        statement.command = call->name;
        statement.file = file;
        statement.line = call->line;
        for (const mel::CommandArg& arg : call->args)
        {
            using Kind = ScriptArgument::Kind;
            switch (arg.kind)
            {
            case mel::CommandArg::Kind::kFlag:
                statement.arguments.push_back({Kind::kFlag, arg.text});
                break;
            case mel::CommandArg::Kind::kWord:
                statement.arguments.push_back({Kind::kWord, arg.text});
                break;
            case mel::CommandArg::Kind::kNumber:
                statement.arguments.push_back({Kind::kNumber, arg.text});
                break;
            case mel::CommandArg::Kind::kString:
                statement.arguments.push_back({Kind::kString, arg.text});
                break;
            case mel::CommandArg::Kind::kExpr:
                error = ScriptLocation(file, call->line) +
                        "Syntax error: only commands with their arguments written out belong here.";
                return false;
            }
        }
        out.push_back(std::move(statement));
    }
    return true;
}

} // namespace vxhost
