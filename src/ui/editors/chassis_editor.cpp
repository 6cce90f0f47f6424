#include "ui/editors/chassis_editor.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QSlider>
#include <QTabWidget>
#include <QTimer>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>
#include <exception>
#include <filesystem>
#include <system_error>

#include "acoustics/editor_values.h"
#include "acoustics/enclosure.h"
#include "acoustics/voice_coil_fit.h"
#include "calc/file_load.h"
#include "model/chassis_file.h"
#include "model/file_io.h"
#include "model/interaction.h"
#include "model/measurement_import.h"
#include "model/number_text.h"
#include "ui/dialogs/field_number.h"
#include "ui/dialogs/help_text_window.h"
#include "ui/dialogs/window_place.h"
#include "ui/document/project_document.h"
#include "ui/editors/rele2_window.h"

namespace sonvex {

namespace {

constexpr const char* kChassisFilter = "Chassisdateien (*.ZCH)|*.ZCH";
constexpr const char* kMeasuringNote =
    "Wenn KORVANT-Chassisdaten geladen wurden,\rist es nicht sinnvoll, den Ort der Messung\rnachträglich zu "
    "manipulieren.\rIn diesem Fall wird empfohlen, die Chassisdatei\rneu zu laden";
constexpr const char* kGemgehRefusal =
    "Aktivieren der Option \"gemeinsames Außengehäuse\"\rnur unter Menüpunkt \"gemeinsames Außengehäuse\" möglich.";
constexpr int kCurveRows = kMaxCurvePoints;  // rows 1..600 of the grids; the header is the table's own

// The names of the type buttons, by enclosure type 0..4.
constexpr std::array<const char*, 5> kTypeButtons{"RbInt", "RbCL", "RbBR", "RBBP", "RbBV"};

// A small sketch of the enclosure type: the box, the chassis and the ports.
class TTypePicture : public QWidget {
 public:
  explicit TTypePicture(QWidget* parent) : QWidget(parent) { setFixedSize(150, 130); }
  void SetType(int t) {
    type_ = t;
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), Qt::white);
    p.setPen(QPen(Qt::black, 2));
    const QRect box(25, 10, 100, 110);
    auto chassis = [&p](int x, int y) {
      // a cone seen from the side, radiating to the left
      QPainterPath cone;
      cone.moveTo(x, y - 22);
      cone.lineTo(x + 14, y - 7);
      cone.lineTo(x + 14, y + 7);
      cone.lineTo(x, y + 22);
      cone.closeSubpath();
      p.setBrush(QColor(200, 200, 200));
      p.drawPath(cone);
      p.drawRect(x + 14, y - 6, 6, 12);
      p.setBrush(Qt::NoBrush);
    };
    auto port = [&p](int x, int y, int len) {
      p.drawLine(x, y - 6, x + len, y - 6);
      p.drawLine(x, y + 6, x + len, y + 6);
    };
    switch (type_) {
      case 0:
        chassis(box.left(), box.center().y());
        p.drawText(QRect(0, 100, width(), 28), Qt::AlignCenter, QText("integriert"));
        break;
      case 1:
        p.drawRect(box);
        chassis(box.left(), box.center().y());
        break;
      case 2:
        p.drawRect(box);
        chassis(box.left(), box.top() + 35);
        port(box.left(), box.bottom() - 20, 40);
        break;
      case 3:
      case 4: {
        p.drawRect(box);
        const int mid = box.center().x();
        p.drawLine(mid, box.top(), mid, box.bottom());
        chassis(mid, box.center().y());
        port(box.left(), box.bottom() - 20, 30);
        if (type_ == 4) port(mid, box.top() + 18, 30);
        break;
      }
      default:
        break;
    }
  }

 private:
  int type_ = 0;
};

// A label and an edit in one row; hiding the row hides both. The edit is wide
// enough for the longest number the editor writes into it.
QLineEdit* AddEditRow(QGridLayout* grid, int row, int col, const char* label, const char* name, int labelWidth = 0,
                      int columns = 1) {
  auto* box = new QWidget;
  box->setObjectName(QString::fromLatin1(name) + "Row");
  auto* h = new QHBoxLayout(box);
  h->setContentsMargins(0, 0, 0, 0);
  auto* l = new QLabel(QText(label));
  if (labelWidth > 0) l->setFixedWidth(labelWidth);
  auto* e = new QLineEdit;
  e->setObjectName(name);
  e->setMaximumWidth(90);
  FitNumberField(e);
  l->setBuddy(e);
  h->addWidget(l);
  h->addWidget(e);
  grid->addWidget(box, row, col, 1, columns);
  return e;
}

QCheckBox* MakeCheck(const char* caption, const char* name) {
  auto* c = new QCheckBox(QText(caption));
  c->setObjectName(name);
  return c;
}

QPushButton* MakeButton(const char* caption, const char* name) {
  auto* b = new QPushButton(QText(caption));
  b->setObjectName(name);
  return b;
}

std::string Str(const QLineEdit* e) { return e->text().toStdString(); }

}  // namespace

// ---------------------------------------------------------------- creation

TFormChassisEd::TFormChassisEd(TProjectDocument& doc, TSettings& settings, TInteraction& ui, QWidget* parent)
    : QDialog(parent), doc_(doc), settings_(settings), ui_(ui), chassis_(std::make_unique<TChassis>()),
      openedChassis_(std::make_unique<TChassis>()) {
  // A new project, a load, undo or a reference swap close the editor
  // without applying.
  connect(&doc_, &TProjectDocument::aboutToReplaceProject, this, [this] {
    if (isVisible()) reject();
  });
  setObjectName("FormChassisEd");
  setWindowTitle(QText("Chassis und Einbau editieren"));
  setModal(false);
  loading_ = true;
  auto* layout = new QVBoxLayout(this);
  pages_ = new QTabWidget(this);
  pages_->setObjectName("PageControl1");
  layout->addWidget(pages_, 1);
  // The pages belong to the editor from the start, so that the handlers
  // find their controls by name while the pages are being built.
  auto* p1 = new QWidget(pages_);
  auto* p2 = new QWidget(pages_);
  auto* p3 = new QWidget(pages_);
  auto* p4 = new QWidget(pages_);
  BuildChassisPage(p1);
  BuildEnclosurePage(p2);
  BuildBafflePage(p3);
  BuildMorePage(p4);
  pages_->addTab(p1, QText("&Chassisdaten"));
  pages_->addTab(p2, QText("&Gehäuse && Impedanz"));
  pages_->addTab(p3, QText("&Schallwand und Position"));
  pages_->addTab(p4, QText("weitere Daten"));

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  QPushButton* ok = MakeButton("Ok", "BtnOk");
  QPushButton* cancel = MakeButton("Abbruch", "BtnAbbruch");
  ok->setDefault(true);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  connect(ok, &QPushButton::clicked, this, [this] { BtnOkClick(); });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  // Closing in any way clears the main window's editor flag.
  connect(this, &QDialog::finished, this, [this] {
    emit openChanged(false);
    if (help_ != nullptr) help_->hide();
  });

  help_ = new TFormHilfetext(this);
  reLe2_ = new TFormReLe2(this);
  resize(1180, 680);
  loading_ = false;
}

