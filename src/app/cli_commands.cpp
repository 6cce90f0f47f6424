#include "app/cli_commands.h"

#include "app/result_json.h"

#include <unistd.h>

#include <QGuiApplication>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <vector>

#include "acoustics/polar_directions.h"
#include "calc/calc_thread.h"
#include "calc/check.h"
#include "calc/file_load.h"
#include "calc/polar_export.h"
#include "calc/spinorama.h"
#include "calc/wav_export.h"
#include "charts/chart_pages.h"
#include "model/chassis_file.h"
#include "model/file_io.h"
#include "model/interaction.h"
#include "model/my_ini_file.h"
#include "model/number_text.h"
#include "model/polar_import.h"
#include "model/project_file.h"
#include "model/result_export.h"
#include "model/settings.h"
#include "model/user_folders.h"

namespace sonvex {

namespace fs = std::filesystem;

namespace {

// Keeps the status report; takes no copy of the result (the command reads it
// from the thread once it is done).
class ConsoleHost : public CalcHost {
 public:
  CalcReport report;
  void Progress(int, int, const std::string&) override {}
  void Finished(const CalcStates& states, const CalcResult& r, const GradeBlock&) override {
    report = sonvex::StatusReport(states, r.ampCount, r.chassisCount);
  }
};

Settings LoadCliSettings(const fs::path& dataFolder, Interaction& ui) {
  Settings s =
      MakeProgramSettings(ProgramFolder(), {}, dataFolder.empty() ? std::nullopt : std::optional<fs::path>(dataFolder));
  LoadSettings(s, &ui);
  return s;
}

// Loads a project as the desktop program does. Prints the reason and returns
// false when the file cannot be used.
bool LoadForCommand(Project& p, const fs::path& file, const Settings& settings, Interaction& ui, std::ostream& err) {
  std::error_code ec;
  if (!fs::exists(file, ec)) {
    err << "Datei nicht gefunden: " << Utf8FromPath(file) << "\n";
    return false;
  }
  if (fs::is_directory(file, ec)) {
    err << "Keine Projektdatei, sondern ein Verzeichnis: " << Utf8FromPath(file) << "\n";
    return false;
  }
  ProjectLoadResult result;
  try {
    result = LoadProjectFile(p, file, settings, ui);
  } catch (const FileError& e) {
    err << e.what() << "\n";
    return false;
  }
  switch (result) {
    case ProjectLoadResult::Loaded:
      return true;
    case ProjectLoadResult::Defaults:
      err << "Die Projektdatei ist leer: " << Utf8FromPath(file) << "\n";
      return false;
    default:  // the loader has shown its message
      err << "Projekt nicht geladen: " << Utf8FromPath(file) << "\n";
      return false;
  }
}

bool WriteTextFile(const fs::path& file, const std::string& text, std::ostream& err) {
  try {
    WriteFileAtomically(file, text);
    return true;
  } catch (const std::exception& e) {
    err << e.what() << "\n";
    return false;
  }
}

// The export of chassis N (1-based) of the command line.
bool WriteExport(const CalcResult& r, ExportKind kind, std::optional<int> chassisNumber, const fs::path& file,
                 std::ostream& err) {
  int chassis = 0;
  if (kind != ExportKind::Box) {
    if (!chassisNumber || *chassisNumber < 1 || *chassisNumber > r.chassisCount) {
      err << "Chassisnummer muss zwischen 1 und " << r.chassisCount << " liegen.\n";
      return false;
    }
    chassis = *chassisNumber - 1;
    if (kind == ExportKind::Signal && r.ampOfChassis[chassis] < 0) {
      err << "Das Chassis ist in keiner Frequenzweiche angeschlossen. Ausgabe nicht sinnvoll.\n";
      return false;
    }
  }
  return WriteTextFile(file, ExportText(r, kind, chassis), err);
}

// The FRD and ZMA files of the command line; numbers as the user counts.
bool WriteFrd(const CalcResult& r, int chassisNumber, const fs::path& project, const fs::path& file,
              std::ostream& err) {
  if (chassisNumber < 0 || chassisNumber > r.chassisCount) {
    err << "--export-frd: Chassisnummer muss zwischen 1 und " << r.chassisCount << " liegen (0 für die Box).\n";
    return false;
  }
  return WriteTextFile(file, FrdText(r, chassisNumber - 1, Utf8FromPath(project.filename())), err);
}

bool WriteZma(const CalcResult& r, int ampNumber, const fs::path& project, const fs::path& file, std::ostream& err) {
  if (ampNumber < 1 || ampNumber > r.ampCount) {
    err << "--export-zma: Verstärkernummer muss zwischen 1 und " << r.ampCount << " liegen.\n";
    return false;
  }
  return WriteTextFile(file, ZmaText(r, ampNumber - 1, Utf8FromPath(project.filename())), err);
}

// The five spinorama curves as FRD files (phase column 0) in `folder`,
// which is created when missing. A result without a valid calculation has no
// curves: nothing is written.
bool WriteSpinFiles(const CalcResult& r, const fs::path& project, const fs::path& folder, std::ostream& err) {
  const Spinorama spin = ComputeSpinorama(r);
  if (spin.n == 0) {
    err << "--export-spin: keine gültige Berechnung, keine Dateien geschrieben.\n";
    return true;  // the calculation errors already set the exit status
  }
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec) {
    err << "Verzeichnis kann nicht angelegt werden: " << Utf8FromPath(folder) << "\n";
    return false;
  }
  const std::string name = Utf8FromPath(project.filename());
  const std::string estimate = " (geschätzt aus 30 simulierten Richtungen)";
  const struct {
    const char* file;
    std::string title;
    const SpinCurve& curve;
  } files[] = {
      {"on-axis.frd", "Frequenzgang der Box auf Achse", spin.onAxis},
      {"listening-window.frd", "Hörfenster" + estimate, spin.LW},
      {"early-reflections.frd", "Frühe Reflexionen" + estimate, spin.ER},
      {"sound-power.frd", "Schallleistung" + estimate, spin.SP},
      {"in-room.frd", "Geschätzter Frequenzgang im Raum" + estimate, spin.PIR},
  };
  bool ok = true;
  for (const auto& f : files)
    ok &= WriteTextFile(folder / f.file, FrdLevelText(spin.freq, f.curve, name, f.title), err);
  return ok;
}

}  // namespace

