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
class TColorPanel : public QLabel {
 public:
  TColorPanel(const QString& caption, std::function<void()> onClick, QWidget* parent)
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

QColor ToQColor(TColor c) { return QColor(c & 0xff, (c >> 8) & 0xff, (c >> 16) & 0xff); }
TColor FromQColor(const QColor& c) { return RGBColor(c.red(), c.green(), c.blue()); }

TScaling ScalingFromTexts(const std::string& afMin, const std::string& afMax, const std::string& dbMin,
                          const std::string& dbMax, const std::string& impMax) {
  // A value that is not finite (an overlong number) cannot scale an axis
  // either; it is replaced like a value of 0.
  TScaling s{Usable(StrToDoubleLenient(afMin), 20), Usable(StrToDoubleLenient(afMax), 20000),
             Usable(StrToDoubleLenient(dbMin), 50), Usable(StrToDoubleLenient(dbMax), 112),
             Usable(StrToDoubleLenient(impMax), 50)};
  if (s.AfMin > s.AfMax) std::swap(s.AfMin, s.AfMax);
  if (s.dBMin > s.dBMax) std::swap(s.dBMin, s.dBMax);
  return s;
}

TFormAnzOption::TFormAnzOption(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QText("Anzeigeoptionen bearbeiten"));
  chooseColor = [this](const QColor& initial) -> std::optional<QColor> {
    const QColor c = QColorDialog::getColor(initial, this);
    if (!c.isValid()) return std::nullopt;
    return c;
  };