TFormChassisEd::~TFormChassisEd() = default;

QLineEdit* TFormChassisEd::Edit(const char* name) const { return Control<QLineEdit>(name); }
QCheckBox* TFormChassisEd::Check(const char* name) const { return Control<QCheckBox>(name); }
QLabel* TFormChassisEd::DerivedLabel(const char* key) const {
  return Control<QLabel>((std::string("Label") + key).c_str());
}

void TFormChassisEd::BuildChassisPage(QWidget* page) {
  auto* h = new QHBoxLayout(page);
  auto* left = new QVBoxLayout;
  auto* form = new QGridLayout;
  form->setVerticalSpacing(2);
  int row = 0;
  auto* name = AddEditRow(form, row++, 0, "Name", "EditName", 70, 2);
  name->setMaximumWidth(QWIDGETSIZE_MAX);
  name->setMaxLength(22);
  auto* comment = AddEditRow(form, row++, 0, "Kommentar", "EditKommentar", 70, 2);
  comment->setMaximumWidth(QWIDGETSIZE_MAX);
  comment->setMaxLength(102);
  const std::array<std::pair<const char*, const char*>, 15> numbers{{{"fs [Hz]", "Editfs"},
                                                                     {"Qes", "EditQes"},
                                                                     {"Qms", "EditQms"},
                                                                     {"Vas [Liter]", "EditVas"},
                                                                     {"Sd [cm²]", "EditAmem"},
                                                                     {"SEO [mm]", "EditSEO"},
                                                                     {"xlin [mm]", "EditXlin"},
                                                                     {"Rdc [Ohm]", "EditRe"},
                                                                     {"Le [mH]", "EditLe"},
                                                                     {"Re2 [Ohm]", "EditRe2"},
                                                                     {"Le2 [mH]", "EditLe2"},
                                                                     {"Re3 [Ohm]", "EditRe3"},
                                                                     {"Le3 [mH]", "EditLe3"},
                                                                     {"P max [W]", "Ed_Pmax"},
                                                                     {"Nennimp. [Ohm]", "EditZNenn"}}};
  for (std::size_t k = 0; k < numbers.size(); ++k)
    AddEditRow(form, row + static_cast<int>(k % 8), static_cast<int>(k / 8), numbers[k].first, numbers[k].second,
               k / 8 == 0 ? 70 : 100);
  left->addLayout(form);
  left->addWidget(MakeCheck("rückseitig geschlossen (z. B. HT-Kalotten)", "cbHintengeschl"));
  auto* fitButton = MakeButton("Re.. und Le.. aus Impedanzgang errechnen", "BtnLeReLe2rechnen");
  left->addWidget(fitButton);
  auto* files = new QHBoxLayout;
  files->addWidget(MakeButton("Chassis laden ...", "Btnladen"));
  files->addWidget(MakeButton("Chassis speichern ...", "BtnSpeichern"));
  left->addLayout(files);
  memo_ = new QPlainTextEdit;
  memo_->setObjectName("MemoDiag");
  memo_->setReadOnly(true);
  memo_->setMaximumHeight(60);
  left->addWidget(memo_);
  left->addStretch();
  h->addLayout(left);

  // measured curves
  auto* right = new QVBoxLayout;
  auto* measured = new QGroupBox(QText("Meßdaten"));
  auto* mg = new QGridLayout(measured);
  const std::array<const char*, 4> gridNames{"StringGridFA", "StringGridFAP", "StringGridFI", "StringGridFIP"};
  const std::array<const char*, 4> valueHeads{"A [dB]", "Phase [°]", "Imp. [Ohm]", "Phase [°]"};
  for (std::size_t k = 0; k < 4; ++k) {
    auto* g = new QTableWidget(kCurveRows, 2);
    g->setObjectName(gridNames[k]);
    g->setHorizontalHeaderLabels({QText("f [Hz]"), QText(valueHeads[k])});
    g->verticalHeader()->setDefaultSectionSize(18);
    g->verticalHeader()->setMinimumWidth(28);
    g->horizontalHeader()->setDefaultSectionSize(72);
    g->setMinimumWidth(200);
    g->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grids_[k] = g;
    mg->addWidget(g, 1, static_cast<int>(k));
  }
  mg->addWidget(MakeCheck("Amplitudengang verwenden", "CbUseFA"), 2, 0);
  mg->addWidget(MakeCheck("Phasengang verwenden", "CBUseFAP"), 2, 1);
  mg->addWidget(MakeCheck("Impedanzgang verwenden", "CBUseFI"), 2, 2);
  mg->addWidget(MakeCheck("el. Phase verwenden", "CBUseFIP"), 2, 3);
  mg->addWidget(MakeCheck("Amplitudengang auch für fs-Bereich", "CBUseFA4fs"), 3, 0, 1, 2);
  auto* combo = new QComboBox;
  combo->setObjectName("ComboBox1");
  for (const char* item :
       {"1. Unendliche Schallwand", "2. DIN-Schallwand / 200 Liter", "3. Korvant Testgehäuse kleine Seite",
        "4. Korvant Testgehäuse große Seite", "5. zu simulierende Box", "6. Korvant Testgehäuse klein (alt)",
        "7. Korvant Testgehäuse groß (alt)"})
    combo->addItem(QText(item));
  // Conditions 6 and 7 come only from files.
  combo->removeItem(6);
  combo->removeItem(5);
  auto* cond = new QHBoxLayout;
  cond->addWidget(new QLabel(QText("Ort der Messung:")));
  cond->addWidget(combo, 1);
  mg->addLayout(cond, 4, 0, 1, 4);
  auto* importRow = new QHBoxLayout;
  importRow->addWidget(MakeButton("Frequenzgang importieren ...", "BtnImportFGang"));
  importRow->addWidget(MakeButton("Pegel ändern ...", "BtnPegel"));
  importRow->addWidget(MakeButton("Impedanzgang importieren ...", "BtnImportIGang"));
  mg->addLayout(importRow, 0, 0, 1, 4);
  right->addWidget(measured);
  h->addLayout(right, 1);

  connect(Check("CbUseFA"), &QCheckBox::clicked, this, [this] { CbUseFAClick(); });
  connect(Check("CBUseFI"), &QCheckBox::clicked, this, [this] { CbUseFIClick(); });
  connect(Check("cbHintengeschl"), &QCheckBox::clicked, this, [this] { CbHintengeschlClick(); });
  connect(combo, &QComboBox::activated, this, [this] { MeasuringConditionChosen(); });
  connect(Control<QPushButton>("BtnImportFGang"), &QPushButton::clicked, this, [this] { BtnImportFGangClick(); });
  connect(Control<QPushButton>("BtnImportIGang"), &QPushButton::clicked, this, [this] { BtnImportIGangClick(); });
  connect(Control<QPushButton>("BtnPegel"), &QPushButton::clicked, this, [this] { BtnPegelClick(); });
  connect(fitButton, &QPushButton::clicked, this, [this] { BtnLeReLe2rechnenClick(); });
  connect(Control<QPushButton>("Btnladen"), &QPushButton::clicked, this, [this] { BtnladenClick(); });
  connect(Control<QPushButton>("BtnSpeichern"), &QPushButton::clicked, this, [this] { BtnSpeichernClick(); });
}

