#pragma once
// The calculator window: closed and vented box, port, standard crossovers,
// attenuator and impedance correction on five pages. It never touches the
// project; every input change recomputes its page at once. Escape closes it.
#include <QStringList>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class QTabWidget;

namespace sonvex {

class Interaction;
struct Settings;

class CalculatorsWindow : public QWidget {
  Q_OBJECT
 public:
  // The pages in the order of the menu items.
  enum Page { PageBox = 0, PagePort, PageCrossovers, PageDivider, PageZCorrection };
  static constexpr int kPageCount = 5;

  // `settings` (the chassis folder) and `ui` must outlive the window.
  CalculatorsWindow(const Settings& settings, Interaction& ui, QWidget* parent = nullptr);

  // Selects the page and shows the window without blocking its owner.
  void ShowPage(int page);
  int CurrentPage() const;

  // "Daten aus Chassisdatei laden ...": fs, Qes, Qms, Vas and Re of a chassis file.
  void LoadChassisClick();

  // ---- controls, found by their names (fsEdit, useRvCheck, closedBoxList, resonanceCorrectionMemo, ...)
  QLineEdit* Edit(const char* name) const;
  QCheckBox* CheckBox(const char* name) const;
  QRadioButton* Radio(const char* name) const;
  QComboBox* Combo(const char* name) const;
  QSlider* DampingSlider() const { return dampingSlider_; }
  QPushButton* LoadButton() const { return loadChassisButton_; }
  QTabWidget* Pages() const { return pages_; }
  // The lines of a list box or memo.
  QStringList Lines(const char* name) const;

  void RecomputeBox();
  void RecomputeAltVolume();
  void RecomputePort();
  void RecomputeCrossovers();
  void RecomputeAttenuator();
  void RecomputeDivider();
  void RecomputeZCorrection();

 protected:
  void showEvent(QShowEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  QWidget* BuildBoxPage();
  QWidget* BuildPortPage();
  QWidget* BuildCrossoverPage();
  QWidget* BuildDividerPage();
  QWidget* BuildZCorrectionPage();
  void PageEntered(int page);
  void QesQmsChanged();
  void UpdateBoxInputs();
  void UpdatePortInputs();
  void ImpedanceDoesNotMatterClicked();

  const Settings& settings_;
  Interaction& ui_;
  QTabWidget* pages_ = nullptr;
  QSlider* dampingSlider_ = nullptr;
  QPushButton* loadChassisButton_ = nullptr;
  bool building_ = true;
  bool placed_ = false;
};

}  // namespace sonvex
