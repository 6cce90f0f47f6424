#include "model/settings.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "files_test_util.h"
#include "model/interaction.h"
#include "model/my_ini_file.h"
#include "support/scripted_interaction.h"

namespace sonvex {
namespace {

using testing_files::ReadBytes;
using testing_files::ScratchDir;
using testing_files::WriteBytes;

constexpr char kSep = static_cast<char>(std::filesystem::path::preferred_separator);

std::string FolderText(const ScratchDir& dir, std::string_view sub) {
  return Utf8FromPath(dir.Path()) + kSep + std::string(sub) + kSep;
}

TEST(Settings, DefaultsWithoutASettingsFile) {
  ScratchDir dir;
  Settings s = MakeSettings(dir.Path());
  s.crossoverMouseMap = 1;
  s.crossoverEditorSize = 7;
  ScriptedInteraction ui;
  LoadSettings(s, &ui);
  EXPECT_EQ(Utf8FromPath(s.settingsFile), Utf8FromPath(dir.Path()) + kSep + "Sonvex.ini");
  EXPECT_EQ(Utf8FromPath(s.chassisFolder), FolderText(dir, "Chassis"));
  EXPECT_EQ(Utf8FromPath(s.projectFolder), FolderText(dir, "Projekte"));
  EXPECT_EQ(Utf8FromPath(s.partsFolder), FolderText(dir, "Weichenbauteile"));
  EXPECT_EQ(Utf8FromPath(s.reportsFolder), FolderText(dir, "Reports"));
  EXPECT_EQ(Utf8FromPath(s.publicationsFolder), FolderText(dir, "Publikationen"));
  EXPECT_EQ(Utf8FromPath(s.kitsFolder), FolderText(dir, "Bausätze"));
  EXPECT_FALSE(s.useStoredFolders);
  EXPECT_EQ(s.crossoverMouseMap, 424531);
  EXPECT_EQ(s.crossoverEditorSize, 2);
  EXPECT_FALSE(s.useDisplayDefaults);
  EXPECT_TRUE(ui.asked.empty());
  EXPECT_FALSE(std::filesystem::exists(s.settingsFile));
}

TEST(Settings, MouseActionMapFromTheOlderKey) {
  struct Case {
    const char* keys;
    int tbweOpti;
  };
  for (const Case& c : {Case{"", 424531}, Case{"TBWE=424231", 424531}, Case{"TBWE=100007", 100507},
                        Case{"TBWE=424231\nTBWEopti=111111", 111111}, Case{"TBWE=-2147483648", -2147482548}}) {
    SCOPED_TRACE(c.keys);
    ScratchDir dir;
    WriteBytes(dir / "Sonvex.ini", std::string("## MyIniFile 1.0\n#Optionen\n") + c.keys + "\nWEsize=3\n");
    Settings s = MakeSettings(dir.Path());
    LoadSettings(s, nullptr);
    EXPECT_EQ(s.crossoverMouseMap, c.tbweOpti);
    EXPECT_EQ(s.crossoverEditorSize, 3);
  }
}

TEST(Settings, EmptyAndRelativeStoredFoldersLieBelowTheProgramFolder) {
  ScratchDir dir;
  WriteBytes(dir / "Sonvex.ini",
             "## MyIniFile 1.0 by QZ 2004 ##\r\n#Verzeichnisse\r\nVerzeichnisvorgaben=\t1\r\nChassis=\t\r\n"
             "Projekte=\tmeine/Projekte\r\nWeichenbauteile=\t/daten/Teile/\r\nReports=\t../Berichte/\r\n");
  Settings s = MakeSettings(dir.Path());
  LoadSettings(s, nullptr);
  ASSERT_TRUE(s.useStoredFolders);
  EXPECT_EQ(Utf8FromPath(s.chassisFolder), FolderText(dir, "Chassis"));
  EXPECT_EQ(Utf8FromPath(s.projectFolder), FolderText(dir, "meine/Projekte"));
  EXPECT_EQ(Utf8FromPath(s.partsFolder), "/daten/Teile/");
  EXPECT_EQ(Utf8FromPath(s.reportsFolder), Utf8FromPath(dir.Path()) + kSep + "../Berichte/");
  EXPECT_EQ(Utf8FromPath(s.kitsFolder), FolderText(dir, "Bausätze"));  // missing key: its default
}

TEST(Settings, PausesAreReadHeldWithinTheirRangeAndSaved) {
  struct Case {
    const char* keys;
    int calcMs;
    int optiMs;
  };
  for (const Case& c : {Case{"", 650, 65}, Case{"Rechenpause=0\nOptimiererpause=0", 0, 0},
                        Case{"Rechenpause=120\nOptimiererpause=300", 120, 300},
                        Case{"Rechenpause=-5\nOptimiererpause=-1", 0, 0},
                        Case{"Rechenpause=99999\nOptimiererpause=2001", 2000, 2000}}) {
    SCOPED_TRACE(c.keys);
    ScratchDir dir;
    WriteBytes(dir / "Sonvex.ini", std::string("## MyIniFile 1.0\n#Optionen\n") + c.keys + "\n");
    Settings s = MakeSettings(dir.Path());
    LoadSettings(s, nullptr);
    EXPECT_EQ(s.calcPauseMs, c.calcMs);
    EXPECT_EQ(s.optimizerPauseMs, c.optiMs);
  }
  ScratchDir dir;
  Settings s = MakeSettings(dir.Path());
  LoadSettings(s, nullptr);
  s.calcPauseMs = 3000;
  s.optimizerPauseMs = 7;
  SaveSettings(s, nullptr);
  EXPECT_EQ(s.calcPauseMs, 2000);
  Settings again = MakeSettings(dir.Path());
  LoadSettings(again, nullptr);
  EXPECT_EQ(again.calcPauseMs, 2000);
  EXPECT_EQ(again.optimizerPauseMs, 7);
}

TEST(Settings, StoredFoldersAreSavedWithASeparatorAndClearedAgain) {
  ScratchDir dir;
  Settings s = MakeSettings(dir.Path());
  LoadSettings(s, nullptr);
  s.useStoredFolders = true;
  s.chassisFolder = PathFromUtf8("/daten/Chassis");
  s.projectFolder = PathFromUtf8("/daten/Projekte/");
  s.kitsFolder = PathFromUtf8("");
  s.crossoverMouseMap = 123456;
  s.crossoverEditorSize = 1;
  SaveSettings(s, nullptr);
  EXPECT_EQ(Utf8FromPath(s.chassisFolder), std::string("/daten/Chassis") + kSep);
  // An emptied folder is its default folder again, never the root folder.
  EXPECT_EQ(Utf8FromPath(s.kitsFolder), FolderText(dir, "Bausätze"));

  const std::string text = ReadBytes(s.settingsFile);
  EXPECT_THAT(text,
              ::testing::StartsWith("## MyIniFile 1.0 by QZ 2004 ##\r\n#Verzeichnisse\r\nVerzeichnisvorgaben=\t1\r\n"));
  EXPECT_THAT(text, ::testing::HasSubstr(std::string("Chassis=\t/daten/Chassis") + kSep + "\r\n"));
  EXPECT_THAT(text, ::testing::HasSubstr("Bausätze=\t" + FolderText(dir, "Bausätze") + "\r\n"));
  EXPECT_THAT(text, ::testing::HasSubstr("#Optionen\r\nTBWEopti=\t123456\r\nWEsize=\t1\r\n"));

  Settings r = MakeSettings(dir.Path());
  LoadSettings(r, nullptr);
  EXPECT_TRUE(r.useStoredFolders);
  EXPECT_EQ(r.chassisFolder, s.chassisFolder);
  EXPECT_EQ(r.projectFolder, s.projectFolder);
  EXPECT_EQ(r.partsFolder, s.partsFolder);
  EXPECT_EQ(r.crossoverMouseMap, 123456);
  EXPECT_EQ(r.crossoverEditorSize, 1);

  // Clearing the flag removes the six folder keys; the folders fall back to
  // the defaults below the program folder.
  r.useStoredFolders = false;
  SaveSettings(r, nullptr);
  const MyIniFile ini(r.settingsFile, false, false, true);
  for (const char* key : {"Chassis", "Projekte", "Weichenbauteile", "Reports", "Publikationen", "Bausätze"})
    EXPECT_EQ(ini.ReadString("Verzeichnisse", key, "-"), "-") << key;
  EXPECT_EQ(ini.ReadString("Verzeichnisse", "Verzeichnisvorgaben", "-"), "0");
  LoadSettings(r, nullptr);
  EXPECT_EQ(Utf8FromPath(r.chassisFolder), FolderText(dir, "Chassis"));
  EXPECT_EQ(Utf8FromPath(r.kitsFolder), FolderText(dir, "Bausätze"));
}

TEST(Settings, DisplayDefaultsAreReadCorrectedAndKeptWhenSaving) {
  ScratchDir dir;
  const std::string option =
      "#Option\r\nUseOption=\t1\r\nColorSetAmps=\t1;\t2\r\nPar3=\t33\r\nfMin=\t5\r\nfMax=\t20000\r\nsz=\t300\r\n"
      "dBMin=\t30\r\n";
  WriteBytes(dir / "Sonvex.ini", "## MyIniFile 1.0 by QZ 2004 ##\r\n" + option);
  Settings s = MakeSettings(dir.Path());
  LoadSettings(s, nullptr);
  ASSERT_TRUE(s.useDisplayDefaults);
  DisplayOptions expected;
  expected.colorSetAmps[0] = 1;
  expected.colorSetAmps[1] = 2;
  expected.chartParams[2] = 33;
  expected.gridPoints = 84;  // corrected, and fMin 5 gives 20..20000
  expected.dBMin = 30;
  EXPECT_EQ(s.displayDefaults, expected);

  SaveSettings(s, nullptr);
  EXPECT_THAT(ReadBytes(s.settingsFile), ::testing::HasSubstr(option));
}

TEST(Settings, ForeignSettingsFileIsNotOverwritten) {
  ScratchDir dir;
  const std::string foreign = "[Verzeichnisse]\r\nChassis=C:\\x\r\n";
  WriteBytes(dir / "Sonvex.ini", foreign);
  Settings s = MakeSettings(dir.Path());
  ScriptedInteraction ui;
  LoadSettings(s, &ui);
  EXPECT_EQ(Utf8FromPath(s.chassisFolder), FolderText(dir, "Chassis"));
  ASSERT_EQ(ui.asked.size(), 1u);
  EXPECT_THAT(ui.asked[0].text, ::testing::StartsWith("Falsches Dateiformat bei \r\n"));
  s.useStoredFolders = true;
  SaveSettings(s, &ui);
  EXPECT_EQ(ReadBytes(dir / "Sonvex.ini"), foreign);
}

TEST(Settings, UnreadableSettingsFile) {
  ScratchDir dir;
  std::filesystem::create_directory(dir / "Sonvex.ini");
  Settings s = MakeSettings(dir.Path());
  s.crossoverEditorSize = 9;
  EXPECT_NO_THROW(LoadSettings(s, nullptr));
  EXPECT_EQ(s.crossoverEditorSize, 2);
  EXPECT_THROW(SaveSettings(s, nullptr), FileError);
  EXPECT_TRUE(std::filesystem::is_directory(dir / "Sonvex.ini"));
}

}  // namespace
}  // namespace sonvex
