#include "ui/dialogs/calc_utils_form.h"

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

void SetListLines(QListWidget* list, const TResultLines& lines) {
  list->clear();
  for (const std::string& line : lines) list->addItem(QText(line));
}

void SetMemoLines(QPlainTextEdit* memo, const TResultLines& lines) {
  QStringList text;
  for (const std::string& line : lines) text << QText(line);
  memo->setPlainText(text.join(QLatin1Char('\n')));
}

}  // namespace

TFormCalcUtils::TFormCalcUtils(const TSettings& settings, TInteraction& ui, QWidget* parent)
    : QWidget(parent, Qt::Window), settings_(settings), ui_(ui) {
  setWindowTitle(QText("SONVEX - Hilfsberechnungen"));
  pages_ = new QTabWidget(this);
  // A tab bar wider than the window gets arrows; each page scrolls on its own.
  pages_->setUsesScrollButtons(true);
  pages_->addTab(ScrollingPage(BuildBoxPage(), "TS_CBBR"), QText("Gehäuse geschlossen/Bassreflex"));
  pages_->addTab(ScrollingPage(BuildPortPage(), "TS_Port"), QText("Bassreflexkanal"));
  pages_->addTab(ScrollingPage(BuildCrossoverPage(), "TS_Weichen"), QText("Standardweichen"));
  pages_->addTab(ScrollingPage(BuildDividerPage(), "TS_Teiler"), QText("Spannungsteiler"));
  pages_->addTab(ScrollingPage(BuildZCorrectionPage(), "TS_RC"), QText("Impedanzkorrekturglieder"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pages_);
  connect(pages_, &QTabWidget::currentChanged, this, [this](int page) { PageEntered(page); });

  // Creation order of the pages' first results.
  building_ = false;
  UpdateBoxInputs();
  RecomputeCrossovers();
  Combo("CB_nRohre")->setCurrentIndex(0);
  Combo("CB_dBWunsch")->setCurrentIndex(kDefaultAttenuationItem);
  RecomputeAttenuator();
  Edit("EditR1")->setText(QText("2,2"));  // its change computes the divider
  RecomputePort();
  RecomputeZCorrection();
  resize(1120, 720);
}

void TFormCalcUtils::showEvent(QShowEvent* e) {
  // The first showing fits the window onto the screen (beside the main
  // window where there is room); later it stays where the user left it.
  if (!placed_) {
    placed_ = true;
    PlaceWindowBeside(this, parentWidget());
  }
  QWidget::showEvent(e);
}

void TFormCalcUtils::keyPressEvent(QKeyEvent* e) {
  if (e->matches(QKeySequence::Cancel)) {
    close();
    return;
  }
  QWidget::keyPressEvent(e);
}

// ---------------------------------------------------------------- box page

QWidget* TFormCalcUtils::BuildBoxPage() {
  auto* page = new QWidget(this);
  auto* data = new QGroupBox(QText("Chassisdaten"), page);
  auto* form = new QFormLayout(data);
  form->addRow(QText("fs [Hz]"), NewEdit("Editfs", "35", data));
  form->addRow(QText("Qts"), NewEdit("EditQts", "0,4", data));
  auto* qesms = new QCheckBox(QText("Qes und Qms sind bekannt"), data);
  qesms->setObjectName("CheckBoxQesmsda");
  form->addRow(qesms);
  form->addRow(QText("Qes"), NewEdit("EditQes", "0,5", data));
  form->addRow(QText("Qms"), NewEdit("EditQms", "2", data));
  form->addRow(QText("Vas [Liter]"), NewEdit("EditVas", "80", data));
  auto* rv = new QCheckBox(QText("Vorwiderstand berücksichtigen"), data);
  rv->setObjectName("CheckBoxRv");
  form->addRow(rv);
  form->addRow(QText("Rdc [Ohm]"), NewEdit("EditRdc", "6", data));
  form->addRow(QText("Rv [Ohm]"), NewEdit("EditRv", "1,0", data));
  button2_ = new QPushButton(QText("Daten aus Chassisdatei laden ..."), data);
  button2_->setObjectName("Button2");
  form->addRow(button2_);

  auto* closed = new QGroupBox(QText("Auslegung geschlossene Box"), page);
  auto* closedForm = new QFormLayout(closed);
  closedForm->addRow(QText("Gewünschte Güte Qtc"), NewEdit("EditQtcWunsch", "0,7", closed));
  closedForm->addRow(NewListBox("ListBox2", closed, 3));

  auto* vented = new QGroupBox(QText("Auslegung Baßreflexbox (nach Hoge)"), page);
  auto* ventedForm = new QFormLayout(vented);
  ventedForm->addRow(NewListBox("ListBox1", vented, 3));
  ventedForm->addRow(QText("Alternatives Volumen [Liter]"), NewEdit("EditAltVab", "", vented));
  ventedForm->addRow(NewListBox("ListBox3", vented, 3));

  auto* right = new QVBoxLayout;
  right->addWidget(closed);
  right->addWidget(vented);
  auto* row = new QHBoxLayout(page);
  row->addWidget(data);
  row->addLayout(right, 1);

  for (const char* name : {"Editfs", "EditQts", "EditVas", "EditRdc", "EditRv", "EditQtcWunsch"})
    connect(Edit(name), &QLineEdit::textChanged, this, [this] { RecomputeBox(); });
  for (const char* name : {"EditQes", "EditQms"})
    connect(Edit(name), &QLineEdit::textChanged, this, [this] { QesQmsChanged(); });
  connect(Edit("EditAltVab"), &QLineEdit::textChanged, this, [this] { RecomputeAltVolume(); });
  connect(qesms, &QCheckBox::toggled, this, [this] {
    UpdateBoxInputs();
    QesQmsChanged();
  });
  connect(rv, &QCheckBox::toggled, this, [this] {
    UpdateBoxInputs();
    RecomputeBox();
  });
  connect(button2_, &QPushButton::clicked, this, [this] { LoadChassisClick(); });
  return page;
}

// Qes and Qms are inputs only when they are known (Qts then follows from
// them). Rdc and Rv stay inputs whether the series resistance is ticked or
// not: a box cleared for want of Rdc must leave Rdc open to be corrected.
void TFormCalcUtils::UpdateBoxInputs() {
  const bool known = CheckBox("CheckBoxQesmsda")->isChecked();
  Edit("EditQts")->setEnabled(!known);
  Edit("EditQes")->setEnabled(known);
  Edit("EditQms")->setEnabled(known);
}

void TFormCalcUtils::QesQmsChanged() {
  if (CheckBox("CheckBoxQesmsda")->isChecked()) {
    const std::string qts = QtsFromQesQmsText(StrToDoubleLenient(StdText(Edit("EditQes")->text())),
                                              StrToDoubleLenient(StdText(Edit("EditQms")->text())));
    if (Edit("EditQts")->text() != QText(qts)) {
      Edit("EditQts")->setText(QText(qts));  // recomputes the page
      return;
    }
  }
  RecomputeBox();
}

void TFormCalcUtils::RecomputeBox() {
  if (building_) return;
  TBoxPage page;
  page.fs = StdText(Edit("Editfs")->text());
  page.qts = StdText(Edit("EditQts")->text());
  page.qes = StdText(Edit("EditQes")->text());
  page.qms = StdText(Edit("EditQms")->text());
  page.vas = StdText(Edit("EditVas")->text());
  page.rdc = StdText(Edit("EditRdc")->text());
  page.rv = StdText(Edit("EditRv")->text());
  page.qtcWunsch = StdText(Edit("EditQtcWunsch")->text());
  page.qesQmsKnown = CheckBox("CheckBoxQesmsda")->isChecked();
  page.useRv = CheckBox("CheckBoxRv")->isChecked();
  const TBoxPageResult r = BoxPageLines(page);
  if (r.clearRv) {
    const QSignalBlocker block(CheckBox("CheckBoxRv"));
    CheckBox("CheckBoxRv")->setChecked(false);
    UpdateBoxInputs();
  }
  SetListLines(findChild<QListWidget*>("ListBox2"), r.closed);
  SetListLines(findChild<QListWidget*>("ListBox1"), r.vented);
  findChild<QListWidget*>("ListBox3")->clear();
}

void TFormCalcUtils::RecomputeAltVolume() {
  TBoxPage page;
  page.fs = StdText(Edit("Editfs")->text());
  page.qts = StdText(Edit("EditQts")->text());
  page.vas = StdText(Edit("EditVas")->text());
  page.rdc = StdText(Edit("EditRdc")->text());
  page.rv = StdText(Edit("EditRv")->text());
  page.altVab = StdText(Edit("EditAltVab")->text());
  page.useRv = CheckBox("CheckBoxRv")->isChecked();
  SetListLines(findChild<QListWidget*>("ListBox3"), AltVolumePageLines(page));
}

void TFormCalcUtils::LoadChassisClick() {
  const auto file = ui_.PickOpenFile("Chassisdatei laden", kChassisFilter, settings_.chassisFolder);
  std::error_code ec;
  if (!file || !std::filesystem::exists(*file, ec)) return;
  TChassis c;
  try {
    if (!LoadChassisFile(c, *file, ui_)) return;
  } catch (const TFileError& e) {
    ui_.ShowMessage(e.what());
    return;
  }
  CheckBox("CheckBoxQesmsda")->setChecked(true);
  Edit("Editfs")->setText(QText(FormatNumber(c.fs, 6)));
  Edit("EditQes")->setText(QText(FormatNumber(c.Qes, 6)));
  Edit("EditQms")->setText(QText(FormatNumber(c.Qms, 6)));
  Edit("EditVas")->setText(QText(FormatNumber(c.Vas * 1000.0, 6)));
  Edit("EditRdc")->setText(QText(FormatNumber(c.Re, 6)));
  ui_.ShowMessage("Daten von " + c.Name.Str() + " wurden geladen.");
}

// ---------------------------------------------------------------- port page

QWidget* TFormCalcUtils::BuildPortPage() {
  auto* page = new QWidget(this);
  auto* note = new QLabel(QText("Achtung: Alle Maße auf dieser Seite sind Innenmaße!"), page);
  note->setStyleSheet("color: #a00000; font-weight: bold;");

  auto* volume = new QGroupBox(QText("Gehäusevolumen"), page);
  auto* vg = new QGridLayout(volume);
  auto* rbExpl = new QRadioButton(QText("Volumen incl. Kanal [Liter]"), volume);
  rbExpl->setObjectName("RBVexpl");
  rbExpl->setChecked(true);
  auto* rbBht = new QRadioButton(QText("über BxHxT [cm]"), volume);
  rbBht->setObjectName("RB_Vbht");
  vg->addWidget(rbExpl, 0, 0);
  vg->addWidget(NewEdit("EditVb0", "50", volume), 0, 1);
  vg->addWidget(rbBht, 1, 0);
  auto* bht = new QHBoxLayout;
  bht->addWidget(new QLabel(QText("b"), volume));
  bht->addWidget(NewEdit("Editb", "20", volume));
  bht->addWidget(new QLabel(QText("h"), volume));
  bht->addWidget(NewEdit("Edith", "98", volume));
  bht->addWidget(new QLabel(QText("t"), volume));
  bht->addWidget(NewEdit("Editt", "23", volume));
  vg->addLayout(bht, 1, 1);
  vg->addWidget(new QLabel(QText("Bedämpfung"), volume), 2, 0);
  trackBarc_ = new QSlider(Qt::Horizontal, volume);
  trackBarc_->setObjectName("TrackBarc");
  trackBarc_->setRange(0, 4);
  trackBarc_->setPageStep(1);
  trackBarc_->setTickPosition(QSlider::TicksBelow);
  trackBarc_->setTickInterval(1);
  vg->addWidget(trackBarc_, 2, 1);
  auto* damping = new QHBoxLayout;
  damping->addWidget(new QLabel(QText("keine Wolle"), volume));
  damping->addStretch();
  damping->addWidget(new QLabel(QText("locker gefüllt"), volume));
  damping->addStretch();
  damping->addWidget(new QLabel(QText("stark gestopft"), volume));
  vg->addLayout(damping, 3, 1);

  auto* port = new QGroupBox(QText("Reflexkanal"), page);
  auto* pg = new QGridLayout(port);
  auto* rbRect = new QRadioButton(QText("rechteckig"), port);
  rbRect->setObjectName("RB_rechteckig");
  rbRect->setChecked(true);
  auto* rbRound = new QRadioButton(QText("rund"), port);
  rbRound->setObjectName("RB_Rund");
  pg->addWidget(rbRect, 0, 0);
  auto* ce = new QHBoxLayout;
  ce->addWidget(new QLabel(QText("Höhe c"), port));
  ce->addWidget(NewEdit("Editc", "8", port));
  ce->addWidget(new QLabel(QText("Breite e"), port));
  ce->addWidget(NewEdit("Edite", "20", port));
  pg->addLayout(ce, 0, 1);
  pg->addWidget(rbRound, 1, 0);
  auto* dn = new QHBoxLayout;
  dn->addWidget(new QLabel(QText("Durchmesser D"), port));
  dn->addWidget(NewEdit("EditD", "7", port));
  auto* tubes = new QComboBox(port);
  tubes->setObjectName("CB_nRohre");
  tubes->addItems(
      {QText("1 Baßreflexrohr"), QText("2 Baßreflexrohre"), QText("3 Baßreflexrohre"), QText("4 Baßreflexrohre")});
  dn->addWidget(tubes);
  pg->addLayout(dn, 1, 1);
  auto* measures = new QFormLayout;
  measures->addRow(QText("Kanallänge l"), NewEdit("Editl", "15", port));
  measures->addRow(QText("inneres Kanalende bis Rückwand g"), NewEdit("Editg", "10", port));
  measures->addRow(QText("Abstand zum Boden f"), NewEdit("Editf", "0", port));
  measures->addRow(QText("Abstand zur Decke k"), NewEdit("Editk", "90", port));
  measures->addRow(QText("Abstand zur linken Wand i"), NewEdit("Editi", "0", port));
  measures->addRow(QText("Abstand zur rechten Wand j"), NewEdit("Editj", "0", port));
  pg->addLayout(measures, 2, 0, 1, 2);
  pg->addWidget(new QLabel(QText("Alle Längen in cm."), port), 3, 0, 1, 2);

  auto* left = new QVBoxLayout;
  left->addWidget(volume);
  left->addWidget(port);
  left->addStretch();
  auto* right = new QVBoxLayout;
  auto* sketch = new TCircuitPicture(TCircuitPicture::Port, page);
  right->addWidget(sketch);
  right->addWidget(NewListBox("ListBox5", page, 6), 1);
  auto* row = new QHBoxLayout;
  row->addLayout(left);
  row->addLayout(right, 1);
  auto* main = new QVBoxLayout(page);
  main->addWidget(note);
  main->addLayout(row, 1);

  for (const char* name : {"EditVb0", "Editb", "Edith", "Editt", "Editc", "Edite", "EditD", "Editl", "Editg", "Editf",
                           "Editk", "Editi", "Editj"})
    connect(Edit(name), &QLineEdit::textChanged, this, [this] { RecomputePort(); });
  for (QRadioButton* rb : {rbExpl, rbBht, rbRect, rbRound})
    connect(rb, &QRadioButton::toggled, this, [this](bool on) {
      if (on) RecomputePort();
    });
  connect(trackBarc_, &QSlider::valueChanged, this, [this] { RecomputePort(); });
  connect(tubes, &QComboBox::currentIndexChanged, this, [this] { RecomputePort(); });
  return page;
}

// Only the fields of the chosen volume mode and port shape are inputs.
void TFormCalcUtils::UpdatePortInputs() {
  const bool explicitVolume = Radio("RBVexpl")->isChecked();
  Edit("EditVb0")->setEnabled(explicitVolume);
  for (const char* name : {"Editb", "Edith", "Editt"}) Edit(name)->setEnabled(!explicitVolume);
  const bool rectangular = Radio("RB_rechteckig")->isChecked();
  Edit("Editc")->setEnabled(rectangular);
  Edit("Edite")->setEnabled(rectangular);
  Edit("EditD")->setEnabled(!rectangular);
  Combo("CB_nRohre")->setEnabled(!rectangular);
}

void TFormCalcUtils::RecomputePort() {
  if (building_) return;
  UpdatePortInputs();
  TPortPage page;
  page.explicitVolume = Radio("RBVexpl")->isChecked();
  page.vb0 = StdText(Edit("EditVb0")->text());
  page.b = StdText(Edit("Editb")->text());
  page.h = StdText(Edit("Edith")->text());
  page.t = StdText(Edit("Editt")->text());
  page.damping = trackBarc_->value();
  page.rectangular = Radio("RB_rechteckig")->isChecked();
  page.c = StdText(Edit("Editc")->text());
  page.e = StdText(Edit("Edite")->text());
  page.d = StdText(Edit("EditD")->text());
  page.tubes = Combo("CB_nRohre")->currentIndex() + 1;
  page.l = StdText(Edit("Editl")->text());
  page.g = StdText(Edit("Editg")->text());
  page.f = StdText(Edit("Editf")->text());
  page.k = StdText(Edit("Editk")->text());
  page.i = StdText(Edit("Editi")->text());
  page.j = StdText(Edit("Editj")->text());
  SetListLines(findChild<QListWidget*>("ListBox5"), PortLines(PortInputFromPage(page)));
}

// ---------------------------------------------------------------- crossover page

QWidget* TFormCalcUtils::BuildCrossoverPage() {
  auto* page = new QWidget(this);
  auto* inputs = new QHBoxLayout;
  auto addInput = [&](const char* label, const char* name, const char* text) {
    inputs->addWidget(new QLabel(QText(label), page));
    inputs->addWidget(NewEdit(name, text, page));
    inputs->addSpacing(16);
  };
  addInput("Trennfrequenz [Hz]", "EditTF", "1000");
  addInput("Impedanz Tieftöner [Ohm]", "EditITT", "8");
  addInput("Impedanz Hochtöner [Ohm]", "EditIHT", "8");
  inputs->addStretch();

  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(QText("<b>Tiefpass</b>"), page), 0, 1, 1, 2);
  grid->addWidget(new QLabel(QText("<b>Hochpass</b>"), page), 0, 3, 1, 2);
  static constexpr const char* kOrders[] = {"1. Ordnung", "2. Ordnung", "3. Ordnung", "4. Ordnung"};
  static constexpr const char* kTP[] = {"MemoTP1", "MemoTP2", "MemoTP3", "MemoTP4"};
  static constexpr const char* kHP[] = {"MemoHP1", "MemoHP2", "MemoHP3", "MemoHP4"};
  for (int n = 0; n < 4; ++n) {
    grid->addWidget(new QLabel(QText(kOrders[n]), page), n + 1, 0, Qt::AlignTop);
    grid->addWidget(new TCircuitPicture(static_cast<TCircuitPicture::TKind>(TCircuitPicture::LowPass1 + n), page),
                    n + 1, 1, Qt::AlignTop);
    // heading and elements; orders 2 and 4 give two designs each
    static constexpr int kLines[] = {2, 6, 4, 6};
    const int lines = kLines[n];
    auto* tp = NewMemo(kTP[n], page, lines);
    auto* hp = NewMemo(kHP[n], page, lines);
    grid->addWidget(tp, n + 1, 2);
    grid->addWidget(new TCircuitPicture(static_cast<TCircuitPicture::TKind>(TCircuitPicture::HighPass1 + n), page),
                    n + 1, 3, Qt::AlignTop);
    grid->addWidget(hp, n + 1, 4);
  }
  grid->setColumnStretch(2, 1);
  grid->setColumnStretch(4, 1);
  auto* main = new QVBoxLayout(page);
  main->addLayout(inputs);
  main->addLayout(grid, 1);
  for (const char* name : {"EditTF", "EditITT", "EditIHT"})
    connect(Edit(name), &QLineEdit::textChanged, this, [this] { RecomputeCrossovers(); });
  return page;
}

