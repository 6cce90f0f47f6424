#pragma once
// The calculator window: closed and vented box, port, standard crossovers,
// attenuator and impedance correction on five pages. It never touches the
// project; every input change recomputes its page at once. Escape closes it.
#include <QWidget>
#include <array>

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

  // ---- controls (each also carries its name as object name: fsEdit,
  // useRvCheck, closedBoxList, resonanceCorrectionMemo, ...)
  QSlider* DampingSlider() const { return dampingSlider_; }
  QPushButton* LoadButton() const { return loadChassisButton_; }
  QTabWidget* Pages() const { return pages_; }

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
  // box page
  QLineEdit* fsEdit_ = nullptr;
  QLineEdit* qtsEdit_ = nullptr;
  QLineEdit* qesEdit_ = nullptr;
  QLineEdit* qmsEdit_ = nullptr;
  QLineEdit* vasEdit_ = nullptr;
  QLineEdit* rdcEdit_ = nullptr;
  QLineEdit* rvEdit_ = nullptr;
  QLineEdit* desiredQtcEdit_ = nullptr;
  QLineEdit* altVolumeEdit_ = nullptr;
  QCheckBox* qesQmsKnownCheck_ = nullptr;
  QCheckBox* useRvCheck_ = nullptr;
  QListWidget* closedBoxList_ = nullptr;
  QListWidget* ventedBoxList_ = nullptr;
  QListWidget* altVolumeList_ = nullptr;
  // port page
  QLineEdit* boxVolumeEdit_ = nullptr;
  QLineEdit* boxWidthEdit_ = nullptr;
  QLineEdit* boxHeightEdit_ = nullptr;
  QLineEdit* boxDepthEdit_ = nullptr;
  QLineEdit* portHeightEdit_ = nullptr;
  QLineEdit* portWidthEdit_ = nullptr;
  QLineEdit* portDiameterEdit_ = nullptr;
  QLineEdit* portLengthEdit_ = nullptr;
  QLineEdit* rearWallDistanceEdit_ = nullptr;
  QLineEdit* floorDistanceEdit_ = nullptr;
  QLineEdit* topDistanceEdit_ = nullptr;
  QLineEdit* leftWallDistanceEdit_ = nullptr;
  QLineEdit* rightWallDistanceEdit_ = nullptr;
  QRadioButton* explicitVolumeRadio_ = nullptr;
  QRadioButton* dimensionsVolumeRadio_ = nullptr;
  QRadioButton* rectangularRadio_ = nullptr;
  QRadioButton* roundRadio_ = nullptr;
  QComboBox* tubeCountCombo_ = nullptr;
  QListWidget* portList_ = nullptr;
  // standard crossovers
  QLineEdit* crossoverFreqEdit_ = nullptr;
  QLineEdit* wooferImpedanceEdit_ = nullptr;
  QLineEdit* tweeterImpedanceEdit_ = nullptr;
  std::array<QPlainTextEdit*, 4> lowPassMemos_{};   // orders 1..4
  std::array<QPlainTextEdit*, 4> highPassMemos_{};  // orders 1..4
  // dividers
  QComboBox* desiredAttenuationCombo_ = nullptr;
  QLineEdit* inputImpedanceEdit_ = nullptr;
  QLineEdit* loadImpedanceEdit_ = nullptr;
  QLineEdit* r1Edit_ = nullptr;
  QLineEdit* r2Edit_ = nullptr;
  QLineEdit* rlEdit_ = nullptr;
  QCheckBox* impedanceDoesNotMatterCheck_ = nullptr;
  QPlainTextEdit* attenuatorMemo_ = nullptr;
  QPlainTextEdit* dividerMemo_ = nullptr;
  // impedance correction
  QLineEdit* correctionRdcEdit_ = nullptr;
  QLineEdit* correctionFcEdit_ = nullptr;
  QLineEdit* correctionQesEdit_ = nullptr;
  QLineEdit* correctionQmsEdit_ = nullptr;
  QLineEdit* correctionLeEdit_ = nullptr;
  QPlainTextEdit* resonanceCorrectionMemo_ = nullptr;
  QPlainTextEdit* inductanceCorrectionMemo_ = nullptr;
  QPlainTextEdit* bothCorrectionsMemo_ = nullptr;
  bool building_ = true;
  bool placed_ = false;
};

}  // namespace sonvex
