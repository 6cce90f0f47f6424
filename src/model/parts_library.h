#pragma once
// The crossover parts library: resistors, coils and capacitors that can be
// ordered, read from the text files of the parts folder. Each line of a file
// holds four fields, each ended by a TAB or ";": kind ("R", "L", "C" in any
// case), designation, value, second value (coil resistance). Values are in
// the library's units: Ohm, mH (and Ohm), µF.
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace sonvex {

// At most this many entries per list; further lines of that kind are ignored.
inline constexpr std::size_t kPartsLibraryMaxEntries = 1001;
// Characters of one file line that are looked at.
inline constexpr std::size_t kPartsLibraryMaxLineLength = 4096;

// The text shown for an entry whose value is not positive: a separator
// between groups of parts.
inline constexpr std::string_view kPartsSeparatorLine = "- - - - - - - - - - - - - - - - - - - - - -";

struct LibraryEntry {
  std::string text;       // list line, e.g. "MOX 2,2:2.2 Ohm", or the separator line
  double value = 0;       // Ohm, mH or µF
  double resistance = 0;  // coils only: Ohm
  bool operator==(const LibraryEntry&) const = default;
};

// The three pages of the library.
enum class LibraryPage { Resistors, Coils, Capacitors };

struct PartsLibrary {
  std::vector<LibraryEntry> resistors, coils, capacitors;

  std::vector<LibraryEntry>& Page(LibraryPage page);
  const std::vector<LibraryEntry>& Page(LibraryPage page) const;
  void Clear();
  bool operator==(const PartsLibrary&) const = default;
};

// Splits off the next field of a library line: it ends at the first TAB or
// ";" (which is dropped) or at the end of the line.
std::string_view NextLibraryField(std::string_view& line);

// Appends the entries of one library line (lines of another kind are
// ignored).
void AddLibraryLine(PartsLibrary& lib, std::string_view line);

// Appends the entries of one file's content.
void AddLibraryText(PartsLibrary& lib, std::string_view content);

// Clears the library and reads every "*.txt" file of `folder` (in name
// order). A missing folder gives an empty library. Returns false, with a
// German message in `error`, when a file cannot be read; the entries read up
// to that point stay in the library.
bool ReadPartsLibrary(const std::filesystem::path& folder, PartsLibrary& lib, std::string& error);

// What choosing an entry gives the part editor: the part type (1 wire, 2
// resistor, 3 capacitor, 4 coil), the designation and the value(s) in the
// library's units.
struct LibraryChoice {
  int type = 1;
  std::string designation;
  double value = 0;
  double resistance = 0;
  bool operator==(const LibraryChoice&) const = default;
};

// The designation is the entry text up to the first ":". An entry whose
// value is 0 (a separator line) turns the part into a wire.
LibraryChoice ChooseLibraryEntry(LibraryPage page, const LibraryEntry& entry);

}  // namespace sonvex
