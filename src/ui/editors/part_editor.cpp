#include "ui/editors/part_editor.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStringList>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <tuple>

#include "charts/qt_text.h"
#include "model/interaction.h"
#include "model/number_text.h"
#include "model/project.h"
#include "model/settings.h"
#include "ui/dialogs/dialog_text.h"
#include "ui/dialogs/field_number.h"
#include "ui/dialogs/window_place.h"

namespace sonvex {

namespace {

constexpr std::array<const char*, 3> kPageCaptions{"Widerstände", "Spulen", "Kondensatoren"};

// Moves a window's top left so that the window lies inside `area`: not below
// its bottom or right edge, not above or left of its top-left corner.
QPoint IntoArea(QPoint topLeft, QSize size, const QRect& area) {
  int x = topLeft.x();
  int y = topLeft.y();
  if (y + size.height() > area.bottom() + 1) y = area.bottom() + 1 - size.height();
  if (x + size.width() > area.right() + 1) x = area.right() + 1 - size.width();
  if (y < area.top()) y = area.top();
  if (x < area.left()) x = area.left();
  return {x, y};
}

QRect DesktopArea(const QWidget* w) {
  const QScreen* screen = w->screen() != nullptr ? w->screen() : QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

int PageIndex(LibraryPage page) { return static_cast<int>(page); }

}  // namespace

PartEditorFieldSet PartEditorFields(int partType) {
  switch (partType) {
    case PartResistor:
      return {true, false, true, false, false, true, "Ohm"};
    case PartCapacitor:
      return {true, false, true, false, false, true, "µF"};
    case PartInductor:
      return {true, true, true, false, false, true, "mH"};
    case PartChassis:
      return {false, false, false, true, true, false, ""};
    case PartAmplifier:
      return {false, false, false, true, false, false, ""};
    default:
      return {};
  }
}

std::optional<LibraryPage> LibraryPageOfType(int partType) {
  switch (partType) {
    case PartResistor:
      return LibraryPage::Resistors;
    case PartCapacitor:
      return LibraryPage::Capacitors;
    case PartInductor:
      return LibraryPage::Coils;
    default:
      return std::nullopt;
  }
}

// ---------------------------------------------------------------- parts library

PartsLibraryDialog::PartsLibraryDialog(const Settings& settings, Interaction& ui, QWidget* parent)
    : QDialog(parent), settings_(settings), ui_(ui) {
  setWindowTitle(QText("Sonvex - Weichenbauteile"));
  auto* layout = new QVBoxLayout(this);
  pages_ = new QTabWidget;
  for (std::size_t i = 0; i < lists_.size(); ++i) {
    auto* list = new QListWidget;
    // Four columns: the entries run down a column and on into the next.
    list->setFlow(QListView::TopToBottom);
    list->setWrapping(true);
    list->setResizeMode(QListView::Adjust);
    list->setUniformItemSizes(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    const auto page = static_cast<LibraryPage>(i);
    // The choice follows the selection, which only a click, the arrow keys
    // or the preselection make. The current row alone is no choice: a list
    // that takes the keyboard focus makes its first row current, and in the
    // shipped lists that row is a separator, which would turn the part into
    // a wire on "&Ok".
    connect(list, &QListWidget::itemSelectionChanged, this, [this, page, list] {
      const QList<QListWidgetItem*> items = list->selectedItems();
      if (items.isEmpty()) return;
      EntryClicked(page, list->row(items.front()));
    });
    connect(list, &QListWidget::itemDoubleClicked, this, [this] { accept(); });
    lists_[i] = list;
    pages_->addTab(list, QText(kPageCaptions[i]));
  }
  layout->addWidget(pages_, 1);
  auto* row = new QHBoxLayout;
  selected_ = new QLabel(QText("Ausgewählt:"));
  row->addWidget(selected_, 1);
  std::tie(ok_, cancel_) = AddOkCancel(this, row, QText("&Ok"), QText("&Abbruch"));
  layout->addLayout(row);
  resize(840, 420);
}

void PartsLibraryDialog::FillLists() {
  std::string error;
  if (!ReadPartsLibrary(settings_.partsFolder, lib_, error)) ui_.ShowMessage(error);
  for (std::size_t i = 0; i < lists_.size(); ++i) {
    QListWidget* list = lists_[i];
    const QSignalBlocker block(list);
    list->clear();
    int widest = 0;
    for (const LibraryEntry& e : lib_.Page(static_cast<LibraryPage>(i))) {
      list->addItem(QText(e.text));
      widest = std::max(widest, list->fontMetrics().horizontalAdvance(QText(e.text)));
    }
    // The columns are as wide as their longest entry and a margin, so that
    // coils with their resistance are not cut and more columns fit.
    list->setGridSize(QSize(widest + 24, list->fontMetrics().height() + 4));
  }
}

void PartsLibraryDialog::Prepare(std::string_view note, int partType, double value, double resistance) {
  FillLists();
  choice_.reset();
  selected_->setText(QText("Ausgewählt:"));
  const auto page = LibraryPageOfType(partType);
  if (!page) return;
  pages_->setCurrentIndex(PageIndex(*page));
  const auto& entries = lib_.Page(*page);
  int match = -1;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const LibraryEntry& e = entries[i];
    // A separator line stands for no part: preselecting it for an empty
    // value field would turn the part into a wire on a mere "&Ok".
    if (!(e.value > 0)) continue;
    if (!e.text.starts_with(note) || e.value != value) continue;
    if (*page == LibraryPage::Coils && e.resistance != resistance) continue;
    match = static_cast<int>(i);  // the last match wins
  }
  if (match >= 0) {
    QListWidget* list = List(*page);
    {
      const QSignalBlocker block(list);
      list->setCurrentRow(match);
    }
    EntryClicked(*page, match);
  }
}

void PartsLibraryDialog::ShowOnlyPage(std::optional<LibraryPage> page) {
  for (int i = 0; i < pages_->count(); ++i) pages_->setTabVisible(i, !page || PageIndex(*page) == i);
  if (page) pages_->setCurrentIndex(PageIndex(*page));
}

void PartsLibraryDialog::EntryClicked(LibraryPage page, int row) {
  const auto& entries = lib_.Page(page);
  if (row < 0 || row >= static_cast<int>(entries.size())) return;
  const LibraryEntry& e = entries[static_cast<std::size_t>(row)];
  selected_->setText(QText("Ausgewählt: " + e.text));
  choice_ = ChooseLibraryEntry(page, e);
}

// ---------------------------------------------------------------- part editor

PartEditorDialog::PartEditorDialog(const Settings& settings, Interaction& ui, QWidget* parent) : QDialog(parent) {
  execDialog = [](QDialog& d) { return d.exec(); };
  setWindowTitle(QText("Bauteil editieren"));
  auto* outer = new QVBoxLayout(this);
  headline_ = new QLabel;
  headline_->setObjectName(QStringLiteral("headlineLabel"));
  headline_->setWordWrap(true);
  QFont bold = headline_->font();
  bold.setBold(true);
  headline_->setFont(bold);
  headline_->hide();
  outer->addWidget(headline_);
  auto* layout = new QHBoxLayout;
  outer->addLayout(layout, 1);

  auto* typeBox = new QGroupBox(QText("Bauteiltyp"));
  auto* typeLayout = new QVBoxLayout(typeBox);
  typeGroup_ = new QButtonGroup(this);
  for (int t = PartNone; t <= PartAmplifier; ++t) {
    auto* b = new QRadioButton(QText(PartTypeCaption(t)));
    types_[static_cast<std::size_t>(t)] = b;
    typeGroup_->addButton(b, t);
    typeLayout->addWidget(b);
    b->installEventFilter(this);
  }
  typeLayout->addStretch();
  connect(typeGroup_, &QButtonGroup::idClicked, this, [this] { TypeChanged(); });
  layout->addWidget(typeBox);

  auto* right = new QVBoxLayout;
  auto* grid = new QGridLayout;
  valueLabel_ = new QLabel(QText("Wert"));
  value_ = new QLineEdit;
  WatchNumberField(value_, NumberFieldUse::Required);
  valueUnit_ = new QLabel;
  windingResistanceLabel_ = new QLabel(QText("R-Wert"));
  windingResistance_ = new QLineEdit;
  WatchNumberField(windingResistance_, NumberFieldUse::Required);
  SetNumberRange(windingResistance_, kWindingResistanceField.range, kWindingResistanceField.unit);
  for (QLineEdit* e : {value_, windingResistance_}) connect(e, &QLineEdit::textChanged, this, [this] { UpdateOk(); });
  windingResistanceUnit_ = new QLabel(QText("Ohm"));
  noteLabel_ = new QLabel(QText("Bem."));
  note_ = new QLineEdit;
  note_->setMaxLength(16);
  for (QLineEdit* e : {value_, windingResistance_}) e->setMaximumWidth(110);
  grid->addWidget(valueLabel_, 0, 0);
  grid->addWidget(value_, 0, 1);
  grid->addWidget(valueUnit_, 0, 2);
  grid->addWidget(windingResistanceLabel_, 1, 0);
  grid->addWidget(windingResistance_, 1, 1);
  grid->addWidget(windingResistanceUnit_, 1, 2);
  grid->addWidget(noteLabel_, 2, 0);
  grid->addWidget(note_, 2, 1, 1, 2);
  grid->setColumnStretch(3, 1);
  right->addLayout(grid);
  invert_ = new QCheckBox(QText("Polung negativ"));
  right->addWidget(invert_);
  chassisLabel_ = new QLabel(QText("Chassis"));
  right->addWidget(chassisLabel_);
  chassis_ = new QListWidget;
  chassis_->setMinimumHeight(90);
  right->addWidget(chassis_, 1);
  optimize_ = new QCheckBox(QText("Bauteil optimieren"));
  right->addWidget(optimize_);
  right->addStretch();
  libraryButton_ = new QPushButton(QText("Bauteil aus Liste wählen ..."));
  connect(libraryButton_, &QPushButton::clicked, this, [this] { LibraryClick(); });
  right->addWidget(libraryButton_);
  // Says why "&Ok" is disabled.
  problem_ = new QLabel;
  problem_->setObjectName(QStringLiteral("problemLabel"));
  problem_->setWordWrap(true);
  problem_->setStyleSheet(QStringLiteral("QLabel { color: #d00000; }"));
  problem_->hide();
  right->addWidget(problem_);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  std::tie(ok_, cancel_) = AddOkCancel(this, buttons, QText("&Ok"), QText("&Abbruch"));
  right->addLayout(buttons);
  layout->addLayout(right, 1);

  library_ = new PartsLibraryDialog(settings, ui, this);
  resize(470, 300);
}

bool PartEditorDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && qobject_cast<QRadioButton*>(watched) != nullptr) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Tab && key->modifiers() == Qt::NoModifier) {
      // The first field the chosen type shows, else the buttons.
      for (QWidget* w : {static_cast<QWidget*>(value_), static_cast<QWidget*>(windingResistance_), static_cast<QWidget*>(note_),
                         static_cast<QWidget*>(invert_), static_cast<QWidget*>(chassis_),
                         static_cast<QWidget*>(optimize_), static_cast<QWidget*>(libraryButton_),
                         static_cast<QWidget*>(ok_)}) {
        if (w->isVisibleTo(this) && w->isEnabled()) {
          w->setFocus(Qt::TabFocusReason);
          return true;
        }
      }
    }
  }
  return QDialog::eventFilter(watched, event);
}

