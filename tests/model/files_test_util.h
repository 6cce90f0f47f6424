#pragma once
// Helpers of the file tests: a scratch folder per test and small file tools.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <cmath>

#include "model/my_ini_file.h"
#include "model/number_text.h"
#include "model/project.h"

namespace sonvex::testing_files {

// A fresh folder below the system's temporary folder, removed at the end.
class ScratchDir {
 public:
  ScratchDir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::random_device rd;
    std::string name = "sonvex_files_";
    if (info != nullptr) name += std::string(info->test_suite_name()) + "_" + info->name() + "_";
    name += std::to_string(rd());
    for (char& c : name)
      if (c == '/' || c == '\\') c = '_';
    path_ = std::filesystem::temp_directory_path() / name;
    std::filesystem::create_directories(path_);
  }
  ~ScratchDir() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  std::filesystem::path operator/(std::string_view name) const { return path_ / PathFromUtf8(name); }

 private:
  std::filesystem::path path_;
};

inline std::string ReadBytes(const std::filesystem::path& p) { return ReadWholeFile(p); }

inline void WriteBytes(const std::filesystem::path& p, std::string_view bytes) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Writes a plain-text MyIniFile content in the scrambled form.
inline void WriteScrambled(const std::filesystem::path& p, std::string_view plain) {
  WriteBytes(p, MyIniFile::FromBytes(plain, false).Serialize(true));
}

// Names of the entries of a folder (to see that no temporary file is left).
inline std::vector<std::string> FolderEntries(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(Utf8FromPath(e.path().filename()));
  std::sort(names.begin(), names.end());
  return names;
}

// A value as it reads back from a file: only what fits ten characters stays.
inline double Q(double x) { return static_cast<double>(StrToFloatLenient(MyIniFile::FloatText(x))); }

// The largest difference of two phases saved and loaded: half of 0.001 degree
// plus the conversion error.
inline constexpr double kPhaseTolerance = 0.0006 * 3.14159265358979 / 180.0;

