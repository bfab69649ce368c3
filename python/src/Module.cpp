// The C++ core of the volarix package: one module both for Python programs
// (PYTHONPATH=build/python) and for volarix's own embedded interpreter,
// which imports this same file, so a process has one host whichever way it
// started.

#include "Cmds.h"
#include "Particles.h"
#include "Run.h"

namespace py = pybind11;

PYBIND11_MODULE(_volarix, module)
{
    module.doc() = "The Volarix host: its commands, MEL and particles.";
    vxpython::AddHostFolderToPluginPath();
    vxpython::DefineCommands(module);
    vxpython::DefineParticles(module);
    vxpython::DefineRun(module);
}
