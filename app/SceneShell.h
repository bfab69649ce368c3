#pragma once

#include <cstdio>
#include <istream>
#include <string>

/// `volarix shell`: an interactive prompt for MEL, as Maya's Script Editor
/// runs it.
///
/// Reads statements from `in`: a statement or block that is not complete at
/// the end of a line (an open brace, parenthesis or string, no ';' yet) is
/// read on over the next lines, with the prompt "       > "; a single
/// statement may leave out its closing ';'. Results print on stdout as
/// "// Result: ... //", what scripts print on stdout as it is, errors and
/// warnings on stderr; an error does not end the session, and Ctrl-C stops
/// the statement under way, not the shell. Ends at the end of the input or
/// at a line "quit". When `prompt` is set, "volarix> " is written to `out`
/// before each statement (for a terminal; piped input gets none).
///
/// `scene`, when not empty, is run first; if it fails, its error is shown
/// and the prompt still comes, so the half-built scene can be looked at.
/// Returns 0.
int RunShell(std::istream& in, std::FILE* out, bool prompt, const std::string& scene = std::string());
