// file: importing OBJ meshes and saving the scene as a script that makes it
// again (see SceneWriter.h), with Maya's flags:
//
//   file -import "rock.obj";              // a transform "rock" over a mesh "rockShape"
//   file -save "shot.mel";                // or: file -rename "shot.mel"; file -save;
//   file -q -sceneName;                   // the name the scene is saved under

#include "PlugLookup.h"
#include "SceneWriter.h"

#include "dg/Scene.h"
#include "dynamics/Dynamics.h"
#include "UndoQueue.h"

#include <vxhost/CommandEngine.h>
#include <vxhost/MeshBuilders.h>
#include <vxhost/OutputFile.h>
#include <vxhost/ScriptArgs.h>
#include <vxhost/StdString.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vxhost
{
namespace
{
std::string& SceneName()
{
    static std::string name;
    return name;
}

// A scene made afresh has no name yet, as after Maya's file -new.
const bool kForgetNameOnReset = []
{
    Scene::Get().OnReset([] { SceneName().clear(); });
    return true;
}();

// OBJ ------------------------------------------------------------------------------

// Statements an OBJ file may hold besides vertices and faces; the mesh
// takes none of them, and none of them makes a file malformed.
const std::set<std::string, std::less<>> kObjOtherStatements = {
    "vt",       "vn",         "vp",        "l",      "p",      "o",    "g",     "s",
    "mg",       "usemtl",     "mtllib",    "usemap", "maplib", "lod",  "bevel", "c_interp",
    "d_interp", "shadow_obj", "trace_obj", "cstype", "deg",    "bmat", "step",  "curv",
    "curv2",    "surf",       "parm",      "trim",   "hole",   "scrv", "sp",    "end",
    "con",      "ctech",      "stech",     "call",   "csh"};

bool ParseNumber(const std::string& text, double& out)
{
    char* end = nullptr;
    errno = 0;
    out = std::strtod(text.c_str(), &end);
    return !text.empty() && end == text.c_str() + text.size() && errno != ERANGE;
}

// Checks an OBJ file line by line before the reader sees it, so that a
// malformed file is refused naming the line at fault (the reader itself
// skips what it does not understand, or stops without saying where).
bool CheckObjFile(const std::string& path, std::string& error)
{
    // A folder opens as a stream that reads nothing.
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
    {
        error = "\"" + path + "\" is a folder, not an OBJ file.";
        return false;
    }
    std::ifstream file(path);
    if (!file)
    {
        error = "Cannot read file \"" + path + "\": " + std::strerror(errno) + ".";
        return false;
    }
    const auto at = [&](int line, const std::string& what)
    {
        error = "The OBJ file \"" + path + "\" is malformed: line " + std::to_string(line) + ": " + what;
        return false;
    };
    std::string text;
    long long vertices = 0, faces = 0;
    for (int line = 1; std::getline(file, text); ++line)
    {
        if (const std::size_t hash = text.find('#'); hash != std::string::npos)
            text.erase(hash);
        std::istringstream words(text);
        std::string keyword, word;
        if (!(words >> keyword))
            continue;
        std::vector<std::string> values;
        while (words >> word)
            values.push_back(word);
        if (keyword == "v")
        {
            // x y z, optionally w or a colour.
            if (values.size() < 3 || values.size() > 7)
                return at(line,
                          "a vertex takes 3 numbers (x y z), got " + std::to_string(values.size()) + ".");
            for (const std::string& v : values)
                if (double number = 0.0; !ParseNumber(v, number))
                    return at(line, "\"" + v + "\" is no number.");
            ++vertices;
        }
        else if (keyword == "f")
        {
            if (values.size() < 3)
                return at(line,
                          "a face needs at least 3 vertices, got " + std::to_string(values.size()) + ".");
            for (const std::string& v : values)
            {
                // v, v/vt, v//vn or v/vt/vn: the vertex is the first number.
                const std::string index = v.substr(0, v.find('/'));
                char* end = nullptr;
                errno = 0;
                const long long i = std::strtoll(index.c_str(), &end, 10);
                if (index.empty() || end != index.c_str() + index.size() || i == 0 || errno == ERANGE)
                    return at(line, "\"" + v + "\" is no vertex index.");
                // Negative indices count back from the latest vertex. Not
                // negated: the most negative long long has no opposite.
                if ((i > 0 && i > vertices) || (i < 0 && i < -vertices))
                    return at(line, "the face refers to vertex " + index + ", but " +
                                        std::to_string(vertices) + " vertices come before it.");
            }
            ++faces;
        }
        else if (!kObjOtherStatements.count(keyword))
        {
            return at(line, "unknown statement \"" + keyword + "\".");
        }
    }
    if (faces == 0)
    {
        error = "The OBJ file \"" + path + "\" holds no faces.";
        return false;
    }
    return true;
}

// A node name from a file name: "rock-02.obj" becomes "rock_02".
std::string NodeNameFor(const std::string& path)
{
    std::string name = std::filesystem::path(path).stem().string();
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_')
            c = '_';
    if (name.empty() || std::isdigit(static_cast<unsigned char>(name[0])))
        name.insert(0, "mesh");
    return name;
}

MStatus Import(const ScriptStatement& statement, const std::string& path, const std::string& type,
               CommandResult& result)
{
    std::string lower;
    for (const char c : type)
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::string extension = std::filesystem::path(path).extension().string();
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (!(lower == "obj" || (lower.empty() && extension == ".obj")))
        return ReportCommandError(statement,
                                  "Cannot import \"" + path +
                                      "\": only OBJ files (.obj, or -type \"OBJ\") can be "
                                      "imported.",
                                  MStatus::kInvalidParameter);
    std::string error;
    if (!CheckObjFile(path, error))
        return ReportCommandError(statement, error, MStatus::kInvalidParameter);
    MObject mesh;
    if (MStatus status = ReadObjMesh(ToMString(path), mesh); !status)
        return ReportCommandError(statement, "Cannot import \"" + path + "\": " + StatusText(status),
                                  status.statusCode());

    Scene& scene = Scene::Get();
    MStatus status;
    const std::shared_ptr<Node> transform = scene.CreateNode("transform", NodeNameFor(path), nullptr, status);
    if (!transform)
        return ReportCommandError(statement, StatusText(status), status.statusCode());
    // "rock2" has the shape "rockShape2", as Maya names shapes.
    std::size_t digits = transform->name.size();
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(transform->name[digits - 1])))
        --digits;
    const std::shared_ptr<Node> shape =
        scene.CreateNode("mesh", transform->name.substr(0, digits) + "Shape" + transform->name.substr(digits),
                         transform.get(), status);
    if (shape)
        status = MPlug(shape, shape->PathTo(shape->FindAttribute("inMesh"))).setMObject(mesh);
    if (!shape || !status)
    {
        scene.Delete(*transform);
        return ReportCommandError(statement, StatusText(status), status.statusCode());
    }
    scene.Selection().assign(1, transform);
    result.SetString(transform->name);
    return MStatus::kSuccess;
}

