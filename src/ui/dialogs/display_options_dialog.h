#pragma once
// The display options of a project: curve colours and chart scaling, and
// whether they become the defaults of every project loaded later.
#include <QColor>
#include <QDialog>
#include <array>
#include <functional>
#include <optional>
#include <vector>

#include "model/project.h"
#include "ui/dialogs/dialog_runner.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace sonvex {

class ProjectDocument;

// A ColorValue (red in the lowest byte) as a QColor and back.
QColor ToQColor(ColorValue c);
ColorValue FromQColor(const QColor& c);

// What the five scaling fields give: a value that is not greater than 0 (or
// not finite) is replaced (20 Hz, 20000 Hz, 50 dB, 112 dB, 50 Ohm), and
// reversed ranges are exchanged.
struct AxisScaling {
  double axisFMin, axisFMax, dBMin, dBMax, impedanceMax;
};
AxisScaling ScalingFromTexts(const std::string& axisFMinText, const std::string& axisFMaxText,
                             const std::string& dBMinText, const std::string& dBMaxText,
                             const std::string& impedanceMaxText);

class DisplayOptionsDialog : public QDialog {
  Q_OBJECT
 public:
  enum ColorGroup { AmpColors = 0, ChassisColors = 1, DirectionColors = 2 };

  explicit DisplayOptionsDialog(QWidget* parent = nullptr);

  // Shows the block: panel colours, the five values (FormatNumber, width 6)
  // and the useDisplayDefaults check box.
  void Fill(const DisplayOptions& o, bool useDisplayDefaults);
  // The edited block with the scaling rules applied; every other value is
  // carried along from Fill.
  DisplayOptions Result() const;
  bool UseDisplayDefaultsChecked() const;

  // "Voreinstellung wiederherstellen": standard scaling and colours (the
  // ninth chassis colour and the last three direction colours stay).
  void RestoreDefaults();
  // A click on a colour panel.
  void PanelClicked(ColorGroup group, int index);

  // Asks for a colour; no value when cancelled. The platform colour dialog
  // unless a test replaces it.
  std::function<std::optional<QColor>(const QColor&)> chooseColor;

  QLabel* Panel(ColorGroup group, int index) const;
  // The fixed colours of the spinorama curves, in curve order.
  const std::vector<QLabel*>& SpinoramaPanels() const { return spinoramaPanels_; }
  QLineEdit* AxisFMinEdit() const { return axisFMinEdit_; }
  QLineEdit* AxisFMaxEdit() const { return axisFMaxEdit_; }
  QLineEdit* DBMinEdit() const { return dBMinEdit_; }
  QLineEdit* DBMaxEdit() const { return dBMaxEdit_; }
  QLineEdit* ImpedanceMaxEdit() const { return impedanceMaxEdit_; }
  QCheckBox* UseDisplayDefaultsCheck() const { return useDisplayDefaultsCheck_; }
  QPushButton* DefaultsButton() const { return defaultsButton_; }
  QPushButton* OkButton() const { return okButton_; }
  QPushButton* CancelButton() const { return cancelButton_; }

 private:
  void ShowColors();
  void ShowScaling();
  ColorValue& ColorOf(ColorGroup group, int index);

  DisplayOptions block_;
  std::array<std::vector<QLabel*>, 3> panels_;
  std::vector<QLabel*> spinoramaPanels_;
  QLineEdit* axisFMinEdit_ = nullptr;
  QLineEdit* axisFMaxEdit_ = nullptr;
  QLineEdit* dBMinEdit_ = nullptr;
  QLineEdit* dBMaxEdit_ = nullptr;
  QLineEdit* impedanceMaxEdit_ = nullptr;
  QCheckBox* useDisplayDefaultsCheck_ = nullptr;
  QPushButton* defaultsButton_ = nullptr;
  QPushButton* okButton_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
};

// "Anzeigeoptionen": the dialog on the document's project; "Ok" keeps the
// defaults the dialog asks for in the settings and commits the options as
// one edit. False on "Abbruch".
bool EditDisplayOptions(ProjectDocument& doc, const DialogRunner& run, QWidget* parent = nullptr);

}  // namespace sonvex
