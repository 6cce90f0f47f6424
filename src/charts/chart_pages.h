#pragma once
// The chart objects of the main window's pages: how the displayed result
// becomes curves (UpdateChartSet), how each page arranges its diagrams
// (PaintChartPage), and the export of every page as a PNG picture for the
// command-line program. The main window and the export use the same objects.
#include <QRect>
#include <QSize>
#include <array>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "calc/time_response.h"
#include "charts/chart.h"
#include "charts/polar.h"
#include "charts/spinorama_colours.h"
#include "model/project.h"
#include "model/result.h"

class QPainter;

namespace sonvex {

// The colour of the energy response on the first page (a brown of its own).
inline constexpr ColorValue kEnergyResponseColor = RGBColor(150, 90, 40);
// Drawn in the box chart when no chassis is connected to an amplifier.
inline constexpr std::string_view kNoChassisDrivenNote =
    "Kein Chassis an einen Verstärker angeschlossen – Weicheneditor F6";

// The pages of the main window, in tab order.
enum ChartPage : int {
  PageResponseImpedance = 0,  // "F-Gang/Imped."
  PagePhase,                  // "Phasengang"
  PageMaxLevel,               // "max. Pegel"
  PageDirections,             // "F-Gang Richtungen"
  PagePolar,                  // "Polarplots"
  PageDirectivity,            // "Bündelung"
  PageChassis1To4,            // "Chassis 1-4"
  PageChassis5To8,            // "Chassis 5..8"
  PageElectrical,             // "F-Gang elektr."
  PageSpinorama,              // "Spinorama": spinorama curves above, group delay below
  PageStepResponse,           // "Sprungantwort": step responses above, impulse responses below
  ChartPageCount
};

// The tab caption of a page as created.
const char* ChartPageCaption(int page);
// The caption of the first chassis page for a chassis count: "Chassis 1..4"
// when the second chassis page is shown, otherwise "Chassis".
const char* ChassisPageCaption(int chassisCount);
// The second chassis page is shown only with more than four chassis.
inline bool ChassisPage5To8Visible(int chassisCount) { return chassisCount > 4; }

// Direction charts, in the order UpdateChartSet fills them.
enum DirectionSide : int { SideUp = 0, SideLeft, SideDown, SideRight };

// The step response page's time responses: those of the shown result up to
// kStepPageLongestMs, computed when the page is painted or saved (not in
// every calculation step), and the box's curves of the reference project.
struct StepPageData {
  bool current = false;  // `response` belongs to the result of the last UpdateChartSet
  TimeResponse response;
  bool hasReference = false;
  int referenceStart = 0;
  int referenceRate = 0;
  TimeCurve referenceBox;
};

// The ends of the step response page's time axis ("bis"), in ms; the
// longest is computed, the others are cut from it.
inline constexpr std::array<double, 4> kStepPageEndsMs{5.0, 10.0, 20.0, 50.0};
inline constexpr double kStepPageLongestMs = 50.0;
inline constexpr double kStepPageDefaultEndMs = 10.0;

// Every diagram of the main window. About ten megabytes: keep it on the heap.
struct ChartSet {
  std::unique_ptr<Chart> total;                               // bcFgangImp
  std::array<std::unique_ptr<Chart>, 4> directions;           // DirectionSide
  std::unique_ptr<Chart> phase;                               // bcFgangPha
  std::unique_ptr<Chart> chassisVoltage;                      // bcUChassis
  std::unique_ptr<Chart> maxVoltage;                          // bcFgangUmax
  std::unique_ptr<Chart> maxLevel;                            // bcFgangMaxPeg
  std::unique_ptr<Chart> directivity;                         // bcFgnagBmass
  std::array<std::unique_ptr<Chart>, kChassisSlots> chassis;  // bcFgangChas[0..8]
  std::unique_ptr<PolarPlot> polarHorizontal;
  std::unique_ptr<PolarPlot> polarVertical;
  std::unique_ptr<Chart> spin;             // bcSpinorama: on axis, LW, ER, SP, PIR; SPDI, ERDI on the right
  std::unique_ptr<Chart> groupDelay;       // bcGruppenlaufzeit: box and chassis on axis, ms
  std::unique_ptr<Chart> stepResponse;     // box and chassis on axis, divided by the box's peak
  std::unique_ptr<Chart> impulseResponse;  // the same for the impulse responses
  std::unique_ptr<StepPageData> stepData;

