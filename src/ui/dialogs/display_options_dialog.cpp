#include "ui/dialogs/display_options_dialog.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPalette>
#include <QPushButton>
#include <QVBoxLayout>
#include <array>
#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "charts/spinorama_colours.h"
#include "charts/qt_text.h"
#include "model/file_io.h"
#include "model/interaction.h"
#include "model/number_text.h"
#include "model/settings.h"
#include "ui/dialogs/dialog_text.h"
#include "ui/dialogs/field_number.h"
#include "ui/document/project_document.h"

namespace sonvex {

namespace {

// A colour panel: its caption written in its colour; a click asks for a new one.
class ColorPanel : public QLabel {
 public:
  ColorPanel(const QString& caption, std::function<void()> onClick, QWidget* parent)
      : QLabel(caption, parent), onClick_(std::move(onClick)) {
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setAlignment(Qt::AlignCenter);
    setMinimumWidth(110);
    setAutoFillBackground(true);
    setCursor(Qt::PointingHandCursor);
    QFont f = font();
    f.setBold(true);
    setFont(f);
  }

 protected:
  void mousePressEvent(QMouseEvent* e) override {
    if (e->button() == Qt::LeftButton && onClick_) onClick_();
  }

 private:
  std::function<void()> onClick_;
};

double Usable(double v, double replacement) { return std::isfinite(v) && v > 0 ? v : replacement; }

}  // namespace

QColor ToQColor(ColorValue c) { return QColor(c & 0xff, (c >> 8) & 0xff, (c >> 16) & 0xff); }
ColorValue FromQColor(const QColor& c) { return RGBColor(c.red(), c.green(), c.blue()); }

AxisScaling ScalingFromTexts(const std::string& axisFMinText, const std::string& axisFMaxText, const std::string& dBMinText,
                          const std::string& dBMaxText, const std::string& impedanceMaxText) {
  // A value that is not finite (an overlong number) cannot scale an axis
  // either; it is replaced like a value of 0.
  AxisScaling s{Usable(StrToDoubleLenient(axisFMinText), 20), Usable(StrToDoubleLenient(axisFMaxText), 20000),
             Usable(StrToDoubleLenient(dBMinText), 50), Usable(StrToDoubleLenient(dBMaxText), 112),
             Usable(StrToDoubleLenient(impedanceMaxText), 50)};
  if (s.axisFMin > s.axisFMax) std::swap(s.axisFMin, s.axisFMax);
  if (s.dBMin > s.dBMax) std::swap(s.dBMin, s.dBMax);
  return s;
}

DisplayOptionsDialog::DisplayOptionsDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QText("Anzeigeoptionen bearbeiten"));
  chooseColor = [this](const QColor& initial) -> std::optional<QColor> {
    const QColor c = QColorDialog::getColor(initial, this);
    if (!c.isValid()) return std::nullopt;
    return c;
  };

  auto makeGroup = [this](ColorGroup group, const char* caption, const std::vector<std::string>& names) {
    auto* box = new QGroupBox(QText(caption), this);
    auto* layout = new QVBoxLayout(box);
    for (std::size_t i = 0; i < names.size(); ++i) {
      auto* panel = new ColorPanel(
          QText(names[i]), [this, group, i] { PanelClicked(group, static_cast<int>(i)); }, box);
      panels_[group].push_back(panel);
      layout->addWidget(panel);
    }
    layout->addStretch();
    return box;
  };
  std::vector<std::string> amps{"Gesamt"};
  for (int k = 1; k <= 6; ++k) amps.push_back("Verstärker " + std::to_string(k));
  std::vector<std::string> chassis{"Gesamt"};
  for (int k = 1; k <= 9; ++k) chassis.push_back("Chassis / Weg " + std::to_string(k));
  const std::vector<std::string> directions{"vorne", "30°",    "60°",  "90°",  "120°",
                                            "150°",  "hinten", "120°", "150°", "hinten"};
  auto* colours = new QHBoxLayout;
  colours->addWidget(makeGroup(AmpColors, " Farben für Verstärker", amps));
  colours->addWidget(makeGroup(ChassisColors, " Farben für Chassis ", chassis));
  colours->addWidget(makeGroup(DirectionColors, " Farben für Richtungen", directions));
  // The spinorama curves keep colours of their own, chosen to stay readable
  // on white and apart from the grid: named here, not editable.
  {
    auto* box = new QGroupBox(QText(" Farben für Spinorama (fest)"), this);
    auto* layout = new QVBoxLayout(box);
    for (const SpinoramaCurveStyle& curve : kSpinoramaCurves) {
      auto* label = new QLabel(QText(curve.name), box);
      label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
      label->setAlignment(Qt::AlignCenter);
      label->setMinimumWidth(110);
      label->setAutoFillBackground(true);
      QFont f = label->font();
      f.setBold(true);
      label->setFont(f);
      QPalette pal = label->palette();
      pal.setColor(QPalette::WindowText, ToQColor(curve.color));
      pal.setColor(QPalette::Window, Qt::white);
      label->setPalette(pal);
      spinoramaPanels_.push_back(label);
      layout->addWidget(label);
    }
    layout->addStretch();
    colours->addWidget(box);
  }

  auto* scaling = new QGroupBox(QText(" Diagrammskalierung "), this);
  auto* grid = new QGridLayout(scaling);
  auto edit = [scaling] {
    auto* e = new QLineEdit(scaling);
    e->setMaximumWidth(80);
    WatchNumberField(e);
    return e;
  };
  axisFMinEdit_ = edit();
  axisFMaxEdit_ = edit();
  dBMinEdit_ = edit();
  dBMaxEdit_ = edit();
  impedanceMaxEdit_ = edit();
  const std::array<QLineEdit*, 5> scalingEdits{axisFMinEdit_, axisFMaxEdit_, dBMinEdit_, dBMaxEdit_, impedanceMaxEdit_};
  const auto scalingFields = AxisScalingFields();
  for (std::size_t k = 0; k < scalingEdits.size(); ++k)
    SetNumberRange(scalingEdits[k], scalingFields[k].description.range, scalingFields[k].description.unit);
  grid->addWidget(new QLabel(QText("Frequenzachse von"), scaling), 0, 0);
  grid->addWidget(axisFMinEdit_, 0, 1);
  grid->addWidget(new QLabel(QText("Hz bis "), scaling), 0, 2);
  grid->addWidget(axisFMaxEdit_, 0, 3);
  grid->addWidget(new QLabel(QText("Hz"), scaling), 0, 4);
  grid->addWidget(new QLabel(QText("Schalldruckpegel von"), scaling), 1, 0);
  grid->addWidget(dBMinEdit_, 1, 1);
  grid->addWidget(new QLabel(QText("dB bis "), scaling), 1, 2);
  grid->addWidget(dBMaxEdit_, 1, 3);
  grid->addWidget(new QLabel(QText("dB"), scaling), 1, 4);
  grid->addWidget(new QLabel(QText("Impedanz anzeigen bis"), scaling), 2, 0);
  grid->addWidget(impedanceMaxEdit_, 2, 1);
  grid->addWidget(new QLabel(QText("Ohm"), scaling), 2, 2);
  grid->setColumnStretch(5, 1);

  useDisplayDefaultsCheck_ = new QCheckBox(QText("Diese Einstellungen bei allen Projektdateien verwenden"), this);
  defaultsButton_ = new QPushButton(QText("Voreinstellung wiederherstellen"), this);
  defaultsButton_->setAutoDefault(false);
  connect(defaultsButton_, &QPushButton::clicked, this, [this] { RestoreDefaults(); });
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(defaultsButton_);
  buttons->addStretch();
  std::tie(okButton_, cancelButton_) = AddOkCancel(this, buttons, QText("&Ok"), QText("&Abbruch"));
  cancelButton_->setAutoDefault(false);

  auto* main = new QVBoxLayout(this);
  main->addLayout(colours);
  main->addWidget(scaling);
  main->addWidget(useDisplayDefaultsCheck_);
  main->addLayout(buttons);
  Fill(block_, false);
}

