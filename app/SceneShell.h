#pragma once

#include <cstdio>
#include <istream>
#include <string>

/// `volarix shell`: an interactive prompt for the scene script, as Maya's
/// script editor runs MEL one statement at a time.
///
/// Reads one statement per line from `in` (the closing ';' may be left
/// out) and runs it: a result prints as "// Result: ... //" and an error as
/// "// Error: ... //" (both on stderr, as the host shows every message), and
/// an error does not end the session. Ends at the end of the input or at a
/// line "quit". When `prompt` is set, "volarix> " is written to `out` before
/// each line (for a terminal; piped input gets none). `scene`, when not
/// empty, is run first, as if its lines had been typed.
///
/// Returns 0; 1 only when `scene` cannot be run.
int RunShell(std::istream& in, std::FILE* out, bool prompt, const std::string& scene = std::string());
