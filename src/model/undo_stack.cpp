#include "model/undo_stack.h"

#include <utility>

namespace sonvex {

void UndoStack::Push(const Project& p, const std::string& description, const Project* reference) {
  // A full stack loses its oldest step: the saved state moves one step down,
  // and where it was that oldest step, it is out of reach.
  if (Count() == kUndoSlots && clean_ >= 0) --clean_;
  // The last slot's record is reused for the new snapshot: no allocation once
  // the stack is full.
  std::unique_ptr<Project> record = std::move(slots_[kUndoSlots - 1]);
  for (int i = kUndoSlots - 1; i > 0; --i) {
    slots_[i] = std::move(slots_[i - 1]);
    descriptions_[i] = std::move(descriptions_[i - 1]);
    references_[i] = std::move(references_[i - 1]);
  }
  if (!record) record = std::make_unique<Project>();
  *record = p;
  slots_[0] = std::move(record);
  references_[0] = reference != nullptr ? std::make_unique<Project>(*reference) : nullptr;
  // Values derived from a chassis follow from its records; a step keeps
  // the records only.
  for (Chassis& c : slots_[0]->chassis) c.derived = ChassisDerived{};
  if (references_[0])
    for (Chassis& c : references_[0]->chassis) c.derived = ChassisDerived{};
  // An empty description would mark the slot as empty; every command names itself.
  descriptions_[0] = description.empty() ? std::string("?") : description;
}

void UndoStack::ShiftDown() {
  std::unique_ptr<Project> record = std::move(slots_[0]);
  for (int i = 0; i < kUndoSlots - 1; ++i) {
    slots_[i] = std::move(slots_[i + 1]);
    descriptions_[i] = std::move(descriptions_[i + 1]);
    references_[i] = std::move(references_[i + 1]);
  }
  slots_[kUndoSlots - 1] = std::move(record);  // kept for reuse
  descriptions_[kUndoSlots - 1].clear();
  references_[kUndoSlots - 1].reset();
}

void UndoStack::Drop() {
  if (descriptions_[0].empty()) return;
  ShiftDown();
  // The project did not change since the dropped step was pushed.
  if (clean_ > Count()) clean_ = -1;
}

bool UndoStack::Pop(Project& p, Project* reference) {
  if (descriptions_[0].empty() || !slots_[0]) return false;
  p = *slots_[0];
  if (reference != nullptr && references_[0] != nullptr) *reference = *references_[0];
  // Undoing past the saved state: without a redo, the next edit would reach
  // the same number of steps with another project.
  if (clean_ >= Count()) clean_ = -1;
  ShiftDown();
  return true;
}

int UndoStack::Count() const {
  int n = 0;
  for (const std::string& d : descriptions_) n += d.empty() ? 0 : 1;
  return n;
}

std::string UndoStack::Caption() const { return "Rückgängig \"" + descriptions_[0] + "\""; }

}  // namespace sonvex
