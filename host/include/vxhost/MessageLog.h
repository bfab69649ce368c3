#pragma once
/// \file MessageLog.h
/// The host's record of messages shown through MGlobal (and host commands).

#include <string>
#include <vector>

namespace vxhost
{

enum class Severity
{
    kInfo,
    kWarning,
    kError,
    kResult,
    /// What a script prints: written as it stands, without a newline of its
    /// own, to stdout.
    kOutput
};

/// One log entry: a run of `count` identical consecutive messages.
struct Message
{
    Severity severity;
    std::string text;
    unsigned count;
};

/// A snapshot of the log, oldest first.
std::vector<Message> Messages();
/// Writes any pending run to stderr, then empties the log.
void ClearMessages();
/// Ends the current run: writes it to stderr (if echo is on) now. A later
/// identical message starts a new entry.
void FlushMessages();
/// Turns writing to stderr on (the default) or off. The log is kept either
/// way. Lets tests keep their output clean.
void SetMessageEcho(bool enabled);
/// Turns writing messages of one severity to stderr on (the default) or
/// off, within what SetMessageEcho allows: a batch run hides the results a
/// script's commands return.
void SetSeverityEcho(Severity severity, bool enabled);
/// Appends a message. Consecutive identical messages (same severity and
/// text) extend the current run instead of adding an entry. Thread-safe.
/// Formats: "// Error: text //", "// Warning: text //" and plain text for
/// kInfo on stderr; "// Result: text //" and a script's kOutput as it stands
/// on stdout, where a shell user or a pipe expects what was asked for.
/// kOutput is written at once and never collapsed: consecutive output joins
/// one entry instead.
void LogMessage(Severity severity, const std::string& text);
/// Errors shown since the process started, each repeat counted (quiet ones
/// not): a caller compares two readings to learn whether errors came
/// between them.
unsigned ErrorCount();

/// While one lives, errors reported on its thread are neither logged nor
/// written: what MEL's catchQuiet asks of everything it runs, the commands
/// it calls included. Nests.
class QuietErrors
{
public:
    QuietErrors();
    ~QuietErrors();
    QuietErrors(const QuietErrors&) = delete;
    QuietErrors& operator=(const QuietErrors&) = delete;
};

/// While one lives, the errors reported on its thread are also kept in it,
/// in order, quiet ones too: how a caller outside the scripts (Python)
/// learns what a command it ran said. The innermost of nested ones keeps
/// them.
class ErrorCollector
{
public:
    ErrorCollector();
    ~ErrorCollector();
    ErrorCollector(const ErrorCollector&) = delete;
    ErrorCollector& operator=(const ErrorCollector&) = delete;

    /// The errors so far, one per line.
    const std::string& Errors() const { return fErrors; }
    /// Keeps one more (LogMessage does).
    void Add(const std::string& text);

private:
    std::string fErrors;
    ErrorCollector* fOuter;
};

} // namespace vxhost