void TFormChassisEd::BuildEnclosurePage(QWidget* page) {
  auto* h = new QHBoxLayout(page);
  auto* left = new QVBoxLayout;
  auto* types = new QGroupBox(QText("Gehäusetyp"));
  auto* tl = new QVBoxLayout(types);
  const std::array<const char*, 5> captions{"Gehäuse integriert (HT)", "geschlossen", "Bassreflex",
                                            "Bandpass (geschlossen / Bassreflex)",
                                            "Bandpass (Bassreflex / Bassreflex)"};
  auto* group = new QButtonGroup(this);
  for (std::size_t t = 0; t < 5; ++t) {
    auto* rb = new QRadioButton(QText(captions[t]));
    rb->setObjectName(kTypeButtons[t]);
    group->addButton(rb, static_cast<int>(t));
    typeButtons_[t] = rb;
    tl->addWidget(rb);
    connect(rb, &QRadioButton::clicked, this, [this] { TypeChanged(); });
  }
  auto* typeRow = new QHBoxLayout;
  typeRow->addWidget(types);
  auto* picture = new TTypePicture(page);
  picture->setObjectName("ImageTyp");
  picture_ = picture;
  typeRow->addWidget(picture_);
  left->addLayout(typeRow);

  auto* volumes = new QGroupBox(QText("Volumen und Abstimmung"));
  auto* vg = new QGridLayout(volumes);
  AddEditRow(vg, 0, 0, "Vb [Liter]", "EditVb", 80);
  AddEditRow(vg, 0, 1, "fb [Hz]", "Editfb", 80);
  AddEditRow(vg, 1, 0, "Vbf [Liter]", "EditVbf", 80);
  AddEditRow(vg, 1, 1, "fbf [Hz]", "Editfbf", 80);
  left->addWidget(volumes);

  auto* losses = new QGroupBox(QText("Dämmung, Verluste und Luftlast"));
  auto* lg = new QGridLayout(losses);
  QCheckBox* expl = MakeCheck("Werte explizit eingeben", "CBmbQexplizit");
  lg->addWidget(expl, 0, 0, 1, 3);
  const std::array<std::pair<const char*, const char*>, 9> explicitEdits{{{"vV", "EditVv"},
                                                                          {"mb", "Editmb"},
                                                                          {"fmb [Hz]", "Editfmb"},
                                                                          {"Ql", "EditQl"},
                                                                          {"Qb", "EditQb"},
                                                                          {"Qk", "EditQk"},
                                                                          {"vVf", "EditvVf"},
                                                                          {"Qbf", "EditQbf"},
                                                                          {"Qkf", "EditQkf"}}};
  for (std::size_t k = 0; k < explicitEdits.size(); ++k)
    AddEditRow(lg, 1 + static_cast<int>(k % 5), static_cast<int>(k / 5), explicitEdits[k].first,
               explicitEdits[k].second, 60);
  const std::array<std::pair<const char*, const char*>, 3> helps{
      {{"? vV", "SpeedButtonvV"}, {"? mb", "SpeedButtonmb"}, {"? Qk", "SpeedButtonQk"}}};
  for (std::size_t k = 0; k < helps.size(); ++k) {
    auto* b = new QToolButton;
    b->setText(QText(helps[k].first));
    b->setObjectName(helps[k].second);
    lg->addWidget(b, 1 + static_cast<int>(k), 2);
    connect(b, &QToolButton::clicked, this, [this, k] { HelpClick(static_cast<int>(k)); });
  }
  const std::array<std::pair<const char*, const char*>, 5> tracks{{{"Dämmung Volumen", "TrackBarv"},
                                                                   {"Dämmung Verluste", "TrackBarc"},
                                                                   {"Dämmung Reflexkanal", "TrackBark"},
                                                                   {"Dämmung vordere Kammer", "TrackBarvf"},
                                                                   {"Dämmung vorderer Kanal", "TrackBarkf"}}};
  for (std::size_t k = 0; k < tracks.size(); ++k) {
    auto* box = new QWidget;
    box->setObjectName(QString::fromLatin1(tracks[k].second) + "Row");
    auto* bl = new QGridLayout(box);
    bl->setContentsMargins(0, 0, 0, 0);
    bl->setVerticalSpacing(0);
    auto* s = new QSlider(Qt::Horizontal);
    s->setObjectName(tracks[k].second);
    s->setRange(0, 4);
    s->setPageStep(1);
    s->setTickPosition(QSlider::TicksBelow);
    s->setTickInterval(1);
    bl->addWidget(new QLabel(QText(tracks[k].first)), 0, 0, 1, 3);
    bl->addWidget(s, 1, 0, 1, 3);
    auto* l0 = new QLabel(QText("keine Wolle"));
    auto* l2 = new QLabel(QText("locker gefüllt"));
    auto* l4 = new QLabel(QText("stark gestopft"));
    for (QLabel* l : {l0, l2, l4}) l->setStyleSheet("font-size: 8pt");
    bl->addWidget(l0, 2, 0, Qt::AlignLeft);
    bl->addWidget(l2, 2, 1, Qt::AlignHCenter);
    bl->addWidget(l4, 2, 2, Qt::AlignRight);
    lg->addWidget(box, 6 + static_cast<int>(k / 2), static_cast<int>(k % 2) * 2, 1, 2 - static_cast<int>(k % 2));
    connect(s, &QSlider::valueChanged, this, [this] { DampingChanged(); });
  }
  left->addWidget(losses);
  left->addStretch();
  h->addLayout(left, 1);
  connect(expl, &QCheckBox::clicked, this, [this] {
    TypeChanged();
    DampingChanged();
  });

  auto* derived = new QGroupBox(QText("Errechnete Größen"));
  derived->setObjectName("GroupBoxErrechnet");
  auto* dg = new QGridLayout(derived);
  const auto labels = DerivedValueLabels(TChassisDerived{});
  for (std::size_t k = 0; k < labels.size(); ++k) {
    auto* l = new QLabel(QText(labels[k].placeholder));
    l->setObjectName(QText("Label" + labels[k].key));
    l->setMinimumWidth(150);
    dg->addWidget(l, static_cast<int>(k % 14), static_cast<int>(k / 14));
  }
  QPushButton* refresh = MakeButton("aktualisieren", "Btnaktualisieren");
  dg->addWidget(refresh, 14, 0, 1, 2);
  connect(refresh, &QPushButton::clicked, this, [this] {
    Apply();
    RefreshDerived();
  });
  h->addWidget(derived);
}

