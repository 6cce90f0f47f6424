// The JSON that `sonvex-cli calc --json` writes for each sample project,
// compared with the committed outputs under tests/golden/: a restructuring
// must change no number. Numbers agree within 1e-12 of the larger magnitude
// (complex values [re, im] within 1e-12 of the larger complex magnitude);
// texts, nulls and the shape must agree exactly. After a deliberate change of
// the results, regenerate the outputs with scripts/golden.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

constexpr double kRelativeTolerance = 1e-12;
constexpr double kDecibelTolerance = 1e-9;
constexpr double kTimeResponseTolerance = 1e-9;
constexpr std::size_t kMaxReported = 20;

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

std::string Shown(const json& j) {
  std::string s = j.dump();
  return s.size() > 60 ? s.substr(0, 57) + "..." : s;
}

bool IsComplex(const json& j) { return j.is_array() && j.size() == 2 && j[0].is_number() && j[1].is_number(); }

// Collects every difference between `want` and `got` below `path`, named by
// its field and indices (e.g. "ChFront[1][37][0]").
void Compare(const json& want, const json& got, const std::string& path, std::vector<std::string>& diffs) {
  // A complex value [re, im] agrees within the tolerance of its magnitude:
  // a part that is tiny beside the other carries the rounding of the whole
  // value, not of itself.
  if (IsComplex(want) && IsComplex(got)) {
    const double dre = want[0].get<double>() - got[0].get<double>();
    const double dim = want[1].get<double>() - got[1].get<double>();
    const double size =
        std::max(std::hypot(want[0].get<double>(), want[1].get<double>()),
                 std::hypot(got[0].get<double>(), got[1].get<double>()));
    const double difference = std::hypot(dre, dim);
    if (!(difference <= kRelativeTolerance * size)) {
      // Named by the part that moved most.
      const int part = std::fabs(dre) >= std::fabs(dim) ? 0 : 1;
      char relative[32];
      std::snprintf(relative, sizeof relative, "%.3g", difference / size);
      diffs.push_back(path + "[" + std::to_string(part) + "]: expected " + want[part].dump() + ", got " +
                      got[part].dump() + " (relative difference " + relative + " of the complex value)");
    }
    return;
  }
  if (want.is_number() && got.is_number()) {
    const double a = want.get<double>();
    const double b = got.get<double>();
    // Levels and directivity indices in dB and group delays in ms pass
    // through zero: there an absolute 1e-9 is the meaningful agreement.
    const bool decibels = path.starts_with("Spin.") || path.starts_with("GroupDelay.");
    if (decibels && std::fabs(a - b) <= kDecibelTolerance) return;
    // Impulse and step responses pass through zero as well; their values sum
    // many bins, so an absolute 1e-9 (below a millionth of any sample
    // project's peak) is the agreement that carries meaning.
    if (path.starts_with("TimeResponse.") && std::fabs(a - b) <= kTimeResponseTolerance) return;
    if (!(std::fabs(a - b) <= kRelativeTolerance * std::max(std::fabs(a), std::fabs(b)))) {
      char relative[32];
      std::snprintf(relative, sizeof relative, "%.3g", std::fabs(a - b) / std::max(std::fabs(a), std::fabs(b)));
      diffs.push_back(path + ": expected " + want.dump() + ", got " + got.dump() + " (relative difference " + relative +
                      ")");
    }
    return;
  }
  if (want.type() != got.type()) {
    diffs.push_back(path + ": expected " + Shown(want) + ", got " + Shown(got));
    return;
  }
  if (want.is_array()) {
    if (want.size() != got.size())
      diffs.push_back(path + ": expected " + std::to_string(want.size()) + " entries, got " +
                      std::to_string(got.size()));
    for (std::size_t i = 0; i < std::min(want.size(), got.size()); ++i)
      Compare(want[i], got[i], path + "[" + std::to_string(i) + "]", diffs);
    return;
  }
  if (want.is_object()) {
    for (const auto& [key, value] : want.items()) {
      const std::string field = path.empty() ? key : path + "." + key;
      if (!got.contains(key))
        diffs.push_back(field + ": missing");
      else
        Compare(value, got[key], field, diffs);
    }
    for (const auto& [key, value] : got.items())
      if (!want.contains(key)) diffs.push_back((path.empty() ? key : path + "." + key) + ": not expected");
    return;
  }
  if (want != got) diffs.push_back(path + ": expected " + Shown(want) + ", got " + Shown(got));
}

