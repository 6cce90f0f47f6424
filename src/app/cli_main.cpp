// sonvex-cli: the headless front end of Sonvex. Loads projects as the desktop
// program does, computes them without pauses and writes what was asked.
#include <CLI/CLI.hpp>
#include <iostream>
#include <string>

#include "app/cli_commands.h"
#include "app/design_command.h"
#include "app/optimize_command.h"
#include "model/captions.h"
#include "model/user_folders.h"

int main(int argc, char** argv) {
  using sonvex::kExitBadInput;
  CLI::App app{
      "Sonvex: Simulation mehrwegiger Lautsprecherboxen, Kommandozeile.\n"
      "Berechnet Projektdateien (.ZPJ) wie das Desktop-Programm und schreibt die Ergebnisse.",
      "sonvex-cli"};
  app.set_version_flag("--version", "sonvex-cli " + std::string(sonvex::kProgramVersion));
  app.require_subcommand(1);

  sonvex::CalcOptions calc;
  std::string size = "1200x800";
  auto* calcCmd = app.add_subcommand("calc", "Projekt laden, vollständig berechnen, Fehlerliste ausgeben");
  calcCmd->add_option("PROJECT", calc.project, "Projektdatei (.ZPJ)")->required();
  calcCmd->add_option("--data", calc.dataFolder, "Programmverzeichnis mit Sonvex.ini und den Datenordnern");
  calcCmd->add_option("--json", calc.json, "alle Kurven des Ergebnisses als JSON-Datei");
  calcCmd->add_flag("--with-tables", calc.withTables, "mit --json auch die Richtungstabellen DirFront/DirRear");
  calcCmd->add_option("--export-box", calc.exportBox, "Export: Frequenzgang der Box");
  std::pair<int, std::string> exportChassis, exportSignal;
  auto* exportChassisOpt =
      calcCmd->add_option("--export-chassis", exportChassis, "Export: Frequenzgang von Chassis N in DATEI")
          ->type_name("N DATEI");
  auto* exportSignalOpt =
      calcCmd->add_option("--export-signal", exportSignal, "Export: elektrisches Signal an Chassis N in DATEI")
          ->type_name("N DATEI");
  std::pair<int, std::string> exportFrd, exportZma;
  auto* exportFrdOpt = calcCmd
                           ->add_option("--export-frd", exportFrd,
                                        "FRD-Datei: Frequenzgang von Chassis N auf Achse (0: die ganze Box) in DATEI")
                           ->type_name("N DATEI");
  auto* exportZmaOpt = calcCmd->add_option("--export-zma", exportZma, "ZMA-Datei: Impedanz an Verstärker A in DATEI")
                           ->type_name("A DATEI");
  calcCmd->add_option("--export-spin", calc.spinFolder,
                      "Spinorama als FRD-Dateien (auf Achse, Hörfenster, frühe Reflexionen, Schallleistung, "
                      "Raumfrequenzgang) in dieses Verzeichnis");
  calcCmd->add_option("--export-wav", calc.wavFolder,
                      "Impulsantworten der Box und jedes Chassis als WAV-Dateien in dieses Verzeichnis");
  calcCmd->add_option("--wav-rate", calc.wavRate, "Abtastrate der WAV-Dateien in Hz")
      ->check(CLI::IsMember({44100, 48000, 96000}))
      ->capture_default_str();
  calcCmd->add_option("--png", calc.pngFolder, "alle Diagrammseiten als PNG in dieses Verzeichnis");
  calcCmd->add_option("--svg", calc.svgFolder, "alle Diagrammseiten als SVG in dieses Verzeichnis");
  calcCmd->add_option("--size", size, "Bildgröße der PNG-Seiten, BxH")->capture_default_str();
  calcCmd->add_flag("--timing", calc.timing, "Rechenzeit jedes Schritts und gesamt ausgeben");

  std::filesystem::path dumpFile;
  auto* dumpCmd = app.add_subcommand("dump", "verschlüsselte Projekt- oder Chassisdatei als Klartext ausgeben");
  dumpCmd->add_option("FILE", dumpFile, "Projekt- oder Chassisdatei")->required();

  std::filesystem::path packIn, packOut;
  auto* packCmd = app.add_subcommand("pack", "Klartext-Datei verschlüsselt schreiben");
  packCmd->add_option("PLAIN", packIn, "Klartext (wie von dump ausgegeben)")->required();
  packCmd->add_option("FILE", packOut, "zu schreibende Projekt- oder Chassisdatei")->required();

  std::filesystem::path upIn, upOut, upData;
  auto* upgradeCmd = app.add_subcommand("upgrade", "Projekt- oder Chassisdatei in der aktuellen Version speichern");
  upgradeCmd->add_option("IN", upIn, "Datei einer beliebigen lesbaren Version")->required();
  upgradeCmd->add_option("OUT", upOut, "neue Datei")->required();
  upgradeCmd->add_option("--data", upData, "Programmverzeichnis mit Sonvex.ini");

  sonvex::OptimizeOptions opt;
  auto* optCmd = app.add_subcommand("optimize", "markierte Weichenbauteile optimieren (ohne Oberfläche)");
  optCmd->add_option("PROJECT", opt.project, "Projektdatei mit markierten Bauteilen")->required();
  optCmd->add_option("--out", opt.out, "optimiertes Projekt")->required();
  optCmd->add_option("--resistors", opt.resistors, "Widerstände festlegen: e6, e12 oder keep")
      ->check(CLI::IsMember({"e6", "e12", "keep"}))
      ->capture_default_str();
  optCmd->add_option("--capacitors", opt.capacitors, "Kondensatoren festlegen: e6, e12 oder keep")
      ->check(CLI::IsMember({"e6", "e12", "keep"}))
      ->capture_default_str();
  optCmd->add_option("--coils", opt.coils, "Spulen festlegen: list (aus der Spulenliste), e12 oder keep")
      ->check(CLI::IsMember({"list", "e12", "keep"}))
      ->capture_default_str();
  optCmd->add_option("--coil-list", opt.coilList,
                     "Spulenliste für --coils list (Vorgabe: Spulen_Luft.txt im Weichenbauteile-Verzeichnis)");
  optCmd->add_option("--data", opt.dataFolder, "Programmverzeichnis mit Sonvex.ini und den Datenordnern");
  optCmd->add_option("--bass", opt.bass, "Hörgeschmack Bass 0..6")->check(CLI::Range(0, 6))->capture_default_str();
  optCmd->add_option("--treble", opt.treble, "Hörgeschmack Höhen 0..6")->check(CLI::Range(0, 6))->capture_default_str();
  optCmd->add_option("--zmin", opt.zmin, "Verstärker min. Impedanz 0..8 (0: 8 Ohm, 8: 2 Ohm)")
      ->check(CLI::Range(0, 8))
      ->capture_default_str();
  optCmd->add_option("--efficiency", opt.efficiency, "Wirkungsgrad 0..6")
      ->check(CLI::Range(0, 6))
      ->capture_default_str();
  optCmd->add_option("--pause", opt.pauseMs, "Pause der Rechenprozesse nach jedem Schritt, ms")
      ->check(CLI::Range(0, 10000))
      ->capture_default_str();

  sonvex::PolarImportOptions polarIn;
  std::vector<std::filesystem::path> polarArgs;
  auto* polarInCmd = app.add_subcommand(
      "polar-import", "Polardaten (gemessene Frequenzgänge unter Winkeln) in eine Chassisdatei oder ein Projekt");
  polarInCmd->add_option("ARGS", polarArgs, "CHASSIS.ZCH DATEI… oder mit --project nur DATEI…")->required();
  polarInCmd->add_option("--project", polarIn.project, "Projektdatei statt einer Chassisdatei");
  polarInCmd->add_option("--slot", polarIn.slot, "Chassis N des Projekts (ab 1)");
  polarInCmd->add_option("--data", polarIn.dataFolder, "Programmverzeichnis mit Sonvex.ini");

  sonvex::PolarExportOptions polarOut;
  auto* polarOutCmd = app.add_subcommand(
      "polar-export", "Frequenzgänge eines Chassis unter Winkeln aus dem Modell als FRD-Dateien (zum Vergleich)");
  polarOutCmd->add_option("PROJECT", polarOut.project, "Projektdatei (.ZPJ)")->required();
  polarOutCmd->add_option("--slot", polarOut.slot, "Chassis N des Projekts (ab 1)")->capture_default_str();
  polarOutCmd->add_option("DIR", polarOut.folder, "Verzeichnis für die Dateien")->required();
  polarOutCmd->add_option("--step", polarOut.step, "Winkelschritt in Grad: 10, 15 oder 30")
      ->check(CLI::IsMember({10, 15, 30}))
      ->capture_default_str();
  polarOutCmd->add_option("--data", polarOut.dataFolder, "Programmverzeichnis mit Sonvex.ini und den Datenordnern");

  sonvex::DesignArgs design;
  auto* designCmd = sonvex::AddDesignCommand(app, design);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e);
    return code == 0 ? 0 : kExitBadInput;
  }

  if (calcCmd->parsed()) {
    if (exportChassisOpt->count() > 0) {
      calc.exportChassisNumber = exportChassis.first;
      calc.exportChassis = exportChassis.second;
    }
    if (exportSignalOpt->count() > 0) {
      calc.exportSignalNumber = exportSignal.first;
      calc.exportSignal = exportSignal.second;
    }
    if (exportFrdOpt->count() > 0) {
      calc.exportFrdNumber = exportFrd.first;
      calc.exportFrd = exportFrd.second;
    }
    if (exportZmaOpt->count() > 0) {
      calc.exportZmaNumber = exportZma.first;
      calc.exportZma = exportZma.second;
    }
    const auto x = size.find('x');
    try {
      if (x == std::string::npos) throw std::invalid_argument(size);
      calc.pngWidth = std::stoi(size.substr(0, x));
      calc.pngHeight = std::stoi(size.substr(x + 1));
    } catch (const std::exception&) {
      std::cerr << "--size erwartet BxH, z. B. 1200x800.\n";
      return kExitBadInput;
    }
    if (calc.pngWidth < 200 || calc.pngHeight < 150 || calc.pngWidth > 8000 || calc.pngHeight > 8000) {
      std::cerr << "--size: Breite 200..8000, Höhe 150..8000 Pixel.\n";
      return kExitBadInput;
    }
    return sonvex::RunCalcCommand(calc, std::cout, std::cerr);
  }
  if (dumpCmd->parsed()) return sonvex::RunDumpCommand(dumpFile, std::cout, std::cerr);
  if (packCmd->parsed()) return sonvex::RunPackCommand(packIn, packOut, std::cerr);
  if (upgradeCmd->parsed()) return sonvex::RunUpgradeCommand(upIn, upOut, upData, std::cout, std::cerr);
  if (optCmd->parsed()) {
    // The data folder the other commands use: beside a portable program, the
    // user's data folder for an installed one (whose program folder holds no
    // parts lists).
    if (opt.dataFolder.empty())
      opt.dataFolder = sonvex::MakeProgramSettings(sonvex::ProgramFolder(), {}, std::nullopt).programFolder;
    return sonvex::RunOptimizeCommand(opt, std::cout, std::cerr);
  }
  if (polarInCmd->parsed()) {
    if (polarIn.project.empty()) {
      if (polarArgs.size() < 1 || polarIn.slot != 0) {
        std::cerr << "polar-import: CHASSIS.ZCH DATEI… oder --project P.ZPJ --slot N DATEI…\n";
        return kExitBadInput;
      }
      polarIn.chassisFile = polarArgs.front();
      polarIn.files.assign(polarArgs.begin() + 1, polarArgs.end());
    } else {
      if (polarIn.slot == 0) {
        std::cerr << "polar-import: mit --project gehört --slot N dazu (Chassis ab 1).\n";
        return kExitBadInput;
      }
      polarIn.files = polarArgs;
    }
    return sonvex::RunPolarImportCommand(polarIn, std::cout, std::cerr);
  }
  if (polarOutCmd->parsed()) return sonvex::RunPolarExportCommand(polarOut, std::cout, std::cerr);
  if (designCmd->parsed()) return sonvex::RunDesignCommand(design, std::cout, std::cerr);
  return kExitBadInput;
}
