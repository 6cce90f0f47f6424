#include "ui/dialogs/calculators_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>
#include <filesystem>

#include "calc/file_load.h"
#include "charts/qt_text.h"
#include "model/chassis_file.h"
#include "model/file_io.h"
#include "model/interaction.h"
#include "model/number_text.h"
#include "model/project.h"
#include "model/settings.h"
#include "tools/box_design.h"
#include "tools/crossover_design.h"
#include "ui/dialogs/circuit_picture.h"
#include "ui/dialogs/field_number.h"
#include "ui/dialogs/window_place.h"

namespace sonvex {

namespace {

constexpr const char* kChassisFilter = "Sonvex Chassis (*.ZCH)|*.ZCH|Alle Dateien (*.*)|*.*";

// Keeps `control` in the window's member `field` where it is created.
template <class T>
T* Keep(T*& field, T* control) {
  field = control;
  return control;
}

QLineEdit* NewEdit(const char* name, const char* text, QWidget* parent) {
  auto* e = new QLineEdit(QText(text), parent);
  e->setObjectName(name);
  e->setMaximumWidth(90);
  FitNumberField(e);
  WatchNumberField(e);
  return e;
}

// Result lists and memos are at least as high as the most lines their page
// writes into them, so that a window that scrolls as a whole never hides a
// result line inside a list that scrolls too.
QListWidget* NewListBox(const char* name, QWidget* parent, int lines) {
  auto* l = new QListWidget(parent);
  l->setObjectName(name);
  l->setSelectionMode(QAbstractItemView::NoSelection);
  l->setFocusPolicy(Qt::NoFocus);
  // room for a horizontal scroll bar under a line wider than the list
  const int scrollBar = l->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, l);
  l->setMinimumHeight(lines * QFontMetrics(l->font()).lineSpacing() + 2 * l->frameWidth() + 8 + scrollBar);
  return l;
}

QPlainTextEdit* NewMemo(const char* name, QWidget* parent, int lines) {
  auto* m = new QPlainTextEdit(parent);
  m->setObjectName(name);
  m->setReadOnly(true);
  m->setLineWrapMode(QPlainTextEdit::NoWrap);
  m->setMinimumWidth(220);
  const int scrollBar = m->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m);
  m->setMinimumHeight(lines * QFontMetrics(m->font()).lineSpacing() +
                      2 * static_cast<int>(m->document()->documentMargin()) + 2 * m->frameWidth() + 2 + scrollBar);
  return m;
}

void SetListLines(QListWidget* list, const ResultLines& lines) {
  list->clear();
  for (const std::string& line : lines) list->addItem(QText(line));
}

void SetMemoLines(QPlainTextEdit* memo, const ResultLines& lines) {
  QStringList text;
  for (const std::string& line : lines) text << QText(line);
  memo->setPlainText(text.join(QLatin1Char('\n')));
}

}  // namespace