// The names of the sample projects; each one needs its golden output.
std::vector<std::string> SampleProjects() {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(fs::path(SONVEX_DATA_DIR) / "Projekte"))
    if (e.path().extension() == ".ZPJ") names.push_back(e.path().stem().string());
  std::sort(names.begin(), names.end());
  return names;
}

class GoldenOutput : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenOutput, CalcJsonMatchesTheCommittedOutput) {
  const std::string name = GetParam();
  const fs::path dir = fs::temp_directory_path() / ("sonvex_golden_" + name);
  fs::remove_all(dir);
  fs::create_directories(dir / "data");  // no settings: every default
  const fs::path out = dir / (name + ".json");
  // The same command as scripts/golden.
  const std::string cmd = Quote(SONVEX_CLI) + " calc " +
                          Quote((fs::path(SONVEX_DATA_DIR) / "Projekte" / (name + ".ZPJ")).string()) + " --data " +
                          Quote((dir / "data").string()) + " --json " + Quote(out.string()) + " > /dev/null";
  ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;

  const fs::path goldenFile = fs::path(SONVEX_GOLDEN_DIR) / (name + ".json");
  ASSERT_TRUE(fs::exists(goldenFile)) << goldenFile.string() << " is missing: run scripts/golden";
  const json want = json::parse(ReadFile(goldenFile));
  const json got = json::parse(ReadFile(out));
  std::vector<std::string> diffs;
  Compare(want, got, "", diffs);
  std::string report;
  for (std::size_t i = 0; i < std::min(diffs.size(), kMaxReported); ++i) report += "  " + diffs[i] + "\n";
  if (diffs.size() > kMaxReported) report += "  ... and " + std::to_string(diffs.size() - kMaxReported) + " more\n";
  EXPECT_TRUE(diffs.empty()) << diffs.size() << " difference(s) from " << goldenFile.string() << ":\n"
                             << report << "If the change of results is intended, run scripts/golden.";
  fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(SampleProjects, GoldenOutput, ::testing::ValuesIn(SampleProjects()), [](const auto& info) {
  std::string n = info.param;
  std::replace(n.begin(), n.end(), '-', '_');
  return n;
});

// The comparison itself: a changed number is reported with its field and
// indices, and one within the tolerance is not.
TEST(GoldenCompare, NamesTheFieldAndIndexThatDiffer) {
  const json want = json::parse(R"({"ChFront": [[[1.0, 2.0], [3.0, 4.0]]], "nFreq": 2, "states": {"Check": "OK"}})");
  json got = want;
  std::vector<std::string> diffs;
  got["ChFront"][0][1][0] = 3.0 * (1 + 1e-13);
  Compare(want, got, "", diffs);
  EXPECT_TRUE(diffs.empty());

  got["ChFront"][0][1][0] = 3.0 * (1 + 1e-10);
  got["states"]["Check"] = "F";
  got["nFreq"] = nullptr;
  Compare(want, got, "", diffs);
  ASSERT_EQ(diffs.size(), 3u);
  EXPECT_EQ(diffs[0].rfind("ChFront[0][1][0]: expected 3.0, got ", 0), 0u) << diffs[0];
  EXPECT_EQ(diffs[1], "nFreq: expected 2, got null");
  EXPECT_EQ(diffs[2], "states.Check: expected \"OK\", got \"F\"");
}

}  // namespace
