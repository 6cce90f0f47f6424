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

void ClearResult(TResult& r) {
  r.bValid = false;
  Zero(r.freq);
  r.nFreq = r.nAmps = r.nChassis = 0;
  for (auto& n : r.ChassisName) n.Clear();
  Zero(r.AmpOfChassis);
  Zero(r.EinbauTyp);
  Zero(r.FilterResp);
  Zero(r.DirFront);
  Zero(r.DirRear);
  Zero(r.ChassisZ);
  Zero(r.ChFront);
  Zero(r.ChRear);
  Zero(r.ChFrontSim);
  Zero(r.ChRearSim);
  Zero(r.ChassisU);
  Zero(r.ContribFront);
  Zero(r.ContribRear);
  Zero(r.AmpZ);
  Zero(r.BoxP);
  Zero(r.BoxTiltDown);
  Zero(r.BoxTiltUp);
  Zero(r.MaxUChassis);
  Zero(r.MaxU);
  Zero(r.MaxUExc);
  Zero(r.MaxP);
  Zero(r.ChHub);
  Zero(r.DirIdx);
}

}  // namespace sonvex
