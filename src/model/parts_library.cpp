#include "model/parts_library.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <limits>
#include <system_error>

#include "model/number_text.h"
#include "model/text_lines.h"

namespace sonvex {

namespace {

bool IsValidUtf8(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    std::size_t len = 0;
    std::uint32_t cp = 0;
    if (c < 0x80) {
      ++i;
      continue;
    } else if (c >= 0xC2 && c <= 0xDF) {
      len = 2;
      cp = c & 0x1Fu;
    } else if (c >= 0xE0 && c <= 0xEF) {
      len = 3;
      cp = c & 0x0Fu;
    } else if (c >= 0xF0 && c <= 0xF4) {
      len = 4;
      cp = c & 0x07u;
    } else {
      return false;
    }
    if (i + len > s.size()) return false;
    for (std::size_t k = 1; k < len; ++k) {
      const auto d = static_cast<unsigned char>(s[i + k]);
      if ((d & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (d & 0x3Fu);
    }
    if ((len == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)))
      return false;
    i += len;
  }
  return true;
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// Parts lists are often written by Windows editors in the Windows-1252 code
// page ("µF", "Ω" as single bytes). A line that is not valid UTF-8 is taken
// to be in that code page and converted, so designations show correctly and
// every text of the program stays UTF-8. Unassigned bytes become "?".
std::string Windows1252ToUtf8(std::string_view s) {
  static constexpr std::uint16_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                              0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                              0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                              0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
  std::string out;
  out.reserve(s.size() * 2);
  for (char ch : s) {
    const auto c = static_cast<unsigned char>(ch);
    std::uint32_t cp = c;
    if (c >= 0x80 && c < 0xA0) cp = kHigh[c - 0x80] != 0 ? kHigh[c - 0x80] : '?';
    AppendUtf8(out, cp);
  }
  return out;
}

bool KindIs(std::string_view kind, char upper) {
  return kind.size() == 1 && (kind[0] == upper || kind[0] == static_cast<char>(upper - 'A' + 'a'));
}

bool HasTxtExtension(const std::filesystem::path& p) {
  std::string ext = p.extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
  return ext == ".txt";
}

}  // namespace

std::vector<LibraryEntry>& PartsLibrary::Page(LibraryPage page) {
  switch (page) {
    case LibraryPage::Resistors:
      return resistors;
    case LibraryPage::Coils:
      return coils;
    case LibraryPage::Capacitors:
      break;
  }
  return capacitors;
}

const std::vector<LibraryEntry>& PartsLibrary::Page(LibraryPage page) const {
  return const_cast<PartsLibrary*>(this)->Page(page);
}

void PartsLibrary::Clear() {
  resistors.clear();
  coils.clear();
  capacitors.clear();
}

std::string_view NextLibraryField(std::string_view& line) {
  const std::size_t end = line.find_first_of("\t;");
  const std::string_view field = line.substr(0, end);
  line.remove_prefix(end == std::string_view::npos ? line.size() : end + 1);
  return field;
}

void AddLibraryLine(PartsLibrary& lib, std::string_view rawLine) {
  std::string converted;
  std::string_view line = rawLine;
  if (!IsValidUtf8(line)) {
    converted = Windows1252ToUtf8(line);
    line = converted;
  }
  const std::string_view kind = NextLibraryField(line);
  const std::string_view designation = NextLibraryField(line);
  const std::string_view valueText = NextLibraryField(line);
  const std::string_view secondText = NextLibraryField(line);

  LibraryPage page;
  if (KindIs(kind, 'R')) {
    page = LibraryPage::Resistors;
  } else if (KindIs(kind, 'L')) {
    page = LibraryPage::Coils;
  } else if (KindIs(kind, 'C')) {
    page = LibraryPage::Capacitors;
  } else {
    return;
  }
  auto& list = lib.Page(page);
  if (list.size() >= kPartsLibraryMaxEntries) return;

  LibraryEntry e;
  e.value = StrToDoubleLenient(valueText);
  if (page == LibraryPage::Coils) e.resistance = StrToDoubleLenient(secondText);
  if (e.value > 0) {
    // The numbers are shown exactly as the file writes them.
    e.text = std::string(designation) + ":" + std::string(valueText);
    switch (page) {
      case LibraryPage::Resistors:
        e.text += " Ohm";
        break;
      case LibraryPage::Coils:
        e.text += " mH, " + std::string(secondText) + " Ohm";
        break;
      case LibraryPage::Capacitors:
        e.text += " µF";
        break;
    }
  } else {
    e.text = kPartsSeparatorLine;
  }
  list.push_back(std::move(e));
}

void AddLibraryText(PartsLibrary& lib, std::string_view content) {
  ForEachTextLine(content, kPartsLibraryMaxLineLength, [&lib](std::string_view line) {
    AddLibraryLine(lib, line);
    return true;
  });
}

bool ReadPartsLibrary(const std::filesystem::path& folder, PartsLibrary& lib, std::string& error) {
  lib.Clear();
  error.clear();
  std::vector<std::filesystem::path> files;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code typeEc;
    if (it->is_regular_file(typeEc) && HasTxtExtension(it->path())) files.push_back(it->path());
  }
  // Name order, so the lists do not depend on the directory's order.
  std::sort(files.begin(), files.end());
  for (const auto& file : files) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
      error = "Die Datei \"" + file.filename().string() + "\" kann nicht gelesen werden.";
      return false;
    }
    ForEachTextLine(in, kPartsLibraryMaxLineLength, [&lib](std::string_view line) {
      AddLibraryLine(lib, line);
      return true;
    });
  }
  return true;
}

LibraryChoice ChooseLibraryEntry(LibraryPage page, const LibraryEntry& entry) {
  LibraryChoice c;
  // Separator lines (and anything else without a positive value) stand for
  // no part: the slot becomes a wire.
  if (!(entry.value > 0)) return c;
  switch (page) {
    case LibraryPage::Resistors:
      c.type = 2;
      break;
    case LibraryPage::Coils:
      c.type = 4;
      c.resistance = entry.resistance;
      break;
    case LibraryPage::Capacitors:
      c.type = 3;
      break;
  }
  c.designation = entry.text.substr(0, entry.text.find(':'));
  c.value = entry.value;
  return c;
}

}  // namespace sonvex
