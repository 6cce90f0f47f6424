#pragma once
// The result record of a calculation and the states of its items.
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "model/project.h"
#include "numeric/complex.h"

namespace sonvex {

inline constexpr int kDirections =
    30;  // 0 on axis; 1..20 at 30°..150° up/left/down/right; 21 rear; 22..29 baffle plane

using TComplexCurve = std::array<TComplex, kFreqEntries>;
using TRealCurve = std::array<double, kFreqEntries>;
using TDirRow = std::array<TComplex, kDirections>;
using TDirTable = std::array<TDirRow, kFreqEntries>;  // [grid index][direction]

// Every result of a calculation. About eleven megabytes: hold it on the heap
// (std::make_unique<TResult>()) and copy it deliberately. Sound pressures are
// on one scale: magnitude 1 is 112 dB SPL at 1 m for 2.83 V at the chassis.
struct TResult {
  bool bValid = false;
  TRealCurve freq{};  // copy of the grid, terminated by a value not above 0
  std::int32_t nFreq = 0;
  std::int32_t nAmps = 0;
  std::int32_t nChassis = 0;
  std::array<TShortString<22>, kChassisSlots> ChassisName{};
  std::array<std::int32_t, kChassisSlots> AmpOfChassis{};  // -1: not driven
  std::array<std::int32_t, kChassisSlots> EinbauTyp{};
  std::array<TComplexCurve, kMaxAmps> FilterResp{};       // active filters and level
  std::array<TDirTable, kChassisSlots> DirFront{};        // baffle direction tables, front sound
  std::array<TDirTable, kChassisSlots> DirRear{};         // the same for the rear sound
  std::array<TComplexCurve, kChassisSlots> ChassisZ{};    // electrical impedance in the enclosure
  std::array<TComplexCurve, kChassisSlots> ChFront{};     // front pressure per 2.83 V, corrected by measurements
  std::array<TComplexCurve, kChassisSlots> ChRear{};      // rear (port) pressure, corrected
  std::array<TComplexCurve, kChassisSlots> ChFrontSim{};  // as simulated
  std::array<TComplexCurve, kChassisSlots> ChRearSim{};
  std::array<TComplexCurve, kChassisSlots> ChassisU{};  // chassis voltage per volt of amplifier output
  std::array<TDirTable, kChassisSlots> ContribFront{};  // contribution to the box sound per direction
  std::array<TDirTable, kChassisSlots> ContribRear{};
  std::array<TComplexCurve, kMaxAmps> AmpZ{};  // impedance value of each amplifier's network
  TDirTable BoxP{};                            // whole box, per direction
  TComplexCurve BoxTiltDown{};
  TComplexCurve BoxTiltUp{};
  std::array<TRealCurve, kChassisSlots> MaxUChassis{};  // V rms at the amplifier
  TRealCurve MaxU{};
  std::array<TRealCurve, kChassisSlots> MaxUExc{};   // excursion limit alone
  std::array<TRealCurve, kChassisSlots + 1> MaxP{};  // rows 0..8 per chassis, row 9 the box
  std::array<TRealCurve, kChassisSlots> ChHub{};     // excursion in m at 2.83 V
  TRealCurve DirIdx{};

  bool operator==(const TResult&) const = default;
};

// The amplifiers and chassis of the result in use (see AmpsInUse of the project).
inline int AmpsInUse(const TResult& r) { return AmpsInUse(int{r.nAmps}); }
inline int ChassisInUse(const TResult& r) { return ChassisInUse(int{r.nChassis}); }

// Clears every field (a full recalculation starts from zero bytes), in place:
// never build a TResult temporary on the stack.
void ClearResult(TResult& r);

// Item states of one calculation: "F" still to be computed, "OK", or the
// item's German error message. 32 texts in the processing order.
struct TCalcStruct {
  static constexpr int kCount = 32;
  static constexpr int kCheck = 0;
  static constexpr int kBaffle0 = 1;    // 9 chassis
  static constexpr int kAktFilt0 = 10;  // 6 amplifiers
  static constexpr int kChassis0 = 16;  // 9 chassis
  static constexpr int kWeiche0 = 25;   // 6 amplifiers
  static constexpr int kGesamt = 31;

  std::array<std::string, kCount> states{};

  std::string& Check() { return states[kCheck]; }
  std::string& Baffle(int c) { return states.at(kBaffle0 + c); }
  std::string& AktFilt(int a) { return states.at(kAktFilt0 + a); }
  std::string& Chassis(int c) { return states.at(kChassis0 + c); }
  std::string& Weiche(int a) { return states.at(kWeiche0 + a); }
  std::string& Gesamt() { return states[kGesamt]; }
  const std::string& Check() const { return states[kCheck]; }
  const std::string& Baffle(int c) const { return states.at(kBaffle0 + c); }
  const std::string& AktFilt(int a) const { return states.at(kAktFilt0 + a); }
  const std::string& Chassis(int c) const { return states.at(kChassis0 + c); }
  const std::string& Weiche(int a) const { return states.at(kWeiche0 + a); }
  const std::string& Gesamt() const { return states[kGesamt]; }

  bool operator==(const TCalcStruct&) const = default;
};

// A state text of 3 or more characters is a failure.
inline bool IsFailureText(const std::string& s) { return s.size() >= 3; }

}  // namespace sonvex
