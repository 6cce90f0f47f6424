#pragma once
// The passive crossover of one amplifier: a fixed grid of 11 x 9 nodes with
// 178 part slots on the edges between neighbouring nodes, plus 8 free wires
// that may join any two nodes.
#include <array>
#include <cstdint>
#include <string_view>

#include "model/short_string.h"

namespace sonvex {

// Part type codes.
enum PartType : std::int16_t {
  PartNone = 0,       // "keine Verbindung"
  PartWire = 1,       // "Draht"
  PartResistor = 2,   // "Widerstand"
  PartCapacitor = 3,  // "Kondensator"
  PartInductor = 4,   // "Spule"
  PartChassis = 5,    // "Lautsprecherchassis"
  PartAmplifier = 6,  // "Verstärkerausgang"
};

// Caption of a part type as the part editor shows it; empty for unknown codes.
std::string_view PartTypeCaption(int typ);

// One crossover part slot.
struct CrossoverPart {
  std::int16_t type = PartNone;
  std::int16_t reversedPolarity = 0;  // > 0: inverted polarity (chassis, amplifier)
  std::int16_t chassisSlot = 0;       // 0-based chassis slot of a chassis part
  double value = 1.0;                 // Ohm, Farad or Henry
  double resistance = 0.0;            // winding resistance of a coil, Ohm
  ShortString<16> note;               // note, e.g. the designation from the parts library
  std::int32_t node1 = 0;             // node of the first terminal (left / upper end)
  std::int32_t node2 = 0;             // node of the second terminal (right / lower end)
  bool optimize = false;              // marked for optimisation

  bool operator==(const CrossoverPart&) const = default;
};

// Grid and slot geometry.
inline constexpr int kGridColumns = 11;
inline constexpr int kGridRows = 9;
inline constexpr int kGridNodes = kGridColumns * kGridRows;     // nodes 0..98
inline constexpr int kFreeWireNode = 99;                        // accepted by the free wire entry, outside the grid
inline constexpr int kHorizontalSlots = 90;                     // slots 0..89
inline constexpr int kGridSlots = 178;                          // slots 0..177
inline constexpr int kFreeWires = 8;                            // slots 178..185
inline constexpr int kUsedPartSlots = kGridSlots + kFreeWires;  // 186 slots stored per amplifier
inline constexpr int kPartSlots = 194;                          // room reserved per amplifier

using Crossover = std::array<CrossoverPart, kPartSlots>;

enum class SlotOrientation { Horizontal, Vertical, FreeWire };

struct SlotLayout {
  SlotOrientation orientation;
  int column;  // grid column of the left / upper end; -1 for free wires
  int row;     // grid row of the left / upper end; -1 for free wires
  int node1;   // -1 for free wires (entered by the user)
  int node2;
};

// Geometry of slot 0..185. Slots outside that range are reported as free wires
// without position.
SlotLayout SlotGeometry(int slot);
constexpr int NodeColumn(int node) { return node % kGridColumns; }
constexpr int NodeRow(int node) { return node / kGridColumns; }
constexpr int NodeAt(int column, int row) { return column + kGridColumns * row; }
// Slot of the free wire k (1..8).
constexpr int FreeWireSlot(int k) { return kGridSlots - 1 + k; }

// Sets the nodes of the grid slots 0..177 from their positions and clears the
// nodes of the free wire slots (they are read or entered afterwards).
void AssignGridNodes(Crossover& parts);

// An empty crossover: every slot of type none with neutral values, grid nodes assigned.
Crossover EmptyCrossover();

// Counts used by the plausibility rules of the crossover editor (slots 0..185).
struct PartCounts {
  int amps = 0;        // amplifier outputs
  int chassis = 0;     // chassis parts
  int components = 0;  // parts of type 2 (resistor) or more
};
PartCounts CountParts(const Crossover& parts);

// The questions of the crossover editor's close check, asked with the buttons
// kPlausibilityButtons in this order.
inline constexpr std::string_view kNoAmpText = "Es ist kein Verstärker an der Weiche \r\nangeschlossen. ";
inline constexpr std::string_view kNoChassisText =
    "Es befindet sich kein Chassis in der Weiche.\rWozu ist dann die Weiche und der Verstärker gut?";
inline constexpr std::string_view kPlausibilityButtons = "jetzt ändern|soll so bleiben";
// The texts that fire for a crossover, in the order they are asked.
struct PlausibilityTexts {
  bool noAmp = false;
  bool noChassis = false;
};
PlausibilityTexts CheckPlausibility(const Crossover& parts);

// The part editor's polarity toggle: v becomes 1 - v (-1 normal <-> 2 inverted).
inline std::int16_t TogglePolarity(std::int16_t v) { return static_cast<std::int16_t>(1 - v); }
// Plus terminal of a chassis or amplifier part.
inline std::int32_t PlusNode(const CrossoverPart& p) { return p.reversedPolarity > 0 ? p.node2 : p.node1; }
inline std::int32_t MinusNode(const CrossoverPart& p) { return p.reversedPolarity > 0 ? p.node1 : p.node2; }

}  // namespace sonvex
