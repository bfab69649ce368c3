#include "SceneShell.h"

#include "ScriptInterrupt.h"
#include "mel/Parser.h"

#include <vxhost/CommandEngine.h>
#include <vxhost/MessageLog.h>

namespace
{
std::string Trimmed(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

void Run(vxhost::CommandEngine& engine, const std::string& text)
{
    const ScriptInterrupt interrupt;
    engine.RunScript(text);
    ScriptInterrupt::Taken();
    vxhost::FlushMessages();
}
} // namespace

int RunShell(std::istream& in, std::FILE* out, bool prompt, const std::string& scene)
{
    for (const vxhost::Severity severity : {vxhost::Severity::kInfo, vxhost::Severity::kResult})
        vxhost::SetSeverityEcho(severity, true);
    vxhost::CommandEngine& engine = vxhost::CommandEngine::Instance();
    if (!scene.empty())
    {
        const ScriptInterrupt interrupt;
        if (!engine.RunScriptFile(scene))
            std::fprintf(stderr, "volarix: the scene \"%s\" failed; see the error above. What it built is here.\n",
                         scene.c_str());
        ScriptInterrupt::Taken();
        vxhost::FlushMessages();
    }
    std::string pending;
    std::string line;
    for (;;)
    {
        if (prompt)
        {
            std::fputs(pending.empty() ? "volarix> " : "       > ", out);
            std::fflush(out);
        }
        if (!std::getline(in, line))
        {
            // What was left open is run, so its error is reported.
            if (!Trimmed(pending).empty())
                Run(engine, pending);
            break;
        }
        if (pending.empty() && (Trimmed(line) == "quit" || Trimmed(line) == "quit;"))
            break;
        pending += line;
        pending += '\n';
        if (Trimmed(pending).empty())
        {
            pending.clear();
            continue;
        }
        // An open block waits for the next line; a statement without its
        // ';' runs as it is.
        using vxhost::mel::Completeness;
        const Completeness completeness = vxhost::mel::CheckCompleteness(pending);
        if (completeness == Completeness::kOpen)
            continue;
        if (completeness == Completeness::kMissingSemicolon)
        {
            const std::string completed = Trimmed(pending) + ";";
            if (vxhost::mel::CheckCompleteness(completed) != Completeness::kComplete)
                continue;
            pending = completed;
        }
        Run(engine, pending);
        pending.clear();
    }
    if (prompt)
        std::fputc('\n', out);
    return 0;
}