ColorValue& DisplayOptionsDialog::ColorOf(ColorGroup group, int index) {
  const auto i = static_cast<std::size_t>(index);
  if (group == AmpColors) return block_.colorSetAmps.at(i);
  if (group == ChassisColors) return block_.colorSetChassis.at(i);
  return block_.colorSetDirections.at(i);
}

QLabel* DisplayOptionsDialog::Panel(ColorGroup group, int index) const {
  return panels_.at(group).at(static_cast<std::size_t>(index));
}

void DisplayOptionsDialog::ShowColors() {
  for (int g = 0; g < 3; ++g) {
    for (std::size_t i = 0; i < panels_[static_cast<std::size_t>(g)].size(); ++i) {
      QLabel* panel = panels_[static_cast<std::size_t>(g)][i];
      QPalette pal = panel->palette();
      pal.setColor(QPalette::WindowText, ToQColor(ColorOf(static_cast<ColorGroup>(g), static_cast<int>(i))));
      pal.setColor(QPalette::Window, Qt::white);
      panel->setPalette(pal);
      panel->update();
    }
  }
}

void DisplayOptionsDialog::ShowScaling() {
  axisFMinEdit_->setText(QText(FormatNumber(block_.axisFMin, 6)));
  axisFMaxEdit_->setText(QText(FormatNumber(block_.axisFMax, 6)));
  dBMinEdit_->setText(QText(FormatNumber(block_.dBMin, 6)));
  dBMaxEdit_->setText(QText(FormatNumber(block_.dBMax, 6)));
  impedanceMaxEdit_->setText(QText(FormatNumber(block_.impedanceMax, 6)));
}

