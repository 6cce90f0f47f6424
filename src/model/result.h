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

using ComplexCurve = std::array<Complex, kFreqEntries>;
using RealCurve = std::array<double, kFreqEntries>;
using DirectionRow = std::array<Complex, kDirections>;
using DirectionTable = std::array<DirectionRow, kFreqEntries>;  // [grid index][direction]

// Every result of a calculation. About eleven megabytes: hold it on the heap
// (std::make_unique<CalcResult>()) and copy it deliberately. Sound pressures are
// on one scale: magnitude 1 is 112 dB SPL at 1 m for 2.83 V at the chassis.
struct CalcResult {
  bool valid = false;
  RealCurve freq{};  // copy of the grid, terminated by a value not above 0
  std::int32_t freqCount = 0;
  std::int32_t ampCount = 0;
  std::int32_t chassisCount = 0;
  std::array<ShortString<22>, kChassisSlots> chassisName{};
  std::array<std::int32_t, kChassisSlots> ampOfChassis{};  // -1: not driven
  std::array<std::int32_t, kChassisSlots> enclosureTypes{};
  std::array<ComplexCurve, kMaxAmps> filterResponse{};          // active filters and level
  std::array<DirectionTable, kChassisSlots> directionsFront{};  // baffle direction tables, front sound
  std::array<DirectionTable, kChassisSlots> directionsRear{};   // the same for the rear sound
  // Directions of directionsFront taken from the chassis's measured polar set
  // (bit k: direction k); 0 where the model gives them all.
  std::array<std::uint32_t, kChassisSlots> polarMeasured{};
  std::array<ComplexCurve, kChassisSlots> chassisImpedance{};   // electrical impedance in the enclosure
  std::array<ComplexCurve, kChassisSlots> chassisFront{};       // front pressure per 2.83 V, corrected by measurements
  std::array<ComplexCurve, kChassisSlots> chassisRear{};        // rear (port) pressure, corrected
  std::array<ComplexCurve, kChassisSlots> chassisFrontSim{};    // as simulated
  std::array<ComplexCurve, kChassisSlots> chassisRearSim{};
  std::array<ComplexCurve, kChassisSlots> chassisVoltageGain{};   // chassis voltage per volt of amplifier output
  std::array<DirectionTable, kChassisSlots> contributionFront{};  // contribution to the box sound per direction
  std::array<DirectionTable, kChassisSlots> contributionRear{};
  std::array<ComplexCurve, kMaxAmps> ampImpedance{};  // impedance value of each amplifier's network
  DirectionTable boxPressure{};                       // whole box, per direction
  ComplexCurve boxTiltDown{};
  ComplexCurve boxTiltUp{};
  std::array<RealCurve, kChassisSlots> maxVoltageChassis{};  // V rms at the amplifier
  RealCurve maxVoltage{};
  std::array<RealCurve, kChassisSlots> maxVoltageExcursion{};  // excursion limit alone
  std::array<RealCurve, kChassisSlots + 1> maxPower{};         // rows 0..8 per chassis, row 9 the box
  std::array<RealCurve, kChassisSlots> chassisExcursion{};     // excursion in m at 2.83 V
  RealCurve directivityIndex{};

  bool operator==(const CalcResult&) const = default;
};

// The amplifiers and chassis of the result in use (see AmpsInUse of the project).
inline int AmpsInUse(const CalcResult& r) { return AmpsInUse(int{r.ampCount}); }
inline int ChassisInUse(const CalcResult& r) { return ChassisInUse(int{r.chassisCount}); }

// Clears every field (a full recalculation starts from zero bytes), in place:
// never build a CalcResult temporary on the stack.
void ClearResult(CalcResult& r);

// Item states of one calculation: "F" still to be computed, "OK", or the
// item's German error message. 32 texts in the processing order.
struct CalcStates {
  static constexpr int kCount = 32;
  static constexpr int kCheck = 0;
  static constexpr int kBaffle0 = 1;         // 9 chassis
  static constexpr int kActiveFilter0 = 10;  // 6 amplifiers
  static constexpr int kChassis0 = 16;       // 9 chassis
  static constexpr int kCrossover0 = 25;     // 6 amplifiers
  static constexpr int kWholeBox = 31;

  std::array<std::string, kCount> states{};

  std::string& Check() { return states[kCheck]; }
  std::string& Baffle(int c) { return states.at(kBaffle0 + c); }
  std::string& ActiveFilter(int a) { return states.at(kActiveFilter0 + a); }
  std::string& Chassis(int c) { return states.at(kChassis0 + c); }
  std::string& Crossover(int a) { return states.at(kCrossover0 + a); }
  std::string& WholeBox() { return states[kWholeBox]; }
  const std::string& Check() const { return states[kCheck]; }
  const std::string& Baffle(int c) const { return states.at(kBaffle0 + c); }
  const std::string& ActiveFilter(int a) const { return states.at(kActiveFilter0 + a); }
  const std::string& Chassis(int c) const { return states.at(kChassis0 + c); }
  const std::string& Crossover(int a) const { return states.at(kCrossover0 + a); }
  const std::string& WholeBox() const { return states[kWholeBox]; }

  bool operator==(const CalcStates&) const = default;
};

// A state text of 3 or more characters is a failure.
inline bool IsFailureText(const std::string& s) { return s.size() >= 3; }

}  // namespace sonvex
