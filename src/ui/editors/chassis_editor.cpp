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
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>
#include <exception>
#include <filesystem>
#include <system_error>

#include "acoustics/editor_values.h"
#include "acoustics/enclosure.h"
#include "acoustics/polar_directions.h"
#include "acoustics/voice_coil_fit.h"
#include "calc/file_load.h"
#include "model/chassis_file.h"
#include "model/field_descriptions.h"
#include "model/file_io.h"
#include "model/interaction.h"
#include "model/measurement_import.h"
#include "model/number_text.h"
#include "model/polar_import.h"
#include "model/polar_set.h"
#include "ui/dialogs/field_binder.h"
#include "ui/dialogs/field_number.h"
#include "ui/dialogs/help_text_window.h"
#include "ui/dialogs/window_place.h"
#include "ui/document/project_document.h"
#include "ui/editors/polar_import_dialog.h"
#include "ui/editors/voice_coil_fit_window.h"

namespace sonvex {

namespace {

constexpr const char* kChassisFilter = "Chassisdateien (*.ZCH)|*.ZCH";
constexpr const char* kMeasuringNote =
    "Wenn KORVANT-Chassisdaten geladen wurden,\rist es nicht sinnvoll, den Ort der Messung\rnachträglich zu "
    "manipulieren.\rIn diesem Fall wird empfohlen, die Chassisdatei\rneu zu laden";
constexpr const char* kCommonCabinetRefusal =
    "Aktivieren der Option \"gemeinsames Außengehäuse\"\rnur unter Menüpunkt \"gemeinsames Außengehäuse\" möglich.";
constexpr int kCurveRows = kMaxCurvePoints;  // rows 1..600 of the grids; the header is the table's own

// The loss factors and Qs of the enclosure: estimated from the damping levels
// unless entered.
constexpr std::array<double Enclosure::*, 9> kLossFields{&Enclosure::volumeFactor,
                                                         &Enclosure::frontVolumeFactor,
                                                         &Enclosure::airMassFactor,
                                                         &Enclosure::airMassCornerFreq,
                                                         &Enclosure::Ql,
                                                         &Enclosure::Qb,
                                                         &Enclosure::QbFront,
                                                         &Enclosure::Qp,
                                                         &Enclosure::QpFront};
// What the estimate of the losses reads besides the type and damping levels.
constexpr std::array<double Chassis::*, 3> kEstimateChassisFields{&Chassis::fs, &Chassis::Vas, &Chassis::Sd};
constexpr std::array<double Enclosure::*, 1> kEstimateEnclosureFields{&Enclosure::Vb};

// The names of the type buttons, by enclosure type 0..4.
constexpr std::array<const char*, 5> kTypeButtons{"integratedRadio", "closedRadio", "bassReflexRadio", "bandPassRadio",
                                                  "bandPassVentedRadio"};

// A small sketch of the enclosure type: the box, the chassis and the ports.
class TypePicture : public QWidget {
 public:
  explicit TypePicture(QWidget* parent) : QWidget(parent) { setFixedSize(150, 130); }
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
QLineEdit* AddEditRow(QGridLayout* grid, int row, int col, const char* label, const QString& name, int labelWidth = 0,
                      int columns = 1) {
  auto* box = new QWidget;
  box->setObjectName(name + "Row");
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

// A check box of record R bound to the field with this id (its control is
// called id + "Check").
template <class R>
QCheckBox* BoundCheck(RecordBinder<R>& binder, std::span<const RecordCheckField<R>> table, const char* caption,
                      std::string_view id) {
  for (const RecordCheckField<R>& f : table)
    if (id == f.id) return binder.Bind(MakeCheck(caption, (std::string(f.id) + "Check").c_str()), f.member);
  return nullptr;
}

// The row of a field (its caption and the field; hiding it hides both).
void ShowRow(QWidget* field, bool visible) { field->parentWidget()->setVisible(visible); }

QPushButton* MakeButton(const char* caption, const char* name) {
  auto* b = new QPushButton(QText(caption));
  b->setObjectName(name);
  return b;
}

std::string Str(const QLineEdit* e) { return e->text().toStdString(); }

}  // namespace

// ---------------------------------------------------------------- creation

ChassisEditorWindow::ChassisEditorWindow(ProjectDocument& doc, Settings& settings, Interaction& ui, QWidget* parent)
    : QDialog(parent),
      doc_(doc),
      settings_(settings),
      ui_(ui),
      chassis_(std::make_unique<Chassis>()),
      openedChassis_(std::make_unique<Chassis>()) {
  execDialog = [](QDialog& d) { return d.exec(); };
  // A new project, a load, undo or a reference swap close the editor
  // without applying.
  connect(&doc_, &ProjectDocument::aboutToReplaceProject, this, [this] {
    if (isVisible()) reject();
  });
  setObjectName("chassisEditor");
  setWindowTitle(QText("Chassis und Einbau editieren"));
  setModal(false);
  loading_ = true;
  auto* layout = new QVBoxLayout(this);
  pages_ = new QTabWidget(this);
  pages_->setObjectName("pages");
  layout->addWidget(pages_, 1);
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
  QPushButton* ok = MakeButton("Ok", "okButton");
  QPushButton* cancel = MakeButton("Abbruch", "cancelButton");
  ok->setDefault(true);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  connect(ok, &QPushButton::clicked, this, [this] { OkClick(); });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  // Closing in any way clears the document's editor flag.
  connect(this, &QDialog::finished, this, [this] {
    doc_.SetEditorOpen(EditorWindow::Chassis, false);
    emit openChanged(false);
    if (help_ != nullptr) help_->hide();
  });

  help_ = new HelpTextWindow(this);
  voiceCoilFit_ = new VoiceCoilFitWindow(this);
  resize(1180, 680);
  loading_ = false;
}

ChassisEditorWindow::~ChassisEditorWindow() = default;

template <class R>
QLineEdit* ChassisEditorWindow::AddNumberRow(RecordBinder<R>& binder, std::span<const RecordNumberField<R>> table,
                                             const char* id, QGridLayout* grid, int row, int col, int labelWidth) {
  const RecordNumberField<R>* f = FindField(table, id);
  QLineEdit* e = AddEditRow(grid, row, col, f->description.caption, QString::fromLatin1(id) + "Edit", labelWidth);
  return binder.Bind(e, *f);
}

void ChassisEditorWindow::BuildChassisPage(QWidget* page) {
  auto* h = new QHBoxLayout(page);
  auto* left = new QVBoxLayout;
  auto* form = new QGridLayout;
  form->setVerticalSpacing(2);
  int row = 0;
  nameEdit_ = AddEditRow(form, row++, 0, "Name", "nameEdit", 70, 2);
  nameEdit_->setMaximumWidth(QWIDGETSIZE_MAX);
  nameEdit_->setMaxLength(22);
  commentEdit_ = AddEditRow(form, row++, 0, "Kommentar", "commentEdit", 70, 2);
  commentEdit_->setMaximumWidth(QWIDGETSIZE_MAX);
  commentEdit_->setMaxLength(102);
  const std::array<const char*, 15> numbers{"fs",          "qes",  "qms", "vas",      "sd",
                                            "sourceDepth", "xlin", "rdc", "le",       "re2",
                                            "le2",         "re3",  "le3", "maxPower", "nominalImpedance"};
  for (std::size_t k = 0; k < numbers.size(); ++k)
    AddNumberRow(chassisFields_, ChassisNumberFields(), numbers[k], form, row + static_cast<int>(k % 8),
                 static_cast<int>(k / 8), k / 8 == 0 ? 70 : 100);
  left->addLayout(form);
  QCheckBox* rearClosed =
      BoundCheck(chassisFields_, ChassisCheckFields(), "rückseitig geschlossen (z. B. HT-Kalotten)", "rearClosed");
  left->addWidget(rearClosed);
  auto* fitButton = MakeButton("Re.. und Le.. aus Impedanzgang errechnen", "voiceCoilFitButton");
  left->addWidget(fitButton);
  auto* files = new QHBoxLayout;
  QPushButton* loadButton = MakeButton("Chassis laden ...", "loadChassisButton");
  QPushButton* saveButton = MakeButton("Chassis speichern ...", "saveChassisButton");
  files->addWidget(loadButton);
  files->addWidget(saveButton);
  left->addLayout(files);
  memo_ = new QPlainTextEdit;
  memo_->setObjectName("diagnosticsMemo");
  memo_->setReadOnly(true);
  memo_->setMaximumHeight(60);
  left->addWidget(memo_);
  left->addStretch();
  h->addLayout(left);

  // measured curves
  auto* right = new QVBoxLayout;
  auto* measured = new QGroupBox(QText("Meßdaten"));
  auto* mg = new QGridLayout(measured);
  const std::array<const char*, 4> gridNames{"responseGrid", "responsePhaseGrid", "impedanceGrid",
                                             "impedancePhaseGrid"};
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
  const auto checks = ChassisCheckFields();
  QCheckBox* useResponse = BoundCheck(chassisFields_, checks, "Amplitudengang verwenden", "useResponse");
  QCheckBox* useImpedance = BoundCheck(chassisFields_, checks, "Impedanzgang verwenden", "useImpedance");
  mg->addWidget(useResponse, 2, 0);
  mg->addWidget(BoundCheck(chassisFields_, checks, "Phasengang verwenden", "useResponsePhase"), 2, 1);
  mg->addWidget(useImpedance, 2, 2);
  mg->addWidget(BoundCheck(chassisFields_, checks, "el. Phase verwenden", "useImpedancePhase"), 2, 3);
  mg->addWidget(BoundCheck(chassisFields_, checks, "Amplitudengang auch für fs-Bereich", "useResponseForFs"), 3, 0, 1,
                2);
  auto* combo = new QComboBox;
  measuringCondition_ = combo;
  combo->setObjectName("measuringConditionCombo");
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
  QPushButton* importResponse = MakeButton("Frequenzgang importieren ...", "importResponseButton");
  QPushButton* changeLevel = MakeButton("Pegel ändern ...", "changeLevelButton");
  QPushButton* importImpedance = MakeButton("Impedanzgang importieren ...", "importImpedanceButton");
  importRow->addWidget(importResponse);
  importRow->addWidget(changeLevel);
  importRow->addWidget(importImpedance);
  mg->addLayout(importRow, 0, 0, 1, 4);
  // The polar set: measured off-axis responses of the chassis in its box.
  auto* polarRow = new QHBoxLayout;
  QPushButton* importPolar = MakeButton("Polardaten importieren ...", "importPolarButton");
  removePolarButton_ = MakeButton("Polardaten entfernen", "removePolarButton");
  polarRow->addWidget(importPolar);
  polarRow->addWidget(removePolarButton_);
  polarRow->addStretch();
  mg->addLayout(polarRow, 5, 0, 1, 4);
  polarState_ = new QLabel;
  polarState_->setObjectName("polarStateLabel");
  polarState_->setWordWrap(true);
  // Room for the summary, the directions and the note, so that the grids
  // above do not jump when the note comes or goes.
  polarState_->setMinimumHeight(3 * polarState_->fontMetrics().lineSpacing());
  polarState_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  polarState_->setToolTip(
      QText("Richtungen: 0 auf Achse; 1–20 unter 30°, 60°, 90°, 120° und 150° nach oben, links, unten und rechts; "
            "21 nach hinten; 22–29 in der Ebene der Schallwand"));
  // Three grids wide, not four: on a screen that makes the page scroll
  // sideways more of the text stays in view.
  mg->addWidget(polarState_, 6, 0, 1, 3);
  right->addWidget(measured);
  h->addLayout(right, 1);

  connect(useResponse, &QCheckBox::clicked, this, [this] { UseResponseClick(); });
  connect(useImpedance, &QCheckBox::clicked, this, [this] { UseImpedanceClick(); });
  connect(rearClosed, &QCheckBox::clicked, this, [this] { RearClosedClick(); });
  connect(combo, &QComboBox::activated, this, [this] { MeasuringConditionChosen(); });
  // Whether the polar set is used follows the condition and the switch as
  // they are shown, before "Ok".
  connect(combo, &QComboBox::currentIndexChanged, this, [this] { RefreshPolarState(); });
  connect(useResponse, &QCheckBox::toggled, this, [this] { RefreshPolarState(); });
  connect(importPolar, &QPushButton::clicked, this, [this] { ImportPolarClick(); });
  connect(removePolarButton_, &QPushButton::clicked, this, [this] { RemovePolarClick(); });
  connect(importResponse, &QPushButton::clicked, this, [this] { ImportResponseClick(); });
  connect(importImpedance, &QPushButton::clicked, this, [this] { ImportImpedanceClick(); });
  connect(changeLevel, &QPushButton::clicked, this, [this] { ChangeLevelClick(); });
  connect(fitButton, &QPushButton::clicked, this, [this] { VoiceCoilFitClick(); });
  connect(loadButton, &QPushButton::clicked, this, [this] { LoadChassisClick(); });
  connect(saveButton, &QPushButton::clicked, this, [this] { SaveChassisClick(); });
}

void ChassisEditorWindow::BuildEnclosurePage(QWidget* page) {
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
  auto* picture = new TypePicture(page);
  picture->setObjectName("typePicture");
  picture_ = picture;
  typeRow->addWidget(picture_);
  left->addLayout(typeRow);

  auto* volumes = new QGroupBox(QText("Volumen und Abstimmung"));
  auto* vg = new QGridLayout(volumes);
  const auto enclosureTable = EnclosureNumberFields();
  AddNumberRow(enclosureFields_, enclosureTable, "vb", vg, 0, 0, 80);
  AddNumberRow(enclosureFields_, enclosureTable, "fb", vg, 0, 1, 80);
  AddNumberRow(enclosureFields_, enclosureTable, "vbf", vg, 1, 0, 80);
  AddNumberRow(enclosureFields_, enclosureTable, "fbf", vg, 1, 1, 80);
  left->addWidget(volumes);

  auto* losses = new QGroupBox(QText("Dämmung, Verluste und Luftlast"));
  auto* lg = new QGridLayout(losses);
  QCheckBox* expl = BoundCheck(enclosureFields_, EnclosureCheckFields(), "Werte explizit eingeben", "explicitValues");
  lg->addWidget(expl, 0, 0, 1, 3);
  const std::array<const char*, 9> explicitEdits{"volumeFactor",      "mb",  "fmb", "ql", "qb", "qk",
                                                 "frontVolumeFactor", "qbf", "qkf"};
  for (std::size_t k = 0; k < explicitEdits.size(); ++k)
    AddNumberRow(enclosureFields_, enclosureTable, explicitEdits[k], lg, 1 + static_cast<int>(k % 5),
                 static_cast<int>(k / 5), 60);
  const std::array<std::pair<const char*, const char*>, 3> helps{
      {{"? vV", "volumeFactorHelpButton"}, {"? mb", "airLoadHelpButton"}, {"? Qk", "portLossHelpButton"}}};
  for (std::size_t k = 0; k < helps.size(); ++k) {
    auto* b = new QToolButton;
    b->setText(QText(helps[k].first));
    b->setObjectName(helps[k].second);
    helpButtons_[k] = b;
    lg->addWidget(b, 1 + static_cast<int>(k), 2);
    connect(b, &QToolButton::clicked, this, [this, k] { HelpClick(static_cast<int>(k)); });
  }
  const std::array<std::pair<const char*, const char*>, 5> tracks{
      {{"Dämmung Volumen", "volumeDampingSlider"},
       {"Dämmung Verluste", "lossDampingSlider"},
       {"Dämmung Reflexkanal", "portDampingSlider"},
       {"Dämmung vordere Kammer", "frontVolumeDampingSlider"},
       {"Dämmung vorderer Kanal", "frontPortDampingSlider"}}};
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
    dampingSliders_[k] = s;
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
  // Switching to estimated losses estimates them at once (TypeChanged).
  connect(expl, &QCheckBox::clicked, this, [this] { TypeChanged(); });

  auto* derived = new QGroupBox(QText("Errechnete Größen"));
  derived->setObjectName("derivedGroup");
  auto* dg = new QGridLayout(derived);
  const auto labels = DerivedValueLabels(ChassisDerived{});
  for (std::size_t k = 0; k < labels.size(); ++k) {
    auto* l = new QLabel(QText(labels[k].placeholder));
    l->setObjectName(QText("derivedLabel" + labels[k].key));
    derivedLabels_.push_back(l);
    l->setMinimumWidth(150);
    dg->addWidget(l, static_cast<int>(k % 14), static_cast<int>(k / 14));
  }
  QPushButton* refresh = MakeButton("aktualisieren", "refreshButton");
  dg->addWidget(refresh, 14, 0, 1, 2);
  connect(refresh, &QPushButton::clicked, this, [this] {
    Apply();
    FillLossFields();
    RefreshDerived();
  });
  h->addWidget(derived);
}

void ChassisEditorWindow::BuildBafflePage(QWidget* page) {
  auto* h = new QHBoxLayout(page);
  auto* left = new QVBoxLayout;
  auto* edges = new QGroupBox(QText("Beugung an Schallwandkante"));
  auto* el = new QHBoxLayout(edges);
  const auto checks = BaffleCheckFields();
  el->addWidget(BoundCheck(baffleFields_, checks, "links", "diffractionLeft"));
  el->addWidget(BoundCheck(baffleFields_, checks, "rechts", "diffractionRight"));
  el->addWidget(BoundCheck(baffleFields_, checks, "oben", "diffractionTop"));
  el->addWidget(BoundCheck(baffleFields_, checks, "unten", "diffractionBottom"));
  left->addWidget(edges);
  auto* dims = new QGroupBox(QText("Schallwand [cm]"));
  auto* dg = new QGridLayout(dims);
  const auto table = BaffleNumberFields();
  // a .. i in the order of the sketch's letters: the first nine of the table
  for (std::size_t k = 0; k < 9; ++k)
    AddNumberRow(baffleFields_, table, table[k].description.id, dg, static_cast<int>(k), 0, 200);
  left->addWidget(dims);
  auto* shape = new QComboBox;
  diaphragmShape_ = shape;
  shape->setObjectName("diaphragmShapeCombo");
  shape->addItems({QText("Kalotte"), QText("Konus"), QText("Ring")});
  auto* shapeRow = new QHBoxLayout;
  shapeRow->addWidget(new QLabel(QText("Membranform")));
  shapeRow->addWidget(shape, 1);
  left->addLayout(shapeRow);
  QCheckBox* commonCabinet = BoundCheck(baffleFields_, checks, "gemeinsames Außengehäuse", "commonCabinet");
  left->addWidget(commonCabinet);
  left->addStretch();
  h->addLayout(left, 1);

  auto* right = new QVBoxLayout;
  auto* pos = new QGroupBox(QText("Chassis im Raum"));
  auto* pg = new QGridLayout(pos);
  auto* dir = new QComboBox;
  direction_ = dir;
  dir->setObjectName("directionCombo");
  for (const char* item : {"nach vorne", "nach hinten", "nach links", "nach rechts", "nach oben", "nach unten"})
    dir->addItem(QText(item));
  pg->addWidget(new QLabel(QText("Abstrahlrichtung")), 0, 0);
  pg->addWidget(dir, 0, 1);
  AddNumberRow(baffleFields_, table, "horizontal", pg, 1, 0, 200);
  AddNumberRow(baffleFields_, table, "vertical", pg, 2, 0, 200);
  AddNumberRow(baffleFields_, table, "towardsListener", pg, 3, 0, 200);
  right->addWidget(pos);
  rearGroup_ = new QGroupBox(QText("rückwärtiger Schall (Reflexöffnung)"));
  rearGroup_->setObjectName("rearGroup");
  auto* rg = new QGridLayout(rearGroup_);
  auto* dirr = new QComboBox;
  rearDirection_ = dirr;
  dirr->setObjectName("rearDirectionCombo");
  dirr->addItems({QText("gleiche Richtung wie Chassis"), QText("entgegengesetzt von Chassis")});
  rg->addWidget(new QLabel(QText("Richtung")), 0, 0);
  rg->addWidget(dirr, 0, 1);
  AddNumberRow(baffleFields_, table, "rearHorizontal", rg, 1, 0, 200);
  AddNumberRow(baffleFields_, table, "rearVertical", rg, 2, 0, 200);
  AddNumberRow(baffleFields_, table, "rearTowardsListener", rg, 3, 0, 200);
  right->addWidget(rearGroup_);
  auto* note = new QLabel(
      QText("Die Position bezieht sich auf einen gemeinsamen Nullpunkt aller Chassis, z. B. die Mitte der Schallwand; "
            "Punkte hinter der Schallwand haben negative Werte \"zum Hörer\"."));
  note->setWordWrap(true);
  right->addWidget(note);
  right->addStretch();
  h->addLayout(right, 1);
  connect(commonCabinet, &QCheckBox::clicked, this, [this] { CommonCabinetClick(); });
}

void ChassisEditorWindow::BuildMorePage(QWidget* page) {
  auto* v = new QVBoxLayout(page);
  auto* g = new QGridLayout;
  // The data sheet's numbers and, between them, its texts (nullptr: a text
  // field of the captions below).
  const std::array<const char*, 18> rows{"ratedPower",      "voiceCoilHeight", "voiceCoilDiameter",
                                         "polePlateHeight", "dataSheetBl",     "sensitivity",
                                         "dataSheetLe",     "dataSheetMmd",    nullptr,
                                         nullptr,           "gapFluxDensity",  "magneticFlux",
                                         nullptr,           nullptr,           "mountingDepth",
                                         "cutout",          "weight",          "xmax"};
  const std::array<std::pair<const char*, QLineEdit**>, 4> texts{{{"untere Grenzfrequenz", &lowerFreqEdit_},
                                                                  {"obere Grenzfrequenz", &upperFreqEdit_},
                                                                  {"Bestellnummer", &orderNumberEdit_},
                                                                  {"Außenmaße", &outerDimensionsEdit_}}};
  const std::array<const char*, 4> textNames{"lowerFreqEdit", "upperFreqEdit", "orderNumberEdit",
                                             "outerDimensionsEdit"};
  std::size_t text = 0;
  for (std::size_t k = 0; k < rows.size(); ++k) {
    const int row = static_cast<int>(k % 9), col = static_cast<int>(k / 9);
    if (rows[k] != nullptr) {
      AddNumberRow(chassisFields_, ChassisNumberFields(), rows[k], g, row, col, 240);
    } else {
      *texts[text].second = AddEditRow(g, row, col, texts[text].first, QString::fromLatin1(textNames[text]), 240);
      ++text;
    }
  }
  v->addLayout(g);
  orderNumberEdit_->setMaxLength(15);
  // The texts of the data sheet (order number, frequency range, outer
  // dimensions) get the room of their longest usual entry.
  for (QLineEdit* e : {orderNumberEdit_, lowerFreqEdit_, upperFreqEdit_, outerDimensionsEdit_}) FitNumberField(e, 16);
  auto* note = new QLabel(QText("Diese Angaben dienen nur der Information; die Simulation verwendet sie nicht."));
  v->addWidget(note);
  v->addStretch();
}

// ---------------------------------------------------------------- open, fill, read

void ChassisEditorWindow::Open(int n) {
  const Project& p = doc_.CurrentProject();
  slot_ = std::clamp(n, 0, kChassisSlots - 1);
  const auto s = static_cast<std::size_t>(slot_);
  *chassis_ = p.chassis[s];
  enclosure_ = p.enclosures[s];
  baffle_ = p.baffles[s];
  pages_->setCurrentIndex(0);
  Fill();
  // The fields show rounded numbers: a change is a difference from what
  // they read right after filling, not from the project's exact values.
  ReadControls(*openedChassis_, openedEnclosure_, openedBaffle_);
  // Each opening puts the editor beside the main window (its parent),
  // whose charts follow its edits, or where it hides the least of them.
  if (!isVisible() && parentWidget() != nullptr) {
    ScrollPagesOnASmallScreen();
    PlaceWindowBeside(this, parentWidget());
  }
  doc_.SetEditorOpen(EditorWindow::Chassis, true);
  emit openChanged(true);
}

void ChassisEditorWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // The window manager's frame is known only once the editor is shown: where
  // it reaches past the screen's edge, the editor moves back onto it.
  QTimer::singleShot(150, this, [this] { KeepFrameOnScreen(this); });
}

void ChassisEditorWindow::ScrollPagesOnASmallScreen() {
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
    pages_->insertTab(i, ScrollingPage(page, ("scrollPage" + std::to_string(i + 1)).c_str()), text);
  }
  pages_->setCurrentIndex(current);
  // The smaller minimum size holds from now on, not only after the next
  // showing (the layouts keep the sizes they measured until told).
  pages_->updateGeometry();
  layout()->invalidate();
  layout()->activate();
}

void ChassisEditorWindow::FillGrids() {
  const Chassis& c = *chassis_;
  struct GridSource {
    const FreqArray* f;
    const FreqArray* v;
    bool phase;
    bool bounded;  // the impedance phase also ends outside 0.001 Hz .. 1 MHz
  };
  const std::array<GridSource, 4> sources{{{&c.measuredAmplitudeFreq, &c.measuredAmplitude, false, false},
                                           {&c.measuredAcousticPhaseFreq, &c.measuredAcousticPhase, true, false},
                                           {&c.measuredImpedanceFreq, &c.measuredImpedance, false, false},
                                           {&c.measuredElectricalPhaseFreq, &c.measuredElectricalPhase, true, true}}};
  for (std::size_t k = 0; k < 4; ++k) {
    QTableWidget* g = grids_[k];
    g->clearContents();
    try {
      const GridSource& src = sources[k];
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

void ChassisEditorWindow::ApplyGrids() {
  Chassis& c = *chassis_;
  const std::array<std::pair<FreqArray*, FreqArray*>, 4> targets{
      {{&c.measuredAmplitudeFreq, &c.measuredAmplitude},
       {&c.measuredAcousticPhaseFreq, &c.measuredAcousticPhase},
       {&c.measuredImpedanceFreq, &c.measuredImpedance},
       {&c.measuredElectricalPhaseFreq, &c.measuredElectricalPhase}}};
  auto plain = [](const std::string& t) { return FieldDoubleLenient(t); };
  auto phase = [](const std::string& t) { return PhaseValue(t); };
  for (std::size_t k = 0; k < 4; ++k) {
    QTableWidget* g = grids_[k];
    FreqArray& f = *targets[k].first;
    FreqArray& v = *targets[k].second;
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

void ChassisEditorWindow::Fill() {
  loading_ = true;
  const Chassis& c = *chassis_;
  const Enclosure& e = enclosure_;
  const Baffle& w = baffle_;
  nameEdit_->setText(QText(c.name.View()));
  commentEdit_->setText(QText(c.comment.View()));
  nameEdit_->setCursorPosition(0);
  commentEdit_->setCursorPosition(0);
  chassisFields_.Fill(c);
  enclosureFields_.Fill(e);
  baffleFields_.Fill(w);
  FillGrids();
  chassisFields_.Check(&Chassis::useMeasuredAcousticPhase)->setEnabled(c.useMeasuredAmplitude);
  chassisFields_.Check(&Chassis::useMeasuredAmplitudeAtFs)->setEnabled(c.useMeasuredAmplitude);
  chassisFields_.Check(&Chassis::useMeasuredElectricalPhase)->setEnabled(c.useMeasuredImpedance);
  // Conditions 6 and 7 are not in the list: the list then shows nothing and
  // the condition of the record stays as it is.
  measuringCondition_->setCurrentIndex(c.responseSource >= 1 && c.responseSource <= 5 ? c.responseSource - 1 : -1);
  memo_->setPlainText(QText("pubdate = " + c.publicationDate.Str() + "\norgfilename = " + c.originalFileName.Str()));

  // more data
  lowerFreqEdit_->setText(QText(c.lowerFreqText));
  upperFreqEdit_->setText(QText(c.upperFreqText));
  orderNumberEdit_->setText(QText(c.orderNumber.View()));
  outerDimensionsEdit_->setText(QText(c.outerDiameterText));

  // enclosure
  const int enclosureType = c.rearClosed ? 0 : std::clamp(e.type, 0, 4);
  typeButtons_[static_cast<std::size_t>(enclosureType)]->setChecked(true);
  SetTypeButtonsEnabled();
  const std::array<std::int8_t, 5> damping{e.dampingVolume, e.dampingNearChassis, e.dampingPort, e.dampingFrontVolume,
                                           e.dampingFrontPort};
  for (std::size_t k = 0; k < damping.size(); ++k) dampingSliders_[k]->setValue(damping[k]);

  // baffle
  // Directions set only by a measuring baffle are not in the list: then it
  // shows nothing and the record keeps its value.
  direction_->setCurrentIndex(w.direction >= 0 && w.direction <= 5 ? w.direction : -1);
  rearDirection_->setCurrentIndex(w.rearDirection >= 0 && w.rearDirection <= 1 ? w.rearDirection : -1);
  diaphragmShape_->setCurrentIndex(w.diaphragmShape >= 0 && w.diaphragmShape <= 2 ? w.diaphragmShape : -1);
  ApplyCommonCabinetLock();
  loading_ = false;
  RefreshPolarState();
  // Shows the type's rows and, unless entered, the estimated losses.
  TypeChanged();
}

void ChassisEditorWindow::ReadDamping(Enclosure& e) const {
  const std::array<std::int8_t Enclosure::*, 5> levels{&Enclosure::dampingVolume, &Enclosure::dampingNearChassis,
                                                       &Enclosure::dampingPort, &Enclosure::dampingFrontVolume,
                                                       &Enclosure::dampingFrontPort};
  for (std::size_t k = 0; k < levels.size(); ++k) e.*levels[k] = static_cast<std::int8_t>(dampingSliders_[k]->value());
}

void ChassisEditorWindow::Apply() {
  Chassis& c = *chassis_;
  Enclosure& e = enclosure_;
  Baffle& w = baffle_;
  c.name = Str(nameEdit_);
  c.comment = Str(commentEdit_);
  chassisFields_.Read(c);
  enclosureFields_.Read(e);
  baffleFields_.Read(w);
  ApplyGrids();
  const int cond = measuringCondition_->currentIndex();
  if (cond >= 0) c.responseSource = static_cast<std::int16_t>(cond + 1);

  c.lowerFreqText = Str(lowerFreqEdit_);
  c.upperFreqText = Str(upperFreqEdit_);
  c.orderNumber = Str(orderNumberEdit_);
  c.outerDiameterText = Str(outerDimensionsEdit_);

  e.type = SelectedType();
  ReadDamping(e);

  if (const int k = direction_->currentIndex(); k >= 0) w.direction = static_cast<std::int8_t>(k);
  if (const int k = rearDirection_->currentIndex(); k >= 0) w.rearDirection = static_cast<std::int8_t>(k);
  if (const int k = diaphragmShape_->currentIndex(); k >= 0) {
    w.diaphragmShape = static_cast<std::int8_t>(k);
    c.diaphragmShape = static_cast<std::int8_t>(k);
  }
}

void ChassisEditorWindow::ReadControls(Chassis& chassis, Enclosure& enclosure, Baffle& baffle) {
  const auto keptChassis = std::make_unique<Chassis>(*chassis_);
  const Enclosure keptEnclosure = enclosure_;
  const Baffle keptBaffle = baffle_;
  Apply();
  chassis = *chassis_;
  enclosure = enclosure_;
  baffle = baffle_;
  *chassis_ = *keptChassis;
  enclosure_ = keptEnclosure;
  baffle_ = keptBaffle;
}

bool ChassisEditorWindow::HasPendingChanges() {
  if (!isVisible()) return false;
  const auto chassis = std::make_unique<Chassis>();
  Enclosure enclosure{};
  Baffle baffle{};
  ReadControls(*chassis, enclosure, baffle);
  // The derived values are computed for display, never entered.
  chassis->derived = openedChassis_->derived;
  return !(*chassis == *openedChassis_ && enclosure == openedEnclosure_ && baffle == openedBaffle_);
}

int ChassisEditorWindow::SelectedType() const {
  for (std::size_t t = 0; t < typeButtons_.size(); ++t)
    if (typeButtons_[t]->isChecked()) return static_cast<int>(t);
  return 0;
}

void ChassisEditorWindow::SetTypeButtonsEnabled() {
  const bool closedBack = chassisFields_.Check(&Chassis::rearClosed)->isChecked();
  for (std::size_t t = 1; t < typeButtons_.size(); ++t) typeButtons_[t]->setEnabled(!closedBack);
}

// ---------------------------------------------------------------- type, damping, derived values

void ChassisEditorWindow::TypeChanged() {
  if (loading_) return;
  const int t = SelectedType();
  const bool expl = enclosureFields_.Check(&Enclosure::explicitValues)->isChecked();
  auto show = [this](double Enclosure::*field, bool visible) { ShowRow(enclosureFields_.Edit(field), visible); };
  show(&Enclosure::Vb, t >= 1);
  show(&Enclosure::fb, t == 2 || t == 4);
  show(&Enclosure::VbFront, t >= 3);
  show(&Enclosure::fbFront, t >= 3);
  enclosureFields_.Check(&Enclosure::explicitValues)->setVisible(t != 0);
  // explicit values
  const bool box = t >= 1;
  show(&Enclosure::volumeFactor, expl && box);
  show(&Enclosure::airMassFactor, expl && box);
  show(&Enclosure::airMassCornerFreq, expl && box);
  show(&Enclosure::Ql, expl && box);
  show(&Enclosure::Qb, expl && (t == 2 || t == 4));
  show(&Enclosure::Qp, expl && (t == 2 || t == 4));
  show(&Enclosure::frontVolumeFactor, expl && t >= 3);
  show(&Enclosure::QbFront, expl && t >= 3);
  show(&Enclosure::QpFront, expl && t >= 3);
  helpButtons_[0]->setVisible(expl && box);
  helpButtons_[1]->setVisible(expl && box);
  helpButtons_[2]->setVisible(expl && t >= 2);
  // damping levels
  const std::array<bool, 5> sliders{!expl && box, !expl && box, !expl && (t == 2 || t == 4), !expl && t >= 3,
                                    !expl && t >= 3};
  for (std::size_t k = 0; k < sliders.size(); ++k) ShowRow(dampingSliders_[k], sliders[k]);
  rearGroup_->setVisible(t == 2 || t == 4);

  // The type is the enclosure's own; the losses estimated from the damping
  // levels depend on it. Entered losses stay as the fields show them.
  enclosure_.type = t;
  enclosure_.explicitValues = expl;
  if (!expl) EstimateLosses();
  RefreshDerived();
}

void ChassisEditorWindow::DampingChanged() {
  if (loading_ || enclosureFields_.Check(&Enclosure::explicitValues)->isChecked()) return;
  EstimateLosses();
  RefreshDerived();
}

void ChassisEditorWindow::EstimateLosses() {
  // The estimate reads the type, the damping levels, Vb and the chassis's
  // fs, Vas and Sd: only these come from the fields.
  enclosure_.type = SelectedType();
  enclosure_.explicitValues = enclosureFields_.Check(&Enclosure::explicitValues)->isChecked();
  ReadDamping(enclosure_);
  chassisFields_.Read(*chassis_, kEstimateChassisFields);
  enclosureFields_.Read(enclosure_, kEstimateEnclosureFields);
  EstimateEnclosureLosses(*chassis_, enclosure_);
  FillLossFields();
}

void ChassisEditorWindow::FillLossFields() {
  const bool wasLoading = loading_;
  loading_ = true;
  enclosureFields_.Fill(enclosure_, kLossFields);
  loading_ = wasLoading;
}

void ChassisEditorWindow::RefreshDerived() {
  const auto placeholders = DerivedValueLabels(ChassisDerived{});
  for (std::size_t k = 0; k < placeholders.size() && k < derivedLabels_.size(); ++k)
    derivedLabels_[k]->setText(QText(placeholders[k].placeholder));
  // The values the fields show now, entered or not yet taken.
  Enclosure shown = enclosure_;
  enclosureFields_.Read(shown);
  shown.type = SelectedType();
  ReadDamping(shown);
  const auto work = std::make_unique<Chassis>(*chassis_);
  chassisFields_.Read(*work);
  DeriveChassisValues(*work, shown, 1e-10);
  chassis_->derived = work->derived;
  static_cast<TypePicture*>(picture_)->SetType(SelectedType());
  const auto labels = DerivedValueLabels(chassis_->derived);
  for (std::size_t k = 0; k < labels.size() && k < derivedLabels_.size(); ++k)
    derivedLabels_[k]->setText(QText(labels[k].text));
}

// ---------------------------------------------------------------- Ok

void ChassisEditorWindow::OkClick() {
  Apply();
  EstimateEnclosureLosses(*chassis_, enclosure_);
  FillLossFields();
  RefreshDerived();
  // The question comes before anything is written: "jetzt ändern" keeps the
  // editor open with the project untouched, so the next "Ok" takes one undo
  // step, not two.
  const FieldDescription& fs = FindField(ChassisNumberFields(), &Chassis::fs)->description;
  if (!RecordValueInRange(fs, chassis_->fs) && ui_.ChooseButton("Fehler: fs<=0", "jetzt ändern|bleibt so", 1) == 1)
    return;
  ProjectEdit edit(doc_, "Chassis " + std::to_string(slot_ + 1) + " editieren");
  Project& p = edit.EditedProject();
  const auto s = static_cast<std::size_t>(slot_);
  p.chassis[s] = *chassis_;
  p.enclosures[s] = enclosure_;
  p.baffles[s] = baffle_;
  edit.Commit();
  accept();
}

// ---------------------------------------------------------------- measured data

void ChassisEditorWindow::UseResponseClick() {
  const bool on = chassisFields_.Check(&Chassis::useMeasuredAmplitude)->isChecked();
  chassisFields_.Check(&Chassis::useMeasuredAcousticPhase)->setEnabled(on);
  chassisFields_.Check(&Chassis::useMeasuredAmplitudeAtFs)->setEnabled(on);
  chassisFields_.Check(&Chassis::useMeasuredAmplitudeAtFs)->setChecked(on);
  if (!on) chassisFields_.Check(&Chassis::useMeasuredAcousticPhase)->setChecked(false);
}

void ChassisEditorWindow::UseImpedanceClick() {
  const bool on = chassisFields_.Check(&Chassis::useMeasuredImpedance)->isChecked();
  chassisFields_.Check(&Chassis::useMeasuredElectricalPhase)->setEnabled(on);
  if (!on) chassisFields_.Check(&Chassis::useMeasuredElectricalPhase)->setChecked(false);
}

void ChassisEditorWindow::MeasuringConditionChosen() {
  if (loading_) return;
  ui_.ShowMessage(kMeasuringNote);
}

void ChassisEditorWindow::ImportResponseClick() {
  Apply();
  const FreqArray levelBefore = chassis_->measuredAmplitude, levelFreqBefore = chassis_->measuredAmplitudeFreq;
  const FreqArray phaseBefore = chassis_->measuredAcousticPhase, phaseFreqBefore = chassis_->measuredAcousticPhaseFreq;
  if (!ImportFrequencyResponseWithLevel(*chassis_, ui_, settings_.chassisFolder)) return;
  Fill();
  // A curve that came from the file is meant to be used: its switch is
  // ticked (with the switches that depend on it), the others stay as they were.
  if (chassis_->measuredAmplitude != levelBefore || chassis_->measuredAmplitudeFreq != levelFreqBefore) {
    chassisFields_.Check(&Chassis::useMeasuredAmplitude)->setChecked(true);
    UseResponseClick();
  }
  if ((chassis_->measuredAcousticPhase != phaseBefore || chassis_->measuredAcousticPhaseFreq != phaseFreqBefore) &&
      chassisFields_.Check(&Chassis::useMeasuredAmplitude)->isChecked())
    chassisFields_.Check(&Chassis::useMeasuredAcousticPhase)->setChecked(true);
  Apply();
}

void ChassisEditorWindow::ImportImpedanceClick() {
  Apply();
  const FreqArray zBefore = chassis_->measuredImpedance, zFreqBefore = chassis_->measuredImpedanceFreq;
  const FreqArray phaseBefore = chassis_->measuredElectricalPhase,
                  phaseFreqBefore = chassis_->measuredElectricalPhaseFreq;
  if (!ImportImpedanceResponse(*chassis_, ui_, settings_.chassisFolder)) return;
  Fill();
  if (chassis_->measuredImpedance != zBefore || chassis_->measuredImpedanceFreq != zFreqBefore) {
    chassisFields_.Check(&Chassis::useMeasuredImpedance)->setChecked(true);
    UseImpedanceClick();
  }
  if ((chassis_->measuredElectricalPhase != phaseBefore || chassis_->measuredElectricalPhaseFreq != phaseFreqBefore) &&
      chassisFields_.Check(&Chassis::useMeasuredImpedance)->isChecked())
    chassisFields_.Check(&Chassis::useMeasuredElectricalPhase)->setChecked(true);
  Apply();
}

void ChassisEditorWindow::ChangeLevelClick() {
  Apply();
  if (!AskLevelShift(*chassis_, ui_)) return;
  Fill();
}

void ChassisEditorWindow::ImportPolarClick() {
  const std::vector<std::filesystem::path> paths = ui_.PickOpenFiles(
      "Polardaten importieren", ImportFileFilter(MeasurementKind::FrequencyResponse), settings_.chassisFolder);
  if (paths.empty()) return;
  const Project& p = doc_.CurrentProject();
  PolarImportDialog dialog(ReadPolarFiles(paths), p.fMin, p.fMax, ui_, this);
  if (execDialog(dialog) != QDialog::Accepted) return;
  chassis_->polar = dialog.Set();
  RefreshPolarState();
}

void ChassisEditorWindow::RemovePolarClick() {
  chassis_->polar = PolarSet{};
  RefreshPolarState();
}

void ChassisEditorWindow::RefreshPolarState() {
  const PolarSet& set = chassis_->polar;
  removePolarButton_->setEnabled(!set.Empty());
  if (set.Empty()) {
    polarState_->setText(QText(PolarSetSummary(set)));
    return;
  }
  QStringList lines;
  lines << QText(PolarSetSummary(set));
  const std::uint32_t coverage = PolarCoverage(set);
  lines << QText(coverage == 0 ? std::string("aus Messung: keine Richtung")
                               : "aus Messung: Richtungen " + DirectionListText(coverage));
  // The measuring condition and the switch of the measured response as the
  // controls show them.
  const auto shown = std::make_unique<Chassis>();
  shown->polar = set;
  const int cond = measuringCondition_->currentIndex();
  shown->responseSource = cond >= 0 ? static_cast<std::int16_t>(cond + 1) : chassis_->responseSource;
  shown->useMeasuredAmplitude = chassisFields_.Check(&Chassis::useMeasuredAmplitude)->isChecked();
  if (const std::string unused = PolarSetUnusedText(*shown); !unused.empty()) lines << QText(unused);
  polarState_->setText(lines.join(QChar('\n')));
}

void ChassisEditorWindow::VoiceCoilFitClick() {
  Apply();
  auto work = std::make_unique<Chassis>(*chassis_);
  DeriveChassisValues(*work, enclosure_, 1e-10);
  std::string memo;
  voiceCoilFit_->Clear();
  const bool fitted = FitVoiceCoil(*work, memo);
  // The fit's messages are shown at once: the user pressed the button and
  // needs to know why nothing was computed.
  if (!memo.empty()) {
    voiceCoilFit_->ShowMessages(memo);
    voiceCoilFit_->show();
    voiceCoilFit_->raise();
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

void ChassisEditorWindow::LoadChassisClick() {
  const auto file = ui_.PickOpenFile("Chassis laden", kChassisFilter, settings_.chassisFolder);
  std::error_code ec;
  if (!file || !std::filesystem::exists(*file, ec)) return;
  Apply();
  try {
    if (!LoadChassisFile(*chassis_, *file, ui_)) return;
  } catch (const FileError& e) {
    ui_.ShowMessage(e.what());
    return;
  }
  baffle_.outletDiameter = AcousticDiameter(chassis_->Sd);
  baffle_.diaphragmShape = chassis_->diaphragmShape;
  ui_.ShowMessage(
      "Chassis wurde geladen.\rAkustischer Durchmesser auf Schallwand und\rMembranform wurde aus Chassisdatei "
      "übernommen.");
  Fill();
}

void ChassisEditorWindow::SaveChassisClick() {
  const auto chosen =
      ui_.PickSaveFile("Chassis speichern", kChassisFilter, settings_.chassisFolder, chassis_->name.Str() + ".ZCH");
  if (!chosen) return;
  Apply();
  try {
    SaveChassisFile(ChassisSaveName(*chosen), *chassis_);
  } catch (const FileError& e) {
    ui_.ShowMessage(e.what());
  }
}

// ---------------------------------------------------------------- other handlers

void ChassisEditorWindow::RearClosedClick() {
  if (chassisFields_.Check(&Chassis::rearClosed)->isChecked()) typeButtons_[0]->setChecked(true);
  SetTypeButtonsEnabled();
  TypeChanged();
}

void ChassisEditorWindow::CommonCabinetClick() {
  if (!loading_ && baffleFields_.Check(&Baffle::useCabinet)->isChecked()) {
    baffleFields_.Check(&Baffle::useCabinet)->setChecked(false);
    ui_.ShowMessage(kCommonCabinetRefusal);
  }
  ApplyCommonCabinetLock();
}

void ChassisEditorWindow::ApplyCommonCabinetLock() {
  // The geometry of a chassis on the common cabinet comes from that dialog;
  // only the outlet diameter and the membrane shape stay editable here.
  const bool locked = baffleFields_.Check(&Baffle::useCabinet)->isChecked();
  for (const CheckFieldBinder<Baffle>& b : baffleFields_.Checks())
    if (b.Member() != &Baffle::useCabinet) b.Box()->setEnabled(!locked);
  // The greyed fields say where their values come from.
  const QString source =
      locked ? QText("Wert aus dem gemeinsamen Außengehäuse (Chassis & Einbau → gemeinsames Außengehäuse, Strg+G)")
             : QString();
  for (const NumberFieldBinder<Baffle>& b : baffleFields_.Numbers()) {
    if (b.Member() == &Baffle::outletDiameter) continue;
    b.Edit()->setEnabled(!locked);
    b.Edit()->setToolTip(source);
  }
  direction_->setEnabled(!locked);
  rearDirection_->setEnabled(!locked);
}

void ChassisEditorWindow::HelpClick(int which) {
  HelpText h;
  switch (which) {
    case 0:
      h = VolumeFactorHelp();
      break;
    case 1:
      Apply();
      DeriveChassisValues(*chassis_, enclosure_, 1e-10);
      h = AirLoadHelp(chassis_->Sd, chassis_->derived.Mmd, enclosure_.Vb);
      break;
    default:
      h = PortLossHelp();
      break;
  }
  help_->ShowHelp(h.title, h.text, this);
}

}  // namespace sonvex
