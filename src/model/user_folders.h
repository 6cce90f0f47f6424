#pragma once
// Where settings and data live, decided by how the program is laid out:
// - portable: "Sonvex.ini" or a data folder ("Chassis", "Projekte",
//   "Weichenbauteile") sits beside the program (a build folder, a copy on a
//   stick): everything stays beside the program;
// - installed: the shipped samples sit in ../share/sonvex (a program in
//   <prefix>/bin): the settings go to $XDG_CONFIG_HOME/sonvex (default
//   ~/.config/sonvex) and the data folders to $XDG_DATA_HOME/sonvex (default
//   ~/.local/share/sonvex), which start as a copy of the shipped samples.
//   This holds for every user, root included: an installed program never
//   writes beside itself.
// Whether the program folder is writable plays no part.
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>

#include "model/settings.h"

namespace sonvex {

using EnvLookup = std::function<const char*(const char*)>;

enum class ProgramLayout { Portable, Installed };

// Portable when "Sonvex.ini" or one of the data folders sits beside the
// program (this wins, so a portable copy may also carry a share folder);
// else installed when ../share/sonvex is a folder; else portable, as a lone
// program file always was.
ProgramLayout DetectProgramLayout(const std::filesystem::path& programFolder);

// The process environment; for HOME, the home folder of the user's password
// entry when the variable is unset (a service or `env -i` start).
const char* ProcessEnv(const char* name);

// The folders of an installed program: "sonvex" below $XDG_CONFIG_HOME and
// $XDG_DATA_HOME, or below ~/.config and ~/.local/share when those are unset
// or not absolute. No value when neither they nor $HOME name a folder.
struct UserFolders {
  std::filesystem::path settingsFolder;
  std::filesystem::path dataFolder;
};
std::optional<UserFolders> XdgUserFolders(const EnvLookup& env);

// Copies every file and folder of `shared` that `target` lacks; never
// overwrites a file of the user. Errors are skipped: a file that cannot be
// copied is simply missing, as if the user had deleted it.
void SeedDataFolder(const std::filesystem::path& shared, const std::filesystem::path& target);

// The shipped samples of an installed program: <prefix>/share/sonvex for a
// program in <prefix>/bin.
std::filesystem::path SharedDataFolder(const std::filesystem::path& programFolder);

// Settings with their defaults for the running program: with `dataOverride`
// (--data DIR) everything below that folder; else by the layout of the
// program folder: portable below the program folder, installed in the XDG
// folders, created on first use, the data folder then seeded with the
// shipped samples (once: files the user deletes later stay deleted).
Settings MakeProgramSettings(const std::filesystem::path& programFolder, const std::filesystem::path& programFile,
                             const std::optional<std::filesystem::path>& dataOverride,
                             const EnvLookup& env = ProcessEnv);

}  // namespace sonvex
