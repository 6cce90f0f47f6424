#include "model/result_export.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <numbers>

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
double LevelDb(Complex s, bool pressure) { return 20 * std::log10(CAbs(s) + 1e-50) + (pressure ? 112 : 0); }

Complex ExportValue(const CalcResult& r, ExportKind kind, int c, int i) {
  switch (kind) {
    case ExportKind::Box:
      return r.boxPressure[i][0];
    case ExportKind::Chassis:
      return CAdd(r.contributionFront[c][i][0], r.contributionRear[c][i][0]);
    case ExportKind::Signal: {
      const int u = r.ampOfChassis[c];
      // A chassis without an amplifier gets no signal.
      if (u < 0 || u >= kMaxAmps) return kComplexZero;
      return CMul(r.chassisVoltageGain[c][i], r.filterResponse[u][i]);
    }
  }
  return kComplexZero;
}

}  // namespace

std::string_view ExportButtonCaption(ExportKind kind) {
  switch (kind) {
    case ExportKind::Box:
      return "Gesamtfrequenzgang der Box auf Achse exportieren";
    case ExportKind::Chassis:
      return "Frequenzgang eines Chassis auf Achse mit Schallwand und Gehäuseeinfluss exportieren";
    case ExportKind::Signal:
      return "Frequenzgang des elektrischen Signals an einem Chassis exportieren";
  }
  return {};
}

std::string ExportTitle(ExportKind kind, int chassis) {
  const std::string n = std::to_string(chassis + 1);
  switch (kind) {
    case ExportKind::Box:
      return "# Gesamtfrequenzgang der Box auf Achse";
    case ExportKind::Chassis:
      return "# Frequenzgang Chassis " + n + " auf Achse incl. Frequenzweichen- und Schallwandeinfluß";
    case ExportKind::Signal:
      return "# Frequenzgang elektrisches Signal an Chassis " + n + " (0dB = 2,83V)";
  }
  return {};
}

std::string ExportText(const CalcResult& r, ExportKind kind, int chassis) {
  const int c = std::clamp(chassis, 0, kChassisSlots - 1);
  const bool pressure = kind != ExportKind::Signal;
  std::string out = ExportTitle(kind, c);
  out += kCrLf;
  out += "# Frequenz[Hz]\tAmpl.[dB]\tPhase[°]";
  out += kCrLf;
  for (int i = 0; i < kFreqEntries && r.freq[i] > 0; ++i) {
    const Complex s = ExportValue(r, kind, c, i);
    const double level = LevelDb(s, pressure);
    const double phase = CPhase(s) * kRadToDeg;
    // A point that cannot be written as numbers is left out, so that every
    // line holds all three columns.
    if (!std::isfinite(level) || !std::isfinite(phase)) continue;
    out += FormatNumber(r.freq[i], 6);
    out += '\t';
    out += FormatNumber(level, 6);
    out += '\t';
    out += FormatNumber(phase, 6);
    out += kCrLf;
  }
  return out;
}

namespace {

// The largest magnitude the fixed-point columns hold. Beyond it the digits
// before the point outnumber those a double carries, and the values that get
// there are the markers of an open circuit (1e99, 1e100 Ohm) rather than
// anything measured; such points are left out like non-finite ones.
constexpr double kFixedLimit = 1e15;

// A number with a decimal point whatever the locale, `decimals` places;
// false (and nothing appended) when it is not finite or beyond kFixedLimit.
bool AppendFixed(std::string& out, double x, int decimals) {
  if (!(std::fabs(x) < kFixedLimit)) return false;
  std::array<char, 64> buf{};
  const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), x, std::chars_format::fixed, decimals);
  if (res.ec != std::errc()) return false;
  out.append(buf.data(), res.ptr);
  return true;
}

// One "frequency magnitude phase" line of an FRD or ZMA file. A point that
// cannot be written as numbers is left out: other programs stop reading at a
// "nan" or "inf", and a line without its magnitude would make them read the
// phase as the magnitude.
void AppendCurveLine(std::string& out, double f, double magnitude, double phase) {
  std::string line;
  if (!AppendFixed(line, f, 4)) return;
  line += ' ';
  if (!AppendFixed(line, magnitude, 4)) return;
  line += ' ';
  if (!AppendFixed(line, phase, 3)) return;
  out += line;
  out += kCrLf;
}

