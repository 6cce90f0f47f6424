#pragma once
// What the crossover schematic editor computes without a window: the drawing
// geometry of the three size levels, the hit rectangles of the part slots,
// the part labels, the chassis name split of the print view, the junction
// dots, the mouse action map and the editing actions on the working copy.
// No Qt here, so all of it can be checked without a display.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "model/crossover_model.h"

namespace sonvex {

inline constexpr int kCrossoverMinLevel = 1;
inline constexpr int kCrossoverMaxLevel = 3;

// Geometry of one size level: pitches of the node grid, where the part
// symbol sits along a horizontal or vertical edge, its length, the font size.
struct CrossoverGeometry {
  int level = 2;
  int columnPitch = 86;
  int rowPitch = 56;
  int offsetH = 8;
  int offsetV = 17;
  int symbolLength = 20;
  int fontSize = 8;
};

// Levels outside 1..3 are taken as the nearest level.
CrossoverGeometry GeometryOfLevel(int level);
// "klein", "mittel", "groß".
std::string_view CrossoverSizeCaption(int level);

struct DrawingPoint {
  int x = 0;
  int y = 0;
  bool operator==(const DrawingPoint&) const = default;
};

// Bounds inclusive on all four sides.
struct DrawingRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool Contains(int x, int y) const { return x >= left && x <= right && y >= top && y <= bottom; }
  bool operator==(const DrawingRect&) const = default;
};

struct DrawingSize {
  int width = 0;
  int height = 0;
  bool operator==(const DrawingSize&) const = default;
};

// Window size of a level: 10 column pitches + 8 per level + 192 wide,
// 8 row pitches + 2 per level + 78 high.
DrawingSize CrossoverWindowSize(const CrossoverGeometry& g);

// Moves a window of the given size back onto a screen: the bottom edge keeps
// 30 pixels free, the right edge stays on the screen, the left and top edges
// never go negative.
DrawingPoint KeepCrossoverEditorOnScreen(DrawingPoint topLeft, DrawingSize size, DrawingSize screen);

// Pixel position of a grid node (0..98); 15 pixels of margin.
DrawingPoint NodePosition(const CrossoverGeometry& g, int node);
// Position of any node a free wire may name (0..99); node 99 and beyond lie
// outside the grid and are placed by the same formula.
DrawingPoint AnyNodePosition(const CrossoverGeometry& g, int node);

using SlotRects = std::array<DrawingRect, kUsedPartSlots>;
// One rectangle per slot 0..185; the free wire slots stay at the point (0, 0).
SlotRects HitRectangles(const CrossoverGeometry& g);
// The highest-numbered slot whose rectangle contains the point, -1 for none.
int HitTest(const SlotRects& rects, int x, int y);

// The four points of a free wire's polyline: its two nodes and two bends
// pulled 10 pixels up and to the left, so that it never hides a grid edge.
std::array<DrawingPoint, 4> FreeWirePolyline(DrawingPoint a, DrawingPoint b);

// Where the two label lines of a slot start (top left of the text).
std::pair<DrawingPoint, DrawingPoint> LabelPositions(const CrossoverGeometry& g, SlotOrientation orientation,
                                                     DrawingPoint first);

// Size of the whole drawing: the grid with its margin and the labels right
// of the last column and below the last row.
DrawingSize CrossoverDrawingSize(const CrossoverGeometry& g);
// The part of the drawing that the occupied slots (free wires included)
// cover, with room for their labels and the bends of free wires; the whole
// drawing when nothing is occupied. Prints and exports show this part.
DrawingRect UsedDrawingArea(const CrossoverGeometry& g, const Crossover& parts);

// ---- labels

// The second label line of resistors, capacitors and coils.
enum class LabelMode { CoilResistance, Designation };

struct PartLabelLines {
  std::string line1;
  std::string line2;
  bool operator==(const PartLabelLines&) const = default;
};

std::string ResistanceText(double ohm);     // "2,20 Ohm", "1k20 Ohm"
std::string CapacitanceText(double farad);  // "4,70 µF", "1,00 F"
std::string InductanceText(double henry);   // "1,20 mH", "1,50 H"

// Label of a slot of type 2 or more (empty for wires and empty slots).
// `chassisName` is the name of the chassis a chassis part stands for.
PartLabelLines PartLabel(const CrossoverPart& part, LabelMode mode, bool printView, std::string_view chassisName);

// Splits a chassis name for the two lines of the print view (names of 9
// characters or more); a designation followed by " - 8 Ohm" keeps the
// impedance alone on the second line.
std::pair<std::string, std::string> SplitChassisName(std::string_view name);

// ---- print view junctions

// Number of terminal ends of occupied slots (type 1 or more) at each node
// 0..99, counting both nodes of all 186 slots.
std::array<int, 100> TerminalEnds(const Crossover& parts);
// The print view draws a dot where three or more ends meet.
bool IsJunction(const std::array<int, 100>& ends, int node);

// ---- mouse actions

enum MouseAction : int {
  NoAction = 0,    // "keine Aktion"
  MakeWire = 1,    // "Draht erzeugen"
  DeletePart = 2,  // "Bauteil löschen"
  EditPart = 3,    // "Bauteil editieren"
  InvertPart = 4,  // "Bauteil umpolen"
  MarkPart = 5,    // "Bauteil zum Optimieren markieren"
};
inline constexpr int kMouseActionCount = 6;
std::string_view MouseActionCaption(int action);
// What each mouse button does under `map`, for the editor's status line:
// "Links: Draht · Rechts: editieren · Shift+Links: markieren · ...".
std::string MouseMapSummary(std::int32_t map);

enum class MouseButton { Left, Right, Middle };

// The mouse action map setting on a first start.
inline constexpr std::int32_t kFirstStartMouseMap = 424531;

// The six positions of the map: left, right, Shift+left, Shift+right,
// Ctrl+left, Ctrl+right (units digit first).
inline constexpr int kMouseMapDigits = 6;
// Index 0..5 of the digit a click uses; Shift is tested before Ctrl, so
// Shift+Ctrl behaves like Shift. -1 for the middle button.
int MouseMapPosition(MouseButton button, bool shift, bool ctrl);
// Digit at a position of the map (negative maps are read by magnitude).
int MouseMapDigit(std::int32_t map, int position);
// The action a click performs; NoAction for the middle button.
int DecodeMouseAction(std::int32_t map, MouseButton button, bool shift, bool ctrl);
// The map built from six digits (each 0..5), position 0 the units digit.
std::int32_t ComposeMouseMap(const std::array<int, kMouseMapDigits>& digits);

// Applies an action that needs no dialog to a slot of the working copy:
// wire and delete change the type only, invert toggles the polarity, mark
// toggles the optimisation mark. Returns false when nothing changed (no
// action, edit, or a slot outside 0..185).
bool ApplyMouseAction(Crossover& parts, int slot, int action);

enum class MarkScope { AllComponents, ResistorsOnly, None };
// The "Bauteiloptimierung" menu on slots 0..185.
void MarkForOptimization(Crossover& parts, MarkScope which);

// ---- free wires

struct FreeWireRow {
  bool used = false;
  int from = 0;
  int to = 0;
  bool operator==(const FreeWireRow&) const = default;
};
// Reads the free wires 1..8 of the working copy.
std::array<FreeWireRow, kFreeWires> FreeWireRows(const Crossover& parts);
// Writes them back: every free wire slot becomes empty, then a wire where its
// row is used; the nodes of all rows are stored, limited to 0..99.
void SetFreeWires(Crossover& parts, const std::array<FreeWireRow, kFreeWires>& rows);

}  // namespace sonvex