fs::path ProgramFolder() {
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return fs::current_path(ec);
  return exe.parent_path();
}

int RunCalcCommand(const CalcOptions& o, std::ostream& out, std::ostream& err) {
  ConsoleInteraction ui(err);
  const Settings settings = LoadCliSettings(o.dataFolder, ui);
  auto p = MakeNewProject();
  if (!LoadForCommand(*p, o.project, settings, ui, err)) return kExitBadInput;

  ConsoleHost host;
  CalcThread thread(&host, false, std::chrono::milliseconds(0));
  using Clock = std::chrono::steady_clock;
  std::vector<std::pair<int, double>> times;
  auto last = Clock::now();
  const auto start = last;
  thread.onItemRun = [&](int item) {
    const auto now = Clock::now();
    times.emplace_back(item, std::chrono::duration<double, std::milli>(now - last).count());
    last = now;
  };
  thread.StartFullCalc(*p);
  thread.ComputeUntilDone();
  const double totalMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();

  CalcResult& r = thread.Result();
  const CalcReport& report = host.report;
  r.valid = report.errors == 0;
  if (report.errors == 0) {
    out << kStatusSuccess << "\n";
  } else {
    for (const std::string& line : report.lines) out << line << "\n";
  }
  if (o.timing) {
    for (const auto& [item, ms] : times) out << ItemName(item) << ": " << FormatNumber(ms, 8) << " ms\n";
    out << "Gesamt: " << FormatNumber(totalMs, 8) << " ms\n";
  }

  bool written = true;
  if (!o.json.empty()) {
    int nonFinite = 0;
    const nlohmann::json j = ResultJson(r, thread.States(), report, thread.Grades(), o.withTables, nonFinite);
    written &= WriteTextFile(o.json, j.dump() + "\n", err);
    if (nonFinite > 0) err << "Warnung: " << nonFinite << " nicht endliche Werte als null geschrieben.\n";
  }
  if (!o.exportBox.empty()) written &= WriteExport(r, ExportKind::Box, std::nullopt, o.exportBox, err);
  if (!o.exportChassis.empty())
    written &= WriteExport(r, ExportKind::Chassis, o.exportChassisNumber, o.exportChassis, err);
  if (!o.exportSignal.empty()) written &= WriteExport(r, ExportKind::Signal, o.exportSignalNumber, o.exportSignal, err);
  if (o.exportFrdNumber && !o.exportFrd.empty())
    written &= WriteFrd(r, *o.exportFrdNumber, o.project, o.exportFrd, err);
  if (o.exportZmaNumber && !o.exportZma.empty())
    written &= WriteZma(r, *o.exportZmaNumber, o.project, o.exportZma, err);
  if (!o.spinFolder.empty()) written &= WriteSpinFiles(r, o.project, o.spinFolder, err);
  if (!o.wavFolder.empty()) {
    std::string error;
    if (!r.valid) {
      // The calculation errors already set the exit status.
      err << "--export-wav: keine gültige Berechnung, keine Dateien geschrieben.\n";
    } else if (!ExportImpulseWavs(r, o.wavFolder, o.wavRate, error)) {
      err << "--export-wav: " << error << "\n";
      written = false;
    }
  }
  // One application for every picture set, started here: RenderChartPages
  // would start one per call from a static argument list, from which the
  // first application has taken "-platform offscreen", so that a second
  // set (--png and --svg together) looked for a display and aborted
  // without one. Its arguments live as long as it does.
  std::unique_ptr<QGuiApplication> pictureApp;
  char appName[] = "sonvex-cli";
  char platformOption[] = "-platform";
  char platformName[] = "offscreen";
  char* appArgv[] = {appName, platformOption, platformName, nullptr};
  int appArgc = 3;
  if ((!o.pngFolder.empty() || !o.svgFolder.empty()) && QCoreApplication::instance() == nullptr)
    pictureApp = std::make_unique<QGuiApplication>(appArgc, appArgv);
  for (const auto& [folder, format] : {std::pair{o.pngFolder, PictureFormat::Png}, {o.svgFolder, PictureFormat::Svg}}) {
    if (folder.empty()) continue;
    std::string error;
    if (!RenderChartPages(*p, r, QSize(o.pngWidth, o.pngHeight), folder, error, format)) {
      err << error << "\n";
      written = false;
    }
  }
  if (!written) return kExitBadInput;
  return report.errors == 0 ? kExitOk : kExitCalcErrors;
}