void TFormChassisEd::BuildBafflePage(QWidget* page) {
  auto* h = new QHBoxLayout(page);
  auto* left = new QVBoxLayout;
  auto* edges = new QGroupBox(QText("Beugung an Schallwandkante"));
  auto* el = new QHBoxLayout(edges);
  el->addWidget(MakeCheck("links", "cbBeugL"));
  el->addWidget(MakeCheck("rechts", "cbBeugR"));
  el->addWidget(MakeCheck("oben", "cbBeugo"));
  el->addWidget(MakeCheck("unten", "cbBeugu"));
  left->addWidget(edges);
  auto* dims = new QGroupBox(QText("Schallwand [cm]"));
  auto* dg = new QGridLayout(dims);
  const std::array<std::pair<const char*, const char*>, 9> edits{{{"a: Chassismitte bis Unterkante", "Edita"},
                                                                  {"b: Breite der Schallwand", "Editb"},
                                                                  {"c: Chassismitte bis linke Kante", "Editc"},
                                                                  {"d: Durchmesser Schallaustritt", "Editd"},
                                                                  {"e: Fase links", "Edite"},
                                                                  {"f: Fase rechts", "Editf"},
                                                                  {"g: Fase oben", "Editg"},
                                                                  {"h: Höhe der Schallwand", "Edith"},
                                                                  {"i: Fase unten", "Editi"}}};
  for (std::size_t k = 0; k < edits.size(); ++k)
    AddEditRow(dg, static_cast<int>(k), 0, edits[k].first, edits[k].second, 200);
  left->addWidget(dims);
  auto* shape = new QComboBox;
  shape->setObjectName("CB_Membranform");
  shape->addItems({QText("Kalotte"), QText("Konus"), QText("Ring")});
  auto* shapeRow = new QHBoxLayout;
  shapeRow->addWidget(new QLabel(QText("Membranform")));
  shapeRow->addWidget(shape, 1);
  left->addLayout(shapeRow);
  left->addWidget(MakeCheck("gemeinsames Außengehäuse", "CBGemgeh"));
  left->addStretch();
  h->addLayout(left, 1);

  auto* right = new QVBoxLayout;
  auto* pos = new QGroupBox(QText("Chassis im Raum"));
  auto* pg = new QGridLayout(pos);
  auto* dir = new QComboBox;
  dir->setObjectName("ComboBox2");
  for (const char* item : {"nach vorne", "nach hinten", "nach links", "nach rechts", "nach oben", "nach unten"})
    dir->addItem(QText(item));
  pg->addWidget(new QLabel(QText("Abstrahlrichtung")), 0, 0);
  pg->addWidget(dir, 0, 1);
  AddEditRow(pg, 1, 0, "horizontal (nach rechts) [cm]", "Edithor", 200);
  AddEditRow(pg, 2, 0, "vertikal (nach oben) [cm]", "Editvert", 200);
  AddEditRow(pg, 3, 0, "zum Hörer [cm]", "EditStra", 200);
  right->addWidget(pos);
  rearGroup_ = new QGroupBox(QText("rückwärtiger Schall (Reflexöffnung)"));
  rearGroup_->setObjectName("GroupBoxRear");
  auto* rg = new QGridLayout(rearGroup_);
  auto* dirr = new QComboBox;
  dirr->setObjectName("ComboBox3");
  dirr->addItems({QText("gleiche Richtung wie Chassis"), QText("entgegengesetzt von Chassis")});
  rg->addWidget(new QLabel(QText("Richtung")), 0, 0);
  rg->addWidget(dirr, 0, 1);
  AddEditRow(rg, 1, 0, "horizontal (nach rechts) [cm]", "EditHorr", 200);
  AddEditRow(rg, 2, 0, "vertikal (nach oben) [cm]", "EditVertr", 200);
  AddEditRow(rg, 3, 0, "zum Hörer [cm]", "EditStrar", 200);
  right->addWidget(rearGroup_);
  auto* note = new QLabel(
      QText("Die Position bezieht sich auf einen gemeinsamen Nullpunkt aller Chassis, z. B. die Mitte der Schallwand; "
            "Punkte hinter der Schallwand haben negative Werte \"zum Hörer\"."));
  note->setWordWrap(true);
  right->addWidget(note);
  right->addStretch();
  h->addLayout(right, 1);
  connect(Check("CBGemgeh"), &QCheckBox::clicked, this, [this] { CbGemgehClick(); });
}

void TFormChassisEd::BuildMorePage(QWidget* page) {
  auto* v = new QVBoxLayout(page);
  auto* g = new QGridLayout;
  const std::array<std::pair<const char*, const char*>, 18> edits{{{"Nennbelastbarkeit [W]", "Ed_Pnorm"},
                                                                   {"Schwingspulenhöhe [mm]", "Ed_Hvc"},
                                                                   {"Schwingspulendurchmesser [mm]", "Ed_Dvc"},
                                                                   {"Polplattenhöhe [mm]", "Ed_Hpp"},
                                                                   {"Bl (Datenblatt) [N/A]", "Ed_bl"},
                                                                   {"Kennschalldruck [dB]", "Ed_SPL"},
                                                                   {"Le (Datenblatt) [mH]", "Ed_le"},
                                                                   {"Mmd (Datenblatt) [g]", "Ed_mmd"},
                                                                   {"untere Grenzfrequenz", "Ed_fu"},
                                                                   {"obere Grenzfrequenz", "Ed_fo"},
                                                                   {"Induktion im Luftspalt [T]", "Ed_magind"},
                                                                   {"Magnetfluss", "Ed_Magflu"},
                                                                   {"Bestellnummer", "Ed_bnr"},
                                                                   {"Außenmaße", "Ed_Da"},
                                                                   {"Einbautiefe [mm]", "Ed_etiefe"},
                                                                   {"Einbauausschnitt [mm]", "Ed_ausschn"},
                                                                   {"Gewicht [g]", "Ed_gewicht"},
                                                                   {"xmax [mm]", "EditXmax"}}};
  for (std::size_t k = 0; k < edits.size(); ++k)
    AddEditRow(g, static_cast<int>(k % 9), static_cast<int>(k / 9), edits[k].first, edits[k].second, 240);
  v->addLayout(g);
  Edit("Ed_bnr")->setMaxLength(15);
  // The texts of the data sheet (order number, frequency range, outer
  // dimensions) get the room of their longest usual entry.
  for (const char* name : {"Ed_bnr", "Ed_fu", "Ed_fo", "Ed_Da"}) FitNumberField(Edit(name), 16);
  auto* note = new QLabel(QText("Diese Angaben dienen nur der Information; die Simulation verwendet sie nicht."));
  v->addWidget(note);
  v->addStretch();
}

// ---------------------------------------------------------------- open, fill, read

