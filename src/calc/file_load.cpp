#include "calc/file_load.h"

#include <memory>
#include <string>
#include <system_error>

#include "acoustics/enclosure.h"
#include "acoustics/voice_coil_fit.h"
#include "model/file_io.h"
#include "model/interaction.h"
#include "model/my_ini_file.h"
#include "numeric/constants.h"

namespace sonvex {

namespace fs = std::filesystem;

namespace {

// The version whose chassis carry no voice-coil model.
constexpr int kVersionWithoutVoiceCoil = 1000;

bool WithoutVoiceCoil(const MyIniFile& ini) {
  return ini.ReadInteger("Header", "Version", 0) == kVersionWithoutVoiceCoil;
}

}  // namespace

ProjectLoadResult LoadProjectFrom(Project& p, const MyIniFile& ini, const Settings& settings, Interaction& ui) {
  const ProjectLoadResult result = ReadProjectFrom(p, ini, settings, ui);
  if (result != ProjectLoadResult::WrongVersion && WithoutVoiceCoil(ini)) {
    for (int c = 0; c < ChassisInUse(p); ++c) DeriveVersion1000Chassis(p.chassis[static_cast<std::size_t>(c)]);
  }
  return result;
}

ProjectLoadResult LoadProject(Project& p, const fs::path& file, const Settings& settings, Interaction& ui) {
  // Nothing is ever written back, so the file is opened for reading only and
  // write-protected projects load as well.
  const MyIniFile ini(file, true, false, true, &ui);
  return LoadProjectFrom(p, ini, settings, ui);
}

ProjectLoadResult LoadProjectFile(Project& p, const fs::path& file, const Settings& settings, Interaction& ui) {
  std::error_code ec;
  if (!fs::exists(file, ec)) return ProjectLoadResult::Missing;
  // Read once, and only a regular file: a named pipe or a device is refused
  // at once (FileError) instead of waiting for data.
  const std::string bytes = ReadWholeFile(file);
  // An empty file has no first byte.
  if (bytes.empty() || bytes.front() != 0) {
    ui.ShowMessage(Utf8FromPath(file) + "\r" + std::string(kNotAProjectFileText));
    NewProject(p);
    ApplyDisplayDefaults(p, settings);
    return ProjectLoadResult::NotProjectFile;
  }
  const MyIniFile ini = MyIniFile::FromBytes(bytes, true, &ui, file);
  const ProjectLoadResult result = LoadProjectFrom(p, ini, settings, ui);
  DeriveLoadedProject(p);
  return result;
}

void DeriveLoadedProject(Project& p) {
  for (int c = 0; c < kMaxChassis; ++c) {
    const auto slot = static_cast<std::size_t>(c);
    EstimateEnclosureLosses(p.chassis[slot], p.enclosures[slot]);
  }
  DeriveChassisValues(p);
}

bool LoadChassisFrom(Chassis& c, const MyIniFile& ini, Interaction& ui) {
  if (!ReadChassisFrom(c, ini, ui)) return false;
  if (WithoutVoiceCoil(ini)) DeriveVersion1000Chassis(c);
  return true;
}

bool LoadChassisFile(Chassis& c, const fs::path& file, Interaction& ui) {
  const MyIniFile ini(file, true, false, true, &ui);
  return LoadChassisFrom(c, ini, ui);
}

void DeriveVersion1000Chassis(Chassis& c) {
  if (!(c.fs > 0 && c.Re > 0 && c.Qes > 0)) return;
  auto copy = std::make_unique<Chassis>(c);
  copy->derived.Rms = copy->Re * copy->Qms / copy->Qes;
  copy->derived.Cms = copy->Qes / (2 * kPi * copy->fs * copy->Re);
  copy->derived.Lms = copy->Re / (2 * kPi * copy->fs * copy->Qes);
  std::string memo;
  FitVoiceCoil(*copy, memo);  // without enough impedance points only the lists get sorted
  c = *copy;
}

}  // namespace sonvex
