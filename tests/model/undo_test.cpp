// Undo keeps 21 snapshots; the oldest falls out, Drop discards without
// restoring, and the caption names the newest snapshot.
#include <gtest/gtest.h>

#include <string>

#include "model/project.h"
#include "model/undo_stack.h"

namespace sonvex {
namespace {

TEST(UndoStack, TwentyTwoEditsKeepTheNewestTwentyOne) {
  UndoStack undo;
  auto p = MakeNewProject();
  for (int i = 0; i < 22; ++i) {
    p->amplifiers[0].level = i;  // the project before edit i
    undo.Push(*p, "Edit " + std::to_string(i));
  }
  EXPECT_EQ(undo.Count(), 21);
  EXPECT_EQ(undo.Caption(), "Rückgängig \"Edit 21\"");
  for (int i = 21; i >= 1; --i) {
    ASSERT_TRUE(undo.Pop(*p)) << i;
    EXPECT_EQ(p->amplifiers[0].level, i);
  }
  // the first snapshot (edit 0) was lost
  EXPECT_TRUE(undo.Empty());
  EXPECT_FALSE(undo.Pop(*p));
  EXPECT_EQ(p->amplifiers[0].level, 1);
}

TEST(UndoStack, DropDiscardsTheNewestWithoutRestoring) {
  UndoStack undo;
  auto p = MakeNewProject();
  p->chassisCount = 2;
  undo.Push(*p, "Neues Projekt");
  p->chassisCount = 3;
  undo.Push(*p, "Chassis kopieren");
  p->chassisCount = 4;
  undo.Drop();
  EXPECT_EQ(p->chassisCount, 4);
  EXPECT_EQ(undo.Count(), 1);
  EXPECT_EQ(undo.Caption(), "Rückgängig \"Neues Projekt\"");
  ASSERT_TRUE(undo.Pop(*p));
  EXPECT_EQ(p->chassisCount, 2);
  EXPECT_EQ(undo.TopDescription(), "");
  undo.Drop();  // nothing to drop
  EXPECT_TRUE(undo.Empty());
}

}  // namespace
}  // namespace sonvex