// Every number field and check box of the editor bound to its record field
// (and the factor from the record's SI unit to the unit shown), so that
// filling and reading back list each binding once.
template <class R>
struct TNumberField {
  const char* control;
  double R::*field;
  double factor;
};
template <class R>
struct TCheckField {
  const char* control;
  bool R::*field;
};
constexpr std::array<TNumberField<TChassis>, 29> kChassisNumbers{{
    {"Editfs", &TChassis::fs, 1.0},
    {"EditQes", &TChassis::Qes, 1.0},
    {"EditQms", &TChassis::Qms, 1.0},
    {"EditVas", &TChassis::Vas, kLitre},
    {"EditAmem", &TChassis::Amem, kSquareCm},
    {"EditSEO", &TChassis::seo, kMilli},
    {"EditXlin", &TChassis::xlin, kMilli},
    {"EditLe", &TChassis::Le, kMilli},
    {"EditRe", &TChassis::Re, 1.0},
    {"EditLe2", &TChassis::Le2, kMilli},
    {"EditRe2", &TChassis::Re2, 1.0},
    {"EditLe3", &TChassis::Le3, kMilli},
    {"EditRe3", &TChassis::Re3, 1.0},
    {"Ed_Pmax", &TChassis::_PMax, 1.0},
    {"EditZNenn", &TChassis::_ZNenn, 1.0},
    {"Ed_Pnorm", &TChassis::_PNorm, 1.0},
    {"Ed_Hvc", &TChassis::_Hvc, kMilli},
    {"Ed_Dvc", &TChassis::_Dvc, kMilli},
    {"Ed_Hpp", &TChassis::_Hpp, kMilli},
    {"Ed_bl", &TChassis::_Bl, 1.0},
    {"Ed_SPL", &TChassis::_SPL, 1.0},
    {"Ed_le", &TChassis::_Le, kMilli},
    {"Ed_mmd", &TChassis::_Mmd, kMilli},
    {"Ed_magind", &TChassis::_magind, 1.0},
    {"Ed_Magflu", &TChassis::_magflu, 1.0},
    {"Ed_etiefe", &TChassis::_Etiefe, kMilli},
    {"Ed_ausschn", &TChassis::_Ausschn, kMilli},
    {"Ed_gewicht", &TChassis::_Gewicht, kMilli},
    {"EditXmax", &TChassis::xmax, kMilli},
}};
constexpr std::array<TNumberField<TEinbau>, 13> kEinbauNumbers{{
    {"EditVb", &TEinbau::Vb, kLitre},
    {"Editfb", &TEinbau::fb, 1.0},
    {"EditVbf", &TEinbau::Vbf, kLitre},
    {"Editfbf", &TEinbau::fbf, 1.0},
    {"EditVv", &TEinbau::vV, 1.0},
    {"Editmb", &TEinbau::mb, 1.0},
    {"Editfmb", &TEinbau::fmb, 1.0},
    {"EditQl", &TEinbau::Ql, 1.0},
    {"EditQb", &TEinbau::Qb, 1.0},
    {"EditvVf", &TEinbau::vVf, 1.0},
    {"EditQbf", &TEinbau::Qbf, 1.0},
    {"EditQk", &TEinbau::Qk, 1.0},
    {"EditQkf", &TEinbau::Qkf, 1.0},
}};
constexpr std::array<TNumberField<TSchallwand>, 15> kSchallwandNumbers{{
    {"Edita", &TSchallwand::a, kCm},
    {"Editb", &TSchallwand::b, kCm},
    {"Editc", &TSchallwand::c, kCm},
    {"Editd", &TSchallwand::d, kCm},
    {"Edite", &TSchallwand::e, kCm},
    {"Editf", &TSchallwand::f, kCm},
    {"Editg", &TSchallwand::g, kCm},
    {"Edith", &TSchallwand::h, kCm},
    {"Editi", &TSchallwand::i, kCm},
    {"Edithor", &TSchallwand::hor, kCm},
    {"Editvert", &TSchallwand::vert, kCm},
    {"EditStra", &TSchallwand::stra, kCm},
    {"EditHorr", &TSchallwand::horr, kCm},
    {"EditVertr", &TSchallwand::vertr, kCm},
    {"EditStrar", &TSchallwand::strar, kCm},
}};
constexpr std::array<TCheckField<TChassis>, 6> kChassisChecks{{
    {"CbUseFA", &TChassis::useFgangA},
    {"CBUseFAP", &TChassis::useFgangAP},
    {"CBUseFA4fs", &TChassis::useFgangA4fs},
    {"CBUseFI", &TChassis::useFgangI},
    {"CBUseFIP", &TChassis::useFgangIP},
    {"cbHintengeschl", &TChassis::hintengeschl},
}};
constexpr std::array<TCheckField<TEinbau>, 1> kEinbauChecks{{
    {"CBmbQexplizit", &TEinbau::mbQExpl},
}};
constexpr std::array<TCheckField<TSchallwand>, 5> kSchallwandChecks{{
    {"cbBeugL", &TSchallwand::beugl},
    {"cbBeugR", &TSchallwand::beugr},
    {"cbBeugo", &TSchallwand::beugo},
    {"cbBeugu", &TSchallwand::beugu},
    {"CBGemgeh", &TSchallwand::usegemgeh},
}};

void TFormChassisEd::Open(int n) {
  const TProjekt& p = doc_.Project();
  slot_ = std::clamp(n, 0, kChassisSlots - 1);
  const auto s = static_cast<std::size_t>(slot_);
  *chassis_ = p.Chassis[s];
  einbau_ = p.Einbau[s];
  schallwand_ = p.Schallwand[s];
  pages_->setCurrentIndex(0);
  Fill();
  // The fields show rounded numbers: a change is a difference from what
  // they read right after filling, not from the project's exact values.
  ReadControls(*openedChassis_, openedEinbau_, openedSchallwand_);
  // Each opening puts the editor beside the main window (its parent),
  // whose charts follow its edits, or where it hides the least of them.
  if (!isVisible() && parentWidget() != nullptr) {
    ScrollPagesOnASmallScreen();
    PlaceWindowBeside(this, parentWidget());
  }
  emit openChanged(true);
}

void TFormChassisEd::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // The window manager's frame is known only once the editor is shown: where
  // it reaches past the screen's edge, the editor moves back onto it.
  QTimer::singleShot(150, this, [this] { KeepFrameOnScreen(this); });
}

void TFormChassisEd::ScrollPagesOnASmallScreen() {
  if (pagesScroll_ || parentWidget() == nullptr || parentWidget()->screen() == nullptr) return;
  // Room for the editor's frame (title bar, borders) as well.
  const QSize room = parentWidget()->screen()->availableGeometry().size() - kWindowFrameRoom;
  const QSize need = minimumSizeHint();
  if (need.width() <= room.width() && need.height() <= room.height()) return;
  // The pages go into areas that scroll, so that the editor fits the screen
  // and "Ok" and "Abbruch" stay on it; a larger screen shows them as built.
  pagesScroll_ = true;
  const int current = pages_->currentIndex();
  for (int i = 0; i < pages_->count(); ++i) {
    QWidget* page = pages_->widget(i);
    const QString text = pages_->tabText(i);
    pages_->removeTab(i);
    pages_->insertTab(i, ScrollingPage(page, ("ScrollPage" + std::to_string(i + 1)).c_str()), text);
  }
  pages_->setCurrentIndex(current);
  // The smaller minimum size holds from now on, not only after the next
  // showing (the layouts keep the sizes they measured until told).
  pages_->updateGeometry();
  layout()->invalidate();
  layout()->activate();
}

