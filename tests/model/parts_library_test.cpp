#include "model/parts_library.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace sonvex {
namespace {

TEST(PartsLibrary, LinesGoIntoTheirListsWithTheirTexts) {
  struct Case {
    const char* line;
    LibraryPage page;
    const char* text;
    double value, resistance;
  };
  const std::string sep(kPartsSeparatorLine);
  const Case cases[] = {
      {"R;MOX 2,2;2.2;", LibraryPage::Resistors, "MOX 2,2:2.2 Ohm", 2.2, 0},
      {"r\tDraht 10 W\t10,0\tegal", LibraryPage::Resistors, "Draht 10 W:10,0 Ohm", 10, 0},
      {"R;ohne Trenner;4.7", LibraryPage::Resistors, "ohne Trenner:4.7 Ohm", 4.7, 0},
      {"R;negativ;-1;", LibraryPage::Resistors, sep.c_str(), -1, 0},
      {"L;Luft 1,5;1.5;0.4", LibraryPage::Coils, "Luft 1,5:1.5 mH, 0.4 Ohm", 1.5, 0.4},
      {"l;Kern;10;0,35;Rest", LibraryPage::Coils, "Kern:10 mH, 0,35 Ohm", 10, 0.35},
      {"L;---;0;0,2", LibraryPage::Coils, sep.c_str(), 0, 0.2},
      {"C;MKP;3,3;", LibraryPage::Capacitors, "MKP:3,3 µF", 3.3, 0},
      {"c;irgendwas;0;", LibraryPage::Capacitors, sep.c_str(), 0, 0},
      {"C;Elko;abc;", LibraryPage::Capacitors, sep.c_str(), 0, 0},  // a value that does not parse reads 0
  };
  for (const Case& c : cases) {
    PartsLibrary lib;
    AddLibraryLine(lib, c.line);
    const auto& list = lib.Page(c.page);
    ASSERT_EQ(list.size(), 1u) << c.line;
    EXPECT_EQ(lib.resistors.size() + lib.coils.size() + lib.capacitors.size(), 1u) << c.line;
    EXPECT_EQ(list[0].text, c.text) << c.line;
    EXPECT_DOUBLE_EQ(list[0].value, c.value) << c.line;
    EXPECT_DOUBLE_EQ(list[0].resistance, c.resistance) << c.line;
  }
}

TEST(PartsLibrary, OtherLinesAreIgnored) {
  PartsLibrary lib;
  for (const char* line : {"", "X;Sonstiges;1;", "RR;zwei;1;", " R;Blank davor;1;", "Widerstaende", ";;;", "R"}) {
    AddLibraryLine(lib, line);
  }
  // "R" alone is a resistor line with an empty designation and value 0.
  ASSERT_EQ(lib.resistors.size(), 1u);
  EXPECT_EQ(lib.resistors[0].text, kPartsSeparatorLine);
  EXPECT_TRUE(lib.coils.empty());
  EXPECT_TRUE(lib.capacitors.empty());
}

TEST(PartsLibrary, ChoosingAnEntry) {
  PartsLibrary lib;
  AddLibraryText(lib, "R;MOX 2,2;2.2;\nc;Trenner;0;\nL;Luft 1,5;1.5;0.4\nC;MKP;3,3;\n");
  EXPECT_EQ(ChooseLibraryEntry(LibraryPage::Resistors, lib.resistors[0]), (LibraryChoice{2, "MOX 2,2", 2.2, 0}));
  EXPECT_EQ(ChooseLibraryEntry(LibraryPage::Capacitors, lib.capacitors[0]), (LibraryChoice{1, "", 0, 0}));
  EXPECT_EQ(ChooseLibraryEntry(LibraryPage::Coils, lib.coils[0]), (LibraryChoice{4, "Luft 1,5", 1.5, 0.4}));
  EXPECT_EQ(ChooseLibraryEntry(LibraryPage::Capacitors, lib.capacitors[1]), (LibraryChoice{3, "MKP", 3.3, 0}));
}

TEST(PartsLibrary, ReadsEveryTxtFileOfTheFolderInNameOrder) {
  PartsLibrary lib;
  lib.coils.push_back({"alt", 1, 1});  // a new reading starts from empty lists
  std::string error;
  ASSERT_TRUE(ReadPartsLibrary(std::filesystem::path(SONVEX_TEST_DATA) / "parts", lib, error));
  EXPECT_EQ(error, "");
  const std::string sep(kPartsSeparatorLine);
  // notizen.csv is not read; "Katalog 2024" is no part line.
  ASSERT_EQ(lib.resistors.size(), 4u);
  EXPECT_EQ(lib.resistors[0].text, "MOX 2,2:2.2 Ohm");
  EXPECT_EQ(lib.resistors[1].text, "MOX 3,3:3,3 Ohm");
  EXPECT_EQ(lib.resistors[2].text, sep);
  EXPECT_EQ(lib.resistors[3].text, "Draht 10 W:10 Ohm");
  ASSERT_EQ(lib.coils.size(), 2u);
  EXPECT_EQ(lib.coils[1].text, "Kern 10:10 mH, 0,35 Ohm");
  EXPECT_DOUBLE_EQ(lib.coils[1].resistance, 0.35);
  ASSERT_EQ(lib.capacitors.size(), 3u);
  // The file is in the Windows code page: its "µ" byte becomes UTF-8.
  EXPECT_EQ(lib.capacitors[0].text, "MKP 4,7µ:4.7 µF");
  EXPECT_EQ(lib.capacitors[1].text, sep);
  EXPECT_EQ(lib.capacitors[2].text, "Elko 100:100 µF");
}

TEST(PartsLibrary, MissingFolderGivesEmptyLists) {
  PartsLibrary lib;
  lib.resistors.push_back({"alt", 1, 0});
  std::string error;
  EXPECT_TRUE(ReadPartsLibrary(std::filesystem::path(SONVEX_TEST_DATA) / "parts" / "fehlt", lib, error));
  EXPECT_EQ(lib, PartsLibrary{});
}

TEST(PartsLibrary, HostileInputStaysBounded) {
  PartsLibrary lib;
  std::string text;
  for (int i = 0; i < 1100; ++i) text += "R;R" + std::to_string(i) + ";" + std::to_string(i + 1) + ";\n";
  text += "C;" + std::string(100000, 'x') + ";1;\n";  // cut inside the designation: no value left
  text += std::string("C;\xff\xfe\x00\x80;2;\n", 10);
  text += "L;ohne Wert";  // last line without line end and without value
  AddLibraryText(lib, text);
  ASSERT_EQ(lib.resistors.size(), kPartsLibraryMaxEntries);
  EXPECT_EQ(lib.resistors.back().text, "R1000:1001 Ohm");
  ASSERT_EQ(lib.capacitors.size(), 2u);
  EXPECT_EQ(lib.capacitors[0].text, kPartsSeparatorLine);
  EXPECT_EQ(lib.capacitors[1].text, std::string("\xc3\xbf\xc3\xbe") + std::string(1, '\0') + "\xe2\x82\xac:2 µF");
  ASSERT_EQ(lib.coils.size(), 1u);
  EXPECT_EQ(lib.coils[0].text, kPartsSeparatorLine);
}

}  // namespace
}  // namespace sonvex
