// Module files and what MAYA_MODULE_PATH adds to the plug-in and script
// search paths.

#include "plugin/MayaModules.h"
#include "plugin/PluginRegistry.h"

#include <vxhost/MessageLog.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

using vxhost::MayaModule;

namespace
{
namespace fs = std::filesystem;

class MayaModulesTest : public testing::Test
{
protected:
    void SetUp() override
    {
        vxhost::SetMessageEcho(false);
        vxhost::ClearMessages();
        // A space in the path, as under "Program Files" or a user's name.
        fDir = fs::temp_directory_path() / ("vx modules " + std::to_string(getpid()));
        fs::remove_all(fDir);
        for (const char* folder : {"swarm/plug-ins", "swarm/scripts", "swarm/mel/deep", "swarm/mel/.hidden",
                                   "swarm/extra", "swarm/icons"})
            fs::create_directories(fDir / folder);
        for (const char* variable :
             {"MAYA_MODULE_PATH", "MAYA_SCRIPT_PATH", "MAYA_PLUG_IN_PATH", "VOLARIX_PLUGIN_PATH"})
            unsetenv(variable);
    }
    void TearDown() override
    {
        unsetenv("MAYA_MODULE_PATH");
        fs::remove_all(fDir);
        vxhost::ClearMessages();
        vxhost::SetMessageEcho(true);
    }

    std::string Path(const char* relative) const { return (fDir / relative).lexically_normal().string(); }

    fs::path fDir;
};
} // namespace

TEST_F(MayaModulesTest, EntriesForThisHostWithTheirFolders)
{
    const std::string file = Path("swarm/swarm.mod");
    std::vector<MayaModule> modules;
    std::string error;
    ASSERT_TRUE(vxhost::ReadModuleFile("# comment\n"
                                       "+ MAYAVERSION:2022 PLATFORM:win64 swarm 9.0 C:\\swarm\n"
                                       "scripts: windows\n"
                                       "\n"
                                       "+ MAYAVERSION:2022 PLATFORM:linux swarm 2.0.5 .\r\n"
                                       "[r] scripts: mel\n"
                                       "MAYA_PLUG_IN_PATH +:= extra\n"
                                       "PYTHONPATH += /ignored\n"
                                       "+ swarm 1.0 elsewhere\n"
                                       "+ MAYAVERSION:2023 other 1.0 .\n"
                                       "- disabled 1.0 .\n"
                                       "+ LOCALE:en_US PLATFORM:linux plain 1.0 ../swarm/./\n",
                                       file, modules, error))
        << error;
    ASSERT_EQ(modules.size(), 2u);

    // The first entry that applies wins; the later "swarm" is left out.
    const MayaModule& swarm = modules[0];
    EXPECT_EQ(swarm.name, "swarm");
    EXPECT_EQ(swarm.version, "2.0.5");
    EXPECT_EQ(swarm.root, Path("swarm/"));
    EXPECT_EQ(swarm.file, file);
    EXPECT_EQ(swarm.plugInDirectories,
              (std::vector<std::string>{Path("swarm/plug-ins"), Path("swarm/extra")}));
    // [r] takes the folders below too, except those starting with '.'.
    EXPECT_EQ(swarm.scriptDirectories, (std::vector<std::string>{Path("swarm/mel"), Path("swarm/mel/deep")}));
    EXPECT_EQ(swarm.iconDirectories, (std::vector<std::string>{Path("swarm/icons")}));

    // The default folders, where they exist.
    const MayaModule& plain = modules[1];
    EXPECT_EQ(plain.name, "plain");
    EXPECT_EQ(plain.scriptDirectories, (std::vector<std::string>{Path("swarm/scripts")}));

    // A bad line names the file and line; the entries before it are kept.
    for (const auto& [text, message] :
         {std::pair<const char*, const char*>{"+ a 1 .\n+b 1 .\n",
                                              "line 2: a space must follow the leading \"+\"."},
          {"MAYA_SCRIPT_PATH += x\n", "line 1: a module file starts with a \"+ NAME VERSION PATH\" line."},
          {"+ a 1 .\n+ b 1\n", "line 2: expected \"+ NAME VERSION PATH\"."},
          {"+ a 1 .\nscripts:\n", "line 2: \"scripts:\" needs a folder."},
          {"+ a 1 .\n[r] PATH += x\n",
           "line 2: \"[r]\" must be followed by \"plug-ins:\", \"scripts:\", \"icons:\" "
           "or \"presets:\"."},
          {"+ a 1 .\nwhat is this\n", "line 2: expected \"+ NAME VERSION PATH\", a folder such as \"scripts: "
                                      "PATH\" or a variable such as \"NAME += VALUE\"."}})
    {
        modules.clear();
        EXPECT_FALSE(vxhost::ReadModuleFile(text, file, modules, error)) << text;
        EXPECT_EQ(error, "file: " + file + " " + message);
    }
}

TEST_F(MayaModulesTest, ModulePathFeedsThePlugInAndScriptSearch)
{
    std::ofstream(fDir / "swarm/swarm.mod") << "+ PLATFORM:linux swarm 1.0 .\n";
    std::ofstream(fDir / "swarm/broken.mod") << "nonsense\n";
    std::ofstream(fDir / "swarm/notes.txt") << "+ notes 1.0 .\n";
    std::ofstream(fDir / "swarm/plug-ins/swarmPlugin.so") << "";
    std::ofstream(fDir / "swarm/scripts/swarmMenu.mel") << "";

    setenv("MAYA_MODULE_PATH", (Path("missing") + ":" + Path("swarm")).c_str(), 1);
    const std::vector<MayaModule> modules = vxhost::FindMayaModules();
    // Only .mod files are read; the bad one is a warning.
    ASSERT_EQ(modules.size(), 1u);
    EXPECT_EQ(modules[0].name, "swarm");
    const std::vector<vxhost::Message> messages = vxhost::Messages();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back().severity, vxhost::Severity::kWarning);
    EXPECT_EQ(messages.back().text, "Module file ignored from here on: file: " + Path("swarm/broken.mod") +
                                        " line 1: a module file starts with a \"+ NAME VERSION PATH\" line.");

    // Modules come after the user's own folders.
    setenv("MAYA_SCRIPT_PATH", Path("extra").c_str(), 1);
    EXPECT_EQ(vxhost::ScriptSearchPath(), (std::vector<std::string>{Path("extra"), Path("swarm/scripts")}));
    const std::vector<std::string> plugIns = vxhost::PluginRegistry::SearchPath();
    EXPECT_EQ(plugIns.back(), Path("swarm/plug-ins"));
    EXPECT_EQ(vxhost::FindScriptFile("swarmMenu"), Path("swarm/scripts/swarmMenu.mel"));
    EXPECT_EQ(vxhost::FindScriptFile("swarmMenu.mel"), Path("swarm/scripts/swarmMenu.mel"));
    EXPECT_EQ(vxhost::FindScriptFile("noSuchScript"), "");
    unsetenv("MAYA_SCRIPT_PATH");
}
