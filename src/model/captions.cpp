#include "model/captions.h"

#include <algorithm>
#include <cmath>

#include "model/short_string.h"

namespace sonvex {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

std::string ShortenFileName(std::string_view name, int limit) {
  if (static_cast<int>(Utf8Length(name)) <= limit) return std::string(name);
  const auto first = std::find_if(name.begin(), name.end(), IsSeparator);
  if (first == name.end()) return std::string(name);
  const char sep = *first;
  const std::string head(name.begin(), first + 1);
  std::string rest(first + 1, name.end());
  while (true) {
    const auto next = std::find_if(rest.begin(), rest.end(), IsSeparator);
    if (next == rest.end() || static_cast<int>(Utf8Length(head) + Utf8Length(rest)) <= limit) break;
    rest.erase(rest.begin(), next + 1);
  }
  return head + "..." + sep + rest;
}

std::string MainWindowTitle(std::string_view name, int windowWidth) {
  return "Sonvex " + std::string(kVersionText) + " - KORVANT-Edition [" +
         ShortenFileName(name, (windowWidth - 180) / 9) + "]";
}

std::string ChassisMenuCaption(int n, const Chassis& c, const Enclosure& e) {
  // A "&" inside the name is shown as itself, not taken as the access key.
  std::string name;
  for (char ch : c.name.View()) {
    name += ch;
    if (ch == '&') name += '&';
  }
  std::string caption = "Chassis &" + std::to_string(n) + ": " + name;
  const long litres = std::isfinite(e.Vb) ? std::lround(e.Vb * 1000.0) : 0;
  if (e.type == 1) caption += " in " + std::to_string(litres) + "l geschl.";
  if (e.type == 2) caption += " in " + std::to_string(litres) + "l Bassref.";
  return caption;
}

}  // namespace sonvex