  // The charts that keep reference curves: total, phase, chassis voltage,
  // maximum voltage, maximum level, directivity, chassis charts 1..8 and the
  // two charts of the spinorama page. The step response page keeps its
  // reference apart (StoreStepReference), as its curves are computed late.
  std::vector<Chart*> ReferenceCharts() const;
};

// Creates the charts with their titles, axis kinds and polar labels.
std::unique_ptr<ChartSet> MakeChartSet();

// The state of the page controls that UpdateChartSet reads.
struct ChartControls {
  bool showChassis = true;           // "Frequenzgang Einzelchassis zeigen"
  bool showImpedance = true;         // "Impedanzgang zeigen"
  bool showEnergy = true;            // "Energiefrequenzgang zeigen"
  std::string phaseReference = "0";  // "Bezug auf" ... "cm" "hinter Schallwand"
  std::array<bool, kMaxChassis> phaseChassis{true, true, true, true, true, true, true, true};
  bool phaseRear = false;                    // "auch rückwärtige Anteile ... zeigen"
  bool spinShowChassis = true;               // the spinorama page's "Frequenzgang Einzelchassis zeigen"
  bool stepShowChassis = true;               // the step response page's "Frequenzgang Einzelchassis zeigen"
  double stepEndMs = kStepPageDefaultEndMs;  // the step response page's "bis"
};

// What UpdateChartSet tells the page controls.
struct ChartUpdateOutcome {
  std::vector<std::string> messages;  // "Unerwarteter Fehler: UpdateCharts mit " + kind, one per failed kind
  std::array<std::string, kMaxChassis> phaseCaptions{};
  std::array<bool, kMaxChassis> phaseVisible{};
  int polarMax = 0;    // scroll bar maximum: index of the last grid point
  int polarStart = 0;  // where the polar plots open: the grid point nearest 1 kHz
};

// The grid point of the result nearest 1 kHz (on the logarithmic scale);
// 0 for an empty grid.
int PolarStartPosition(const CalcResult& r);

// Turns the displayed result into curves of every chart. Each chart kind is
// filled in its own guarded block; a failing kind is reported and the others
// are still filled. Unchecks the phase check boxes of chassis the result does
// not have.
void UpdateChartSet(ChartSet& set, const Project& p, const CalcResult& r, ChartControls& controls,
                    ChartUpdateOutcome& outcome);

// Fills the two charts of the spinorama page (UpdateChartSet calls it with
// the other pages): upper chart on axis, listening window, early
// reflections, sound power and predicted in-room response in dB, the two
// directivity indices on the right axis, which keeps the left axis's dB per
// division with its 0 near the bottom and labels from 0 to 15 dB; lower
// chart the group delay of the box and, with `controls.spinShowChassis`, of
// each chassis, in ms, on an axis holding every drawn curve and 0. A
// chassis's point is left out where the chassis lies more than
// kGroupDelayChassisRangeDb below the box. Each chart is filled in its own guarded block ("bcSpinorama",
// "bcGruppenlaufzeit").
void FillSpinoramaPage(ChartSet& set, const Project& p, const CalcResult& r, const ChartControls& controls,
                       ChartUpdateOutcome& outcome);

// Fills the two charts of the step response page from the shown result `r`
// (which must be the one of the last UpdateChartSet): step responses above,
// impulse responses below, on a linear time axis from -1 ms to
// `controls.stepEndMs`. Computes the time responses when UpdateChartSet has
// met a new result since, otherwise reuses them. The box in the total's
// colour, each chassis in its colour with `controls.stepShowChassis`, the
// reference project's box dotted; every curve of a chart divided by the
// largest magnitude of the box's curve within the shown window (1 when that
// is 0). The charts are filled in guarded blocks ("bcSprungantwort",
// "bcImpulsantwort").
void FillStepResponsePage(ChartSet& set, const Project& p, const CalcResult& r, const ChartControls& controls,
                          ChartUpdateOutcome& outcome);
// Keeps the box's time responses of `r` (the shown result) as the reference
// of the step response page; ClearStepReference drops them.
void StoreStepReference(ChartSet& set, const CalcResult& r);
void ClearStepReference(ChartSet& set);

// Fills both polar plots from the grid point `position` of the result
// (clamped to the grid).
void FillPolarPlots(ChartSet& set, const CalcResult& r, int position);
// "Frequenz: " + frequency of the grid point (width 5) + " Hz".
std::string PolarFrequencyLabel(const CalcResult& r, int position);

// Paints one page's diagrams into `area` (halves and quarters as on screen).
// Polar plots must have been filled (FillPolarPlots), the step response page
// too (FillStepResponsePage).
void PaintChartPage(ChartSet& set, int page, QPainter& painter, const QRect& area);

enum class PictureFormat { Png, Svg };

// Paints one page's diagrams into a picture file of `size` pixels (SVG: the
// same drawing as vectors), written through a temporary file. `caption` is
// drawn at the top left when not empty (the polar page names its frequency).
// Returns false with a German message in `error`.
bool SaveChartPicture(ChartSet& set, int page, QSize size, const std::filesystem::path& file, PictureFormat format,
                      const std::string& caption, std::string& error);

// Renders every chart page shown for the project (the second chassis page
// only with more than four chassis) as PNG files of `size` into `dir`
// (created when missing). The polar page shows the grid point nearest 1 kHz.
// Needs a QGuiApplication; without any application object one is created for
// the call (offscreen). Returns false with a German message in `error`.
bool RenderChartPages(const Project& p, const CalcResult& r, QSize size, const std::filesystem::path& dir,
                      std::string& error, PictureFormat format = PictureFormat::Png);

// The file name of a page's picture, e.g. "01-fgang-imped.png" (".svg" for SVG).
std::string ChartPageFileName(int page);

}  // namespace sonvex
