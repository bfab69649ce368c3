#pragma once
// The built-in commands every engine starts with: those that need nothing
// but the engine (seed, currentUnit).

namespace vxhost
{
class CommandEngine;
void RegisterBasicCommands(CommandEngine& engine);
} // namespace vxhost
