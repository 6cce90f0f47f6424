#pragma once
// The curves loudspeaker builders compare boxes by, estimated from the
// whole box's sound in its 30 directions: listening window, early
// reflections (with their five parts), sound power, the predicted in-room
// response and the two directivity indices; and the group delay of the box
// and of each chassis on axis.
//
// Powers P_k = |boxPressure[i][k]|^2; levels are dB(x) = 10 log10(x + 1e-100) + 112,
// so a magnitude of 1 is 112 dB as on every chart. The standard's 10 degree
// angles are taken from the nearest of the 30 directions:
//   LW  = (5 P0 + 2 L30 + 2 R30) / 9
//   FB  = D30                                   floor
//   CB  = (U30 + 2 U60) / 3                     ceiling
//   FW  = (3 P0 + 2 L30 + 2 R30) / 7            front wall
//   SW  = (L30 + 3 L60 + L90 + R30 + 3 R60 + R90) / 10   side walls
//   RW  = (B + L90 + R90) / 3                   rear wall (B: rear axis)
//   ER  = (FB + CB + FW + SW + RW) / 5
//   SP  = sum of w_k P_k with the solid-angle weights of SoundPowerWeights
//   PIR = 0.12 LW + 0.44 ER + 0.44 SP
//   SPDI = dB(LW) - dB(SP), ERDI = dB(LW) - dB(ER)
#include <array>
#include <vector>

#include "model/result.h"

namespace sonvex {

// One curve per grid point of the result.
using SpinCurve = std::vector<double>;

struct Spinorama {
  int n = 0;                                 // grid points; 0 when the result is not valid
  SpinCurve freq;                            // Hz
  SpinCurve onAxis;                          // dB(P_0)
  SpinCurve LW, ER, SP, PIR;                 // dB
  SpinCurve SPDI, ERDI;                      // dB
  SpinCurve FB, CB, FW, SW, RW;              // dB, the five parts of ER
  SpinCurve groupDelayBox;                   // ms, on axis
  std::vector<SpinCurve> groupDelayChassis;  // ms, per chassis in use: contributionFront + contributionRear on axis
};

// Sound-power weight of each of the 30 directions: the seven rings at
// 0, 30, ..., 180 degrees each take the solid angle of their 30 degree band,
// (cos(theta - 15) - cos(theta + 15)) / 2, shared equally by the ring's
// directions (the 90 degree ring holds 9..12 and 22..29); the single
// directions at 0 and 180 degrees take (1 - cos 15) / 2. They add up to 1.
const std::array<double, kDirections>& SoundPowerWeights();

// Level of a power on the chart scale: 10 log10(x + 1e-100) + 112.
double PowerDb(double power);

// Group delay -dphi/domega in seconds of a response sampled at `freq`
// (ascending, Hz): the phase is unwrapped along the grid (multiples of 2 pi
// added so that neighbours differ by less than pi), differentiated by
// central differences inside and one-sided differences at both ends. A single
// point has no slope and gives 0.
std::vector<double> GroupDelay(const std::vector<double>& freq, const std::vector<Complex>& response);
// The phase of a response unwrapped along its points: the first is arg H_1
// (four-quadrant), and multiples of 2 pi are added so that neighbours differ
// by less than pi. The group delay differentiates it.
std::vector<double> UnwrappedPhase(const std::vector<Complex>& response);

// The on-axis responses of a result on its grid (freqCount points): the
// box's, and chassis c's front and rear contribution together.
std::vector<double> GridOf(const CalcResult& r);
std::vector<Complex> BoxOnAxis(const CalcResult& r);
std::vector<Complex> ChassisOnAxis(const CalcResult& r, int c);

// Every curve above from a result. A result that is not valid gives n = 0 and
// empty curves.
Spinorama ComputeSpinorama(const CalcResult& r);

}  // namespace sonvex