void TFormChassisEd::FillGrids() {
  const TChassis& c = *chassis_;
  struct TGridSource {
    const TFreqArray* f;
    const TFreqArray* v;
    bool phase;
    bool bounded;  // the impedance phase also ends outside 0.001 Hz .. 1 MHz
  };
  const std::array<TGridSource, 4> sources{{{&c.FgangAF, &c.FgangA, false, false},
                                            {&c.FgangAPF, &c.FgangAP, true, false},
                                            {&c.FgangIF, &c.FgangI, false, false},
                                            {&c.FgangIPF, &c.FgangIP, true, true}}};
  for (std::size_t k = 0; k < 4; ++k) {
    QTableWidget* g = grids_[k];
    g->clearContents();
    try {
      const TGridSource& src = sources[k];
      for (int r = 0; r < kCurveRows; ++r) {
        const double f = (*src.f)[static_cast<std::size_t>(r)];
        if (!(f > 0)) break;
        if (src.bounded && (f < 0.001 || f > 1000000)) break;
        const double v = (*src.v)[static_cast<std::size_t>(r)];
        g->setItem(r, 0, NumberCell(FormatNumber(f, kEditWidth), f));
        g->setItem(r, 1, NumberCell(src.phase ? PhaseText(v) : FormatNumber(v, kEditWidth), v));
      }
    } catch (const std::exception&) {
      ui_.ShowMessage("Fehler beim Belegen der StringGrids.");
    }
  }
}

void TFormChassisEd::ApplyGrids() {
  TChassis& c = *chassis_;
  const std::array<std::pair<TFreqArray*, TFreqArray*>, 4> targets{
      {{&c.FgangAF, &c.FgangA}, {&c.FgangAPF, &c.FgangAP}, {&c.FgangIF, &c.FgangI}, {&c.FgangIPF, &c.FgangIP}}};
  auto plain = [](const std::string& t) { return FieldDoubleLenient(t); };
  auto phase = [](const std::string& t) { return PhaseValue(t); };
  for (std::size_t k = 0; k < 4; ++k) {
    QTableWidget* g = grids_[k];
    TFreqArray& f = *targets[k].first;
    TFreqArray& v = *targets[k].second;
    const bool isPhase = k == 1 || k == 3;
    f.fill(0);
    v.fill(0);
    for (int r = 0; r < kCurveRows; ++r) {
      const double fr = CellNumber(g->item(r, 0), plain);
      // An empty cell reads as 0 and ends the list.
      if (!(fr > 0)) break;
      f[static_cast<std::size_t>(r)] = fr;
      v[static_cast<std::size_t>(r)] = isPhase ? CellNumber(g->item(r, 1), phase) : CellNumber(g->item(r, 1), plain);
    }
  }
}

template <class R, std::size_t N, std::size_t M>
void TFormChassisEd::FillBound(const R& r, const std::array<TNumberField<R>, N>& numbers,
                               const std::array<TCheckField<R>, M>& checks) {
  for (const auto& b : numbers) SetFieldNumber(Edit(b.control), r.*b.field, b.factor);
  for (const auto& b : checks) Check(b.control)->setChecked(r.*b.field);
}

template <class R, std::size_t N, std::size_t M>
void TFormChassisEd::ApplyBound(R& r, const std::array<TNumberField<R>, N>& numbers,
                                const std::array<TCheckField<R>, M>& checks) const {
  for (const auto& b : numbers) r.*b.field = FieldNumber(Edit(b.control), b.factor);
  for (const auto& b : checks) r.*b.field = Check(b.control)->isChecked();
}

void TFormChassisEd::Fill() {
  loading_ = true;
  const TChassis& c = *chassis_;
  const TEinbau& e = einbau_;
  const TSchallwand& w = schallwand_;
  Edit("EditName")->setText(QText(c.Name.View()));
  Edit("EditKommentar")->setText(QText(c.Kommentar.View()));
  Edit("EditName")->setCursorPosition(0);
  Edit("EditKommentar")->setCursorPosition(0);
  FillBound(c, kChassisNumbers, kChassisChecks);
  FillBound(e, kEinbauNumbers, kEinbauChecks);
  FillBound(w, kSchallwandNumbers, kSchallwandChecks);
  FillGrids();
  Check("CBUseFAP")->setEnabled(c.useFgangA);
  Check("CBUseFA4fs")->setEnabled(c.useFgangA);
  Check("CBUseFIP")->setEnabled(c.useFgangI);
  // Conditions 6 and 7 are not in the list: the list then shows nothing and
  // the condition of the record stays as it is.
  Control<QComboBox>("ComboBox1")->setCurrentIndex(c.fgang_which >= 1 && c.fgang_which <= 5 ? c.fgang_which - 1 : -1);
  memo_->setPlainText(QText("pubdate = " + c.pubdate.Str() + "\norgfilename = " + c.OrgFilename.Str()));

  // more data
  Edit("Ed_fu")->setText(QText(c._fu));
  Edit("Ed_fo")->setText(QText(c._fo));
  Edit("Ed_bnr")->setText(QText(c._bnr.View()));
  Edit("Ed_Da")->setText(QText(c._Da));

  // enclosure
  const int typ = c.hintengeschl ? 0 : std::clamp(e.Typ, 0, 4);
  typeButtons_[static_cast<std::size_t>(typ)]->setChecked(true);
  SetTypeButtonsEnabled();
  Control<QSlider>("TrackBarv")->setValue(e.Bedv);
  Control<QSlider>("TrackBarc")->setValue(e.Bedc);
  Control<QSlider>("TrackBark")->setValue(e.Bedk);
  Control<QSlider>("TrackBarvf")->setValue(e.Bedvf);
  Control<QSlider>("TrackBarkf")->setValue(e.Bedkf);

  // baffle
  // Directions set only by a measuring baffle are not in the list: then it
  // shows nothing and the record keeps its value.
  Control<QComboBox>("ComboBox2")->setCurrentIndex(w.direction >= 0 && w.direction <= 5 ? w.direction : -1);
  Control<QComboBox>("ComboBox3")->setCurrentIndex(w.directionr >= 0 && w.directionr <= 1 ? w.directionr : -1);
  Control<QComboBox>("CB_Membranform")->setCurrentIndex(w.Membranform >= 0 && w.Membranform <= 2 ? w.Membranform : -1);
  ApplyGemgehLock();
  loading_ = false;
  TypeChanged();
  DampingChanged();
}

void TFormChassisEd::Apply() {
  TChassis& c = *chassis_;
  TEinbau& e = einbau_;
  TSchallwand& w = schallwand_;
  c.Name = Str(Edit("EditName"));
  c.Kommentar = Str(Edit("EditKommentar"));
  ApplyBound(c, kChassisNumbers, kChassisChecks);
  ApplyBound(e, kEinbauNumbers, kEinbauChecks);
  ApplyBound(w, kSchallwandNumbers, kSchallwandChecks);
  ApplyGrids();
  const int cond = Control<QComboBox>("ComboBox1")->currentIndex();
  if (cond >= 0) c.fgang_which = static_cast<std::int16_t>(cond + 1);

  c._fu = Str(Edit("Ed_fu"));
  c._fo = Str(Edit("Ed_fo"));
  c._bnr = Str(Edit("Ed_bnr"));
  c._Da = Str(Edit("Ed_Da"));

  e.Typ = SelectedType();
  e.Bedv = static_cast<std::int8_t>(Control<QSlider>("TrackBarv")->value());
  e.Bedc = static_cast<std::int8_t>(Control<QSlider>("TrackBarc")->value());
  e.Bedk = static_cast<std::int8_t>(Control<QSlider>("TrackBark")->value());
  e.Bedvf = static_cast<std::int8_t>(Control<QSlider>("TrackBarvf")->value());
  e.Bedkf = static_cast<std::int8_t>(Control<QSlider>("TrackBarkf")->value());

  if (const int k = Control<QComboBox>("ComboBox2")->currentIndex(); k >= 0) w.direction = static_cast<std::int8_t>(k);
  if (const int k = Control<QComboBox>("ComboBox3")->currentIndex(); k >= 0) w.directionr = static_cast<std::int8_t>(k);
  if (const int k = Control<QComboBox>("CB_Membranform")->currentIndex(); k >= 0) {
    w.Membranform = static_cast<std::int8_t>(k);
    c.Membranform = static_cast<std::int8_t>(k);
  }
}

