#pragma once
// Project files (.ZPJ): one project in a scrambled MyIniFile, and the one
// project loading function the desktop program and the command-line program
// share.
#include <filesystem>
#include <optional>
#include <string_view>

#include "model/project.h"

namespace sonvex {

class TInteraction;
class TMyIniFile;
struct TSettings;

inline constexpr int kProjectFileVersion = 1008;
inline constexpr std::string_view kNotAProjectFileText = "ist keine gültige Projektdatei dieser Version von Sonvex.";

enum class TProjectLoad {
  Loaded,          // read from the file
  Defaults,        // the file is missing or empty: every value took its default
  BadHeader,       // not a MyIniFile: message shown, every value took its default
  WrongVersion,    // "Datei hat falsches Datenformat." shown, the project is unchanged
  Missing,         // LoadProjectFile only: no such file, nothing happened
  NotProjectFile,  // LoadProjectFile only: message shown, the project is a new project
};

// Replaces the file (scrambled, version 1008) with the project: the
// amplifiers 1..nAmps and the chassis slots 1..nChassis. Written through a
// temporary file; throws TFileError on failure and then leaves a previous file
// unchanged.
void SaveProject(const TProjekt& p, const std::filesystem::path& file);
// The keys of the project, added to a file object.
void WriteProjectTo(const TProjekt& p, TMyIniFile& ini);

// Reads a project file into `p`. Fields the file does not cover keep their
// values: chassis slot 8, the enclosure and baffle records of the slots above
// nChassis, and in an enclosure either the damping levels (explicit values
// stored) or the explicit values (damping levels stored). With
// `settings.UseOption` the display options are replaced by the saved display
// defaults and the frequency grid is built from them. Throws TFileError when
// the file exists but cannot be read.
TProjectLoad LoadProject(TProjekt& p, const std::filesystem::path& file, const TSettings& settings, TInteraction& ui);
// The same on a file object already read (scrambled).
TProjectLoad LoadProjectFrom(TProjekt& p, const TMyIniFile& ini, const TSettings& settings, TInteraction& ui);

// With `settings.UseOption` the saved display defaults replace the display
// options of `p` and its frequency grid is built from them; otherwise nothing
// changes. Applied to every loaded and every new project.
void ApplyDisplayDefaults(TProjekt& p, const TSettings& settings);

// Opening a project as the program does at start-up and for "Projekt laden":
// nothing happens for a missing file; a file that does not start with the
// byte 0 (every scrambled file does) is refused with file name + CR +
// "ist keine gültige Projektdatei dieser Version von Sonvex." and `p` becomes
// a new project; otherwise LoadProject, then for chassis slots 0..7 the
// enclosure losses are estimated and the derived values computed at f = 1e-10.
// Throws TFileError when the file exists but cannot be read.
TProjectLoad LoadProjectFile(TProjekt& p, const std::filesystem::path& file, const TSettings& settings,
                             TInteraction& ui);

// The name a project is saved under: ".ZPJ" appended unless the name ends
// with it in any letter case; no value when the result has 4 characters or
// fewer.
std::optional<std::filesystem::path> ProjectSaveName(const std::filesystem::path& chosen);

}  // namespace sonvex
