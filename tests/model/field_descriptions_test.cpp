#include "model/field_descriptions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <set>
#include <string>

#include "model/settings.h"

namespace sonvex {
namespace {

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(FieldRange, ContainsFollowsTheKindOfEachBound) {
  const FieldRange closed{Bound::Inclusive, 10, Bound::Inclusive, 1000};
  const FieldRange halfOpen{Bound::Inclusive, 1000, Bound::Exclusive, 100000};
  const FieldRange below{Bound::Open, 0, Bound::Exclusive, 5};
  struct Case {
    FieldRange range;
    double shown;
    bool inside;
  };
  const Case cases[] = {
      {kAnyNumber, -1e300, true},    {kAnyNumber, kNan, true},  {kAboveZero, 0, false},     {kAboveZero, 1e-300, true},
      {kAboveZero, -0.0, false},     {kAboveZero, kNan, false}, {kAboveZero, kInf, true},   {kZeroOrMore, 0, true},
      {kZeroOrMore, -1e-300, false}, {closed, 10, true},        {closed, 1000, true},       {closed, 9.999, false},
      {closed, 1000.001, false},     {halfOpen, 1000, true},    {halfOpen, 99999.99, true}, {halfOpen, 100000, false},
      {below, -kInf, true},          {below, 5, false},
  };
  for (const Case& c : cases) EXPECT_EQ(c.range.Contains(c.shown), c.inside) << c.shown;
}

TEST(FieldRange, TextNamesBothBoundsAndTheUnit) {
  EXPECT_EQ(RangeText(kAnyNumber, "Hz"), "");
  EXPECT_EQ(RangeText(kAboveZero, "Hz"), "über 0 Hz");
  EXPECT_EQ(RangeText(kZeroOrMore, ""), "ab 0");
  EXPECT_EQ(RangeText({Bound::Inclusive, 10, Bound::Inclusive, 1000}, "Hz"), "10 … 1000 Hz");
  EXPECT_EQ(RangeText({Bound::Inclusive, 1000, Bound::Exclusive, 100000}, "Hz"), "ab 1000 bis unter 100000 Hz");
  EXPECT_EQ(RangeText({Bound::Open, 0, Bound::Inclusive, 2.5}, "mm"), "bis 2,5 mm");
  EXPECT_EQ(RangeText({Bound::Open, 0, Bound::Exclusive, 2.5}, "mm"), "unter 2,5 mm");
  EXPECT_EQ(RangeText({Bound::Exclusive, 0, Bound::Inclusive, 1}, ""), "über 0 bis 1");
  EXPECT_EQ(OutOfRangeTip(kAboveZero, "Hz"), "Wert außerhalb des Bereichs über 0 Hz");
}

// Each table binds a record field once, under a name of its own, with a
// usable factor and width: a field listed twice would be filled and read by
// two controls.
template <class R>
void ExpectWellFormed(std::span<const RecordNumberField<R>> table, const char* what) {
  std::set<std::string> ids;
  R marks{};
  for (std::size_t k = 0; k < table.size(); ++k) marks.*table[k].member = static_cast<double>(k + 1);
  for (std::size_t k = 0; k < table.size(); ++k) {
    const FieldDescription& d = table[k].description;
    EXPECT_TRUE(ids.insert(d.id).second) << what << ": " << d.id;
    EXPECT_EQ(marks.*table[k].member, static_cast<double>(k + 1)) << what << ": " << d.id << " bound twice";
    EXPECT_GT(d.factor, 0) << what << ": " << d.id;
    EXPECT_GT(d.width, 0) << what << ": " << d.id;
    EXPECT_NE(std::string(d.caption), "") << what << ": " << d.id;
    EXPECT_EQ(FindField(table, d.id), &table[k]);
    EXPECT_EQ(FindField(table, table[k].member), &table[k]);
  }
}

TEST(FieldDescriptions, TablesBindEachFieldOnce) {
  ExpectWellFormed(EnclosureNumberFields(), "enclosure");
  ExpectWellFormed(BaffleNumberFields(), "baffle");
  ExpectWellFormed(CabinetNumberFields(), "cabinet");
  ExpectWellFormed(AxisScalingFields(), "axis scaling");
  EXPECT_EQ(CabinetNumberFields().size(), 7U);
  EXPECT_EQ(BaffleNumberFields().size(), 15U);
  EXPECT_EQ(FindField(ChassisNumberFields(), "nope"), nullptr);
}

TEST(FieldDescriptions, ChassisTableBindsEachFieldOnce) {
  // The chassis record carries its measured curves: kept off the stack.
  const auto table = ChassisNumberFields();
  std::set<std::string> ids;
  std::set<std::string> keys;
  auto marks = std::make_unique<Chassis>();
  for (std::size_t k = 0; k < table.size(); ++k) (*marks).*table[k].member = static_cast<double>(k + 1);
  for (std::size_t k = 0; k < table.size(); ++k) {
    const FieldDescription& d = table[k].description;
    EXPECT_TRUE(ids.insert(d.id).second) << d.id;
    EXPECT_TRUE(keys.insert(d.fileKey).second) << d.fileKey;
    EXPECT_EQ((*marks).*table[k].member, static_cast<double>(k + 1)) << d.id << " bound twice";
  }
}

// The ranges the editors check, each on a record value (SI).
TEST(FieldDescriptions, RangesOfRecordValues) {
  const auto chassis = ChassisNumberFields();
  const auto enclosure = EnclosureNumberFields();
  struct Case {
    const FieldDescription* field;
    double recordValue;
    bool inside;
  };
  const Case cases[] = {
      {&FindField(chassis, &Chassis::fs)->description, 0, false},
      {&FindField(chassis, &Chassis::fs)->description, -20, false},
      {&FindField(chassis, &Chassis::fs)->description, kNan, false},
      {&FindField(chassis, &Chassis::fs)->description, 28.5, true},
      {&FindField(chassis, &Chassis::Vas)->description, 0, false},
      {&FindField(chassis, &Chassis::Re)->description, 0, true},
      {&FindField(chassis, &Chassis::sourceDepth)->description, -0.02, true},
      {&FindField(enclosure, &Enclosure::Vb)->description, 0, true},
      {&FindField(enclosure, &Enclosure::Vb)->description, -0.001, false},
      {&FindField(BaffleNumberFields(), &Baffle::horizontal)->description, -0.3, true},
      {&FindField(BaffleNumberFields(), &Baffle::width)->description, -0.3, false},
      {&kGridFMinField, kStoredFMinLowest, true},
      {&kGridFMinField, kStoredFMinHighest, true},
      {&kGridFMinField, kStoredFMinLowest - 0.01, false},
      {&kGridFMaxField, kStoredFMaxLowest, true},
      {&kGridFMaxField, kStoredFMaxBelow, false},
      {&kGridPointsField, kStoredGridPointsMost, true},
      {&kGridPointsField, kStoredGridPointsMost + 1, false},
      {&kPartValueField, 0, false},
      {&kWindingResistanceField, 0, true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(RecordValueInRange(*c.field, c.recordValue), c.inside) << c.field->id << " " << c.recordValue;
  // Shown values are compared: 3 l of Vas is 0.003 m³.
  EXPECT_DOUBLE_EQ(FindField(chassis, &Chassis::Vas)->description.factor, kLitre);
}

}  // namespace
}  // namespace sonvex
