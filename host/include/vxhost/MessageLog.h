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
    kResult
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
/// Stderr formats: "// Error: text //", "// Warning: text //",
/// "// Result: text //", and plain text for kInfo.
void LogMessage(Severity severity, const std::string& text);

} // namespace vxhost