// Saving -----------------------------------------------------------------------------

// Through the host's one writer: a failed save leaves no half-written scene
// behind, an old file of that name stays whole until the new one is
// complete, and a link, device or pipe of that name is refused, not written
// through or replaced.
bool WriteWhole(const std::string& path, const std::string& text, std::string& error)
{
    if (WriteWholeFile(path, text, error))
        return true;
    error = "Cannot save the scene to \"" + path + "\": " + error + ".";
    return false;
}

MStatus Save(const ScriptStatement& statement, const std::string& path, CommandResult& result)
{
    if (path.empty())
        return ReportCommandError(statement,
                                  "The scene has no name: give a path, or name it first with file -rename.",
                                  MStatus::kInvalidParameter);
    std::vector<std::string> warnings;
    const std::string script = WriteSceneScript(warnings);
    for (const std::string& warning : warnings)
        ReportCommandWarning(statement, warning);
    std::string error;
    if (!WriteWhole(path, script, error))
        return ReportCommandError(statement, error);
    SceneName() = path;
    result.SetString(path);
    return MStatus::kSuccess;
}

// file -new: an empty, untitled scene at frame 1 of the default 1 to 120
// range. Loaded plug-ins, option variables and menus stay, as in Maya.
// Nothing here tracks unsaved changes, so -force is taken but not needed.
MStatus NewScene(CommandResult& result)
{
    Scene::Get().Reset();
    Dynamics& dynamics = Dynamics::Get();
    dynamics.SetRange(1.0, 120.0);
    dynamics.SetAnimationRange(1.0, 120.0);
    dynamics.SetPlaybackBy(1.0);
    dynamics.SetOversampling(1);
    dynamics.Reset();
    result.SetString("untitled");
    return MStatus::kSuccess;
}