int PartEditorDialog::SelectedType() const {
  const int id = typeGroup_->checkedId();
  return id < 0 ? PartNone : id;
}

void PartEditorDialog::SelectType(int partType) {
  if (partType < PartNone || partType > PartAmplifier) return;
  types_[static_cast<std::size_t>(partType)]->setChecked(true);
  TypeChanged();
}

void PartEditorDialog::UpdateVisibility() {
  const PartEditorFieldSet f = PartEditorFields(SelectedType());
  for (QWidget* w :
       {static_cast<QWidget*>(valueLabel_), static_cast<QWidget*>(value_), static_cast<QWidget*>(valueUnit_)})
    w->setVisible(f.value);
  valueUnit_->setText(QText(f.unit));
  SetNumberRange(value_, kPartValueField.range, f.unit);
  for (QWidget* w :
       {static_cast<QWidget*>(windingResistanceLabel_), static_cast<QWidget*>(windingResistance_), static_cast<QWidget*>(windingResistanceUnit_)})
    w->setVisible(f.windingResistance);
  noteLabel_->setVisible(f.note);
  note_->setVisible(f.note);
  invert_->setVisible(f.polarity);
  chassisLabel_->setVisible(f.chassis);
  chassis_->setVisible(f.chassis);
  optimize_->setVisible(f.optimize);
  libraryButton_->setEnabled(LibraryPageOfType(SelectedType()).has_value());
  UpdateOk();
}

