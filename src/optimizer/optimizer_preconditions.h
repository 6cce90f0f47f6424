#pragma once
// Preconditions the optimizer window tests before a run.
#include <optional>
#include <string>
#include <string_view>

#include "model/project.h"

namespace sonvex {

class Interaction;

// Marked resistors, capacitors and coils in the crossovers of the amplifiers in use.
int CountMarkedParts(const Project& p);
// Marks every resistor (or every resistor, capacitor and coil) of those
// crossovers; returns the number of marked parts of types 2..4 afterwards.
int MarkAllResistors(Project& p);
int MarkAllParts(Project& p);

inline constexpr std::string_view kNoMarkedPartsText =
    "Es wurden keine Bauteile zur Optimierung markiert. Was soll geschehen?";
inline constexpr std::string_view kNoMarkedPartsButtons =
    "alle Widerstände markieren|alle Bauteile markieren|Bauteile im Weicheneditor selbst markieren.";
// While nothing is marked, asks what to do; marks in `p` itself. False when
// the user will mark the parts in the schematic editor (the start is
// cancelled).
bool EnsureMarkedParts(Project& p, Interaction& ui);

inline constexpr std::string_view kChassisDataText = "Sd, xlin und Pmax müssen > 0 sein.";
// Every chassis in use needs a membrane area, xlin and a rated power above 0,
// and the first two not below their smallest plausible values
// (CheckChassisValues of calc/check.h). The message for the lowest-numbered chassis that has not,
// else no value.
std::optional<std::string> CheckChassisData(const Project& p);

}  // namespace sonvex
