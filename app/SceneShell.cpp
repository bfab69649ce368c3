#include "SceneShell.h"

#include <vxhost/CommandEngine.h>
#include <vxhost/MessageLog.h>
#include <vxhost/Script.h>

#include <vector>

namespace
{
std::string Trimmed(const std::string& line)
{
    const std::size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return std::string();
    return line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
}
} // namespace

int RunShell(std::istream& in, std::FILE* out, bool prompt, const std::string& scene)
{
    for (const vxhost::Severity severity : {vxhost::Severity::kInfo, vxhost::Severity::kResult})
        vxhost::SetSeverityEcho(severity, true);
    vxhost::CommandEngine& engine = vxhost::CommandEngine::Instance();
    if (!scene.empty() && !engine.RunScriptFile(scene))
    {
        vxhost::FlushMessages();
        std::fprintf(stderr, "volarix: the scene \"%s\" failed; see the error above\n", scene.c_str());
        return 1;
    }
    vxhost::FlushMessages();
    std::string line;
    for (;;)
    {
        if (prompt)
        {
            std::fputs("volarix> ", out);
            std::fflush(out);
        }
        if (!std::getline(in, line))
            break;
        std::string statement = Trimmed(line);
        if (statement == "quit" || statement == "quit;")
            break;
        if (statement.empty())
            continue;
        // A line is one statement: the ';' that ends it is a formality here.
        // Added only when it makes the line read, so that a faulty line
        // reports its own error.
        std::vector<vxhost::ScriptStatement> parsed;
        std::string error;
        if (!vxhost::ParseScript(statement, std::string(), parsed, error) &&
            vxhost::ParseScript(statement + ";", std::string(), parsed, error))
            statement += ';';
        engine.RunScript(statement);
        vxhost::FlushMessages();
    }
    if (prompt)
        std::fputc('\n', out);
    return 0;
}
