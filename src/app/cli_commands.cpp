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

#include "calc/calc_thread.h"
#include "calc/check.h"
#include "calc/file_load.h"
#include "calc/spinorama.h"
#include "charts/chart_pages.h"
#include "model/chassis_file.h"
#include "model/file_io.h"
#include "model/interaction.h"
#include "model/my_ini_file.h"
#include "model/number_text.h"
#include "model/project_file.h"
#include "model/result_export.h"
#include "model/settings.h"
#include "model/user_folders.h"

namespace sonvex {

namespace fs = std::filesystem;

namespace {

// Prints the status report; hands nothing back (the command reads the result
// from the thread once it is done).
class TConsoleHost : public TCalcHost {
 public:
  TStatusReport report;
  void Progress(int, int, const std::string&) override {}
  void StatusReport(const TCalcStruct& states, const TResult& r) override {
    report = sonvex::StatusReport(states, r.nAmps, r.nChassis);
  }
  void HandBack(const TResult&, const TGrades&) override {}
};

TSettings LoadCliSettings(const fs::path& dataFolder, TInteraction& ui) {
  TSettings s =
      MakeProgramSettings(ProgramFolder(), {}, dataFolder.empty() ? std::nullopt : std::optional<fs::path>(dataFolder));
  LoadSettings(s, &ui);
  return s;
}

// Loads a project as the desktop program does. Prints the reason and returns
// false when the file cannot be used.
bool LoadForCommand(TProjekt& p, const fs::path& file, const TSettings& settings, TInteraction& ui, std::ostream& err) {
  std::error_code ec;
  if (!fs::exists(file, ec)) {
    err << "Datei nicht gefunden: " << Utf8FromPath(file) << "\n";
    return false;
  }
  if (fs::is_directory(file, ec)) {
    err << "Keine Projektdatei, sondern ein Verzeichnis: " << Utf8FromPath(file) << "\n";
    return false;
  }
  TProjectLoad result;
  try {
    result = LoadProjectFile(p, file, settings, ui);
  } catch (const TFileError& e) {
    err << e.what() << "\n";
    return false;
  }
  switch (result) {
    case TProjectLoad::Loaded:
      return true;
    case TProjectLoad::Defaults:
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
bool WriteExport(const TResult& r, TExportKind kind, std::optional<int> chassisNr, const fs::path& file,
                 std::ostream& err) {
  int chassis = 0;
  if (kind != TExportKind::Box) {
    if (!chassisNr || *chassisNr < 1 || *chassisNr > r.nChassis) {
      err << "Chassisnummer muss zwischen 1 und " << r.nChassis << " liegen.\n";
      return false;
    }
    chassis = *chassisNr - 1;
    if (kind == TExportKind::Signal && r.AmpOfChassis[chassis] < 0) {
      err << "Das Chassis ist in keiner Frequenzweiche angeschlossen. Ausgabe nicht sinnvoll.\n";
      return false;
    }
  }
  return WriteTextFile(file, ExportText(r, kind, chassis), err);
}

// The FRD and ZMA files of the command line; numbers as the user counts.
bool WriteFrd(const TResult& r, int chassisNr, const fs::path& project, const fs::path& file, std::ostream& err) {
  if (chassisNr < 0 || chassisNr > r.nChassis) {
    err << "--export-frd: Chassisnummer muss zwischen 1 und " << r.nChassis << " liegen (0 für die Box).\n";
    return false;
  }
  return WriteTextFile(file, FrdText(r, chassisNr - 1, Utf8FromPath(project.filename())), err);
}

bool WriteZma(const TResult& r, int ampNr, const fs::path& project, const fs::path& file, std::ostream& err) {
  if (ampNr < 1 || ampNr > r.nAmps) {
    err << "--export-zma: Verstärkernummer muss zwischen 1 und " << r.nAmps << " liegen.\n";
    return false;
  }
  return WriteTextFile(file, ZmaText(r, ampNr - 1, Utf8FromPath(project.filename())), err);
}

// The five spinorama curves as FRD files (phase column 0) in `folder`,
// which is created when missing. A result without a valid calculation has no
// curves: nothing is written.
bool WriteSpinFiles(const TResult& r, const fs::path& project, const fs::path& folder, std::ostream& err) {
  const TSpinorama spin = ComputeSpinorama(r);
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
    const TSpinCurve& curve;
  } files[] = {
      {"on-axis.frd", "Frequenzgang der Box auf Achse", spin.OnAxis},
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

int RunCalcCommand(const TCalcOptions& o, std::ostream& out, std::ostream& err) {
  TConsoleInteraction ui(err);
  const TSettings settings = LoadCliSettings(o.dataFolder, ui);
  auto p = MakeNewProject();
  if (!LoadForCommand(*p, o.project, settings, ui, err)) return kExitBadInput;

  TConsoleHost host;
  TCalcThread thread(&host, false, std::chrono::milliseconds(0));
  using TClock = std::chrono::steady_clock;
  std::vector<std::pair<int, double>> times;
  auto last = TClock::now();
  const auto start = last;
  thread.onItemRun = [&](int item) {
    const auto now = TClock::now();
    times.emplace_back(item, std::chrono::duration<double, std::milli>(now - last).count());
    last = now;
  };
  thread.StartFullCalc(*p);
  thread.ComputeUntilDone();
  const double totalMs = std::chrono::duration<double, std::milli>(TClock::now() - start).count();

  TResult& r = thread.Result();
  const TStatusReport& report = host.report;
  r.bValid = report.errors == 0;
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
  if (!o.exportBox.empty()) written &= WriteExport(r, TExportKind::Box, std::nullopt, o.exportBox, err);
  if (!o.exportChassis.empty())
    written &= WriteExport(r, TExportKind::Chassis, o.exportChassisNr, o.exportChassis, err);
  if (!o.exportSignal.empty()) written &= WriteExport(r, TExportKind::Signal, o.exportSignalNr, o.exportSignal, err);
  if (o.exportFrdNr && !o.exportFrd.empty()) written &= WriteFrd(r, *o.exportFrdNr, o.project, o.exportFrd, err);
  if (o.exportZmaNr && !o.exportZma.empty()) written &= WriteZma(r, *o.exportZmaNr, o.project, o.exportZma, err);
  if (!o.spinFolder.empty()) written &= WriteSpinFiles(r, o.project, o.spinFolder, err);
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
  for (const auto& [folder, format] :
       {std::pair{o.pngFolder, TPictureFormat::Png}, {o.svgFolder, TPictureFormat::Svg}}) {
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
std::optional<TMyIniFile> ReadScrambled(const fs::path& file, std::ostream& err) {
  try {
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) {
      err << "Datei nicht gefunden: " << Utf8FromPath(file) << "\n";
      return std::nullopt;
    }
    const std::string bytes = ReadWholeFile(file);
    TConsoleInteraction ui(err);
    TMyIniFile ini = TMyIniFile::FromBytes(bytes, true, &ui, file);
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
    TConsoleInteraction ui(err);
    TMyIniFile ini = TMyIniFile::FromBytes(ReadWholeFile(plain), false, &ui, plain);
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
  TConsoleInteraction ui(err);
  try {
    if (ini->SectionExists("General")) {
      // Upgrading changes nothing but the version: the display defaults of
      // the settings are not applied (the folders still are).
      TSettings settings = LoadCliSettings(dataFolder, ui);
      settings.UseOption = false;
      auto p = MakeNewProject();
      if (!LoadForCommand(*p, in, settings, ui, err)) return kExitBadInput;
      SaveProject(*p, outFile);
      out << "Projekt gespeichert (Version " << kProjectFileVersion << "): " << Utf8FromPath(outFile) << "\n";
      return kExitOk;
    }
    if (ini->SectionExists("Chassis")) {
      auto c = std::make_unique<TChassis>();
      if (!LoadChassisFrom(*c, *ini, ui)) return kExitBadInput;
      // Written like a saved chassis file, except that the publication date
      // of the data stays: bringing a file forward does not make its data newer.
      c->OrgFilename = Utf8FromPath(outFile.filename());
      TMyIniFile upgraded = TMyIniFile::InMemory(true);
      upgraded.WriteInteger("Header", "Version", kChassisFileVersion);
      WriteChassisKeys(upgraded, "Chassis", *c, TChassisKeyForm::ChassisFile);
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

}  // namespace sonvex
