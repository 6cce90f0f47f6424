// The main window's menu state as a function of the project and the open
// editors.
#include "ui/main/menu_state.h"

#include <gtest/gtest.h>

#include <memory>

namespace sonvex {
namespace {

TEST(MenuState, FollowsTheCountsAndTheOpenEditors) {
  auto p = MakeNewProject();
  p->ampCount = 2;
  p->chassisCount = 3;
  p->chassis[0].name = "Test-Tieftöner 17";
  struct Case {
    OpenEditorFlags open;
    bool edit, file, chassisMenu, window, amp1Shown, amp1Menu;
  };
  const Case cases[] = {
      // nothing open: everything usable, no window menu
      {{false, false, false}, true, true, true, false, true, true},
      // crossover editor: no file commands, no amplifier menus to open a second one
      {{false, true, false}, true, false, true, true, true, false},
      // chassis editor: no second chassis editor
      {{true, false, false}, true, false, false, true, true, true},
      // optimizer: the project is not to be edited at all
      {{false, false, true}, false, false, false, true, false, false},
  };
  for (const Case& c : cases) {
    const MenuItemStates m = MenuState(*p, c.open);
    const std::string which =
        std::to_string(c.open.chassis) + std::to_string(c.open.crossover) + std::to_string(c.open.optimizer);
    EXPECT_EQ(m.editMenu, c.edit) << which;
    EXPECT_EQ(m.fileMenu, c.file) << which;
    EXPECT_EQ(m.chassisMenu, c.chassisMenu) << which;
    EXPECT_EQ(m.windowMenu, c.window) << which;
    EXPECT_EQ(m.ampShown[0], c.amp1Shown) << which;
    EXPECT_EQ(m.ampMenu[0], c.amp1Menu) << which;
    EXPECT_EQ(m.showCrossover, c.open.crossover) << which;
    EXPECT_EQ(m.showChassis, c.open.chassis) << which;
    EXPECT_EQ(m.showOptimizer, c.open.optimizer) << which;
    EXPECT_FALSE(m.ampShown[2]) << which;  // amplifier 3 is not in use
  }
  const MenuItemStates m = MenuState(*p, {});
  EXPECT_TRUE(m.chassisItem[2]);
  EXPECT_FALSE(m.chassisItem[3]);
  EXPECT_EQ(m.chassisCaption[0].find("Test-Tieftöner 17") != std::string::npos, true) << m.chassisCaption[0];
  EXPECT_FALSE(m.chassisPage58);
  EXPECT_EQ(m.chassisPage14Caption, "Chassis");
  p->chassisCount = 5;
  EXPECT_TRUE(MenuState(*p, {}).chassisPage58);
  EXPECT_EQ(MenuState(*p, {}).chassisPage14Caption, "Chassis 1..4");
}

}  // namespace
}  // namespace sonvex
