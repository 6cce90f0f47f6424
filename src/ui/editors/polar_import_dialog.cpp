#include "ui/editors/polar_import_dialog.h"

#include <QAbstractItemModel>
#include <QBrush>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

#include "charts/qt_text.h"
#include "model/interaction.h"
#include "model/number_text.h"
#include "ui/dialogs/window_place.h"

namespace sonvex {

namespace {

// The cell texts of the two planes.
QString PlaneText(PolarPlane plane) { return QText(PlaneName(plane)); }
PolarPlane PlaneFromText(const QString& text) {
  return text == PlaneText(PolarPlane::Vertical) ? PolarPlane::Vertical : PolarPlane::Horizontal;
}

// The plane cells are edited with a list of the two planes.
class PlaneDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override {
    auto* box = new QComboBox(parent);
    box->setObjectName("polarPlaneEditor");
    box->addItems({PlaneText(PolarPlane::Horizontal), PlaneText(PolarPlane::Vertical)});
    return box;
  }
  void setEditorData(QWidget* editor, const QModelIndex& index) const override {
    auto* box = static_cast<QComboBox*>(editor);
    box->setCurrentIndex(PlaneFromText(index.data().toString()) == PolarPlane::Vertical ? 1 : 0);
  }
  void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
    model->setData(index, static_cast<QComboBox*>(editor)->currentText());
  }
};

// The table, able to put an edit still open into its cell.
class PolarTable : public QTableWidget {
 public:
  PolarTable(int rows, int columns, QWidget* parent) : QTableWidget(rows, columns, parent) {}
  bool Editing() const { return state() == EditingState; }
  void CommitOpenEdit() {
    if (!Editing()) return;
    // The open editor is the viewport's child that has the focus.
    QWidget* editor = viewport()->focusWidget();
    if (editor == nullptr || editor == viewport()) return;
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
  }
};

QTableWidgetItem* FixedCell(const QString& text) {
  auto* item = new QTableWidgetItem(text);
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  return item;
}

QString RowAngleText(const QTableWidget* table, int row) {
  const QTableWidgetItem* item = table->item(row, PolarImportDialog::kAngleColumn);
  return item != nullptr ? item->text() : QString();
}

}  // namespace

std::vector<PolarFile> ReadPolarFiles(const std::vector<std::filesystem::path>& paths) {
  std::vector<PolarFile> files;
  files.reserve(paths.size());
  for (const std::filesystem::path& p : paths) files.push_back(ReadPolarFile(p));
  return files;
}

std::optional<double> PolarAngleFromText(std::string_view text) {
  QString t = QText(text).trimmed();
  if (t.endsWith(QChar(0x00B0))) t = t.chopped(1).trimmed();
  t.replace(QChar(','), QChar('.'));
  // A signed decimal number: no exponent, no thousands, no words.
  static const QRegularExpression kNumber(QStringLiteral("^[+-]?([0-9]+([.][0-9]*)?|[.][0-9]+)$"));
  if (!kNumber.match(t).hasMatch()) return std::nullopt;
  bool ok = false;
  const double value = QLocale::c().toDouble(t, &ok);
  if (!ok || !std::isfinite(value)) return std::nullopt;
  return value;
}

