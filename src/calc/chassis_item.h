#pragma once
// The calculation item of one chassis.
#include <string>

#include "model/project.h"
#include "model/result.h"

namespace sonvex {

// Item Chassis[b]: chassis slot b (0..8) of the working project:
// simulates it in its enclosure, applies the measured amplitude, phase and
// impedance where switched on and writes chassisImpedance, chassisFront, chassisRear,
// chassisFrontSim, chassisRearSim and chassisExcursion of slot b. Returns the item's state text:
// "OK" or "Fehler: Chassis " + (b + 1) + ": " + the messages.
std::string ChassisItem(const Project& p, int b, CalcResult& r);

}  // namespace sonvex
