#pragma once
// Reading the measurement files of a polar set: plane and angle from each
// file's name, the response from its content with the rules of the
// measurement import, and the checks a set of files must pass.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/polar_set.h"

namespace sonvex {

// Plane and angle from a file name: a marker "hor"/"horizontal"/"H" or
// "ver"/"vert"/"vertical"/"V" (standing alone: not part of a longer word)
// and the signed number right after it, or else right before it, with only
// blanks, "_" and "-" between. The extension is ignored. Examples:
// "Tieftöner hor -30.frd", "30_H.txt", "tmm _V 60.frd", "H+15.frd".
std::optional<PolarAngle> PolarAngleFromFileName(std::string_view fileName);

// A measurement file read for a polar set: the response (plane and angle from
// the name where it has them; the window lets the user correct them) and what
// went wrong, if anything.
struct PolarFile {
  PolarResponse response;
  bool named = false;  // plane and angle are known
  std::string error;   // German message when the file cannot be used
};

// Reads the content of a file with the rules of the measurement import
// (columns frequency, level, optionally phase; reduced below 600 points).
// The values are those a chassis file keeps of them, so that a stored set
// reads back exactly.
PolarFile PolarFileFromText(std::string_view fileName, std::string_view content);
// The same for a file on disk; an unreadable file gives its message.
PolarFile ReadPolarFile(const std::filesystem::path& file);

// Checks files about to become a set against the rules of a set: at least two
// files, every file readable with plane and angle, angles within −180..180,
// no plane and angle twice, a 0° file, and every file's frequencies within
// reach of the grid fMin..fMax. Returns the German message of the first fault,
// empty when the files make a set.
std::string CheckPolarFiles(const std::vector<PolarFile>& files, double fMin, double fMax);

// The set made of checked files.
PolarSet MakePolarSet(const std::vector<PolarFile>& files);

}  // namespace sonvex
