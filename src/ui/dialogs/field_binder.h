#pragma once
// Binders: a number field or check box of a window tied to one field of a
// record, so that a window fills and reads its controls from a list rather
// than by hand, one line per field. A number field shows the record value in
// the unit of its description, gives back the exact value it was filled from
// while its text is untouched, and frames an unreadable text or a number
// outside the description's range in red.
#include <QCheckBox>
#include <QLineEdit>
#include <span>
#include <vector>

#include "model/field_descriptions.h"
#include "ui/dialogs/field_number.h"

namespace sonvex {

// Makes `e` a number field of description `d`: wide enough for its number,
// watched for unreadable text and framed outside the range.
void BindNumberField(QLineEdit* e, const FieldDescription& d);
// Whether `e` holds a readable number (within the double range) that lies in
// the range it was given; an empty field counts as outside unless the range
// is open and the field may read as 0.
bool FieldNumberUsable(const QLineEdit* e);

// One number field of record R.
template <class R>
class NumberFieldBinder {
 public:
  NumberFieldBinder(QLineEdit* edit, double R::*member, const FieldDescription& d)
      : edit_(edit), member_(member), description_(d) {
    BindNumberField(edit_, description_);
  }
  void Fill(const R& r) const { SetFieldNumber(edit_, r.*member_, description_.factor, description_.width); }
  void Read(R& r) const { r.*member_ = FieldNumber(edit_, description_.factor); }
  QLineEdit* Edit() const { return edit_; }
  double R::*Member() const { return member_; }
  const FieldDescription& Description() const { return description_; }

 private:
  QLineEdit* edit_;
  double R::*member_;
  FieldDescription description_;
};

// One check box of record R.
template <class R>
class CheckFieldBinder {
 public:
  CheckFieldBinder(QCheckBox* box, bool R::*member) : box_(box), member_(member) {}
  void Fill(const R& r) const { box_->setChecked(r.*member_); }
  void Read(R& r) const { r.*member_ = box_->isChecked(); }
  QCheckBox* Box() const { return box_; }
  bool R::*Member() const { return member_; }

 private:
  QCheckBox* box_;
  bool R::*member_;
};

// The bound controls of one record: filled and read all at once.
template <class R>
class RecordBinder {
 public:
  QLineEdit* Bind(QLineEdit* edit, double R::*member, const FieldDescription& d) {
    numbers_.emplace_back(edit, member, d);
    return edit;
  }
  QLineEdit* Bind(QLineEdit* edit, const RecordNumberField<R>& f) { return Bind(edit, f.member, f.description); }
  QCheckBox* Bind(QCheckBox* box, bool R::*member) {
    checks_.emplace_back(box, member);
    return box;
  }

  void Fill(const R& r) const {
    for (const auto& b : numbers_) b.Fill(r);
    for (const auto& b : checks_) b.Fill(r);
  }
  void Read(R& r) const {
    for (const auto& b : numbers_) b.Read(r);
    for (const auto& b : checks_) b.Read(r);
  }
  // Only the number fields of `members`.
  void Fill(const R& r, std::span<double R::*const> members) const {
    for (double R::*m : members)
      if (const NumberFieldBinder<R>* b = Find(m)) b->Fill(r);
  }
  void Read(R& r, std::span<double R::*const> members) const {
    for (double R::*m : members)
      if (const NumberFieldBinder<R>* b = Find(m)) b->Read(r);
  }

  QLineEdit* Edit(double R::*member) const {
    const NumberFieldBinder<R>* b = Find(member);
    return b != nullptr ? b->Edit() : nullptr;
  }
  QCheckBox* Check(bool R::*member) const {
    for (const auto& b : checks_)
      if (b.Member() == member) return b.Box();
    return nullptr;
  }
  const std::vector<NumberFieldBinder<R>>& Numbers() const { return numbers_; }
  const std::vector<CheckFieldBinder<R>>& Checks() const { return checks_; }

 private:
  const NumberFieldBinder<R>* Find(double R::*member) const {
    for (const auto& b : numbers_)
      if (b.Member() == member) return &b;
    return nullptr;
  }

  std::vector<NumberFieldBinder<R>> numbers_;
  std::vector<CheckFieldBinder<R>> checks_;
};

}  // namespace sonvex
