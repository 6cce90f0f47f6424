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
#include <vector>

#include <cmath>

#include "model/my_ini_file.h"
#include "model/number_text.h"
#include "model/project.h"

namespace sonvex::testing_files {

// A fresh folder below the system's temporary folder, removed at the end.
class TScratchDir {
 public:
  TScratchDir() {
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
  ~TScratchDir() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
  }
  TScratchDir(const TScratchDir&) = delete;
  TScratchDir& operator=(const TScratchDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
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
  WriteBytes(p, TMyIniFile::FromBytes(plain, false).Serialize(true));
}

// Names of the entries of a folder (to see that no temporary file is left).
inline std::vector<std::string> FolderEntries(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(Utf8FromPath(e.path().filename()));
  std::sort(names.begin(), names.end());
  return names;
}

// A value as it reads back from a file: only what fits ten characters stays.
inline double Q(double x) { return static_cast<double>(StrToFloatLenient(TMyIniFile::FloatText(x))); }

// The largest difference of two phases saved and loaded: half of 0.001 degree
// plus the conversion error.
inline constexpr double kPhaseTolerance = 0.0006 * 3.14159265358979 / 180.0;

// A chassis with every field set and full measured curves (600 points for the
// acoustic curves, fewer for the electrical ones), values chosen so that they
// survive the ten-character number format. `seed` varies the values.
inline TChassis MakeFullChassis(int seed) {
  TChassis c = DefaultChassis();
  const double k = 1.0 + 0.125 * seed;
  c.Name = "Tief " + std::to_string(seed) + " (neu)";
  c.Kommentar = "Kommentar mit Umlauten äöü und ; = Zeichen " + std::to_string(seed);
  c.typ = (1u << 2) | (1u << 20);
  c.hintengeschl = seed % 2 == 0;
  c.fgang_which = static_cast<std::int16_t>(1 + seed % 7);
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
  c.Amem = Q(0.0133 * k);
  c.xlin = Q(0.004 * k);
  c.xmax = Q(0.008 * k);
  c.seo = Q(0.75 * k);
  c.useFgangA = true;
  c.useFgangAP = seed % 2 == 1;
  c.useFgangA4fs = true;
  c.useFgangI = seed % 3 == 0;
  c.useFgangIP = true;
  c.Membranform = static_cast<std::int8_t>(seed % 3);
  for (int i = 0; i < kMaxCurvePoints; ++i) {
    const auto u = static_cast<std::size_t>(i);
    const double f = Q(20.0 * std::pow(1000.0, i / 599.0));
    c.FgangAF[u] = f;
    c.FgangA[u] = Q(85.0 + 6.0 * std::sin(i * 0.05 + seed));
    c.FgangAPF[u] = f;
    c.FgangAP[u] = 3.1 * std::sin(i * 0.037 + seed);  // radians
  }
  for (int i = 0; i < 250; ++i) {
    const auto u = static_cast<std::size_t>(i);
    const double f = Q(10.0 * std::pow(2000.0, i / 249.0));
    c.FgangIF[u] = f;
    c.FgangI[u] = Q(6.0 + 20.0 * std::exp(-std::pow(std::log(f / 30.0), 2.0)));
    c.FgangIPF[u] = f;
    c.FgangIP[u] = 1.2 * std::cos(i * 0.05 + seed);
  }
  c._ZNenn = Q(8 * k);
  c._PNorm = Q(60 * k);
  c._PMax = Q(90 * k);
  c._Hvc = Q(0.012 * k);
  c._Dvc = Q(0.026 * k);
  c._Hpp = Q(0.006 * k);
  c._Bl = Q(7.25 * k);
  c._SPL = Q(87.5 * k);
  c._Le = Q(0.00061 * k);
  c._Mmd = Q(0.0182 * k);
  c._fu = "35 Hz";
  c._fo = "4000 Hz";
  c._magind = Q(1.05 * k);
  c._magflu = Q(0.9 * k);
  c._bnr = "BN-" + std::to_string(seed);
  c.hstMark = false;
  c._Da = "Datenblatt " + std::to_string(seed);
  c._Etiefe = Q(0.083 * k);
  c._Ausschn = Q(0.142 * k);
  c._Gewicht = Q(2.4 * k);
  c.Filters = 77 + seed;
  c.pubdate = "14.03.2011";
  c.OrgFilename = "tief" + std::to_string(seed) + ".ZCH";
  return c;
}

// Checks the phases of `loaded` against `expected` within the file's
// resolution and then copies them over, so that the records can be compared whole.
inline void MatchPhases(TChassis& expected, const TChassis& loaded) {
  for (std::size_t i = 0; i < expected.FgangAP.size(); ++i) {
    EXPECT_NEAR(loaded.FgangAP[i], expected.FgangAP[i], kPhaseTolerance) << "FgangAP " << i;
    EXPECT_NEAR(loaded.FgangIP[i], expected.FgangIP[i], kPhaseTolerance) << "FgangIP " << i;
  }
  expected.FgangAP = loaded.FgangAP;
  expected.FgangIP = loaded.FgangIP;
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