QString PartEditorDialog::PartProblem() const {
  const int partType = SelectedType();
  QStringList lines;
  if (partType == PartResistor || partType == PartCapacitor || partType == PartInductor) {
    // A part of 0 is no part: a 0 µF capacitor in series cuts the way off,
    // a 0 mH coil or 0 Ohm resistor is a wire.
    const double value = FieldDoubleLenient(StdText(value_->text()));
    if (!FieldHoldsUsableNumber(value_) || !kPartValueField.range.Contains(value))
      lines << QText(std::string("Der Wert muss eine Zahl größer als 0 ") + PartEditorFields(partType).unit + " sein.");
  }
  if (partType == PartInductor) {
    const double r = FieldDoubleLenient(StdText(windingResistance_->text()));
    if (!FieldHoldsUsableNumber(windingResistance_) || !kWindingResistanceField.range.Contains(r))
      lines << QText("Der R-Wert der Spule muss eine Zahl ab 0 Ohm sein.");
  }
  return lines.join(QLatin1Char('\n'));
}

void PartEditorDialog::UpdateOk() {
  const QString problem = PartProblem();
  ok_->setEnabled(problem.isEmpty());
  problem_->setText(problem);
  problem_->setVisible(!problem.isEmpty());
}

void PartEditorDialog::accept() {
  if (!PartProblem().isEmpty()) return;
  QDialog::accept();
}

