#include "model/polar_import.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "model/file_io.h"
#include "model/measurement_import.h"
#include "model/my_ini_file.h"
#include "model/number_text.h"

namespace sonvex {

namespace {

// The value a number becomes when a chassis file keeps it.
double Stored(double x) { return DoubleOrZero(StrToFloatLenient(MyIniFile::FloatText(x))); }

std::vector<double> StoredValues(const std::vector<double>& v) {
  std::vector<double> out(v.size());
  std::transform(v.begin(), v.end(), out.begin(), Stored);
  return out;
}

std::string Quoted(std::string_view name) { return "\"" + std::string(name) + "\""; }

std::string HzText(double f) { return FormatNumber(f, 8) + " Hz"; }

bool IsLetter(char c) {
  const auto u = static_cast<unsigned char>(c);
  // Bytes of multi-byte UTF-8 characters count as letters: "Tieftöner" is one word.
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || u >= 0x80;
}

bool IsDigitChar(char c) { return c >= '0' && c <= '9'; }

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

std::optional<PolarPlane> PlaneMarker(std::string_view word) {
  const std::string w = Lower(word);
  if (w == "h" || w == "hor" || w == "horizontal") return PolarPlane::Horizontal;
  if (w == "v" || w == "ver" || w == "vert" || w == "vertical" || w == "vertikal") return PolarPlane::Vertical;
  return std::nullopt;
}

// Digits with an optional decimal part ("." or ",") from `pos`; its value.
std::optional<double> UnsignedNumber(std::string_view s, std::size_t pos, std::size_t& end) {
  std::size_t i = pos;
  while (i < s.size() && IsDigitChar(s[i])) ++i;
  if (i == pos) return std::nullopt;
  if (i + 1 < s.size() && (s[i] == '.' || s[i] == ',') && IsDigitChar(s[i + 1])) {
    ++i;
    while (i < s.size() && IsDigitChar(s[i])) ++i;
  }
  std::string text(s.substr(pos, i - pos));
  std::replace(text.begin(), text.end(), ',', '.');
  double v = 0;
  if (std::from_chars(text.data(), text.data() + text.size(), v).ec != std::errc()) return std::nullopt;
  end = i;
  return v;
}

// The signed number right after a marker ending at `pos`: blanks and "_"
// may stand between, a "+" or "-" directly before the digits is the sign.
std::optional<double> NumberAfter(std::string_view s, std::size_t pos) {
  while (pos < s.size() && (s[pos] == ' ' || s[pos] == '_')) ++pos;
  double sign = 1;
  if (pos < s.size() && (s[pos] == '-' || s[pos] == '+')) {
    sign = s[pos] == '-' ? -1 : 1;
    ++pos;
  }
  std::size_t end = 0;
  const auto v = UnsignedNumber(s, pos, end);
  if (!v) return std::nullopt;
  return sign * *v;
}

// The signed number right before a marker starting at `pos`: blanks, "_"
// and "-" may stand between; a "-" or "+" before the digits is a sign where
// it starts the name or follows a blank or "_".
std::optional<double> NumberBefore(std::string_view s, std::size_t pos) {
  std::size_t i = pos;
  while (i > 0 && (s[i - 1] == ' ' || s[i - 1] == '_' || s[i - 1] == '-')) --i;
  const std::size_t digitsEnd = i;
  while (i > 0 && (IsDigitChar(s[i - 1]) || s[i - 1] == '.' || s[i - 1] == ',')) --i;
  while (i < digitsEnd && !IsDigitChar(s[i])) ++i;  // a leading "." or "," is no part of the number
  if (i == digitsEnd) return std::nullopt;
  std::size_t end = 0;
  const auto v = UnsignedNumber(s, i, end);
  if (!v || end != digitsEnd) return std::nullopt;
  double sign = 1;
  if (i > 0 && (s[i - 1] == '-' || s[i - 1] == '+') && (i == 1 || s[i - 2] == ' ' || s[i - 2] == '_'))
    sign = s[i - 1] == '-' ? -1 : 1;
  return sign * *v;
}

}  // namespace

std::optional<PolarAngle> PolarAngleFromFileName(std::string_view fileName) {
  std::string_view s = fileName;
  if (const auto slash = s.find_last_of("/\\"); slash != std::string_view::npos) s.remove_prefix(slash + 1);
  // An extension holds a letter: "7.5" at the end of a name is an angle.
  if (const auto dot = s.rfind('.'); dot != std::string_view::npos) {
    const std::string_view ext = s.substr(dot + 1);
    if (std::any_of(ext.begin(), ext.end(), IsLetter)) s = s.substr(0, dot);
  }
  std::size_t i = 0;
  while (i < s.size()) {
    if (!IsLetter(s[i])) {
      ++i;
      continue;
    }
    const std::size_t start = i;
    while (i < s.size() && IsLetter(s[i])) ++i;
    const auto plane = PlaneMarker(s.substr(start, i - start));
    if (!plane) continue;
    auto angle = NumberAfter(s, i);
    if (!angle) angle = NumberBefore(s, start);
    if (angle) return PolarAngle{*plane, *angle};
  }
  return std::nullopt;
}

PolarFile PolarFileFromText(std::string_view fileName, std::string_view content) {
  PolarFile file;
  file.response.fileName = std::string(fileName);
  if (const auto a = PolarAngleFromFileName(fileName)) {
    file.response.plane = a->plane;
    file.response.angle = Stored(a->angle);
    file.named = true;
  }
  MeasurementPoints pts = ParseMeasurementText(content);
  if (pts.Size() == 0) {
    file.error = "Die Datei " + Quoted(fileName) + " enthält keine passenden Daten.";
    return file;
  }
  // As in the import of a single response: a phase column is there when it
  // holds any value but 0.
  const bool phase = std::any_of(pts.P.begin(), pts.P.end(), [](double p) { return p != 0; });
  if (pts.Size() >= kImportReducedPoints) ReduceMeasurementPoints(pts);
  file.response.freq = StoredValues(pts.F);
  file.response.level = StoredValues(pts.A);
  if (phase) file.response.phase = StoredValues(pts.P);
  return file;
}

PolarFile ReadPolarFile(const std::filesystem::path& path) {
  const std::string name = Utf8FromPath(path.filename());
  // A named pipe or a device would make the reading wait: refused at once.
  if (const std::string what = NotRegularFileText(path); !what.empty()) {
    PolarFile file;
    file.response.fileName = name;
    file.error = "Die Datei " + Quoted(name) + " kann nicht gelesen werden: " + what + ".";
    return file;
  }
  try {
    return PolarFileFromText(name, ReadWholeFile(path));
  } catch (const FileError&) {
    PolarFile file;
    file.response.fileName = name;
    file.error = "Die Datei " + Quoted(name) + " kann nicht gelesen werden.";
    return file;
  }
}

std::string CheckPolarFiles(const std::vector<PolarFile>& files, double fMin, double fMax) {
  for (const PolarFile& f : files) {
    const std::string name = Quoted(f.response.fileName);
    if (!f.error.empty()) return f.error;
    if (f.response.freq.empty()) return "Die Datei " + name + " enthält keine passenden Daten.";
    if (!f.named)
      return "Aus dem Dateinamen " + name +
             " lassen sich Ebene und Winkel nicht lesen. Der Name braucht \"hor\" oder \"ver\" (auch \"_H\", \"_V\", "
             "\"H\", \"V\") mit dem Winkel davor oder dahinter, z. B. \"Tieftöner hor -30.frd\" oder \"30_H.txt\".";
    const double a = f.response.angle;
    if (!(std::fabs(a) <= 180))
      return "Der Winkel der Datei " + name + " (" + PolarAngleText(a) + ") liegt nicht zwischen -180° und 180°.";
    const auto [lo, hi] = std::minmax_element(f.response.freq.begin(), f.response.freq.end());
    if (*hi < fMin || *lo > fMax)
      return "Die Frequenzen der Datei " + name + " (" + HzText(*lo) + " bis " + HzText(*hi) +
             ") liegen außerhalb des Frequenzbereichs des Projekts (" + HzText(fMin) + " bis " + HzText(fMax) + ").";
  }
  if (files.size() < 2)
    return "Ein Polardatensatz braucht mindestens zwei Dateien: die Messung auf Achse (0°) und mindestens eine "
           "unter einem anderen Winkel.";
  if (files.size() > static_cast<std::size_t>(kMaxPolarResponses))
    return "Ein Polardatensatz hat höchstens " + std::to_string(kMaxPolarResponses) + " Dateien.";
  for (std::size_t i = 0; i < files.size(); ++i)
    for (std::size_t j = i + 1; j < files.size(); ++j) {
      const PolarResponse& x = files[i].response;
      const PolarResponse& y = files[j].response;
      if (x.plane == y.plane && SamePolarAngle(x.angle, y.angle))
        return "Die Dateien " + Quoted(x.fileName) + " und " + Quoted(y.fileName) + " haben dieselbe Ebene (" +
               std::string(PlaneName(x.plane)) + ") und denselben Winkel (" + PolarAngleText(x.angle) +
               "). Jeder Winkel einer Ebene darf nur einmal vorkommen.";
    }
  if (std::none_of(files.begin(), files.end(), [](const PolarFile& f) { return f.response.angle == 0; }))
    return "Es fehlt die Messung auf Achse: keine Datei hat den Winkel 0°. Auf sie beziehen sich alle anderen "
           "Winkel.";
  return {};
}

PolarSet MakePolarSet(const std::vector<PolarFile>& files) {
  std::vector<PolarResponse> responses;
  responses.reserve(files.size());
  for (const PolarFile& f : files) {
    responses.push_back(f.response);
    responses.back().angle = Stored(f.response.angle);
  }
  return PolarSet(std::move(responses));
}

}  // namespace sonvex
