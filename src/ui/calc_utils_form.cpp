#include "ui/calc_utils_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTabWidget>
#include <QVBoxLayout>
#include <filesystem>

#include "calc/file_load.h"
#include "model/chassis_file.h"
#include "model/file_io.h"
#include "model/interaction.h"
#include "model/number_text.h"
#include "model/project.h"
#include "model/settings.h"
#include "tools/box_design.h"
#include "tools/crossover_design.h"
#include "ui/circuit_picture.h"
#include "ui/field_number.h"

namespace sonvex {

namespace {

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
std::string S(const QString& s) { return s.toStdString(); }

constexpr const char* kChassisFilter = "Sonvex Chassis (*.ZCH)|*.ZCH|Alle Dateien (*.*)|*.*";

QLineEdit* NewEdit(const char* name, const char* text, QWidget* parent) {
  auto* e = new QLineEdit(Q(text), parent);
  e->setObjectName(name);
  e->setMaximumWidth(90);
  WatchNumberField(e);
  return e;
}

QListWidget* NewListBox(const char* name, QWidget* parent) {
  auto* l = new QListWidget(parent);
  l->setObjectName(name);
  l->setSelectionMode(QAbstractItemView::NoSelection);
  l->setFocusPolicy(Qt::NoFocus);
  return l;
}

QPlainTextEdit* NewMemo(const char* name, QWidget* parent) {
  auto* m = new QPlainTextEdit(parent);
  m->setObjectName(name);
  m->setReadOnly(true);
  m->setLineWrapMode(QPlainTextEdit::NoWrap);
  m->setMinimumWidth(220);
  return m;
}

void SetListLines(QListWidget* list, const TResultLines& lines) {
  list->clear();
  for (const std::string& line : lines) list->addItem(Q(line));
}

void SetMemoLines(QPlainTextEdit* memo, const TResultLines& lines) {
  QStringList text;
  for (const std::string& line : lines) text << Q(line);
  memo->setPlainText(text.join(QLatin1Char('\n')));
}

}  // namespace

TFormCalcUtils::TFormCalcUtils(const TSettings& settings, TInteraction& ui, QWidget* parent)
    : QWidget(parent, Qt::Window), settings_(settings), ui_(ui) {
  setWindowTitle(Q("SONVEX - Hilfsberechnungen"));
  pages_ = new QTabWidget(this);
  pages_->addTab(BuildBoxPage(), Q("Gehäuse geschlossen/Bassreflex"));
  pages_->addTab(BuildPortPage(), Q("Bassreflexkanal"));
  pages_->addTab(BuildCrossoverPage(), Q("Standardweichen"));
  pages_->addTab(BuildDividerPage(), Q("Spannungsteiler"));
  pages_->addTab(BuildZCorrectionPage(), Q("Impedanzkorrekturglieder"));
  pages_->widget(TS_CBBR)->setObjectName("TS_CBBR");
  pages_->widget(TS_Port)->setObjectName("TS_Port");
  pages_->widget(TS_Weichen)->setObjectName("TS_Weichen");
  pages_->widget(TS_Teiler)->setObjectName("TS_Teiler");
  pages_->widget(TS_RC)->setObjectName("TS_RC");
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
  Edit("EditR1")->setText(Q("2,2"));  // its change computes the divider
  RecomputePort();
  RecomputeZCorrection();
  resize(1120, 720);
}

// ---------------------------------------------------------------- box page

QWidget* TFormCalcUtils::BuildBoxPage() {
  auto* page = new QWidget(this);
  auto* data = new QGroupBox(Q("Chassisdaten"), page);
  auto* form = new QFormLayout(data);
  form->addRow(Q("fs [Hz]"), NewEdit("Editfs", "35", data));
  form->addRow(Q("Qts"), NewEdit("EditQts", "0,4", data));
  auto* qesms = new QCheckBox(Q("Qes und Qms sind bekannt"), data);
  qesms->setObjectName("CheckBoxQesmsda");
  form->addRow(qesms);
  form->addRow(Q("Qes"), NewEdit("EditQes", "0,5", data));
  form->addRow(Q("Qms"), NewEdit("EditQms", "2", data));
  form->addRow(Q("Vas [Liter]"), NewEdit("EditVas", "80", data));
  auto* rv = new QCheckBox(Q("Vorwiderstand berücksichtigen"), data);
  rv->setObjectName("CheckBoxRv");
  form->addRow(rv);
  form->addRow(Q("Rdc [Ohm]"), NewEdit("EditRdc", "6", data));
  form->addRow(Q("Rv [Ohm]"), NewEdit("EditRv", "1,0", data));
  button2_ = new QPushButton(Q("Daten aus Chassisdatei laden ..."), data);
  button2_->setObjectName("Button2");
  form->addRow(button2_);

  auto* closed = new QGroupBox(Q("Auslegung geschlossene Box"), page);
  auto* closedForm = new QFormLayout(closed);
  closedForm->addRow(Q("Gewünschte Güte Qtc"), NewEdit("EditQtcWunsch", "0,7", closed));
  closedForm->addRow(NewListBox("ListBox2", closed));

  auto* vented = new QGroupBox(Q("Auslegung Baßreflexbox (nach Hoge)"), page);
  auto* ventedForm = new QFormLayout(vented);
  ventedForm->addRow(NewListBox("ListBox1", vented));
  ventedForm->addRow(Q("Alternatives Volumen [Liter]"), NewEdit("EditAltVab", "", vented));
  ventedForm->addRow(NewListBox("ListBox3", vented));

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
// them); Rdc and Rv only when the series resistance is taken into account.
void TFormCalcUtils::UpdateBoxInputs() {
  const bool known = CheckBox("CheckBoxQesmsda")->isChecked();
  Edit("EditQts")->setEnabled(!known);
  Edit("EditQes")->setEnabled(known);
  Edit("EditQms")->setEnabled(known);
  const bool rv = CheckBox("CheckBoxRv")->isChecked();
  Edit("EditRdc")->setEnabled(rv);
  Edit("EditRv")->setEnabled(rv);
}

void TFormCalcUtils::QesQmsChanged() {
  if (CheckBox("CheckBoxQesmsda")->isChecked()) {
    const std::string qts = QtsFromQesQmsText(StrToDoubleLenient(S(Edit("EditQes")->text())),
                                              StrToDoubleLenient(S(Edit("EditQms")->text())));
    if (Edit("EditQts")->text() != Q(qts)) {
      Edit("EditQts")->setText(Q(qts));  // recomputes the page
      return;
    }
  }
  RecomputeBox();
}

void TFormCalcUtils::RecomputeBox() {
  if (building_) return;
  TBoxPage page;
  page.fs = S(Edit("Editfs")->text());
  page.qts = S(Edit("EditQts")->text());
  page.qes = S(Edit("EditQes")->text());
  page.qms = S(Edit("EditQms")->text());
  page.vas = S(Edit("EditVas")->text());
  page.rdc = S(Edit("EditRdc")->text());
  page.rv = S(Edit("EditRv")->text());
  page.qtcWunsch = S(Edit("EditQtcWunsch")->text());
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
  page.fs = S(Edit("Editfs")->text());
  page.qts = S(Edit("EditQts")->text());
  page.vas = S(Edit("EditVas")->text());
  page.rdc = S(Edit("EditRdc")->text());
  page.rv = S(Edit("EditRv")->text());
  page.altVab = S(Edit("EditAltVab")->text());
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
  Edit("Editfs")->setText(Q(FormatNumber(c.fs, 6)));
  Edit("EditQes")->setText(Q(FormatNumber(c.Qes, 6)));
  Edit("EditQms")->setText(Q(FormatNumber(c.Qms, 6)));
  Edit("EditVas")->setText(Q(FormatNumber(c.Vas * 1000.0, 6)));
  Edit("EditRdc")->setText(Q(FormatNumber(c.Re, 6)));
  ui_.ShowMessage("Daten von " + c.Name.Str() + " wurden geladen.");
}

// ---------------------------------------------------------------- port page

QWidget* TFormCalcUtils::BuildPortPage() {
  auto* page = new QWidget(this);
  auto* note = new QLabel(Q("Achtung: Alle Maße auf dieser Seite sind Innenmaße!"), page);
  note->setStyleSheet("color: #a00000; font-weight: bold;");

  auto* volume = new QGroupBox(Q("Gehäusevolumen"), page);
  auto* vg = new QGridLayout(volume);
  auto* rbExpl = new QRadioButton(Q("Volumen incl. Kanal [Liter]"), volume);
  rbExpl->setObjectName("RBVexpl");
  rbExpl->setChecked(true);
  auto* rbBht = new QRadioButton(Q("über BxHxT [cm]"), volume);
  rbBht->setObjectName("RB_Vbht");
  vg->addWidget(rbExpl, 0, 0);
  vg->addWidget(NewEdit("EditVb0", "50", volume), 0, 1);
  vg->addWidget(rbBht, 1, 0);
  auto* bht = new QHBoxLayout;
  bht->addWidget(new QLabel(Q("b"), volume));
  bht->addWidget(NewEdit("Editb", "20", volume));
  bht->addWidget(new QLabel(Q("h"), volume));
  bht->addWidget(NewEdit("Edith", "98", volume));
  bht->addWidget(new QLabel(Q("t"), volume));
  bht->addWidget(NewEdit("Editt", "23", volume));
  vg->addLayout(bht, 1, 1);
  vg->addWidget(new QLabel(Q("Bedämpfung"), volume), 2, 0);
  trackBarc_ = new QSlider(Qt::Horizontal, volume);
  trackBarc_->setObjectName("TrackBarc");
  trackBarc_->setRange(0, 4);
  trackBarc_->setPageStep(1);
  trackBarc_->setTickPosition(QSlider::TicksBelow);
  trackBarc_->setTickInterval(1);
  vg->addWidget(trackBarc_, 2, 1);
  auto* damping = new QHBoxLayout;
  damping->addWidget(new QLabel(Q("keine Wolle"), volume));
  damping->addStretch();
  damping->addWidget(new QLabel(Q("locker gefüllt"), volume));
  damping->addStretch();
  damping->addWidget(new QLabel(Q("stark gestopft"), volume));
  vg->addLayout(damping, 3, 1);

  auto* port = new QGroupBox(Q("Reflexkanal"), page);
  auto* pg = new QGridLayout(port);
  auto* rbRect = new QRadioButton(Q("rechteckig"), port);
  rbRect->setObjectName("RB_rechteckig");
  rbRect->setChecked(true);
  auto* rbRound = new QRadioButton(Q("rund"), port);
  rbRound->setObjectName("RB_Rund");
  pg->addWidget(rbRect, 0, 0);
  auto* ce = new QHBoxLayout;
  ce->addWidget(new QLabel(Q("Höhe c"), port));
  ce->addWidget(NewEdit("Editc", "8", port));
  ce->addWidget(new QLabel(Q("Breite e"), port));
  ce->addWidget(NewEdit("Edite", "20", port));
  pg->addLayout(ce, 0, 1);
  pg->addWidget(rbRound, 1, 0);
  auto* dn = new QHBoxLayout;
  dn->addWidget(new QLabel(Q("Durchmesser D"), port));
  dn->addWidget(NewEdit("EditD", "7", port));
  auto* tubes = new QComboBox(port);
  tubes->setObjectName("CB_nRohre");
  tubes->addItems({Q("1 Baßreflexrohr"), Q("2 Baßreflexrohre"), Q("3 Baßreflexrohre"), Q("4 Baßreflexrohre")});
  dn->addWidget(tubes);
  pg->addLayout(dn, 1, 1);
  auto* measures = new QFormLayout;
  measures->addRow(Q("Kanallänge l"), NewEdit("Editl", "15", port));
  measures->addRow(Q("inneres Kanalende bis Rückwand g"), NewEdit("Editg", "10", port));
  measures->addRow(Q("Abstand zum Boden f"), NewEdit("Editf", "0", port));
  measures->addRow(Q("Abstand zur Decke k"), NewEdit("Editk", "90", port));
  measures->addRow(Q("Abstand zur linken Wand i"), NewEdit("Editi", "0", port));
  measures->addRow(Q("Abstand zur rechten Wand j"), NewEdit("Editj", "0", port));
  pg->addLayout(measures, 2, 0, 1, 2);
  pg->addWidget(new QLabel(Q("Alle Längen in cm."), port), 3, 0, 1, 2);

  auto* left = new QVBoxLayout;
  left->addWidget(volume);
  left->addWidget(port);
  left->addStretch();
  auto* right = new QVBoxLayout;
  auto* sketch = new TCircuitPicture(TCircuitPicture::Port, page);
  right->addWidget(sketch);
  right->addWidget(NewListBox("ListBox5", page), 1);
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
  page.vb0 = S(Edit("EditVb0")->text());
  page.b = S(Edit("Editb")->text());
  page.h = S(Edit("Edith")->text());
  page.t = S(Edit("Editt")->text());
  page.damping = trackBarc_->value();
  page.rectangular = Radio("RB_rechteckig")->isChecked();
  page.c = S(Edit("Editc")->text());
  page.e = S(Edit("Edite")->text());
  page.d = S(Edit("EditD")->text());
  page.tubes = Combo("CB_nRohre")->currentIndex() + 1;
  page.l = S(Edit("Editl")->text());
  page.g = S(Edit("Editg")->text());
  page.f = S(Edit("Editf")->text());
  page.k = S(Edit("Editk")->text());
  page.i = S(Edit("Editi")->text());
  page.j = S(Edit("Editj")->text());
  SetListLines(findChild<QListWidget*>("ListBox5"), PortLines(PortInputFromPage(page)));
}

// ---------------------------------------------------------------- crossover page

QWidget* TFormCalcUtils::BuildCrossoverPage() {
  auto* page = new QWidget(this);
  auto* inputs = new QHBoxLayout;
  auto addInput = [&](const char* label, const char* name, const char* text) {
    inputs->addWidget(new QLabel(Q(label), page));
    inputs->addWidget(NewEdit(name, text, page));
    inputs->addSpacing(16);
  };
  addInput("Trennfrequenz [Hz]", "EditTF", "1000");
  addInput("Impedanz Tieftöner [Ohm]", "EditITT", "8");
  addInput("Impedanz Hochtöner [Ohm]", "EditIHT", "8");
  inputs->addStretch();

  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(Q("<b>Tiefpass</b>"), page), 0, 1, 1, 2);
  grid->addWidget(new QLabel(Q("<b>Hochpass</b>"), page), 0, 3, 1, 2);
  static constexpr const char* kOrders[] = {"1. Ordnung", "2. Ordnung", "3. Ordnung", "4. Ordnung"};
  static constexpr const char* kTP[] = {"MemoTP1", "MemoTP2", "MemoTP3", "MemoTP4"};
  static constexpr const char* kHP[] = {"MemoHP1", "MemoHP2", "MemoHP3", "MemoHP4"};
  for (int n = 0; n < 4; ++n) {
    grid->addWidget(new QLabel(Q(kOrders[n]), page), n + 1, 0, Qt::AlignTop);
    grid->addWidget(new TCircuitPicture(static_cast<TCircuitPicture::TKind>(TCircuitPicture::LowPass1 + n), page),
                    n + 1, 1, Qt::AlignTop);
    auto* tp = NewMemo(kTP[n], page);
    auto* hp = NewMemo(kHP[n], page);
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
  page.tf = S(Edit("EditTF")->text());
  page.itt = S(Edit("EditITT")->text());
  page.iht = S(Edit("EditIHT")->text());
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
  auto* wish = new QGroupBox(Q("Spannungsteiler mit Vorgabe der Absenkung"), page);
  auto* wf = new QFormLayout;
  auto* db = new QComboBox(wish);
  db->setObjectName("CB_dBWunsch");
  db->setEditable(true);
  for (const std::string& item : AttenuationItems()) db->addItem(Q(item));
  db->setCurrentIndex(-1);
  wf->addRow(Q("Gewünschte Pegelabsenkung [dB]"), db);
  auto* ze = NewEdit("EditZE", "8", wish);
  ze->setEnabled(false);
  wf->addRow(Q("Gewünschte Anschlussimpedanz [Ohm]"), ze);
  auto* egal = new QCheckBox(Q("Anschlussimpedanz egal"), wish);
  egal->setObjectName("CB_ZEegal");
  egal->setChecked(true);
  wf->addRow(egal);
  wf->addRow(Q("Lastimpedanz des Lautsprechers RL [Ohm]"), NewEdit("EditZA", "8", wish));
  auto* wl = new QHBoxLayout(wish);
  auto* wleft = new QVBoxLayout;
  wleft->addLayout(wf);
  wleft->addWidget(new TCircuitPicture(TCircuitPicture::LPad, wish));
  wleft->addStretch();
  wl->addLayout(wleft);
  wl->addWidget(NewMemo("Memo2", wish), 1);

  auto* values = new QGroupBox(Q("Spannungsteiler mit Vorgabe der Bauteilwerte"), page);
  auto* vf = new QFormLayout;
  vf->addRow(Q("R1 [Ohm]"), NewEdit("EditR1", "8", values));
  vf->addRow(Q("R2 [Ohm]"), NewEdit("EditR2", "6,8", values));
  vf->addRow(Q("RL [Ohm]"), NewEdit("EditRL", "8", values));
  auto* vl = new QHBoxLayout(values);
  auto* vleft = new QVBoxLayout;
  vleft->addLayout(vf);
  vleft->addWidget(new TCircuitPicture(TCircuitPicture::LPad, values));
  vleft->addStretch();
  vl->addLayout(vleft);
  vl->addWidget(NewMemo("Memo3", values), 1);

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
  page.dbWunsch = S(Combo("CB_dBWunsch")->currentText());
  page.ze = S(Edit("EditZE")->text());
  page.za = S(Edit("EditZA")->text());
  page.zeEgal = CheckBox("CB_ZEegal")->isChecked();
  SetMemoLines(findChild<QPlainTextEdit*>("Memo2"), AttenuatorPageLines(page));
}

void TFormCalcUtils::RecomputeDivider() {
  if (building_) return;
  TDividerPage page;
  page.r1 = S(Edit("EditR1")->text());
  page.r2 = S(Edit("EditR2")->text());
  page.rl = S(Edit("EditRL")->text());
  SetMemoLines(findChild<QPlainTextEdit*>("Memo3"), DividerPageLines(page));
}

// ---------------------------------------------------------------- impedance correction page

QWidget* TFormCalcUtils::BuildZCorrectionPage() {
  auto* page = new QWidget(this);
  auto* data = new QGroupBox(Q("Chassisdaten"), page);
  auto* form = new QFormLayout(data);
  form->addRow(Q("Rdc [Ohm]"), NewEdit("EditRLC_Rdc", "6,8", data));
  form->addRow(Q("fc [Hz]"), NewEdit("EditRLC_fc", "66", data));
  form->addRow(Q("Qes"), NewEdit("EditRLC_Qes", "0,4", data));
  form->addRow(Q("Qms"), NewEdit("EditRLC_Qms", "2,8", data));
  form->addRow(Q("Le [mH]"), NewEdit("EditRLC_Le", "0,8", data));
  form->addRow(new QLabel(Q("fc: Resonanzfrequenz des eingebauten\nChassis, wo zutreffend"), data));

  auto group = [&](const char* caption, const char* memo, TCircuitPicture::TKind kind) {
    auto* g = new QGroupBox(Q(caption), page);
    auto* l = new QHBoxLayout(g);
    l->addWidget(new TCircuitPicture(kind, g), 0, Qt::AlignTop);
    l->addWidget(NewMemo(memo, g), 1);
    return g;
  };
  auto* right = new QVBoxLayout;
  right->addWidget(group("Impedanzkorrektur für Grundresonanz", "Memo5", TCircuitPicture::ResonanceTrap));
  right->addWidget(group("Impedanzkorrektur für Schwingspuleninduktivität", "Memo4", TCircuitPicture::Zobel));
  right->addWidget(group("Impedanzkorrektur für Grundresonanz und Schwingspuleninduktivität", "Memo6",
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
  page.rdc = S(Edit("EditRLC_Rdc")->text());
  page.fc = S(Edit("EditRLC_fc")->text());
  page.qes = S(Edit("EditRLC_Qes")->text());
  page.qms = S(Edit("EditRLC_Qms")->text());
  page.le = S(Edit("EditRLC_Le")->text());
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
