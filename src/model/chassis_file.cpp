#include "model/chassis_file.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <limits>
#include <memory>
#include <span>
#include <system_error>
#include <tuple>
#include <vector>

#include "model/interaction.h"
#include "model/key_io.h"
#include "model/my_ini_file.h"
#include "model/number_text.h"
#include "numeric/constants.h"

namespace sonvex {

namespace fs = std::filesystem;

namespace {

// Number of leading frequencies greater than 0 (at most the 600 a curve holds).
int CurvePoints(const FreqArray& f) {
  int n = 0;
  while (n < kMaxCurvePoints && f[static_cast<std::size_t>(n)] > 0) ++n;
  return n;
}

// Radians to degrees with three decimals, rounded half to even.
double PhaseToFile(double p) { return std::nearbyint(p * 180000.0 / kPiFile) / 1000.0; }

void WriteCurve(MyIniFile& ini, std::string_view section, std::string_view freqKey, std::string_view valueKey,
                const FreqArray& f, const FreqArray& v, bool phase) {
  const int n = CurvePoints(f) + 1;  // with the terminating 0
  ini.WriteFloatArray(section, freqKey, f, 0, n);
  if (!phase) {
    ini.WriteFloatArray(section, valueKey, v, 0, n);
    return;
  }
  FreqArray deg{};
  for (int i = 0; i < n; ++i) deg[static_cast<std::size_t>(i)] = PhaseToFile(v[static_cast<std::size_t>(i)]);
  ini.WriteFloatArray(section, valueKey, deg, 0, n);
}

// Reads a frequency and a value array of at most 600 elements and ends the
// curve with a 0 frequency at the index equal to the number read. Returns
// that number.
int ReadCurve(const MyIniFile& ini, std::string_view section, std::string_view freqKey, std::string_view valueKey,
              FreqArray& f, FreqArray& v) {
  const int n = ini.ReadFloatArray(section, freqKey, f, 0, kMaxCurvePoints);
  ini.ReadFloatArray(section, valueKey, v, 0, kMaxCurvePoints);
  f[static_cast<std::size_t>(n)] = 0.0;
  return n;
}

void DegreesToRadians(FreqArray& v, int n) {
  for (int i = 0; i < n; ++i) v[static_cast<std::size_t>(i)] = v[static_cast<std::size_t>(i)] * kPiFile / 180.0;
}

bool LaterDate(const Date& a, const Date& b) {
  return std::tie(a.year, a.month, a.day) > std::tie(b.year, b.month, b.day);
}

bool HasChassisExtension(const fs::path& p) {
  std::string ext = Utf8FromPath(p.extension());
  for (char& ch : ext) ch = (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch;
  return ext == ".ZCH";
}

}  // namespace

bool ChassisFileVersionAccepted(int version) {
  return (version >= 1000 && version <= 1002) || (version >= 1103 && version <= 1108);
}

namespace {

int CurveKeys(KeyWriter& io, std::string_view freqKey, std::string_view valueKey, const FreqArray& f,
              const FreqArray& v, bool phase) {
  WriteCurve(io.Ini(), io.Section(), freqKey, valueKey, f, v, phase);
  return 0;
}

int CurveKeys(KeyReader& io, std::string_view freqKey, std::string_view valueKey, FreqArray& f, FreqArray& v,
              bool /*phase: converted after reading, by version*/) {
  return ReadCurve(io.Ini(), io.Section(), freqKey, valueKey, f, v);
}

// The polar set: "PolarAnz" responses, each under "Polar<i>Ebene" (0
// horizontal, 1 vertical), "Polar<i>Winkel" (degrees), "Polar<i>Datei" and the
// float arrays "Polar<i>F" (Hz), "Polar<i>A" (dB) and, with phase,
// "Polar<i>P" (degrees), one element per point. A chassis without a set
// writes none of them.
std::string PolarKey(int i, std::string_view what) { return "Polar" + std::to_string(i) + std::string(what); }

void PolarKeys(KeyWriter& io, const Chassis& c) {
  const auto& rs = c.polar.Responses();
  if (rs.empty()) return;
  MyIniFile& ini = io.Ini();
  const std::string_view s = io.Section();
  io.Int("PolarAnz", static_cast<std::int32_t>(rs.size()), 0);
  for (int i = 1; i <= static_cast<int>(rs.size()); ++i) {
    const PolarResponse& r = rs[static_cast<std::size_t>(i - 1)];
    io.Int(PolarKey(i, "Ebene"), static_cast<std::int32_t>(r.plane), 0);
    io.Float(PolarKey(i, "Winkel"), r.angle, 0);
    io.Text(PolarKey(i, "Datei"), r.fileName, "");
    const int n = static_cast<int>(r.freq.size());
    ini.WriteFloatArray(s, PolarKey(i, "F"), r.freq, 0, n);
    ini.WriteFloatArray(s, PolarKey(i, "A"), r.level, 0, n);
    if (r.HasPhase()) ini.WriteFloatArray(s, PolarKey(i, "P"), r.phase, 0, n);
  }
}

void PolarKeys(KeyReader& io, Chassis& c) {
  std::int32_t count = 0;
  io.Int("PolarAnz", count, 0);
  count = std::clamp<std::int32_t>(count, 0, kMaxPolarResponses);
  std::vector<PolarResponse> responses;
  const MyIniFile& ini = io.Ini();
  const std::string_view s = io.Section();
  std::vector<double> f(kMaxCurvePoints), a(kMaxCurvePoints), p(kMaxCurvePoints);
  for (int i = 1; i <= count; ++i) {
    PolarResponse r;
    std::int32_t plane = 0;
    io.Int(PolarKey(i, "Ebene"), plane, 0);
    r.plane = plane == 1 ? PolarPlane::Vertical : PolarPlane::Horizontal;
    io.Float(PolarKey(i, "Winkel"), r.angle, 0);
    io.Text(PolarKey(i, "Datei"), r.fileName, "");
    // A damaged entry keeps the points its arrays have in common, up to the
    // first frequency not above 0; one without points is left out.
    int n = std::min(ini.ReadFloatArray(s, PolarKey(i, "F"), f, 0, kMaxCurvePoints),
                     ini.ReadFloatArray(s, PolarKey(i, "A"), a, 0, kMaxCurvePoints));
    const int nPhase = ini.ReadFloatArray(s, PolarKey(i, "P"), p, 0, kMaxCurvePoints);
    if (nPhase > 0) n = std::min(n, nPhase);
    int points = 0;
    while (points < n && f[static_cast<std::size_t>(points)] > 0) ++points;
    if (points == 0) continue;
    r.freq.assign(f.begin(), f.begin() + points);
    r.level.assign(a.begin(), a.begin() + points);
    if (nPhase > 0) r.phase.assign(p.begin(), p.begin() + points);
    responses.push_back(std::move(r));
  }
  c.polar = PolarSet(std::move(responses));
}

// The chassis keys in their fixed order, for writing and reading (`C` is
// `const Chassis` for writing). `v` is the version of the file read; the
// conversions of older versions follow the keys they concern.
template <class Io, class C>
void ChassisKeys(Io& io, C& c, ChassisKeyForm form, int v) {
  const bool chassisFile = form == ChassisKeyForm::ChassisFile;
  // Project files count their versions 100 lower: 1004 and 1005 there mark
  // the same format changes as 1104 and 1105 in chassis files.
  const int degreesFrom = chassisFile ? 1104 : 1004;
  const int shiftBelow = chassisFile ? 1105 : 1005;

  io.Text("Name", c.name, "");
  io.Text("Kommentar", c.comment, "");
  if constexpr (Io::kWrites) {
    if (chassisFile) io.Int("typ", static_cast<std::int32_t>(c.categories & kChassisCategoryMask), 0);
  } else {
    // A negative category set cannot be stored; it reads as no category.
    std::int32_t stored = 0;
    io.Int("typ", stored, 0);
    std::uint32_t typ = static_cast<std::uint32_t>(std::max<std::int32_t>(stored, 0));
    if (chassisFile && v <= 1106) typ = (typ & 0xFFFFu) | ((typ & 0x10000u) != 0 ? (1u << 20) : 0u);
    c.categories = typ;
  }
  io.Bool("hintengeschl", c.rearClosed, false);
  if constexpr (Io::kWrites) {
    io.Int("fgang_which", c.responseSource, 5);
  } else {
    long long which = 0;
    if (v >= degreesFrom) {
      io.Int("fgang_which", which, 5);
      if (v <= shiftBelow && which > 5) which -= 3;
    } else {
      io.Int("fgang_which", which, 4);
      if (which > 1) which += 1;
    }
    // Values beyond the 16-bit field are clamped to it.
    c.responseSource = ClampToField<std::int16_t>(which);
  }
  io.Float("fs", c.fs, 0);
  io.Float("Qes", c.Qes, 0);
  io.Float("Qms", c.Qms, 0);
  io.Float("Vas", c.Vas, 0);
  io.Float("Re", c.Re, 0);
  io.Float("Le", c.Le, 0);
  io.Float("Re2", c.Re2, chassisFile ? 0.0 : 0.001);
  io.Float("Le2", c.Le2, chassisFile ? 0.0 : 0.000001);
  io.Float("Re3", c.Re3, chassisFile ? 0.000001 : 0.001);
  io.Float("Le3", c.Le3, 0.000001);
  io.Float("Amem", c.Sd, 0);
  io.Float("xlin", c.xlin, 0);
  io.Float("xmax", c.xmax, 0);
  io.Float("seo", c.sourceDepth, 0);
  io.Bool("useFgangA", c.useMeasuredAmplitude, false);
  io.Bool("useFgangAP", c.useMeasuredAcousticPhase, false);
  io.Bool("useFgangA4fs", c.useMeasuredAmplitudeAtFs, false);
  io.Bool("useFgangI", c.useMeasuredImpedance, false);
  io.Bool("useFgangIP", c.useMeasuredElectricalPhase, false);
  if (chassisFile) io.Int("Membranform", c.diaphragmShape, 0);

  // A loaded chassis depends on the file alone: its curves start empty.
  if constexpr (!Io::kWrites) {
    for (FreqArray* a :
         {&c.measuredAmplitudeFreq, &c.measuredAmplitude, &c.measuredAcousticPhaseFreq, &c.measuredAcousticPhase,
          &c.measuredImpedanceFreq, &c.measuredImpedance, &c.measuredElectricalPhaseFreq, &c.measuredElectricalPhase})
      *a = FreqArray{};  // cleared as one block
  }
  CurveKeys(io, "FgangAF", "FgangA", c.measuredAmplitudeFreq, c.measuredAmplitude, false);
  const int nAP = CurveKeys(io, "FgangAPF", "FgangAP", c.measuredAcousticPhaseFreq, c.measuredAcousticPhase, true);
  CurveKeys(io, "FgangIF", "FgangI", c.measuredImpedanceFreq, c.measuredImpedance, false);
  const int nIP = CurveKeys(io, "FgangIPF", "FgangIP", c.measuredElectricalPhaseFreq, c.measuredElectricalPhase, true);
  if constexpr (!Io::kWrites) {
    if (v >= degreesFrom) {
      DegreesToRadians(c.measuredAcousticPhase, nAP);
      DegreesToRadians(c.measuredElectricalPhase, nIP);
    }
    if (v < shiftBelow) {
      // Older files counted the acoustic phase from the opposite polarity.
      for (int i = 0; i < nAP; ++i) {
        double& p = c.measuredAcousticPhase[static_cast<std::size_t>(i)];
        p += kPiFile;
        if (p > 3.141592653) p -= 6.283185306;
      }
    }
  }

  io.Float("_ZNenn", c.nominalImpedance, 0);
  io.Float("_PNorm", c.ratedPower, 0);
  io.Float("_PMax", c.maxPower, 0);
  io.Float("_Hvc", c.voiceCoilHeight, 0);
  io.Float("_Dvc", c.voiceCoilDiameter, 0);
  io.Float("_Hpp", c.polePlateHeight, 0);
  io.Float("_Bl", c.dataSheetBl, 0);
  io.Float("_SPL", c.dataSheetSPL, 0);
  io.Float("_Le", c.dataSheetLe, 0);
  io.Float("_Mmd", c.dataSheetMmd, 0);
  io.Text("_fu", c.lowerFreqText, "");
  io.Text("_fo", c.upperFreqText, "");
  io.Float("_magind", c.magneticInduction, 0);
  io.Float("_magflu", c.magneticFlux, 0);
  io.Text("_bnr", c.orderNumber, "");
  // The mark: three blanks under "_hst", written into project files only.
  if constexpr (Io::kWrites) {
    if (!chassisFile && c.makerMark) io.Text("_hst", "   ", "");
  } else {
    std::string hst;
    io.Text("_hst", hst, "xxxx");
    c.makerMark = hst == "   ";
  }
  io.Text("_Da", c.outerDiameterText, "");
  io.Float("_Etiefe", c.mountingDepth, 0);
  io.Float("_Ausschn", c.cutoutDiameter, 0);
  io.Float("_Gewicht", c.weight, 0);
  io.Int("Filters", c.filters, 119);
  io.Text("pubdate", c.publicationDate, "01.01.2000");
  io.Text("OrgFilename", c.originalFileName, "");
  PolarKeys(io, c);
}

}  // namespace

void WriteChassisKeys(MyIniFile& ini, std::string_view s, const Chassis& c, ChassisKeyForm form) {
  KeyWriter io(ini, s);
  ChassisKeys(io, c, form, kChassisFileVersion);
}

void ReadChassisKeys(const MyIniFile& ini, std::string_view s, Chassis& c, int v, ChassisKeyForm form) {
  KeyReader io(ini, s);
  ChassisKeys(io, c, form, v);
}

void SaveChassisFile(const fs::path& file, const Chassis& c) {
  auto copy = std::make_unique<Chassis>(c);
  copy->originalFileName = Utf8FromPath(file.filename());
  copy->publicationDate = TodayText();
  MyIniFile ini(file, true, true, false);
  ini.WriteInteger("Header", "Version", kChassisFileVersion);
  WriteChassisKeys(ini, "Chassis", *copy, ChassisKeyForm::ChassisFile);
  ini.UpdateFile();
}

bool ReadChassisFrom(Chassis& c, const MyIniFile& ini, Interaction& ui) {
  if (ini.Truncated() && !ini.HeaderError()) ui.ShowMessage(IncompleteFileText("Chassisdatei", ini.FileName()));
  const int v = ini.ReadInteger("Header", "Version", 0);
  if (!ChassisFileVersionAccepted(v)) {
    ui.ShowMessage(kWrongDataFormatText);
    return false;
  }
  ReadChassisKeys(ini, "Chassis", c, v, ChassisKeyForm::ChassisFile);
  return true;
}

std::string NormalizeChassisName(std::string_view name) {
  std::string out;
  out.reserve(name.size());
  for (char ch : name) {
    const auto u = static_cast<unsigned char>(ch);
    if (u < 32 || ch == ' ' || ch == '-' || ch == '_' || ch == '(' || ch == ')') continue;
    out.push_back((ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch);
  }
  return out;
}

fs::path FindNewerChassisFile(const Chassis& c, const fs::path& chassisFolder, Interaction* ui) {
  const std::string name = NormalizeChassisName(c.name);
  const Date date = ParseDate(c.publicationDate);
  std::vector<fs::path> files;
  std::error_code ec;
  for (fs::directory_iterator it(chassisFolder, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code typeError;
    if (it->is_regular_file(typeError) && HasChassisExtension(it->path())) files.push_back(it->path());
  }
  // The listing order of a directory depends on the file system; sorting by
  // name makes the choice between several newer files reproducible.
  std::sort(files.begin(), files.end());
  auto scratch = std::make_unique<Chassis>();
  for (const fs::path& file : files) {
    try {
      const MyIniFile ini(file, true, false, true, ui);
      const int v = ini.ReadInteger("Header", "Version", 0);
      if (!ChassisFileVersionAccepted(v)) continue;
      *scratch = DefaultChassis();
      ReadChassisKeys(ini, "Chassis", *scratch, v, ChassisKeyForm::ChassisFile);
      if (NormalizeChassisName(scratch->name) == name && LaterDate(ParseDate(scratch->publicationDate), date))
        return chassisFolder / file.filename();
    } catch (const FileError&) {
      // An unreadable file takes no part in the search.
    }
  }
  return {};
}

std::string TodayText() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  return FormatDate(Date{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday});
}

}  // namespace sonvex
