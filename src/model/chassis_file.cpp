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
#include "model/my_ini_file.h"
#include "model/number_text.h"

namespace sonvex {

namespace fs = std::filesystem;

namespace {

// The value of pi the files were always converted with; kept in both
// directions so that phases survive a save and a load.
constexpr double kFilePi = 3.1415926;

template <typename T>
T ClampTo(long long v) {
  return static_cast<T>(std::clamp<long long>(v, std::numeric_limits<T>::min(), std::numeric_limits<T>::max()));
}

// Number of leading frequencies greater than 0 (at most the 600 a curve holds).
int CurvePoints(const TFreqArray& f) {
  int n = 0;
  while (n < kMaxCurvePoints && f[static_cast<std::size_t>(n)] > 0) ++n;
  return n;
}

// Radians to degrees with three decimals, rounded half to even.
double PhaseToFile(double p) { return std::nearbyint(p * 180000.0 / kFilePi) / 1000.0; }

void WriteCurve(TMyIniFile& ini, std::string_view section, std::string_view freqKey, std::string_view valueKey,
                const TFreqArray& f, const TFreqArray& v, bool phase) {
  const int n = CurvePoints(f) + 1;  // with the terminating 0
  ini.WriteFloatArray(section, freqKey, f, 0, n);
  if (!phase) {
    ini.WriteFloatArray(section, valueKey, v, 0, n);
    return;
  }
  TFreqArray deg{};
  for (int i = 0; i < n; ++i) deg[static_cast<std::size_t>(i)] = PhaseToFile(v[static_cast<std::size_t>(i)]);
  ini.WriteFloatArray(section, valueKey, deg, 0, n);
}

// Reads a frequency and a value array of at most 600 elements and ends the
// curve with a 0 frequency at the index equal to the number read. Returns
// that number.
int ReadCurve(const TMyIniFile& ini, std::string_view section, std::string_view freqKey, std::string_view valueKey,
              TFreqArray& f, TFreqArray& v) {
  const int n = ini.ReadFloatArray(section, freqKey, f, 0, kMaxCurvePoints);
  ini.ReadFloatArray(section, valueKey, v, 0, kMaxCurvePoints);
  f[static_cast<std::size_t>(n)] = 0.0;
  return n;
}

void DegreesToRadians(TFreqArray& v, int n) {
  for (int i = 0; i < n; ++i) v[static_cast<std::size_t>(i)] = v[static_cast<std::size_t>(i)] * kFilePi / 180.0;
}

bool LaterDate(const TDate& a, const TDate& b) {
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

void WriteChassisKeys(TMyIniFile& ini, std::string_view s, const TChassis& c, TChassisKeyForm form) {
  const bool chassisFile = form == TChassisKeyForm::ChassisFile;
  ini.WriteString(s, "Name", c.Name);
  ini.WriteString(s, "Kommentar", c.Kommentar);
  if (chassisFile) ini.WriteInteger(s, "typ", static_cast<std::int32_t>(c.typ & kChassisTypMask));
  ini.WriteBool(s, "hintengeschl", c.hintengeschl);
  ini.WriteInteger(s, "fgang_which", c.fgang_which);
  ini.WriteFloat(s, "fs", c.fs);
  ini.WriteFloat(s, "Qes", c.Qes);
  ini.WriteFloat(s, "Qms", c.Qms);
  ini.WriteFloat(s, "Vas", c.Vas);
  ini.WriteFloat(s, "Re", c.Re);
  ini.WriteFloat(s, "Le", c.Le);
  ini.WriteFloat(s, "Re2", c.Re2);
  ini.WriteFloat(s, "Le2", c.Le2);
  ini.WriteFloat(s, "Re3", c.Re3);
  ini.WriteFloat(s, "Le3", c.Le3);
  ini.WriteFloat(s, "Amem", c.Amem);
  ini.WriteFloat(s, "xlin", c.xlin);
  ini.WriteFloat(s, "xmax", c.xmax);
  ini.WriteFloat(s, "seo", c.seo);
  ini.WriteBool(s, "useFgangA", c.useFgangA);
  ini.WriteBool(s, "useFgangAP", c.useFgangAP);
  ini.WriteBool(s, "useFgangA4fs", c.useFgangA4fs);
  ini.WriteBool(s, "useFgangI", c.useFgangI);
  ini.WriteBool(s, "useFgangIP", c.useFgangIP);
  if (chassisFile) ini.WriteInteger(s, "Membranform", c.Membranform);
  WriteCurve(ini, s, "FgangAF", "FgangA", c.FgangAF, c.FgangA, false);
  WriteCurve(ini, s, "FgangAPF", "FgangAP", c.FgangAPF, c.FgangAP, true);
  WriteCurve(ini, s, "FgangIF", "FgangI", c.FgangIF, c.FgangI, false);
  WriteCurve(ini, s, "FgangIPF", "FgangIP", c.FgangIPF, c.FgangIP, true);
  ini.WriteFloat(s, "_ZNenn", c._ZNenn);
  ini.WriteFloat(s, "_PNorm", c._PNorm);
  ini.WriteFloat(s, "_PMax", c._PMax);
  ini.WriteFloat(s, "_Hvc", c._Hvc);
  ini.WriteFloat(s, "_Dvc", c._Dvc);
  ini.WriteFloat(s, "_Hpp", c._Hpp);
  ini.WriteFloat(s, "_Bl", c._Bl);
  ini.WriteFloat(s, "_SPL", c._SPL);
  ini.WriteFloat(s, "_Le", c._Le);
  ini.WriteFloat(s, "_Mmd", c._Mmd);
  ini.WriteString(s, "_fu", c._fu);
  ini.WriteString(s, "_fo", c._fo);
  ini.WriteFloat(s, "_magind", c._magind);
  ini.WriteFloat(s, "_magflu", c._magflu);
  ini.WriteString(s, "_bnr", c._bnr);
  if (!chassisFile && c.hstMark) ini.WriteString(s, "_hst", "   ");
  ini.WriteString(s, "_Da", c._Da);
  ini.WriteFloat(s, "_Etiefe", c._Etiefe);
  ini.WriteFloat(s, "_Ausschn", c._Ausschn);
  ini.WriteFloat(s, "_Gewicht", c._Gewicht);
  ini.WriteInteger(s, "Filters", c.Filters);
  ini.WriteString(s, "pubdate", c.pubdate);
  ini.WriteString(s, "OrgFilename", c.OrgFilename);
}

void ReadChassisKeys(const TMyIniFile& ini, std::string_view s, TChassis& c, int v, TChassisKeyForm form) {
  const bool chassisFile = form == TChassisKeyForm::ChassisFile;
  // Project files count their versions 100 lower: 1004 and 1005 there mark
  // the same format changes as 1104 and 1105 in chassis files.
  const int degreesFrom = chassisFile ? 1104 : 1004;
  const int shiftBelow = chassisFile ? 1105 : 1005;

  c.Name = ini.ReadString(s, "Name", "");
  c.Kommentar = ini.ReadString(s, "Kommentar", "");
  // A negative category set cannot be stored; it reads as no category.
  std::uint32_t typ = static_cast<std::uint32_t>(std::max<std::int32_t>(ini.ReadInteger(s, "typ", 0), 0));
  if (chassisFile && v <= 1106) typ = (typ & 0xFFFFu) | ((typ & 0x10000u) != 0 ? (1u << 20) : 0u);
  c.typ = typ;
  c.hintengeschl = ini.ReadBool(s, "hintengeschl", false);
  long long which = 0;
  if (v >= degreesFrom) {
    which = ini.ReadInteger(s, "fgang_which", 5);
    if (v <= shiftBelow && which > 5) which -= 3;
  } else {
    which = ini.ReadInteger(s, "fgang_which", 4);
    if (which > 1) which += 1;
  }
  // Values beyond the 16-bit field are clamped to it.
  c.fgang_which = ClampTo<std::int16_t>(which);
  c.fs = ini.ReadFloat(s, "fs", 0);
  c.Qes = ini.ReadFloat(s, "Qes", 0);
  c.Qms = ini.ReadFloat(s, "Qms", 0);
  c.Vas = ini.ReadFloat(s, "Vas", 0);
  c.Re = ini.ReadFloat(s, "Re", 0);
  c.Le = ini.ReadFloat(s, "Le", 0);
  c.Re2 = ini.ReadFloat(s, "Re2", chassisFile ? 0.0 : 0.001);
  c.Le2 = ini.ReadFloat(s, "Le2", chassisFile ? 0.0 : 0.000001);
  c.Re3 = ini.ReadFloat(s, "Re3", chassisFile ? 0.000001 : 0.001);
  c.Le3 = ini.ReadFloat(s, "Le3", 0.000001);
  c.Amem = ini.ReadFloat(s, "Amem", 0);
  c.xlin = ini.ReadFloat(s, "xlin", 0);
  c.xmax = ini.ReadFloat(s, "xmax", 0);
  c.seo = ini.ReadFloat(s, "seo", 0);
  c.useFgangA = ini.ReadBool(s, "useFgangA", false);
  c.useFgangAP = ini.ReadBool(s, "useFgangAP", false);
  c.useFgangA4fs = ini.ReadBool(s, "useFgangA4fs", false);
  c.useFgangI = ini.ReadBool(s, "useFgangI", false);
  c.useFgangIP = ini.ReadBool(s, "useFgangIP", false);
  if (chassisFile) c.Membranform = ClampTo<std::int8_t>(ini.ReadInteger(s, "Membranform", 0));

  for (TFreqArray* a : {&c.FgangAF, &c.FgangA, &c.FgangAPF, &c.FgangAP, &c.FgangIF, &c.FgangI, &c.FgangIPF, &c.FgangIP})
    a->fill(0.0);
  ReadCurve(ini, s, "FgangAF", "FgangA", c.FgangAF, c.FgangA);
  const int nAP = ReadCurve(ini, s, "FgangAPF", "FgangAP", c.FgangAPF, c.FgangAP);
  ReadCurve(ini, s, "FgangIF", "FgangI", c.FgangIF, c.FgangI);
  const int nIP = ReadCurve(ini, s, "FgangIPF", "FgangIP", c.FgangIPF, c.FgangIP);
  if (v >= degreesFrom) {
    DegreesToRadians(c.FgangAP, nAP);
    DegreesToRadians(c.FgangIP, nIP);
  }
  if (v < shiftBelow) {
    // Older files counted the acoustic phase from the opposite polarity.
    for (int i = 0; i < nAP; ++i) {
      double& p = c.FgangAP[static_cast<std::size_t>(i)];
      p += kFilePi;
      if (p > 3.141592653) p -= 6.283185306;
    }
  }

  c._ZNenn = ini.ReadFloat(s, "_ZNenn", 0);
  c._PNorm = ini.ReadFloat(s, "_PNorm", 0);
  c._PMax = ini.ReadFloat(s, "_PMax", 0);
  c._Hvc = ini.ReadFloat(s, "_Hvc", 0);
  c._Dvc = ini.ReadFloat(s, "_Dvc", 0);
  c._Hpp = ini.ReadFloat(s, "_Hpp", 0);
  c._Bl = ini.ReadFloat(s, "_Bl", 0);
  c._SPL = ini.ReadFloat(s, "_SPL", 0);
  c._Le = ini.ReadFloat(s, "_Le", 0);
  c._Mmd = ini.ReadFloat(s, "_Mmd", 0);
  c._fu = ini.ReadString(s, "_fu", "");
  c._fo = ini.ReadString(s, "_fo", "");
  c._magind = ini.ReadFloat(s, "_magind", 0);
  c._magflu = ini.ReadFloat(s, "_magflu", 0);
  c._bnr = ini.ReadString(s, "_bnr", "");
  c.hstMark = ini.ReadString(s, "_hst", "xxxx") == "   ";
  c._Da = ini.ReadString(s, "_Da", "");
  c._Etiefe = ini.ReadFloat(s, "_Etiefe", 0);
  c._Ausschn = ini.ReadFloat(s, "_Ausschn", 0);
  c._Gewicht = ini.ReadFloat(s, "_Gewicht", 0);
  c.Filters = ini.ReadInteger(s, "Filters", 119);
  c.pubdate = ini.ReadString(s, "pubdate", "01.01.2000");
  c.OrgFilename = ini.ReadString(s, "OrgFilename", "");
}

void SaveChassisFile(const fs::path& file, const TChassis& c) {
  auto copy = std::make_unique<TChassis>(c);
  copy->OrgFilename = Utf8FromPath(file.filename());
  copy->pubdate = TodayText();
  TMyIniFile ini(file, true, true, false);
  ini.WriteInteger("Header", "Version", kChassisFileVersion);
  WriteChassisKeys(ini, "Chassis", *copy, TChassisKeyForm::ChassisFile);
  ini.UpdateFile();
}

bool ReadChassisFrom(TChassis& c, const TMyIniFile& ini, TInteraction& ui) {
  const int v = ini.ReadInteger("Header", "Version", 0);
  if (!ChassisFileVersionAccepted(v)) {
    ui.ShowMessage(kWrongDataFormatText);
    return false;
  }
  ReadChassisKeys(ini, "Chassis", c, v, TChassisKeyForm::ChassisFile);
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

fs::path FindNewerChassisFile(const TChassis& c, const fs::path& chassisFolder, TInteraction* ui) {
  const std::string name = NormalizeChassisName(c.Name);
  const TDate date = ParseDate(c.pubdate);
  std::vector<fs::path> files;
  std::error_code ec;
  for (fs::directory_iterator it(chassisFolder, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code typeError;
    if (it->is_regular_file(typeError) && HasChassisExtension(it->path())) files.push_back(it->path());
  }
  // The listing order of a directory depends on the file system; sorting by
  // name makes the choice between several newer files reproducible.
  std::sort(files.begin(), files.end());
  auto scratch = std::make_unique<TChassis>();
  for (const fs::path& file : files) {
    try {
      const TMyIniFile ini(file, true, false, true, ui);
      const int v = ini.ReadInteger("Header", "Version", 0);
      if (!ChassisFileVersionAccepted(v)) continue;
      *scratch = DefaultChassis();
      ReadChassisKeys(ini, "Chassis", *scratch, v, TChassisKeyForm::ChassisFile);
      if (NormalizeChassisName(scratch->Name) == name && LaterDate(ParseDate(scratch->pubdate), date))
        return chassisFolder / file.filename();
    } catch (const TFileError&) {
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
  return FormatDate(TDate{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday});
}

}  // namespace sonvex