// A chassis with every field set and full measured curves (600 points for the
// acoustic curves, fewer for the electrical ones), values chosen so that they
// survive the ten-character number format. `seed` varies the values.
inline Chassis MakeFullChassis(int seed) {
  Chassis c = DefaultChassis();
  const double k = 1.0 + 0.125 * seed;
  c.name = "Tief " + std::to_string(seed) + " (neu)";
  c.comment = "Kommentar mit Umlauten äöü und ; = Zeichen " + std::to_string(seed);
  c.categories = (1u << 2) | (1u << 20);
  c.rearClosed = seed % 2 == 0;
  c.responseSource = static_cast<std::int16_t>(1 + seed % 7);
  c.fs = Q(28.5 * k);
  c.Qes = Q(0.35 * k);
  c.Qms = Q(3.2 * k);
  c.Vas = Q(0.0452 * k);
  c.Re = Q(5.6 * k);
  c.Le = Q(0.00045 * k);
  c.Re2 = Q(3.3 * k);
  c.Le2 = Q(0.0012 * k);
  c.Re3 = Q(1.1 * k);
  c.Le3 = Q(0.00007 * k);
  c.Sd = Q(0.0133 * k);
  c.xlin = Q(0.004 * k);
  c.xmax = Q(0.008 * k);
  c.sourceDepth = Q(0.75 * k);
  c.useMeasuredAmplitude = true;
  c.useMeasuredAcousticPhase = seed % 2 == 1;
  c.useMeasuredAmplitudeAtFs = true;
  c.useMeasuredImpedance = seed % 3 == 0;
  c.useMeasuredElectricalPhase = true;
  c.diaphragmShape = static_cast<std::int8_t>(seed % 3);
  for (int i = 0; i < kMaxCurvePoints; ++i) {
    const auto u = static_cast<std::size_t>(i);
    const double f = Q(20.0 * std::pow(1000.0, i / 599.0));
    c.measuredAmplitudeFreq[u] = f;
    c.measuredAmplitude[u] = Q(85.0 + 6.0 * std::sin(i * 0.05 + seed));
    c.measuredAcousticPhaseFreq[u] = f;
    c.measuredAcousticPhase[u] = 3.1 * std::sin(i * 0.037 + seed);  // radians
  }
  for (int i = 0; i < 250; ++i) {
    const auto u = static_cast<std::size_t>(i);
    const double f = Q(10.0 * std::pow(2000.0, i / 249.0));
    c.measuredImpedanceFreq[u] = f;
    c.measuredImpedance[u] = Q(6.0 + 20.0 * std::exp(-std::pow(std::log(f / 30.0), 2.0)));
    c.measuredElectricalPhaseFreq[u] = f;
    c.measuredElectricalPhase[u] = 1.2 * std::cos(i * 0.05 + seed);
  }
  c.nominalImpedance = Q(8 * k);
  c.ratedPower = Q(60 * k);
  c.maxPower = Q(90 * k);
  c.voiceCoilHeight = Q(0.012 * k);
  c.voiceCoilDiameter = Q(0.026 * k);
  c.polePlateHeight = Q(0.006 * k);
  c.dataSheetBl = Q(7.25 * k);
  c.dataSheetSPL = Q(87.5 * k);
  c.dataSheetLe = Q(0.00061 * k);
  c.dataSheetMmd = Q(0.0182 * k);
  c.lowerFreqText = "35 Hz";
  c.upperFreqText = "4000 Hz";
  c.magneticInduction = Q(1.05 * k);
  c.magneticFlux = Q(0.9 * k);
  c.orderNumber = "BN-" + std::to_string(seed);
  c.makerMark = false;
  c.outerDiameterText = "Datenblatt " + std::to_string(seed);
  c.mountingDepth = Q(0.083 * k);
  c.cutoutDiameter = Q(0.142 * k);
  c.weight = Q(2.4 * k);
  c.filters = 77 + seed;
  c.publicationDate = "14.03.2011";
  c.originalFileName = "tief" + std::to_string(seed) + ".ZCH";
  // A polar set of three responses of 599 points; the vertical one has no
  // phase column.
  std::vector<PolarResponse> polar;
  for (const auto& [plane, angle] : {std::pair{PolarPlane::Horizontal, 0.0}, std::pair{PolarPlane::Horizontal, 37.5},
                                     std::pair{PolarPlane::Vertical, -180.0}}) {
    PolarResponse r;
    r.plane = plane;
    r.angle = angle;
    r.fileName = "Tieftöner " + std::to_string(seed) + (plane == PolarPlane::Horizontal ? " hor " : " ver ") +
                 std::to_string(static_cast<int>(angle)) + ".frd";
    for (int i = 0; i < kMaxCurvePoints - 1; ++i) {
      r.freq.push_back(Q(20.0 * std::pow(1000.0, i / 598.0)));
      r.level.push_back(Q(88.0 - angle / 20.0 + std::sin(i * 0.07 + seed)));
      if (plane == PolarPlane::Horizontal) r.phase.push_back(Q(179.0 * std::sin(i * 0.03 + angle)));
    }
    polar.push_back(std::move(r));
  }
  c.polar = PolarSet(std::move(polar));
  return c;
}

// Checks the phases of `loaded` against `expected` within the file's
// resolution and then copies them over, so that the records can be compared whole.
inline void MatchPhases(Chassis& expected, const Chassis& loaded) {
  for (std::size_t i = 0; i < expected.measuredAcousticPhase.size(); ++i) {
    EXPECT_NEAR(loaded.measuredAcousticPhase[i], expected.measuredAcousticPhase[i], kPhaseTolerance) << "FgangAP " << i;
    EXPECT_NEAR(loaded.measuredElectricalPhase[i], expected.measuredElectricalPhase[i], kPhaseTolerance)
        << "FgangIP " << i;
  }
  expected.measuredAcousticPhase = loaded.measuredAcousticPhase;
  expected.measuredElectricalPhase = loaded.measuredElectricalPhase;
}

// Runs `load` of the named pipe `pipe` on a thread of its own and returns the
// error it raised ("(geladen)" when it raised none). A load still waiting
// after 10 s fails the test, and a writer then releases it.
template <class Error>
std::string LoadFromPipe(const std::filesystem::path& pipe, const std::function<void()>& load) {
  auto loading = std::async(std::launch::async, [&] {
    try {
      load();
    } catch (const Error& e) {
      return std::string(e.what());
    }
    return std::string("(geladen)");
  });
  if (loading.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
    ADD_FAILURE() << "loading a named pipe waits";
    std::ofstream unblock(pipe);
  }
  return loading.get();
}

}  // namespace sonvex::testing_files