namespace {

// Reads a scrambled MyIniFile, or says why not.
std::optional<MyIniFile> ReadScrambled(const fs::path& file, std::ostream& err) {
  try {
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) {
      err << "Datei nicht gefunden: " << Utf8FromPath(file) << "\n";
      return std::nullopt;
    }
    const std::string bytes = ReadWholeFile(file);
    ConsoleInteraction ui(err);
    MyIniFile ini = MyIniFile::FromBytes(bytes, true, &ui, file);
    if (ini.HeaderError()) return std::nullopt;
    return ini;
  } catch (const std::exception& e) {
    err << e.what() << "\n";
    return std::nullopt;
  }
}

}  // namespace

int RunDumpCommand(const fs::path& file, std::ostream& out, std::ostream& err) {
  auto ini = ReadScrambled(file, err);
  if (!ini) return kExitBadInput;
  if (ini->Truncated())
    err << "Die Datei ist unvollständig: sie endet mitten in einem Eintrag, der in der Ausgabe fehlt: "
        << Utf8FromPath(file) << "\n";
  try {
    out << ini->Serialize(false);
  } catch (const std::exception& e) {
    err << e.what() << "\n";
    return kExitBadInput;
  }
  return kExitOk;
}

int RunPackCommand(const fs::path& plain, const fs::path& file, std::ostream& err) {
  try {
    std::error_code ec;
    if (!fs::is_regular_file(plain, ec)) {
      err << "Datei nicht gefunden: " << Utf8FromPath(plain) << "\n";
      return kExitBadInput;
    }
    ConsoleInteraction ui(err);
    MyIniFile ini = MyIniFile::FromBytes(ReadWholeFile(plain), false, &ui, plain);
    if (ini.HeaderError()) return kExitBadInput;
    WriteFileAtomically(file, ini.Serialize(true));
  } catch (const std::exception& e) {
    err << e.what() << "\n";
    return kExitBadInput;
  }
  return kExitOk;
}

