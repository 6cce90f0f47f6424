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

int PageIndex(TLibraryPage page) { return static_cast<int>(page); }

}  // namespace

TPartEditorFields PartEditorFields(int typ) {
  switch (typ) {
    case ptR:
      return {true, false, true, false, false, true, "Ohm"};
    case ptC:
      return {true, false, true, false, false, true, "µF"};
    case ptL:
      return {true, true, true, false, false, true, "mH"};
    case ptChass:
      return {false, false, false, true, true, false, ""};
    case ptAmp:
      return {false, false, false, true, false, false, ""};
    default:
      return {};
  }
}

std::optional<TLibraryPage> LibraryPageOfType(int typ) {
  switch (typ) {
    case ptR:
      return TLibraryPage::Resistors;
    case ptC:
      return TLibraryPage::Capacitors;
    case ptL:
      return TLibraryPage::Coils;
    default:
      return std::nullopt;
  }
}

// ---------------------------------------------------------------- parts library

TFormWParts::TFormWParts(const TSettings& settings, TInteraction& ui, QWidget* parent)
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
    const auto page = static_cast<TLibraryPage>(i);
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

void TFormWParts::FillLists() {
  std::string error;
  if (!ReadPartsLibrary(settings_.partsFolder, lib_, error)) ui_.ShowMessage(error);
  for (std::size_t i = 0; i < lists_.size(); ++i) {
    QListWidget* list = lists_[i];
    const QSignalBlocker block(list);
    list->clear();
    int widest = 0;
    for (const TLibraryEntry& e : lib_.Page(static_cast<TLibraryPage>(i))) {
      list->addItem(QText(e.text));
      widest = std::max(widest, list->fontMetrics().horizontalAdvance(QText(e.text)));
    }
    // The columns are as wide as their longest entry and a margin, so that
    // coils with their resistance are not cut and more columns fit.
    list->setGridSize(QSize(widest + 24, list->fontMetrics().height() + 4));
  }
}