CalculatorsWindow::CalculatorsWindow(const Settings& settings, Interaction& ui, QWidget* parent)
    : QWidget(parent, Qt::Window), settings_(settings), ui_(ui) {
  setWindowTitle(QText("SONVEX - Hilfsberechnungen"));
  pages_ = new QTabWidget(this);
  // A tab bar wider than the window gets arrows; each page scrolls on its own.
  pages_->setUsesScrollButtons(true);
  pages_->addTab(ScrollingPage(BuildBoxPage(), "boxPageScrollArea"), QText("Gehäuse geschlossen/Bassreflex"));
  pages_->addTab(ScrollingPage(BuildPortPage(), "portPageScrollArea"), QText("Bassreflexkanal"));
  pages_->addTab(ScrollingPage(BuildCrossoverPage(), "crossoverPageScrollArea"), QText("Standardweichen"));
  pages_->addTab(ScrollingPage(BuildDividerPage(), "dividerPageScrollArea"), QText("Spannungsteiler"));
  pages_->addTab(ScrollingPage(BuildZCorrectionPage(), "zCorrectionPageScrollArea"), QText("Impedanzkorrekturglieder"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pages_);
  connect(pages_, &QTabWidget::currentChanged, this, [this](int page) { PageEntered(page); });

  // Creation order of the pages' first results.
  building_ = false;
  UpdateBoxInputs();
  RecomputeCrossovers();
  tubeCountCombo_->setCurrentIndex(0);
  desiredAttenuationCombo_->setCurrentIndex(kDefaultAttenuationItem);
  RecomputeAttenuator();
  r1Edit_->setText(QText("2,2"));  // its change computes the divider
  RecomputePort();
  RecomputeZCorrection();
  resize(1120, 720);
}

void CalculatorsWindow::showEvent(QShowEvent* e) {
  // The first showing fits the window onto the screen (beside the main
  // window where there is room); later it stays where the user left it.
  if (!placed_) {
    placed_ = true;
    PlaceWindowBeside(this, parentWidget());
  }
  QWidget::showEvent(e);
}

void CalculatorsWindow::keyPressEvent(QKeyEvent* e) {
  if (e->matches(QKeySequence::Cancel)) {
    close();
    return;
  }
  QWidget::keyPressEvent(e);
}

// ---------------------------------------------------------------- box page

QWidget* CalculatorsWindow::BuildBoxPage() {
  auto* page = new QWidget(this);
  auto* data = new QGroupBox(QText("Chassisdaten"), page);
  auto* form = new QFormLayout(data);
  form->addRow(QText("fs [Hz]"), Keep(fsEdit_, NewEdit("fsEdit", "35", data)));
  form->addRow(QText("Qts"), Keep(qtsEdit_, NewEdit("qtsEdit", "0,4", data)));
  auto* qesQmsKnownBox = new QCheckBox(QText("Qes und Qms sind bekannt"), data);
  qesQmsKnownBox->setObjectName("qesQmsKnownCheck");
  qesQmsKnownCheck_ = qesQmsKnownBox;
  form->addRow(qesQmsKnownBox);
  form->addRow(QText("Qes"), Keep(qesEdit_, NewEdit("qesEdit", "0,5", data)));
  form->addRow(QText("Qms"), Keep(qmsEdit_, NewEdit("qmsEdit", "2", data)));
  form->addRow(QText("Vas [Liter]"), Keep(vasEdit_, NewEdit("vasEdit", "80", data)));
  auto* rv = new QCheckBox(QText("Vorwiderstand berücksichtigen"), data);
  rv->setObjectName("useRvCheck");
  useRvCheck_ = rv;
  form->addRow(rv);
  form->addRow(QText("Rdc [Ohm]"), Keep(rdcEdit_, NewEdit("rdcEdit", "6", data)));
  form->addRow(QText("Rv [Ohm]"), Keep(rvEdit_, NewEdit("rvEdit", "1,0", data)));
  loadChassisButton_ = new QPushButton(QText("Daten aus Chassisdatei laden ..."), data);
  loadChassisButton_->setObjectName("loadChassisButton");
  form->addRow(loadChassisButton_);

  auto* closed = new QGroupBox(QText("Auslegung geschlossene Box"), page);
  auto* closedForm = new QFormLayout(closed);
  closedForm->addRow(QText("Gewünschte Güte Qtc"), Keep(desiredQtcEdit_, NewEdit("desiredQtcEdit", "0,7", closed)));
  closedForm->addRow(Keep(closedBoxList_, NewListBox("closedBoxList", closed, 3)));

  auto* vented = new QGroupBox(QText("Auslegung Baßreflexbox (nach Hoge)"), page);
  auto* ventedForm = new QFormLayout(vented);
  ventedForm->addRow(Keep(ventedBoxList_, NewListBox("ventedBoxList", vented, 3)));
  ventedForm->addRow(QText("Alternatives Volumen [Liter]"), Keep(altVolumeEdit_, NewEdit("altVolumeEdit", "", vented)));
  ventedForm->addRow(Keep(altVolumeList_, NewListBox("altVolumeList", vented, 3)));

  auto* right = new QVBoxLayout;
  right->addWidget(closed);
  right->addWidget(vented);
  auto* row = new QHBoxLayout(page);
  row->addWidget(data);
  row->addLayout(right, 1);

  for (QLineEdit* e : {fsEdit_, qtsEdit_, vasEdit_, rdcEdit_, rvEdit_, desiredQtcEdit_})
    connect(e, &QLineEdit::textChanged, this, [this] { RecomputeBox(); });
  for (QLineEdit* e : {qesEdit_, qmsEdit_}) connect(e, &QLineEdit::textChanged, this, [this] { QesQmsChanged(); });
  connect(altVolumeEdit_, &QLineEdit::textChanged, this, [this] { RecomputeAltVolume(); });
  connect(qesQmsKnownBox, &QCheckBox::toggled, this, [this] {
    UpdateBoxInputs();
    QesQmsChanged();
  });
  connect(rv, &QCheckBox::toggled, this, [this] {
    UpdateBoxInputs();
    RecomputeBox();
  });
  connect(loadChassisButton_, &QPushButton::clicked, this, [this] { LoadChassisClick(); });
  return page;
}

// Qes and Qms are inputs only when they are known (Qts then follows from
// them). Rdc and Rv stay inputs whether the series resistance is ticked or
// not: a box cleared for want of Rdc must leave Rdc open to be corrected.
void CalculatorsWindow::UpdateBoxInputs() {
  const bool known = qesQmsKnownCheck_->isChecked();
  qtsEdit_->setEnabled(!known);
  qesEdit_->setEnabled(known);
  qmsEdit_->setEnabled(known);
}

void CalculatorsWindow::QesQmsChanged() {
  if (qesQmsKnownCheck_->isChecked()) {
    const std::string qts =
        QtsFromQesQmsText(StrToDoubleLenient(StdText(qesEdit_->text())), StrToDoubleLenient(StdText(qmsEdit_->text())));
    if (qtsEdit_->text() != QText(qts)) {
      qtsEdit_->setText(QText(qts));  // recomputes the page
      return;
    }
  }
  RecomputeBox();
}

void CalculatorsWindow::RecomputeBox() {
  if (building_) return;
  BoxPage page;
  page.fs = StdText(fsEdit_->text());
  page.qts = StdText(qtsEdit_->text());
  page.qes = StdText(qesEdit_->text());
  page.qms = StdText(qmsEdit_->text());
  page.vas = StdText(vasEdit_->text());
  page.rdc = StdText(rdcEdit_->text());
  page.rv = StdText(rvEdit_->text());
  page.desiredQtc = StdText(desiredQtcEdit_->text());
  page.qesQmsKnown = qesQmsKnownCheck_->isChecked();
  page.useRv = useRvCheck_->isChecked();
  const BoxPageResult r = BoxPageLines(page);
  if (r.clearRv) {
    const QSignalBlocker block(useRvCheck_);
    useRvCheck_->setChecked(false);
    UpdateBoxInputs();
  }
  SetListLines(closedBoxList_, r.closed);
  SetListLines(ventedBoxList_, r.vented);
  altVolumeList_->clear();
}

void CalculatorsWindow::RecomputeAltVolume() {
  BoxPage page;
  page.fs = StdText(fsEdit_->text());
  page.qts = StdText(qtsEdit_->text());
  page.vas = StdText(vasEdit_->text());
  page.rdc = StdText(rdcEdit_->text());
  page.rv = StdText(rvEdit_->text());
  page.altVolume = StdText(altVolumeEdit_->text());
  page.useRv = useRvCheck_->isChecked();
  SetListLines(altVolumeList_, AltVolumePageLines(page));
}

void CalculatorsWindow::LoadChassisClick() {
  const auto file = ui_.PickOpenFile("Chassisdatei laden", kChassisFilter, settings_.chassisFolder);
  std::error_code ec;
  if (!file || !std::filesystem::exists(*file, ec)) return;
  Chassis c;
  try {
    if (!LoadChassisFile(c, *file, ui_)) return;
  } catch (const FileError& e) {
    ui_.ShowMessage(e.what());
    return;
  }
  qesQmsKnownCheck_->setChecked(true);
  fsEdit_->setText(QText(FormatNumber(c.fs, 6)));
  qesEdit_->setText(QText(FormatNumber(c.Qes, 6)));
  qmsEdit_->setText(QText(FormatNumber(c.Qms, 6)));
  vasEdit_->setText(QText(FormatNumber(c.Vas * 1000.0, 6)));
  rdcEdit_->setText(QText(FormatNumber(c.Re, 6)));
  ui_.ShowMessage("Daten von " + c.name.Str() + " wurden geladen.");
}

// ---------------------------------------------------------------- port page

QWidget* CalculatorsWindow::BuildPortPage() {
  auto* page = new QWidget(this);
  auto* note = new QLabel(QText("Achtung: Alle Maße auf dieser Seite sind Innenmaße!"), page);
  note->setStyleSheet("color: #a00000; font-weight: bold;");

  auto* volume = new QGroupBox(QText("Gehäusevolumen"), page);
  auto* volumeGrid = new QGridLayout(volume);
  auto* explicitVolumeRadio = new QRadioButton(QText("Volumen incl. Kanal [Liter]"), volume);
  explicitVolumeRadio->setObjectName("explicitVolumeRadio");
  explicitVolumeRadio_ = explicitVolumeRadio;
  explicitVolumeRadio->setChecked(true);
  auto* dimensionsRadio = new QRadioButton(QText("über BxHxT [cm]"), volume);
  dimensionsRadio->setObjectName("dimensionsVolumeRadio");
  dimensionsVolumeRadio_ = dimensionsRadio;
  volumeGrid->addWidget(explicitVolumeRadio, 0, 0);
  volumeGrid->addWidget(Keep(boxVolumeEdit_, NewEdit("boxVolumeEdit", "50", volume)), 0, 1);
  volumeGrid->addWidget(dimensionsRadio, 1, 0);
  auto* dimensionsRow = new QHBoxLayout;
  dimensionsRow->addWidget(new QLabel(QText("b"), volume));
  dimensionsRow->addWidget(Keep(boxWidthEdit_, NewEdit("boxWidthEdit", "20", volume)));
  dimensionsRow->addWidget(new QLabel(QText("h"), volume));
  dimensionsRow->addWidget(Keep(boxHeightEdit_, NewEdit("boxHeightEdit", "98", volume)));
  dimensionsRow->addWidget(new QLabel(QText("t"), volume));
  dimensionsRow->addWidget(Keep(boxDepthEdit_, NewEdit("boxDepthEdit", "23", volume)));
  volumeGrid->addLayout(dimensionsRow, 1, 1);
  volumeGrid->addWidget(new QLabel(QText("Bedämpfung"), volume), 2, 0);
  dampingSlider_ = new QSlider(Qt::Horizontal, volume);
  dampingSlider_->setObjectName("dampingSlider");
  dampingSlider_->setRange(0, 4);
  dampingSlider_->setPageStep(1);
  dampingSlider_->setTickPosition(QSlider::TicksBelow);
  dampingSlider_->setTickInterval(1);
  volumeGrid->addWidget(dampingSlider_, 2, 1);
  auto* damping = new QHBoxLayout;
  damping->addWidget(new QLabel(QText("keine Wolle"), volume));
  damping->addStretch();
  damping->addWidget(new QLabel(QText("locker gefüllt"), volume));
  damping->addStretch();
  damping->addWidget(new QLabel(QText("stark gestopft"), volume));
  volumeGrid->addLayout(damping, 3, 1);

  auto* port = new QGroupBox(QText("Reflexkanal"), page);
  auto* portGrid = new QGridLayout(port);
  auto* rectangularRadio = new QRadioButton(QText("rechteckig"), port);
  rectangularRadio->setObjectName("rectangularRadio");
  rectangularRadio_ = rectangularRadio;
  rectangularRadio->setChecked(true);
  auto* roundRadio = new QRadioButton(QText("rund"), port);
  roundRadio->setObjectName("roundRadio");
  roundRadio_ = roundRadio;
  portGrid->addWidget(rectangularRadio, 0, 0);
  auto* portSizeRow = new QHBoxLayout;
  portSizeRow->addWidget(new QLabel(QText("Höhe c"), port));
  portSizeRow->addWidget(Keep(portHeightEdit_, NewEdit("portHeightEdit", "8", port)));
  portSizeRow->addWidget(new QLabel(QText("Breite e"), port));
  portSizeRow->addWidget(Keep(portWidthEdit_, NewEdit("portWidthEdit", "20", port)));
  portGrid->addLayout(portSizeRow, 0, 1);
  portGrid->addWidget(roundRadio, 1, 0);
  auto* diameterRow = new QHBoxLayout;
  diameterRow->addWidget(new QLabel(QText("Durchmesser D"), port));
  diameterRow->addWidget(Keep(portDiameterEdit_, NewEdit("portDiameterEdit", "7", port)));
  auto* tubes = new QComboBox(port);
  tubes->setObjectName("tubeCountCombo");
  tubeCountCombo_ = tubes;
  tubes->addItems(
      {QText("1 Baßreflexrohr"), QText("2 Baßreflexrohre"), QText("3 Baßreflexrohre"), QText("4 Baßreflexrohre")});
  diameterRow->addWidget(tubes);
  portGrid->addLayout(diameterRow, 1, 1);
  auto* measures = new QFormLayout;
  measures->addRow(QText("Kanallänge l"), Keep(portLengthEdit_, NewEdit("portLengthEdit", "15", port)));
  measures->addRow(QText("inneres Kanalende bis Rückwand g"),
                   Keep(rearWallDistanceEdit_, NewEdit("rearWallDistanceEdit", "10", port)));
  measures->addRow(QText("Abstand zum Boden f"), Keep(floorDistanceEdit_, NewEdit("floorDistanceEdit", "0", port)));
  measures->addRow(QText("Abstand zur Decke k"), Keep(topDistanceEdit_, NewEdit("topDistanceEdit", "90", port)));
  measures->addRow(QText("Abstand zur linken Wand i"),
                   Keep(leftWallDistanceEdit_, NewEdit("leftWallDistanceEdit", "0", port)));
  measures->addRow(QText("Abstand zur rechten Wand j"),
                   Keep(rightWallDistanceEdit_, NewEdit("rightWallDistanceEdit", "0", port)));
  portGrid->addLayout(measures, 2, 0, 1, 2);
  portGrid->addWidget(new QLabel(QText("Alle Längen in cm."), port), 3, 0, 1, 2);

  auto* left = new QVBoxLayout;
  left->addWidget(volume);
  left->addWidget(port);
  left->addStretch();
  auto* right = new QVBoxLayout;
  auto* sketch = new CircuitPicture(CircuitPicture::Port, page);
  right->addWidget(sketch);
  right->addWidget(Keep(portList_, NewListBox("portList", page, 6)), 1);
  auto* row = new QHBoxLayout;
  row->addLayout(left);
  row->addLayout(right, 1);
  auto* main = new QVBoxLayout(page);
  main->addWidget(note);
  main->addLayout(row, 1);

  for (QLineEdit* e : {boxVolumeEdit_, boxWidthEdit_, boxHeightEdit_, boxDepthEdit_, portHeightEdit_, portWidthEdit_,
                       portDiameterEdit_, portLengthEdit_, rearWallDistanceEdit_, floorDistanceEdit_, topDistanceEdit_,
                       leftWallDistanceEdit_, rightWallDistanceEdit_})
    connect(e, &QLineEdit::textChanged, this, [this] { RecomputePort(); });
  for (QRadioButton* rb : {explicitVolumeRadio, dimensionsRadio, rectangularRadio, roundRadio})
    connect(rb, &QRadioButton::toggled, this, [this](bool on) {
      if (on) RecomputePort();
    });
  connect(dampingSlider_, &QSlider::valueChanged, this, [this] { RecomputePort(); });
  connect(tubes, &QComboBox::currentIndexChanged, this, [this] { RecomputePort(); });
  return page;
}

// Only the fields of the chosen volume mode and port shape are inputs.
void CalculatorsWindow::UpdatePortInputs() {
  const bool explicitVolume = explicitVolumeRadio_->isChecked();
  boxVolumeEdit_->setEnabled(explicitVolume);
  for (QLineEdit* e : {boxWidthEdit_, boxHeightEdit_, boxDepthEdit_}) e->setEnabled(!explicitVolume);
  const bool rectangular = rectangularRadio_->isChecked();
  portHeightEdit_->setEnabled(rectangular);
  portWidthEdit_->setEnabled(rectangular);
  portDiameterEdit_->setEnabled(!rectangular);
  tubeCountCombo_->setEnabled(!rectangular);
}

void CalculatorsWindow::RecomputePort() {
  if (building_) return;
  UpdatePortInputs();
  PortPage page;
  page.explicitVolume = explicitVolumeRadio_->isChecked();
  page.boxVolume = StdText(boxVolumeEdit_->text());
  page.boxWidth = StdText(boxWidthEdit_->text());
  page.boxHeight = StdText(boxHeightEdit_->text());
  page.boxDepth = StdText(boxDepthEdit_->text());
  page.damping = dampingSlider_->value();
  page.rectangular = rectangularRadio_->isChecked();
  page.portHeight = StdText(portHeightEdit_->text());
  page.portWidth = StdText(portWidthEdit_->text());
  page.portDiameter = StdText(portDiameterEdit_->text());
  page.tubes = tubeCountCombo_->currentIndex() + 1;
  page.portLength = StdText(portLengthEdit_->text());
  page.rearWallDistance = StdText(rearWallDistanceEdit_->text());
  page.floorDistance = StdText(floorDistanceEdit_->text());
  page.topDistance = StdText(topDistanceEdit_->text());
  page.leftWallDistance = StdText(leftWallDistanceEdit_->text());
  page.rightWallDistance = StdText(rightWallDistanceEdit_->text());
  SetListLines(portList_, PortLines(PortInputFromPage(page)));
}

// ---------------------------------------------------------------- crossover page

QWidget* CalculatorsWindow::BuildCrossoverPage() {
  auto* page = new QWidget(this);
  auto* inputs = new QHBoxLayout;
  auto addInput = [&](const char* label, const char* name, const char* text) {
    inputs->addWidget(new QLabel(QText(label), page));
    QLineEdit* e = NewEdit(name, text, page);
    inputs->addWidget(e);
    inputs->addSpacing(16);
    return e;
  };
  crossoverFreqEdit_ = addInput("Trennfrequenz [Hz]", "crossoverFreqEdit", "1000");
  wooferImpedanceEdit_ = addInput("Impedanz Tieftöner [Ohm]", "wooferImpedanceEdit", "8");
  tweeterImpedanceEdit_ = addInput("Impedanz Hochtöner [Ohm]", "tweeterImpedanceEdit", "8");
  inputs->addStretch();

  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(QText("<b>Tiefpass</b>"), page), 0, 1, 1, 2);
  grid->addWidget(new QLabel(QText("<b>Hochpass</b>"), page), 0, 3, 1, 2);
  static constexpr const char* kOrders[] = {"1. Ordnung", "2. Ordnung", "3. Ordnung", "4. Ordnung"};
  static constexpr const char* kLowPassMemos[] = {"lowPassMemo1", "lowPassMemo2", "lowPassMemo3", "lowPassMemo4"};
  static constexpr const char* kHighPassMemos[] = {"highPassMemo1", "highPassMemo2", "highPassMemo3", "highPassMemo4"};
  for (int n = 0; n < 4; ++n) {
    grid->addWidget(new QLabel(QText(kOrders[n]), page), n + 1, 0, Qt::AlignTop);
    grid->addWidget(new CircuitPicture(static_cast<CircuitPicture::PictureKind>(CircuitPicture::LowPass1 + n), page),
                    n + 1, 1, Qt::AlignTop);
    // heading and elements; orders 2 and 4 give two designs each
    static constexpr int kLines[] = {2, 6, 4, 6};
    const int lines = kLines[n];
    auto* lowPassMemo = NewMemo(kLowPassMemos[n], page, lines);
    auto* highPassMemo = NewMemo(kHighPassMemos[n], page, lines);
    lowPassMemos_[static_cast<std::size_t>(n)] = lowPassMemo;
    highPassMemos_[static_cast<std::size_t>(n)] = highPassMemo;
    grid->addWidget(lowPassMemo, n + 1, 2);
    grid->addWidget(new CircuitPicture(static_cast<CircuitPicture::PictureKind>(CircuitPicture::HighPass1 + n), page),
                    n + 1, 3, Qt::AlignTop);
    grid->addWidget(highPassMemo, n + 1, 4);
  }
  grid->setColumnStretch(2, 1);
  grid->setColumnStretch(4, 1);
  auto* main = new QVBoxLayout(page);
  main->addLayout(inputs);
  main->addLayout(grid, 1);
  for (QLineEdit* e : {crossoverFreqEdit_, wooferImpedanceEdit_, tweeterImpedanceEdit_})
    connect(e, &QLineEdit::textChanged, this, [this] { RecomputeCrossovers(); });
  return page;
}

