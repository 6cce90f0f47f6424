#pragma once
// The number fields of the records as the editors show them: for each field
// its name, caption, unit, the factor from the record's SI value to the shown
// number, the range a sensible value lies in, and the width of the shown
// number. The editors bind their fields through these tables; the
// command-line program may read them as well (no Qt here).
#include <span>
#include <string>
#include <string_view>

#include "model/project.h"

namespace sonvex {

// ---- units: a field shows record value × factor
inline constexpr double kLitre = 1000.0;      // m³ -> Liter
inline constexpr double kSquareCm = 10000.0;  // m² -> cm²
inline constexpr double kMilli = 1000.0;      // m -> mm, H -> mH, kg -> g
inline constexpr double kCm = 100.0;          // m -> cm
inline constexpr double kMicro = 1e6;         // F -> µF
inline constexpr int kEditWidth = 7;          // characters of a number in an edit field

// One end of a range: none, the value itself included, or only values
// beyond it.
enum class Bound : unsigned char { Open, Inclusive, Exclusive };

// The numbers a field may sensibly hold, in the unit shown (not SI).
struct FieldRange {
  Bound lowKind = Bound::Open;
  double low = 0;
  Bound highKind = Bound::Open;
  double high = 0;

  // Whether `shown` (a number as the field shows it) lies in the range.
  // Not-a-number lies in no range but the open one.
  bool Contains(double shown) const;
  bool IsOpen() const { return lowKind == Bound::Open && highKind == Bound::Open; }
  bool operator==(const FieldRange&) const = default;
};

inline constexpr FieldRange kAnyNumber{};
inline constexpr FieldRange kAboveZero{Bound::Exclusive, 0};
inline constexpr FieldRange kZeroOrMore{Bound::Inclusive, 0};

// The range in words ("über 0 Hz", "10 … 1000 Hz", "ab 1000 bis unter
// 100000 Hz"); empty for the open range.
std::string RangeText(const FieldRange& range, std::string_view unit);
// The tooltip of a field whose number lies outside its range.
std::string OutOfRangeTip(const FieldRange& range, std::string_view unit);

struct FieldDescription {
  const char* id = "";       // stable name; the editor's control is called id + "Edit"
  const char* fileKey = "";  // the key in the chassis/project files ("" where there is none)
  const char* caption = "";  // the German caption the editor shows beside the field
  const char* unit = "";     // the unit of the shown number ("" for plain numbers)
  double factor = 1.0;       // record value (SI) × factor = shown number
  FieldRange range{};
  int width = kEditWidth;  // characters of the shown number
};

// A number field of record R: where it lives and how it is shown.
template <class R>
struct RecordNumberField {
  double R::*member;
  FieldDescription description;
};

// A check box of record R.
template <class R>
struct RecordCheckField {
  const char* id;  // the editor's control is called id + "Check"
  bool R::*member;
};

// The tables, in the order the records list their fields.
std::span<const RecordNumberField<Chassis>> ChassisNumberFields();
std::span<const RecordNumberField<Enclosure>> EnclosureNumberFields();
std::span<const RecordNumberField<Baffle>> BaffleNumberFields();
std::span<const RecordNumberField<Cabinet>> CabinetNumberFields();
std::span<const RecordNumberField<DisplayOptions>> AxisScalingFields();
std::span<const RecordCheckField<Chassis>> ChassisCheckFields();
std::span<const RecordCheckField<Enclosure>> EnclosureCheckFields();
std::span<const RecordCheckField<Baffle>> BaffleCheckFields();

// Fields without a record member of their own.
// A chassis position on its face of the common cabinet (a, c) and the
// position of its rear outlet; from the face's lower and left edge.
extern const FieldDescription kCabinetPositionField;
// The project's frequency grid ("Projekteigenschaften").
extern const FieldDescription kGridFMinField;
extern const FieldDescription kGridFMaxField;
extern const FieldDescription kGridPointsField;
// A crossover part's value (Ohm, µF, mH) and a coil's winding resistance.
extern const FieldDescription kPartValueField;
extern const FieldDescription kWindingResistanceField;
// A section of an active filter: its corner frequency and Q.
extern const FieldDescription kFilterFreqField;
extern const FieldDescription kFilterQField;

// The field of `table` with this id; nullptr when there is none.
template <class R>
const RecordNumberField<R>* FindField(std::span<const RecordNumberField<R>> table, std::string_view id) {
  for (const RecordNumberField<R>& f : table)
    if (id == f.description.id) return &f;
  return nullptr;
}
template <class R>
const RecordNumberField<R>* FindField(std::span<const RecordNumberField<R>> table, double R::*member) {
  for (const RecordNumberField<R>& f : table)
    if (f.member == member) return &f;
  return nullptr;
}

// Whether a record value (SI) lies in the range of its field.
inline bool RecordValueInRange(const FieldDescription& d, double recordValue) {
  return d.range.Contains(recordValue * d.factor);
}

}  // namespace sonvex
