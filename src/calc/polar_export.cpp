#include "calc/polar_export.h"

#include <cmath>
#include <system_error>

#include "acoustics/polar_directions.h"
#include "model/file_io.h"
#include "model/result_export.h"
#include "numeric/constants.h"

namespace sonvex {

namespace {

// The model's direction of a plane and a multiple of 30° (−180..180).
int ModelDirection(PolarPlane plane, int angle) {
  if (angle == 0) return 0;
  if (std::abs(angle) == 180) return 21;
  const int s = std::abs(angle) / 30;  // 1..5
  int side = 0;                        // up, left, down, right
  if (plane == PolarPlane::Vertical)
    side = angle > 0 ? 0 : 2;
  else
    side = angle > 0 ? 3 : 1;
  return 4 * (s - 1) + 1 + side;
}

}  // namespace

std::vector<ModelPolarResponse> ModelPolarResponses(const CalcResult& r, int chassis, int step) {
  std::vector<ModelPolarResponse> out;
  if (chassis < 0 || chassis >= kChassisSlots || (step != 10 && step != 15 && step != 30)) return out;
  const auto c = static_cast<std::size_t>(chassis);
  const int n = std::clamp<int>(r.freqCount, 0, kFreqEntries - 1);
  for (PolarPlane plane : {PolarPlane::Horizontal, PolarPlane::Vertical}) {
    const bool horizontal = plane == PolarPlane::Horizontal;
    for (int angle = -180 + step; angle <= (horizontal ? 180 : 180 - step); angle += step) {
      if (!horizontal && angle == 0) continue;
      ModelPolarResponse m;
      m.plane = plane;
      m.angle = angle;
      // Neighbouring model directions a ≤ angle ≤ b, u the fraction between them.
      const int a = static_cast<int>(std::floor(angle / 30.0)) * 30;
      const int b = a == angle ? a : a + 30;
      const double u = (angle - a) / 30.0;
      const int da = ModelDirection(plane, a), db = ModelDirection(plane, b);
      for (int i = 0; i < n; ++i) {
        const auto fi = static_cast<std::size_t>(i);
        const Complex front = r.chassisFront[c][fi];
        const Complex pa = CMul(front, r.directionsFront[c][fi][static_cast<std::size_t>(da)]);
        const Complex pb = CMul(front, r.directionsFront[c][fi][static_cast<std::size_t>(db)]);
        const double la = 20 * std::log10(CAbs(pa) + 1e-50), lb = 20 * std::log10(CAbs(pb) + 1e-50);
        const double phase = CArg(pa) + u * WrapPhase(CArg(pb) - CArg(pa));
        m.freq.push_back(r.freq[fi]);
        m.level.push_back(la + u * (lb - la) + 112);
        m.phase.push_back(WrapPhase(phase) * 180 / kPi);
      }
      out.push_back(std::move(m));
    }
  }
  return out;
}

std::string PolarFileName(std::string_view prefix, PolarPlane plane, double angle) {
  std::string name(prefix);
  if (!name.empty()) name += ' ';
  name += plane == PolarPlane::Horizontal ? "hor " : "ver ";
  name += std::to_string(static_cast<int>(std::lround(angle)));
  return name + ".frd";
}

std::vector<std::filesystem::path> WriteModelPolarFiles(const CalcResult& r, int chassis, int step,
                                                        const std::filesystem::path& folder,
                                                        std::string_view projectName) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  std::vector<std::filesystem::path> files;
  std::string prefix =
      chassis >= 0 && chassis < kChassisSlots ? r.chassisName[static_cast<std::size_t>(chassis)].Str() : std::string();
  // A chassis name may hold characters a file name cannot.
  for (char& ch : prefix)
    if (ch == '/' || ch == '\\' || ch == ':') ch = '-';
  for (const ModelPolarResponse& m : ModelPolarResponses(r, chassis, step)) {
    const std::filesystem::path file = folder / PathFromUtf8(PolarFileName(prefix, m.plane, m.angle));
    const std::string title = "Modell: Chassis " + std::to_string(chassis + 1) + " (" + prefix + "), " +
                              std::string(PlaneName(m.plane)) + " " + PolarAngleText(m.angle);
    WriteFileAtomically(file, FrdCurveText(m.freq, m.level, m.phase, projectName, title));
    files.push_back(file);
  }
  return files;
}

}  // namespace sonvex
