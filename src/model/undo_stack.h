#pragma once
// Undo of the main window: up to 21 whole snapshots of the project, each
// taken before an editing command and described by a short German text that
// the menu item shows. The stack also knows where the project was last saved
// (its clean index): an edit followed by its undo is saved again.
#include <array>
#include <memory>
#include <string>

#include "model/project.h"

namespace sonvex {

inline constexpr int kUndoSlots = 21;

class UndoStack {
 public:
  UndoStack() = default;

  // Snapshot of `p` with its description into slot 0; the oldest of 21
  // snapshots is lost. A step that changes the reference project as well (a
  // swap with it) passes the reference too, so that undoing it brings back
  // both sides.
  void Push(const Project& p, const std::string& description, const Project* reference = nullptr);
  // Removes slot 0 without restoring it (a dialog that pushed was cancelled).
  void Drop();
  // Copies slot 0 into `p` (and the reference it holds into `reference`,
  // where both are there) and removes it; false (p untouched) when empty.
  bool Pop(Project& p, Project* reference = nullptr);
  // Slot 0 holds a reference project as well.
  bool TopHoldsReference() const { return !descriptions_[0].empty() && references_[0] != nullptr; }

  bool Empty() const { return Count() == 0; }
  int Count() const;
  // The project as it stands is the one last saved: the number of steps
  // equals the clean index. Marking clean takes the present number.
  bool IsClean() const { return clean_ >= 0 && Count() == clean_; }
  void MarkClean() { clean_ = Count(); }
  // The project changed without a step of its own (marks made for a run):
  // no undo reaches the saved state any more.
  void LoseClean() { clean_ = -1; }

  // Description of slot 0 (empty when there is none).
  const std::string& TopDescription() const { return descriptions_[0]; }
  // The menu caption: "Rückgängig" + blank + the description in double quotes.
  std::string Caption() const;

 private:
  void ShiftDown();  // slots 1..20 to 0..19, slot 20 emptied

  // Snapshots are half a megabyte each: kept on the heap, created on demand.
  std::array<std::unique_ptr<Project>, kUndoSlots> slots_{};
  std::array<std::string, kUndoSlots> descriptions_{};  // empty: slot is empty
  // The reference project of a step that changed it too; null for all others.
  std::array<std::unique_ptr<Project>, kUndoSlots> references_{};
  // The number of steps when the project was saved; -1 when no sequence of
  // undo steps leads back there (the step was lost off the bottom, or undone
  // and replaced by another edit).
  int clean_ = 0;
};

}  // namespace sonvex