PolarImportDialog::PolarImportDialog(std::vector<PolarFile> files, double fMin, double fMax, Interaction& ui,
                                     QWidget* parent)
    : QDialog(parent), files_(std::move(files)), fMin_(fMin), fMax_(fMax), ui_(ui) {
  setObjectName("polarImportDialog");
  setWindowTitle(QText("Polardaten importieren"));
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  auto* hint = new QLabel(
      QText("Ebene und Winkel jeder Datei prüfen und fehlende Winkel eintragen (in Grad, positiv nach rechts bzw. "
            "nach oben; 0° ist die Messung auf Achse)."));
  hint->setWordWrap(true);
  layout->addWidget(hint);

  auto* table = new PolarTable(static_cast<int>(files_.size()), kColumns, this);
  table_ = table;
  table_->setObjectName("polarFileTable");
  table_->setHorizontalHeaderLabels({QText("Datei"), QText("Ebene"), QText("Winkel"), QText("Punkte"), QText("Phase")});
  table_->verticalHeader()->setVisible(false);
  table_->verticalHeader()->setDefaultSectionSize(22);
  table_->setSelectionBehavior(QAbstractItemView::SelectItems);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  // Tab leaves the table for the buttons; the arrow keys move in it.
  table_->setTabKeyNavigation(false);
  table_->setItemDelegateForColumn(kPlaneColumn, new PlaneDelegate(table_));
  table_->setMinimumSize(360, 110);
  QHeaderView* head = table_->horizontalHeader();
  head->setSectionResizeMode(kFileColumn, QHeaderView::Stretch);
  for (int c = kPlaneColumn; c < kColumns; ++c) head->setSectionResizeMode(c, QHeaderView::ResizeToContents);
  layout->addWidget(table_, 1);

  status_ = new QLabel;
  status_->setObjectName("polarImportStatus");
  status_->setWordWrap(true);
  status_->setTextInteractionFlags(Qt::NoTextInteraction);
  layout->addWidget(status_);

  auto* buttons = new QHBoxLayout;
  dropButton_ = new QPushButton(QText("Datei weglassen"));
  dropButton_->setObjectName("polarDropButton");
  dropButton_->setAutoDefault(false);
  buttons->addWidget(dropButton_);
  buttons->addStretch();
  okButton_ = new QPushButton(QText("OK"));
  okButton_->setObjectName("polarOkButton");
  cancelButton_ = new QPushButton(QText("Abbrechen"));
  cancelButton_->setObjectName("polarCancelButton");
  buttons->addWidget(okButton_);
  buttons->addWidget(cancelButton_);
  layout->addLayout(buttons);
  connect(okButton_, &QPushButton::clicked, this, [this] { OkClick(); });
  connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
  connect(dropButton_, &QPushButton::clicked, this, [this] { DropClick(); });
  table_->installEventFilter(this);

  FillTable();
  connect(table_, &QTableWidget::itemChanged, this, [this] { UpdateStatus(); });
  UpdateStatus();

  setTabOrder(table_, okButton_);
  setTabOrder(okButton_, cancelButton_);
  setTabOrder(cancelButton_, dropButton_);
  table_->setFocus();
  if (table_->rowCount() > 0) {
    // The first cell to fill, else the first angle.
    int row = 0;
    for (int r = 0; r < table_->rowCount(); ++r)
      if (files_[static_cast<std::size_t>(r)].error.empty() &&
          !PolarAngleFromText(RowAngleText(table_, r).toStdString())) {
        row = r;
        break;
      }
    table_->setCurrentCell(row, kAngleColumn);
  }
  // Room for a dozen rows; a small screen gets a shorter dialog whose
  // table scrolls.
  ResizeWithinScreen(this, QSize(600, 420), parent);
}

PolarImportDialog::~PolarImportDialog() = default;

void PolarImportDialog::FillTable() {
  const QSignalBlocker block(table_);
  for (std::size_t k = 0; k < files_.size(); ++k) {
    const PolarFile& f = files_[k];
    const int r = static_cast<int>(k);
    auto* name = FixedCell(QText(f.response.fileName));
    table_->setItem(r, kFileColumn, name);
    if (!f.error.empty()) {
      // A file that cannot be read: its message in red, nothing to edit.
      const QString why = QText(f.error);
      name->setForeground(QBrush(Qt::red));
      name->setToolTip(why);
      table_->setItem(r, kPlaneColumn, FixedCell(QString()));
      table_->setItem(r, kAngleColumn, FixedCell(QString()));
      table_->setItem(r, kPointsColumn, FixedCell(QText("–")));
      table_->setItem(r, kPhaseColumn, FixedCell(QString()));
      for (int c = kFileColumn; c < kColumns; ++c) table_->item(r, c)->setToolTip(why);
      continue;
    }
    name->setToolTip(QText(f.response.fileName));
    table_->setItem(r, kPlaneColumn, new QTableWidgetItem(PlaneText(f.response.plane)));
    // A name without plane and angle leaves the angle to the user.
    table_->setItem(r, kAngleColumn,
                    new QTableWidgetItem(f.named ? QText(FormatNumber(f.response.angle, 8)) : QString()));
    table_->setItem(r, kPointsColumn, FixedCell(QString::number(f.response.freq.size())));
    table_->setItem(r, kPhaseColumn, FixedCell(QText(f.response.HasPhase() ? "ja" : "nein")));
    table_->item(r, kPointsColumn)->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    table_->item(r, kAngleColumn)->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
  }
}

