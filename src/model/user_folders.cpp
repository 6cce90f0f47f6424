#include "model/user_folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <system_error>

#include "model/file_io.h"

namespace sonvex {

namespace fs = std::filesystem;

namespace {

// An XDG variable counts only when it holds an absolute path.
std::optional<fs::path> AbsoluteEnv(const EnvLookup& env, const char* name) {
  const char* v = env(name);
  if (v == nullptr || *v == 0) return std::nullopt;
  fs::path p = PathFromUtf8(v);
  if (!p.is_absolute()) return std::nullopt;
  return p;
}

}  // namespace

ProgramLayout DetectProgramLayout(const fs::path& programFolder) {
  std::error_code ec;
  if (fs::is_regular_file(programFolder / PathFromUtf8(kSettingsFileName), ec)) return ProgramLayout::Portable;
  for (const char* folder : {"Chassis", "Projekte", "Weichenbauteile"})
    if (fs::is_directory(programFolder / folder, ec)) return ProgramLayout::Portable;
  if (fs::is_directory(SharedDataFolder(programFolder), ec)) return ProgramLayout::Installed;
  return ProgramLayout::Portable;
}

const char* ProcessEnv(const char* name) {
  const char* v = std::getenv(name);
  if ((v == nullptr || *v == 0) && std::string_view(name) == "HOME") {
    // Read once at start-up, before any thread runs.
    static const std::string kHome = [] {
      const passwd* pw = ::getpwuid(::getuid());
      return std::string(pw != nullptr && pw->pw_dir != nullptr ? pw->pw_dir : "");
    }();
    return kHome.empty() ? nullptr : kHome.c_str();
  }
  return v;
}

std::optional<UserFolders> XdgUserFolders(const EnvLookup& env) {
  const auto home = AbsoluteEnv(env, "HOME");
  auto config = AbsoluteEnv(env, "XDG_CONFIG_HOME");
  auto data = AbsoluteEnv(env, "XDG_DATA_HOME");
  if (!config && home) config = *home / ".config";
  if (!data && home) data = *home / ".local" / "share";
  if (!config || !data) return std::nullopt;
  return UserFolders{*config / "sonvex", *data / "sonvex"};
}

void SeedDataFolder(const fs::path& shared, const fs::path& target) {
  std::error_code ec;
  if (!fs::is_directory(shared, ec)) return;
  fs::create_directories(target, ec);
  for (auto it = fs::recursive_directory_iterator(shared, fs::directory_options::skip_permission_denied, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    std::error_code one;
    const fs::path to = target / fs::relative(it->path(), shared, one);
    if (one) continue;
    if (it->is_directory(one))
      fs::create_directories(to, one);
    else if (!fs::exists(to, one))
      fs::copy_file(it->path(), to, fs::copy_options::skip_existing, one);
  }
}

fs::path SharedDataFolder(const fs::path& programFolder) { return programFolder.parent_path() / "share" / "sonvex"; }

Settings MakeProgramSettings(const fs::path& programFolder, const fs::path& programFile,
                             const std::optional<fs::path>& dataOverride, const EnvLookup& env) {
  if (dataOverride) return MakeSettings(*dataOverride, programFile);
  if (DetectProgramLayout(programFolder) == ProgramLayout::Portable) return MakeSettings(programFolder, programFile);
  const auto user = XdgUserFolders(env);
  // Without any home folder there is nowhere else to go: the program folder
  // then serves (saving the settings will report its failure).
  if (!user) return MakeSettings(programFolder, programFile);
  std::error_code ec;
  fs::create_directories(user->settingsFolder, ec);
  if (!fs::exists(user->dataFolder, ec)) SeedDataFolder(SharedDataFolder(programFolder), user->dataFolder);
  Settings s = MakeSettings(user->dataFolder, programFile);
  s.settingsFolder = user->settingsFolder;
  SetDefaultFolders(s);
  return s;
}

}  // namespace sonvex
