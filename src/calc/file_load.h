#pragma once
// Loading project and chassis files as the programs do: the keys read by the
// model's file readers, then the values that follow from them. Deriving them
// takes the enclosure model and the voice-coil fit, so loading lives here and
// not beside the readers.
#include <filesystem>

#include "model/chassis_file.h"
#include "model/project.h"
#include "model/project_file.h"

namespace sonvex {

class Interaction;
class MyIniFile;
struct Settings;

// Reads a project file into `p` (ReadProjectFrom) and gives the chassis in
// use of a version 1000 file their voice-coil model (DeriveVersion1000Chassis).
// Throws FileError when the file exists but cannot be read.
ProjectLoadResult LoadProject(Project& p, const std::filesystem::path& file, const Settings& settings, Interaction& ui);
// The same on a file object already read (scrambled).
ProjectLoadResult LoadProjectFrom(Project& p, const MyIniFile& ini, const Settings& settings, Interaction& ui);

// What opening a project derives after reading it: for chassis slots 0..7
// the enclosure losses are estimated and the derived values computed at
// f = 1e-10.
void DeriveLoadedProject(Project& p);

// Opening a project as the program does at start-up and for "Projekt laden":
// nothing happens for a missing file; a file that does not start with the
// byte 0 (every scrambled file does) is refused with file name + CR +
// "ist keine gültige Projektdatei dieser Version von Sonvex." and `p` becomes
// a new project; otherwise LoadProject, then DeriveLoadedProject.
// Throws FileError when the file exists but cannot be read, at once for
// anything but a regular file (a named pipe, a device, a folder). A file cut
// short loads with a warning (ReadProjectFrom).
ProjectLoadResult LoadProjectFile(Project& p, const std::filesystem::path& file, const Settings& settings,
                                  Interaction& ui);

// Reads a chassis file into `c`. A wrong header shows its message (through
// the file object) and, like a missing file or a rejected version, shows
// "Datei hat falsches Datenformat." and returns false with `c` unchanged.
// A chassis of version 1000 gets its voice-coil model. Throws FileError when
// the file exists but cannot be read, at once for anything but a regular file.
bool LoadChassisFile(Chassis& c, const std::filesystem::path& file, Interaction& ui);
// The same from a file object already read (scrambled).
bool LoadChassisFrom(Chassis& c, const MyIniFile& ini, Interaction& ui);

// Files of version 1000 carry no voice-coil model: derives Rms, Cms and Lms
// from fs, Re, Qes and Qms in a working copy, fits the voice coil to the
// measured impedance and replaces the chassis by the copy. A chassis whose
// fs, Re or Qes is not positive keeps its values as read (the derivation
// would divide by zero).
void DeriveVersion1000Chassis(Chassis& c);

}  // namespace sonvex
