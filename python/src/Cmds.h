#pragma once
/// \file Cmds.h
/// Host commands called from Python with maya.cmds' conventions.

#include <pybind11/pybind11.h>

#include <string>

namespace vxpython
{

/// Runs command `name` with Python's positional `args` and keyword `kwargs`
/// (flags by short or long name) and returns its result as a Python value:
/// None, int, float, str, or a list of them.
///
/// Raises RuntimeError with the host's error text when the command fails,
/// ValueError for an argument no command could take (None, a dict...).
pybind11::object CallCommand(const std::string& name, const pybind11::args& args, const pybind11::kwargs& kwargs);

/// Runs MEL, as MEL's eval does, and returns the value of its last statement
/// (None when it has none). Raises RuntimeError when the script fails.
pybind11::object EvalMel(const std::string& script);

/// Adds the folder of the host library to the plug-in search path, so that
/// loadPlugin finds particleVolarix beside it from any Python program.
void AddHostFolderToPluginPath();

/// Registers CallCommand and friends on `module`.
void DefineCommands(pybind11::module_& module);

} // namespace vxpython
