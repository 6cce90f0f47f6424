#pragma once
// The part editor of one crossover slot and the parts library it offers:
// real resistors, coils and capacitors read from the text files of the parts
// folder, so that orderable parts with their designation end up in the
// crossover.
#include <QDialog>
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "model/crossover_model.h"
#include "model/parts_library.h"
#include "ui/dialogs/dialog_runner.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace sonvex {

class TInteraction;
struct TProjekt;
struct TSettings;

// Which controls of the part editor a part type shows.
struct TPartEditorFields {
  bool value = false;     // "Wert" with its unit
  bool second = false;    // the coil's winding resistance
  bool note = false;      // "Bem."
  bool polarity = false;  // "Polung negativ"
  bool chassis = false;   // the chassis list
  bool optimize = false;  // "Bauteil optimieren"
  const char* unit = "";  // unit of "Wert"
  bool operator==(const TPartEditorFields&) const = default;
};
TPartEditorFields PartEditorFields(int typ);

// The library page of a part type (2 resistors, 3 capacitors, 4 coils).
std::optional<TLibraryPage> LibraryPageOfType(int typ);

// ---------------------------------------------------------------------------
// Parts library window

class TFormWParts : public QDialog {
  Q_OBJECT
 public:
  TFormWParts(const TSettings& settings, TInteraction& ui, QWidget* parent = nullptr);

  // What the library opens with: it reads the library files again, activates
  // the page of `typ` and preselects the last entry whose text begins with
  // `note` and whose value (and for coils resistance) equals the given one.
  void Prepare(std::string_view note, int typ, double value, double resistance);
  // The optimizer lets the user pick from one page only; nullopt shows all.
  void ShowOnlyPage(std::optional<TLibraryPage> page);

  // The choice of the last click (nothing before a click).
  const std::optional<TLibraryChoice>& Choice() const { return choice_; }
  const TPartsLibrary& Library() const { return lib_; }
  // A click on entry `row` of a page.
  void EntryClicked(TLibraryPage page, int row);

  QTabWidget* Pages() const { return pages_; }
  QListWidget* List(TLibraryPage page) const { return lists_[static_cast<std::size_t>(page)]; }
  QLabel* SelectedLabel() const { return selected_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }

 private:
  void FillLists();

  const TSettings& settings_;
  TInteraction& ui_;
  TPartsLibrary lib_;
  std::optional<TLibraryChoice> choice_;
  QTabWidget* pages_ = nullptr;
  std::array<QListWidget*, 3> lists_{};
  QLabel* selected_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
};

// ---------------------------------------------------------------------------
// Part editor

class TFormParteditor : public QDialog {
  Q_OBJECT
 public:
  TFormParteditor(const TSettings& settings, TInteraction& ui, QWidget* parent = nullptr);

  // Shows `part` in the controls; the chassis list holds the chassis 1 ..
  // nChassis of `project`.
  void Fill(const TWPart& part, const TProjekt& project);
  // The part as "&Ok" stores it: the filled part with the controls applied.
  TWPart Take() const;
  // Fills, runs the dialog and on "&Ok" replaces `part`; true on "&Ok".
  bool Edit(TWPart& part, const TProjekt& project);
  // What keeps "&Ok" disabled: one German line per field of the chosen type
  // that holds no number or a value no such part has (a resistor, capacitor
  // or coil of 0 or less, a negative winding resistance); empty when the
  // part can be taken.
  QString PartProblem() const;
  // "&Ok" (or Return) closes the editor only while PartProblem() is empty.
  void accept() override;

  // The optimizer's use: besides "keine Verbindung" and "Draht" only the
  // part's own type stays selectable, and the library shows only its page. ClearRestriction shows everything again.
  void RestrictToType(int typ);
  void ClearRestriction();
  // A line above the controls naming the part asked about (the optimizer's
  // use); an empty text hides it.
  void SetHeadline(const std::string& text);
  QLabel* Headline() const { return headline_; }

  // "Bauteil aus Liste wählen ...": opens the library on the typed values.
  void LibraryClick();

  // How modal dialogs run (the library); tests replace it.
  TDialogRunner execDialog;

  int SelectedType() const;
  void SelectType(int typ);
  QRadioButton* TypeButton(int typ) const { return types_[static_cast<std::size_t>(typ)]; }
  QLineEdit* ValueEdit() const { return value_; }
  QLabel* ValueUnit() const { return valueUnit_; }
  QLineEdit* SecondEdit() const { return second_; }
  QLineEdit* NoteEdit() const { return note_; }
  QCheckBox* InvertBox() const { return invert_; }
  QListWidget* ChassisList() const { return chassis_; }
  QCheckBox* OptimizeBox() const { return optimize_; }
  QPushButton* LibraryButton() const { return libraryButton_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }
  QLabel* ProblemLabel() const { return problem_; }
  TFormWParts* Library() const { return library_; }

 protected:
  // Tab from a type button goes on to the value fields, not to the next type.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void TypeChanged();
  void UpdateVisibility();
  void UpdateOk();

  TWPart part_;
  QLabel* headline_ = nullptr;
  QButtonGroup* typeGroup_ = nullptr;
  std::array<QRadioButton*, 7> types_{};
  QLabel* valueLabel_ = nullptr;
  QLineEdit* value_ = nullptr;
  QLabel* valueUnit_ = nullptr;
  QLabel* secondLabel_ = nullptr;
  QLineEdit* second_ = nullptr;
  QLabel* secondUnit_ = nullptr;
  QLabel* noteLabel_ = nullptr;
  QLineEdit* note_ = nullptr;
  QCheckBox* invert_ = nullptr;
  QLabel* chassisLabel_ = nullptr;
  QListWidget* chassis_ = nullptr;
  QCheckBox* optimize_ = nullptr;
  QPushButton* libraryButton_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QLabel* problem_ = nullptr;
  TFormWParts* library_ = nullptr;
  int restrictedType_ = -1;
};

}  // namespace sonvex
