#include "model/measurement_import.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <limits>
#include <string>

#include "model/file_io.h"
#include "model/number_text.h"
#include "model/text_lines.h"
#include "numeric/constants.h"

namespace sonvex {

namespace {

constexpr double kDegToRad = kPiFile / 180;
constexpr double kReduceStartTolerance = 0.0025;
constexpr double kReduceToleranceStep = 0.00025;

constexpr std::string_view kIntroFrequency =
    "ASCII-Datei mit Frequenzgang importieren.\r\n"
    "Erwartet wird eine mit Tabulator, Semikolon oder Leerzeichen getrennte ASCII-Datei mit Frequenz, "
    "Amplitude [dB] und/oder Phase in einer Zeile. Dezimaltrenner darf \",\" oder \".\" sein, Tausendertrenner "
    "sind nicht erlaubt. E-Format wird ebenfalls akzeptiert, nachfolgende Einheiten und Leerzeichen werden "
    "ignoriert.\r\n"
    "Zeilen die nicht mit Leerzeichen, \"+\", \"-\", \".\", \",\" oder einer Ziffer beginnen werden gänzlich "
    "ignoriert. Amplitude wird in dB/2,83V/m erwartet und Phasenlage in Grad. 0 Grad bedeutet Membran ist beim "
    "positiven Spannungsmaximum am vorderen Auslenkungsmaximum.";

constexpr std::string_view kIntroImpedance =
    "ASCII-Datei mit Impedanzgang importieren.\r\n"
    "Erwartet wird eine mit Tabulator, Semikolon oder Leerzeichen getrennte ASCII-Datei mit Frequenz, "
    "Impedanz (Betrag) und/oder Phase in einer Zeile. Dezimaltrenner darf \",\" oder \".\" sein, "
    "Tausendertrenner sind nicht erlaubt. E-Format wird ebenfalls akzeptiert, nachfolgende Einheiten und "
    "Leerzeichen werden ignoriert.\r\n"
    "Zeilen die nicht mit Leerzeichen, \"+\", \"-\", \".\", \",\" oder einer Ziffer beginnen werden gänzlich "
    "ignoriert. Die Impedanz wird in Ohm (bzw. V/A) erwartet und Phasenlage in Grad. > 0 Grad = induktiv, < 0 "
    "Grad = kapazitives Verhalten.";

constexpr std::string_view kOneColumn = "Es wurde nur eine Datenspalte gefunden.\r\n";

// Which columns an import found, after the user's answer.
struct MeasurementColumns {
  bool level = false;  // A holds the level (or the impedance magnitude)
  bool phase = false;  // P holds the phase
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Mean of two phases in degrees; two phases of opposite sign more than 180°
// apart lie on both sides of ±180°, so their mean is taken across it.
double MergePhase(double a, double b) {
  double p = 0.5 * a + 0.5 * b;
  if (((a < 0 && b > 0) || (a > 0 && b < 0)) && std::fabs(a - b) > 180) {
    p += 180;
    if (p > 180) p -= 360;
  }
  return p;
}

// The arrays of one curve of the chassis.
struct CurveTarget {
  FreqArray* freq;
  FreqArray* value;
};

void StoreCurve(const CurveTarget& target, const std::vector<double>& f, const std::vector<double>& v, double factor) {
  // The reduction leaves fewer than 600 points, so the terminating 0 always
  // fits; entries after it are cleared so no part of an older curve remains.
  const std::size_t n = std::min<std::size_t>(f.size(), kMaxCurvePoints);
  target.freq->fill(0.0);
  target.value->fill(0.0);
  for (std::size_t i = 0; i < n; ++i) {
    (*target.freq)[i] = f[i];
    (*target.value)[i] = v[i] * factor;
  }
}

// One line of a measurement file into the working arrays (step 3 of the
// import). Used by the text and the file reader alike.
void AddMeasurementLine(MeasurementPoints& pts, std::string_view line) {
  if (pts.Size() >= kImportMaxPoints || !IsMeasurementLine(line)) return;
  const double f = ParseNextValue(line);
  if (!(f > 0)) return;
  const double a = ParseNextValue(line);
  const double p = ParseNextValue(line);
  // A number beyond the range of a double would spread infinities and NaNs
  // through the reduction and into the chassis model: such a line is skipped
  // like one without a usable frequency.
  if (!std::isfinite(f) || !std::isfinite(a) || !std::isfinite(p)) return;
  pts.F.push_back(f);
  pts.A.push_back(a);
  pts.P.push_back(p);
}

bool RunImport(MeasurementKind kind, Chassis& chassis, Interaction& ui, const std::filesystem::path& folder) {
  if (ui.ChooseButton(ImportIntroText(kind), "Ok|Abbruch", 1) != 1) return false;
  const std::string_view intro = ImportIntroText(kind);
  const auto file = ui.PickOpenFile(intro.substr(0, intro.find('\r')), ImportFileFilter(kind), folder);
  if (!file) return false;

  // A named pipe or a device would make the reading wait: refused at once.
  if (const std::string what = NotRegularFileText(*file); !what.empty()) {
    ui.ShowMessage("Die Datei \"" + file->filename().string() + "\" kann nicht gelesen werden: " + what + ".");
    return false;
  }
  std::ifstream in(*file, std::ios::binary);
  if (!in) {
    // The chosen file vanished or may not be read: say so instead of
    // reporting it as a file without data.
    ui.ShowMessage("Die Datei \"" + file->filename().string() + "\" kann nicht gelesen werden.");
    return false;
  }
  MeasurementPoints pts;
  ForEachTextLine(in, kImportMaxLineLength, [&pts](std::string_view line) {
    AddMeasurementLine(pts, line);
    return pts.Size() < kImportMaxPoints;
  });
  return ImportMeasurementPoints(kind, std::move(pts), chassis, ui);
}

}  // namespace

std::string_view ImportIntroText(MeasurementKind kind) {
  return kind == MeasurementKind::FrequencyResponse ? kIntroFrequency : kIntroImpedance;
}

std::string_view ImportFileFilter(MeasurementKind kind) {
  return kind == MeasurementKind::FrequencyResponse
             ? "*.asc; *.txt; *.frd; *.amp; *.oct|*.asc; *.txt; *.frd; *.amp; *.oct|*.*|*.*"
             : "*.asc; *.txt; *.zma; *.imp; *.oct|*.asc; *.txt; *.zma; *.imp; *.oct|*.*|*.*";
}

double ParseNextValue(std::string_view& text) {
  const ParsedFloat parsed = ParseFloat(text);
  const std::size_t consumed =
      std::min<std::size_t>(static_cast<std::size_t>(std::max(parsed.consumed, 0)), text.size());
  text.remove_prefix(consumed);
  std::size_t skip = 0;
  while (skip < text.size()) {
    const char c = text[skip];
    if (c == '\t' || c == ';' || c == '+' || c == '-' || IsDigit(c)) break;
    ++skip;
  }
  text.remove_prefix(skip);
  if (!text.empty() && (text.front() == ';' || text.front() == '\t')) text.remove_prefix(1);
  return NarrowToDouble(parsed.value);
}

bool IsMeasurementLine(std::string_view line) {
  if (line.size() < 4) return false;
  return std::string_view(" +-0123456789.,").find(line.front()) != std::string_view::npos;
}

MeasurementPoints ParseMeasurementText(std::string_view content) {
  MeasurementPoints pts;
  ForEachTextLine(content, kImportMaxLineLength, [&pts](std::string_view line) {
    AddMeasurementLine(pts, line);
    return pts.Size() < kImportMaxPoints;
  });
  return pts;
}

void ReduceMeasurementPoints(MeasurementPoints& pts) {
  // One walk goes from the top pair down; a merged point is never looked at
  // again in the same walk (the walk continues two indices lower), and the
  // points below the current pair are never moved. So each walk is done in
  // one pass that collects the kept points from the top instead of shifting
  // the arrays after every merge.
  double t = kReduceStartTolerance;
  std::vector<double> rf, ra, rp;  // kept points of a walk, from the top down
  while (pts.Size() >= kImportReducedPoints) {
    auto& F = pts.F;
    auto& A = pts.A;
    auto& P = pts.P;
    const long n = static_cast<long>(pts.Size());
    rf.clear();
    ra.clear();
    rp.clear();
    long top = n - 1;  // index of the point currently above point i
    long i = n - 2;
    while (i >= 1) {
      if (F[i] / F[top] <= 1 - t) {
        rf.push_back(F[top]);
        ra.push_back(A[top]);
        rp.push_back(P[top]);
        top = i;
        i -= 1;
      } else {
        rf.push_back(0.5 * F[i] + 0.5 * F[top]);
        ra.push_back(0.5 * A[i] + 0.5 * A[top]);
        rp.push_back(MergePhase(P[i], P[top]));
        top = i - 1;
        i -= 2;
      }
    }
    // Points 0..top were not touched by this walk.
    const std::size_t keep = static_cast<std::size_t>(top + 1);
    F.resize(keep);
    A.resize(keep);
    P.resize(keep);
    F.insert(F.end(), rf.rbegin(), rf.rend());
    A.insert(A.end(), ra.rbegin(), ra.rend());
    P.insert(P.end(), rp.rbegin(), rp.rend());
    t += kReduceToleranceStep;
  }
}

bool ImportMeasurementPoints(MeasurementKind kind, MeasurementPoints pts, Chassis& chassis, Interaction& ui) {
  const bool impedance = kind == MeasurementKind::Impedance;
  // Without any point there is no column to ask about: the user gets only
  // the message that the file holds no usable data.
  if (pts.Size() == 0) {
    ui.ShowMessage("Die Datei enthält keine passenden Daten.");
    return false;
  }

  MeasurementColumns cols;
  const bool anyPhase = std::any_of(pts.P.begin(), pts.P.end(), [](double p) { return p != 0; });
  if (anyPhase) {
    cols.level = true;
    cols.phase = true;
  } else {
    const bool guessPhase = std::any_of(pts.A.begin(), pts.A.end(), [](double a) { return a < 0 || a > 120; });
    const std::string_view levelName = impedance ? "Daten sind Impedanzgang" : "Daten sind Amplitudengang";
    const std::string_view phaseName = impedance ? "Daten sind elektrischer Phasengang" : "Daten sind Phasengang";
    std::string message(kOneColumn);
    std::string captions;
    if (guessPhase) {
      message += "Vermutlich handelt es sich um den Phasengang.";
      captions = std::string(phaseName) + "|" + std::string(levelName);
    } else {
      message += impedance ? "Vermutlich handelt es sich um den Impedanzgang."
                           : "Vermutlich handelt es sich um den Amplitudengang.";
      captions = std::string(levelName) + "|" + std::string(phaseName);
    }
    const int answer = ui.ChooseButton(message, captions, 1);
    const bool isPhase = answer == 2 ? !guessPhase : guessPhase;
    if (isPhase) {
      cols.phase = true;
      pts.P = pts.A;
    } else {
      cols.level = true;
    }
  }

  if (pts.Size() >= kImportReducedPoints) {
    ui.ShowMessage("Die Datei enthält " + std::to_string(pts.Size()) + " Datensätze. " + "Es werden max. " +
                   std::to_string(kImportReducedPoints) + "ausgesucht.");
    ReduceMeasurementPoints(pts);
  }

  const CurveTarget level = impedance ? CurveTarget{&chassis.measuredImpedanceFreq, &chassis.measuredImpedance}
                                      : CurveTarget{&chassis.measuredAmplitudeFreq, &chassis.measuredAmplitude};
  const CurveTarget phase = impedance
                                ? CurveTarget{&chassis.measuredElectricalPhaseFreq, &chassis.measuredElectricalPhase}
                                : CurveTarget{&chassis.measuredAcousticPhaseFreq, &chassis.measuredAcousticPhase};
  if (cols.level) StoreCurve(level, pts.F, pts.A, 1.0);
  if (cols.phase) StoreCurve(phase, pts.F, pts.P, kDegToRad);
  return true;
}

bool ImportFrequencyResponse(Chassis& chassis, Interaction& ui, const std::filesystem::path& folder) {
  return RunImport(MeasurementKind::FrequencyResponse, chassis, ui, folder);
}

bool ImportImpedanceResponse(Chassis& chassis, Interaction& ui, const std::filesystem::path& folder) {
  return RunImport(MeasurementKind::Impedance, chassis, ui, folder);
}

}  // namespace sonvex
