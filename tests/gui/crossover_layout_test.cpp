// The crossover editor's drawing geometry, hit test, labels, name split,
// junction dots, mouse action map and editing actions, checked against
// values worked out by hand.
#include "ui/editors/crossover_layout.h"

#include <gtest/gtest.h>

#include "model/settings.h"

namespace sonvex {
namespace {

TEST(CrossoverLayout, WindowSizeFollowsTheLevel) {
  struct Case {
    int level;
    DrawingSize size;
    const char* caption;
  };
  for (const Case& c : {Case{1, {970, 472}, "klein"}, Case{2, {1068, 530}, "mittel"}, Case{3, {1236, 596}, "groß"}}) {
    EXPECT_EQ(CrossoverWindowSize(GeometryOfLevel(c.level)), c.size) << c.level;
    EXPECT_EQ(CrossoverSizeCaption(c.level), c.caption);
  }
  // An unusable stored level is taken as the nearest one.
  EXPECT_EQ(GeometryOfLevel(0).level, 1);
  EXPECT_EQ(GeometryOfLevel(7).level, 3);
  const CrossoverGeometry g = GeometryOfLevel(2);
  EXPECT_EQ(NodePosition(g, 0), (DrawingPoint{15, 15}));
  EXPECT_EQ(NodePosition(g, 98), (DrawingPoint{15 + 10 * 86, 15 + 8 * 56}));
  EXPECT_EQ(NodePosition(g, 25), (DrawingPoint{15 + 3 * 86, 15 + 2 * 56}));
}

TEST(CrossoverLayout, WindowIsKeptOnTheScreen) {
  const DrawingSize size{1068, 530};
  // Too low: the bottom keeps 30 pixels free.
  EXPECT_EQ(KeepCrossoverEditorOnScreen({184, 508}, size, {1280, 1024}), (DrawingPoint{184, 464}));
  // Too far right, and wider than the screen: the left edge stops at 0.
  EXPECT_EQ(KeepCrossoverEditorOnScreen({300, 0}, size, {1300, 900}), (DrawingPoint{232, 0}));
  EXPECT_EQ(KeepCrossoverEditorOnScreen({184, 0}, size, {1024, 768}), (DrawingPoint{0, 0}));
  // Lower than the screen: the top edge stops at 0, never above the screen.
  EXPECT_EQ(KeepCrossoverEditorOnScreen({184, 508}, {970, 472}, {640, 480}), (DrawingPoint{0, 0}));
}

TEST(CrossoverLayout, HitRectanglesOfTheThreeLevels) {
  struct Case {
    int level;
    int slot;
    DrawingRect rect;
  };
  const Case cases[] = {
      {1, 0, {23, 2, 84, 27}},       {1, 90, {-3, 27, 61, 51}}, {2, 0, {23, 2, 95, 30}},
      {2, 89, {797, 450, 869, 478}}, {2, 90, {-3, 32, 72, 60}}, {2, 177, {857, 424, 932, 452}},
      {3, 0, {25, 2, 113, 33}},      {3, 90, {-3, 33, 88, 65}}, {3, 101, {-3, 97, 88, 129}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(HitRectangles(GeometryOfLevel(c.level))[static_cast<std::size_t>(c.slot)], c.rect)
        << "level " << c.level << " slot " << c.slot;
  const SlotRects rects = HitRectangles(GeometryOfLevel(2));
  for (int k = 1; k <= kFreeWires; ++k)
    EXPECT_EQ(rects[static_cast<std::size_t>(FreeWireSlot(k))], (DrawingRect{0, 0, 0, 0}));
}

TEST(CrossoverLayout, HitTestPicksTheHighestSlot) {
  const SlotRects rects = HitRectangles(GeometryOfLevel(2));
  // (72, 58) lies on the right border of vertical slot 90 and on the top
  // border of horizontal slot 10: the vertical slot wins.
  EXPECT_TRUE(rects[10].Contains(72, 58));
  EXPECT_EQ(HitTest(rects, 72, 58), 90);
  EXPECT_EQ(HitTest(rects, 73, 58), 10);
  EXPECT_EQ(HitTest(rects, 50, 10), 0);
  EXPECT_EQ(HitTest(rects, 60, 40), 90);
  // Only the very pixel (0, 0) reaches a free wire, and then the last one.
  EXPECT_EQ(HitTest(rects, 0, 0), 185);
  EXPECT_EQ(HitTest(rects, 1, 0), -1);
  EXPECT_EQ(HitTest(rects, 1000, 500), -1);
}

TEST(CrossoverLayout, FreeWireBendsAndLabelPositions) {
  const auto line = FreeWirePolyline({15, 15}, {101, 71});
  // 0.7 * 15 + 0.3 * 101 - 10 = 30.8; 0.7 * 15 + 0.3 * 71 - 10 = 21.8
  EXPECT_EQ(line[1], (DrawingPoint{31, 22}));
  // 0.3 * 15 + 0.7 * 101 - 10 = 65.2; 0.3 * 15 + 0.7 * 71 - 10 = 44.2
  EXPECT_EQ(line[2], (DrawingPoint{65, 44}));
  EXPECT_EQ(line[3], (DrawingPoint{101, 71}));

  const CrossoverGeometry g = GeometryOfLevel(3);  // O 10 / 18, S 24, L 3
  auto [h1, h2] = LabelPositions(g, SlotOrientation::Horizontal, {100, 200});
  EXPECT_EQ(h1, (DrawingPoint{136, 185}));
  EXPECT_EQ(h2, (DrawingPoint{136, 201}));
  auto [v1, v2] = LabelPositions(GeometryOfLevel(1), SlotOrientation::Vertical, {100, 200});  // S 18, O 12, L 1
  EXPECT_EQ(v1, (DrawingPoint{112, 212}));
  EXPECT_EQ(v2, (DrawingPoint{112, 223}));
}

TEST(CrossoverLayout, PrintedAreaCoversTheOccupiedSlots) {
  const CrossoverGeometry g = GeometryOfLevel(2);
  Crossover parts = EmptyCrossover();
  // nothing occupied: the whole drawing
  EXPECT_EQ(UsedDrawingArea(g, parts), (DrawingRect{0, 0, 860 + 150 - 1, 448 + 44 - 1}));
  parts[0].type = PartWire;  // nodes 0 (15, 15) and 1 (101, 15)
  EXPECT_EQ(UsedDrawingArea(g, parts), (DrawingRect{0, 0, 221, 45}));
  parts[0].type = PartNone;
  parts[177].type = PartResistor;  // nodes 87 (875, 407) and 98 (875, 463)
  EXPECT_EQ(UsedDrawingArea(g, parts), (DrawingRect{860, 377, 995, 493}));
  // a free wire counts with both its nodes
  CrossoverPart& free1 = parts[static_cast<std::size_t>(FreeWireSlot(1))];
  free1.type = PartWire;
  free1.node1 = 98;
  free1.node2 = 25;  // (273, 127)
  EXPECT_EQ(UsedDrawingArea(g, parts), (DrawingRect{258, 97, 995, 493}));
}

CrossoverPart Part(int partType, double value, double resistance = 0, const char* note = "") {
  CrossoverPart p;
  p.type = static_cast<std::int16_t>(partType);
  p.value = value;
  p.resistance = resistance;
  p.note = note;
  return p;
}

TEST(CrossoverLayout, ValueTextsSwitchToThePrefixFormOutsideTheirRange) {
  struct Case {
    double value;
    const char* r;
    const char* c;
    const char* l;
  };
  // value as Ohm, as Farad, as Henry
  const Case cases[] = {
      {2.2, "2,20 Ohm", "2,20 F", "2,20 H"},     {0.1, "0,10 Ohm", "100m F", "100, mH"},
      {999, "999, Ohm", "999, F", "999, H"},     {1000, "1k00 Ohm", "1k00 F", "1k00 H"},
      {0.05, "50m0 Ohm", "50m0 F", "50,0 mH"},   {0, "0,00 Ohm", "0,00 F", "0,00 H"},
      {4.7e-6, "4µ70 Ohm", "4,70 µF", "4µ70 H"}, {1e-7, "100n Ohm", "0,10 µF", "100n H"},
      {47e-9, "47n0 Ohm", "47n0 F", "47n0 H"},   {220e-6, "220µ Ohm", "220, µF", "0,22 mH"},
      {1e-3, "1m00 Ohm", "1m00 F", "1,00 mH"},   {1.2e-3, "1m20 Ohm", "1m20 F", "1,20 mH"},
      {50e-6, "50µ0 Ohm", "50,0 µF", "50µ0 H"},  {-1, "NEG  Ohm", "NEG  F", "NEG  H"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ResistanceText(c.value), c.r) << c.value;
    EXPECT_EQ(CapacitanceText(c.value), c.c) << c.value;
    EXPECT_EQ(InductanceText(c.value), c.l) << c.value;
  }
}

TEST(CrossoverLayout, LabelLinesPerTypeAndMode) {
  using M = LabelMode;
  EXPECT_EQ(PartLabel(Part(PartResistor, 2.2, 0, "MOX 2,2"), M::CoilResistance, false, ""),
            (PartLabelLines{"2,20 Ohm", ""}));
  EXPECT_EQ(PartLabel(Part(PartResistor, 2.2, 0, "MOX 2,2"), M::Designation, false, ""),
            (PartLabelLines{"2,20 Ohm", "MOX 2,2"}));
  EXPECT_EQ(PartLabel(Part(PartCapacitor, 4.7e-6, 0, "MKP"), M::CoilResistance, true, ""),
            (PartLabelLines{"4,70 µF", ""}));
  EXPECT_EQ(PartLabel(Part(PartInductor, 1.2e-3, 0.35, "Luft"), M::CoilResistance, false, ""),
            (PartLabelLines{"1,20 mH", "0,35 Ohm"}));
  EXPECT_EQ(PartLabel(Part(PartInductor, 1.2e-3, 0, "Luft"), M::CoilResistance, false, ""),
            (PartLabelLines{"1,20 mH", "0,00 Ohm"}));
  EXPECT_EQ(PartLabel(Part(PartInductor, 1.2e-3, 0.35, "Luft"), M::Designation, false, ""),
            (PartLabelLines{"1,20 mH", "Luft"}));
  EXPECT_EQ(PartLabel(Part(PartAmplifier, 1), M::Designation, false, ""), (PartLabelLines{"Amp", ""}));
  EXPECT_EQ(PartLabel(Part(PartWire, 1), M::CoilResistance, false, ""), (PartLabelLines{}));

  CrossoverPart chassis = Part(PartChassis, 1);
  chassis.chassisSlot = 2;
  EXPECT_EQ(PartLabel(chassis, M::CoilResistance, false, "SV-170"), (PartLabelLines{"SV-170", "Chassis 3"}));
  EXPECT_EQ(PartLabel(chassis, M::CoilResistance, true, "SV-170"), (PartLabelLines{"SV-170", ""}));
  EXPECT_EQ(PartLabel(chassis, M::CoilResistance, true, "ABC-123 - 8 Ohm"), (PartLabelLines{"ABC-123", "8 Ohm"}));
}

TEST(CrossoverLayout, ChassisNameSplit) {
  struct Case {
    const char* name;
    const char* line1;
    const char* line2;
  };
  const Case cases[] = {
      // designation, " - ", impedance with unit: the impedance alone below
      {"ABC-123 - 8 Ohm", "ABC-123", "8 Ohm"},
      {"AB-1234 - 4Ohm", "AB-1234", "4Ohm"},
      // the dash stays when no unit follows at the 4th or 5th character
      {"ABC-123 - 16 Ohm", "ABC-123", "- 16 Ohm"},
      {"ABCDEFG - Bass", "ABCDEFG", "- Bass"},
      // k = 8 and k = 9 score alike (-98): the first wins; characters, not
      // bytes, are counted
      {"Test-Tieftöner 17", "Test-Tie", "ftöner 17"},
      // a blank at the cut is dropped from line 1 and counts for nothing:
      // k = 8 scores -64 - 7 - 6, one better than k = 6 or 7
      {"Kalotte 25 Neo", "Kalotte", "25 Neo"},
  };
  for (const Case& c : cases) {
    auto [a, b] = SplitChassisName(c.name);
    EXPECT_EQ(a, c.line1) << c.name;
    EXPECT_EQ(b, c.line2) << c.name;
  }
}

TEST(CrossoverLayout, PrintViewDotsOnlyWhereThreeEndsMeet) {
  Crossover parts = EmptyCrossover();
  parts[0].type = PartWire;      // nodes 0-1
  parts[1].type = PartResistor;  // nodes 1-2
  auto ends = TerminalEnds(parts);
  EXPECT_EQ(ends[1], 2);
  EXPECT_FALSE(IsJunction(ends, 1));  // the line merely continues
  EXPECT_FALSE(IsJunction(ends, 0));
  parts[91].type = PartChassis;  // nodes 1-12: a T junction
  ends = TerminalEnds(parts);
  EXPECT_TRUE(IsJunction(ends, 1));
  EXPECT_FALSE(IsJunction(ends, 12));

  // Free wires count; empty slots do not, whatever their nodes.
  CrossoverPart& free1 = parts[static_cast<std::size_t>(FreeWireSlot(1))];
  free1.node1 = 2;
  free1.node2 = 12;
  ends = TerminalEnds(parts);
  EXPECT_EQ(ends[2], 1);
  free1.type = PartWire;
  parts[10].type = PartWire;  // nodes 11-12
  ends = TerminalEnds(parts);
  EXPECT_EQ(ends[2], 2);
  EXPECT_TRUE(IsJunction(ends, 12));  // chassis, free wire, wire
  // A free wire to node 99 counts there without harm.
  free1.node2 = 99;
  EXPECT_EQ(TerminalEnds(parts)[99], 1);
}

TEST(CrossoverLayout, MouseMapDecoding) {
  using B = MouseButton;
  struct Case {
    B button;
    bool shift;
    bool ctrl;
    int action;
  };
  // 424531: left wire, right edit, Shift+left mark, Shift+right invert,
  // Ctrl+left delete, Ctrl+right invert
  const Case cases[] = {
      {B::Left, false, false, MakeWire},   {B::Right, false, false, EditPart}, {B::Left, true, false, MarkPart},
      {B::Right, true, false, InvertPart}, {B::Left, false, true, DeletePart}, {B::Right, false, true, InvertPart},
      {B::Left, true, true, MarkPart},     {B::Right, true, true, InvertPart}, {B::Middle, false, false, NoAction},
      {B::Middle, true, true, NoAction},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DecodeMouseAction(kFirstStartMouseMap, c.button, c.shift, c.ctrl), c.action)
        << static_cast<int>(c.button) << c.shift << c.ctrl;
  EXPECT_EQ(ComposeMouseMap({1, 3, 5, 4, 2, 4}), kFirstStartMouseMap);
  EXPECT_EQ(ComposeMouseMap({0, 0, 0, 0, 0, 5}), 500000);
  EXPECT_EQ(DecodeMouseAction(500000, B::Right, false, true), MarkPart);
  EXPECT_EQ(DecodeMouseAction(500000, B::Left, false, false), NoAction);
  // A first start derives the map from the older setting: Shift+left marks.
  EXPECT_EQ(MakeSettings("/tmp/sonvex_nowhere").crossoverMouseMap, kFirstStartMouseMap);
  EXPECT_EQ(MouseActionCaption(MarkPart), "Bauteil zum Optimieren markieren");
}

TEST(CrossoverLayout, ActionsChangeOnlyTheirField) {
  Crossover parts = EmptyCrossover();
  parts[5] = Part(PartResistor, 2.2, 0, "MOX 2,2");
  parts[5].node1 = 5;
  parts[5].node2 = 6;
  const CrossoverPart before = parts[5];
  ASSERT_TRUE(ApplyMouseAction(parts, 5, DeletePart));
  EXPECT_EQ(parts[5].type, PartNone);
  EXPECT_EQ(parts[5].value, 2.2);
  ASSERT_TRUE(ApplyMouseAction(parts, 5, MakeWire));
  EXPECT_EQ(parts[5].type, PartWire);
  EXPECT_EQ(parts[5].note, "MOX 2,2");
  parts[5].type = PartResistor;
  EXPECT_EQ(parts[5], before);

  parts[91].reversedPolarity = -1;
  ApplyMouseAction(parts, 91, InvertPart);
  EXPECT_EQ(parts[91].reversedPolarity, 2);
  ApplyMouseAction(parts, 91, InvertPart);
  EXPECT_EQ(parts[91].reversedPolarity, -1);
  ApplyMouseAction(parts, 91, MarkPart);  // any type, even an empty slot
  EXPECT_TRUE(parts[91].optimize);

  EXPECT_FALSE(ApplyMouseAction(parts, 5, EditPart));
  EXPECT_FALSE(ApplyMouseAction(parts, 5, NoAction));
  EXPECT_FALSE(ApplyMouseAction(parts, -1, MakeWire));
  EXPECT_FALSE(ApplyMouseAction(parts, 186, MakeWire));
}

TEST(CrossoverLayout, MarkingMenu) {
  Crossover parts = EmptyCrossover();
  const int types[] = {PartNone, PartWire, PartResistor, PartCapacitor, PartInductor, PartChassis, PartAmplifier};
  for (int i = 0; i < 7; ++i) {
    parts[static_cast<std::size_t>(i)].type = static_cast<std::int16_t>(types[i]);
    parts[static_cast<std::size_t>(i)].optimize = true;
  }
  MarkForOptimization(parts, MarkScope::AllComponents);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(parts[static_cast<std::size_t>(i)].optimize, i >= 2 && i <= 4) << i;
  MarkForOptimization(parts, MarkScope::ResistorsOnly);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(parts[static_cast<std::size_t>(i)].optimize, i == 2) << i;
  MarkForOptimization(parts, MarkScope::None);
  for (int i = 0; i < 7; ++i) EXPECT_FALSE(parts[static_cast<std::size_t>(i)].optimize) << i;
}

TEST(CrossoverLayout, FreeWiresAreRewrittenAsAWhole) {
  Crossover parts = EmptyCrossover();
  std::array<FreeWireRow, kFreeWires> rows{};
  rows[0] = {true, 0, 5};
  rows[2] = {false, 7, 8};    // nodes kept, no wire
  rows[7] = {true, 99, 120};  // the entry has two digits: at most 99
  SetFreeWires(parts, rows);
  EXPECT_EQ(parts[178].type, PartWire);
  EXPECT_EQ(parts[178].node2, 5);
  EXPECT_EQ(parts[180].type, PartNone);
  EXPECT_EQ(parts[180].node1, 7);
  EXPECT_EQ(parts[185].node2, 99);
  auto back = FreeWireRows(parts);
  EXPECT_EQ(back[0], (FreeWireRow{true, 0, 5}));
  EXPECT_EQ(back[2], (FreeWireRow{false, 7, 8}));
  rows[0].used = false;
  SetFreeWires(parts, rows);
  EXPECT_EQ(parts[178].type, PartNone);
}

}  // namespace
}  // namespace sonvex
