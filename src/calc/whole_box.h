#pragma once
// The sound of the whole box: every driven chassis's front and rear sound
// with its baffle directivity, crossover voltage and active filters, shifted
// by its position and summed in 30 directions; the voltage and level limits.
#include <string>

#include "model/project.h"
#include "model/result.h"

namespace sonvex {

// Path difference in metres towards direction k (0..29) of a source at
// (x right, y up, z towards the listener) relative to one at the origin.
double PositionPath(int k, double x, double y, double z);

// Phase of a source at (x right, y up, z towards the listener; metres) heard
// in direction k (0..29) at f Hz, relative to a source at the origin.
// Rotating a contribution by it (CRotate) gives a nearer source a phase lead.
double PositionPhase(int k, double f, double x, double y, double z);

// Item WholeBox: fills contributionFront/contributionRear, boxPressure, the tilt sums, maxPower,
// maxVoltageChassis, maxVoltageExcursion, maxVoltage and directivityIndex over the project's grid. Returns "OK"
// or the item's message; values written for lower grid indices stay.
std::string WholeBoxItem(const Project& p, CalcResult& r);

}  // namespace sonvex
