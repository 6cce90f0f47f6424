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

class TProjectDocument;

// A TColor (red in the lowest byte) as a QColor and back.
QColor ToQColor(TColor c);
TColor FromQColor(const QColor& c);

// What the five scaling fields give: a value that is not greater than 0 (or
// not finite) is replaced (20 Hz, 20000 Hz, 50 dB, 112 dB, 50 Ohm), and
// reversed ranges are exchanged.
struct TScaling {
  double AfMin, AfMax, dBMin, dBMax, ImpMax;
};
TScaling ScalingFromTexts(const std::string& afMin, const std::string& afMax, const std::string& dbMin,
                          const std::string& dbMax, const std::string& impMax);

class TFormAnzOption : public QDialog {
  Q_OBJECT
 public:
  enum TGroup { Amps = 0, Chassis = 1, Directions = 2 };

  explicit TFormAnzOption(QWidget* parent = nullptr);

  // Shows the block: panel colours, the five values (FormatNumber, width 6)
  // and the UseOption check box.
  void Fill(const TDisplayOptions& o, bool useOption);
  // The edited block with the scaling rules applied; every other value is
  // carried along from Fill.
  TDisplayOptions Result() const;
  bool UseOptionChecked() const;

  // "Voreinstellung wiederherstellen": standard scaling and colours (the
  // ninth chassis colour and the last three direction colours stay).
  void RestoreDefaults();
  // A click on a colour panel.
  void PanelClicked(TGroup group, int index);

  // Asks for a colour; no value when cancelled. The platform colour dialog
  // unless a test replaces it.
  std::function<std::optional<QColor>(const QColor&)> chooseColor;

  QLabel* Panel(TGroup group, int index) const;
  // The fixed colours of the spinorama curves, in curve order.
  const std::vector<QLabel*>& SpinoramaPanels() const { return spinPanels_; }
  QLineEdit* edAfMin() const { return edAfMin_; }
  QLineEdit* edAfMax() const { return edAfMax_; }
  QLineEdit* edDBMin() const { return edDBMin_; }
  QLineEdit* edDBMax() const { return edDBMax_; }
  QLineEdit* edImpMax() const { return edImpMax_; }
  QCheckBox* cbUseOption() const { return cbUseOption_; }
  QPushButton* btnDefaults() const { return btnDefaults_; }
  QPushButton* btnOk() const { return btnOk_; }
  QPushButton* btnAbbruch() const { return btnAbbruch_; }

 private:
  void ShowColors();
  void ShowScaling();
  TColor& ColorOf(TGroup group, int index);

  TDisplayOptions block_;
  std::array<std::vector<QLabel*>, 3> panels_;
  std::vector<QLabel*> spinPanels_;
  QLineEdit* edAfMin_ = nullptr;
  QLineEdit* edAfMax_ = nullptr;
  QLineEdit* edDBMin_ = nullptr;
  QLineEdit* edDBMax_ = nullptr;
  QLineEdit* edImpMax_ = nullptr;
  QCheckBox* cbUseOption_ = nullptr;
  QPushButton* btnDefaults_ = nullptr;
  QPushButton* btnOk_ = nullptr;
  QPushButton* btnAbbruch_ = nullptr;
};

// "Anzeigeoptionen": the dialog on the document's project; "Ok" keeps the
// defaults the dialog asks for in the settings and commits the options as
// one edit that asks for no calculation. False on "Abbruch".
bool EditDisplayOptions(TProjectDocument& doc, const TDialogRunner& run, QWidget* parent = nullptr);

}  // namespace sonvex
