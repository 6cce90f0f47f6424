#pragma once
// Undo of the main window: up to 21 whole snapshots of the project, each
// taken before an editing command and described by a short German text that
// the menu item shows.
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
};

}  // namespace sonvex
