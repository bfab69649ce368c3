#include "MayaModules.h"

#include <maya/MGlobal.h>
#include <vxhost/Script.h>
#include <vxhost/StdString.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace vxhost
{
namespace
{
namespace fs = std::filesystem;

// What this host is, in the terms of a module entry's conditions.
constexpr std::string_view kMayaVersion = "2022";
constexpr std::string_view kPlatform = "linux";
constexpr std::string_view kLocale = "en_US";

std::string_view Trim(std::string_view text)
{
    const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

// The next whitespace-separated word of `text`, which loses it.
std::string_view NextWord(std::string_view& text)
{
    text = Trim(text);
    std::size_t end = 0;
    while (end < text.size() && text[end] != ' ' && text[end] != '\t')
        ++end;
    const std::string_view word = text.substr(0, end);
    text.remove_prefix(end);
    return word;
}

std::string Resolve(const fs::path& base, std::string_view path)
{
    const fs::path p{std::string(path)};
    return (p.is_absolute() ? p : base / p).lexically_normal().string();
}

// One entry as it is read: its folders before the existence check.
struct Entry
{
    MayaModule module;
    bool applies = false;
    bool recursive[3] = {false, false, false}; // plug-ins, scripts, icons
    std::string folders[3];
    std::vector<std::string> extraPlugIns, extraScripts;
};

void AddFolder(const std::string& folder, bool recursive, std::vector<std::string>& out)
{
    std::error_code error;
    if (!fs::is_directory(folder, error))
        return;
    out.push_back(folder);
    if (!recursive)
        return;
    // Maya leaves out folders whose name starts with '.'.
    std::vector<std::string> below;
    for (auto it = fs::recursive_directory_iterator(folder, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error))
    {
        if (it->path().filename().string().starts_with("."))
        {
            it.disable_recursion_pending();
            continue;
        }
        if (it->is_directory(error))
            below.push_back(it->path().string());
    }
    std::sort(below.begin(), below.end());
    out.insert(out.end(), below.begin(), below.end());
}

void Finish(Entry& entry, std::vector<MayaModule>& out)
{
    if (!entry.applies)
        return;
    for (const MayaModule& earlier : out)
        if (earlier.name == entry.module.name)
            return;
    MayaModule& m = entry.module;
    AddFolder(entry.folders[0], entry.recursive[0], m.plugInDirectories);
    AddFolder(entry.folders[1], entry.recursive[1], m.scriptDirectories);
    AddFolder(entry.folders[2], entry.recursive[2], m.iconDirectories);
    for (const std::string& folder : entry.extraPlugIns)
        AddFolder(folder, false, m.plugInDirectories);
    for (const std::string& folder : entry.extraScripts)
        AddFolder(folder, false, m.scriptDirectories);
    out.push_back(std::move(m));
}

bool ConditionHolds(std::string_view condition, bool& known)
{
    known = true;
    if (condition.starts_with("MAYAVERSION:"))
        return condition.substr(12) == kMayaVersion;
    if (condition.starts_with("PLATFORM:"))
        return condition.substr(9) == kPlatform;
    if (condition.starts_with("LOCALE:"))
        return condition.substr(7) == kLocale;
    known = false;
    return false;
}

// "+ [conditions] NAME VERSION PATH" (or "-"), the sign already checked.
bool ReadEntryLine(std::string_view line, const fs::path& folder, Entry& entry, std::string& problem)
{
    entry = Entry();
    entry.applies = line.front() == '+';
    line.remove_prefix(1);
    if (line.empty() || (line.front() != ' ' && line.front() != '\t'))
    {
        problem = "a space must follow the leading \"" + std::string(1, entry.applies ? '+' : '-') + "\".";
        return false;
    }
    std::string_view word = NextWord(line);
    for (bool known = true; known;)
    {
        const bool holds = ConditionHolds(word, known);
        if (known)
        {
            entry.applies = entry.applies && holds;
            word = NextWord(line);
        }
    }
    const std::string_view version = NextWord(line);
    const std::string_view path = Trim(line);
    if (word.empty() || version.empty() || path.empty())
    {
        problem = "expected \"+ NAME VERSION PATH\".";
        return false;
    }
    MayaModule& m = entry.module;
    m.name = word;
    m.version = version;
    m.root = Resolve(folder, path);
    const char* defaults[3] = {"plug-ins", "scripts", "icons"};
    for (int i = 0; i < 3; ++i)
        entry.folders[i] = (fs::path(m.root) / defaults[i]).string();
    return true;
}

// "[r] scripts: PATH" and the like, or "NAME op VALUE".
bool ReadSettingLine(std::string_view line, Entry& entry, std::string& problem)
{
    bool recursive = false;
    if (line.starts_with("[r]"))
    {
        recursive = true;
        line = Trim(line.substr(3));
    }
    const char* const folderKeys[] = {"plug-ins:", "scripts:", "icons:", "presets:"};
    for (int i = 0; i < 4; ++i)
        if (line.starts_with(folderKeys[i]))
        {
            const std::string_view value = Trim(line.substr(std::string_view(folderKeys[i]).size()));
            if (value.empty())
            {
                problem = "\"" + std::string(folderKeys[i]) + "\" needs a folder.";
                return false;
            }
            // Presets mean nothing to this host.
            if (i < 3)
            {
                entry.folders[i] = Resolve(entry.module.root, value);
                entry.recursive[i] = recursive;
            }
            return true;
        }
    if (recursive)
    {
        problem = "\"[r]\" must be followed by \"plug-ins:\", \"scripts:\", \"icons:\" or \"presets:\".";
        return false;
    }
    // The operator starts at the first '+', ':' or '=': "+:=", ":=", "+=" or "=".
    const std::size_t at = line.find_first_of("+:=");
    std::string_view op;
    if (at != std::string_view::npos)
        for (const std::string_view candidate : {"+:=", ":=", "+=", "="})
            if (line.substr(at).starts_with(candidate))
            {
                op = candidate;
                break;
            }
    if (!op.empty())
    {
        const std::string_view name = Trim(line.substr(0, at));
        const std::string_view value = Trim(line.substr(at + op.size()));
        if (name.empty() || name.find_first_of(" \t") != std::string_view::npos)
        {
            problem = "expected a variable name before \"" + std::string(op) + "\".";
            return false;
        }
        const std::string folder =
            op.find(':') != std::string_view::npos ? Resolve(entry.module.root, value) : std::string(value);
        if (name == "MAYA_PLUG_IN_PATH")
            entry.extraPlugIns.push_back(folder);
        else if (name == "MAYA_SCRIPT_PATH")
            entry.extraScripts.push_back(folder);
        return true;
    }
    problem = "expected \"+ NAME VERSION PATH\", a folder such as \"scripts: PATH\" or a variable such as "
              "\"NAME += VALUE\".";
    return false;
}
} // namespace

bool ReadModuleFile(std::string_view text, const std::string& path, std::vector<MayaModule>& out,
                    std::string& error)
{
    const fs::path folder = fs::path(path).parent_path();
    Entry entry;
    bool inEntry = false;
    int lineNumber = 0;
    while (!text.empty())
    {
        ++lineNumber;
        const std::size_t end = text.find('\n');
        const std::string_view line = Trim(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == '#')
            continue;
        std::string problem;
        if (line.front() == '+' || line.front() == '-')
        {
            if (inEntry)
                Finish(entry, out);
            inEntry = ReadEntryLine(line, folder, entry, problem);
            entry.module.file = path;
        }
        else if (!inEntry)
            problem = "a module file starts with a \"+ NAME VERSION PATH\" line.";
        else
            ReadSettingLine(line, entry, problem);
        if (!problem.empty())
        {
            error = ScriptLocation(path, lineNumber) + problem;
            return false;
        }
    }
    if (inEntry)
        Finish(entry, out);
    return true;
}

std::vector<MayaModule> FindMayaModules()
{
    std::vector<MayaModule> modules;
    for (const std::string& directory : PathListFromEnvironment("MAYA_MODULE_PATH"))
    {
        std::vector<fs::path> files;
        std::error_code error;
        for (const fs::directory_entry& item : fs::directory_iterator(directory, error))
            if (item.path().extension() == ".mod" && item.is_regular_file(error))
                files.push_back(item.path());
        std::sort(files.begin(), files.end());
        for (const fs::path& file : files)
        {
            std::ifstream stream(file, std::ios::binary);
            const std::string text((std::istreambuf_iterator<char>(stream)),
                                   std::istreambuf_iterator<char>());
            std::string problem;
            if (!stream)
                problem = "Cannot read module file \"" + file.string() + "\".";
            else if (!ReadModuleFile(text, file.string(), modules, problem))
                problem = "Module file ignored from here on: " + problem;
            if (!problem.empty())
                MGlobal::displayWarning(ToMString(problem));
        }
    }
    return modules;
}

std::vector<std::string> PathListFromEnvironment(const char* variable)
{
    std::vector<std::string> out;
    const char* value = std::getenv(variable);
    if (!value)
        return out;
    std::istringstream list(value);
    for (std::string entry; std::getline(list, entry, ':');)
        if (!entry.empty())
            out.push_back(entry);
    return out;
}

std::vector<std::string> ScriptSearchPath()
{
    std::vector<std::string> directories = PathListFromEnvironment("MAYA_SCRIPT_PATH");
    for (const MayaModule& module : FindMayaModules())
        directories.insert(directories.end(), module.scriptDirectories.begin(),
                           module.scriptDirectories.end());
    return directories;
}

std::string FindScriptFile(const std::string& name)
{
    std::vector<std::string> candidates;
    const bool hasExtension = fs::path(name).extension() == ".mel";
    const auto add = [&](const std::string& base)
    {
        candidates.push_back(base);
        if (!hasExtension)
            candidates.push_back(base + ".mel");
    };
    if (name.find('/') != std::string::npos)
        add(name);
    else
        for (const std::string& directory : ScriptSearchPath())
            add((fs::path(directory) / name).string());
    std::error_code error;
    for (const std::string& candidate : candidates)
        if (fs::is_regular_file(candidate, error))
            return candidate;
    return std::string();
}
} // namespace vxhost
