#pragma once
// Texts of the main window that follow from the project alone: the window
// title and the captions of the chassis items.
#include <string>
#include <string_view>

#include "model/project.h"
#include "model/version.h"

namespace sonvex {

// The program's version ("1.11b") and as the window title shows it ("V1.11b").
inline constexpr std::string_view kProgramVersion = SONVEX_VERSION;
inline constexpr std::string_view kVersionText = "V" SONVEX_VERSION;

// The shown file name: unchanged when it has at most `limit` characters or no
// folder separator; otherwise the head up to the first separator, "..." and a
// separator, and as much of the tail as fits, dropping whole folders from its
// front (the file name itself always stays).
std::string ShortenFileName(std::string_view name, int limit);
// "Sonvex V1.11b - KORVANT-Edition [" + shown name + "]" for a window width.
std::string MainWindowTitle(std::string_view name, int windowWidth);
// Caption of chassis item n (1-based): "Chassis &n: name", with the closed or
// vented box volume in litres.
std::string ChassisMenuCaption(int n, const Chassis& c, const Enclosure& e);

}  // namespace sonvex