void TFormChassisEd::ReadControls(TChassis& chassis, TEinbau& einbau, TSchallwand& schallwand) {
  const auto keptChassis = std::make_unique<TChassis>(*chassis_);
  const TEinbau keptEinbau = einbau_;
  const TSchallwand keptSchallwand = schallwand_;
  Apply();
  chassis = *chassis_;
  einbau = einbau_;
  schallwand = schallwand_;
  *chassis_ = *keptChassis;
  einbau_ = keptEinbau;
  schallwand_ = keptSchallwand;
}

bool TFormChassisEd::HasPendingChanges() {
  if (!isVisible()) return false;
  const auto chassis = std::make_unique<TChassis>();
  TEinbau einbau{};
  TSchallwand schallwand{};
  ReadControls(*chassis, einbau, schallwand);
  // The derived values are computed for display, never entered.
  chassis->derived = openedChassis_->derived;
  return !(*chassis == *openedChassis_ && einbau == openedEinbau_ && schallwand == openedSchallwand_);
}

int TFormChassisEd::SelectedType() const {
  for (std::size_t t = 0; t < typeButtons_.size(); ++t)
    if (typeButtons_[t]->isChecked()) return static_cast<int>(t);
  return 0;
}

void TFormChassisEd::SetTypeButtonsEnabled() {
  const bool closedBack = Check("cbHintengeschl")->isChecked();
  for (std::size_t t = 1; t < typeButtons_.size(); ++t) typeButtons_[t]->setEnabled(!closedBack);
}

// ---------------------------------------------------------------- type, damping, derived values

void TFormChassisEd::TypeChanged() {
  if (loading_) return;
  const int t = SelectedType();
  const bool expl = Check("CBmbQexplizit")->isChecked();
  auto show = [this](const char* name, bool visible) {
    if (QWidget* row = findChild<QWidget*>(QString::fromLatin1(name) + "Row")) row->setVisible(visible);
  };
  show("EditVb", t >= 1);
  show("Editfb", t == 2 || t == 4);
  show("EditVbf", t >= 3);
  show("Editfbf", t >= 3);
  Check("CBmbQexplizit")->setVisible(t != 0);
  // explicit values
  const bool box = t >= 1;
  show("EditVv", expl && box);
  show("Editmb", expl && box);
  show("Editfmb", expl && box);
  show("EditQl", expl && box);
  show("EditQb", expl && (t == 2 || t == 4));
  show("EditQk", expl && (t == 2 || t == 4));
  show("EditvVf", expl && t >= 3);
  show("EditQbf", expl && t >= 3);
  show("EditQkf", expl && t >= 3);
  Control<QWidget>("SpeedButtonvV")->setVisible(expl && box);
  Control<QWidget>("SpeedButtonmb")->setVisible(expl && box);
  Control<QWidget>("SpeedButtonQk")->setVisible(expl && t >= 2);
  // damping levels
  show("TrackBarv", !expl && box);
  show("TrackBarc", !expl && box);
  show("TrackBark", !expl && (t == 2 || t == 4));
  show("TrackBarvf", !expl && t >= 3);
  show("TrackBarkf", !expl && t >= 3);
  rearGroup_->setVisible(t == 2 || t == 4);

  Apply();
  EstimateEnclosureLosses(*chassis_, einbau_);
  loading_ = true;
  SetFieldNumber(Edit("EditVv"), einbau_.vV);
  SetFieldNumber(Edit("EditvVf"), einbau_.vVf);
  SetFieldNumber(Edit("Editmb"), einbau_.mb);
  SetFieldNumber(Edit("Editfmb"), einbau_.fmb);
  SetFieldNumber(Edit("EditQl"), einbau_.Ql);
  SetFieldNumber(Edit("EditQb"), einbau_.Qb);
  SetFieldNumber(Edit("EditQbf"), einbau_.Qbf);
  SetFieldNumber(Edit("EditQk"), einbau_.Qk);
  SetFieldNumber(Edit("EditQkf"), einbau_.Qkf);
  loading_ = false;
  RefreshDerived();
}

void TFormChassisEd::DampingChanged() {
  if (loading_ || Check("CBmbQexplizit")->isChecked()) return;
  Apply();
  EstimateEnclosureLosses(*chassis_, einbau_);
  RefreshDerived();
}

void TFormChassisEd::RefreshDerived() {
  const auto placeholders = DerivedValueLabels(TChassisDerived{});
  for (const TDerivedLabel& l : placeholders)
    if (QLabel* label = DerivedLabel(l.key.c_str())) label->setText(QText(l.placeholder));
  DeriveChassisValues(*chassis_, einbau_, 1e-10);
  static_cast<TTypePicture*>(picture_)->SetType(SelectedType());
  for (const TDerivedLabel& l : DerivedValueLabels(chassis_->derived))
    if (QLabel* label = DerivedLabel(l.key.c_str())) label->setText(QText(l.text));
  const bool wasLoading = loading_;
  loading_ = true;
  SetFieldNumber(Edit("EditVv"), einbau_.vV);
  SetFieldNumber(Edit("Editmb"), einbau_.mb);
  SetFieldNumber(Edit("Editfmb"), einbau_.fmb);
  SetFieldNumber(Edit("EditQl"), einbau_.Ql);
  SetFieldNumber(Edit("EditQb"), einbau_.Qb);
  SetFieldNumber(Edit("EditvVf"), einbau_.vVf);
  SetFieldNumber(Edit("EditQbf"), einbau_.Qbf);
  SetFieldNumber(Edit("EditQk"), einbau_.Qk);
  SetFieldNumber(Edit("EditQkf"), einbau_.Qkf);
  loading_ = wasLoading;
}

// ---------------------------------------------------------------- Ok

void TFormChassisEd::BtnOkClick() {
  Apply();
  EstimateEnclosureLosses(*chassis_, einbau_);
  RefreshDerived();
  // The question comes before anything is written: "jetzt ändern" keeps the
  // editor open with the project untouched, so the next "Ok" takes one undo
  // step, not two.
  if (!(chassis_->fs > 0) && ui_.ChooseButton("Fehler: fs<=0", "jetzt ändern|bleibt so", 1) == 1) return;
  TProjectEdit edit(doc_, "Chassis " + std::to_string(slot_ + 1) + " editieren", TRecalc::Incremental);
  TProjekt& p = edit.Project();
  const auto s = static_cast<std::size_t>(slot_);
  p.Chassis[s] = *chassis_;
  p.Einbau[s] = einbau_;
  p.Schallwand[s] = schallwand_;
  edit.Commit();
  accept();
}

