#include "model/result_export.h"

#include <algorithm>
#include <cmath>

#include "model/file_io.h"
#include "model/number_text.h"
#include "model/result.h"
#include "numeric/complex.h"

namespace sonvex {

namespace {

constexpr double kRadToDeg = 57.295827908797776;  // 180 / 3.1415926
constexpr std::string_view kCrLf = "\r\n";

// Level in dB of a complex value; sound pressures get the 112 dB of the
// pressure scale added.
double LevelDb(TComplex s, bool pressure) { return 20 * std::log10(CAbs(s) + 1e-50) + (pressure ? 112 : 0); }

TComplex ExportValue(const TResult& r, TExportKind kind, int c, int i) {
  switch (kind) {
    case TExportKind::Box:
      return r.BoxP[i][0];
    case TExportKind::Chassis:
      return CAdd(r.ContribFront[c][i][0], r.ContribRear[c][i][0]);
    case TExportKind::Signal: {
      const int u = r.AmpOfChassis[c];
      // A chassis without an amplifier gets no signal.
      if (u < 0 || u >= kMaxAmps) return CZero;
      return CMul(r.ChassisU[c][i], r.FilterResp[u][i]);
    }
  }
  return CZero;
}

}  // namespace

std::string_view ExportButtonCaption(TExportKind kind) {
  switch (kind) {
    case TExportKind::Box:
      return "Gesamtfrequenzgang der Box auf Achse exportieren";
    case TExportKind::Chassis:
      return "Frequenzgang eines Chassis auf Achse mit Schallwand und Gehäuseeinfluss exportieren";
    case TExportKind::Signal:
      return "Frequenzgang des elektrischen Signals an einem Chassis exportieren";
  }
  return {};
}

std::string ExportTitle(TExportKind kind, int chassis) {
  const std::string n = std::to_string(chassis + 1);
  switch (kind) {
    case TExportKind::Box:
      return "# Gesamtfrequenzgang der Box auf Achse";
    case TExportKind::Chassis:
      return "# Frequenzgang Chassis " + n + " auf Achse incl. Frequenzweichen- und Schallwandeinfluß";
    case TExportKind::Signal:
      return "# Frequenzgang elektrisches Signal an Chassis " + n + " (0dB = 2,83V)";
  }
  return {};
}

std::string ExportText(const TResult& r, TExportKind kind, int chassis) {
  const int c = std::clamp(chassis, 0, kChassisSlots - 1);
  const bool pressure = kind != TExportKind::Signal;
  std::string out = ExportTitle(kind, c);
  out += kCrLf;
  out += "# Frequenz[Hz]\tAmpl.[dB]\tPhase[°]";
  out += kCrLf;
  for (int i = 0; i < kFreqEntries && r.freq[i] > 0; ++i) {
    const TComplex s = ExportValue(r, kind, c, i);
    out += FormatNumber(r.freq[i], 6);
    out += '\t';
    out += FormatNumber(LevelDb(s, pressure), 6);
    out += '\t';
    out += FormatNumber(CPhase(s) * kRadToDeg, 6);
    out += kCrLf;
  }
  return out;
}

std::optional<int> ChooseExportChassis(const TResult& r, TExportKind kind, TInteraction& ui) {
  if (kind == TExportKind::Box) return 0;
  // A result never holds more than eight chassis; the limit keeps a damaged
  // count from offering slots that do not exist.
  const int n = ChassisInUse(r);
  int c = 0;
  if (n >= 2) {
    std::string captions;
    for (int k = 1; k <= n; ++k) captions += std::to_string(k) + "|";
    captions += "Abbruch";
    const std::string_view question =
        kind == TExportKind::Signal ? "Signal für welches Chassis?" : "Frequenzgang für welches Chassis?";
    const int answer = ui.ChooseButton(question, captions, n + 1);
    if (answer < 1 || answer > n) return std::nullopt;
    c = answer - 1;
  }
  if (kind == TExportKind::Signal && (r.AmpOfChassis[c] < 0 || r.AmpOfChassis[c] >= kMaxAmps)) {
    ui.ShowMessage("Das Chassis ist in keiner Frequenzweiche angeschlossen. Ausgabe nicht sinnvoll.");
    return std::nullopt;
  }
  return c;
}

std::optional<std::filesystem::path> ExportResult(const TResult& r, TExportKind kind, TInteraction& ui,
                                                  const std::filesystem::path& folder) {
  const auto chassis = ChooseExportChassis(r, kind, ui);
  if (!chassis) return std::nullopt;
  auto file = ui.PickSaveFile(kExportCaption, kExportFilter, folder, "");
  if (!file) return std::nullopt;
  // The save dialog's default extension.
  if (!file->has_extension()) file->replace_extension("exp");
  const std::string text = ExportText(r, kind, *chassis);
  try {
    WriteFileAtomically(*file, text);
  } catch (const std::exception& e) {
    ui.ShowMessage(e.what());
    return std::nullopt;
  }
  return file;
}

}  // namespace sonvex
