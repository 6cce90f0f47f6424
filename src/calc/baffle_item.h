#pragma once
// The calculation item of one chassis's baffle.
#include <string>

#include "model/project.h"
#include "model/result.h"

namespace sonvex {

// A chassis on the common cabinet while the cabinet has no size yet.
inline constexpr const char* kNoCabinetSizeText =
    "Das gemeinsame Außengehäuse hat noch keine Maße: bitte unter \"Chassis & Einbau\" → "
    "\"gemeinsames Außengehäuse\" (Strg+G) eingeben. ";

// Item Baffle[c]: the direction table of chassis c on its baffle into
// r.directionsFront[c], and into r.directionsRear[c] mirrored when the rear sound leaves
// opposite to the chassis. Returns "OK" or "Fehler: Chassis n: " + message.
std::string BaffleItem(const Project& p, int c, CalcResult& r);

}  // namespace sonvex