  auto makeGroup = [this](TGroup group, const char* caption, const std::vector<std::string>& names) {
    auto* box = new QGroupBox(QText(caption), this);
    auto* layout = new QVBoxLayout(box);
    for (std::size_t i = 0; i < names.size(); ++i) {
      auto* panel = new TColorPanel(
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
  colours->addWidget(makeGroup(Amps, " Farben für Verstärker", amps));
  colours->addWidget(makeGroup(Chassis, " Farben für Chassis ", chassis));
  colours->addWidget(makeGroup(Directions, " Farben für Richtungen", directions));
  // The spinorama curves keep colours of their own, chosen to stay readable
  // on white and apart from the grid: named here, not editable.
  {
    auto* box = new QGroupBox(QText(" Farben für Spinorama (fest)"), this);
    auto* layout = new QVBoxLayout(box);
    for (const TSpinoramaCurveStyle& curve : kSpinoramaCurves) {
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
      spinPanels_.push_back(label);
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
  edAfMin_ = edit();
  edAfMax_ = edit();
  edDBMin_ = edit();
  edDBMax_ = edit();
  edImpMax_ = edit();
  grid->addWidget(new QLabel(QText("Frequenzachse von"), scaling), 0, 0);
  grid->addWidget(edAfMin_, 0, 1);
  grid->addWidget(new QLabel(QText("Hz bis "), scaling), 0, 2);
  grid->addWidget(edAfMax_, 0, 3);
  grid->addWidget(new QLabel(QText("Hz"), scaling), 0, 4);
  grid->addWidget(new QLabel(QText("Schalldruckpegel von"), scaling), 1, 0);
  grid->addWidget(edDBMin_, 1, 1);
  grid->addWidget(new QLabel(QText("dB bis "), scaling), 1, 2);
  grid->addWidget(edDBMax_, 1, 3);
  grid->addWidget(new QLabel(QText("dB"), scaling), 1, 4);
  grid->addWidget(new QLabel(QText("Impedanz anzeigen bis"), scaling), 2, 0);
  grid->addWidget(edImpMax_, 2, 1);
  grid->addWidget(new QLabel(QText("Ohm"), scaling), 2, 2);
  grid->setColumnStretch(5, 1);

  cbUseOption_ = new QCheckBox(QText("Diese Einstellungen bei allen Projektdateien verwenden"), this);
  btnDefaults_ = new QPushButton(QText("Voreinstellung wiederherstellen"), this);
  btnDefaults_->setAutoDefault(false);
  connect(btnDefaults_, &QPushButton::clicked, this, [this] { RestoreDefaults(); });
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btnDefaults_);
  buttons->addStretch();
  std::tie(btnOk_, btnAbbruch_) = AddOkCancel(this, buttons, QText("&Ok"), QText("&Abbruch"));
  btnAbbruch_->setAutoDefault(false);

  auto* main = new QVBoxLayout(this);
  main->addLayout(colours);
  main->addWidget(scaling);
  main->addWidget(cbUseOption_);
  main->addLayout(buttons);
  Fill(block_, false);
}

TColor& TFormAnzOption::ColorOf(TGroup group, int index) {
  const auto i = static_cast<std::size_t>(index);
  if (group == Amps) return block_.ColorSetAmps.at(i);
  if (group == Chassis) return block_.ColorSetChassis.at(i);
  return block_.ColorSetRichtungen.at(i);
}

QLabel* TFormAnzOption::Panel(TGroup group, int index) const {
  return panels_.at(group).at(static_cast<std::size_t>(index));
}

void TFormAnzOption::ShowColors() {
  for (int g = 0; g < 3; ++g) {
    for (std::size_t i = 0; i < panels_[static_cast<std::size_t>(g)].size(); ++i) {
      QLabel* panel = panels_[static_cast<std::size_t>(g)][i];
      QPalette pal = panel->palette();
      pal.setColor(QPalette::WindowText, ToQColor(ColorOf(static_cast<TGroup>(g), static_cast<int>(i))));
      pal.setColor(QPalette::Window, Qt::white);
      panel->setPalette(pal);
      panel->update();
    }
  }
}

void TFormAnzOption::ShowScaling() {
  edAfMin_->setText(QText(FormatNumber(block_.AfMin, 6)));
  edAfMax_->setText(QText(FormatNumber(block_.AfMax, 6)));
  edDBMin_->setText(QText(FormatNumber(block_.dBMin, 6)));
  edDBMax_->setText(QText(FormatNumber(block_.dBMax, 6)));
  edImpMax_->setText(QText(FormatNumber(block_.ImpMax, 6)));
}

void TFormAnzOption::Fill(const TDisplayOptions& o, bool useOption) {
  block_ = o;
  ShowColors();
  ShowScaling();
  cbUseOption_->setChecked(useOption);
}

void TFormAnzOption::RestoreDefaults() {
  const TDisplayOptions standard;
  block_.AfMin = standard.AfMin;
  block_.AfMax = standard.AfMax;
  block_.dBMin = standard.dBMin;
  block_.dBMax = standard.dBMax;
  block_.ImpMax = standard.ImpMax;
  block_.ColorSetAmps = standard.ColorSetAmps;
  for (std::size_t i = 0; i < 9; ++i) block_.ColorSetChassis[i] = standard.ColorSetChassis[i];
  for (std::size_t i = 0; i < 7; ++i) block_.ColorSetRichtungen[i] = standard.ColorSetRichtungen[i];
  ShowColors();
  ShowScaling();
}

void TFormAnzOption::PanelClicked(TGroup group, int index) {
  TColor& colour = ColorOf(group, index);
  const std::optional<QColor> chosen = chooseColor ? chooseColor(ToQColor(colour)) : std::nullopt;
  if (!chosen) return;
  colour = FromQColor(*chosen);
  ShowColors();
}

TDisplayOptions TFormAnzOption::Result() const {
  TDisplayOptions o = block_;
  const TScaling s =
      ScalingFromTexts(edAfMin_->text().toStdString(), edAfMax_->text().toStdString(), edDBMin_->text().toStdString(),
                       edDBMax_->text().toStdString(), edImpMax_->text().toStdString());
  o.AfMin = s.AfMin;
  o.AfMax = s.AfMax;
  o.dBMin = s.dBMin;
  o.dBMax = s.dBMax;
  o.ImpMax = s.ImpMax;
  return o;
}

bool TFormAnzOption::UseOptionChecked() const { return cbUseOption_->isChecked(); }

bool EditDisplayOptions(TProjectDocument& doc, const TDialogRunner& run, QWidget* parent) {
  TFormAnzOption dialog(parent);
  dialog.Fill(Anzeige(doc.Project()), doc.Settings().UseOption);
  if (run(dialog) != QDialog::Accepted) return false;
  const TDisplayOptions options = dialog.Result();
  try {
    SaveDisplayDefaults(doc.Settings(), dialog.UseOptionChecked(), options, &doc.Interaction());
  } catch (const TFileError& e) {
    doc.Interaction().ShowMessage(e.what());
  }
  TProjectEdit edit(doc, "Anzeigeoptionen", TRecalc::None);
  Anzeige(edit.Project()) = options;
  edit.Commit();
  return true;
}

}  // namespace sonvex