void TFormCalcUtils::RecomputeCrossovers() {
  if (building_) return;
  TCrossoverPage page;
  page.tf = StdText(Edit("EditTF")->text());
  page.itt = StdText(Edit("EditITT")->text());
  page.iht = StdText(Edit("EditIHT")->text());
  const TStandardCrossovers x = CrossoverPageLines(page);
  static constexpr const char* kTP[] = {"MemoTP1", "MemoTP2", "MemoTP3", "MemoTP4"};
  static constexpr const char* kHP[] = {"MemoHP1", "MemoHP2", "MemoHP3", "MemoHP4"};
  for (std::size_t n = 0; n < 4; ++n) {
    SetMemoLines(findChild<QPlainTextEdit*>(kTP[n]), x.lowPass[n]);
    SetMemoLines(findChild<QPlainTextEdit*>(kHP[n]), x.highPass[n]);
  }
}

// ---------------------------------------------------------------- divider page

QWidget* TFormCalcUtils::BuildDividerPage() {
  auto* page = new QWidget(this);
  auto* wish = new QGroupBox(QText("Spannungsteiler mit Vorgabe der Absenkung"), page);
  auto* wf = new QFormLayout;
  auto* db = new QComboBox(wish);
  db->setObjectName("CB_dBWunsch");
  db->setEditable(true);
  for (const std::string& item : AttenuationItems()) db->addItem(QText(item));
  db->setCurrentIndex(-1);
  wf->addRow(QText("Gewünschte Pegelabsenkung [dB]"), db);
  auto* ze = NewEdit("EditZE", "8", wish);
  ze->setEnabled(false);
  wf->addRow(QText("Gewünschte Anschlussimpedanz [Ohm]"), ze);
  auto* egal = new QCheckBox(QText("Anschlussimpedanz egal"), wish);
  egal->setObjectName("CB_ZEegal");
  egal->setChecked(true);
  wf->addRow(egal);
  wf->addRow(QText("Lastimpedanz des Lautsprechers RL [Ohm]"), NewEdit("EditZA", "8", wish));
  auto* wl = new QHBoxLayout(wish);
  auto* wleft = new QVBoxLayout;
  wleft->addLayout(wf);
  wleft->addWidget(new TCircuitPicture(TCircuitPicture::LPad, wish));
  wleft->addStretch();
  wl->addLayout(wleft);
  wl->addWidget(NewMemo("Memo2", wish, 8), 1);

  auto* values = new QGroupBox(QText("Spannungsteiler mit Vorgabe der Bauteilwerte"), page);
  auto* vf = new QFormLayout;
  vf->addRow(QText("R1 [Ohm]"), NewEdit("EditR1", "8", values));
  vf->addRow(QText("R2 [Ohm]"), NewEdit("EditR2", "6,8", values));
  vf->addRow(QText("RL [Ohm]"), NewEdit("EditRL", "8", values));
  auto* vl = new QHBoxLayout(values);
  auto* vleft = new QVBoxLayout;
  vleft->addLayout(vf);
  vleft->addWidget(new TCircuitPicture(TCircuitPicture::LPad, values));
  vleft->addStretch();
  vl->addLayout(vleft);
  vl->addWidget(NewMemo("Memo3", values, 2), 1);

  auto* main = new QVBoxLayout(page);
  main->addWidget(wish, 3);
  main->addWidget(values, 1);

  connect(db, &QComboBox::currentTextChanged, this, [this] { RecomputeAttenuator(); });
  for (const char* name : {"EditZE", "EditZA"})
    connect(Edit(name), &QLineEdit::textChanged, this, [this] { RecomputeAttenuator(); });
  connect(egal, &QCheckBox::clicked, this, [this] { ZEegalClicked(); });
  for (const char* name : {"EditR1", "EditR2", "EditRL"})
    connect(Edit(name), &QLineEdit::textChanged, this, [this] { RecomputeDivider(); });
  return page;
}

