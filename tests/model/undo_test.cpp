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

// The clean index follows the saved state through edits and undos, and is
// lost where undo can no longer lead back to it.
TEST(UndoStack, TheCleanIndexMarksTheSavedState) {
  auto p = MakeNewProject();
  {
    UndoStack undo;
    EXPECT_TRUE(undo.IsClean());  // a new stack: nothing edited yet
    undo.Push(*p, "A");
    EXPECT_FALSE(undo.IsClean());
    ASSERT_TRUE(undo.Pop(*p));
    EXPECT_TRUE(undo.IsClean());  // the edit and its undo: saved again
  }
  {
    // Saved after two edits; undoing one is unsaved, and a new edit at the
    // same depth is another project, so it stays unsaved.
    UndoStack undo;
    undo.Push(*p, "A");
    undo.Push(*p, "B");
    undo.MarkClean();
    ASSERT_TRUE(undo.Pop(*p));
    EXPECT_FALSE(undo.IsClean());
    undo.Push(*p, "C");
    EXPECT_FALSE(undo.IsClean());
  }
  {
    // The saved state falls off the bottom of a full stack.
    UndoStack undo;
    undo.MarkClean();
    for (int i = 0; i < kUndoSlots; ++i) undo.Push(*p, "E");
    for (int i = 0; i < kUndoSlots; ++i) ASSERT_TRUE(undo.Pop(*p));
    EXPECT_TRUE(undo.IsClean());  // 21 steps: still in reach
    for (int i = 0; i < kUndoSlots + 1; ++i) undo.Push(*p, "E");
    while (undo.Pop(*p)) EXPECT_FALSE(undo.IsClean());
  }
  {
    // Saved with a full stack, then one more edit: undoing it is saved again.
    UndoStack undo;
    for (int i = 0; i < kUndoSlots; ++i) undo.Push(*p, "E");
    undo.MarkClean();
    undo.Push(*p, "F");
    EXPECT_FALSE(undo.IsClean());
    ASSERT_TRUE(undo.Pop(*p));
    EXPECT_TRUE(undo.IsClean());
  }
  {
    // A change without a step of its own; a dropped step changed nothing.
    UndoStack undo;
    undo.Push(*p, "A");
    undo.MarkClean();
    undo.Push(*p, "B");
    undo.Drop();
    EXPECT_TRUE(undo.IsClean());
    undo.LoseClean();
    EXPECT_FALSE(undo.IsClean());
    undo.MarkClean();
    EXPECT_TRUE(undo.IsClean());
  }
}

}  // namespace
}  // namespace sonvex
