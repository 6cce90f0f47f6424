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

class Interaction;
struct Project;
struct Settings;

// Which controls of the part editor a part type shows.
struct PartEditorFieldSet {
  bool value = false;              // "Wert" with its unit
  bool windingResistance = false;  // the coil's winding resistance
  bool note = false;               // "Bem."
  bool polarity = false;           // "Polung negativ"
  bool chassis = false;            // the chassis list
  bool optimize = false;           // "Bauteil optimieren"
  const char* unit = "";           // unit of "Wert"
  bool operator==(const PartEditorFieldSet&) const = default;
};
PartEditorFieldSet PartEditorFields(int partType);

// The library page of a part type (2 resistors, 3 capacitors, 4 coils).
std::optional<LibraryPage> LibraryPageOfType(int partType);

// ---------------------------------------------------------------------------
// Parts library window

class PartsLibraryDialog : public QDialog {
  Q_OBJECT
 public:
  PartsLibraryDialog(const Settings& settings, Interaction& ui, QWidget* parent = nullptr);

  // What the library opens with: it reads the library files again, activates
  // the page of `partType` and preselects the last entry whose text begins with
  // `note` and whose value (and for coils resistance) equals the given one.
  void Prepare(std::string_view note, int partType, double value, double resistance);
  // The optimizer lets the user pick from one page only; nullopt shows all.
  void ShowOnlyPage(std::optional<LibraryPage> page);

  // The choice of the last click (nothing before a click).
  const std::optional<LibraryChoice>& Choice() const { return choice_; }
  const PartsLibrary& Library() const { return lib_; }
  // A click on entry `row` of a page.
  void EntryClicked(LibraryPage page, int row);

  QTabWidget* Pages() const { return pages_; }
  QListWidget* List(LibraryPage page) const { return lists_[static_cast<std::size_t>(page)]; }
  QLabel* SelectedLabel() const { return selected_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }

 private:
  void FillLists();

  const Settings& settings_;
  Interaction& ui_;
  PartsLibrary lib_;
  std::optional<LibraryChoice> choice_;
  QTabWidget* pages_ = nullptr;
  std::array<QListWidget*, 3> lists_{};
  QLabel* selected_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
};

// ---------------------------------------------------------------------------
// Part editor

class PartEditorDialog : public QDialog {
  Q_OBJECT
 public:
  PartEditorDialog(const Settings& settings, Interaction& ui, QWidget* parent = nullptr);

  // Shows `part` in the controls; the chassis list holds the chassis 1 ..
  // chassisCount of `project`.
  void Fill(const CrossoverPart& part, const Project& project);
  // The part as "&Ok" stores it: the filled part with the controls applied.
  CrossoverPart Take() const;
  // Fills, runs the dialog and on "&Ok" replaces `part`; true on "&Ok".
  bool Edit(CrossoverPart& part, const Project& project);
  // What keeps "&Ok" disabled: one German line per field of the chosen type
  // that holds no number or a value no such part has (a resistor, capacitor
  // or coil of 0 or less, a negative winding resistance); empty when the
  // part can be taken.
  QString PartProblem() const;
  // "&Ok" (or Return) closes the editor only while PartProblem() is empty.
  void accept() override;

  // The optimizer's use: besides "keine Verbindung" and "Draht" only the
  // part's own type stays selectable, and the library shows only its page. ClearRestriction shows everything again.
  void RestrictToType(int partType);
  void ClearRestriction();
  // A line above the controls naming the part asked about (the optimizer's
  // use); an empty text hides it.
  void SetHeadline(const std::string& text);
  QLabel* Headline() const { return headline_; }

  // "Bauteil aus Liste wählen ...": opens the library on the typed values.
  void LibraryClick();

  // How modal dialogs run (the library); tests replace it.
  DialogRunner execDialog;

  int SelectedType() const;
  void SelectType(int partType);
  QRadioButton* TypeButton(int partType) const { return types_[static_cast<std::size_t>(partType)]; }
  QLineEdit* ValueEdit() const { return value_; }
  QLabel* ValueUnit() const { return valueUnit_; }
  QLineEdit* WindingResistanceEdit() const { return windingResistance_; }
  QLineEdit* NoteEdit() const { return note_; }
  QCheckBox* InvertBox() const { return invert_; }
  QListWidget* ChassisList() const { return chassis_; }
  QCheckBox* OptimizeBox() const { return optimize_; }
  QPushButton* LibraryButton() const { return libraryButton_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }
  QLabel* ProblemLabel() const { return problem_; }
  PartsLibraryDialog* Library() const { return library_; }

 protected:
  // Tab from a type button goes on to the value fields, not to the next type.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void TypeChanged();
  void UpdateVisibility();
  void UpdateOk();

  CrossoverPart part_;
  QLabel* headline_ = nullptr;
  QButtonGroup* typeGroup_ = nullptr;
  std::array<QRadioButton*, 7> types_{};
  QLabel* valueLabel_ = nullptr;
  QLineEdit* value_ = nullptr;
  QLabel* valueUnit_ = nullptr;
  QLabel* windingResistanceLabel_ = nullptr;
  QLineEdit* windingResistance_ = nullptr;
  QLabel* windingResistanceUnit_ = nullptr;
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
  PartsLibraryDialog* library_ = nullptr;
  int restrictedType_ = -1;
};

}  // namespace sonvex
