#include "model/crossover_model.h"

#include <gtest/gtest.h>

namespace sonvex {
namespace {

TEST(CrossoverGrid, SlotGeometry) {
  struct Case {
    int slot;
    TSlotOrientation orientation;
    int column, row, nod1, nod2;
  };
  const Case cases[] = {
      {0, TSlotOrientation::Horizontal, 0, 0, 0, 1},     {9, TSlotOrientation::Horizontal, 9, 0, 9, 10},
      {10, TSlotOrientation::Horizontal, 0, 1, 11, 12},  {89, TSlotOrientation::Horizontal, 9, 8, 97, 98},
      {90, TSlotOrientation::Vertical, 0, 0, 0, 11},     {100, TSlotOrientation::Vertical, 10, 0, 10, 21},
      {101, TSlotOrientation::Vertical, 0, 1, 11, 22},   {177, TSlotOrientation::Vertical, 10, 7, 87, 98},
      {178, TSlotOrientation::FreeWire, -1, -1, -1, -1}, {185, TSlotOrientation::FreeWire, -1, -1, -1, -1},
  };
  for (const Case& c : cases) {
    const TSlotGeometry g = SlotGeometry(c.slot);
    EXPECT_EQ(g.orientation, c.orientation) << c.slot;
    EXPECT_EQ(g.column, c.column) << c.slot;
    EXPECT_EQ(g.row, c.row) << c.slot;
    EXPECT_EQ(g.nod1, c.nod1) << c.slot;
    EXPECT_EQ(g.nod2, c.nod2) << c.slot;
  }
  EXPECT_EQ(FreeWireSlot(1), 178);
  EXPECT_EQ(FreeWireSlot(8), 185);
}

TEST(CrossoverGrid, EverySlotJoinsTwoNeighbouringNodes) {
  for (int s = 0; s < kGridSlots; ++s) {
    const TSlotGeometry g = SlotGeometry(s);
    ASSERT_GE(g.nod1, 0);
    ASSERT_LT(g.nod2, kGridNodes);
    const int dc = NodeColumn(g.nod2) - NodeColumn(g.nod1);
    const int dr = NodeRow(g.nod2) - NodeRow(g.nod1);
    EXPECT_EQ(dc + dr, 1) << s;  // one step right or down
    EXPECT_EQ(NodeAt(g.column, g.row), g.nod1) << s;
  }
  EXPECT_EQ(NodeColumn(98), 10);
  EXPECT_EQ(NodeRow(98), 8);
}

TEST(CrossoverGrid, AssignGridNodesOverwritesGridSlotsAndClearsFreeWires) {
  TCrossover parts = EmptyCrossover();
  parts[5]._nod1 = 40;
  parts[5]._nod2 = 41;
  parts[180]._typ = ptWire;
  parts[180]._nod1 = 3;
  parts[180]._nod2 = 99;
  AssignGridNodes(parts);
  EXPECT_EQ(parts[5]._nod1, 5);
  EXPECT_EQ(parts[5]._nod2, 6);
  EXPECT_EQ(parts[180]._nod1, 0);
  EXPECT_EQ(parts[180]._nod2, 0);
  TCrossover expected = EmptyCrossover();
  expected[180]._typ = ptWire;
  EXPECT_EQ(parts, expected);
}

TEST(CrossoverCounts, PlausibilityOfTheEditorsCloseCheck) {
  TCrossover parts = EmptyCrossover();
  EXPECT_TRUE(CheckPlausibility(parts).noAmp);
  EXPECT_TRUE(CheckPlausibility(parts).noChassis);

  parts[0]._typ = ptAmp;
  parts[1]._typ = ptC;
  parts[2]._typ = ptChass;
  parts[3]._typ = ptWire;
  parts[181]._typ = ptWire;
  parts[186]._typ = ptChass;  // reserved slots are never counted
  const TPartCounts c = CountParts(parts);
  EXPECT_EQ(c.amps, 1);
  EXPECT_EQ(c.chassis, 1);
  EXPECT_EQ(c.components, 3);  // capacitor, chassis, amplifier
  EXPECT_FALSE(CheckPlausibility(parts).noAmp);
  EXPECT_FALSE(CheckPlausibility(parts).noChassis);
  EXPECT_EQ(kNoAmpText, "Es ist kein Verstärker an der Weiche \r\nangeschlossen. ");
}

TEST(CrossoverParts, PolarityToggleAndTerminals) {
  EXPECT_EQ(TogglePolarity(-1), 2);
  EXPECT_EQ(TogglePolarity(2), -1);
  TWPart amp;
  amp._typ = ptAmp;
  amp._nod1 = 11;
  amp._nod2 = 22;
  for (std::int16_t v : {-1, 0}) {
    amp._verpolt = v;
    EXPECT_EQ(PlusNode(amp), 11);
    EXPECT_EQ(MinusNode(amp), 22);
  }
  amp._verpolt = 1;
  EXPECT_EQ(PlusNode(amp), 22);
  EXPECT_EQ(MinusNode(amp), 11);
  EXPECT_EQ(PartTypeCaption(ptAmp), "Verstärkerausgang");
  EXPECT_EQ(PartTypeCaption(7), "");
}

}  // namespace
}  // namespace sonvex
