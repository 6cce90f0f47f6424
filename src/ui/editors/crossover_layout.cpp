#include "ui/editors/crossover_layout.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "model/number_text.h"
#include "model/short_string.h"

namespace sonvex {

namespace {

// Pixel margin of the node grid inside the drawing.
constexpr int kMargin = 15;

// Byte offset of character `k` (code points) of a UTF-8 text.
std::size_t ByteOffset(std::string_view text, std::size_t k) { return Utf8PrefixBytes(text, k, text.size()); }

std::string TrimTrailingBlanks(std::string_view s) {
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return std::string(s);
}

std::string UpperAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

// Characters [from, from + count) of a UTF-8 text (0-based, by code point).
std::string Chars(std::string_view text, std::size_t from, std::size_t count) {
  const std::size_t a = ByteOffset(text, from);
  const std::size_t b = ByteOffset(text, from + count);
  return std::string(text.substr(a, b - a));
}

}  // namespace

CrossoverGeometry GeometryOfLevel(int level) {
  switch (std::clamp(level, kCrossoverMinLevel, kCrossoverMaxLevel)) {
    case 1:
      return {1, 77, 49, 8, 12, 18, 7};
    case 3:
      return {3, 102, 64, 10, 18, 24, 9};
    default:
      return {2, 86, 56, 8, 17, 20, 8};
  }
}

std::string_view CrossoverSizeCaption(int level) {
  switch (std::clamp(level, kCrossoverMinLevel, kCrossoverMaxLevel)) {
    case 1:
      return "klein";
    case 3:
      return "groß";
    default:
      return "mittel";
  }
}

DrawingSize CrossoverWindowSize(const CrossoverGeometry& g) {
  return {10 * g.columnPitch + 8 * g.level + 192, 8 * g.rowPitch + 2 * g.level + 78};
}

DrawingPoint KeepCrossoverEditorOnScreen(DrawingPoint topLeft, DrawingSize size, DrawingSize screen) {
  DrawingPoint p = topLeft;
  if (p.y + size.height + 30 > screen.height) p.y = screen.height - size.height - 30;
  if (p.x + size.width > screen.width) p.x = screen.width - size.width;
  if (p.x < 0) p.x = 0;
  // Never above the screen: its title bar and menus stay in reach.
  if (p.y < 0) p.y = 0;
  return p;
}

DrawingPoint NodePosition(const CrossoverGeometry& g, int node) {
  return {kMargin + NodeColumn(node) * g.columnPitch, kMargin + NodeRow(node) * g.rowPitch};
}

DrawingPoint AnyNodePosition(const CrossoverGeometry& g, int node) {
  const int n = std::max(node, 0);
  return NodePosition(g, n);
}

SlotRects HitRectangles(const CrossoverGeometry& g) {
  SlotRects rects{};  // the free wire slots stay at (0, 0)
  const int columnPitch = g.columnPitch;
  const int rowPitch = g.rowPitch;
  const int offsetH = g.offsetH;
  const int offsetV = g.offsetV;
  const int level = g.level;
  for (int slot = 0; slot < kGridSlots; ++slot) {
    const SlotLayout s = SlotGeometry(slot);
    const int c = s.column;
    const int r = s.row;
    DrawingRect& rect = rects[static_cast<std::size_t>(slot)];
    if (s.orientation == SlotOrientation::Horizontal)
      rect = {c * columnPitch + offsetH + 15, r * rowPitch + 2, (c + 1) * columnPitch + 2 * level + 5,
              r * rowPitch + 24 + 3 * level};
    else
      rect = {c * columnPitch - 3, r * rowPitch + offsetV + 15, 2 * level + (c + 1) * columnPitch - 10 - offsetH,
              r * rowPitch + offsetV + 35 + 4 * level};
  }
  return rects;
}

int HitTest(const SlotRects& rects, int x, int y) {
  for (int slot = kUsedPartSlots - 1; slot >= 0; --slot)
    if (rects[static_cast<std::size_t>(slot)].Contains(x, y)) return slot;
  return -1;
}

std::array<DrawingPoint, 4> FreeWirePolyline(DrawingPoint a, DrawingPoint b) {
  auto bend = [](double p, double q) { return static_cast<int>(std::lround(p + q - 10.0)); };
  return {a, DrawingPoint{bend(0.7 * a.x, 0.3 * b.x), bend(0.7 * a.y, 0.3 * b.y)},
          DrawingPoint{bend(0.3 * a.x, 0.7 * b.x), bend(0.3 * a.y, 0.7 * b.y)}, b};
}

std::pair<DrawingPoint, DrawingPoint> LabelPositions(const CrossoverGeometry& g, SlotOrientation orientation,
                                                     DrawingPoint first) {
  const int symbolLength = g.symbolLength;
  const int level = g.level;
  if (orientation == SlotOrientation::Vertical) {
    const int offset = g.offsetV;
    return {{first.x + symbolLength / 2 + 3, first.y + offset},
            {first.x + symbolLength / 2 + 3, first.y + offset + 2 * level + 9}};
  }
  const int offset = g.offsetH;
  return {{first.x + offset + symbolLength + 2, first.y - level - 12},
          {first.x + offset + symbolLength + 2, first.y + 1}};
}

DrawingSize CrossoverDrawingSize(const CrossoverGeometry& g) {
  return {10 * g.columnPitch + 30 + 120, 8 * g.rowPitch + 30 + 14};
}

DrawingRect UsedDrawingArea(const CrossoverGeometry& g, const Crossover& parts) {
  const DrawingSize size = CrossoverDrawingSize(g);
  int left = size.width, top = size.height, right = 0, bottom = 0;
  bool any = false;
  for (int s = 0; s < kUsedPartSlots; ++s) {
    const CrossoverPart& p = parts[static_cast<std::size_t>(s)];
    if (p.type < PartWire) continue;
    for (int node : {p.node1, p.node2}) {
      const DrawingPoint at = AnyNodePosition(g, std::min(node, kFreeWireNode));
      left = std::min(left, at.x);
      right = std::max(right, at.x);
      top = std::min(top, at.y);
      bottom = std::max(bottom, at.y);
      any = true;
    }
  }
  if (!any) return {0, 0, size.width - 1, size.height - 1};
  // labels reach 120 pixels to the right and a line above and below a node
  return {std::max(left - 15, 0), std::max(top - 30, 0), right + 120, bottom + 30};
}

// ---------------------------------------------------------------- labels

namespace {

// FormatSI writes a value without a prefix letter with a decimal point
// ("4.70", "0.00", "470."); the labels show the decimal comma like every
// other number of the drawing ("4,70", "0,00", "470,").
std::string LabelSI(double x) {
  std::string t = FormatSI(x);
  std::replace(t.begin(), t.end(), '.', ',');
  return t;
}

}  // namespace

std::string ResistanceText(double ohm) {
  if (ohm >= 0.1 && ohm <= 999) return FormatNumberFixed(ohm, 4) + " Ohm";
  return LabelSI(ohm) + " Ohm";
}

std::string CapacitanceText(double farad) {
  if (farad >= 1e-7 && farad <= 9.99e-4) return FormatNumberFixed(farad * 1e6, 4) + " µF";
  return LabelSI(farad) + " F";
}

std::string InductanceText(double henry) {
  if (henry >= 1e-4 && henry <= 0.999) return FormatNumberFixed(henry * 1000.0, 4) + " mH";
  return LabelSI(henry) + " H";
}

PartLabelLines PartLabel(const CrossoverPart& part, LabelMode mode, bool printView, std::string_view chassisName) {
  const std::string note = mode == LabelMode::Designation ? part.note.Str() : std::string();
  switch (part.type) {
    case PartResistor:
      return {ResistanceText(part.value), note};
    case PartCapacitor:
      return {CapacitanceText(part.value), note};
    case PartInductor:
      return {InductanceText(part.value), mode == LabelMode::Designation ? note : ResistanceText(part.resistance)};
    case PartChassis:
      if (!printView) return {std::string(chassisName), "Chassis " + std::to_string(part.chassisSlot + 1)};
      if (Utf8Length(chassisName) >= 9) {
        auto [a, b] = SplitChassisName(chassisName);
        return {a, b};
      }
      return {std::string(chassisName), {}};
    case PartAmplifier:
      return {"Amp", {}};
    default:
      return {};
  }
}

std::pair<std::string, std::string> SplitChassisName(std::string_view name) {
  const auto n = static_cast<long>(Utf8Length(name));
  const long candidates = std::min<long>(n, 40);
  long best = 0;
  long bestScore = 0;
  for (long k = 1; k <= candidates; ++k) {
    const std::string left = TrimTrailingBlanks(Chars(name, 0, static_cast<std::size_t>(k)));
    const std::string right = Chars(name, static_cast<std::size_t>(k), static_cast<std::size_t>(n - k));
    const auto ll = static_cast<long>(Utf8Length(left));
    const auto lr = static_cast<long>(Utf8Length(right));
    const long widest = std::max({ll, lr, 8L});
    long score = -widest * widest - ll - lr;
    if (right.starts_with("- ")) score += 22;
    if (best == 0 || score > bestScore) {
      best = k;
      bestScore = score;
    }
  }
  if (best == 0) return {std::string(name), {}};
  std::string line1 = TrimTrailingBlanks(Chars(name, 0, static_cast<std::size_t>(best)));
  std::string line2 = Chars(name, static_cast<std::size_t>(best), static_cast<std::size_t>(n - best));
  // "- 8 Ohm" or "- 8Ohm": the impedance alone on the second line.
  if (line2.starts_with("- ")) {
    const std::string from4 = UpperAscii(Chars(line2, 3, 3));
    const std::string from5 = UpperAscii(Chars(line2, 4, 3));
    if (from4 == "OHM" || from5 == "OHM") line2.erase(0, 2);
  }
  return {line1, line2};
}

// ---------------------------------------------------------------- junctions

std::array<int, 100> TerminalEnds(const Crossover& parts) {
  std::array<int, 100> ends{};
  auto count = [&ends](int node) {
    if (node >= 0 && node < static_cast<int>(ends.size())) ++ends[static_cast<std::size_t>(node)];
  };
  for (int s = 0; s < kUsedPartSlots; ++s) {
    const CrossoverPart& p = parts[static_cast<std::size_t>(s)];
    if (p.type < PartWire) continue;
    count(p.node1);
    count(p.node2);
  }
  return ends;
}

bool IsJunction(const std::array<int, 100>& ends, int node) {
  return node >= 0 && node < static_cast<int>(ends.size()) && ends[static_cast<std::size_t>(node)] >= 3;
}

// ---------------------------------------------------------------- mouse actions

std::string MouseMapSummary(std::int32_t map) {
  // Short words: the line must fit the smallest editor window.
  static constexpr std::array<std::string_view, kMouseActionCount> kShort{"nichts",    "Draht",   "löschen",
                                                                          "editieren", "umpolen", "markieren"};
  static constexpr std::array<std::string_view, kMouseMapDigits> kButtons{"Links",        "Rechts",     "Shift+Links",
                                                                          "Shift+Rechts", "Strg+Links", "Strg+Rechts"};
  std::string line = "Maus: ";
  for (int pos = 0; pos < kMouseMapDigits; ++pos) {
    const int action = MouseMapDigit(map, pos);
    if (pos > 0) line += " · ";
    line += kButtons[static_cast<std::size_t>(pos)];
    line += ": ";
    line += action >= 0 && action < kMouseActionCount ? kShort[static_cast<std::size_t>(action)] : kShort[0];
  }
  return line;
}

std::string_view MouseActionCaption(int action) {
  switch (action) {
    case NoAction:
      return "keine Aktion";
    case MakeWire:
      return "Draht erzeugen";
    case DeletePart:
      return "Bauteil löschen";
    case EditPart:
      return "Bauteil editieren";
    case InvertPart:
      return "Bauteil umpolen";
    case MarkPart:
      return "Bauteil zum Optimieren markieren";
    default:
      return {};
  }
}

int MouseMapPosition(MouseButton button, bool shift, bool ctrl) {
  if (button == MouseButton::Middle) return -1;
  const int side = button == MouseButton::Right ? 1 : 0;
  if (shift) return 2 + side;
  if (ctrl) return 4 + side;
  return side;
}

int MouseMapDigit(std::int32_t map, int position) {
  if (position < 0 || position >= kMouseMapDigits) return 0;
  std::int64_t m = std::llabs(static_cast<std::int64_t>(map));
  for (int i = 0; i < position; ++i) m /= 10;
  return static_cast<int>(m % 10);
}

int DecodeMouseAction(std::int32_t map, MouseButton button, bool shift, bool ctrl) {
  const int position = MouseMapPosition(button, shift, ctrl);
  if (position < 0) return NoAction;
  return MouseMapDigit(map, position);
}

std::int32_t ComposeMouseMap(const std::array<int, kMouseMapDigits>& digits) {
  std::int32_t map = 0;
  std::int32_t power = 1;
  for (int d : digits) {
    map += std::clamp(d, 0, kMouseActionCount - 1) * power;
    power *= 10;
  }
  return map;
}

bool ApplyMouseAction(Crossover& parts, int slot, int action) {
  if (slot < 0 || slot >= kUsedPartSlots) return false;
  CrossoverPart& p = parts[static_cast<std::size_t>(slot)];
  switch (action) {
    case MakeWire:
      p.type = PartWire;
      return true;
    case DeletePart:
      p.type = PartNone;
      return true;
    case InvertPart:
      p.reversedPolarity = TogglePolarity(p.reversedPolarity);
      return true;
    case MarkPart:
      p.optimize = !p.optimize;
      return true;
    default:
      return false;
  }
}

void MarkForOptimization(Crossover& parts, MarkScope which) {
  for (int s = 0; s < kUsedPartSlots; ++s) {
    CrossoverPart& p = parts[static_cast<std::size_t>(s)];
    switch (which) {
      case MarkScope::AllComponents:
        p.optimize = p.type == PartResistor || p.type == PartCapacitor || p.type == PartInductor;
        break;
      case MarkScope::ResistorsOnly:
        p.optimize = p.type == PartResistor;
        break;
      case MarkScope::None:
        p.optimize = false;
        break;
    }
  }
}

// ---------------------------------------------------------------- free wires

std::array<FreeWireRow, kFreeWires> FreeWireRows(const Crossover& parts) {
  std::array<FreeWireRow, kFreeWires> rows{};
  for (int k = 1; k <= kFreeWires; ++k) {
    const CrossoverPart& p = parts[static_cast<std::size_t>(FreeWireSlot(k))];
    rows[static_cast<std::size_t>(k - 1)] = {p.type == PartWire, p.node1, p.node2};
  }
  return rows;
}

void SetFreeWires(Crossover& parts, const std::array<FreeWireRow, kFreeWires>& rows) {
  for (int k = 1; k <= kFreeWires; ++k) {
    CrossoverPart& p = parts[static_cast<std::size_t>(FreeWireSlot(k))];
    const FreeWireRow& row = rows[static_cast<std::size_t>(k - 1)];
    p.type = row.used ? PartWire : PartNone;
    // The entry takes two digits; the solver knows the nodes 0..99 only.
    p.node1 = std::clamp(row.from, 0, kFreeWireNode);
    p.node2 = std::clamp(row.to, 0, kFreeWireNode);
  }
}

}  // namespace sonvex
