#pragma once
/// \file MayaModules.h
/// Maya modules: folders described by a module file (`particleVolarix.mod`)
/// in a directory of MAYA_MODULE_PATH, whose `plug-ins` and `scripts`
/// folders join the plug-in and script search paths, as Maya adds them. So
/// putting a module's folder on MAYA_MODULE_PATH is the whole installation.
///
/// A module file holds entries; each starts with a line
///
///     + [MAYAVERSION:2022] [PLATFORM:linux] [LOCALE:en_US] NAME VERSION PATH
///
/// (PATH the rest of the line: absolute, or relative to the module file's
/// folder) followed by lines that change the module's folders or variables:
///
///     plug-ins: bin/plug-ins          [r] scripts: mel     (relative to PATH)
///     MAYA_SCRIPT_PATH +:= extra      (":=" relative to PATH; "+=" or "=" as written)
///
/// An entry whose conditions are not this host's (Maya 2022 on linux, en_US)
/// is skipped, as is one starting with "-" (a disabled module), and of
/// several entries of one module name the first that applies is taken.
/// Folders that do not exist are left out. Of the variables only
/// MAYA_PLUG_IN_PATH and MAYA_SCRIPT_PATH mean anything to this host; the
/// others are read and ignored.

#include <string>
#include <string_view>
#include <vector>

namespace vxhost
{
struct MayaModule
{
    std::string name;
    std::string version;
    std::string root; ///< the module's folder
    std::string file; ///< the module file that describes it
    std::vector<std::string> plugInDirectories;
    std::vector<std::string> scriptDirectories;
    std::vector<std::string> iconDirectories;
};

/// The entries of one module file's text that apply to this host, appended
/// to `out`; `path` is the file's path, which relative paths start from.
/// False, with `error` naming the file and line, for a line that is none of
/// the forms above; the entries before it are kept.
bool ReadModuleFile(std::string_view text, const std::string& path, std::vector<MayaModule>& out,
                    std::string& error);

/// The modules of every `*.mod` file in the directories of MAYA_MODULE_PATH
/// (in the path's order, files by name), first entry of a name winning. A
/// file that cannot be read or has a bad line is shown as a warning and
/// read no further.
std::vector<MayaModule> FindMayaModules();

/// The entries of a ':'-separated list in an environment variable, empty
/// ones left out; none when the variable is not set.
std::vector<std::string> PathListFromEnvironment(const char* variable);

/// Where scripts are looked for (`source`, a call of a procedure that is
/// not yet defined): MAYA_SCRIPT_PATH, then the modules' script folders.
std::vector<std::string> ScriptSearchPath();

/// The script file `name` names: itself when it holds a '/', else the first
/// `name` or `name.mel` in a directory of ScriptSearchPath(); empty when
/// there is none.
std::string FindScriptFile(const std::string& name);
} // namespace vxhost
