#pragma once
// The chassis and enclosure editor: one chassis slot of the project with its
// data and measured curves, its enclosure and its baffle and position. It
// works on private copies of the slot's three records; "Ok" writes them back
// with an undo step and asks for a recalculation.
#include <QDialog>
#include <array>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "model/project.h"
#include "model/settings.h"
#include "ui/dialogs/dialog_runner.h"
#include "ui/dialogs/field_binder.h"

class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class QTabWidget;
class QTableWidget;
class QToolButton;

namespace sonvex {

class Interaction;
class ProjectDocument;
class HelpTextWindow;
class VoiceCoilFitWindow;

class ChassisEditorWindow : public QDialog {
  Q_OBJECT
 public:
  // `doc`, `settings` and `ui` must outlive the editor.
  ChassisEditorWindow(ProjectDocument& doc, Settings& settings, Interaction& ui, QWidget* parent = nullptr);
  ~ChassisEditorWindow() override;

  // Copies slot n (0..8) of the project into the editor and fills the controls.
  void Open(int n);
  int Slot() const { return slot_; }
  const Chassis& ChassisCopy() const { return *chassis_; }
  const Enclosure& EnclosureCopy() const { return enclosure_; }
  const Baffle& BaffleCopy() const { return baffle_; }

  // ---- the handlers (the controls call them; tests may too)
  // The editor's copies of the records -> the controls (then the type
  // handler), and the controls -> the copies; "Ok" writes the copies
  // back to the project.
  void Fill();
  void Apply();
  // A type button or "Werte explizit eingeben": shows the rows of the type
  // and, unless entered, the losses estimated for it. Only the type, the
  // damping levels and what the estimate reads (fs, Vas, Sd, Vb) go into the
  // copies; the derived values are shown for the fields as they stand.
  void TypeChanged();
  // A damping track bar: the estimated losses follow.
  void DampingChanged();
  void RefreshDerived();  // "Errechnete Größen"
  void OkClick();
  // The controls hold values that "Ok" would write and the project does not
  // have yet (false while the editor is closed).
  bool HasPendingChanges();
  void UseResponseClick();
  void UseImpedanceClick();
  void MeasuringConditionChosen();
  void ImportResponseClick();
  void ImportImpedanceClick();
  void ChangeLevelClick();
  // "Polardaten importieren ...": several measurement files, checked in the
  // import dialog, become the copy's polar set; "Polardaten entfernen"
  // takes it away. Either goes into the project with "Ok".
  void ImportPolarClick();
  void RemovePolarClick();
  void VoiceCoilFitClick();
  void LoadChassisClick();
  void SaveChassisClick();
  void RearClosedClick();
  void CommonCabinetClick();
  void HelpClick(int which);  // 0 vV, 1 mb, 2 Qk

  // ---- controls (every control also carries its name as object name, so
  // that tests find it)
  QTabWidget* Pages() const { return pages_; }
  QTableWidget* Grid(int k) const { return grids_.at(static_cast<std::size_t>(k)); }  // FA, FAP, FI, FIP
  HelpTextWindow* HelpWindow() const { return help_; }
  VoiceCoilFitWindow* VoiceCoilFit() const { return voiceCoilFit_; }
  QLabel* PolarState() const { return polarState_; }

  // How the editor runs its modal dialogs (the polar import); tests fill
  // and confirm them instead.
  DialogRunner execDialog;

 signals:
  // The editor opened on a chassis or closed (the main window's menus follow).
  void openChanged(bool open);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void BuildChassisPage(QWidget* page);
  void BuildEnclosurePage(QWidget* page);
  void BuildBafflePage(QWidget* page);
  void BuildMorePage(QWidget* page);
  // A number row (caption and field) of the description with this id, bound
  // to its record field.
  template <class R>
  QLineEdit* AddNumberRow(RecordBinder<R>& binder, std::span<const RecordNumberField<R>> table, const char* id,
                          QGridLayout* grid, int row, int col, int labelWidth);
  // Shows the enclosure's loss factors (estimated or entered).
  void FillLossFields();
  // Estimates the losses from the damping levels and what the estimate reads
  // of the fields, and shows them.
  void EstimateLosses();
  void ReadDamping(Enclosure& e) const;
  // Where the screen is smaller than the editor, its pages scroll.
  void ScrollPagesOnASmallScreen();
  // What "Ok" would write, read from the controls; the editor's copies stay.
  void ReadControls(Chassis& chassis, Enclosure& enclosure, Baffle& baffle);
  void FillGrids();
  void ApplyGrids();
  void ApplyCommonCabinetLock();
  // The text about the copy's polar set: what it holds, which directions
  // come from it and, with the measuring condition and the switch of the
  // measured response as the controls show them, why it is not used.
  void RefreshPolarState();
  void SetTypeButtonsEnabled();
  int SelectedType() const;

  ProjectDocument& doc_;
  Settings& settings_;
  Interaction& ui_;
  int slot_ = 0;
  bool loading_ = false;
  bool pagesScroll_ = false;  // the pages sit in scrolling areas (a small screen)
  std::unique_ptr<Chassis> chassis_;
  Enclosure enclosure_{};
  Baffle baffle_{};
  // The controls as the opening filled them: what counts as no change.
  std::unique_ptr<Chassis> openedChassis_;
  Enclosure openedEnclosure_{};
  Baffle openedBaffle_{};

  // The number fields and check boxes bound to the three records.
  RecordBinder<Chassis> chassisFields_;
  RecordBinder<Enclosure> enclosureFields_;
  RecordBinder<Baffle> baffleFields_;
  // The text fields of the chassis.
  QLineEdit* nameEdit_ = nullptr;
  QLineEdit* commentEdit_ = nullptr;
  QLineEdit* lowerFreqEdit_ = nullptr;
  QLineEdit* upperFreqEdit_ = nullptr;
  QLineEdit* orderNumberEdit_ = nullptr;
  QLineEdit* outerDimensionsEdit_ = nullptr;
  QComboBox* measuringCondition_ = nullptr;
  QComboBox* direction_ = nullptr;
  QComboBox* rearDirection_ = nullptr;
  QComboBox* diaphragmShape_ = nullptr;
  // volume, near the chassis, port, front volume, front port
  std::array<QSlider*, 5> dampingSliders_{};
  std::array<QToolButton*, 3> helpButtons_{};  // vV, mb, Qk
  std::vector<QLabel*> derivedLabels_;         // in the order of DerivedValueLabels

  QTabWidget* pages_ = nullptr;
  std::array<QTableWidget*, 4> grids_{};
  std::array<QRadioButton*, 5> typeButtons_{};
  QWidget* picture_ = nullptr;
  QGroupBox* rearGroup_ = nullptr;
  QPlainTextEdit* memo_ = nullptr;
  QPushButton* removePolarButton_ = nullptr;
  QLabel* polarState_ = nullptr;
  HelpTextWindow* help_ = nullptr;
  VoiceCoilFitWindow* voiceCoilFit_ = nullptr;
};

}  // namespace sonvex
