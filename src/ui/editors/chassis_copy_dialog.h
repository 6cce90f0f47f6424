#pragma once
// Copying one chassis slot of the project onto another, or exchanging two
// slots, optionally with their enclosure and baffle data. The actions work on
// a copy of the project that goes back into the project only with "Ok".
#include <QDialog>
#include <memory>

#include "model/project.h"
#include "ui/dialogs/dialog_runner.h"

class QCheckBox;
class QComboBox;
class QPushButton;

namespace sonvex {

class TProjectDocument;

class TFormChassisCopy : public QDialog {
  Q_OBJECT
 public:
  explicit TFormChassisCopy(QWidget* parent = nullptr);
  ~TFormChassisCopy() override;

  // Takes a copy of the project, lists its chassis and selects chassis 1,
  // "kopieren nach" and chassis 2. The two check boxes keep their state from
  // the last opening.
  void Fill(const TProjekt& current);
  // "Aktion ausführen": copies or exchanges the selected slots in the copy.
  void Button1Click();
  // The copy with every action applied so far.
  const TProjekt& Working() const { return *working_; }
  // "Ok": the working copy becomes the project.
  void Apply(TProjekt& p) const { p = *working_; }

  QComboBox* CbChas1() const { return cbChas1_; }
  QComboBox* ComboBox1() const { return comboBox1_; }
  QComboBox* CbChas2() const { return cbChas2_; }
  QCheckBox* CheckBox1() const { return checkBox1_; }
  QCheckBox* CheckBox2() const { return checkBox2_; }
  QPushButton* Button1() const { return button1_; }
  QPushButton* Button2() const { return button2_; }
  QPushButton* Button3() const { return button3_; }

 private:
  void FillLists();

  std::unique_ptr<TProjekt> working_;
  QComboBox* cbChas1_ = nullptr;
  QComboBox* comboBox1_ = nullptr;
  QComboBox* cbChas2_ = nullptr;
  QCheckBox* checkBox1_ = nullptr;
  QCheckBox* checkBox2_ = nullptr;
  QPushButton* button1_ = nullptr;
  QPushButton* button2_ = nullptr;
  QPushButton* button3_ = nullptr;
};

// "Chassis kopieren / tauschen": `dialog` (kept between openings, so that
// its check boxes keep their state) on the document's project; "Ok" commits
// every action as one edit. False on "Abbruch".
bool EditChassisCopy(TProjectDocument& doc, TFormChassisCopy& dialog, const TDialogRunner& run);

}  // namespace sonvex
