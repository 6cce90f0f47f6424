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

bool WithoutVoiceCoil(const TMyIniFile& ini) {
  return ini.ReadInteger("Header", "Version", 0) == kVersionWithoutVoiceCoil;
}

}  // namespace

TProjectLoad LoadProjectFrom(TProjekt& p, const TMyIniFile& ini, const TSettings& settings, TInteraction& ui) {
  const TProjectLoad result = ReadProjectFrom(p, ini, settings, ui);
  if (result != TProjectLoad::WrongVersion && WithoutVoiceCoil(ini)) {
    for (int c = 0; c < ChassisInUse(p); ++c) DeriveVersion1000Chassis(p.Chassis[static_cast<std::size_t>(c)]);
  }
  return result;
}

TProjectLoad LoadProject(TProjekt& p, const fs::path& file, const TSettings& settings, TInteraction& ui) {
  // Nothing is ever written back, so the file is opened for reading only and
  // write-protected projects load as well.
  const TMyIniFile ini(file, true, false, true, &ui);
  return LoadProjectFrom(p, ini, settings, ui);
}

TProjectLoad LoadProjectFile(TProjekt& p, const fs::path& file, const TSettings& settings, TInteraction& ui) {
  std::error_code ec;
  if (!fs::exists(file, ec)) return TProjectLoad::Missing;
  // Read once, and only a regular file: a named pipe or a device is refused
  // at once (TFileError) instead of waiting for data.
  const std::string bytes = ReadWholeFile(file);
  // An empty file has no first byte.
  if (bytes.empty() || bytes.front() != 0) {
    ui.ShowMessage(Utf8FromPath(file) + "\r" + std::string(kNotAProjectFileText));
    NewProject(p);
    ApplyDisplayDefaults(p, settings);
    return TProjectLoad::NotProjectFile;
  }
  const TMyIniFile ini = TMyIniFile::FromBytes(bytes, true, &ui, file);
  const TProjectLoad result = LoadProjectFrom(p, ini, settings, ui);
  DeriveLoadedProject(p);
  return result;
}

void DeriveLoadedProject(TProjekt& p) {
  for (int c = 0; c < kMaxChassis; ++c) {
    TChassis& ch = p.Chassis[static_cast<std::size_t>(c)];
    TEinbau& e = p.Einbau[static_cast<std::size_t>(c)];
    EstimateEnclosureLosses(ch, e);
    DeriveChassisValues(ch, e, 1e-10);
  }
}

bool LoadChassisFrom(TChassis& c, const TMyIniFile& ini, TInteraction& ui) {
  if (!ReadChassisFrom(c, ini, ui)) return false;
  if (WithoutVoiceCoil(ini)) DeriveVersion1000Chassis(c);
  return true;
}

bool LoadChassisFile(TChassis& c, const fs::path& file, TInteraction& ui) {
  const TMyIniFile ini(file, true, false, true, &ui);
  return LoadChassisFrom(c, ini, ui);
}

void DeriveVersion1000Chassis(TChassis& c) {
  if (!(c.fs > 0 && c.Re > 0 && c.Qes > 0)) return;
  auto w = std::make_unique<TChassis>(c);
  w->derived.Rms = w->Re * w->Qms / w->Qes;
  w->derived.Cms = w->Qes / (2 * kPi * w->fs * w->Re);
  w->derived.Lms = w->Re / (2 * kPi * w->fs * w->Qes);
  std::string memo;
  FitVoiceCoil(*w, memo);  // without enough impedance points only the lists get sorted
  c = *w;
}

}  // namespace sonvex
