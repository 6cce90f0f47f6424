// Feeds arbitrary bytes to the parts library reader as one library file:
// the lists stay within their limit, every text is valid UTF-8 afterwards,
// and choosing any entry works.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "model/parts_library.h"

namespace {

bool ValidUtf8(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    std::size_t len = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 0;
    if (len == 0 || c > 0xF4 || i + len > s.size()) return false;
    for (std::size_t k = 1; k < len; ++k) {
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    }
    i += len;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  sonvex::PartsLibrary lib;
  sonvex::AddLibraryText(lib, text);
  sonvex::AddLibraryText(lib, text);  // a second file appends to the same lists
  for (const auto page :
       {sonvex::LibraryPage::Resistors, sonvex::LibraryPage::Coils, sonvex::LibraryPage::Capacitors}) {
    const auto& list = lib.Page(page);
    if (list.size() > sonvex::kPartsLibraryMaxEntries) __builtin_trap();
    for (const auto& e : list) {
      if (!ValidUtf8(e.text)) __builtin_trap();
      const auto choice = sonvex::ChooseLibraryEntry(page, e);
      if (choice.type < 1 || choice.type > 4) __builtin_trap();
      if (choice.designation.size() > e.text.size()) __builtin_trap();
    }
  }
  return 0;
}