// file [-new | -import | -save | -rename path] [-type T] [-force] [path]
// file -q -sceneName
MStatus FileCommand(const ScriptStatement& statement, CommandResult& result)
{
    static const ScriptSyntax syntax = ScriptSyntax()
                                           .AddFlag("new", "newFile")
                                           .AddFlag("i", "import")
                                           .AddFlag("s", "save")
                                           .AddFlag("rn", "rename", 1)
                                           .AddFlag("typ", "type", 1)
                                           .AddFlag("f", "force")
                                           .AddFlag("sn", "sceneName")
                                           .EnableQuery()
                                           .SetPositionalCount(0, 1);
    ScriptArgs args;
    MStatus status = args.Parse(statement, syntax);
    if (!status)
        return status;
    if (args.IsQuery())
    {
        if (!args.IsFlagSet("sn"))
            return ReportCommandError(statement, "Query -sceneName.", MStatus::kInvalidParameter);
        result.SetString(SceneName());
        return MStatus::kSuccess;
    }
    std::string path, type;
    if (args.Positionals().Count() == 1)
        args.Positionals().GetString(0, path);
    args.ReadFlagValue("type", type);
    const int actions = int(args.IsFlagSet("new")) + int(args.IsFlagSet("i")) + int(args.IsFlagSet("s")) +
                        int(args.IsFlagSet("rn"));
    if (actions != 1)
        return ReportCommandError(statement, "Give one of -new, -import, -save and -rename.",
                                  MStatus::kInvalidParameter);
    if (args.IsFlagSet("new"))
    {
        if (!path.empty())
            return ReportCommandError(statement, "-new takes no file.", MStatus::kInvalidParameter);
        return NewScene(result);
    }
    if (args.IsFlagSet("rn"))
    {
        std::string name;
        args.Flag("rn").GetString(0, name);
        if (name.empty() || !path.empty())
            return ReportCommandError(statement, "-rename takes the scene's new path, and nothing else.",
                                      MStatus::kInvalidParameter);
        SceneName() = name;
        result.SetString(name);
        return MStatus::kSuccess;
    }
    if (args.IsFlagSet("i"))
    {
        if (path.empty())
            return ReportCommandError(statement, "Give the file to import.", MStatus::kInvalidParameter);
        // A relative path that is not found from the working folder is
        // looked for beside the script, so that a scene and its meshes run
        // from anywhere.
        std::error_code code;
        if (const std::filesystem::path relative(path);
            relative.is_relative() && !statement.file.empty() && !std::filesystem::exists(relative, code))
        {
            const std::filesystem::path beside = std::filesystem::path(statement.file).parent_path() / relative;
            if (std::filesystem::exists(beside, code))
                path = beside.string();
        }
        return Import(statement, path, type, result);
    }
    return Save(statement, path.empty() ? SceneName() : path, result);
}

const CommandRegistrar kFile("file", Undoable(FileCommand));
} // namespace
} // namespace vxhost