void CalculatorsWindow::RecomputeCrossovers() {
  if (building_) return;
  CrossoverPage page;
  page.crossoverFreq = StdText(crossoverFreqEdit_->text());
  page.wooferImpedance = StdText(wooferImpedanceEdit_->text());
  page.tweeterImpedance = StdText(tweeterImpedanceEdit_->text());
  const StandardCrossoverLines x = CrossoverPageLines(page);
  for (std::size_t n = 0; n < 4; ++n) {
    SetMemoLines(lowPassMemos_[n], x.lowPass[n]);
    SetMemoLines(highPassMemos_[n], x.highPass[n]);
  }
}

// ---------------------------------------------------------------- divider page

QWidget* CalculatorsWindow::BuildDividerPage() {
  auto* page = new QWidget(this);
  auto* attenuationGroup = new QGroupBox(QText("Spannungsteiler mit Vorgabe der Absenkung"), page);
  auto* attenuationForm = new QFormLayout;
  auto* attenuationCombo = new QComboBox(attenuationGroup);
  attenuationCombo->setObjectName("desiredAttenuationCombo");
  desiredAttenuationCombo_ = attenuationCombo;
  attenuationCombo->setEditable(true);
  for (const std::string& item : AttenuationItems()) attenuationCombo->addItem(QText(item));
  attenuationCombo->setCurrentIndex(-1);
  attenuationForm->addRow(QText("Gewünschte Pegelabsenkung [dB]"), attenuationCombo);
  auto* ze = Keep(inputImpedanceEdit_, NewEdit("inputImpedanceEdit", "8", attenuationGroup));
  ze->setEnabled(false);
  attenuationForm->addRow(QText("Gewünschte Anschlussimpedanz [Ohm]"), ze);
  auto* impedanceDoesNotMatterBox = new QCheckBox(QText("Anschlussimpedanz egal"), attenuationGroup);
  impedanceDoesNotMatterBox->setObjectName("impedanceDoesNotMatterCheck");
  impedanceDoesNotMatterCheck_ = impedanceDoesNotMatterBox;
  impedanceDoesNotMatterBox->setChecked(true);
  attenuationForm->addRow(impedanceDoesNotMatterBox);
  attenuationForm->addRow(QText("Lastimpedanz des Lautsprechers RL [Ohm]"),
                          Keep(loadImpedanceEdit_, NewEdit("loadImpedanceEdit", "8", attenuationGroup)));
  auto* attenuationRow = new QHBoxLayout(attenuationGroup);
  auto* attenuationInputs = new QVBoxLayout;
  attenuationInputs->addLayout(attenuationForm);
  attenuationInputs->addWidget(new CircuitPicture(CircuitPicture::LPad, attenuationGroup));
  attenuationInputs->addStretch();
  attenuationRow->addLayout(attenuationInputs);
  attenuationRow->addWidget(Keep(attenuatorMemo_, NewMemo("attenuatorMemo", attenuationGroup, 8)), 1);

  auto* values = new QGroupBox(QText("Spannungsteiler mit Vorgabe der Bauteilwerte"), page);
  auto* valuesForm = new QFormLayout;
  valuesForm->addRow(QText("R1 [Ohm]"), Keep(r1Edit_, NewEdit("r1Edit", "8", values)));
  valuesForm->addRow(QText("R2 [Ohm]"), Keep(r2Edit_, NewEdit("r2Edit", "6,8", values)));
  valuesForm->addRow(QText("RL [Ohm]"), Keep(rlEdit_, NewEdit("rlEdit", "8", values)));
  auto* valuesRow = new QHBoxLayout(values);
  auto* valuesInputs = new QVBoxLayout;
  valuesInputs->addLayout(valuesForm);
  valuesInputs->addWidget(new CircuitPicture(CircuitPicture::LPad, values));
  valuesInputs->addStretch();
  valuesRow->addLayout(valuesInputs);
  valuesRow->addWidget(Keep(dividerMemo_, NewMemo("dividerMemo", values, 2)), 1);

  auto* main = new QVBoxLayout(page);
  main->addWidget(attenuationGroup, 3);
  main->addWidget(values, 1);

  connect(attenuationCombo, &QComboBox::currentTextChanged, this, [this] { RecomputeAttenuator(); });
  for (QLineEdit* e : {inputImpedanceEdit_, loadImpedanceEdit_})
    connect(e, &QLineEdit::textChanged, this, [this] { RecomputeAttenuator(); });
  connect(impedanceDoesNotMatterBox, &QCheckBox::clicked, this, [this] { ImpedanceDoesNotMatterClicked(); });
  for (QLineEdit* e : {r1Edit_, r2Edit_, rlEdit_})
    connect(e, &QLineEdit::textChanged, this, [this] { RecomputeDivider(); });
  return page;
}

