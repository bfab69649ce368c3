#pragma once
/// \file ScriptProcedures.h
/// What the scene script's small piece of MEL language needs at run time
/// (see Script.h): the procedures scripts have defined, the global string
/// variables, and the parameters of the procedure calls under way.
///
/// Kept apart from the command engine, which asks it at four points only (a
/// definition, a declaration, a call that names no command, a statement with
/// variables), so that a fuller MEL interpreter can take its place.

#include <vxhost/Script.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace vxhost
{
class ScriptProcedures
{
public:
    /// Adds the procedure of a kProcedure statement, replacing one of the
    /// same name and reach (as sourcing a script again does in Maya).
    void Define(const ScriptStatement& statement);
    /// Declares a global string variable; a new one holds "".
    void DeclareGlobal(const std::string& name);

    /// The procedure a call written in `file` reaches: a local procedure of
    /// that file first, then a global one; null when there is neither.
    std::shared_ptr<const ScriptProcedure> Find(const std::string& file, const std::string& name) const;
    bool HasGlobalProcedure(const std::string& name) const { return fGlobalProcedures.count(name) > 0; }

    void SetGlobal(const std::string& name, std::string value) { fGlobals[name] = std::move(value); }
    /// The global's value; false when no script or host has declared it.
    bool Global(const std::string& name, std::string& value) const;

    /// `statement` with each variable argument replaced by a string holding
    /// the variable's value: the innermost call's parameter of that name, or
    /// else the global. False, with `error`, for a name that is neither
    /// (the reader lets through only declared names, so only statements
    /// built in code get here).
    bool Substitute(const ScriptStatement& statement, ScriptStatement& out, std::string& error) const;

    /// Makes `parameters` (name, value) the variables of the statements run
    /// until the frame is popped. Scripts run by the engine push an empty
    /// frame, so a sourced file never sees its caller's parameters.
    void PushFrame(std::vector<std::pair<std::string, std::string>> parameters);
    void PopFrame() { fFrames.pop_back(); }
    std::size_t Depth() const { return fFrames.size(); }

private:
    std::map<std::string, std::shared_ptr<const ScriptProcedure>, std::less<>> fGlobalProcedures;
    /// By (file, name).
    std::map<std::pair<std::string, std::string>, std::shared_ptr<const ScriptProcedure>> fLocalProcedures;
    std::map<std::string, std::string, std::less<>> fGlobals;
    std::vector<std::vector<std::pair<std::string, std::string>>> fFrames;
};
} // namespace vxhost
