#include "model/interaction.h"
#include "support/scripted_interaction.h"

#include <gtest/gtest.h>

#include <sstream>

namespace sonvex {
namespace {

TEST(Interaction, CaptionsAreSplitAtBars) {
  EXPECT_EQ(SplitCaptions("Ok|Abbruch"), (std::vector<std::string>{"Ok", "Abbruch"}));
  EXPECT_EQ(SplitCaptions("1|2||Abbruch"), (std::vector<std::string>{"1", "2", "", "Abbruch"}));
  EXPECT_EQ(SplitCaptions("Ok"), (std::vector<std::string>{"Ok"}));
}

TEST(Interaction, ScriptedAnswersAndRecordsEveryQuestion) {
  ScriptedInteraction ui;
  ui.buttons = {2};
  ui.files = {std::filesystem::path("a.ZPJ")};
  ui.fileLists = {{std::filesystem::path("h0.frd"), std::filesystem::path("h30.frd")}};
  ui.edits = {std::vector<std::string>{"3,5"}, std::nullopt};
  EXPECT_EQ(ui.ChooseButton("Frage", "Ja|Nein", 1), 2);
  EXPECT_EQ(ui.ChooseButton("Noch eine", "Ja|Nein", 1), 1);  // script exhausted: the default
  EXPECT_EQ(ui.PickOpenFile("Laden", "*.ZPJ", "."), std::filesystem::path("a.ZPJ"));
  EXPECT_FALSE(ui.PickSaveFile("Speichern", "*.ZPJ", ".", "x").has_value());
  EXPECT_EQ(ui.PickOpenFiles("Polardaten", "*.frd", "."), (std::vector<std::filesystem::path>{"h0.frd", "h30.frd"}));
  EXPECT_TRUE(ui.PickOpenFiles("Polardaten", "*.frd", ".").empty());  // script exhausted: cancelled
  std::vector<std::string> values{"1"};
  EXPECT_TRUE(ui.EditValues("Pegel", "dB %d", values));
  EXPECT_EQ(values, std::vector<std::string>{"3,5"});
  EXPECT_FALSE(ui.EditValues("Pegel", "dB %d", values));
  EXPECT_EQ(values, std::vector<std::string>{"3,5"});
  ui.ShowMessage("Hinweis");
  ASSERT_EQ(ui.asked.size(), 9u);
  EXPECT_EQ(ui.asked[0].kind, "choose");
  EXPECT_EQ(ui.asked[0].options, "Ja|Nein");
  EXPECT_EQ(ui.asked[4].kind, "openFiles");
  EXPECT_EQ(ui.asked[4].options, "*.frd");
  EXPECT_EQ(ui.asked.back().kind, "message");
}

TEST(Interaction, ConsoleWritesMessagesWithTerminalLineEnds) {
  std::ostringstream out;
  ConsoleInteraction ui(out);
  EXPECT_EQ(ui.ChooseButton("Datei x\rist keine Projektdatei", "Ok|Abbruch", 2), 2);
  ui.ShowMessage("a\r\nb");
  EXPECT_FALSE(ui.PickOpenFile("Laden", "*.ZPJ", ".").has_value());
  EXPECT_TRUE(ui.PickOpenFiles("Laden", "*.frd", ".").empty());
  EXPECT_EQ(out.str(), "Datei x\nist keine Projektdatei\na\nb\n");
}

}  // namespace
}  // namespace sonvex
