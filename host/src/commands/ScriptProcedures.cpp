#include "ScriptProcedures.h"

namespace vxhost
{
void ScriptProcedures::Define(const ScriptStatement& statement)
{
    if (statement.procedure->global)
        fGlobalProcedures[statement.command] = statement.procedure;
    else
        fLocalProcedures[{statement.file, statement.command}] = statement.procedure;
}

void ScriptProcedures::DeclareGlobal(const std::string& name)
{
    fGlobals.try_emplace(name);
}

std::shared_ptr<const ScriptProcedure> ScriptProcedures::Find(const std::string& file,
                                                              const std::string& name) const
{
    if (const auto local = fLocalProcedures.find({file, name}); local != fLocalProcedures.end())
        return local->second;
    if (const auto global = fGlobalProcedures.find(name); global != fGlobalProcedures.end())
        return global->second;
    return nullptr;
}

bool ScriptProcedures::Global(const std::string& name, std::string& value) const
{
    const auto found = fGlobals.find(name);
    if (found == fGlobals.end())
        return false;
    value = found->second;
    return true;
}

bool ScriptProcedures::Substitute(const ScriptStatement& statement, ScriptStatement& out,
                                  std::string& error) const
{
    out = statement;
    for (ScriptArgument& argument : out.arguments)
    {
        if (argument.kind != ScriptArgument::Kind::kVariable)
            continue;
        const std::string* value = nullptr;
        if (!fFrames.empty())
            for (const auto& [name, parameterValue] : fFrames.back())
                if (name == argument.text)
                    value = &parameterValue;
        if (!value)
            if (const auto global = fGlobals.find(argument.text); global != fGlobals.end())
                value = &global->second;
        if (!value)
        {
            error = "\"$" + argument.text + "\" is an undeclared variable.";
            return false;
        }
        argument.kind = ScriptArgument::Kind::kString;
        argument.text = *value;
    }
    return true;
}

void ScriptProcedures::PushFrame(std::vector<std::pair<std::string, std::string>> parameters)
{
    fFrames.push_back(std::move(parameters));
}
} // namespace vxhost