void TFormWParts::Prepare(std::string_view note, int typ, double value, double resistance) {
  FillLists();
  choice_.reset();
  selected_->setText(QText("Ausgewählt:"));
  const auto page = LibraryPageOfType(typ);
  if (!page) return;
  pages_->setCurrentIndex(PageIndex(*page));
  const auto& entries = lib_.Page(*page);
  int match = -1;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const TLibraryEntry& e = entries[i];
    // A separator line stands for no part: preselecting it for an empty
    // value field would turn the part into a wire on a mere "&Ok".
    if (!(e.value > 0)) continue;
    if (!e.text.starts_with(note) || e.value != value) continue;
    if (*page == TLibraryPage::Coils && e.resistance != resistance) continue;
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

void TFormWParts::ShowOnlyPage(std::optional<TLibraryPage> page) {
  for (int i = 0; i < pages_->count(); ++i) pages_->setTabVisible(i, !page || PageIndex(*page) == i);
  if (page) pages_->setCurrentIndex(PageIndex(*page));
}

void TFormWParts::EntryClicked(TLibraryPage page, int row) {
  const auto& entries = lib_.Page(page);
  if (row < 0 || row >= static_cast<int>(entries.size())) return;
  const TLibraryEntry& e = entries[static_cast<std::size_t>(row)];
  selected_->setText(QText("Ausgewählt: " + e.text));
  choice_ = ChooseLibraryEntry(page, e);
}

// ---------------------------------------------------------------- part editor

TFormParteditor::TFormParteditor(const TSettings& settings, TInteraction& ui, QWidget* parent) : QDialog(parent) {
  execDialog = [](QDialog& d) { return d.exec(); };
  setWindowTitle(QText("Bauteil editieren"));
  auto* outer = new QVBoxLayout(this);
  headline_ = new QLabel;
  headline_->setObjectName(QStringLiteral("Headline"));
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
  for (int t = ptNone; t <= ptAmp; ++t) {
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
  WatchNumberField(value_, TNumberFieldUse::Required);
  valueUnit_ = new QLabel;
  secondLabel_ = new QLabel(QText("R-Wert"));
  second_ = new QLineEdit;
  WatchNumberField(second_, TNumberFieldUse::Required);
  for (QLineEdit* e : {value_, second_}) connect(e, &QLineEdit::textChanged, this, [this] { UpdateOk(); });
  secondUnit_ = new QLabel(QText("Ohm"));
  noteLabel_ = new QLabel(QText("Bem."));
  note_ = new QLineEdit;
  note_->setMaxLength(16);
  for (QLineEdit* e : {value_, second_}) e->setMaximumWidth(110);
  grid->addWidget(valueLabel_, 0, 0);
  grid->addWidget(value_, 0, 1);
  grid->addWidget(valueUnit_, 0, 2);
  grid->addWidget(secondLabel_, 1, 0);
  grid->addWidget(second_, 1, 1);
  grid->addWidget(secondUnit_, 1, 2);
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
  problem_->setObjectName(QStringLiteral("Problem"));
  problem_->setWordWrap(true);
  problem_->setStyleSheet(QStringLiteral("QLabel { color: #d00000; }"));
  problem_->hide();
  right->addWidget(problem_);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  std::tie(ok_, cancel_) = AddOkCancel(this, buttons, QText("&Ok"), QText("&Abbruch"));
  right->addLayout(buttons);
  layout->addLayout(right, 1);

  library_ = new TFormWParts(settings, ui, this);
  resize(470, 300);
}

bool TFormParteditor::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && qobject_cast<QRadioButton*>(watched) != nullptr) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Tab && key->modifiers() == Qt::NoModifier) {
      // The first field the chosen type shows, else the buttons.
      for (QWidget* w : {static_cast<QWidget*>(value_), static_cast<QWidget*>(second_), static_cast<QWidget*>(note_),
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

int TFormParteditor::SelectedType() const {
  const int id = typeGroup_->checkedId();
  return id < 0 ? ptNone : id;
}

void TFormParteditor::SelectType(int typ) {
  if (typ < ptNone || typ > ptAmp) return;
  types_[static_cast<std::size_t>(typ)]->setChecked(true);
  TypeChanged();
}

void TFormParteditor::UpdateVisibility() {
  const TPartEditorFields f = PartEditorFields(SelectedType());
  for (QWidget* w :
       {static_cast<QWidget*>(valueLabel_), static_cast<QWidget*>(value_), static_cast<QWidget*>(valueUnit_)})
    w->setVisible(f.value);
  valueUnit_->setText(QText(f.unit));
  for (QWidget* w :
       {static_cast<QWidget*>(secondLabel_), static_cast<QWidget*>(second_), static_cast<QWidget*>(secondUnit_)})
    w->setVisible(f.second);
  noteLabel_->setVisible(f.note);
  note_->setVisible(f.note);
  invert_->setVisible(f.polarity);
  chassisLabel_->setVisible(f.chassis);
  chassis_->setVisible(f.chassis);
  optimize_->setVisible(f.optimize);
  libraryButton_->setEnabled(LibraryPageOfType(SelectedType()).has_value());
  UpdateOk();
}

QString TFormParteditor::PartProblem() const {
  const int typ = SelectedType();
  QStringList lines;
  if (typ == ptR || typ == ptC || typ == ptL) {
    // A part of 0 is no part: a 0 µF capacitor in series cuts the way off,
    // a 0 mH coil or 0 Ohm resistor is a wire.
    const double value = FieldDoubleLenient(StdText(value_->text()));
    if (!FieldHoldsUsableNumber(value_) || !(value > 0))
      lines << QText(std::string("Der Wert muss eine Zahl größer als 0 ") + PartEditorFields(typ).unit + " sein.");
  }
  if (typ == ptL) {
    const double r = FieldDoubleLenient(StdText(second_->text()));
    if (!FieldHoldsUsableNumber(second_) || !(r >= 0))
      lines << QText("Der R-Wert der Spule muss eine Zahl ab 0 Ohm sein.");
  }
  return lines.join(QLatin1Char('\n'));
}

void TFormParteditor::UpdateOk() {
  const QString problem = PartProblem();
  ok_->setEnabled(problem.isEmpty());
  problem_->setText(problem);
  problem_->setVisible(!problem.isEmpty());
}

void TFormParteditor::accept() {
  if (!PartProblem().isEmpty()) return;
  QDialog::accept();
}

void TFormParteditor::TypeChanged() {
  // A slot keeps the value of its last part when it is deleted or turned into
  // a wire; choosing a valued type again offers that value instead of an
  // empty field. A slot that never held a part still has the value every
  // empty slot starts with, which is no part's value (1 Ohm, 1 H, 1 F): its
  // field stays empty and reads 0.
  const int typ = SelectedType();
  const bool keptValue = part_._value != TWPart{}._value || !part_._bem.View().empty();
  if (value_->text().isEmpty() && keptValue) {
    if (typ == ptR) value_->setText(QText(FormatNumber(part_._value, 7)));
    if (typ == ptC) value_->setText(QText(FormatNumber(part_._value * 1e6, 7)));
    if (typ == ptL) value_->setText(QText(FormatNumber(part_._value * 1000.0, 7)));
  }
  UpdateVisibility();
}

void TFormParteditor::Fill(const TWPart& part, const TProjekt& project) {
  part_ = part;
  const int typ = std::clamp<int>(part._typ, ptNone, ptAmp);
  types_[static_cast<std::size_t>(typ)]->setChecked(true);
  value_->clear();
  second_->setText(QText(FormatNumber(part._Rvalue, 7)));
  note_->setText(QText(part._bem.View()));
  optimize_->setChecked(part._bOpti);
  invert_->setChecked(false);
  switch (typ) {
    case ptR:
      value_->setText(QText(FormatNumber(part._value, 7)));
      break;
    case ptC:
      value_->setText(QText(FormatNumber(part._value * 1e6, 7)));
      break;
    case ptL:
      value_->setText(QText(FormatNumber(part._value * 1000.0, 7)));
      break;
    case ptChass:
    case ptAmp:
      invert_->setChecked(part._verpolt > 0);
      break;
    default:
      break;
  }
  chassis_->clear();
  for (int n = 1; n <= std::clamp<int>(project.nChassis, 0, kMaxChassis); ++n)
    chassis_->addItem(QText(std::to_string(n) + ": " + project.Chassis[static_cast<std::size_t>(n - 1)].Name.Str()));
  chassis_->setCurrentRow(std::clamp<int>(part._chassisnr, 0, kMaxChassis - 1));
  UpdateVisibility();
  if (typ >= ptR && typ <= ptL) {
    value_->setFocus();
    value_->selectAll();
  }
}

TWPart TFormParteditor::Take() const {
  TWPart p = part_;
  const int typ = SelectedType();
  p._typ = static_cast<std::int16_t>(typ);
  p._verpolt = invert_->isChecked() ? 1 : -1;
  // "&Ok" takes only readable values (PartProblem); a caller that takes the
  // part without it reads an empty or unreadable field as 0.
  const double value = FieldDoubleLenient(StdText(value_->text()));
  switch (typ) {
    case ptR:
      p._value = value;
      p._Rvalue = 0;
      p._bem = StdText(note_->text());
      break;
    case ptC:
      p._value = value * 1e-6;
      p._Rvalue = 0;
      p._bem = StdText(note_->text());
      break;
    case ptL:
      p._value = value * 0.001;
      p._Rvalue = FieldDoubleLenient(StdText(second_->text()));
      p._bem = StdText(note_->text());
      break;
    default:
      p._value = value;
      p._Rvalue = 0;
      break;
  }
  p._bOpti = typ >= ptR && typ <= ptL && optimize_->isChecked();
  const int row = chassis_->currentRow();
  p._chassisnr = static_cast<std::int16_t>(chassis_->count() > 0 && row >= 0 ? row : -1);
  return p;
}

bool TFormParteditor::Edit(TWPart& part, const TProjekt& project) {
  Fill(part, project);
  if (execDialog(*this) != QDialog::Accepted) return false;
  part = Take();
  return true;
}

void TFormParteditor::RestrictToType(int typ) {
  restrictedType_ = typ;
  for (int t = ptNone; t <= ptAmp; ++t)
    types_[static_cast<std::size_t>(t)]->setVisible(t == ptNone || t == ptWire || t == typ);
  library_->ShowOnlyPage(LibraryPageOfType(typ));
}

void TFormParteditor::SetHeadline(const std::string& text) {
  headline_->setText(QText(text));
  headline_->setVisible(!text.empty());
}

void TFormParteditor::ClearRestriction() {
  restrictedType_ = -1;
  for (QRadioButton* b : types_) b->setVisible(true);
  library_->ShowOnlyPage(std::nullopt);
}

void TFormParteditor::LibraryClick() {
  const int typ = SelectedType();
  if (!LibraryPageOfType(typ)) return;
  const double value = StrToDoubleLenient(StdText(value_->text()));
  const double resistance = typ == ptL ? StrToDoubleLenient(StdText(second_->text())) : 0.0;
  library_->Prepare(StdText(note_->text()), typ, value, resistance);
  const QPoint wanted(x() - 240, y() - 20);
  // On a screen smaller than the list window it takes the screen's room
  // less its frame; its lists scroll.
  const QRect area = DesktopArea(this);
  library_->resize(QSize(840, 420).boundedTo(area.size() - kWindowFrameRoom));
  library_->move(IntoArea(wanted, library_->size(), area));
  if (execDialog(*library_) != QDialog::Accepted) return;
  // Confirming without having picked an entry leaves the part as it is.
  if (!library_->Choice()) return;
  const TLibraryChoice& c = *library_->Choice();
  if (c.type == ptNone || c.type == ptWire) {
    SelectType(c.type);
  } else {
    SelectType(c.type);
    value_->setText(QText(FormatNumber(c.value, 6)));
    if (c.type == ptL) second_->setText(QText(FormatNumber(c.resistance, 6)));
    note_->setText(QText(c.designation));
  }
  ok_->setFocus();
}

}  // namespace sonvex
