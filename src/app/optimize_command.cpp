#include "app/optimize_command.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <memory>
#include <optional>
#include <ostream>
#include <set>
#include <string_view>
#include <utility>
#include <vector>

#include "calc/calc_thread.h"
#include "calc/check.h"
#include "calc/file_load.h"
#include "model/file_io.h"
#include "model/interaction.h"
#include "model/my_ini_file.h"
#include "model/number_text.h"
#include "model/parts_library.h"
#include "model/project_file.h"
#include "model/settings.h"
#include "optimizer/optimizer.h"
#include "optimizer/optimizer_preconditions.h"

namespace sonvex {

namespace {

std::optional<FixChoice> ParseFixChoice(std::string text, bool allowE6) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  if (text == "keep") return FixChoice::Manual;
  if (text == "e12") return FixChoice::E12;
  if (text == "e6" && allowE6) return FixChoice::E6;
  return std::nullopt;
}

// The coil list used when no --coil-list is given: the shipped air-core coils.
constexpr std::string_view kDefaultCoilList = "Spulen_Luft.txt";

// The listed coil whose inductance (mH in the list) lies nearest to `henry`;
// on equal distance the earlier line. Separator lines (value 0) are skipped.
const LibraryEntry* NearestCoil(const std::vector<LibraryEntry>& coils, double henry) {
  const LibraryEntry* best = nullptr;
  double bestDistance = 0;
  for (const LibraryEntry& e : coils) {
    if (!(e.value > 0) || !std::isfinite(e.value) || !std::isfinite(e.resistance)) continue;
    const double distance = std::abs(e.value * 1e-3 - henry);
    if (best == nullptr || distance < bestDistance) {
      best = &e;
      bestDistance = distance;
    }
  }
  return best;
}

// Prints what the optimizer reports. Runs on the optimizer thread while the
// command waits for the run to end, so the streams are not shared.
class OptimizerConsoleHost : public OptimizerHost {
 public:
  OptimizerConsoleHost(std::ostream& out, std::ostream& err, const PartFixRules& rules, const Project& start,
                       const std::vector<LibraryEntry>* coilList)
      : out_(out), err_(err), rules_(rules), start_(start), coilList_(coilList) {}

  void Progress(int perMille) override {
    // One line per tenth reached, not one per trial.
    if (perMille < 0 || perMille / 100 == lastTenth_) return;
    lastTenth_ = perMille / 100;
    out_ << "Fortschritt: " << perMille / 10 << " %" << std::endl;
  }

  void GradeReport(const GradeBlock& grades, const CalcResult&) override {
    out_ << (reports_ == 0 ? "Ergebnisse vor Optimierung" : "Ergebnisse nach Optimierung") << "\n";
    for (const std::string& line : GradeReportLines(grades)) out_ << line << "\n";
    out_ << std::endl;
    ++reports_;
    lastTenth_ = -1;
  }

  CrossoverPart FixPart(const OptimizerVariable& v, const CrossoverPart& part) override {
    fixed_.insert({v.amplifier, v.slot});
    if (part.type == PartInductor) return FixCoil(v, part);
    const std::optional<CrossoverPart> rounded = FixPartByRule(part, rules_);
    const CrossoverPart fixed = rounded ? *rounded : part;
    out_ << "Bauteil festgelegt: Verstärker " << v.amplifier + 1 << ", " << v.label
         << FormatNumber(fixed.value * v.displayFactor, 10) << v.unit << (rounded ? "" : " (Wert beibehalten)")
         << std::endl;
    return fixed;
  }

  // A coil gets a winding resistance that exists: the listed coil's, or the
  // one it had at the start of the run (its optimised resistance may be as
  // low as the variable's lower bound, which no real coil has).
  CrossoverPart FixCoil(const OptimizerVariable& v, const CrossoverPart& part) {
    CrossoverPart fixed = part;
    std::string how;
    const LibraryEntry* listed = coilList_ != nullptr ? NearestCoil(*coilList_, part.value) : nullptr;
    if (listed != nullptr) {
      const LibraryChoice choice = ChooseLibraryEntry(LibraryPage::Coils, *listed);
      fixed.value = choice.value * 1e-3;
      fixed.resistance = choice.resistance;
      fixed.note = choice.designation;
      how = " aus der Spulenliste: " + listed->text;
    } else {
      if (const std::optional<CrossoverPart> rounded = FixPartByRule(part, rules_)) fixed = *rounded;
      fixed.resistance = StartPart(v).resistance;
      how = std::string(fixed.value == part.value ? " (Wert beibehalten)" : "") +
            ", Wicklungswiderstand wie zu Beginn: " + FormatNumber(fixed.resistance, 10) + " Ohm";
    }
    out_ << "Bauteil festgelegt: Verstärker " << v.amplifier + 1 << ", " << v.label
         << FormatNumber(fixed.value * v.displayFactor, 10) << v.unit << how << std::endl;
    return fixed;
  }

