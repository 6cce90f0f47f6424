// Feeds arbitrary bytes to the measurement file reader and runs the whole
// import on the points it finds: column question (answered with the default),
// reduction and storing into a chassis. The stored curves must stay finite,
// below 600 points and terminated; both line readers must agree.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "model/measurement_import.h"
#include "model/text_lines.h"
#include "support/scripted_interaction.h"

namespace {

void CheckCurve(const sonvex::FreqArray& f, const sonvex::FreqArray& v) {
  int n = 0;
  while (n < sonvex::kFreqEntries && f[n] > 0) ++n;
  if (n >= 600) __builtin_trap();
  for (int i = 0; i < sonvex::kFreqEntries; ++i) {
    if (!std::isfinite(f[i]) || !std::isfinite(v[i])) __builtin_trap();
  }
}

std::vector<std::string> LinesOfStream(std::string_view text) {
  std::vector<std::string> lines;
  std::istringstream in{std::string(text)};
  sonvex::ForEachTextLine(in, sonvex::kImportMaxLineLength, [&lines](std::string_view l) {
    lines.emplace_back(l);
    return true;
  });
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  std::vector<std::string> lines;
  sonvex::ForEachTextLine(text, sonvex::kImportMaxLineLength, [&lines](std::string_view l) {
    if (l.size() > sonvex::kImportMaxLineLength) __builtin_trap();
    lines.emplace_back(l);
    return true;
  });
  if (lines != LinesOfStream(text)) __builtin_trap();

  for (const auto& line : lines) {
    std::string_view rest = line;
    for (int k = 0; k < 3; ++k) {
      const std::size_t before = rest.size();
      (void)sonvex::ParseNextValue(rest);
      if (rest.size() > before) __builtin_trap();
    }
  }

  auto pts = sonvex::ParseMeasurementText(text);
  if (pts.Size() > sonvex::kImportMaxPoints || pts.A.size() != pts.Size() || pts.P.size() != pts.Size())
    __builtin_trap();
  for (const auto kind : {sonvex::MeasurementKind::FrequencyResponse, sonvex::MeasurementKind::Impedance}) {
    auto chassis = std::make_unique<sonvex::Chassis>(sonvex::DefaultChassis());
    sonvex::ScriptedInteraction ui;
    (void)sonvex::ImportMeasurementPoints(kind, pts, *chassis, ui);
    CheckCurve(chassis->measuredAmplitudeFreq, chassis->measuredAmplitude);
    CheckCurve(chassis->measuredAcousticPhaseFreq, chassis->measuredAcousticPhase);
    CheckCurve(chassis->measuredImpedanceFreq, chassis->measuredImpedance);
    CheckCurve(chassis->measuredElectricalPhaseFreq, chassis->measuredElectricalPhase);
  }
  return 0;
}
