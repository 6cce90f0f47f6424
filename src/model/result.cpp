#include "model/result.h"

namespace sonvex {

namespace {
template <typename T>
void Zero(T& value) {
  value = T{};
}
template <typename T, std::size_t N>
void Zero(std::array<T, N>& a) {
  for (T& x : a) Zero(x);
}
}  // namespace

void ClearResult(CalcResult& r) {
  r.valid = false;
  Zero(r.freq);
  r.freqCount = r.ampCount = r.chassisCount = 0;
  for (auto& n : r.chassisName) n.Clear();
  Zero(r.ampOfChassis);
  Zero(r.enclosureTypes);
  Zero(r.filterResponse);
  Zero(r.directionsFront);
  Zero(r.directionsRear);
  Zero(r.chassisImpedance);
  Zero(r.chassisFront);
  Zero(r.chassisRear);
  Zero(r.chassisFrontSim);
  Zero(r.chassisRearSim);
  Zero(r.chassisVoltageGain);
  Zero(r.contributionFront);
  Zero(r.contributionRear);
  Zero(r.ampImpedance);
  Zero(r.boxPressure);
  Zero(r.boxTiltDown);
  Zero(r.boxTiltUp);
  Zero(r.maxVoltageChassis);
  Zero(r.maxVoltage);
  Zero(r.maxVoltageExcursion);
  Zero(r.maxPower);
  Zero(r.chassisExcursion);
  Zero(r.directivityIndex);
}

}  // namespace sonvex
