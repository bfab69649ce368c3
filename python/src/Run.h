#pragma once
/// \file Run.h
/// Runs of the current scene from Python.

#include <pybind11/pybind11.h>

namespace vxpython
{

/// Registers run (the frame loop of `volarix run`, on the scene Python made)
/// on `module`: it raises ValueError for bad arguments, RuntimeError when a
/// frame or a file fails, and returns the summary `volarix run --json`
/// prints, as a dict.
void DefineRun(pybind11::module_& module);

} // namespace vxpython
