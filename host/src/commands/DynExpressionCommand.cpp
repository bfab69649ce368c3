// dynExpression: sets (or queries) the per-particle expressions of particle
// shapes, as Maya's command of that name does.

#include "DynExpression.h"
#include "ParticleArrays.h"

#include "dg/Scene.h"
#include "UndoQueue.h"

#include <vxhost/CommandEngine.h>
#include <vxhost/ScriptArgs.h>

#include <string>
#include <vector>

namespace vxhost
{
namespace
{
// dynExpression [-q] -s "expression" [-c | -rbd | -rad | -r] [shapes...]
// -r (runtime) is Maya's older name for -rad. Without a kind the expression
// is a creation expression. Without shapes, the selected ones.
MStatus DynExpressionCommand(const ScriptStatement& statement, CommandResult& result)
{
    static const ScriptSyntax syntax = ScriptSyntax()
                                           .AddFlag("s", "string", 1)
                                           .AddFlag("c", "creation")
                                           .AddFlag("rbd", "runtimeBeforeDynamics")
                                           .AddFlag("rad", "runtimeAfterDynamics")
                                           .AddFlag("r", "runtime")
                                           .EnableQuery()
                                           .EnableEdit();
    ScriptArgs args;
    MStatus status = args.Parse(statement, syntax);
    if (!status)
        return status;
    std::vector<ExpressionKind> kinds;
    if (args.IsFlagSet("c"))
        kinds.push_back(ExpressionKind::kCreation);
    if (args.IsFlagSet("rbd"))
        kinds.push_back(ExpressionKind::kBeforeDynamics);
    if (args.IsFlagSet("rad") || args.IsFlagSet("r"))
        kinds.push_back(ExpressionKind::kAfterDynamics);
    if (kinds.size() > 1)
        return ReportCommandError(statement,
                                  "Give one of -creation, -runtimeBeforeDynamics and "
                                  "-runtimeAfterDynamics.",
                                  MStatus::kInvalidParameter);
    const ExpressionKind kind = kinds.empty() ? ExpressionKind::kCreation : kinds.front();

    std::vector<std::shared_ptr<Node>> shapes;
    const ScriptValues names = args.Positionals();
    for (unsigned i = 0; i < names.Count(); ++i)
    {
        std::string name;
        names.GetString(i, name);
        std::shared_ptr<Node> shape = FindParticleShape(name);
        if (!shape)
            return ReportCommandError(statement, "\"" + name + "\" is no particle object.",
                                      MStatus::kInvalidParameter);
        shapes.push_back(shape);
    }
    if (names.Count() == 0)
        for (const auto& node : Scene::Get().Selection())
            if (std::shared_ptr<Node> shape = FindParticleShape(node->name))
                shapes.push_back(shape);
    if (shapes.empty())
        return ReportCommandError(statement, "Name the particle object, or select it.",
                                  MStatus::kInvalidParameter);

    if (args.IsQuery())
    {
        result.SetString(ParticleExpression(*shapes.front(), kind));
        return MStatus::kSuccess;
    }
    if (!args.IsFlagSet("s"))
        return ReportCommandError(statement, "Give the expression with -string.", MStatus::kInvalidParameter);
    std::string text;
    args.Flag("s").GetString(0, text);
    for (const auto& shape : shapes)
    {
        std::string error;
        if (status = SetParticleExpression(*shape, kind, text, error); !status)
            return ReportCommandError(statement, "Invalid expression for " + shape->name + ": " + error,
                                      MStatus::kInvalidParameter);
    }
    std::vector<std::string> set;
    for (const auto& shape : shapes)
        set.push_back(shape->name);
    result.SetStrings(std::move(set));
    return MStatus::kSuccess;
}

const CommandRegistrar kDynExpression("dynExpression", Undoable(DynExpressionCommand));
} // namespace
} // namespace vxhost
