#pragma once
// The built-in commands every engine starts with: those that need nothing
// but the engine (seed, currentUnit).

namespace vxhost
{
class CommandEngine;
void RegisterBasicCommands(CommandEngine& engine);
/// source and evalDeferred: the commands that run other scripts through
/// the engine they are registered in.
void RegisterScriptCommands(CommandEngine& engine);
} // namespace vxhost