std::string CurveText(const CalcResult& r, const std::string& header, const auto& valueAt, bool pressure) {
  std::string out = header;
  for (int i = 0; i < kFreqEntries && r.freq[i] > 0; ++i) {
    const Complex s = valueAt(i);
    const double magnitude = pressure ? LevelDb(s, true) : CAbs(s);
    // The full four-quadrant angle: a purely imaginary value is +-90 degrees
    // here, as the programs that read these files expect.
    // (Adding 0 turns a negative zero into a plain 0.)
    const double phase = std::atan2(s.im, s.re) * (180.0 / std::numbers::pi) + 0.0;
    AppendCurveLine(out, r.freq[i], magnitude, phase);
  }
  return out;
}

std::string CommentLine(std::string_view text) {
  std::string line = "* ";
  line += text;
  line += kCrLf;
  return line;
}

}  // namespace

std::string FrdText(const CalcResult& r, int chassis, std::string_view projectName) {
  const bool box = chassis < 0;
  const int c = std::clamp(chassis, 0, kChassisSlots - 1);
  std::string header = CommentLine(std::string("Sonvex-Projekt: ") + std::string(projectName));
  header += CommentLine(box ? "Gesamtfrequenzgang der Box auf Achse"
                            : "Frequenzgang Chassis " + std::to_string(c + 1) + " (" + r.chassisName[c].Str() +
                                  ") auf Achse mit Weiche, Schallwand und Gehäuse");
  header += CommentLine("Frequenz[Hz] Pegel[dB SPL, 2,83V/1m] Phase[Grad]");
  return CurveText(
      r, header, [&](int i) { return ExportValue(r, box ? ExportKind::Box : ExportKind::Chassis, c, i); }, true);
}

std::string FrdLevelText(const std::vector<double>& freq, const std::vector<double>& levelDb,
                         std::string_view projectName, std::string_view curveTitle) {
  return FrdCurveText(freq, levelDb, {}, projectName, curveTitle);
}

std::string FrdCurveText(const std::vector<double>& freq, const std::vector<double>& levelDb,
                         const std::vector<double>& phaseDegrees, std::string_view projectName,
                         std::string_view curveTitle) {
  std::string out = CommentLine(std::string("Sonvex-Projekt: ") + std::string(projectName));
  out += CommentLine(curveTitle);
  out += CommentLine("Frequenz[Hz] Pegel[dB SPL, 2,83V/1m] Phase[Grad]");
  const std::size_t n = std::min(freq.size(), levelDb.size());
  for (std::size_t i = 0; i < n && freq[i] > 0; ++i)
    AppendCurveLine(out, freq[i], levelDb[i], i < phaseDegrees.size() ? phaseDegrees[i] : 0.0);
  return out;
}

std::string ZmaText(const CalcResult& r, int amp, std::string_view projectName) {
  const int a = std::clamp(amp, 0, kMaxAmps - 1);
  std::string header = CommentLine(std::string("Sonvex-Projekt: ") + std::string(projectName));
  header += CommentLine("Impedanz an Verstärker " + std::to_string(a + 1));
  header += CommentLine("Frequenz[Hz] Betrag[Ohm] Phase[Grad]");
  // The solver's sign conventions make ampImpedance the negative of the impedance
  // the amplifier sees; the file holds the impedance itself.
  return CurveText(
      r, header,
      [&](int i) {
        return Complex{-r.ampImpedance[a][i].re, -r.ampImpedance[a][i].im};
      },
      false);
}

std::optional<int> ChooseExportChassis(const CalcResult& r, ExportKind kind, Interaction& ui) {
  if (kind == ExportKind::Box) return 0;
  // A result never holds more than eight chassis; the limit keeps a damaged
  // count from offering slots that do not exist.
  const int n = ChassisInUse(r);
  int c = 0;
  if (n >= 2) {
    std::string captions;
    for (int k = 1; k <= n; ++k) captions += std::to_string(k) + "|";
    captions += "Abbruch";
    const std::string_view question =
        kind == ExportKind::Signal ? "Signal für welches Chassis?" : "Frequenzgang für welches Chassis?";
    const int answer = ui.ChooseButton(question, captions, n + 1);
    if (answer < 1 || answer > n) return std::nullopt;
    c = answer - 1;
  }
  if (kind == ExportKind::Signal && (r.ampOfChassis[c] < 0 || r.ampOfChassis[c] >= kMaxAmps)) {
    ui.ShowMessage("Das Chassis ist in keiner Frequenzweiche angeschlossen. Ausgabe nicht sinnvoll.");
    return std::nullopt;
  }
  return c;
}

std::optional<std::filesystem::path> ExportResult(const CalcResult& r, ExportKind kind, Interaction& ui,
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
