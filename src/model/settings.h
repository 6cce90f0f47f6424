#pragma once
// Program settings: the six data folders, two settings of the crossover
// editor and the display defaults that loaded projects may take over. Kept in
// the plain MyIniFile "Sonvex.ini" in the program folder; held as one object
// that is handed to whoever needs it.
#include <cstdint>
#include <filesystem>
#include <string_view>

#include "model/project.h"

namespace sonvex {

class Interaction;
class MyIniFile;

inline constexpr std::string_view kSettingsFileName = "Sonvex.ini";
inline constexpr std::int32_t kDefaultOldMouseMap = 424231;
// The pause of the desktop program's calculation thread after each step: it
// keeps slow machines responsive while a recalculation runs.
inline constexpr std::int32_t kDefaultCalcPauseMs = 650;
inline constexpr std::int32_t kMaxCalcPauseMs = 2000;
// The pause of each optimizer worker after each step, so that the window
// stays usable while the optimizer searches.
inline constexpr std::int32_t kDefaultOptimizerPauseMs = 65;

struct Settings {
  std::filesystem::path programFile;    // the running program
  std::filesystem::path programFolder;  // its folder (or the data folder given on the command line)
  std::filesystem::path settingsFolder;  // where "Sonvex.ini" lives; the program folder when empty
  std::filesystem::path settingsFile;    // settingsFolder (or programFolder) / "Sonvex.ini"
  // Folders, each ending with a path separator.
  std::filesystem::path chassisFolder;       // "Chassis"
  std::filesystem::path projectFolder;       // "Projekte"
  std::filesystem::path partsFolder;         // "Weichenbauteile"
  std::filesystem::path reportsFolder;       // "Reports"
  std::filesystem::path publicationsFolder;  // "Publikationen"
  std::filesystem::path kitsFolder;          // "Bausätze"
  bool useStoredFolders = false;             // "Verzeichnisvorgaben": the folders above come from the file
  std::int32_t crossoverMouseMap = 424531;            // mouse action map of the crossover editor
  std::int32_t crossoverEditorSize = 2;                   // drawing size of the crossover editor
  bool useDisplayDefaults = false;                    // every loaded project takes over displayDefaults
  std::int32_t calcPauseMs = kDefaultCalcPauseMs;  // "Rechenpause", 0..2000 ms
  std::int32_t optimizerPauseMs = kDefaultOptimizerPauseMs;  // "Optimiererpause", 0..2000 ms
  DisplayOptions displayDefaults;
};

// Settings with every default for a program in `programFolder`.
Settings MakeSettings(const std::filesystem::path& programFolder, const std::filesystem::path& programFile = {});

// Sets the settings file and the six folders to their defaults below the
// program folder.
void SetDefaultFolders(Settings& s);

// Reads the settings file. A missing or unreadable file gives the defaults; a
// file with a wrong header shows its message through `ui` (when given) and
// gives the defaults.
void LoadSettings(Settings& s, Interaction* ui);
// Steps 3 to 5 of LoadSettings on a file object already read.
void LoadSettingsFrom(Settings& s, const MyIniFile& ini);

// Makes the six folders end with a separator (an empty one becomes its
// default folder) and writes the folder and
// crossover editor settings into the settings file, keeping every other key
// of it (for example the display defaults). A file with a wrong header is not
// overwritten. Throws FileError when the file cannot be read or written; a
// previous file is then unchanged.
void SaveSettings(Settings& s, Interaction* ui);

// Writes "UseOption" into the settings file's "Option" section, keeping
// every other key; when `use` is set also the display defaults `o` (without
// the smoothing widths). Sets the program's useDisplayDefaults and, when used, its
// display defaults, also when the file then cannot be written (FileError,
// as SaveSettings throws it).
void SaveDisplayDefaults(Settings& s, bool use, const DisplayOptions& o, Interaction* ui);
// A calculation or optimizer pause held within 0..2000 ms.
std::int32_t ClampCalcPause(long long ms);

// A folder as the settings keep it: ending with a separator; an empty folder
// becomes a single separator.
std::filesystem::path WithTrailingSeparator(const std::filesystem::path& folder);

// The frequency grid a project file or the settings file keeps: fMin from
// 10 to 1000 Hz, fMax from 1000 Hz to below 100 kHz and above fMin, 10 to
// 250 points. Reading puts any other range back to 20..20000 Hz and any
// other point count to 84; the project properties refuse what would not come
// back.
inline constexpr double kStoredFMinLowest = 10;
inline constexpr double kStoredFMinHighest = 1000;
inline constexpr double kStoredFMaxLowest = 1000;
inline constexpr double kStoredFMaxBelow = 100000;  // fMax stays below it
inline constexpr int kStoredGridPointsLeast = 10;
inline constexpr int kStoredGridPointsMost = 250;
// Whether a file keeps the range fMin..fMax, and the point count sz.
bool StoredRangeKept(double fMin, double fMax);
bool StoredPointCountKept(long long sz);

// The display option keys of a project file's or the settings file's "Option"
// section. Reading starts from the built-in default colours, replaces them by
// the stored elements and corrects an unusable frequency range (20..20000 Hz)
// and point count (84).
void ReadDisplayOptions(const MyIniFile& ini, std::string_view section, DisplayOptions& o);
// Writes them in their fixed order; `withSmoothing` false leaves out smoothingAmplitude
// and smoothingImpedance (the display defaults carry no smoothing widths).
void WriteDisplayOptions(MyIniFile& ini, std::string_view section, const DisplayOptions& o, bool withSmoothing);

}  // namespace sonvex