void DisplayOptionsDialog::Fill(const DisplayOptions& o, bool useDisplayDefaults) {
  block_ = o;
  ShowColors();
  ShowScaling();
  useDisplayDefaultsCheck_->setChecked(useDisplayDefaults);
}

void DisplayOptionsDialog::RestoreDefaults() {
  const DisplayOptions standard;
  block_.axisFMin = standard.axisFMin;
  block_.axisFMax = standard.axisFMax;
  block_.dBMin = standard.dBMin;
  block_.dBMax = standard.dBMax;
  block_.impedanceMax = standard.impedanceMax;
  block_.colorSetAmps = standard.colorSetAmps;
  for (std::size_t i = 0; i < 9; ++i) block_.colorSetChassis[i] = standard.colorSetChassis[i];
  for (std::size_t i = 0; i < 7; ++i) block_.colorSetDirections[i] = standard.colorSetDirections[i];
  ShowColors();
  ShowScaling();
}

void DisplayOptionsDialog::PanelClicked(ColorGroup group, int index) {
  ColorValue& colour = ColorOf(group, index);
  const std::optional<QColor> chosen = chooseColor ? chooseColor(ToQColor(colour)) : std::nullopt;
  if (!chosen) return;
  colour = FromQColor(*chosen);
  ShowColors();
}

DisplayOptions DisplayOptionsDialog::Result() const {
  DisplayOptions o = block_;
  const AxisScaling s =
      ScalingFromTexts(axisFMinEdit_->text().toStdString(), axisFMaxEdit_->text().toStdString(), dBMinEdit_->text().toStdString(),
                       dBMaxEdit_->text().toStdString(), impedanceMaxEdit_->text().toStdString());
  o.axisFMin = s.axisFMin;
  o.axisFMax = s.axisFMax;
  o.dBMin = s.dBMin;
  o.dBMax = s.dBMax;
  o.impedanceMax = s.impedanceMax;
  return o;
}

bool DisplayOptionsDialog::UseDisplayDefaultsChecked() const { return useDisplayDefaultsCheck_->isChecked(); }

bool EditDisplayOptions(ProjectDocument& doc, const DialogRunner& run, QWidget* parent) {
  DisplayOptionsDialog dialog(parent);
  dialog.Fill(DisplayOptionsOf(doc.CurrentProject()), doc.ProgramSettings().useDisplayDefaults);
  if (run(dialog) != QDialog::Accepted) return false;
  const DisplayOptions options = dialog.Result();
  try {
    SaveDisplayDefaults(doc.ProgramSettings(), dialog.UseDisplayDefaultsChecked(), options, &doc.UserInteraction());
  } catch (const FileError& e) {
    doc.UserInteraction().ShowMessage(e.what());
  }
  ProjectEdit edit(doc, "Anzeigeoptionen");
  DisplayOptionsOf(edit.EditedProject()) = options;
  edit.Commit();
  return true;
}

}  // namespace sonvex