void TFormCalcUtils::ZEegalClicked() {
  RecomputeAttenuator();
  Edit("EditZE")->setEnabled(!CheckBox("CB_ZEegal")->isChecked());
}

void TFormCalcUtils::RecomputeAttenuator() {
  if (building_) return;
  TDividerPage page;
  page.dbWunsch = StdText(Combo("CB_dBWunsch")->currentText());
  page.ze = StdText(Edit("EditZE")->text());
  page.za = StdText(Edit("EditZA")->text());
  page.zeEgal = CheckBox("CB_ZEegal")->isChecked();
  SetMemoLines(findChild<QPlainTextEdit*>("Memo2"), AttenuatorPageLines(page));
}

void TFormCalcUtils::RecomputeDivider() {
  if (building_) return;
  TDividerPage page;
  page.r1 = StdText(Edit("EditR1")->text());
  page.r2 = StdText(Edit("EditR2")->text());
  page.rl = StdText(Edit("EditRL")->text());
  SetMemoLines(findChild<QPlainTextEdit*>("Memo3"), DividerPageLines(page));
}

// ---------------------------------------------------------------- impedance correction page

QWidget* TFormCalcUtils::BuildZCorrectionPage() {
  auto* page = new QWidget(this);
  auto* data = new QGroupBox(QText("Chassisdaten"), page);
  auto* form = new QFormLayout(data);
  form->addRow(QText("Rdc [Ohm]"), NewEdit("EditRLC_Rdc", "6,8", data));
  form->addRow(QText("fc [Hz]"), NewEdit("EditRLC_fc", "66", data));
  form->addRow(QText("Qes"), NewEdit("EditRLC_Qes", "0,4", data));
  form->addRow(QText("Qms"), NewEdit("EditRLC_Qms", "2,8", data));
  form->addRow(QText("Le [mH]"), NewEdit("EditRLC_Le", "0,8", data));
  form->addRow(new QLabel(QText("fc: Resonanzfrequenz des eingebauten\nChassis, wo zutreffend"), data));

  auto group = [&](const char* caption, const char* memo, int lines, TCircuitPicture::TKind kind) {
    auto* g = new QGroupBox(QText(caption), page);
    auto* l = new QHBoxLayout(g);
    l->addWidget(new TCircuitPicture(kind, g), 0, Qt::AlignTop);
    l->addWidget(NewMemo(memo, g, lines), 1);
    return g;
  };
  auto* right = new QVBoxLayout;
  right->addWidget(group("Impedanzkorrektur für Grundresonanz", "Memo5", 3, TCircuitPicture::ResonanceTrap));
  right->addWidget(group("Impedanzkorrektur für Schwingspuleninduktivität", "Memo4", 2, TCircuitPicture::Zobel));
  right->addWidget(group("Impedanzkorrektur für Grundresonanz und Schwingspuleninduktivität", "Memo6", 5,
                         TCircuitPicture::BothCorrections));
  auto* row = new QHBoxLayout(page);
  auto* left = new QVBoxLayout;
  left->addWidget(data);
  left->addStretch();
  row->addLayout(left);
  row->addLayout(right, 1);
  for (const char* name : {"EditRLC_Rdc", "EditRLC_fc", "EditRLC_Qes", "EditRLC_Qms", "EditRLC_Le"})
    connect(Edit(name), &QLineEdit::textChanged, this, [this] { RecomputeZCorrection(); });
  return page;
}

