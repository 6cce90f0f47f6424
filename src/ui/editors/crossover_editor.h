#pragma once
// The crossover schematic editor: the passive crossover of one amplifier
// drawn on its node grid, edited with the mouse on a working copy that goes
// into the project on "&Übernehmen" or "&Ok". With it the free wire dialog
// and the dialog of the mouse action map.
#include <QDialog>
#include <QMainWindow>
#include <array>
#include <filesystem>
#include <functional>
#include <string>

#include "model/crossover_model.h"
#include "ui/dialogs/dialog_runner.h"
#include "ui/editors/crossover_layout.h"

class QAction;
class QButtonGroup;
class QCheckBox;
class QDialog;
class QLabel;
class QLineEdit;
class QPainter;
class QPrinter;
class QPushButton;

namespace sonvex {

class Interaction;
class ProjectDocument;
class PartEditorDialog;
class FreeWiresDialog;
class MouseMapSettingsDialog;
struct Settings;

// ---------------------------------------------------------------------------
// What the drawing needs besides the parts.
struct CrossoverPaintOptions {
  bool printView = false;
  LabelMode labelMode = LabelMode::CoilResistance;
  bool nodeNumbers = false;
};

// Draws a crossover in the drawing's own pixel coordinates. `chassisName`
// gives the name of chassis slot n.
void PaintCrossover(QPainter& painter, const CrossoverGeometry& g, const Crossover& parts, const SlotRects& rects,
                    const CrossoverPaintOptions& options, const std::function<std::string(int)>& chassisName);

class CrossoverPaintBox;

class CrossoverEditorWindow : public QMainWindow {
  Q_OBJECT
 public:
  // `runDialog` runs the modal dialogs (tests answer them).
  CrossoverEditorWindow(ProjectDocument& doc, Settings& settings, Interaction& ui, PartEditorDialog& partEditor,
                        DialogRunner runDialog, QWidget* parent = nullptr);
  bool IsOpen() const { return amp_ >= 0; }

  // Copies the crossover of amplifier `amp` (0-based) and shows the window.
  void OpenFor(int amp);
  // The edited amplifier, -1 while closed.
  int Amp() const { return amp_; }
  Crossover& Parts() { return parts_; }
  const Crossover& Parts() const { return parts_; }

  // "&Übernehmen": undo step, the slots into the project, recalculation.
  void ApplyClick();
  // "&Ok": the plausibility questions, then apply and close.
  void OkClick();
  // "&Abbruch": close without applying.
  void CancelClick();
  // Closes without applying (new project, loading, undo).
  void CloseEditor();
  // The working copy differs from the project's crossover: values not yet
  // taken over with "&Übernehmen" or "&Ok".
  bool HasPendingChanges() const;

  // A click on the drawing at pixel (x, y).
  void ClickAt(int x, int y, MouseButton button, bool shift, bool ctrl);
  void FreeWiresClick();
  void MouseMapClick();
  void MarkClick(MarkScope which);
  void SetLevel(int level);
  void SetPrintView(bool on);
  void SetLabelMode(LabelMode mode);

  bool PrintView() const { return options_.printView; }
  bool FreeWireDialogOpen() const { return options_.nodeNumbers; }
  const CrossoverGeometry& Geometry() const { return geometry_; }
  const SlotRects& HitRects() const { return rects_; }
  QWidget* PaintArea() const;
  FreeWiresDialog* FreeWireDialog() const { return freeWires_; }
  MouseMapSettingsDialog* MouseMapDialog() const { return mouseMap_; }
  QPushButton* ApplyButton() const { return apply_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }

  // The print view drawing: as a picture, as a vector graphic, on paper.
  // All show the used part of the drawing (PrintArea), its top left at (0, 0).
  DrawingRect PrintArea() const;
  void PaintPrintView(QPainter& painter) const;
  QImage RenderPrintView() const;
  bool SavePng(const std::filesystem::path& file) const;
  bool SaveSvg(const std::filesystem::path& file) const;
  // One printed page: a heading and the print view scaled into `page`.
  void PaintPrintPage(QPainter& painter, const QRect& page) const;
  // Prints the print view scaled to the page; false when the printer fails.
  bool PrintTo(QPrinter& printer) const;
  void PrintClick();
  void ExportPngClick();
  void ExportSvgClick();

  void Paint(QPainter& painter) const;

 signals:
  // The editor opened or closed (the main window's menus follow).
  void openChanged(bool open);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenus();
  void Layout();
  void Finish();
  std::string ChassisName(int n) const;
  // The status line with the mouse-button assignment, fitted to the window.
  void ShowMouseLine(int windowWidth);

  ProjectDocument& doc_;
  DialogRunner runDialog_;
  Settings& settings_;
  Interaction& ui_;
  PartEditorDialog& partEditor_;
  Crossover parts_ = EmptyCrossover();
  int amp_ = -1;
  CrossoverGeometry geometry_;
  SlotRects rects_{};
  CrossoverPaintOptions options_;
  CrossoverPaintBox* box_ = nullptr;
  FreeWiresDialog* freeWires_ = nullptr;
  MouseMapSettingsDialog* mouseMap_ = nullptr;
  QLabel* mouseLine_ = nullptr;  // the status line with the mouse-button assignment
  QPushButton* apply_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
  // The window-size items of the levels, and the two views.
  std::array<QAction*, kCrossoverMaxLevel - kCrossoverMinLevel + 1> sizeItems_{};
  QAction* editViewItem_ = nullptr;
  QAction* printViewItem_ = nullptr;
  // The two labels of coils.
  QAction* coilResistanceItem_ = nullptr;
  QAction* designationItem_ = nullptr;
  bool closing_ = false;
};

}  // namespace sonvex
