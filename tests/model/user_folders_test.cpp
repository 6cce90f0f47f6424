// Where settings and data live: beside a portable program, in the user's XDG
// folders for an installed one, below --data DIR when given. The layout alone
// decides, so every case holds for root too (who may write anywhere).
#include "model/user_folders.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "files_test_util.h"
#include "model/file_io.h"
#include "model/settings.h"

namespace sonvex {
namespace {

namespace fs = std::filesystem;
using testing_files::ReadBytes;
using testing_files::ScratchDir;
using testing_files::WriteBytes;

constexpr char kSep = static_cast<char>(fs::path::preferred_separator);

struct FakeEnv {
  std::map<std::string, std::string> vars;
  EnvLookup Lookup() const {
    return [this](const char* name) -> const char* {
      const auto it = vars.find(name);
      return it == vars.end() ? nullptr : it->second.c_str();
    };
  }
};

// <dir>/prefix/bin with the shipped samples in <dir>/prefix/share/sonvex.
fs::path MakeInstalledProgram(const ScratchDir& dir) {
  const fs::path bin = dir / "prefix/bin";
  fs::create_directories(bin);
  fs::create_directories(dir / "prefix/share/sonvex/Projekte");
  fs::create_directories(dir / "prefix/share/sonvex/Chassis");
  WriteBytes(dir / "prefix/share/sonvex/Projekte/Default.ZPJ", "geliefert");
  WriteBytes(dir / "prefix/share/sonvex/Chassis/SV-170.ZCH", "Chassis");
  return bin;
}

TEST(UserFolders, APortableProgramKeepsEverythingBesideItself) {
  // Sonvex.ini or any data folder beside the program makes it portable, even
  // with a share folder next to its own folder.
  const std::vector<std::string> marks = {"Sonvex.ini", "Chassis/", "Projekte/", "Weichenbauteile/", ""};
  for (const std::string& mark : marks) {
    SCOPED_TRACE(mark.empty() ? "a lone program" : mark);
    ScratchDir dir;
    const fs::path bin = mark.empty() ? dir / "prefix/bin" : MakeInstalledProgram(dir);
    fs::create_directories(bin);
    if (mark.ends_with('/'))
      fs::create_directories(bin / mark);
    else if (!mark.empty())
      WriteBytes(bin / mark, "");
    FakeEnv env{{{"HOME", Utf8FromPath(dir / "home")}}};
    EXPECT_EQ(DetectProgramLayout(bin), ProgramLayout::Portable);
    const Settings s = MakeProgramSettings(bin, bin / "sonvex", std::nullopt, env.Lookup());
    EXPECT_EQ(s.settingsFile, bin / "Sonvex.ini");
    EXPECT_EQ(Utf8FromPath(s.projectFolder), Utf8FromPath(bin / "Projekte") + kSep);
    EXPECT_FALSE(fs::exists(dir / "home"));
  }
}

TEST(UserFolders, AnInstalledProgramUsesTheXdgFoldersSeededOnce) {
  ScratchDir dir;
  const fs::path bin = MakeInstalledProgram(dir);
  FakeEnv env{{{"HOME", Utf8FromPath(dir / "home")},
               {"XDG_CONFIG_HOME", Utf8FromPath(dir / "cfg")},
               {"XDG_DATA_HOME", Utf8FromPath(dir / "data")}}};
  // The program folder may be writable (as it is for root): the layout says
  // installed all the same.
  EXPECT_EQ(DetectProgramLayout(bin), ProgramLayout::Installed);
  Settings s = MakeProgramSettings(bin, bin / "sonvex", std::nullopt, env.Lookup());
  EXPECT_EQ(s.settingsFile, dir / "cfg/sonvex/Sonvex.ini");
  EXPECT_EQ(Utf8FromPath(s.chassisFolder), Utf8FromPath(dir / "data/sonvex/Chassis") + kSep);
  EXPECT_EQ(Utf8FromPath(s.partsFolder), Utf8FromPath(dir / "data/sonvex/Weichenbauteile") + kSep);
  EXPECT_EQ(ReadBytes(dir / "data/sonvex/Projekte/Default.ZPJ"), "geliefert");
  EXPECT_TRUE(fs::exists(dir / "data/sonvex/Chassis/SV-170.ZCH"));

  // Settings loaded and saved there, nothing beside the program.
  LoadSettings(s, nullptr);
  EXPECT_EQ(s.settingsFile, dir / "cfg/sonvex/Sonvex.ini");
  SaveSettings(s, nullptr);
  EXPECT_TRUE(fs::exists(dir / "cfg/sonvex/Sonvex.ini"));
  EXPECT_TRUE(fs::is_empty(bin));

  // The user's own edits and deletions survive the next start.
  WriteBytes(dir / "data/sonvex/Projekte/Default.ZPJ", "meins");
  fs::remove(dir / "data/sonvex/Chassis/SV-170.ZCH");
  MakeProgramSettings(bin, bin / "sonvex", std::nullopt, env.Lookup());
  EXPECT_EQ(ReadBytes(dir / "data/sonvex/Projekte/Default.ZPJ"), "meins");
  EXPECT_FALSE(fs::exists(dir / "data/sonvex/Chassis/SV-170.ZCH"));
}

TEST(UserFolders, HomeDefaultsRelativeXdgValuesAndTheDataOption) {
  ScratchDir dir;
  const fs::path bin = MakeInstalledProgram(dir);
  // Unset or relative XDG variables fall back to ~/.config and ~/.local/share.
  FakeEnv env{{{"HOME", Utf8FromPath(dir / "home")}, {"XDG_DATA_HOME", "relativ/daten"}}};
  Settings s = MakeProgramSettings(bin, {}, std::nullopt, env.Lookup());
  EXPECT_EQ(s.settingsFile, dir / "home/.config/sonvex/Sonvex.ini");
  EXPECT_EQ(Utf8FromPath(s.projectFolder), Utf8FromPath(dir / "home/.local/share/sonvex/Projekte") + kSep);
  EXPECT_TRUE(fs::exists(dir / "home/.local/share/sonvex/Projekte/Default.ZPJ"));

  // --data DIR overrides everything, writable or not.
  s = MakeProgramSettings(bin, {}, dir / "eigene", env.Lookup());
  EXPECT_EQ(s.settingsFile, dir / "eigene/Sonvex.ini");
  EXPECT_EQ(Utf8FromPath(s.chassisFolder), Utf8FromPath(dir / "eigene/Chassis") + kSep);

  // No home at all: the program folder, as before.
  s = MakeProgramSettings(bin, {}, std::nullopt, FakeEnv{}.Lookup());
  EXPECT_EQ(s.settingsFile, bin / "Sonvex.ini");
}

TEST(UserFolders, WithoutHomeVariableTheHomeOfThePasswordEntryServes) {
  const char* set = std::getenv("HOME");
  const std::string saved = set != nullptr ? set : "";
  ::unsetenv("HOME");
  const char* home = ProcessEnv("HOME");
  if (set != nullptr) ::setenv("HOME", saved.c_str(), 1);
  ASSERT_NE(home, nullptr);
  EXPECT_TRUE(fs::path(home).is_absolute());
  EXPECT_EQ(ProcessEnv("SONVEX_NICHT_GESETZT"), nullptr);
}

}  // namespace
}  // namespace sonvex