  bool WasFixed(const OptimizerVariable& v) const { return fixed_.count({v.amplifier, v.slot}) > 0; }

  // The end message follows the run: it compares the saved crossover with
  // the start (RunOptimizeCommand).
  void Success() override {}
  void Failure(const std::string& message) override { err_ << TerminalText(message) << std::endl; }

 private:
  const CrossoverPart& StartPart(const OptimizerVariable& v) const {
    return start_.amplifiers.at(static_cast<std::size_t>(v.amplifier)).crossover.at(static_cast<std::size_t>(v.slot));
  }

  std::ostream& out_;
  std::ostream& err_;
  PartFixRules rules_;
  const Project& start_;
  const std::vector<LibraryEntry>* coilList_;  // null: coils by the rule
  std::set<std::pair<int, int>> fixed_;        // amplifier and slot of every part fixed
  int lastTenth_ = -1;
  int reports_ = 0;
};

bool InRange(int v, int lo, int hi) { return v >= lo && v <= hi; }

}  // namespace

int RunOptimizeCommand(const OptimizeOptions& o, std::ostream& out, std::ostream& err) {
  // Options.
  PartFixRules rules;
  const auto resistors = ParseFixChoice(o.resistors, true);
  const auto capacitors = ParseFixChoice(o.capacitors, true);
  std::string coilText = o.coils;
  std::transform(coilText.begin(), coilText.end(), coilText.begin(), [](unsigned char c) { return std::tolower(c); });
  const bool coilsFromList = coilText == "list";
  const auto coils = coilsFromList ? std::optional<FixChoice>(FixChoice::Manual) : ParseFixChoice(o.coils, false);
  if (!resistors) err << "Ungültige Angabe für --resistors: " << o.resistors << " (e6, e12 oder keep)\n";
  if (!capacitors) err << "Ungültige Angabe für --capacitors: " << o.capacitors << " (e6, e12 oder keep)\n";
  if (!coils) err << "Ungültige Angabe für --coils: " << o.coils << " (list, e12 oder keep)\n";
  bool ok = resistors && capacitors && coils;
  const struct {
    const char* flag;
    int value, lo, hi;
  } ranges[] = {{"--bass", o.bass, 0, 6},
                {"--treble", o.treble, 0, 6},
                {"--zmin", o.zmin, 0, 8},
                {"--efficiency", o.efficiency, 0, 6},
                {"--pause", o.pauseMs, 0, 60000}};
  for (const auto& r : ranges) {
    if (InRange(r.value, r.lo, r.hi)) continue;
    err << "Ungültige Angabe für " << r.flag << ": " << r.value << " (" << r.lo << " bis " << r.hi << ")\n";
    ok = false;
  }
  if (o.project.empty()) {
    err << "Keine Projektdatei angegeben.\n";
    ok = false;
  }
  if (o.out.empty()) {
    err << "Keine Ausgabedatei angegeben (--out).\n";
    ok = false;
  }
  if (!ok) return kOptimizeBadInput;
  rules.resistors = *resistors;
  rules.capacitors = *capacitors;
  rules.coils = *coils;

  // The settings and the project, loaded as `calc` loads them. Without a data
  // folder no settings file is read and the folders lie below the project's.
  auto p = MakeNewProject();
  ConsoleInteraction ui(err);
  Settings settings = MakeSettings(o.dataFolder.empty() ? o.project.parent_path() : o.dataFolder);
  if (!o.dataFolder.empty()) LoadSettings(settings, &ui);
  ProjectLoadResult load{};
  try {
    load = LoadProjectFile(*p, o.project, settings, ui);
  } catch (const FileError& e) {
    err << TerminalText(e.what()) << "\n";
    return kOptimizeBadInput;
  }
  if (load == ProjectLoadResult::Missing) {
    err << "Projektdatei nicht gefunden: " << o.project.string() << "\n";
    return kOptimizeBadInput;
  }
  if (load == ProjectLoadResult::Defaults) {
    err << "Die Projektdatei ist leer: " << Utf8FromPath(o.project) << "\n";
    return kOptimizeBadInput;
  }
  if (load != ProjectLoadResult::Loaded) {  // the loader has shown its message
    err << "Projekt nicht geladen: " << Utf8FromPath(o.project) << "\n";
    return kOptimizeBadInput;
  }

  // What the optimizer window checks before a run.
  if (CountMarkedParts(*p) == 0) {
    err << "Es wurden keine Bauteile zur Optimierung markiert.\n";
    return kOptimizeFailed;
  }
  // Missing chassis data is a reason in the project, like a calculation
  // error: the file itself was read.
  if (const auto message = CheckChassisData(*p)) {
    err << TerminalText(*message) << "\n";
    return kOptimizeFailed;
  }

  // The start crossover must compute without errors.
  CalcThread calc(nullptr, true, std::chrono::milliseconds(0));
  calc.StartFullCalc(*p);
  calc.ComputeUntilDone();
  const CalcReport status = StatusReport(calc.States(), p->ampCount, p->chassisCount);
  if (status.errors != 0) {
    err << "Berechnung fehlerhaft.\n";
    for (const std::string& line : status.lines) err << TerminalText(line) << "\n";
    return kOptimizeFailed;
  }

  // The coil list, when a marked coil will have to be fixed from it.
  const std::vector<OptimizerVariable> vars = CollectOptimizerVariables(*p);
  std::vector<LibraryEntry> coilList;
  const bool coilMarked =
      std::any_of(vars.begin(), vars.end(), [](const OptimizerVariable& v) { return v.coilResistance; });
  if (coilsFromList && coilMarked) {
    const std::filesystem::path listFile =
        o.coilList.empty() ? settings.partsFolder / PathFromUtf8(kDefaultCoilList) : o.coilList;
    try {
      PartsLibrary lib;
      AddLibraryText(lib, ReadWholeFile(listFile));
      coilList = std::move(lib.coils);
    } catch (const FileError& e) {
      err << TerminalText(e.what()) << "\n";
      return kOptimizeBadInput;
    }
    if (NearestCoil(coilList, 1e-3) == nullptr) {
      err << "Die Spulenliste enthält keine Spule: " << Utf8FromPath(listFile) << "\n";
      return kOptimizeBadInput;
    }
  }

  out << "Zu optimierende Werte: " << vars.size() << std::endl;
  OptimizerConsoleHost host(out, err, rules, *p, coilsFromList ? &coilList : nullptr);
  OptimizerThread optimizer(&host, std::chrono::milliseconds(o.pauseMs));
  OptimizerSliders sliders;
  sliders.zmin = o.zmin;
  sliders.efficiency = o.efficiency;
  sliders.bass = o.bass;
  sliders.treble = o.treble;
  const OptimizerParams params = OptimizerParamsFromSliders(sliders);
  optimizer.StartRun(*p, calc.Result(), calc.States(), params);
  optimizer.WaitIdle();
  if (optimizer.LastOutcome() != OptimizerOutcome::Finished) return kOptimizeFailed;

  // A run that ends with steps at their lower bounds leaves parts unfixed;
  // the marked coils are fixed all the same, so that none keeps an
  // optimised winding resistance.
  auto best = std::make_unique<Project>(optimizer.BestProject());
  bool fixedAfterRun = false;
  for (const OptimizerVariable& v : vars) {
    if (v.coilResistance || host.WasFixed(v)) continue;
    CrossoverPart& part =
        best->amplifiers.at(static_cast<std::size_t>(v.amplifier)).crossover.at(static_cast<std::size_t>(v.slot));
    if (part.type == PartInductor) {
      part = host.FixCoil(v, part);
      fixedAfterRun = true;
    }
  }

  // The end message compares the crossover that is saved with the start.
  // Coils fixed after the run change it: it is graded once more.
  double endGrade = optimizer.BestGrades()[GradeTotal];
  if (fixedAfterRun) {
    CalcThread last(nullptr, true, std::chrono::milliseconds(0));
    last.Adopt(optimizer.BestProject(), optimizer.BestResult(), optimizer.BestStates());
    last.optimizerParams = params;
    last.StartCalc(*best);
    last.ComputeUntilDone();
    const CalcReport lastStatus = StatusReport(last.States(), best->ampCount, best->chassisCount);
    out << "Ergebnisse nach Festlegen der Spulen\n";
    for (const std::string& line : GradeReportLines(last.Grades())) out << line << "\n";
    out << std::endl;
    // A crossover that no longer computes is worse than any start.
    endGrade = lastStatus.errors == 0 ? last.Grades()[GradeTotal] : std::nan("");
  }
  const double startGrade = optimizer.StartGrades()[GradeTotal];
  out << OptimizerEndText(startGrade, endGrade) << std::endl;
  // Without anyone to ask, the answer the desktop program proposes: a result
  // worse than the start is not saved, the start values are.
  const bool keepStart = JudgeOptimizerEnd(startGrade, endGrade) == OptimizerEndVerdict::Worse;
  if (keepStart) out << "Gespeichert werden die Startwerte." << std::endl;

  try {
    SaveProject(keepStart ? *p : *best, o.out);
  } catch (const FileError& e) {
    err << TerminalText(e.what()) << "\n";
    return kOptimizeBadInput;
  }
  out << "Gespeichert: " << o.out.string() << std::endl;
  return kOptimizeOk;
}

}  // namespace sonvex
