#pragma once
// Project files (.ZPJ): one project in a scrambled MyIniFile. Loading a
// project as the programs do (with the values derived from it) is
// calc/file_load.h.
#include <filesystem>
#include <optional>
#include <string_view>

#include "model/project.h"

namespace sonvex {

class Interaction;
class MyIniFile;
struct Settings;

inline constexpr int kProjectFileVersion = 1008;
inline constexpr std::string_view kNotAProjectFileText = "ist keine gültige Projektdatei dieser Version von Sonvex.";

enum class ProjectLoadResult {
  Loaded,          // read from the file
  Defaults,        // the file is missing or empty: every value took its default
  BadHeader,       // not a MyIniFile: message shown, every value took its default
  WrongVersion,    // "Datei hat falsches Datenformat." shown, the project is unchanged
  Missing,         // LoadProjectFile only: no such file, nothing happened
  NotProjectFile,  // LoadProjectFile only: message shown, the project is a new project
};

// Replaces the file (scrambled, version 1008) with the project: the
// amplifiers 1..ampCount and the chassis slots 1..chassisCount. Written through a
// temporary file; throws FileError on failure and then leaves a previous file
// unchanged.
void SaveProject(const Project& p, const std::filesystem::path& file);
// The keys of the project, added to a file object.
void WriteProjectTo(const Project& p, MyIniFile& ini);

// Reads the keys of a project file object (scrambled) into `p`. Fields the
// file does not cover keep their values: chassis slot 8, the enclosure and
// baffle records of the slots above chassisCount, and in an enclosure either the
// damping levels (explicit values stored) or the explicit values (damping
// levels stored). With `settings.useDisplayDefaults` the display options are replaced
// by the saved display defaults and the frequency grid is built from them.
// Derives nothing: the chassis of a version 1000 file still lack their
// voice-coil model (LoadProjectFrom in calc/file_load.h adds it). A file
// that ends inside a line (MyIniFile::Truncated) is read as far as it goes
// and shows the warning IncompleteFileText("Projektdatei", file) first; the
// result is the same as without it (a warning, not an error).
ProjectLoadResult ReadProjectFrom(Project& p, const MyIniFile& ini, const Settings& settings, Interaction& ui);

// With `settings.useDisplayDefaults` the saved display defaults replace the display
// options of `p` and its frequency grid is built from them; otherwise nothing
// changes. Applied to every loaded and every new project.
void ApplyDisplayDefaults(Project& p, const Settings& settings);

// The name a project is saved under: ".ZPJ" appended unless the name ends
// with it in any letter case; no value when the result has 4 characters or
// fewer.
std::optional<std::filesystem::path> ProjectSaveName(const std::filesystem::path& chosen);

}  // namespace sonvex
