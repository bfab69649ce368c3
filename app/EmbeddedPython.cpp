#include "EmbeddedPython.h"

#include "ScriptInterrupt.h"

#include <pybind11/embed.h>

#include <csignal>
#include <filesystem>

namespace py = pybind11;

namespace
{
// The package's folder in the build tree: build/python beside build/bin.
std::string PackageFolder()
{
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : (exe.parent_path().parent_path() / "python").string();
}
} // namespace

struct EmbeddedPython::Interpreter
{
    py::scoped_interpreter interpreter;
    py::module_ embed;
};

EmbeddedPython::EmbeddedPython() : fInterpreter(std::make_unique<Interpreter>())
{
    const std::string folder = PackageFolder();
    py::list path = py::module_::import("sys").attr("path");
    // Behind PYTHONPATH, so a developer's own copy of the package wins.
    if (!folder.empty())
        path.append(folder);
    fInterpreter->embed = py::module_::import("volarix._embed");
}

EmbeddedPython::~EmbeddedPython() = default;

MStatus EmbeddedPython::RunFile(const std::string& path)
{
    // Ctrl-C in a Python scene is a KeyboardInterrupt, whoever took the
    // signal since the interpreter started (the cache writer does); theirs
    // comes back after.
    struct sigaction saved;
    sigaction(SIGINT, nullptr, &saved);
    const py::module_ signal = py::module_::import("signal");
    signal.attr("signal")(SIGINT, signal.attr("default_int_handler"));
    const std::string outcome = fInterpreter->embed.attr("run_file")(path).cast<std::string>();
    sigaction(SIGINT, &saved, nullptr);
    if (outcome == "interrupted")
        ScriptInterrupt::Request();
    return outcome == "ok" ? MStatus(MStatus::kSuccess) : MStatus(MStatus::kFailure, "the Python scene failed");
}

int EmbeddedPython::Shell(const std::string& scene)
{
    return fInterpreter->embed.attr("shell")(scene).cast<int>();
}