void PartEditorDialog::TypeChanged() {
  // A slot keeps the value of its last part when it is deleted or turned into
  // a wire; choosing a valued type again offers that value instead of an
  // empty field. A slot that never held a part still has the value every
  // empty slot starts with, which is no part's value (1 Ohm, 1 H, 1 F): its
  // field stays empty and reads 0.
  const int partType = SelectedType();
  const bool keptValue = part_.value != CrossoverPart{}.value || !part_.note.View().empty();
  if (value_->text().isEmpty() && keptValue) {
    if (partType == PartResistor) value_->setText(QText(FormatNumber(part_.value, 7)));
    if (partType == PartCapacitor) value_->setText(QText(FormatNumber(part_.value * 1e6, 7)));
    if (partType == PartInductor) value_->setText(QText(FormatNumber(part_.value * 1000.0, 7)));
  }
  UpdateVisibility();
}

void PartEditorDialog::Fill(const CrossoverPart& part, const Project& project) {
  part_ = part;
  const int partType = std::clamp<int>(part.type, PartNone, PartAmplifier);
  types_[static_cast<std::size_t>(partType)]->setChecked(true);
  value_->clear();
  windingResistance_->setText(QText(FormatNumber(part.resistance, 7)));
  note_->setText(QText(part.note.View()));
  optimize_->setChecked(part.optimize);
  invert_->setChecked(false);
  switch (partType) {
    case PartResistor:
      value_->setText(QText(FormatNumber(part.value, 7)));
      break;
    case PartCapacitor:
      value_->setText(QText(FormatNumber(part.value * 1e6, 7)));
      break;
    case PartInductor:
      value_->setText(QText(FormatNumber(part.value * 1000.0, 7)));
      break;
    case PartChassis:
    case PartAmplifier:
      invert_->setChecked(part.reversedPolarity > 0);
      break;
    default:
      break;
  }
  chassis_->clear();
  for (int n = 1; n <= std::clamp<int>(project.chassisCount, 0, kMaxChassis); ++n)
    chassis_->addItem(QText(std::to_string(n) + ": " + project.chassis[static_cast<std::size_t>(n - 1)].name.Str()));
  chassis_->setCurrentRow(std::clamp<int>(part.chassisSlot, 0, kMaxChassis - 1));
  UpdateVisibility();
  if (partType >= PartResistor && partType <= PartInductor) {
    value_->setFocus();
    value_->selectAll();
  }
}

