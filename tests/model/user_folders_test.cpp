// Where settings and data live: beside a writable program, in the user's XDG
// folders for an installed one, below --data DIR when given.
#include "model/user_folders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "files_test_util.h"
#include "model/file_io.h"
#include "model/settings.h"

namespace sonvex {
namespace {

namespace fs = std::filesystem;
using testing_files::ReadBytes;
using testing_files::TScratchDir;
using testing_files::WriteBytes;

constexpr char kSep = static_cast<char>(fs::path::preferred_separator);

struct TEnv {
  std::map<std::string, std::string> vars;
  TEnvLookup Lookup() const {
    return [this](const char* name) -> const char* {
      const auto it = vars.find(name);
      return it == vars.end() ? nullptr : it->second.c_str();
    };
  }
};

TWritableTest Writable(bool yes) {
  return [yes](const fs::path&) { return yes; };
}

// <dir>/prefix/bin with the shipped samples in <dir>/prefix/share/sonvex.
fs::path MakeInstalledProgram(const TScratchDir& dir) {
  const fs::path bin = dir / "prefix/bin";
  fs::create_directories(bin);
  fs::create_directories(dir / "prefix/share/sonvex/Projekte");
  fs::create_directories(dir / "prefix/share/sonvex/Chassis");
  WriteBytes(dir / "prefix/share/sonvex/Projekte/Default.ZPJ", "geliefert");
  WriteBytes(dir / "prefix/share/sonvex/Chassis/SV-170.ZCH", "Chassis");
  return bin;
}

TEST(UserFolders, AWritableProgramFolderKeepsEverythingBesideTheProgram) {
  TScratchDir dir;
  TEnv env{{{"HOME", Utf8FromPath(dir / "home")}}};
  const TSettings s = MakeProgramSettings(dir.path(), dir / "sonvex", std::nullopt, env.Lookup());
  EXPECT_TRUE(FolderWritable(dir.path()));
  EXPECT_EQ(s.settingsFile, dir / "Sonvex.ini");
  EXPECT_EQ(Utf8FromPath(s.projectFolder), Utf8FromPath(dir / "Projekte") + kSep);
  EXPECT_FALSE(fs::exists(dir / "home"));
  EXPECT_FALSE(FolderWritable(dir / "fehlt"));
}

TEST(UserFolders, AnInstalledProgramUsesTheXdgFoldersSeededOnce) {
  TScratchDir dir;
  const fs::path bin = MakeInstalledProgram(dir);
  TEnv env{{{"HOME", Utf8FromPath(dir / "home")},
            {"XDG_CONFIG_HOME", Utf8FromPath(dir / "cfg")},
            {"XDG_DATA_HOME", Utf8FromPath(dir / "data")}}};
  TSettings s = MakeProgramSettings(bin, bin / "sonvex", std::nullopt, env.Lookup(), Writable(false));
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
  EXPECT_FALSE(fs::exists(bin / "Sonvex.ini"));

  // The user's own edits and deletions survive the next start.
  WriteBytes(dir / "data/sonvex/Projekte/Default.ZPJ", "meins");
  fs::remove(dir / "data/sonvex/Chassis/SV-170.ZCH");
  MakeProgramSettings(bin, bin / "sonvex", std::nullopt, env.Lookup(), Writable(false));
  EXPECT_EQ(ReadBytes(dir / "data/sonvex/Projekte/Default.ZPJ"), "meins");
  EXPECT_FALSE(fs::exists(dir / "data/sonvex/Chassis/SV-170.ZCH"));
}

TEST(UserFolders, HomeDefaultsRelativeXdgValuesAndTheDataOption) {
  TScratchDir dir;
  const fs::path bin = MakeInstalledProgram(dir);
  // Unset or relative XDG variables fall back to ~/.config and ~/.local/share.
  TEnv env{{{"HOME", Utf8FromPath(dir / "home")}, {"XDG_DATA_HOME", "relativ/daten"}}};
  TSettings s = MakeProgramSettings(bin, {}, std::nullopt, env.Lookup(), Writable(false));
  EXPECT_EQ(s.settingsFile, dir / "home/.config/sonvex/Sonvex.ini");
  EXPECT_EQ(Utf8FromPath(s.projectFolder), Utf8FromPath(dir / "home/.local/share/sonvex/Projekte") + kSep);
  EXPECT_TRUE(fs::exists(dir / "home/.local/share/sonvex/Projekte/Default.ZPJ"));

  // --data DIR overrides everything, writable or not.
  s = MakeProgramSettings(bin, {}, dir / "eigene", env.Lookup(), Writable(false));
  EXPECT_EQ(s.settingsFile, dir / "eigene/Sonvex.ini");
  EXPECT_EQ(Utf8FromPath(s.chassisFolder), Utf8FromPath(dir / "eigene/Chassis") + kSep);

  // No home at all: the program folder, as before.
  s = MakeProgramSettings(bin, {}, std::nullopt, TEnv{}.Lookup(), Writable(false));
  EXPECT_EQ(s.settingsFile, bin / "Sonvex.ini");
}

}  // namespace
}  // namespace sonvex
