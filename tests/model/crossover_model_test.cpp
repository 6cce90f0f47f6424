#include "model/crossover_model.h"

#include <gtest/gtest.h>

namespace sonvex {
namespace {

TEST(CrossoverGrid, SlotGeometry) {
  struct Case {
    int slot;
    SlotOrientation orientation;
    int column, row, node1, node2;
  };
  const Case cases[] = {
      {0, SlotOrientation::Horizontal, 0, 0, 0, 1},     {9, SlotOrientation::Horizontal, 9, 0, 9, 10},
      {10, SlotOrientation::Horizontal, 0, 1, 11, 12},  {89, SlotOrientation::Horizontal, 9, 8, 97, 98},
      {90, SlotOrientation::Vertical, 0, 0, 0, 11},     {100, SlotOrientation::Vertical, 10, 0, 10, 21},
      {101, SlotOrientation::Vertical, 0, 1, 11, 22},   {177, SlotOrientation::Vertical, 10, 7, 87, 98},
      {178, SlotOrientation::FreeWire, -1, -1, -1, -1}, {185, SlotOrientation::FreeWire, -1, -1, -1, -1},
  };
  for (const Case& c : cases) {
    const SlotLayout g = SlotGeometry(c.slot);
    EXPECT_EQ(g.orientation, c.orientation) << c.slot;
    EXPECT_EQ(g.column, c.column) << c.slot;
    EXPECT_EQ(g.row, c.row) << c.slot;
    EXPECT_EQ(g.node1, c.node1) << c.slot;
    EXPECT_EQ(g.node2, c.node2) << c.slot;
  }
  EXPECT_EQ(FreeWireSlot(1), 178);
  EXPECT_EQ(FreeWireSlot(8), 185);
}

TEST(CrossoverGrid, EverySlotJoinsTwoNeighbouringNodes) {
  for (int s = 0; s < kGridSlots; ++s) {
    const SlotLayout g = SlotGeometry(s);
    ASSERT_GE(g.node1, 0);
    ASSERT_LT(g.node2, kGridNodes);
    const int dc = NodeColumn(g.node2) - NodeColumn(g.node1);
    const int dr = NodeRow(g.node2) - NodeRow(g.node1);
    EXPECT_EQ(dc + dr, 1) << s;  // one step right or down
    EXPECT_EQ(NodeAt(g.column, g.row), g.node1) << s;
  }
  EXPECT_EQ(NodeColumn(98), 10);
  EXPECT_EQ(NodeRow(98), 8);
}

TEST(CrossoverGrid, AssignGridNodesOverwritesGridSlotsAndClearsFreeWires) {
  Crossover parts = EmptyCrossover();
  parts[5].node1 = 40;
  parts[5].node2 = 41;
  parts[180].type = PartWire;
  parts[180].node1 = 3;
  parts[180].node2 = 99;
  AssignGridNodes(parts);
  EXPECT_EQ(parts[5].node1, 5);
  EXPECT_EQ(parts[5].node2, 6);
  EXPECT_EQ(parts[180].node1, 0);
  EXPECT_EQ(parts[180].node2, 0);
  Crossover expected = EmptyCrossover();
  expected[180].type = PartWire;
  EXPECT_EQ(parts, expected);
}

TEST(CrossoverCounts, PlausibilityOfTheEditorsCloseCheck) {
  Crossover parts = EmptyCrossover();
  EXPECT_TRUE(CheckPlausibility(parts).noAmp);
  EXPECT_TRUE(CheckPlausibility(parts).noChassis);

  parts[0].type = PartAmplifier;
  parts[1].type = PartCapacitor;
  parts[2].type = PartChassis;
  parts[3].type = PartWire;
  parts[181].type = PartWire;
  parts[186].type = PartChassis;  // reserved slots are never counted
  const PartCounts c = CountParts(parts);
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
  CrossoverPart amp;
  amp.type = PartAmplifier;
  amp.node1 = 11;
  amp.node2 = 22;
  for (std::int16_t v : {-1, 0}) {
    amp.reversedPolarity = v;
    EXPECT_EQ(PlusNode(amp), 11);
    EXPECT_EQ(MinusNode(amp), 22);
  }
  amp.reversedPolarity = 1;
  EXPECT_EQ(PlusNode(amp), 22);
  EXPECT_EQ(MinusNode(amp), 11);
  EXPECT_EQ(PartTypeCaption(PartAmplifier), "Verstärkerausgang");
  EXPECT_EQ(PartTypeCaption(7), "");
}

}  // namespace
}  // namespace sonvex