CrossoverPart PartEditorDialog::Take() const {
  CrossoverPart p = part_;
  const int partType = SelectedType();
  p.type = static_cast<std::int16_t>(partType);
  p.reversedPolarity = invert_->isChecked() ? 1 : -1;
  // "&Ok" takes only readable values (PartProblem); a caller that takes the
  // part without it reads an empty or unreadable field as 0.
  const double value = FieldDoubleLenient(StdText(value_->text()));
  switch (partType) {
    case PartResistor:
      p.value = value;
      p.resistance = 0;
      p.note = StdText(note_->text());
      break;
    case PartCapacitor:
      p.value = value * 1e-6;
      p.resistance = 0;
      p.note = StdText(note_->text());
      break;
    case PartInductor:
      p.value = value * 0.001;
      p.resistance = FieldDoubleLenient(StdText(windingResistance_->text()));
      p.note = StdText(note_->text());
      break;
    default:
      p.value = value;
      p.resistance = 0;
      break;
  }
  p.optimize = partType >= PartResistor && partType <= PartInductor && optimize_->isChecked();
  const int row = chassis_->currentRow();
  p.chassisSlot = static_cast<std::int16_t>(chassis_->count() > 0 && row >= 0 ? row : -1);
  return p;
}

bool PartEditorDialog::Edit(CrossoverPart& part, const Project& project) {
  Fill(part, project);
  if (execDialog(*this) != QDialog::Accepted) return false;
  part = Take();
  return true;
}

void PartEditorDialog::RestrictToType(int partType) {
  restrictedType_ = partType;
  for (int t = PartNone; t <= PartAmplifier; ++t)
    types_[static_cast<std::size_t>(t)]->setVisible(t == PartNone || t == PartWire || t == partType);
  library_->ShowOnlyPage(LibraryPageOfType(partType));
}

void PartEditorDialog::SetHeadline(const std::string& text) {
  headline_->setText(QText(text));
  headline_->setVisible(!text.empty());
}

void PartEditorDialog::ClearRestriction() {
  restrictedType_ = -1;
  for (QRadioButton* b : types_) b->setVisible(true);
  library_->ShowOnlyPage(std::nullopt);
}

void PartEditorDialog::LibraryClick() {
  const int partType = SelectedType();
  if (!LibraryPageOfType(partType)) return;
  const double value = StrToDoubleLenient(StdText(value_->text()));
  const double resistance = partType == PartInductor ? StrToDoubleLenient(StdText(windingResistance_->text())) : 0.0;
  library_->Prepare(StdText(note_->text()), partType, value, resistance);
  const QPoint wanted(x() - 240, y() - 20);
  // On a screen smaller than the list window it takes the screen's room
  // less its frame; its lists scroll.
  const QRect area = DesktopArea(this);
  library_->resize(QSize(840, 420).boundedTo(area.size() - kWindowFrameRoom));
  library_->move(IntoArea(wanted, library_->size(), area));
  if (execDialog(*library_) != QDialog::Accepted) return;
  // Confirming without having picked an entry leaves the part as it is.
  if (!library_->Choice()) return;
  const LibraryChoice& c = *library_->Choice();
  if (c.type == PartNone || c.type == PartWire) {
    SelectType(c.type);
  } else {
    SelectType(c.type);
    value_->setText(QText(FormatNumber(c.value, 6)));
    if (c.type == PartInductor) windingResistance_->setText(QText(FormatNumber(c.resistance, 6)));
    note_->setText(QText(c.designation));
  }
  ok_->setFocus();
}

}  // namespace sonvex
