// The host's message log. Plug-ins may report the same problem once per
// particle; collapsing identical consecutive messages into one entry keeps
// both the log and stderr readable (one line for a run of 100k reports).

#include <vxhost/MessageLog.h>

#include "dg/Names.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace vxhost
{
namespace
{

struct LogState
{
    std::mutex mutex;
    std::vector<Message> messages;
    // The last entry is still collecting repeats and has not been written.
    bool runOpen = false;
    bool echo = true;
    // Per severity, in the enumeration's order.
    bool severityEcho[5] = {true, true, true, true, true};
};

void WriteLine(const Message& m)
{
    std::string line;
    switch (m.severity)
    {
    case Severity::kInfo:
        line = m.text;
        break;
    case Severity::kWarning:
        line = "// Warning: " + m.text + " //";
        break;
    case Severity::kError:
        line = "// Error: " + m.text + " //";
        break;
    case Severity::kResult:
        line = "// Result: " + m.text + " //";
        break;
    case Severity::kOutput:
        return;
    }
    if (m.count > 1)
        line += " (repeated " + std::to_string(m.count) + " times)";
    line += '\n';
    std::FILE* stream = m.severity == Severity::kResult ? stdout : stderr;
    if (stream == stdout)
        std::fflush(stderr);
    std::fwrite(line.data(), 1, line.size(), stream);
    if (stream == stdout)
        std::fflush(stdout);
}

// Caller holds the mutex.
void CloseRun(LogState& state)
{
    if (state.runOpen && state.echo &&
        state.severityEcho[static_cast<int>(state.messages.back().severity)])
        WriteLine(state.messages.back());
    state.runOpen = false;
}

std::atomic<unsigned> gErrorCount{0};

// QuietErrors alive on this thread.
thread_local int tQuietErrors = 0;
// The innermost ErrorCollector alive on this thread.
thread_local ErrorCollector* tCollector = nullptr;

void FlushAtExit()
{
    FlushMessages();
}

// Never destroyed: messages may arrive from other modules' static
// destructors, after this library's own statics are gone. The pending run is
// written by an atexit handler instead.
LogState& State()
{
    static LogState* const state = []
    {
        auto* s = new LogState;
        std::atexit(FlushAtExit);
        return s;
    }();
    return *state;
}

} // namespace

std::vector<Message> Messages()
{
    LogState& state = State();
    std::lock_guard lock(state.mutex);
    return state.messages;
}

void ClearMessages()
{
    LogState& state = State();
    std::lock_guard lock(state.mutex);
    CloseRun(state);
    state.messages.clear();
}

void FlushMessages()
{
    LogState& state = State();
    std::lock_guard lock(state.mutex);
    CloseRun(state);
    std::fflush(stderr);
    std::fflush(stdout);
}

void SetMessageEcho(bool enabled)
{
    LogState& state = State();
    std::lock_guard lock(state.mutex);
    // A pending run is written (or not) as echo stood when it was logged.
    CloseRun(state);
    state.echo = enabled;
}

void SetSeverityEcho(Severity severity, bool enabled)
{
    LogState& state = State();
    std::lock_guard lock(state.mutex);
    CloseRun(state);
    state.severityEcho[static_cast<int>(severity)] = enabled;
}

unsigned ErrorCount()
{
    return gErrorCount.load();
}

QuietErrors::QuietErrors()
{
    ++tQuietErrors;
}

QuietErrors::~QuietErrors()
{
    --tQuietErrors;
}

ErrorCollector::ErrorCollector() : fOuter(tCollector)
{
    tCollector = this;
}

ErrorCollector::~ErrorCollector()
{
    tCollector = fOuter;
}

void ErrorCollector::Add(const std::string& text)
{
    if (!fErrors.empty())
        fErrors += '\n';
    fErrors += text;
}

void LogMessage(Severity severity, const std::string& raw)
{
    // Errors and warnings often quote what the user typed; an escape byte
    // in a name must not reach the terminal as a control sequence.
    const std::string text =
        severity == Severity::kError || severity == Severity::kWarning ? Printable(raw) : raw;
    if (severity == Severity::kError && tCollector)
        tCollector->Add(text);
    if (severity == Severity::kError && tQuietErrors > 0)
        return;
    if (severity == Severity::kError)
        ++gErrorCount;
    LogState& state = State();
    std::lock_guard lock(state.mutex);
    if (severity == Severity::kOutput)
    {
        CloseRun(state);
        if (state.echo && state.severityEcho[static_cast<int>(severity)])
        {
            std::fflush(stderr);
            std::fwrite(text.data(), 1, text.size(), stdout);
            std::fflush(stdout);
        }
        if (!state.messages.empty() && state.messages.back().severity == Severity::kOutput)
            state.messages.back().text += text;
        else
            state.messages.push_back(Message{severity, text, 1u});
        return;
    }
    if (state.runOpen)
    {
        Message& last = state.messages.back();
        if (last.severity == severity && last.text == text)
        {
            ++last.count;
            return;
        }
        CloseRun(state);
    }
    state.messages.push_back(Message{severity, text, 1u});
    state.runOpen = true;
}

} // namespace vxhost