void TFormCalcUtils::RecomputeZCorrection() {
  if (building_) return;
  TZobelPage page;
  page.rdc = StdText(Edit("EditRLC_Rdc")->text());
  page.fc = StdText(Edit("EditRLC_fc")->text());
  page.qes = StdText(Edit("EditRLC_Qes")->text());
  page.qms = StdText(Edit("EditRLC_Qms")->text());
  page.le = StdText(Edit("EditRLC_Le")->text());
  const TImpedanceCorrection z = ZobelPageLines(page);
  SetMemoLines(findChild<QPlainTextEdit*>("Memo5"), z.resonance);
  SetMemoLines(findChild<QPlainTextEdit*>("Memo4"), z.inductance);
  SetMemoLines(findChild<QPlainTextEdit*>("Memo6"), z.both);
}

// ---------------------------------------------------------------- pages and controls

void TFormCalcUtils::PageEntered(int page) {
  if (page == TS_CBBR) RecomputeBox();
  if (page == TS_Port) RecomputePort();
  if (page == TS_RC) RecomputeZCorrection();
}

void TFormCalcUtils::ShowPage(int page) {
  if (page < 0 || page >= kPageCount) return;
  if (pages_->currentIndex() == page)
    PageEntered(page);
  else
    pages_->setCurrentIndex(page);
  show();
  raise();
  activateWindow();
}

int TFormCalcUtils::CurrentPage() const { return pages_->currentIndex(); }

QLineEdit* TFormCalcUtils::Edit(const char* name) const { return findChild<QLineEdit*>(QString::fromLatin1(name)); }
QCheckBox* TFormCalcUtils::CheckBox(const char* name) const { return findChild<QCheckBox*>(QString::fromLatin1(name)); }
QRadioButton* TFormCalcUtils::Radio(const char* name) const {
  return findChild<QRadioButton*>(QString::fromLatin1(name));
}
QComboBox* TFormCalcUtils::Combo(const char* name) const { return findChild<QComboBox*>(QString::fromLatin1(name)); }

QStringList TFormCalcUtils::Lines(const char* name) const {
  QStringList lines;
  if (auto* list = findChild<QListWidget*>(QString::fromLatin1(name))) {
    for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
  } else if (auto* memo = findChild<QPlainTextEdit*>(QString::fromLatin1(name))) {
    const QString text = memo->toPlainText();
    if (!text.isEmpty()) lines = text.split(QLatin1Char('\n'));
  }
  return lines;
}

}  // namespace sonvex
