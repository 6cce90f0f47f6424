// Number fields bound to record fields: the red frame for an unreadable
// text or a number outside the field's range, and the exact round trip of
// fields the user left as they were filled.
#include "ui/dialogs/field_binder.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <array>
#include <cmath>
#include <memory>
#include <vector>

#include "model/field_descriptions.h"

namespace sonvex {
namespace {

bool Framed(const QLineEdit& e) { return e.styleSheet().contains("border"); }

TEST(FieldBinder, FramesUnreadableTextAndNumbersOutsideTheRange) {
  QLineEdit e;
  e.setToolTip("Resonanzfrequenz");
  const FieldDescription& fs = FindField(ChassisNumberFields(), &Chassis::fs)->description;
  BindNumberField(&e, fs);
  const QString outside = QString::fromUtf8("Wert außerhalb des Bereichs über 0 Hz");
  struct Case {
    const char* text;
    QString tip;  // empty: not framed, the field's own tooltip
    bool usable;
  };
  const std::vector<Case> cases{
      {"28,5", "", true},    {"abc", QString::fromUtf8(kNotANumberTip), false},
      {"0", outside, false}, {"-3,2", outside, false},
      {"0,001", "", true},   {"1e999", QString::fromUtf8(kTooLargeTip), false},
      {"", "", false},  // an empty field visibly holds nothing
      {"1E3", "", true},
  };
  for (const Case& c : cases) {
    e.setText(QString::fromUtf8(c.text));
    EXPECT_EQ(Framed(e), !c.tip.isEmpty()) << c.text;
    EXPECT_EQ(e.toolTip(), c.tip.isEmpty() ? QString("Resonanzfrequenz") : c.tip) << c.text;
    EXPECT_EQ(FieldNumberUsable(&e), c.usable) << c.text;
  }
}

TEST(FieldBinder, ARangeWithBothBoundsFramesBeyondEither) {
  QLineEdit e;
  BindNumberField(&e, kGridFMinField);
  for (const char* inside : {"10", "1000", "20,5"}) {
    e.setText(inside);
    EXPECT_FALSE(Framed(e)) << inside;
  }
  for (const char* outside : {"9,99", "1000,1", "-20"}) {
    e.setText(outside);
    EXPECT_TRUE(Framed(e)) << outside;
    EXPECT_EQ(e.toolTip(), QString::fromUtf8("Wert außerhalb des Bereichs 10 … 1000 Hz"));
  }
}

// A record value outside its range is framed as soon as it is filled in.
TEST(FieldBinder, FillingAValueOutsideTheRangeFramesIt) {
  QLineEdit e;
  RecordBinder<Enclosure> binder;
  binder.Bind(&e, *FindField(EnclosureNumberFields(), &Enclosure::Vb));
  Enclosure enclosure{};
  enclosure.Vb = -0.002;
  binder.Fill(enclosure);
  EXPECT_EQ(e.text(), "-2");
  EXPECT_TRUE(Framed(e));
  enclosure.Vb = 0.04;
  binder.Fill(enclosure);
  EXPECT_EQ(e.text(), "40");
  EXPECT_FALSE(Framed(e));
}

// Values the seven characters of a field cannot show exactly come back bit
// for bit from untouched fields; an edited field gives its own number only.
TEST(FieldBinder, UntouchedFieldsReadBackTheExactRecord) {
  const auto table = BaffleNumberFields();
  std::vector<std::unique_ptr<QLineEdit>> edits;
  RecordBinder<Baffle> binder;
  for (const RecordNumberField<Baffle>& f : table)
    binder.Bind(edits.emplace_back(std::make_unique<QLineEdit>()).get(), f);
  std::vector<std::unique_ptr<QCheckBox>> checks;
  for (const RecordCheckField<Baffle>& f : BaffleCheckFields())
    binder.Bind(checks.emplace_back(std::make_unique<QCheckBox>()).get(), f.member);

  Baffle original{};
  for (std::size_t k = 0; k < table.size(); ++k)
    original.*table[k].member = (k % 2 == 0 ? 1.0 : -1.0) * std::pow(10.0, static_cast<double>(k) - 9.0) / 3.0;
  original.diffractLeft = false;
  original.useCabinet = true;
  binder.Fill(original);
  Baffle read{};
  binder.Read(read);
  EXPECT_TRUE(read == original);
  for (std::size_t k = 0; k < table.size(); ++k)
    EXPECT_EQ(read.*table[k].member, original.*table[k].member) << table[k].description.id;

  // The user types the width: only the width changes, by what was typed.
  binder.Edit(&Baffle::width)->setText("25");
  binder.Read(read);
  Baffle expected = original;
  expected.width = 0.25;
  EXPECT_TRUE(read == expected);
  // Typing the filled text again counts as untouched.
  binder.Fill(original);
  const QString shown = binder.Edit(&Baffle::height)->text();
  binder.Edit(&Baffle::height)->setText("1");
  binder.Edit(&Baffle::height)->setText(shown);
  binder.Read(read);
  EXPECT_EQ(read.height, original.height);
}

TEST(FieldBinder, OnlyTheListedFieldsAreFilledOrRead) {
  QLineEdit vb, fb;
  RecordBinder<Enclosure> binder;
  binder.Bind(&vb, *FindField(EnclosureNumberFields(), &Enclosure::Vb));
  binder.Bind(&fb, *FindField(EnclosureNumberFields(), &Enclosure::fb));
  Enclosure e{};
  e.Vb = 0.05;
  e.fb = 40;
  binder.Fill(e);
  vb.setText("10");
  fb.setText("30");
  constexpr std::array<double Enclosure::*, 1> kVb{&Enclosure::Vb};
  binder.Read(e, kVb);
  EXPECT_DOUBLE_EQ(e.Vb, 0.01);
  EXPECT_EQ(e.fb, 40);
  e.Vb = 0.02;
  binder.Fill(e, kVb);
  EXPECT_EQ(vb.text(), "20");
  EXPECT_EQ(fb.text(), "30");
}

}  // namespace
}  // namespace sonvex