void CalculatorsWindow::ImpedanceDoesNotMatterClicked() {
  RecomputeAttenuator();
  inputImpedanceEdit_->setEnabled(!impedanceDoesNotMatterCheck_->isChecked());
}

void CalculatorsWindow::RecomputeAttenuator() {
  if (building_) return;
  DividerPage page;
  page.desiredAttenuation = StdText(desiredAttenuationCombo_->currentText());
  page.inputImpedance = StdText(inputImpedanceEdit_->text());
  page.loadImpedance = StdText(loadImpedanceEdit_->text());
  page.impedanceDoesNotMatter = impedanceDoesNotMatterCheck_->isChecked();
  SetMemoLines(attenuatorMemo_, AttenuatorPageLines(page));
}

void CalculatorsWindow::RecomputeDivider() {
  if (building_) return;
  DividerPage page;
  page.r1 = StdText(r1Edit_->text());
  page.r2 = StdText(r2Edit_->text());
  page.rl = StdText(rlEdit_->text());
  SetMemoLines(dividerMemo_, DividerPageLines(page));
}

// ---------------------------------------------------------------- impedance correction page

QWidget* CalculatorsWindow::BuildZCorrectionPage() {
  auto* page = new QWidget(this);
  auto* data = new QGroupBox(QText("Chassisdaten"), page);
  auto* form = new QFormLayout(data);
  form->addRow(QText("Rdc [Ohm]"), Keep(correctionRdcEdit_, NewEdit("correctionRdcEdit", "6,8", data)));
  form->addRow(QText("fc [Hz]"), Keep(correctionFcEdit_, NewEdit("correctionFcEdit", "66", data)));
  form->addRow(QText("Qes"), Keep(correctionQesEdit_, NewEdit("correctionQesEdit", "0,4", data)));
  form->addRow(QText("Qms"), Keep(correctionQmsEdit_, NewEdit("correctionQmsEdit", "2,8", data)));
  form->addRow(QText("Le [mH]"), Keep(correctionLeEdit_, NewEdit("correctionLeEdit", "0,8", data)));
  form->addRow(new QLabel(QText("fc: Resonanzfrequenz des eingebauten\nChassis, wo zutreffend"), data));

  auto group = [&](const char* caption, const char* memo, int lines, CircuitPicture::PictureKind kind,
                   QPlainTextEdit*& memoField) {
    auto* g = new QGroupBox(QText(caption), page);
    auto* l = new QHBoxLayout(g);
    l->addWidget(new CircuitPicture(kind, g), 0, Qt::AlignTop);
    memoField = NewMemo(memo, g, lines);
    l->addWidget(memoField, 1);
    return g;
  };
  auto* right = new QVBoxLayout;
  right->addWidget(group("Impedanzkorrektur für Grundresonanz", "resonanceCorrectionMemo", 3,
                         CircuitPicture::ResonanceTrap, resonanceCorrectionMemo_));
  right->addWidget(group("Impedanzkorrektur für Schwingspuleninduktivität", "inductanceCorrectionMemo", 2,
                         CircuitPicture::Zobel, inductanceCorrectionMemo_));
  right->addWidget(group("Impedanzkorrektur für Grundresonanz und Schwingspuleninduktivität", "bothCorrectionsMemo", 5,
                         CircuitPicture::BothCorrections, bothCorrectionsMemo_));
  auto* row = new QHBoxLayout(page);
  auto* left = new QVBoxLayout;
  left->addWidget(data);
  left->addStretch();
  row->addLayout(left);
  row->addLayout(right, 1);
  for (QLineEdit* e :
       {correctionRdcEdit_, correctionFcEdit_, correctionQesEdit_, correctionQmsEdit_, correctionLeEdit_})
    connect(e, &QLineEdit::textChanged, this, [this] { RecomputeZCorrection(); });
  return page;
}

