#include "model/crossover_model.h"

namespace sonvex {

std::string_view PartTypeCaption(int typ) {
  switch (typ) {
    case PartNone:
      return "keine Verbindung";
    case PartWire:
      return "Draht";
    case PartResistor:
      return "Widerstand";
    case PartCapacitor:
      return "Kondensator";
    case PartInductor:
      return "Spule";
    case PartChassis:
      return "Lautsprecherchassis";
    case PartAmplifier:
      return "Verstärkerausgang";
    default:
      return {};
  }
}

SlotLayout SlotGeometry(int slot) {
  if (slot >= 0 && slot < kHorizontalSlots) {
    const int column = slot % 10;
    const int row = slot / 10;
    return {SlotOrientation::Horizontal, column, row, NodeAt(column, row), NodeAt(column + 1, row)};
  }
  if (slot >= kHorizontalSlots && slot < kGridSlots) {
    const int k = slot - kHorizontalSlots;
    const int column = k % kGridColumns;
    const int row = k / kGridColumns;
    return {SlotOrientation::Vertical, column, row, NodeAt(column, row), NodeAt(column, row + 1)};
  }
  return {SlotOrientation::FreeWire, -1, -1, -1, -1};
}

void AssignGridNodes(Crossover& parts) {
  for (int s = 0; s < kGridSlots; ++s) {
    const SlotLayout g = SlotGeometry(s);
    parts[s].node1 = g.node1;
    parts[s].node2 = g.node2;
  }
  for (int s = kGridSlots; s < kPartSlots; ++s) {
    parts[s].node1 = 0;
    parts[s].node2 = 0;
  }
}

Crossover EmptyCrossover() {
  Crossover parts{};
  AssignGridNodes(parts);
  return parts;
}

PartCounts CountParts(const Crossover& parts) {
  PartCounts c;
  for (int s = 0; s < kUsedPartSlots; ++s) {
    const int t = parts[s].type;
    if (t == PartAmplifier) ++c.amps;
    if (t == PartChassis) ++c.chassis;
    if (t >= PartResistor) ++c.components;
  }
  return c;
}

PlausibilityTexts CheckPlausibility(const Crossover& parts) {
  const PartCounts c = CountParts(parts);
  return {c.amps == 0, c.chassis == 0};
}

}  // namespace sonvex
