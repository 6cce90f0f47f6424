#pragma once
// Where settings and data live. A program in a folder it may write to keeps
// "Sonvex.ini" and its data folders there (a build folder, a portable copy).
// An installed program (its folder belongs to the system) keeps the settings
// in $XDG_CONFIG_HOME/sonvex (default ~/.config/sonvex) and the data folders
// in $XDG_DATA_HOME/sonvex (default ~/.local/share/sonvex), which start as a
// copy of the shipped samples of share/sonvex.
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>

#include "model/settings.h"

namespace sonvex {

using TEnvLookup = std::function<const char*(const char*)>;
using TWritableTest = std::function<bool(const std::filesystem::path&)>;

// True when a file can be created in `folder` (tried with a temporary file).
bool FolderWritable(const std::filesystem::path& folder);

// The folders of an installed program: "sonvex" below $XDG_CONFIG_HOME and
// $XDG_DATA_HOME, or below ~/.config and ~/.local/share when those are unset
// or not absolute. No value when neither they nor $HOME name a folder.
struct TUserFolders {
  std::filesystem::path settingsFolder;
  std::filesystem::path dataFolder;
};
std::optional<TUserFolders> XdgUserFolders(const TEnvLookup& env);

// Copies every file and folder of `shared` that `target` lacks; never
// overwrites a file of the user. Errors are skipped: a file that cannot be
// copied is simply missing, as if the user had deleted it.
void SeedDataFolder(const std::filesystem::path& shared, const std::filesystem::path& target);

// The shipped samples of an installed program: <prefix>/share/sonvex for a
// program in <prefix>/bin.
std::filesystem::path SharedDataFolder(const std::filesystem::path& programFolder);

// Settings with their defaults for the running program: with `dataOverride`
// (--data DIR) everything below that folder; else below the program folder
// when it is writable; else the XDG folders, created on first use, the data
// folder then seeded with the shipped samples (once: files the user deletes
// later stay deleted).
TSettings MakeProgramSettings(
    const std::filesystem::path& programFolder, const std::filesystem::path& programFile,
    const std::optional<std::filesystem::path>& dataOverride,
    const TEnvLookup& env = [](const char* name) { return std::getenv(name); },
    const TWritableTest& writable = FolderWritable);

}  // namespace sonvex
