#pragma once
/// \file OutputFile.h
/// Files written whole or not at all: a reader (or a run that stops half-way)
/// never sees half of one.

#include <filesystem>
#include <functional>
#include <string>

/// `write` fills PATH.partial, which is then renamed over `path`. False,
/// with `error`, when either fails.
bool ReplaceFile(const std::filesystem::path& path,
                 const std::function<bool(const std::filesystem::path& partial)>& write, std::string& error);
/// ReplaceFile with `text` as the file's contents.
bool WriteText(const std::filesystem::path& path, const std::string& text, std::string& error);
