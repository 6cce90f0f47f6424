#include "model/crossover_model.h"

namespace sonvex {

std::string_view PartTypeCaption(int typ) {
  switch (typ) {
    case ptNone:
      return "keine Verbindung";
    case ptWire:
      return "Draht";
    case ptR:
      return "Widerstand";
    case ptC:
      return "Kondensator";
    case ptL:
      return "Spule";
    case ptChass:
      return "Lautsprecherchassis";
    case ptAmp:
      return "Verstärkerausgang";
    default:
      return {};
  }
}

TSlotGeometry SlotGeometry(int slot) {
  if (slot >= 0 && slot < kHorizontalSlots) {
    const int column = slot % 10;
    const int row = slot / 10;
    return {TSlotOrientation::Horizontal, column, row, NodeAt(column, row), NodeAt(column + 1, row)};
  }
  if (slot >= kHorizontalSlots && slot < kGridSlots) {
    const int k = slot - kHorizontalSlots;
    const int column = k % kGridColumns;
    const int row = k / kGridColumns;
    return {TSlotOrientation::Vertical, column, row, NodeAt(column, row), NodeAt(column, row + 1)};
  }
  return {TSlotOrientation::FreeWire, -1, -1, -1, -1};
}

void AssignGridNodes(TCrossover& parts) {
  for (int s = 0; s < kGridSlots; ++s) {
    const TSlotGeometry g = SlotGeometry(s);
    parts[s]._nod1 = g.nod1;
    parts[s]._nod2 = g.nod2;
  }
  for (int s = kGridSlots; s < kPartSlots; ++s) {
    parts[s]._nod1 = 0;
    parts[s]._nod2 = 0;
  }
}

TCrossover EmptyCrossover() {
  TCrossover parts{};
  AssignGridNodes(parts);
  return parts;
}

TPartCounts CountParts(const TCrossover& parts) {
  TPartCounts c;
  for (int s = 0; s < kUsedPartSlots; ++s) {
    const int t = parts[s]._typ;
    if (t == ptAmp) ++c.amps;
    if (t == ptChass) ++c.chassis;
    if (t >= ptR) ++c.components;
  }
  return c;
}

TPlausibilityTexts CheckPlausibility(const TCrossover& parts) {
  const TPartCounts c = CountParts(parts);
  return {c.amps == 0, c.chassis == 0};
}

}  // namespace sonvex