std::vector<PolarFile> PolarImportDialog::Files() const {
  std::vector<PolarFile> files = files_;
  for (std::size_t k = 0; k < files.size(); ++k) {
    PolarFile& f = files[k];
    if (!f.error.empty()) continue;
    const int r = static_cast<int>(k);
    f.response.plane = PlaneFromText(table_->item(r, kPlaneColumn)->text());
    const std::optional<double> angle = PolarAngleFromText(RowAngleText(table_, r).toStdString());
    f.named = angle.has_value();
    f.response.angle = angle.value_or(0);
  }
  return files;
}

void PolarImportDialog::UpdateStatus() {
  int unreadable = 0, missing = 0;
  std::string firstError;
  for (std::size_t k = 0; k < files_.size(); ++k) {
    if (!files_[k].error.empty()) {
      if (unreadable++ == 0) firstError = files_[k].error;
      continue;
    }
    const int r = static_cast<int>(k);
    const bool hasAngle = PolarAngleFromText(RowAngleText(table_, r).toStdString()).has_value();
    if (!hasAngle) ++missing;
    // An angle still to be entered stands out.
    if (QTableWidgetItem* cell = table_->item(r, kAngleColumn))
      cell->setBackground(hasAngle ? QBrush() : QBrush(QColor(255, 236, 160)));
  }
  QStringList lines;
  if (unreadable > 0)
    lines << QText(unreadable == 1
                       ? std::string("1 Datei ist nicht verwendbar: ") + firstError
                       : std::to_string(unreadable) + " Dateien sind nicht verwendbar, z. B.: " + firstError);
  if (missing > 0)
    lines << QText(missing == 1
                       ? std::string("In 1 Zeile fehlt der Winkel (gelb): bitte eintragen.")
                       : "In " + std::to_string(missing) + " Zeilen fehlt der Winkel (gelb): bitte eintragen.");
  if (unreadable > 0) lines << QText("\"Datei weglassen\" (Entf) nimmt die markierte Datei heraus.");
  dropButton_->setEnabled(table_->rowCount() > 0);
  status_->setStyleSheet(unreadable > 0 ? QStringLiteral("color: #b00000") : QString());
  status_->setText(lines.isEmpty() ? QText(std::to_string(files_.size()) + " Dateien gelesen.") : lines.join('\n'));
}

void PolarImportDialog::CommitOpenEdit() { static_cast<PolarTable*>(table_)->CommitOpenEdit(); }

void PolarImportDialog::OkClick() {
  CommitOpenEdit();
  const std::vector<PolarFile> files = Files();
  // An angle that is not a number is named here; the other faults the rules
  // of a set name.
  std::string message;
  for (std::size_t k = 0; k < files.size() && message.empty(); ++k) {
    const PolarFile& f = files[k];
    if (!f.error.empty()) break;
    if (f.named) continue;
    const QString text = RowAngleText(table_, static_cast<int>(k)).trimmed();
    const std::string name = "\"" + f.response.fileName + "\"";
    message = text.isEmpty() ? "Für die Datei " + name +
                                   " fehlt der Winkel. Bitte in der Spalte \"Winkel\" eine Zahl zwischen -180 und 180 "
                                   "eintragen."
                             : "Der Winkel \"" + text.toStdString() + "\" der Datei " + name +
                                   " ist keine Zahl. Bitte eine Zahl zwischen -180 und 180 eintragen.";
  }
  if (message.empty()) message = CheckPolarFiles(files, fMin_, fMax_);
  if (!message.empty()) {
    ui_.ShowMessage(message);
    return;
  }
  set_ = MakePolarSet(files);
  accept();
}

void PolarImportDialog::DropClick() {
  CommitOpenEdit();
  const int r = table_->currentRow();
  if (r < 0 || r >= table_->rowCount()) return;
  files_.erase(files_.begin() + r);
  table_->removeRow(r);
  UpdateStatus();
}

bool PolarImportDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == table_ && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete && !static_cast<PolarTable*>(table_)->Editing()) {
    DropClick();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void PolarImportDialog::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (enter && (table_->hasFocus() || table_->isAncestorOf(focusWidget()))) {
    if (!static_cast<PolarTable*>(table_)->Editing() && table_->currentIndex().isValid())
      table_->edit(table_->currentIndex());
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace sonvex