// ---------------------------------------------------------------- measured data

void TFormChassisEd::CbUseFAClick() {
  const bool on = Check("CbUseFA")->isChecked();
  Check("CBUseFAP")->setEnabled(on);
  Check("CBUseFA4fs")->setEnabled(on);
  Check("CBUseFA4fs")->setChecked(on);
  if (!on) Check("CBUseFAP")->setChecked(false);
}

void TFormChassisEd::CbUseFIClick() {
  const bool on = Check("CBUseFI")->isChecked();
  Check("CBUseFIP")->setEnabled(on);
  if (!on) Check("CBUseFIP")->setChecked(false);
}

void TFormChassisEd::MeasuringConditionChosen() {
  if (loading_) return;
  ui_.ShowMessage(kMeasuringNote);
}

void TFormChassisEd::BtnImportFGangClick() {
  Apply();
  const TFreqArray levelBefore = chassis_->FgangA, levelFreqBefore = chassis_->FgangAF;
  const TFreqArray phaseBefore = chassis_->FgangAP, phaseFreqBefore = chassis_->FgangAPF;
  if (!ImportFrequencyResponseWithLevel(*chassis_, ui_, settings_.chassisFolder)) return;
  Fill();
  // A curve that came from the file is meant to be used: its switch is
  // ticked (with the switches that depend on it), the others stay as they were.
  if (chassis_->FgangA != levelBefore || chassis_->FgangAF != levelFreqBefore) {
    Check("CbUseFA")->setChecked(true);
    CbUseFAClick();
  }
  if ((chassis_->FgangAP != phaseBefore || chassis_->FgangAPF != phaseFreqBefore) && Check("CbUseFA")->isChecked())
    Check("CBUseFAP")->setChecked(true);
  Apply();
}

void TFormChassisEd::BtnImportIGangClick() {
  Apply();
  const TFreqArray zBefore = chassis_->FgangI, zFreqBefore = chassis_->FgangIF;
  const TFreqArray phaseBefore = chassis_->FgangIP, phaseFreqBefore = chassis_->FgangIPF;
  if (!ImportImpedanceResponse(*chassis_, ui_, settings_.chassisFolder)) return;
  Fill();
  if (chassis_->FgangI != zBefore || chassis_->FgangIF != zFreqBefore) {
    Check("CBUseFI")->setChecked(true);
    CbUseFIClick();
  }
  if ((chassis_->FgangIP != phaseBefore || chassis_->FgangIPF != phaseFreqBefore) && Check("CBUseFI")->isChecked())
    Check("CBUseFIP")->setChecked(true);
  Apply();
}

void TFormChassisEd::BtnPegelClick() {
  Apply();
  if (!AskLevelShift(*chassis_, ui_)) return;
  Fill();
}

void TFormChassisEd::BtnLeReLe2rechnenClick() {
  Apply();
  auto work = std::make_unique<TChassis>(*chassis_);
  DeriveChassisValues(*work, einbau_, 1e-10);
  std::string memo;
  reLe2_->Clear();
  const bool fitted = FitVoiceCoil(*work, memo);
  // The fit's messages are shown at once: the user pressed the button and
  // needs to know why nothing was computed.
  if (!memo.empty()) {
    reLe2_->ShowMessages(memo);
    reLe2_->show();
    reLe2_->raise();
  }
  if (!fitted) return;
  if (ui_.ChooseButton(FitResultQuestion(*work), " &Ja |&Nein", 1) != 1) return;
  chassis_->Le = work->Le;
  chassis_->Re2 = work->Re2;
  chassis_->Le2 = work->Le2;
  chassis_->Re3 = work->Re3;
  chassis_->Le3 = work->Le3;
  Fill();
}

// ---------------------------------------------------------------- chassis files

void TFormChassisEd::BtnladenClick() {
  const auto file = ui_.PickOpenFile("Chassis laden", kChassisFilter, settings_.chassisFolder);
  std::error_code ec;
  if (!file || !std::filesystem::exists(*file, ec)) return;
  Apply();
  try {
    if (!LoadChassisFile(*chassis_, *file, ui_)) return;
  } catch (const TFileError& e) {
    ui_.ShowMessage(e.what());
    return;
  }
  schallwand_.d = AcousticDiameter(chassis_->Amem);
  schallwand_.Membranform = chassis_->Membranform;
  ui_.ShowMessage(
      "Chassis wurde geladen.\rAkustischer Durchmesser auf Schallwand und\rMembranform wurde aus Chassisdatei "
      "übernommen.");
  Fill();
}

void TFormChassisEd::BtnSpeichernClick() {
  const auto chosen =
      ui_.PickSaveFile("Chassis speichern", kChassisFilter, settings_.chassisFolder, chassis_->Name.Str() + ".ZCH");
  if (!chosen) return;
  Apply();
  try {
    SaveChassisFile(ChassisSaveName(*chosen), *chassis_);
  } catch (const TFileError& e) {
    ui_.ShowMessage(e.what());
  }
}

// ---------------------------------------------------------------- other handlers

void TFormChassisEd::CbHintengeschlClick() {
  if (Check("cbHintengeschl")->isChecked()) typeButtons_[0]->setChecked(true);
  SetTypeButtonsEnabled();
  TypeChanged();
}

void TFormChassisEd::CbGemgehClick() {
  if (!loading_ && Check("CBGemgeh")->isChecked()) {
    Check("CBGemgeh")->setChecked(false);
    ui_.ShowMessage(kGemgehRefusal);
  }
  ApplyGemgehLock();
}

void TFormChassisEd::ApplyGemgehLock() {
  // The geometry of a chassis on the common cabinet comes from that dialog;
  // only the outlet diameter and the membrane shape stay editable here.
  const bool locked = Check("CBGemgeh")->isChecked();
  for (const char* name : {"cbBeugL", "cbBeugR", "cbBeugo", "cbBeugu"}) Check(name)->setEnabled(!locked);
  // The greyed fields say where their values come from.
  const QString source =
      locked ? QText("Wert aus dem gemeinsamen Außengehäuse (Chassis & Einbau → gemeinsames Außengehäuse, Strg+G)")
             : QString();
  for (const char* name : {"Edita", "Editb", "Editc", "Edite", "Editf", "Editg", "Edith", "Editi", "Edithor",
                           "Editvert", "EditStra", "EditHorr", "EditVertr", "EditStrar"}) {
    Edit(name)->setEnabled(!locked);
    Edit(name)->setToolTip(source);
  }
  Control<QComboBox>("ComboBox2")->setEnabled(!locked);
  Control<QComboBox>("ComboBox3")->setEnabled(!locked);
}

void TFormChassisEd::HelpClick(int which) {
  THelpText h;
  switch (which) {
    case 0:
      h = VolumeFactorHelp();
      break;
    case 1:
      Apply();
      DeriveChassisValues(*chassis_, einbau_, 1e-10);
      h = AirLoadHelp(chassis_->Amem, chassis_->derived.Mmd, einbau_.Vb);
      break;
    default:
      h = PortLossHelp();
      break;
  }
  help_->ShowHelp(h.title, h.text, this);
}

}  // namespace sonvex
