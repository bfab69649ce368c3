// Python calls turned into the statements MEL would write, so that every
// command reads them through the same ScriptArgs or MArgDatabase path and
// behaves the same from either language.

#include "Cmds.h"

#include <ScriptInterrupt.h>
#include <pybind11/stl.h>
#include <vxhost/CommandEngine.h>
#include <vxhost/MessageLog.h>
#include <vxhost/Script.h>

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>

namespace py = pybind11;

namespace vxpython
{
namespace
{

using vxhost::CommandResult;
using vxhost::ScriptArgument;
using Kind = ScriptArgument::Kind;

[[noreturn]] void RaiseFailure(const vxhost::ErrorCollector& errors, const MStatus& status, const std::string& what)
{
    std::string text = errors.Errors();
    if (text.empty())
        text = what + ": " + (status.errorString().length() > 0 ? status.errorString().asChar() : "failed");
    throw std::runtime_error(text);
}

bool IsSequence(const py::handle& value)
{
    return py::isinstance<py::list>(value) || py::isinstance<py::tuple>(value);
}

// One value as MEL would write it; sequences are flattened, as maya.cmds
// takes (1, 2, 3) for three values.
void AppendValue(const py::handle& value, const std::string& where, std::vector<ScriptArgument>& out)
{
    PyObject* object = value.ptr();
    if (PyBool_Check(object))
        out.push_back({Kind::kBool, object == Py_True ? "true" : "false"});
    else if (PyUnicode_Check(object))
        out.push_back({Kind::kString, value.cast<std::string>()});
    else if (PyLong_Check(object) || PyIndex_Check(object))
        out.push_back({Kind::kNumber, py::str(py::int_(py::reinterpret_borrow<py::object>(value)))});
    else if (PyFloat_Check(object) || (Py_TYPE(object)->tp_as_number && Py_TYPE(object)->tp_as_number->nb_float))
        out.push_back({Kind::kNumber, vxhost::FormatDouble(value.cast<double>())});
    else if (IsSequence(value))
        for (const py::handle item : value)
            AppendValue(item, where, out);
    else
        throw py::value_error(where + " takes numbers, strings, booleans or sequences of them, not " +
                              std::string(py::str(py::type::handle_of(value).attr("__name__"))) + ".");
}

void AppendFlag(const std::string& name, const py::handle& value, std::vector<ScriptArgument>& out)
{
    const std::string where = "Flag " + name;
    if (value.is_none())
        throw py::value_error(where + " has no value: None.");
    // q=True and e=True are modes: given or not. (optionVar(q="name") is a
    // flag with a value, as in MEL.)
    const bool mode = name == "q" || name == "query" || name == "e" || name == "edit";
    if (mode && (PyBool_Check(value.ptr()) || PyLong_Check(value.ptr())))
    {
        if (PyObject_IsTrue(value.ptr()) == 1)
            out.push_back({Kind::kFlag, name});
        return;
    }
    // A list of sequences is a flag used once per element: p=[(0, 0, 0), (1, 0, 0)].
    bool repeated = false;
    if (py::isinstance<py::list>(value))
        for (const py::handle item : value)
            repeated = repeated || IsSequence(item);
    const auto use = [&](const py::handle& values)
    {
        out.push_back({Kind::kFlag, name});
        const size_t first = out.size();
        AppendValue(values, where, out);
        // The flag's own: a switch reads ls(sl=1) as ls(sl=True).
        for (size_t i = first; i < out.size(); ++i)
            out[i].keyword = true;
    };
    if (!repeated)
        use(value);
    else
        for (const py::handle item : value)
            use(item);
}

// Numbers that belong together (a vector array's, a double3's) as a list of
// tuples, as maya.cmds returns them.
template <typename T>
py::object GroupedOrFlat(const std::vector<T>& values, unsigned width)
{
    if (width == 0 || values.size() % width != 0)
        return py::cast(values);
    py::list tuples(values.size() / width);
    for (size_t i = 0; i < values.size() / width; ++i)
    {
        py::tuple tuple(width);
        for (unsigned c = 0; c < width; ++c)
            tuple[c] = py::cast(values[i * width + c]);
        tuples[i] = std::move(tuple);
    }
    return tuples;
}

// `asMel`: as MEL holds the value (a yes or no as an int, numbers flat), which
// is how maya.mel.eval returns it.
py::object ToPython(const CommandResult& result, bool asMel)
{
    const unsigned width = asMel ? 0u : result.TupleWidth();
    switch (result.GetKind())
    {
    case CommandResult::Kind::kNone:
        return py::none();
    case CommandResult::Kind::kInt:
        if (result.IsBool() && !asMel)
            return py::bool_(result.Ints().front() != 0);
        return py::int_(result.Ints().front());
    case CommandResult::Kind::kDouble:
        return py::float_(result.Doubles().front());
    case CommandResult::Kind::kString:
        return py::str(result.Strings().front());
    case CommandResult::Kind::kIntArray:
        return GroupedOrFlat(result.Ints(), width);
    case CommandResult::Kind::kDoubleArray:
        return GroupedOrFlat(result.Doubles(), width);
    case CommandResult::Kind::kStringArray:
        return py::cast(result.Strings());
    }
    return py::none();
}

} // namespace

py::object CallCommand(const std::string& name, const py::args& args, const py::kwargs& kwargs)
{
    vxhost::ScriptStatement statement;
    statement.command = name;
    // Flags first, then the objects, as MEL scripts write them.
    for (const auto& [key, value] : kwargs)
        AppendFlag(py::str(key), value, statement.arguments);
    for (const py::handle value : args)
        AppendValue(value, name + ": an argument", statement.arguments);

    // An unknown name (a function kept from before its plug-in was
    // unloaded) fails as in MEL: "Cannot find procedure".
    const vxhost::ErrorCollector errors;
    CommandResult result;
    const MStatus status = vxhost::CommandEngine::Instance().CallCommand(statement, result);
    if (!status)
        RaiseFailure(errors, status, name);
    return ToPython(result, false);
}

py::object EvalMel(const std::string& script)
{
    vxhost::CommandEngine& engine = vxhost::CommandEngine::Instance();
    const vxhost::ErrorCollector errors;
    MStatus status;
    {
        // Ctrl-C stops the script at its next statement, as in the Script
        // Editor, and comes back to Python as what it is.
        const ScriptInterrupt interrupt;
        status = engine.RunCommandString(script);
        if (ScriptInterrupt::Taken())
        {
            PyErr_SetNone(PyExc_KeyboardInterrupt);
            throw py::error_already_set();
        }
    }
    if (!status)
        RaiseFailure(errors, status, "mel.eval");
    return ToPython(engine.LastResult(), true);
}

void AddHostFolderToPluginPath()
{
    Dl_info info{};
    // The address of any function of the host library names its file.
    if (dladdr(reinterpret_cast<void*>(&vxhost::FormatDouble), &info) == 0 || !info.dli_fname)
        return;
    const std::string folder = std::filesystem::absolute(info.dli_fname).parent_path().string();
    const char* current = std::getenv("VOLARIX_PLUGIN_PATH");
    std::string path = current ? current : "";
    if ((":" + path + ":").find(":" + folder + ":") != std::string::npos)
        return;
    path = path.empty() ? folder : path + ":" + folder;
    setenv("VOLARIX_PLUGIN_PATH", path.c_str(), 1);
}

void DefineCommands(py::module_& module)
{
    // The name comes in *args, so that a flag called "name" stays a flag.
    module.def(
        "call",
        [](const py::args& args, const py::kwargs& kwargs)
        {
            if (args.empty() || !py::isinstance<py::str>(args[0]))
                throw py::value_error("call() needs the command's name first.");
            return CallCommand(args[0].cast<std::string>(), py::args(args[py::slice(1, args.size(), 1)]),
                               kwargs);
        },
        "call(name, *args, **flags): runs a host or plug-in command with maya.cmds' conventions.");
    module.def("command_names", [] { return vxhost::CommandEngine::Instance().Names(); });
    module.def("has_command", [](const std::string& name) { return vxhost::CommandEngine::Instance().Has(name); },
               py::arg("name"));
    module.def("eval_mel", &EvalMel, py::arg("script"), "Runs MEL and returns its last statement's value.");
}

} // namespace vxpython