void CalculatorsWindow::RecomputeZCorrection() {
  if (building_) return;
  ZobelPage page;
  page.rdc = StdText(correctionRdcEdit_->text());
  page.fc = StdText(correctionFcEdit_->text());
  page.qes = StdText(correctionQesEdit_->text());
  page.qms = StdText(correctionQmsEdit_->text());
  page.le = StdText(correctionLeEdit_->text());
  const ImpedanceCorrectionLines z = ZobelPageLines(page);
  SetMemoLines(resonanceCorrectionMemo_, z.resonance);
  SetMemoLines(inductanceCorrectionMemo_, z.inductance);
  SetMemoLines(bothCorrectionsMemo_, z.both);
}

// ---------------------------------------------------------------- pages and controls

void CalculatorsWindow::PageEntered(int page) {
  if (page == PageBox) RecomputeBox();
  if (page == PagePort) RecomputePort();
  if (page == PageZCorrection) RecomputeZCorrection();
}

void CalculatorsWindow::ShowPage(int page) {
  if (page < 0 || page >= kPageCount) return;
  if (pages_->currentIndex() == page)
    PageEntered(page);
  else
    pages_->setCurrentIndex(page);
  show();
  raise();
  activateWindow();
}

int CalculatorsWindow::CurrentPage() const { return pages_->currentIndex(); }

}  // namespace sonvex
