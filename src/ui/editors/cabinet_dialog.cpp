#include "ui/editors/cabinet_dialog.h"

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

// Makes every layout within `w` measure again.
void InvalidateLayouts(QLayout* layout) {
  if (layout == nullptr) return;
  layout->invalidate();
  for (int i = 0; i < layout->count(); ++i) {
    QLayoutItem* item = layout->itemAt(i);
    InvalidateLayouts(item->layout());
    if (item->widget() != nullptr) InvalidateLayouts(item->widget()->layout());
  }
}

}  // namespace

CabinetDialog::CabinetDialog(QWidget* parent) : QDialog(parent) {
  setObjectName("cabinetDialog");
  setWindowTitle(QText("gem. Außengehäuse"));
  auto* layout = new QVBoxLayout(this);

  auto* boxGroup = new QGroupBox(QText("Außengehäuse [cm]"));
  auto* bg = new QGridLayout(boxGroup);
  const auto boxFields = CabinetNumberFields();
  for (std::size_t k = 0; k < boxFields.size(); ++k) {
    const FieldDescription& d = boxFields[k].description;
    boxFields_.Bind(AddEdit(bg, k < 3 ? 0 : 1, k < 3 ? static_cast<int>(k) * 2 : static_cast<int>(k - 3) * 2, d.caption,
                            std::string(d.id) + "Edit"),
                    boxFields[k]);
  }
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
    SlotControls& s = slots_[static_cast<std::size_t>(k)];
    s.group = new QGroupBox;
    s.group->setObjectName(QText("slotGroup" + n));
    auto* gl = new QVBoxLayout(s.group);
    s.check = new QCheckBox(QText("gem. Außengehäuse"));
    s.check->setObjectName(QText("commonCabinetCheck" + n));
    gl->addWidget(s.check);
    s.panel = new QWidget;
    s.panel->setObjectName(QText("positionPanel" + n));
    auto* pl = new QGridLayout(s.panel);
    pl->setContentsMargins(0, 0, 0, 0);
    s.face = new QComboBox;
    s.face->setObjectName(QText("faceCombo" + n));
    for (const char* item : {"nach vorn", "nach hinten", "nach links", "nach rechts", "nach oben", "nach unten"})
      s.face->addItem(QText(item));
    pl->addWidget(new QLabel(QText("Seite")), 0, 0);
    s.face->setMinimumWidth(s.face->sizeHint().width());
    pl->addWidget(s.face, 0, 1, 1, 4);
    columns(pl);
    s.fromBottom = AddEdit(pl, 1, 0, "a [cm]", "fromBottomEdit" + n);
    s.fromLeft = AddEdit(pl, 1, 2, "c [cm]", "fromLeftEdit" + n);
    s.rearPanel = new QWidget;
    s.rearPanel->setObjectName(QText("rearPanel" + n));
    auto* rl = new QGridLayout(s.rearPanel);
    rl->setContentsMargins(0, 0, 0, 0);
    s.rearSide = new QComboBox;
    s.rearSide->setObjectName(QText("rearSideCombo" + n));
    s.rearSide->addItems({QText("gleiche Seite wie Chassis"), QText("gegenüber von Chassis")});
    rl->addWidget(new QLabel(QText("Reflexöffnung")), 0, 0);
    s.rearSide->setMinimumWidth(s.rearSide->sizeHint().width());
    rl->addWidget(s.rearSide, 0, 1, 1, 4);
    columns(rl);
    s.outletFromBottom = AddEdit(rl, 1, 0, "a [cm]", "outletFromBottomEdit" + n);
    s.outletFromLeft = AddEdit(rl, 1, 2, "c [cm]", "outletFromLeftEdit" + n);
    s.fields.Bind(s.check, &CabinetEntry::use);
    s.fields.Bind(s.fromBottom, &CabinetEntry::bottomDistance, kCabinetPositionField);
    s.fields.Bind(s.fromLeft, &CabinetEntry::leftDistance, kCabinetPositionField);
    s.fields.Bind(s.outletFromBottom, &CabinetEntry::rearBottomDistance, kCabinetPositionField);
    s.fields.Bind(s.outletFromLeft, &CabinetEntry::rearLeftDistance, kCabinetPositionField);
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
  slotsPanel->setObjectName("chassisPanel");
  auto* panelLayout = new QVBoxLayout(slotsPanel);
  panelLayout->setContentsMargins(0, 0, 0, 0);
  panelLayout->addWidget(boxGroup);
  panelLayout->addLayout(slotsGrid);
  slotsArea_ = new QScrollArea;
  slotsArea_->setObjectName("chassisScrollArea");
  slotsArea_->setWidget(slotsPanel);
  slotsArea_->setWidgetResizable(true);
  slotsArea_->setFrameShape(QFrame::NoFrame);
  slotsArea_->setFocusPolicy(Qt::NoFocus);
  layout->addWidget(slotsArea_, 1);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  auto* ok = new QPushButton(QText("Ok"));
  ok->setObjectName("okButton");
  ok->setDefault(true);
  auto* cancel = new QPushButton(QText("Abbruch"));
  cancel->setObjectName("cancelButton");
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  // The tab key goes through the box, then each chassis group from its check
  // box to its port, then to the buttons.
  std::vector<QWidget*> order;
  for (const NumberFieldBinder<Cabinet>& b : boxFields_.Numbers()) order.push_back(b.Edit());
  for (const SlotControls& s : slots_)
    order.insert(order.end(),
                 {s.check, s.face, s.fromBottom, s.fromLeft, s.rearSide, s.outletFromBottom, s.outletFromLeft});
  order.insert(order.end(), {ok, cancel});
  for (std::size_t k = 1; k < order.size(); ++k) setTabOrder(order[k - 1], order[k]);
}

