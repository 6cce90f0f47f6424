#pragma once
// The commands of sonvex-cli, apart from argument parsing. Each returns the
// exit status: 0 success, 1 calculation errors (or nothing to optimise),
// 2 unreadable input or bad usage; messages go to `err`.
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace sonvex {

inline constexpr int kExitOk = 0;
inline constexpr int kExitCalcErrors = 1;
inline constexpr int kExitBadInput = 2;

struct CalcOptions {
  std::filesystem::path project;
  std::filesystem::path dataFolder;        // settings and folders; the program folder when empty
  std::filesystem::path json;              // --json: every curve of the result
  bool withTables = false;                 // --with-tables: the direction tables in the JSON too
  std::filesystem::path exportBox;         // --export-box
  std::optional<int> exportChassisNumber;  // --export-chassis N (1-based)
  std::filesystem::path exportChassis;
  std::optional<int> exportSignalNumber;  // --export-signal N (1-based)
  std::filesystem::path exportSignal;
  std::optional<int> exportFrdNumber;  // --export-frd N (1-based chassis, 0 the box)
  std::filesystem::path exportFrd;
  std::optional<int> exportZmaNumber;  // --export-zma A (1-based amplifier)
  std::filesystem::path exportZma;
  std::filesystem::path spinFolder;  // --export-spin: the spinorama curves as FRD files
  std::filesystem::path wavFolder;   // --export-wav: the impulse responses as WAV files
  int wavRate = 48000;               // --wav-rate: their sampling rate
  std::filesystem::path pngFolder;   // --png: every chart page as PNG
  std::filesystem::path svgFolder;   // --svg: every chart page as SVG
  int pngWidth = 1200, pngHeight = 800;
  bool timing = false;  // --timing: time of each item and the total
};

int RunCalcCommand(const CalcOptions& o, std::ostream& out, std::ostream& err);
// Prints a scrambled MyIniFile (project or chassis) as plain text.
int RunDumpCommand(const std::filesystem::path& file, std::ostream& out, std::ostream& err);
// Writes a plain-text MyIniFile in the scrambled form.
int RunPackCommand(const std::filesystem::path& plain, const std::filesystem::path& file, std::ostream& err);
// Loads a project or chassis file of any accepted version and saves it in the current one.
int RunUpgradeCommand(const std::filesystem::path& in, const std::filesystem::path& outFile,
                      const std::filesystem::path& dataFolder, std::ostream& out, std::ostream& err);

// `polar-import`: a polar set from measurement files into a chassis file, or
// into chassis slot `slot` (1-based) of a project when `project` is set.
struct PolarImportOptions {
  std::filesystem::path chassisFile;  // without --project
  std::filesystem::path project;      // --project
  int slot = 0;                       // --slot
  std::vector<std::filesystem::path> files;
  std::filesystem::path dataFolder;
};
int RunPolarImportCommand(const PolarImportOptions& o, std::ostream& out, std::ostream& err);

// `polar-export`: the model's off-axis responses of chassis `slot` (1-based)
// as FRD files at `step` degrees (10, 15 or 30) into `folder`.
struct PolarExportOptions {
  std::filesystem::path project;
  int slot = 1;
  std::filesystem::path folder;
  int step = 10;
  std::filesystem::path dataFolder;
};
int RunPolarExportCommand(const PolarExportOptions& o, std::ostream& out, std::ostream& err);

// The folder of the running program (settings and data live below it).
std::filesystem::path ProgramFolder();

}  // namespace sonvex
