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

class TInteraction;
struct TSettings;

class TFormCalcUtils : public QWidget {
  Q_OBJECT
 public:
  // The pages in the order of the menu items.
  enum TPage { TS_CBBR = 0, TS_Port, TS_Weichen, TS_Teiler, TS_RC };
  static constexpr int kPageCount = 5;

  // `settings` (the chassis folder) and `ui` must outlive the window.
  TFormCalcUtils(const TSettings& settings, TInteraction& ui, QWidget* parent = nullptr);

  // Selects the page and shows the window without blocking its owner.
  void ShowPage(int page);
  int CurrentPage() const;

  // "Daten aus Chassisdatei laden ...": fs, Qes, Qms, Vas and Re of a chassis file.
  void LoadChassisClick();

  // ---- controls, found by their names (Editfs, CheckBoxRv, ListBox2, Memo5, ...)
  QLineEdit* Edit(const char* name) const;
  QCheckBox* CheckBox(const char* name) const;
  QRadioButton* Radio(const char* name) const;
  QComboBox* Combo(const char* name) const;
  QSlider* TrackBarc() const { return trackBarc_; }
  QPushButton* LoadButton() const { return button2_; }
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
  void ZEegalClicked();

  const TSettings& settings_;
  TInteraction& ui_;
  QTabWidget* pages_ = nullptr;
  QSlider* trackBarc_ = nullptr;
  QPushButton* button2_ = nullptr;
  bool building_ = true;
  bool placed_ = false;
};

}  // namespace sonvex