int RunUpgradeCommand(const fs::path& in, const fs::path& outFile, const fs::path& dataFolder, std::ostream& out,
                      std::ostream& err) {
  auto ini = ReadScrambled(in, err);
  if (!ini) return kExitBadInput;
  ConsoleInteraction ui(err);
  try {
    if (ini->SectionExists("General")) {
      // Upgrading changes nothing but the version: the display defaults of
      // the settings are not applied (the folders still are).
      Settings settings = LoadCliSettings(dataFolder, ui);
      settings.useDisplayDefaults = false;
      auto p = MakeNewProject();
      if (!LoadForCommand(*p, in, settings, ui, err)) return kExitBadInput;
      SaveProject(*p, outFile);
      out << "Projekt gespeichert (Version " << kProjectFileVersion << "): " << Utf8FromPath(outFile) << "\n";
      return kExitOk;
    }
    if (ini->SectionExists("Chassis")) {
      auto c = std::make_unique<Chassis>();
      if (!LoadChassisFrom(*c, *ini, ui)) return kExitBadInput;
      // Written like a saved chassis file, except that the publication date
      // of the data stays: bringing a file forward does not make its data newer.
      c->originalFileName = Utf8FromPath(outFile.filename());
      MyIniFile upgraded = MyIniFile::InMemory(true);
      upgraded.WriteInteger("Header", "Version", kChassisFileVersion);
      WriteChassisKeys(upgraded, "Chassis", *c, ChassisKeyForm::ChassisFile);
      WriteFileAtomically(outFile, upgraded.Serialize(true));
      out << "Chassis gespeichert (Version " << kChassisFileVersion << "): " << Utf8FromPath(outFile) << "\n";
      return kExitOk;
    }
  } catch (const std::exception& e) {
    err << e.what() << "\n";
    return kExitBadInput;
  }
  err << "Weder Projekt- noch Chassisdatei: " << Utf8FromPath(in) << "\n";
  return kExitBadInput;
}

namespace {

// Reads the measurement files and checks them as a set over fMin..fMax;
// prints the first fault and returns no set.
std::optional<PolarSet> PolarSetFromFiles(const std::vector<fs::path>& paths, double fMin, double fMax,
                                          std::ostream& err) {
  std::vector<PolarFile> files;
  files.reserve(paths.size());
  for (const fs::path& path : paths) files.push_back(ReadPolarFile(path));
  if (const std::string fault = CheckPolarFiles(files, fMin, fMax); !fault.empty()) {
    err << fault << "\n";
    return std::nullopt;
  }
  return MakePolarSet(files);
}

void ReportPolarSet(const Chassis& c, std::ostream& out) {
  out << "Polardaten: " << PolarSetSummary(c.polar) << "\n";
  out << "Richtungen aus Messung: " << DirectionListText(PolarCoverage(c.polar)) << "\n";
  if (const std::string unused = PolarSetUnusedText(c); !unused.empty()) out << unused << "\n";
}

}  // namespace

