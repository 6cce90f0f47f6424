#pragma once
// Chassis files (.ZCH): one chassis with its parameters, data-sheet values and
// measured curves in a scrambled MyIniFile with the sections "Header"
// (`Version`) and "Chassis". The same keys stand in project files, one
// section "Chassis1".."Chassis8" per slot; the key reader and writer here
// serve both.
#include <filesystem>
#include <string>
#include <string_view>

#include "model/project.h"

namespace sonvex {

class Interaction;
class MyIniFile;

inline constexpr int kChassisFileVersion = 1108;
inline constexpr std::string_view kWrongDataFormatText = "Datei hat falsches Datenformat.";

// Versions a chassis file reader accepts: 1000..1002 and 1103..1108.
bool ChassisFileVersionAccepted(int version);

// How the chassis keys are written and read.
enum class ChassisKeyForm {
  ChassisFile,  // with `typ` and `Membranform`; `_hst` never written; version thresholds 1104/1105
  ProjectFile,  // without `Membranform`; `typ` read but not written; `_hst` written as the mark
};

// Writes the chassis keys of `c` into `section` in their fixed order.
void WriteChassisKeys(MyIniFile& ini, std::string_view section, const Chassis& c, ChassisKeyForm form);

// Reads every chassis key of `section` into `c` (missing keys take their
// defaults) and applies the conversions of older versions. The curve arrays
// are cleared first, so a loaded chassis depends on the file alone. Does not
// run the version 1000 derivation (DeriveVersion1000Chassis, calc/file_load.h).
void ReadChassisKeys(const MyIniFile& ini, std::string_view section, Chassis& c, int version, ChassisKeyForm form);

// Replaces the file (scrambled) with version 1108 and the keys of a copy of
// `c` whose `originalFileName` is the file's own name and `publicationDate` today's date.
// The file is written through a temporary file; throws FileError on failure
// and then leaves a previous file unchanged.
void SaveChassisFile(const std::filesystem::path& file, const Chassis& c);

// Reads the chassis of a chassis file object (scrambled) into `c`. A
// rejected version shows "Datei hat falsches Datenformat." and returns false
// with `c` unchanged. Derives nothing (see LoadChassisFrom in calc/file_load.h
// for files of version 1000). A file that ends inside a line shows the
// warning IncompleteFileText("Chassisdatei", file) first and is read as far
// as it goes.
bool ReadChassisFrom(Chassis& c, const MyIniFile& ini, Interaction& ui);

// The comparison form of a chassis name: characters below code 32, blanks,
// "-", "_", "(" and ")" dropped, a..z in capitals.
std::string NormalizeChassisName(std::string_view name);

// Looks through the "*.ZCH" files of `chassisFolder` (sorted by name; the
// extension in any letter case) for a file of an accepted version whose chassis
// has the same normalized name as `c` and a strictly later `publicationDate`; returns
// its full path, or an empty path. Files that cannot be read take no part.
// `ui` (may be null) receives the message of a file with a wrong header.
std::filesystem::path FindNewerChassisFile(const Chassis& c, const std::filesystem::path& chassisFolder,
                                           Interaction* ui);

// Today's local date as "dd.mm.yyyy".
std::string TodayText();

}  // namespace sonvex
