#include "app/optimize_command.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <memory>
#include <optional>
#include <ostream>

#include "calc/calc_thread.h"
#include "calc/check.h"
#include "calc/file_load.h"
#include "model/interaction.h"
#include "model/my_ini_file.h"
#include "model/number_text.h"
#include "model/project_file.h"
#include "model/settings.h"
#include "optimizer/opti_preconditions.h"
#include "optimizer/optimizer.h"

namespace sonvex {

namespace {

std::optional<TFixChoice> ParseFixChoice(std::string text, bool allowE6) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  if (text == "keep") return TFixChoice::Manual;
  if (text == "e12") return TFixChoice::E12;
  if (text == "e6" && allowE6) return TFixChoice::E6;
  return std::nullopt;
}

// Prints what the optimizer reports. Runs on the optimizer thread while the
// command waits for the run to end, so the streams are not shared.
class TCommandHost : public TOptiHost {
 public:
  TCommandHost(std::ostream& out, std::ostream& err, const TFixRules& rules) : out_(out), err_(err), rules_(rules) {}

  void Progress(int perMille) override {
    // One line per tenth reached, not one per trial.
    if (perMille < 0 || perMille / 100 == lastTenth_) return;
    lastTenth_ = perMille / 100;
    out_ << "Fortschritt: " << perMille / 10 << " %" << std::endl;
  }

  void GradeReport(const TGrades& grades, const TResult&) override {
    out_ << (reports_ == 0 ? "Ergebnisse vor Optimierung" : "Ergebnisse nach Optimierung") << "\n";
    for (const std::string& line : GradeReportLines(grades)) out_ << line << "\n";
    out_ << std::endl;
    ++reports_;
    lastTenth_ = -1;
  }

  TWPart FixPart(const TOptiValue& v, const TWPart& part) override {
    const std::optional<TWPart> rounded = FixPartByRule(part, rules_);
    const TWPart fixed = rounded ? *rounded : part;
    out_ << "Bauteil festgelegt: Verstärker " << v.amplifier + 1 << ", " << v.label
         << FormatNumber(fixed._value * v.displayFactor, 10) << v.unit << (rounded ? "" : " (Wert beibehalten)")
         << std::endl;
    return fixed;
  }

  void Success() override { out_ << kOptiSuccessText << std::endl; }
  void Failure(const std::string& message) override { err_ << TerminalText(message) << std::endl; }

 private:
  std::ostream& out_;
  std::ostream& err_;
  TFixRules rules_;
  int lastTenth_ = -1;
  int reports_ = 0;
};

bool InRange(int v, int lo, int hi) { return v >= lo && v <= hi; }

}  // namespace

int RunOptimizeCommand(const TOptimizeOptions& o, std::ostream& out, std::ostream& err) {
  // Options.
  TFixRules rules;
  const auto resistors = ParseFixChoice(o.resistors, true);
  const auto capacitors = ParseFixChoice(o.capacitors, true);
  const auto coils = ParseFixChoice(o.coils, false);
  if (!resistors) err << "Ungültige Angabe für --resistors: " << o.resistors << " (e6, e12 oder keep)\n";
  if (!capacitors) err << "Ungültige Angabe für --capacitors: " << o.capacitors << " (e6, e12 oder keep)\n";
  if (!coils) err << "Ungültige Angabe für --coils: " << o.coils << " (e12 oder keep)\n";
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

  // The project. The command-line program reads no settings file, so loaded
  // projects keep their own display options and grid.
  auto p = MakeNewProject();
  TConsoleInteraction ui(err);
  const TSettings settings = MakeSettings(o.project.parent_path());
  TProjectLoad load{};
  try {
    load = LoadProjectFile(*p, o.project, settings, ui);
  } catch (const TFileError& e) {
    err << TerminalText(e.what()) << "\n";
    return kOptimizeBadInput;
  }
  if (load == TProjectLoad::Missing) {
    err << "Projektdatei nicht gefunden: " << o.project.string() << "\n";
    return kOptimizeBadInput;
  }
  if (load != TProjectLoad::Loaded) return kOptimizeBadInput;

  // What the optimizer window checks before a run.
  if (CountMarkedParts(*p) == 0) {
    err << "Es wurden keine Bauteile zur Optimierung markiert.\n";
    return kOptimizeFailed;
  }
  if (const auto message = CheckChassisData(*p)) {
    err << TerminalText(*message) << "\n";
    return kOptimizeBadInput;
  }

  // The start crossover must compute without errors.
  TCalcThread calc(nullptr, true, std::chrono::milliseconds(0));
  calc.StartFullCalc(*p);
  calc.ComputeUntilDone();
  const TStatusReport status = StatusReport(calc.States(), p->nAmps, p->nChassis);
  if (status.errors != 0) {
    err << "Berechnung fehlerhaft.\n";
    for (const std::string& line : status.lines) err << TerminalText(line) << "\n";
    return kOptimizeFailed;
  }

  out << "Zu optimierende Werte: " << CollectOptiValues(*p).size() << std::endl;
  TCommandHost host(out, err, rules);
  TOptiThread opti(&host, std::chrono::milliseconds(o.pauseMs));
  TOptiSliders sliders;
  sliders.zmin = o.zmin;
  sliders.efficiency = o.efficiency;
  sliders.bass = o.bass;
  sliders.treble = o.treble;
  opti.StartRun(*p, calc.Result(), calc.States(), OptiParamsFromSliders(sliders));
  opti.WaitIdle();
  if (opti.LastOutcome() != TOptiOutcome::Finished) return kOptimizeFailed;

  try {
    SaveProject(opti.BestProject(), o.out);
  } catch (const TFileError& e) {
    err << TerminalText(e.what()) << "\n";
    return kOptimizeBadInput;
  }
  out << "Gespeichert: " << o.out.string() << std::endl;
  return kOptimizeOk;
}

}  // namespace sonvex
