#include "ui/editors/gem_geh_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <string>
#include <vector>

#include "acoustics/cabinet.h"
#include "ui/dialogs/field_number.h"
#include "ui/dialogs/window_place.h"
#include "ui/document/project_document.h"

namespace sonvex {

namespace {

QLineEdit* AddEdit(QGridLayout* g, int row, int col, const char* label, const std::string& name) {
  auto* l = new QLabel(QText(label));
  auto* e = new QLineEdit;
  e->setObjectName(QText(name));
  e->setMaximumWidth(70);
  FitNumberField(e);
  l->setBuddy(e);
  g->addWidget(l, row, col);
  g->addWidget(e, row, col + 1);
  return e;
}

}  // namespace

TFormGemGeh::TFormGemGeh(QWidget* parent) : QDialog(parent) {
  setObjectName("FormGemGeh");
  setWindowTitle(QText("gem. Außengehäuse"));
  auto* layout = new QVBoxLayout(this);

  auto* boxGroup = new QGroupBox(QText("Außengehäuse [cm]"));
  auto* bg = new QGridLayout(boxGroup);
  const std::array<std::pair<const char*, const char*>, 7> boxFields{{{"Höhe", "Edith"},
                                                                      {"Breite", "Editb"},
                                                                      {"Tiefe", "Editt"},
                                                                      {"Fase vorn links", "Editfasl"},
                                                                      {"Fase vorn rechts", "Editfasr"},
                                                                      {"Fase vorn oben", "Editfaso"},
                                                                      {"Fase vorn unten", "Editfasu"}}};
  for (std::size_t k = 0; k < boxFields.size(); ++k)
    boxEdits_[k] = AddEdit(bg, k < 3 ? 0 : 1, k < 3 ? static_cast<int>(k) * 2 : static_cast<int>(k - 3) * 2,
                           boxFields[k].first, boxFields[k].second);
  auto* note =
      new QLabel(QText("Chassisposition auf seiner Gehäuseseite: a von der Unterkante, c von der linken Kante, "
                       "jeweils von außen auf die Seite gesehen."));
  note->setWordWrap(true);
  bg->addWidget(note, 2, 0, 1, 8);

  // The position rows and the port rows below them share their columns: the
  // labels as wide as the widest of them, the combo boxes as wide as their
  // longest entry, the room left over after the last column.
  const int labelWidth = QLabel(QText("Reflexöffnung")).sizeHint().width();
  const int cLabelWidth = QLabel(QText("c [cm]")).sizeHint().width();
  auto columns = [labelWidth, cLabelWidth](QGridLayout* g) {
    g->setColumnMinimumWidth(0, labelWidth);
    g->setColumnMinimumWidth(2, cLabelWidth);
    g->setColumnStretch(4, 1);
  };
  auto* slotsGrid = new QGridLayout;
  for (int k = 0; k < kMaxChassis; ++k) {
    const std::string n = std::to_string(k + 1);
    TSlotControls& s = slots_[static_cast<std::size_t>(k)];
    s.group = new QGroupBox;
    s.group->setObjectName(QText("GroupBox" + n));
    auto* gl = new QVBoxLayout(s.group);
    s.check = new QCheckBox(QText("gem. Außengehäuse"));
    s.check->setObjectName(QText("CheckBox" + n));
    gl->addWidget(s.check);
    s.panel = new QWidget;
    s.panel->setObjectName(QText("PanelPos" + n));
    auto* pl = new QGridLayout(s.panel);
    pl->setContentsMargins(0, 0, 0, 0);
    s.face = new QComboBox;
    s.face->setObjectName(QText("CBStra" + n));
    for (const char* item : {"nach vorn", "nach hinten", "nach links", "nach rechts", "nach oben", "nach unten"})
      s.face->addItem(QText(item));
    pl->addWidget(new QLabel(QText("Seite")), 0, 0);
    s.face->setMinimumWidth(s.face->sizeHint().width());
    pl->addWidget(s.face, 0, 1, 1, 4);
    columns(pl);
    s.a = AddEdit(pl, 1, 0, "a [cm]", "Edita" + n);
    s.c = AddEdit(pl, 1, 2, "c [cm]", "Editc" + n);
    s.rearPanel = new QWidget;
    s.rearPanel->setObjectName(QText("PanelRear" + n));
    auto* rl = new QGridLayout(s.rearPanel);
    rl->setContentsMargins(0, 0, 0, 0);
    s.rearSide = new QComboBox;
    s.rearSide->setObjectName(QText("CBStraR" + n));
    s.rearSide->addItems({QText("gleiche Seite wie Chassis"), QText("gegenüber von Chassis")});
    rl->addWidget(new QLabel(QText("Reflexöffnung")), 0, 0);
    s.rearSide->setMinimumWidth(s.rearSide->sizeHint().width());
    rl->addWidget(s.rearSide, 0, 1, 1, 4);
    columns(rl);
    s.ar = AddEdit(rl, 1, 0, "a [cm]", "Editar" + n);
    s.cr = AddEdit(rl, 1, 2, "c [cm]", "Editcr" + n);
    pl->addWidget(s.rearPanel, 2, 0, 1, 5);
    gl->addWidget(s.panel);
    gl->addStretch();
    slotsGrid->addWidget(s.group, k / 4, k % 4);
    connect(s.check, &QCheckBox::clicked, this, [this] {
      UpdateVisibility();
      // A group that opens makes the dialog grow with it, up to the screen.
      FitToContent(size());
    });
  }
  // The box and the chassis groups keep the room their fields need; on a
  // screen too small for them they scroll above the buttons.
  auto* slotsPanel = new QWidget;
  slotsPanel->setObjectName("PanelChassis");
  auto* panelLayout = new QVBoxLayout(slotsPanel);
  panelLayout->setContentsMargins(0, 0, 0, 0);
  panelLayout->addWidget(boxGroup);
  panelLayout->addLayout(slotsGrid);
  slotsArea_ = new QScrollArea;
  slotsArea_->setObjectName("ScrollChassis");
  slotsArea_->setWidget(slotsPanel);
  slotsArea_->setWidgetResizable(true);
  slotsArea_->setFrameShape(QFrame::NoFrame);
  slotsArea_->setFocusPolicy(Qt::NoFocus);
  layout->addWidget(slotsArea_, 1);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  auto* ok = new QPushButton(QText("Ok"));
  ok->setObjectName("BtnOk");
  ok->setDefault(true);
  auto* cancel = new QPushButton(QText("Abbruch"));
  cancel->setObjectName("BtnAbbruch");
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  // The tab key goes through the box, then each chassis group from its check
  // box to its port, then to the buttons.
  std::vector<QWidget*> order(boxEdits_.begin(), boxEdits_.end());
  for (const TSlotControls& s : slots_) order.insert(order.end(), {s.check, s.face, s.a, s.c, s.rearSide, s.ar, s.cr});
  order.insert(order.end(), {ok, cancel});
  for (std::size_t k = 1; k < order.size(); ++k) setTabOrder(order[k - 1], order[k]);
}

QLineEdit* TFormGemGeh::Edit(const std::string& name) const { return findChild<QLineEdit*>(QText(name)); }

void TFormGemGeh::Fill(const TProjekt& p) {
  const TGemGeh& box = p.GemGeh;
  const std::array<double, 7> values{box.h, box.b, box.t, box.fasl, box.fasr, box.faso, box.fasu};
  for (std::size_t k = 0; k < values.size(); ++k) SetFieldNumber(boxEdits_[k], values[k], kCm);
  filledBox_ = box;
  for (int k = 0; k < kMaxChassis; ++k) {
    const auto sk = static_cast<std::size_t>(k);
    TSlotControls& s = slots_[sk];
    const TCabinetEntry e = CabinetEntryFromBaffle(box, p.Schallwand[sk]);
    filledEntries_[sk] = e;
    s.group->setTitle(QText(p.Chassis[sk].Name.Str() + "(" + std::to_string(k + 1) + ")"));
    s.group->setVisible(k < p.nChassis);
    s.check->setChecked(e.use);
    s.face->setCurrentIndex(e.face);
    s.rearSide->setCurrentIndex(e.rearSide);
    SetFieldNumber(s.a, e.a, kCm);
    SetFieldNumber(s.c, e.c, kCm);
    SetFieldNumber(s.ar, e.ar, kCm);
    SetFieldNumber(s.cr, e.cr, kCm);
    rearShown_[sk] = HasCabinetPort(p.Einbau[sk].Typ);
  }
  UpdateVisibility();
  FitToContent(QSize());
}

void TFormGemGeh::FitToContent(const QSize& atLeast) {
  // As large as the box and the groups of the project's chassis need, within
  // the screen.
  // (The layouts of a dialog not shown yet do not see the groups just hidden.)
  QWidget* panel = slotsArea_->widget();
  for (QLayout* l : panel->findChildren<QLayout*>()) l->invalidate();
  slotsArea_->setMinimumSize(panel->sizeHint());
  layout()->invalidate();
  const QSize wanted = layout()->totalSizeHint().expandedTo(atLeast);
  slotsArea_->setMinimumSize(0, 0);
  layout()->invalidate();
  ResizeWithinScreen(this, wanted, parentWidget());
}

void TFormGemGeh::UpdateVisibility() {
  for (std::size_t k = 0; k < slots_.size(); ++k) {
    slots_[k].panel->setVisible(slots_[k].check->isChecked());
    slots_[k].rearPanel->setVisible(rearShown_[k]);
  }
}

TGemGeh TFormGemGeh::Box() const {
  TGemGeh box;
  box.h = FieldNumber(boxEdits_[0], kCm);
  box.b = FieldNumber(boxEdits_[1], kCm);
  box.t = FieldNumber(boxEdits_[2], kCm);
  box.fasl = FieldNumber(boxEdits_[3], kCm);
  box.fasr = FieldNumber(boxEdits_[4], kCm);
  box.faso = FieldNumber(boxEdits_[5], kCm);
  box.fasu = FieldNumber(boxEdits_[6], kCm);
  return box;
}

TCabinetEntry TFormGemGeh::Entry(int k) const {
  const TSlotControls& s = slots_.at(static_cast<std::size_t>(k));
  TCabinetEntry e;
  e.use = s.check->isChecked();
  e.face = std::max(0, s.face->currentIndex());
  e.rearSide = std::max(0, s.rearSide->currentIndex());
  e.a = FieldNumber(s.a, kCm);
  e.c = FieldNumber(s.c, kCm);
  // Hidden rear edits (closed boxes) still give the outlet position.
  e.ar = FieldNumber(s.ar, kCm);
  e.cr = FieldNumber(s.cr, kCm);
  return e;
}

void TFormGemGeh::Apply(TProjekt& p) const {
  const TGemGeh box = Box();
  std::array<TCabinetEntry, kMaxChassis> entries{};
  for (int k = 0; k < kMaxChassis; ++k) entries[static_cast<std::size_t>(k)] = Entry(k);
  const std::array<TSchallwand, kChassisSlots> kept = p.Schallwand;
  ApplyCabinet(p, box, entries);
  if (!(box == filledBox_)) return;
  for (std::size_t k = 0; k < entries.size(); ++k)
    if (entries[k] == filledEntries_[k]) p.Schallwand[k] = kept[k];
}

bool EditCommonCabinet(TProjectDocument& doc, const TDialogRunner& run, QWidget* parent) {
  TFormGemGeh dialog(parent);
  dialog.Fill(doc.Project());
  if (run(dialog) != QDialog::Accepted) return false;
  // The cabinet is read by every chassis step: the incremental request
  // would not see it.
  TProjectEdit edit(doc, "Gemeinsames Außengehäuse editieren", TRecalc::AfterEdit);
  dialog.Apply(edit.Project());
  edit.Commit();
  return true;
}

}  // namespace sonvex
