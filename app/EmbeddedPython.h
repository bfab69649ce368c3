#pragma once

#include <maya/MStatus.h>

#include <memory>
#include <string>

/// The Python interpreter inside volarix, for `volarix run scene.py` and
/// `volarix shell --python`. It imports the same volarix package that
/// Python programs import (build/python, beside the program's folder), so
/// scripts drive this process's one host. Lives while main runs: ending it
/// flushes what scripts printed.
class EmbeddedPython
{
public:
    EmbeddedPython();
    ~EmbeddedPython();
    EmbeddedPython(const EmbeddedPython&) = delete;
    EmbeddedPython& operator=(const EmbeddedPython&) = delete;

    /// Runs the file as __main__; an exception is shown with its traceback
    /// on stderr and fails the run (SystemExit(0) does not).
    MStatus RunFile(const std::string& path);
    /// A Python prompt with `cmds` and `mel` imported; `scene`, when not
    /// empty, is run first. Returns the program's exit code.
    int Shell(const std::string& scene);

private:
    struct Interpreter;
    std::unique_ptr<Interpreter> fInterpreter;
};
