#include "model/project.h"

#include <gtest/gtest.h>

#include <string>

namespace sonvex {
namespace {

TEST(NewProject, HasOneAmplifierOneChassisAndTheDefaults) {
  const auto p = MakeNewProject();
  EXPECT_EQ(p->ampCount, 1);
  EXPECT_EQ(p->chassisCount, 1);
  EXPECT_FALSE(p->saved);

  // Display options.
  EXPECT_EQ(p->fMin, 20);
  EXPECT_EQ(p->fMax, 20000);
  EXPECT_EQ(p->gridPoints, 126);
  EXPECT_EQ(p->smoothingAmplitude, 0.24);
  EXPECT_EQ(p->smoothingImpedance, 0.18);
  EXPECT_EQ(p->chartParams, (std::array<std::int32_t, 6>{10, 90, 25, 90, 10, 10}));
  EXPECT_EQ(p->dBMin, 40);
  EXPECT_EQ(p->dBMax, 110);
  EXPECT_EQ(p->impedanceMax, 70);
  EXPECT_EQ(p->colorSetAmps[2], 255 * 65536 + 255);            // (255, 0, 255)
  EXPECT_EQ(p->colorSetAmps[3], 0 * 65536 + 128 * 256 + 255);  // (255, 128, 0): red in the lowest byte
  EXPECT_EQ(p->colorSetChassis[2], 223 * 256);
  EXPECT_EQ(p->colorSetDirections[4], 160 * 65536 + 160 * 256 + 192);

  // Grid built.
  EXPECT_EQ(p->freq[0], 20);
  EXPECT_NEAR(p->freq[125], 20000, 1e-9);
  EXPECT_EQ(p->freq[126], 0);

  // Every amplifier: defaults and an empty crossover with its grid nodes.
  for (const Amplifier& v : p->amplifiers) {
    EXPECT_EQ(v.level, 1.0);
    EXPECT_EQ(v.highPass12aQ, 0.7);
    EXPECT_EQ(v.lowPass12bF, 100);
    EXPECT_FALSE(v.highPass6On || v.highPass12aOn || v.highPass12bOn || v.lowPass6On || v.lowPass12aOn ||
                 v.lowPass12bOn);
    for (int s = 0; s < kPartSlots; ++s) {
      EXPECT_EQ(v.crossover[s].type, PartNone);
      EXPECT_EQ(v.crossover[s].value, 1.0);
    }
    EXPECT_EQ(v.crossover[177].node1, 87);
    EXPECT_EQ(v.crossover[177].node2, 98);
  }

  // Chassis slots 0..7 identical, with the chassis defaults.
  const Chassis& c = p->chassis[0];
  EXPECT_EQ(c.responseSource, 5);
  EXPECT_EQ(c.Re2, 0.001);
  EXPECT_EQ(c.Re3, 0.001);
  EXPECT_EQ(c.Le2, 0.000001);
  EXPECT_EQ(c.Le3, 0.000001);
  EXPECT_EQ(c.filters, 119);
  EXPECT_EQ(c.publicationDate, "01.01.2000");
  EXPECT_EQ(c.fs, 0);
  EXPECT_TRUE(c.name.Empty());
  EXPECT_EQ(p->enclosures[0].volumeFactor, 1.0);
  EXPECT_EQ(p->enclosures[0].dampingVolume, 2);
  EXPECT_EQ(p->enclosures[0].dampingNearChassis, 2);
  EXPECT_TRUE(p->baffles[0].diffractLeft && p->baffles[0].useCabinet);
  for (int s = 1; s < kMaxChassis; ++s) {
    EXPECT_EQ(p->chassis[s], p->chassis[0]) << s;
    EXPECT_EQ(p->enclosures[s], p->enclosures[0]) << s;
    EXPECT_EQ(p->baffles[s], p->baffles[0]) << s;
  }

  // Slot 8 cleared: numbers 0, booleans false, texts empty.
  EXPECT_EQ(p->chassis[8], Chassis{});
  EXPECT_EQ(p->chassis[8].responseSource, 0);
  EXPECT_EQ(p->enclosures[8].volumeFactor, 0.0);
  EXPECT_EQ(p->enclosures[8].dampingVolume, 0);
  EXPECT_FALSE(p->baffles[8].diffractLeft || p->baffles[8].useCabinet);
  EXPECT_EQ(p->cabinet, Cabinet{});
}

TEST(NewProject, ReplacesEveryEarlierValue) {
  auto p = MakeNewProject();
  const auto fresh = MakeNewProject();
  p->ampCount = 4;
  p->gridPoints = 300;
  p->freq[500] = 7;
  p->chassis[3].name = "Alt";
  p->chassis[8].fs = 30;
  p->amplifiers[5].crossover[10].type = PartResistor;
  p->cabinet.height = 1;
  p->baffles[8].diffractLeft = true;
  NewProject(*p);
  EXPECT_EQ(*p, *fresh);
}

TEST(ProjectRecord, CopiesAndComparesWhole) {
  const auto a = MakeNewProject();
  auto b = std::make_unique<Project>(*a);
  EXPECT_EQ(*a, *b);
  b->chassis[7].measuredImpedance[600] = 1e-9;
  EXPECT_NE(*a, *b);
  *b = *a;
  b->chassis[2].lowerFreqText = "30 Hz";
  EXPECT_NE(*a, *b);
  *b = *a;
  b->amplifiers[4].crossover[185].optimize = true;
  EXPECT_NE(*a, *b);
}

TEST(ShortString, CutsOnAssignmentByCharacters) {
  struct Case {
    std::string in;
    std::string expect;
  };
  // Name holds 22 characters.
  const Case cases[] = {
      {"", ""},
      {"abcdefghijklmnopqrstuvwxyz0123", "abcdefghijklmnopqrstuv"},
      {std::string(22, 'x'), std::string(22, 'x')},
      // 30 two-byte characters: 22 of them kept, 44 bytes.
      {[] {
         std::string s;
         for (int i = 0; i < 30; ++i) s += "ä";
         return s;
       }(),
       [] {
         std::string s;
         for (int i = 0; i < 22; ++i) s += "ä";
         return s;
       }()},
      // A multi-byte character at the cut is kept or dropped whole.
      {std::string(21, 'a') + "µµ", std::string(21, 'a') + "µ"},
      {std::string(22, 'a') + "µ", std::string(22, 'a')},
      {std::string(21, 'a') + "\xF0\x9F\x94\x8A"
                              "b",
       std::string(21, 'a') + "\xF0\x9F\x94\x8A"},
  };
  for (const Case& c : cases) {
    Chassis ch;
    ch.name = c.in;
    EXPECT_EQ(ch.name.View(), c.expect) << c.in;
    EXPECT_LE(ch.name.Length(), 22u);
  }
  CrossoverPart part;
  part.note = "Elko 100µF bipolar";
  EXPECT_EQ(part.note.View(), "Elko 100µF bipol");  // 16 characters, 17 bytes
}

TEST(ShortString, MalformedUtf8IsCutSafely) {
  // 200 continuation bytes form no character boundary: the text must still be
  // held within the capacity and never split further than the bytes allow.
  ShortString<4> s;
  s = std::string(200, '\x80');
  EXPECT_LE(s.Bytes(), decltype(s)::kCapacity);
  s = std::string(3, '\xC3');  // lead bytes without continuation: three characters
  EXPECT_EQ(s.Bytes(), 3u);
}

TEST(SwapChassis, ExchangesTwoSlotsWithOptionalEnclosureAndBaffle) {
  auto p = MakeNewProject();
  p->chassis[1].name = "Tieftöner";
  PolarResponse measured;
  measured.freq = {100};
  measured.level = {90};
  p->chassis[1].polar = PolarSet({measured});  // the measured off-axis responses go with the chassis
  p->enclosures[1].type = 2;
  p->baffles[1].outletDiameter = 0.17;
  p->amplifiers[0].crossover[0].type = PartChassis;
  p->amplifiers[0].crossover[0].chassisSlot = 1;
  const auto before = std::make_unique<Project>(*p);

  SwapChassis(*p, 1, 4);
  EXPECT_EQ(p->chassis[4].name, "Tieftöner");
  EXPECT_EQ(p->chassis[4].polar, before->chassis[1].polar);
  EXPECT_TRUE(p->chassis[1].polar.Empty());
  EXPECT_EQ(p->enclosures[4].type, 2);
  EXPECT_EQ(p->baffles[4].outletDiameter, 0.17);
  EXPECT_EQ(p->chassis[1], before->chassis[4]);
  EXPECT_EQ(p->amplifiers[0].crossover[0].chassisSlot, 1);  // crossovers untouched
  SwapChassis(*p, 4, 1);
  EXPECT_EQ(*p, *before);

  SwapChassis(*p, 1, 4, /*withEnclosure=*/false, /*withBaffle=*/false);
  EXPECT_EQ(p->chassis[4].name, "Tieftöner");
  EXPECT_EQ(p->enclosures[1].type, 2);
  EXPECT_EQ(p->baffles[1].outletDiameter, 0.17);

  const auto unchanged = std::make_unique<Project>(*p);
  SwapChassis(*p, -1, 3);
  SwapChassis(*p, 2, 9);
  EXPECT_EQ(*p, *unchanged);
}

TEST(ChassisCategories, NameTable) {
  EXPECT_EQ(kChassisCategoryNames[0], "unbekannt");
  EXPECT_EQ(kChassisCategoryNames[1], "Breitbänder");
  EXPECT_EQ(kChassisCategoryNames[13], "Magnet. abgeschirmt");
  EXPECT_EQ(kChassisCategoryNames[15], "Musikerchassis");
  EXPECT_EQ(kChassisCategoryNames[18], "Musikerchassis");
  EXPECT_EQ(kChassisCategoryNames[20], "Archiv");
  for (int i = 21; i < kChassisCategoryCount; ++i) EXPECT_TRUE(kChassisCategoryNames[i].empty()) << i;
}

// Every loop over the slots in use stops at the slots that can be in use:
// a damaged count never reaches slot 8 or the seventh amplifier.
TEST(SlotsInUse, CountsAreHeldInsideTheSlotsThatCanBeInUse) {
  struct Case {
    int count, chassis, amps;
  };
  for (const Case& c : {Case{-3, 0, 0}, Case{0, 0, 0}, Case{1, 1, 1}, Case{6, 6, 6}, Case{7, 7, 6}, Case{8, 8, 6},
                        Case{9, 8, 6}, Case{32767, 8, 6}}) {
    auto p = MakeNewProject();
    p->chassisCount = static_cast<std::int16_t>(c.count);
    p->ampCount = static_cast<std::int16_t>(c.count);
    EXPECT_EQ(ChassisInUse(*p), c.chassis) << c.count;
    EXPECT_EQ(AmpsInUse(*p), c.amps) << c.count;
  }
}

}  // namespace
}  // namespace sonvex
