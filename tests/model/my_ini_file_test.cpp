#include "model/my_ini_file.h"

#include <gmock/gmock.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <functional>
#include <future>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "files_test_util.h"
#include "model/interaction.h"
#include "support/scripted_interaction.h"

namespace sonvex {
namespace {

using testing_files::FolderEntries;
using testing_files::ReadBytes;
using testing_files::ScratchDir;
using testing_files::WriteBytes;

constexpr std::string_view kHeaderLine = "## MyIniFile 1.0 by QZ 2004 ##\r\n";

MyIniFile Plain(std::string_view text) { return MyIniFile::FromBytes(text, false); }

TEST(MyIniFileFormat, HeaderOnlyFirstSixteenCharactersCount) {
  ScriptedInteraction ui;
  const MyIniFile ok = MyIniFile::FromBytes("## MyIniFile 1.0 something else\n#S\nk=v\n", false, &ui);
  EXPECT_FALSE(ok.HeaderError());
  EXPECT_EQ(ok.ReadString("S", "k", "-"), "v");
  EXPECT_TRUE(ui.asked.empty());

  // A byte-order mark put in front by a text editor is tolerated.
  EXPECT_EQ(Plain("\xEF\xBB\xBF## MyIniFile 1.0\n#S\nk=v").ReadString("S", "k", "-"), "v");

  for (std::string_view bad :
       {"## MyIniFile 1.1 by QZ 2004 ##\n#S\nk=v\n", "#S\nk=v\n", "\n## MyIniFile 1.0\n#S\nk=v", "## MyIniFile 1."}) {
    SCOPED_TRACE(bad);
    ScriptedInteraction bui;
    const MyIniFile f = MyIniFile::FromBytes(bad, false, &bui, "/x/box.ZPJ");
    EXPECT_TRUE(f.HeaderError());
    EXPECT_EQ(f.KeyCount(), 0u);
    EXPECT_EQ(f.ReadString("S", "k", "-"), "-");
    ASSERT_EQ(bui.asked.size(), 1u);
    EXPECT_EQ(bui.asked[0].text, "Falsches Dateiformat bei \r\n/x/box.ZPJ");
  }
}

TEST(MyIniFileFormat, WrongHeaderFileIsNeverOverwritten) {
  ScratchDir dir;
  const auto file = dir / "foreign.ini";
  const std::string foreign = "[section]\r\nkey=value\r\n";
  WriteBytes(file, foreign);
  {
    ScriptedInteraction ui;
    MyIniFile f(file, false, true, true, &ui);
    EXPECT_TRUE(f.HeaderError());
    EXPECT_FALSE(f.Writable());
    f.WriteString("S", "k", "v");
    f.UpdateFile();
  }
  EXPECT_EQ(ReadBytes(file), foreign);
}

TEST(MyIniFileFormat, KeyLineParsing) {
  // Blanks around the separator belong to the key and the value.
  const MyIniFile f = Plain(
      "## MyIniFile 1.0\r\n"
      "#S\r\n"
      "fs = 28.5\r\n"
      "a;=;\tb\r\n"
      "c\t\t  keep blanks  \r\n"
      "/d=comment\r\n"
      "no separator here\r\n"
      "e=x=y;z\r\n"
      "=nokey\r\n"
      "empty=");
  EXPECT_EQ(f.ReadString("S", "fs ", "-"), " 28.5");
  EXPECT_EQ(f.ReadString("S", "fs", "-"), "-");
  EXPECT_EQ(f.ReadFloat("S", "fs ", 0), 28.5);
  EXPECT_EQ(f.ReadString("S", "a", "-"), "b");
  EXPECT_EQ(f.ReadString("S", "c", "-"), "  keep blanks  ");
  EXPECT_EQ(f.ReadString("S", "/d", "-"), "-");
  EXPECT_EQ(f.ReadString("S", "e", "-"), "x=y;z");
  EXPECT_EQ(f.ReadString("S", "", "-"), "nokey");
  EXPECT_EQ(f.ReadString("S", "empty", "-"), "");
  EXPECT_EQ(f.KeyCount(), 6u);
}

TEST(MyIniFileFormat, AnyLineEndAndKeysOutsideSections) {
  const MyIniFile f = Plain("## MyIniFile 1.0\rorphan=1\n\n\r\r#A\rk=1\n#B\r\n\r\nk=2\n\r#A\nk=3");
  EXPECT_EQ(f.ReadInteger("A", "k", 0), 1);  // the first section of a name
  EXPECT_EQ(f.ReadInteger("B", "k", 0), 2);
  EXPECT_EQ(f.SectionCount(), 3u);  // duplicate sections are kept
  EXPECT_EQ(f.KeyCount(), 3u);      // the key before any section is ignored
  EXPECT_EQ(f.Serialize(false), std::string(kHeaderLine) + "#A\r\nk=\t1\r\n#B\r\nk=\t2\r\n#A\r\nk=\t3\r\n");
}

TEST(MyIniFileFormat, SectionNamesAreCutTo99Characters) {
  const std::string name(150, 'n');
  const MyIniFile f = Plain("## MyIniFile 1.0\n#" + name + "\nk=v");
  EXPECT_EQ(f.ReadString(name.substr(0, 99), "k", "-"), "v");
}

TEST(MyIniFileValues, NumbersAndBooleans) {
  const MyIniFile f =
      Plain("## MyIniFile 1.0\n#S\nc=0,5\np=0.5\ne=5E-1\nb2=2\nbm=-1\nb0=0\ntxt=abc\ni=0042x\nneg=-17\nunit=2,83V");
  for (const char* key : {"c", "p", "e"}) EXPECT_EQ(f.ReadFloat("S", key, 0), 0.5) << key;
  EXPECT_TRUE(f.ReadBool("S", "b2", false));
  EXPECT_FALSE(f.ReadBool("S", "bm", true));
  EXPECT_FALSE(f.ReadBool("S", "b0", true));
  EXPECT_FALSE(f.ReadBool("S", "txt", true));
  EXPECT_EQ(f.ReadInteger("S", "txt", 7), 0);
  EXPECT_EQ(f.ReadInteger("S", "i", 0), 42);
  EXPECT_EQ(f.ReadInteger("S", "neg", 0), -17);
  EXPECT_DOUBLE_EQ(f.ReadFloat("S", "unit", 0), 2.83);
  // Defaults for a missing key and a missing section.
  EXPECT_EQ(f.ReadInteger("S", "missing", 9), 9);
  EXPECT_EQ(f.ReadFloat("T", "c", 1.5), 1.5);
  EXPECT_TRUE(f.ReadBool("T", "b2", true));
}

TEST(MyIniFileValues, FloatsKeepWhatFitsTenCharacters) {
  struct Case {
    double x;
    const char* text;
    double back;  // the value read from the text
  };
  const Case cases[] = {{0.5, "0,5", 0.5},
                        {0.001, "0,001", 0.001},
                        {0.000001, "1,E-6", 1e-6},
                        {20000, "20000", 20000},
                        {1234567, "1,234567E6", 1234567},
                        {3.14159265358979, "3,14159265", 3.14159265},
                        {0.000123456789, "1,23457E-4", 1.23457e-4},
                        {-0.5, "-0,5", -0.5},
                        {0, "0", 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(MyIniFile::FloatText(c.x), c.text);
    const MyIniFile back = Plain(std::string("## MyIniFile 1.0\n#S\nx=\t") + c.text);
    EXPECT_DOUBLE_EQ(back.ReadFloat("S", "x", -99), c.back);
  }
}

// Values that overflow: a number beyond the double range reads as 0 (as in
// an edit field), +-infinity and NaN are written as 0, the largest double as
// a text that reads back finite. Saving what was read changes nothing.
TEST(MyIniFileValues, ValuesBeyondTheDoubleRangeAndNonFiniteValues) {
  constexpr double kMax = std::numeric_limits<double>::max();
  const MyIniFile f = Plain(
      "## MyIniFile 1.0\n#S\n"
      "Le=1E400\nneg=-1e999\nhex=$" +
      std::string(5000, 'f') +
      "\nmax=1,7976E308\nplusinf=+inf\nnan=nan\n"
      "arr=1;\t1E400;\t-1E400;\t2\n");
  for (const char* key : {"Le", "neg", "hex", "plusinf", "nan"}) EXPECT_EQ(f.ReadFloat("S", key, 7), 0.0) << key;
  EXPECT_EQ(f.ReadFloat("S", "max", 7), 1.7976e308);
  std::array<double, 4> arr{};
  EXPECT_EQ(f.ReadFloatArray("S", "arr", arr, 0, 4), 4);
  EXPECT_THAT(arr, ::testing::ElementsAre(1, 0, 0, 2));

  EXPECT_EQ(MyIniFile::FloatText(std::numeric_limits<double>::infinity()), "0");
  EXPECT_EQ(MyIniFile::FloatText(-std::numeric_limits<double>::infinity()), "0");
  EXPECT_EQ(MyIniFile::FloatText(std::numeric_limits<double>::quiet_NaN()), "0");
  EXPECT_EQ(MyIniFile::FloatText(kMax), "1,7976E308");
  EXPECT_EQ(MyIniFile::FloatText(-kMax), "-1,797E308");
  const std::array<double, 3> odd{std::numeric_limits<double>::infinity(), std::nan(""), kMax};
  EXPECT_EQ(MyIniFile::FloatArrayText(odd, 0, 3), "0;\t0;\t1,7976E308");

  // Written, read and written again: the same text.
  MyIniFile out = MyIniFile::InMemory(false);
  for (double x : {kMax, -kMax, std::nextafter(kMax, 0.0), 1.79765e308, 999999.9996, 0.00099999971807,
                   std::numeric_limits<double>::infinity(), std::nan(""), std::numeric_limits<double>::denorm_min()})
    out.WriteFloat("S", "x" + std::to_string(out.KeyCount()), x);
  const std::string first = out.Serialize(false);
  EXPECT_EQ(first.find("inf"), std::string::npos);
  EXPECT_EQ(first.find("nan"), std::string::npos);
  const MyIniFile back = Plain(first);
  MyIniFile again = MyIniFile::InMemory(false);
  for (std::size_t i = 0; i < out.KeyCount(); ++i)
    again.WriteFloat("S", "x" + std::to_string(i), back.ReadFloat("S", "x" + std::to_string(i), -1));
  EXPECT_EQ(again.Serialize(false), first);
}

TEST(MyIniFileValues, Arrays) {
  const std::array<std::int32_t, 3> ints{1, 2, 3};
  EXPECT_EQ(MyIniFile::IntegerArrayText(ints, 0, 3), "1;\t2;\t3");
  EXPECT_EQ(MyIniFile::IntegerArrayText(ints, 1, 5), "2;\t3");  // never beyond the values
  const std::array<double, 3> floats{0.5, 100, 1e-6};
  EXPECT_EQ(MyIniFile::FloatArrayText(floats, 0, 3), "0,5;\t100;\t1,E-6");

  const MyIniFile f = Plain(
      "## MyIniFile 1.0\n#S\n"
      "units=1 Hz;\t2,5 dB;;\t\t3\n"
      "halves=2.5;3.5;-2.5\n"
      "empty=\n"
      "huge=1E30;-1E30\n"
      "long=1;2;3;4;5;6;7;8\n");
  std::array<double, 4> d{-1, -1, -1, -1};
  EXPECT_EQ(f.ReadFloatArray("S", "units", d, 1, 3), 3);
  EXPECT_THAT(d, ::testing::ElementsAre(-1, 1, 2.5, 3));

  std::array<std::int32_t, 3> h{};
  EXPECT_EQ(f.ReadIntegerArray("S", "halves", h, 0, 3), 3);
  EXPECT_THAT(h, ::testing::ElementsAre(2, 4, -2));  // nearest, halves to even

  std::array<std::int32_t, 2> big{};
  EXPECT_EQ(f.ReadIntegerArray("S", "huge", big, 0, 2), 2);
  EXPECT_THAT(big, ::testing::ElementsAre(INT32_MAX, INT32_MIN));

  std::array<double, 2> e{7, 7};
  EXPECT_EQ(f.ReadFloatArray("S", "empty", e, 0, 2), 1);  // an empty value is one element 0
  EXPECT_THAT(e, ::testing::ElementsAre(0, 7));

  EXPECT_EQ(f.ReadFloatArray("S", "missing", e, 0, 2), 0);
  EXPECT_THAT(e, ::testing::ElementsAre(0, 7));

  std::array<double, 5> l{};
  EXPECT_EQ(f.ReadFloatArray("S", "long", l, 0, 3), 3);   // at most Count
  EXPECT_EQ(f.ReadFloatArray("S", "long", l, 2, 10), 3);  // never beyond the array
  EXPECT_THAT(l, ::testing::ElementsAre(1, 2, 1, 2, 3));
}

TEST(MyIniFileWrite, MatchingRulesAndOrder) {
  ScratchDir dir;
  MyIniFile w(dir / "w.ini", false, true, false);
  w.WriteFloat("Chassis", "fs", 28.5);
  w.WriteInteger("Chassis", "N", -3);
  w.WriteBool("Chassis", "on", true);
  w.WriteString("chassis", "x", "other section");  // section names match exactly
  w.WriteFloat("Chassis", "FS", 30);               // keys match regardless of case when writing
  EXPECT_EQ(w.ReadFloat("Chassis", "fs", 0), 30);
  EXPECT_EQ(w.ReadFloat("Chassis", "FS", 0), 0);  // ... but exactly when reading
  EXPECT_TRUE(w.DeleteKey("Chassis", "ON"));
  EXPECT_FALSE(w.DeleteKey("Chassis", "on"));
  EXPECT_FALSE(w.DeleteKey("Nowhere", "on"));
  w.WriteString("Chassis", "last", "z");
  EXPECT_EQ(w.Serialize(false), std::string(kHeaderLine) +
                                    "#Chassis\r\nfs=\t30\r\nN=\t-3\r\nlast=\tz\r\n#chassis\r\nx=\tother section\r\n");
  EXPECT_EQ(w.KeyCount(), 5u);  // keys added so far (deleting does not count back)
}

TEST(MyIniFileWrite, DuplicateKeysAndTheSharedCursor) {
  // Reads start at the index found last (in any section) and wrap around.
  const MyIniFile f = Plain("## MyIniFile 1.0\n#S\nk=first\nx=1\nk=second\n#T\na=1\nb=2\nc=3\n");
  EXPECT_EQ(f.ReadString("S", "k", "-"), "first");
  EXPECT_EQ(f.ReadString("S", "x", "-"), "1");
  EXPECT_EQ(f.ReadString("S", "k", "-"), "second");
  EXPECT_EQ(f.ReadString("S", "k", "-"), "second");
  EXPECT_EQ(f.ReadString("T", "a", "-"), "1");  // cursor 2 in T: wraps around to a
  EXPECT_EQ(f.ReadString("S", "k", "-"), "first");
  EXPECT_EQ(f.Serialize(false),
            std::string(kHeaderLine) + "#S\r\nk=\tfirst\r\nx=\t1\r\nk=\tsecond\r\n#T\r\na=\t1\r\nb=\t2\r\nc=\t3\r\n");
}

TEST(MyIniFileWrite, ReadOnlyObjectWritesNothing) {
  ScratchDir dir;
  const auto file = dir / "ro.ini";
  const std::string before = std::string(kHeaderLine) + "#S\r\nk=\tv\r\n";
  WriteBytes(file, before);
  {
    MyIniFile f(file, false, false, true);
    f.WriteString("S", "k", "changed");
    f.WriteFloatArray("S", "arr", std::array<double, 2>{1, 2}, 0, 2);
    EXPECT_FALSE(f.DeleteKey("S", "k"));
    EXPECT_EQ(f.ReadString("S", "k", "-"), "v");
    EXPECT_FALSE(f.Modified());
    EXPECT_EQ(f.KeyCount(), 1u);
  }
  EXPECT_EQ(ReadBytes(file), before);
}

TEST(MyIniFileWrite, ReleaseWritesOnlyWhenModified) {
  ScratchDir dir;
  { MyIniFile missing(dir / "missing.ini", false, true, true); }  // nothing written to it
  EXPECT_FALSE(std::filesystem::exists(dir / "missing.ini"));

  { MyIniFile fresh(dir / "fresh.ini", true, true, false); }  // made new: written even when empty
  EXPECT_EQ(ReadBytes(dir / "fresh.ini"), MyIniFile::FromBytes({}, true).Serialize(true));

  {
    MyIniFile w(dir / "w.ini", false, true, true);
    w.WriteInteger("S", "k", 5);
  }  // released: written
  ScriptedInteraction ui;
  const MyIniFile r(dir / "w.ini", false, false, true, &ui);
  EXPECT_EQ(r.ReadInteger("S", "k", 0), 5);
  EXPECT_TRUE(ui.asked.empty());

  // An empty existing file is read like a missing one, without a message, and
  // may be written.
  WriteBytes(dir / "empty.ini", "");
  MyIniFile e(dir / "empty.ini", false, true, true, &ui);
  EXPECT_FALSE(e.HeaderError());
  EXPECT_TRUE(e.Writable());
  EXPECT_TRUE(ui.asked.empty());
}

TEST(MyIniFileScrambled, LengthBytesAndMask) {
  ScratchDir dir;
  const auto file = dir / "s.bin";
  {
    MyIniFile f(file, true, true, false);
    f.WriteString("S", "k", std::string(127, 'x'));  // line "k=<TAB>" + 127 = 130 characters
    f.UpdateFile();
  }
  const std::string bytes = ReadBytes(file);
  // The header line of 30 characters: length bytes 0 and 30, then the line
  // with byte i XOR-ed with (47·i) mod 256. The multiplier must never change.
  ASSERT_GE(bytes.size(), 32u);
  EXPECT_EQ(bytes[0], 0);
  EXPECT_EQ(bytes[1], 30);
  for (std::size_t i = 0; i < 30; ++i)
    EXPECT_EQ(static_cast<unsigned char>(bytes[2 + i]),
              static_cast<unsigned char>(kMyIniHeader[i]) ^ static_cast<unsigned char>((47 * i) % 256))
        << i;
  // Then "#S" (2) and the key line of 130 characters: bytes 1 and 30.
  const std::size_t keyLine = 2 + 30 + 2 + 2;
  EXPECT_EQ(bytes[keyLine], 1);
  EXPECT_EQ(bytes[keyLine + 1], 30);
  EXPECT_EQ(bytes.size(), keyLine + 2 + 130);

  const MyIniFile back(file, true, false, true);
  EXPECT_EQ(back.ReadString("S", "k", "-"), std::string(127, 'x'));
  // The same file read as plain text is not a MyIniFile.
  EXPECT_TRUE(MyIniFile::FromBytes(bytes, false).HeaderError());
  EXPECT_TRUE(MyIniFile::FromBytes(Plain("## MyIniFile 1.0\n#S\nk=v").Serialize(false), true).HeaderError());
}

TEST(MyIniFileScrambled, TruncatedFilesKeepTheCompleteLines) {
  MyIniFile src = Plain("## MyIniFile 1.0\n#S\na=1\nb=2\nc=3\n");
  const std::string bytes = src.Serialize(true);
  for (std::size_t cut = 0; cut <= bytes.size(); ++cut) {
    SCOPED_TRACE(cut);
    const MyIniFile f = MyIniFile::FromBytes(std::string_view(bytes).substr(0, cut), true);
    EXPECT_LE(f.KeyCount(), 3u);
    if (cut == bytes.size()) {
      EXPECT_EQ(f.ReadInteger("S", "c", 0), 3);
    }
    if (cut == bytes.size() - 1) {
      EXPECT_EQ(f.ReadInteger("S", "b", 0), 2);  // the cut last line is dropped
      EXPECT_EQ(f.ReadInteger("S", "c", 0), 0);
    }
  }
  // A length that points beyond the end of the file.
  std::string beyond = bytes;
  beyond += std::string("\xFF\xFF", 2) + "abc";
  EXPECT_EQ(MyIniFile::FromBytes(beyond, true).KeyCount(), 3u);
}

TEST(MyIniFileScrambled, AFileEndingInsideALineIsMarkedTruncated) {
  MyIniFile src = Plain("## MyIniFile 1.0\n#S\na=1\nb=2\nc=3\n");
  const std::string bytes = src.Serialize(true);
  // The ends of the lines: 2 length bytes and the line each.
  std::vector<std::size_t> ends;
  for (std::size_t pos = 0; pos < bytes.size();) {
    pos += 2 + static_cast<unsigned char>(bytes[pos]) * 100u + static_cast<unsigned char>(bytes[pos + 1]);
    ends.push_back(pos);
  }
  ASSERT_EQ(ends.back(), bytes.size());
  for (std::size_t cut = 1; cut <= bytes.size(); ++cut) {
    SCOPED_TRACE(cut);
    const bool atLineEnd = std::find(ends.begin(), ends.end(), cut) != ends.end();
    EXPECT_EQ(MyIniFile::FromBytes(std::string_view(bytes).substr(0, cut), true).Truncated(), !atLineEnd);
  }
  EXPECT_FALSE(MyIniFile::FromBytes("", true).Truncated());
  // A length that points beyond the end of the file, a single length byte.
  EXPECT_TRUE(MyIniFile::FromBytes(bytes + std::string("\xFF\xFF", 2) + "abc", true).Truncated());
  EXPECT_TRUE(MyIniFile::FromBytes(bytes + std::string(1, '\0'), true).Truncated());
  // Moved objects keep the mark.
  MyIniFile cutShort = MyIniFile::FromBytes(std::string_view(bytes).substr(0, bytes.size() - 1), true);
  const MyIniFile moved(std::move(cutShort));
  EXPECT_TRUE(moved.Truncated());
  EXPECT_EQ(moved.ReadInteger("S", "b", 0), 2);
}

TEST(MyIniFilePlainForm, ALastLineWithoutLineEndIsMarkedTruncated) {
  EXPECT_FALSE(Plain("## MyIniFile 1.0\r\n#S\r\na=1\r\n").Truncated());
  EXPECT_FALSE(Plain("## MyIniFile 1.0\n#S\na=1\n").Truncated());
  EXPECT_FALSE(Plain("## MyIniFile 1.0\r\n#S\r\na=1\r").Truncated());  // a line end, cut between CR and LF
  EXPECT_FALSE(Plain("").Truncated());
  const MyIniFile cut = Plain("## MyIniFile 1.0\r\n#S\r\na=12");
  EXPECT_TRUE(cut.Truncated());
  EXPECT_EQ(cut.ReadInteger("S", "a", 0), 12);  // read as far as it goes
  EXPECT_TRUE(Plain("## MyIniFile 1.0\r\n#S").Truncated());
}

TEST(MyIniFileFormat, IncompleteFileTextNamesTheFile) {
  EXPECT_EQ(IncompleteFileText("Projektdatei", "/x/box.ZPJ"),
            "Die Projektdatei ist unvollständig: sie endet mitten in einem Eintrag.\r\n/x/box.ZPJ\r\n"
            "Werte, die im fehlenden Ende stehen müssten, haben ihre Vorgabewerte erhalten.");
  EXPECT_EQ(IncompleteFileText("Chassisdatei", {}),
            "Die Chassisdatei ist unvollständig: sie endet mitten in einem Eintrag.\r\n"
            "Werte, die im fehlenden Ende stehen müssten, haben ihre Vorgabewerte erhalten.");
}

TEST(MyIniFileScrambled, LinesBeyondTheLongestStorableAreRefused) {
  ScratchDir dir;
  const auto file = dir / "long.ZCH";
  const std::string key = "k";
  const std::string fits(kMaxScrambledLineBytes - 3, 'a');  // "k=<TAB>" + value = 25 599
  {
    MyIniFile f(file, true, true, false);
    f.WriteString("S", key, fits);
    f.UpdateFile();
  }
  const std::string before = ReadBytes(file);
  EXPECT_EQ(MyIniFile(file, true, false, true).ReadString("S", key, "-"), fits);
  EXPECT_EQ(static_cast<unsigned char>(before[before.size() - kMaxScrambledLineBytes - 2]), 255);
  EXPECT_EQ(static_cast<unsigned char>(before[before.size() - kMaxScrambledLineBytes - 1]), 99);

  MyIniFile f(file, true, true, false);
  f.WriteString("S", "before", "fine");
  f.WriteString("S", key, fits + "a");  // one character too many
  f.WriteString("S", "after", "fine");
  try {
    f.UpdateFile();
    FAIL() << "a line of 25 600 characters was written";
  } catch (const FileError& e) {
    EXPECT_THAT(e.what(), ::testing::HasSubstr("25600"));
    EXPECT_THAT(e.what(), ::testing::HasSubstr("25599"));
  }
  EXPECT_EQ(ReadBytes(file), before);
  EXPECT_THAT(FolderEntries(dir.Path()), ::testing::ElementsAre("long.ZCH"));
  // The plain form has no such limit.
  EXPECT_NO_THROW((void)f.Serialize(false));
}

TEST(MyIniFileRobustness, LongLinesManySectionsAndGarbage) {
  const std::string longValue(100000, 'v');
  EXPECT_EQ(Plain("## MyIniFile 1.0\n#S\nk=" + longValue + "\n").ReadString("S", "k", "-"), longValue);

  std::string many = "## MyIniFile 1.0\n";
  for (int i = 1; i <= 2000; ++i) many += "#S" + std::to_string(i) + "\nk=" + std::to_string(i) + "\n";
  const MyIniFile f = Plain(many);
  EXPECT_EQ(f.SectionCount(), kMaxSections);
  EXPECT_EQ(f.ReadInteger("S1000", "k", 0), 1000);
  EXPECT_EQ(f.ReadInteger("S1001", "k", 0), 0);  // no room in the section table: ignored
  EXPECT_EQ(f.KeyCount(), 1000u);

  std::string garbage;
  for (int i = 0; i < 5000; ++i) garbage.push_back(static_cast<char>((i * 7919) % 256));
  for (bool scrambled : {false, true}) {
    const MyIniFile g = MyIniFile::FromBytes(garbage, scrambled);
    EXPECT_TRUE(g.HeaderError());
    const MyIniFile h = MyIniFile::FromBytes("## MyIniFile 1.0\n#\xFF\xFE\nk\xC3=\xC3\x28\x80\n", false);
    EXPECT_EQ(h.ReadString("\xFF\xFE", "k\xC3", "-"), "\xC3\x28\x80");  // bytes are kept as they are
  }
}

TEST(MyIniFilePlainForm, LineBreaksInsideTextsDoNotSplitLines) {
  ScratchDir dir;
  MyIniFile w(dir / "b.ini", false, true, false);
  w.WriteString("S", "k", "two\r\nlines");
  EXPECT_EQ(Plain(w.Serialize(false)).ReadString("S", "k", "-"), "two  lines");
  // The scrambled form counts bytes and keeps them.
  EXPECT_EQ(MyIniFile::FromBytes(w.Serialize(true), true).ReadString("S", "k", "-"), "two\r\nlines");
}

// The texts of the plain form with each line break turned into a blank.
std::string Blanked(std::string text) {
  for (char& c : text)
    if (c == '\r' || c == '\n') c = ' ';
  return text;
}

// Section names and keys can hold line breaks: the scrambled form counts its
// lines, and the program writes whatever names it is given. The plain form
// must still give one line per section and key, so that a dumped file packs
// back into the same sections and keys.
TEST(MyIniFilePlainForm, LineBreaksInsideNamesDoNotSplitLines) {
  struct Case {
    std::string section;
    std::string key;
  };
  const Case cases[] = {
      {"a\rb", "k"},
      {"a\nb", "k\r\n"},
      {"\r", "\n"},
      {"\r\n", "\r\n#S"},
      {"S\nk=v", "x"},  // would add a key "k" to a section "S"
      {"h;x\r\x02P", "\n/k"},
      {"S\n#T\r", "k\rl"},
      {std::string(98, 's') + "\n", "\r" + std::string(3000, 'k')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.section) + " " + testing::PrintToString(c.key));
    MyIniFile w = MyIniFile::InMemory(true);
    w.WriteString("Header", "Version", "1108");
    w.WriteString(c.section, c.key, "v\r\nw");
    w.WriteString(c.section, "after", "1");
    w.WriteString("Chassis", "Name", "n");

    // Scrambled: everything comes back byte for byte.
    const MyIniFile s = MyIniFile::FromBytes(w.Serialize(true), true);
    EXPECT_EQ(s.SectionCount(), 3u);
    EXPECT_EQ(s.KeyCount(), 4u);
    EXPECT_EQ(s.ReadString(c.section, c.key, "-"), "v\r\nw");
    EXPECT_EQ(s.ReadString(c.section, "after", "-"), "1");

    // Plain: the same sections and keys, each line break read as a blank.
    const std::string plain = s.Serialize(false);
    const MyIniFile p = MyIniFile::FromBytes(plain, false);
    EXPECT_FALSE(p.HeaderError());
    EXPECT_EQ(p.SectionCount(), 3u);
    EXPECT_EQ(p.KeyCount(), 4u);
    EXPECT_EQ(p.ReadString(Blanked(c.section), Blanked(c.key), "-"), "v  w");
    EXPECT_EQ(p.ReadString(Blanked(c.section), "after", "-"), "1");
    EXPECT_EQ(p.ReadString("Chassis", "Name", "-"), "n");
    EXPECT_EQ(p.Serialize(false), plain);
    // and packing the plain text gives what reads back as the same file
    EXPECT_EQ(MyIniFile::FromBytes(p.Serialize(true), true).Serialize(false), plain);
  }
}

// A chassis file found by the fuzzer: its first section name holds a line
// feed, which split the line when the file was dumped as plain text.
TEST(MyIniFilePlainForm, DumpOfSectionNameWithLineBreakPacksBack) {
  const std::string bytes =
      ReadBytes(std::filesystem::path(SONVEX_TEST_DATA) / "fuzz" / "line_break_in_section_name.ZCH");
  const MyIniFile s = MyIniFile::FromBytes(bytes, true);
  ASSERT_FALSE(s.HeaderError());
  const std::string plain = s.Serialize(false);
  const MyIniFile p = MyIniFile::FromBytes(plain, false);
  EXPECT_EQ(p.SectionCount(), s.SectionCount());
  EXPECT_EQ(p.KeyCount(), s.KeyCount());
  EXPECT_EQ(p.Serialize(false), plain);
  EXPECT_EQ(MyIniFile::FromBytes(p.Serialize(true), true).Serialize(false), plain);
}

TEST(AtomicWrite, FailureHalfWayLeavesThePreviousFile) {
  ScratchDir dir;
  const auto file = dir / "project.ZPJ";
  const std::string previous("previous content\x00\x01", 18);
  WriteBytes(file, previous);
  EXPECT_THROW(WriteFileAtomically(file,
                                   [](std::ostream& out) {
                                     out << std::string(100000, 'n');
                                     throw std::runtime_error("disk full");
                                   }),
               std::runtime_error);
  EXPECT_EQ(ReadBytes(file), previous);
  EXPECT_THAT(FolderEntries(dir.Path()), ::testing::ElementsAre("project.ZPJ"));

  WriteFileAtomically(file, "new");
  EXPECT_EQ(ReadBytes(file), "new");
  EXPECT_THAT(FolderEntries(dir.Path()), ::testing::ElementsAre("project.ZPJ"));
}

TEST(AtomicWrite, ObjectReleasedByAnExceptionWritesNothing) {
  ScratchDir dir;
  const auto file = dir / "p.ZPJ";
  WriteBytes(file, "old");
  try {
    MyIniFile f(file, true, true, false);
    f.WriteString("Header", "Version", "1008");
    throw std::runtime_error("failed while filling the file object");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(ReadBytes(file), "old");
}

TEST(AtomicWrite, UnwritableTargetsRaiseAndKeepTheFile) {
  ScratchDir dir;
  EXPECT_THROW(WriteFileAtomically(dir / "no_such_folder/x.ZPJ", "x"), FileError);
  std::filesystem::create_directory(dir / "adir");
  EXPECT_THROW(WriteFileAtomically(dir / "adir", "x"), FileError);  // a folder cannot be replaced by a file
  EXPECT_TRUE(std::filesystem::is_directory(dir / "adir"));
  EXPECT_THAT(FolderEntries(dir.Path()), ::testing::ElementsAre("adir"));
}

// A failed write names its reason in German, never in the system's English.
TEST(AtomicWrite, FailuresNameTheReasonInGerman) {
  ScratchDir dir;
  auto messageOf = [](const std::function<void()>& f) {
    try {
      f();
    } catch (const FileError& e) {
      return std::string(e.what());
    }
    return std::string("(kein Fehler)");
  };
  const auto missing = dir / "no_such_folder/x.ZPJ";
  EXPECT_EQ(messageOf([&] { WriteFileAtomically(missing, "x"); }),
            "Datei kann nicht geschrieben werden: " + Utf8FromPath(missing) + " (das Verzeichnis ist nicht vorhanden)");
  std::filesystem::create_directory(dir / "adir");
  EXPECT_EQ(
      messageOf([&] { WriteFileAtomically(dir / "adir", "x"); }),
      "Datei kann nicht geschrieben werden: " + Utf8FromPath(dir / "adir") + " (keine Datei, sondern ein Verzeichnis)");
  ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0600), 0);
  EXPECT_EQ(messageOf([&] { WriteFileAtomically(dir / "pipe", "x"); }),
            "Datei kann nicht geschrieben werden: " + Utf8FromPath(dir / "pipe") +
                " (keine gewöhnliche Datei, sondern eine benannte Pipe (FIFO))");
  EXPECT_TRUE(std::filesystem::is_fifo(dir / "pipe"));  // not replaced
  // A content that cannot be made.
  EXPECT_EQ(
      messageOf([&] { WriteFileAtomically(dir / "x", [](std::ostream& o) { o.setstate(std::ios::badbit); }); }),
      "Datei kann nicht geschrieben werden: " + Utf8FromPath(dir / "x") + " (der Inhalt konnte nicht erzeugt werden)");
  EXPECT_THAT(FolderEntries(dir.Path()), ::testing::ElementsAre("adir", "pipe"));
  const auto missingRead = dir / "none.ZPJ";
  EXPECT_EQ(
      messageOf([&] { ReadWholeFile(missingRead); }),
      "Datei kann nicht gelesen werden: " + Utf8FromPath(missingRead) + " (Datei oder Verzeichnis nicht vorhanden)");
}

TEST(FileIo, GermanErrorTexts) {
  EXPECT_EQ(GermanErrorText(ENOENT), "Datei oder Verzeichnis nicht vorhanden");
  EXPECT_EQ(GermanErrorText(EACCES), "keine Berechtigung");
  EXPECT_EQ(GermanErrorText(EPERM), "keine Berechtigung");
  EXPECT_EQ(GermanErrorText(ENOSPC), "kein Speicherplatz mehr auf dem Datenträger");
  EXPECT_EQ(GermanErrorText(EROFS), "der Datenträger ist schreibgeschützt");
  EXPECT_EQ(GermanErrorText(EISDIR), "ist ein Verzeichnis");
  EXPECT_EQ(GermanErrorText(EDQUOT), "das Speicherkontingent (Quota) ist erschöpft");
  EXPECT_EQ(GermanErrorText(EIO), "Ein-/Ausgabefehler des Datenträgers");
  EXPECT_EQ(GermanErrorText(99999), "Systemfehler Nr. 99999");
}

// A named pipe is refused at once, not read: reading it would wait for a
// writer that never comes.
TEST(FileIo, NamedPipesAreRefusedWithoutWaiting) {
  ScratchDir dir;
  const auto pipe = dir / "p.ZPJ";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  EXPECT_EQ(NotRegularFileText(pipe), "keine gewöhnliche Datei, sondern eine benannte Pipe (FIFO)");
  EXPECT_EQ(NotRegularFileText(dir.Path()), "keine Datei, sondern ein Verzeichnis");
  EXPECT_EQ(NotRegularFileText(dir / "none"), "");
  auto reading = std::async(std::launch::async, [&] {
    try {
      ReadWholeFile(pipe);
    } catch (const FileError& e) {
      return std::string(e.what());
    }
    return std::string("(gelesen)");
  });
  if (reading.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
    ADD_FAILURE() << "reading a named pipe waits";
    std::ofstream unblock(pipe);  // lets the reader go on
  }
  EXPECT_EQ(reading.get(), "Datei kann nicht gelesen werden: " + Utf8FromPath(pipe) +
                               " (keine gewöhnliche Datei, sondern eine benannte Pipe (FIFO))");
  EXPECT_THROW(MyIniFile(pipe, true, false, true), FileError);
}

TEST(AtomicWrite, WriteProtectedFolderKeepsTheFile) {
  ScratchDir dir;
  const auto ro = dir / "ro";
  std::filesystem::create_directory(ro);
  WriteBytes(ro / PathFromUtf8("p.ZPJ"), "old");
  std::filesystem::permissions(ro, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  const bool enforced = !std::ofstream(ro / PathFromUtf8("probe")).is_open();
  if (enforced) {
    MyIniFile f(ro / PathFromUtf8("p.ZPJ"), true, true, false);
    f.WriteString("S", "k", "v");
    EXPECT_THROW(f.UpdateFile(), FileError);
    EXPECT_EQ(ReadBytes(ro / PathFromUtf8("p.ZPJ")), "old");
  }
  std::filesystem::permissions(ro, std::filesystem::perms::owner_all);
  if (!enforced) GTEST_SKIP() << "folder permissions are not enforced for this user";
}

// Runs `body` as an ordinary user. Root may write every file, so when the
// tests run as root the body runs in a forked child that has dropped to the
// unprivileged id 65534 ("nobody"); `prepare` hands it the scratch files
// first. Returns the body's result: 0 when all its checks held.
int RunAsOrdinaryUser(const std::function<void(uid_t, gid_t)>& prepare, const std::function<int()>& body,
                      std::string& skipReason) {
  if (geteuid() != 0) {
    prepare(geteuid(), getegid());
    return body();
  }
  constexpr uid_t kNobody = 65534;
  constexpr gid_t kNogroup = 65534;
  prepare(kNobody, kNogroup);
  const pid_t child = fork();
  if (child < 0) {
    skipReason = "fork failed";
    return 0;
  }
  if (child == 0) {
    if (setgroups(0, nullptr) != 0 || setresgid(kNogroup, kNogroup, kNogroup) != 0 ||
        setresuid(kNobody, kNobody, kNobody) != 0)
      _exit(100);
    _exit(body());
  }
  int status = 0;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return 99;
  if (WEXITSTATUS(status) == 100) {
    skipReason = "the privileges cannot be dropped here";
    return 0;
  }
  return WEXITSTATUS(status);
}

TEST(AtomicWrite, WriteProtectedFileIsRefusedAndStaysByteIdentical) {
  ScratchDir dir;
  const auto folder = dir / "box";
  const auto file = folder / PathFromUtf8("geschützt.ZPJ");
  const auto other = folder / PathFromUtf8("frei.ZPJ");
  const auto roFolder = dir / "ro";
  const auto inRoFolder = roFolder / PathFromUtf8("p.ZPJ");
  const std::string previous("\x00protected\x01", 11);
  namespace fs = std::filesystem;
  auto prepare = [&](uid_t uid, gid_t gid) {
    fs::create_directory(folder);
    fs::create_directory(roFolder);
    WriteBytes(file, previous);
    WriteBytes(other, "old");
    WriteBytes(inRoFolder, "old");
    // The scratch folder itself must be passable for the ordinary user.
    fs::permissions(dir.Path(), fs::perms::others_exec | fs::perms::group_exec, fs::perm_options::add);
    for (const fs::path& p : {folder, roFolder, file, other, inRoFolder})
      if (chown(p.c_str(), uid, gid) != 0) ADD_FAILURE() << "chown " << p;
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(inRoFolder, fs::perms::owner_read | fs::perms::owner_write);
    fs::permissions(roFolder, fs::perms::owner_read | fs::perms::owner_exec);
  };
  // Each failed check sets one bit of the result.
  auto body = [&]() -> int {
    int failed = 0;
    try {
      WriteFileAtomically(file, "new content");
      failed |= 1;
    } catch (const FileError& e) {
      if (std::string(e.what()) !=
          "Datei kann nicht geschrieben werden: " + Utf8FromPath(file) + " (keine Berechtigung)")
        failed |= 2;
    }
    try {
      MyIniFile f(file, true, true, false);
      f.WriteString("Header", "Version", "1008");
      f.UpdateFile();
      failed |= 4;
    } catch (const FileError&) {
    }
    try {
      WriteFileAtomically(inRoFolder, "new");
      failed |= 8;
    } catch (const FileError&) {
    }
    if (ReadWholeFile(file) != previous) failed |= 16;
    if (ReadWholeFile(inRoFolder) != "old") failed |= 16;
    // The others in the same folder stay writable, and nothing is left behind.
    try {
      WriteFileAtomically(other, "new");
      if (ReadWholeFile(other) != "new") failed |= 32;
    } catch (const FileError&) {
      failed |= 32;
    }
    std::error_code ec;
    int entries = 0;
    for (auto it = fs::directory_iterator(folder, ec); !ec && it != fs::directory_iterator(); it.increment(ec))
      ++entries;
    if (entries != 2) failed |= 64;
    return failed;
  };
  std::string skipReason;
  const int failed = RunAsOrdinaryUser(prepare, body, skipReason);
  fs::permissions(roFolder, fs::perms::owner_all);
  if (!skipReason.empty()) GTEST_SKIP() << skipReason;
  EXPECT_EQ(failed, 0) << "failed checks (bits): " << failed;
}

TEST(MyIniFileIo, UnreadableFilesRaise) {
  ScratchDir dir;
  std::filesystem::create_directory(dir / "folder.ini");
  EXPECT_THROW(MyIniFile(dir / "folder.ini", false, false, true), FileError);
}

}  // namespace
}  // namespace sonvex
