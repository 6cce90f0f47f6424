#include "model/project.h"

#include <gtest/gtest.h>

#include <string>

namespace sonvex {
namespace {

TEST(NewProject, HasOneAmplifierOneChassisAndTheDefaults) {
  const auto p = MakeNewProject();
  EXPECT_EQ(p->nAmps, 1);
  EXPECT_EQ(p->nChassis, 1);
  EXPECT_FALSE(p->bSaved);

  // Display options.
  EXPECT_EQ(p->fMin, 20);
  EXPECT_EQ(p->fMax, 20000);
  EXPECT_EQ(p->sz, 126);
  EXPECT_EQ(p->glatt_a, 0.24);
  EXPECT_EQ(p->glatt_i, 0.18);
  EXPECT_EQ(p->Par, (std::array<std::int32_t, 6>{10, 90, 25, 90, 10, 10}));
  EXPECT_EQ(p->dBMin, 40);
  EXPECT_EQ(p->dBMax, 110);
  EXPECT_EQ(p->ImpMax, 70);
  EXPECT_EQ(p->ColorSetAmps[2], 255 * 65536 + 255);            // (255, 0, 255)
  EXPECT_EQ(p->ColorSetAmps[3], 0 * 65536 + 128 * 256 + 255);  // (255, 128, 0): red in the lowest byte
  EXPECT_EQ(p->ColorSetChassis[2], 223 * 256);
  EXPECT_EQ(p->ColorSetRichtungen[4], 160 * 65536 + 160 * 256 + 192);

  // Grid built.
  EXPECT_EQ(p->freq[0], 20);
  EXPECT_NEAR(p->freq[125], 20000, 1e-9);
  EXPECT_EQ(p->freq[126], 0);

  // Every amplifier: defaults and an empty crossover with its grid nodes.
  for (const TVerstaerker& v : p->Verstaerker) {
    EXPECT_EQ(v.Pegel, 1.0);
    EXPECT_EQ(v.HP121q, 0.7);
    EXPECT_EQ(v.TP122f, 100);
    EXPECT_FALSE(v.HP6 || v.HP121 || v.HP122 || v.TP6 || v.TP121 || v.TP122);
    for (int s = 0; s < kPartSlots; ++s) {
      EXPECT_EQ(v.crossover[s]._typ, ptNone);
      EXPECT_EQ(v.crossover[s]._value, 1.0);
    }
    EXPECT_EQ(v.crossover[177]._nod1, 87);
    EXPECT_EQ(v.crossover[177]._nod2, 98);
  }

  // Chassis slots 0..7 identical, with the chassis defaults.
  const TChassis& c = p->Chassis[0];
  EXPECT_EQ(c.fgang_which, 5);
  EXPECT_EQ(c.Re2, 0.001);
  EXPECT_EQ(c.Re3, 0.001);
  EXPECT_EQ(c.Le2, 0.000001);
  EXPECT_EQ(c.Le3, 0.000001);
  EXPECT_EQ(c.Filters, 119);
  EXPECT_EQ(c.pubdate, "01.01.2000");
  EXPECT_EQ(c.fs, 0);
  EXPECT_TRUE(c.Name.Empty());
  EXPECT_EQ(p->Einbau[0].vV, 1.0);
  EXPECT_EQ(p->Einbau[0].Bedv, 2);
  EXPECT_EQ(p->Einbau[0].Bedc, 2);
  EXPECT_TRUE(p->Schallwand[0].beugl && p->Schallwand[0].usegemgeh);
  for (int s = 1; s < kMaxChassis; ++s) {
    EXPECT_EQ(p->Chassis[s], p->Chassis[0]) << s;
    EXPECT_EQ(p->Einbau[s], p->Einbau[0]) << s;
    EXPECT_EQ(p->Schallwand[s], p->Schallwand[0]) << s;
  }

  // Slot 8 cleared: numbers 0, booleans false, texts empty.
  EXPECT_EQ(p->Chassis[8], TChassis{});
  EXPECT_EQ(p->Chassis[8].fgang_which, 0);
  EXPECT_EQ(p->Einbau[8].vV, 0.0);
  EXPECT_EQ(p->Einbau[8].Bedv, 0);
  EXPECT_FALSE(p->Schallwand[8].beugl || p->Schallwand[8].usegemgeh);
  EXPECT_EQ(p->GemGeh, TGemGeh{});
}

TEST(NewProject, ReplacesEveryEarlierValue) {
  auto p = MakeNewProject();
  const auto fresh = MakeNewProject();
  p->nAmps = 4;
  p->sz = 300;
  p->freq[500] = 7;
  p->Chassis[3].Name = "Alt";
  p->Chassis[8].fs = 30;
  p->Verstaerker[5].crossover[10]._typ = ptR;
  p->GemGeh.h = 1;
  p->Schallwand[8].beugl = true;
  NewProject(*p);
  EXPECT_EQ(*p, *fresh);
}

TEST(ProjectRecord, CopiesAndComparesWhole) {
  const auto a = MakeNewProject();
  auto b = std::make_unique<TProjekt>(*a);
  EXPECT_EQ(*a, *b);
  b->Chassis[7].FgangI[600] = 1e-9;
  EXPECT_NE(*a, *b);
  *b = *a;
  b->Chassis[2]._fu = "30 Hz";
  EXPECT_NE(*a, *b);
  *b = *a;
  b->Verstaerker[4].crossover[185]._bOpti = true;
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
    TChassis ch;
    ch.Name = c.in;
    EXPECT_EQ(ch.Name.View(), c.expect) << c.in;
    EXPECT_LE(ch.Name.Length(), 22u);
  }
  TWPart part;
  part._bem = "Elko 100µF bipolar";
  EXPECT_EQ(part._bem.View(), "Elko 100µF bipol");  // 16 characters, 17 bytes
}

TEST(ShortString, MalformedUtf8IsCutSafely) {
  // 200 continuation bytes form no character boundary: the text must still be
  // held within the capacity and never split further than the bytes allow.
  TShortString<4> s;
  s = std::string(200, '\x80');
  EXPECT_LE(s.Bytes(), decltype(s)::kCapacity);
  s = std::string(3, '\xC3');  // lead bytes without continuation: three characters
  EXPECT_EQ(s.Bytes(), 3u);
}

TEST(SwapChassis, ExchangesTwoSlotsWithOptionalEnclosureAndBaffle) {
  auto p = MakeNewProject();
  p->Chassis[1].Name = "Tieftöner";
  p->Einbau[1].Typ = 2;
  p->Schallwand[1].d = 0.17;
  p->Verstaerker[0].crossover[0]._typ = ptChass;
  p->Verstaerker[0].crossover[0]._chassisnr = 1;
  const auto before = std::make_unique<TProjekt>(*p);

  SwapChassis(*p, 1, 4);
  EXPECT_EQ(p->Chassis[4].Name, "Tieftöner");
  EXPECT_EQ(p->Einbau[4].Typ, 2);
  EXPECT_EQ(p->Schallwand[4].d, 0.17);
  EXPECT_EQ(p->Chassis[1], before->Chassis[4]);
  EXPECT_EQ(p->Verstaerker[0].crossover[0]._chassisnr, 1);  // crossovers untouched
  SwapChassis(*p, 4, 1);
  EXPECT_EQ(*p, *before);

  SwapChassis(*p, 1, 4, /*withEinbau=*/false, /*withSchallwand=*/false);
  EXPECT_EQ(p->Chassis[4].Name, "Tieftöner");
  EXPECT_EQ(p->Einbau[1].Typ, 2);
  EXPECT_EQ(p->Schallwand[1].d, 0.17);

  const auto unchanged = std::make_unique<TProjekt>(*p);
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
    p->nChassis = static_cast<std::int16_t>(c.count);
    p->nAmps = static_cast<std::int16_t>(c.count);
    EXPECT_EQ(ChassisInUse(*p), c.chassis) << c.count;
    EXPECT_EQ(AmpsInUse(*p), c.amps) << c.count;
  }
}

}  // namespace
}  // namespace sonvex
