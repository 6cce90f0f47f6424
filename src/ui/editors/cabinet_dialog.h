#pragma once
// The common outer enclosure: the box once (height, width, depth, the four
// front chamfers) and, per chassis, whether it sits on the box, on which face
// and where, and where its rear outlet (port) lies. Confirming derives the
// baffle record of every participating chassis.
#include <QDialog>
#include <array>

#include "acoustics/editor_values.h"
#include "model/project.h"
#include "ui/dialogs/dialog_runner.h"
#include "ui/dialogs/field_binder.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QScrollArea;
class QWidget;

namespace sonvex {

class ProjectDocument;

class CabinetDialog : public QDialog {
  Q_OBJECT
 public:
  explicit CabinetDialog(QWidget* parent = nullptr);

  // Fills the dialog from the project.
  void Fill(const Project& p);
  // What the dialog says now.
  Cabinet Box() const;
  CabinetEntry Entry(int k) const;  // k = 0..7
  // Writes the box and the chassis entries into the project (the caller
  // pushes the undo step and asks for the recalculation). A slot whose entry
  // and box the user left as filled keeps its baffle record as it is: taking
  // the outlet position back to the face and out again could change it by
  // the last bit.
  void Apply(Project& p) const;
  // Re-evaluates which position panels are visible.
  void UpdateVisibility();
  // Sizes the dialog to its content (never below `atLeast`), within the screen.
  void FitToContent(const QSize& atLeast);

 private:
  struct SlotControls {
    QGroupBox* group = nullptr;
    QCheckBox* check = nullptr;
    QWidget* panel = nullptr;
    QWidget* rearPanel = nullptr;
    QLineEdit* fromBottom = nullptr;
    QLineEdit* fromLeft = nullptr;
    QComboBox* face = nullptr;
    QComboBox* rearSide = nullptr;
    QLineEdit* outletFromBottom = nullptr;
    QLineEdit* outletFromLeft = nullptr;
    RecordBinder<CabinetEntry> fields;  // the four positions and the check box
  };
  QScrollArea* slotsArea_ = nullptr;
  RecordBinder<Cabinet> boxFields_;  // h, b, t, chamferLeft, chamferRight, chamferTop, chamferBottom
  std::array<SlotControls, kMaxChassis> slots_{};
  std::array<bool, kMaxChassis> rearShown_{};
  // What Fill showed: a slot left as it was keeps its baffle record.
  Cabinet filledBox_{};
  std::array<CabinetEntry, kMaxChassis> filledEntries_{};
};

// "gemeinsames Außengehäuse": the dialog on the document's project; "Ok"
// commits the box and the derived baffles as one edit. False on "Abbruch".
bool EditCommonCabinet(ProjectDocument& doc, const DialogRunner& run, QWidget* parent = nullptr);

}  // namespace sonvex