int RunPolarImportCommand(const PolarImportOptions& o, std::ostream& out, std::ostream& err) {
  ConsoleInteraction ui(err);
  try {
    if (!o.project.empty()) {
      // Nothing but the set changes: the display defaults of the settings
      // are not applied to the project.
      Settings settings = LoadCliSettings(o.dataFolder, ui);
      settings.useDisplayDefaults = false;
      auto p = MakeNewProject();
      if (!LoadForCommand(*p, o.project, settings, ui, err)) return kExitBadInput;
      if (o.slot < 1 || o.slot > ChassisInUse(*p)) {
        err << "Chassis " << o.slot << " gibt es im Projekt nicht (Chassis 1 bis " << ChassisInUse(*p) << ").\n";
        return kExitBadInput;
      }
      const auto set = PolarSetFromFiles(o.files, p->fMin, p->fMax, err);
      if (!set) return kExitBadInput;
      Chassis& c = p->chassis[static_cast<std::size_t>(o.slot - 1)];
      c.polar = *set;
      SaveProject(*p, o.project);
      out << "Projekt gespeichert, Chassis " << o.slot << ": " << Utf8FromPath(o.project) << "\n";
      ReportPolarSet(c, out);
      return kExitOk;
    }
    auto ini = ReadScrambled(o.chassisFile, err);
    if (!ini) return kExitBadInput;
    if (!ini->SectionExists("Chassis")) {
      err << "Keine Chassisdatei: " << Utf8FromPath(o.chassisFile) << "\n";
      return kExitBadInput;
    }
    auto c = std::make_unique<Chassis>();
    if (!LoadChassisFrom(*c, *ini, ui)) return kExitBadInput;
    // A chassis file belongs to no project: its set is checked against the
    // frequency range a new project has.
    const DisplayOptions defaults;
    const auto set = PolarSetFromFiles(o.files, defaults.fMin, defaults.fMax, err);
    if (!set) return kExitBadInput;
    c->polar = *set;
    SaveChassisFile(o.chassisFile, *c);
    out << "Chassis gespeichert: " << Utf8FromPath(o.chassisFile) << "\n";
    ReportPolarSet(*c, out);
    return kExitOk;
  } catch (const std::exception& e) {
    err << e.what() << "\n";
    return kExitBadInput;
  }
}

int RunPolarExportCommand(const PolarExportOptions& o, std::ostream& out, std::ostream& err) {
  ConsoleInteraction ui(err);
  const Settings settings = LoadCliSettings(o.dataFolder, ui);
  auto p = MakeNewProject();
  if (!LoadForCommand(*p, o.project, settings, ui, err)) return kExitBadInput;
  if (o.slot < 1 || o.slot > ChassisInUse(*p)) {
    err << "Chassis " << o.slot << " gibt es im Projekt nicht (Chassis 1 bis " << ChassisInUse(*p) << ").\n";
    return kExitBadInput;
  }
  // The model's own directions: a set of the chassis stays out of them.
  p->chassis[static_cast<std::size_t>(o.slot - 1)].polar = PolarSet{};
  ConsoleHost host;
  CalcThread thread(&host, false, std::chrono::milliseconds(0));
  thread.StartFullCalc(*p);
  thread.ComputeUntilDone();
  if (host.report.errors > 0) {
    err << host.report.text << "\n";
    return kExitCalcErrors;
  }
  try {
    const auto files =
        WriteModelPolarFiles(thread.Result(), o.slot - 1, o.step, o.folder, Utf8FromPath(o.project.filename()));
    out << files.size() << " Dateien geschrieben: " << Utf8FromPath(o.folder) << "\n";
  } catch (const std::exception& e) {
    err << e.what() << "\n";
    return kExitBadInput;
  }
  return kExitOk;
}

}  // namespace sonvex