void CabinetDialog::Fill(const Project& p) {
  const Cabinet& box = p.cabinet;
  boxFields_.Fill(box);
  filledBox_ = box;
  for (int k = 0; k < kMaxChassis; ++k) {
    const auto sk = static_cast<std::size_t>(k);
    SlotControls& s = slots_[sk];
    const CabinetEntry e = CabinetEntryFromBaffle(box, p.baffles[sk]);
    filledEntries_[sk] = e;
    s.group->setTitle(QText(p.chassis[sk].name.Str() + "(" + std::to_string(k + 1) + ")"));
    s.group->setVisible(k < p.chassisCount);
    s.fields.Fill(e);
    s.face->setCurrentIndex(e.face);
    s.rearSide->setCurrentIndex(e.rearSide);
    rearShown_[sk] = HasCabinetPort(p.enclosures[sk].type);
  }
  UpdateVisibility();
  FitToContent(QSize());
}

void CabinetDialog::FitToContent(const QSize& atLeast) {
  // As large as the box and the groups of the project's chassis need, within
  // the screen.
  // (The layouts of a dialog not shown yet do not see the groups just hidden.)
  QWidget* panel = slotsArea_->widget();
  InvalidateLayouts(panel->layout());
  slotsArea_->setMinimumSize(panel->sizeHint());
  layout()->invalidate();
  const QSize wanted = layout()->totalSizeHint().expandedTo(atLeast);
  slotsArea_->setMinimumSize(0, 0);
  layout()->invalidate();
  ResizeWithinScreen(this, wanted, parentWidget());
}

void CabinetDialog::UpdateVisibility() {
  for (std::size_t k = 0; k < slots_.size(); ++k) {
    slots_[k].panel->setVisible(slots_[k].check->isChecked());
    slots_[k].rearPanel->setVisible(rearShown_[k]);
  }
}

Cabinet CabinetDialog::Box() const {
  Cabinet box;
  boxFields_.Read(box);
  return box;
}

CabinetEntry CabinetDialog::Entry(int k) const {
  const SlotControls& s = slots_.at(static_cast<std::size_t>(k));
  CabinetEntry e;
  // Hidden rear edits (closed boxes) still give the outlet position.
  s.fields.Read(e);
  e.face = std::max(0, s.face->currentIndex());
  e.rearSide = std::max(0, s.rearSide->currentIndex());
  return e;
}

void CabinetDialog::Apply(Project& p) const {
  const Cabinet box = Box();
  std::array<CabinetEntry, kMaxChassis> entries{};
  for (int k = 0; k < kMaxChassis; ++k) entries[static_cast<std::size_t>(k)] = Entry(k);
  const std::array<Baffle, kChassisSlots> kept = p.baffles;
  ApplyCabinet(p, box, entries);
  if (!(box == filledBox_)) return;
  for (std::size_t k = 0; k < entries.size(); ++k)
    if (entries[k] == filledEntries_[k]) p.baffles[k] = kept[k];
}

bool EditCommonCabinet(ProjectDocument& doc, const DialogRunner& run, QWidget* parent) {
  CabinetDialog dialog(parent);
  dialog.Fill(doc.CurrentProject());
  if (run(dialog) != QDialog::Accepted) return false;
  // The cabinet is read by every chassis step: the incremental request
  // would not see it.
  ProjectEdit edit(doc, "Gemeinsames Außengehäuse editieren");
  dialog.Apply(edit.EditedProject());
  edit.Commit();
  return true;
}

}  // namespace sonvex
