#include "optimizer/optimizer_preconditions.h"

#include "calc/check.h"
#include "model/interaction.h"
#include "optimizer/optimizer_steps.h"

namespace sonvex {

int CountMarkedParts(const Project& p) {
  int count = 0;
  for (int a = 0; a < AmpsInUse(p); ++a)
    for (int s = 0; s < kUsedPartSlots; ++s) {
      const CrossoverPart& part = p.amplifiers[a].crossover[s];
      if (part.optimize && IsValuePart(part.type)) ++count;
    }
  return count;
}

namespace {
int MarkParts(Project& p, bool allKinds) {
  for (int a = 0; a < AmpsInUse(p); ++a)
    for (int s = 0; s < kUsedPartSlots; ++s) {
      CrossoverPart& part = p.amplifiers[a].crossover[s];
      if (part.type == PartResistor || (allKinds && IsValuePart(part.type))) part.optimize = true;
    }
  return CountMarkedParts(p);
}
}  // namespace

int MarkAllResistors(Project& p) { return MarkParts(p, false); }
int MarkAllParts(Project& p) { return MarkParts(p, true); }

bool EnsureMarkedParts(Project& p, Interaction& ui) {
  while (CountMarkedParts(p) == 0) {
    const int choice = ui.ChooseButton(kNoMarkedPartsText, kNoMarkedPartsButtons, 3);
    if (choice == 1) {
      MarkAllResistors(p);
    } else if (choice == 2) {
      MarkAllParts(p);
    } else {
      return false;
    }
  }
  return true;
}

std::optional<std::string> CheckChassisData(const Project& p) {
  const int n = ChassisInUse(p);
  for (int c = 0; c < n; ++c) {
    const Chassis& ch = p.chassis[static_cast<std::size_t>(c)];
    // Written as "not greater" so that a value that is not a number fails too.
    if (!(ch.Sd > 0) || !(ch.xlin > 0) || !(ch.maxPower > 0))
      return "Chassis " + std::to_string(c + 1) + ":" + "\r" + std::string(kChassisDataText);
    // Above 0 but out of scale (1E-300): named with its value, as the
    // calculation names it.
    std::string range = CheckChassisValues(ch);
    if (range != "OK") {
      while (!range.empty() && range.back() == ' ') range.pop_back();
      return "Chassis " + std::to_string(c + 1) + ":" + "\r" + range;
    }
  }
  return std::nullopt;
}

}  // namespace sonvex
