#include "model/my_ini_file.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <exception>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>
#include <system_error>
#include <utility>

#include "model/interaction.h"
#include "model/number_text.h"
#include "model/short_string.h"

namespace sonvex {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kSeparators = "\t;=";

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Fold(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = FoldAscii(c);
  return out;
}

// Byte i of a scrambled line is XOR-ed with this mask.
inline unsigned char ScrambleMask(std::size_t i) {
  return static_cast<unsigned char>((static_cast<std::size_t>(kScrambleKey) * i) % 256u);
}

// A line break inside a text (section name, key or value) would split the
// line in the plain form, and CR and LF are the only bytes that end a line
// there; each one is written as a blank, so that the written text reads back
// as the same sections and keys with the same number of characters. The
// scrambled form keeps them: its lines are counted, not ended.
void PutPlain(std::ostream& out, std::string_view text) {
  std::size_t from = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!IsLineEnd(text[i])) continue;
    out.write(text.data() + from, static_cast<std::streamsize>(i - from));
    out.put(' ');
    from = i + 1;
  }
  out.write(text.data() + from, static_cast<std::streamsize>(text.size() - from));
}

class LineWriter {
 public:
  LineWriter(std::ostream& out, bool scrambled, const fs::path& file) : out_(out), scrambled_(scrambled), file_(file) {}

  // One line made of up to three pieces (key, "=<TAB>", value, or "#" and
  // the section name), so that no copy of long values is needed.
  void Line(std::string_view a, std::string_view b = {}, std::string_view c = {}, std::string_view section = {}) {
    if (!scrambled_) {
      PutPlain(out_, a);
      PutPlain(out_, b);
      PutPlain(out_, c);
      out_.write("\r\n", 2);
      return;
    }
    const std::size_t n = a.size() + b.size() + c.size();
    if (n > kMaxScrambledLineBytes) {
      throw FileError("Die Zeile des Eintrags \"" + std::string(a) + "\" im Abschnitt \"" + std::string(section) +
                      "\" ist mit " + std::to_string(n) + " Zeichen zu lang (höchstens " +
                      std::to_string(kMaxScrambledLineBytes) +
                      "). Die Datei wurde nicht geschrieben: " + Utf8FromPath(file_));
    }
    out_.put(static_cast<char>(n / 100));
    out_.put(static_cast<char>(n % 100));
    std::size_t i = 0;
    for (std::string_view piece : {a, b, c}) {
      for (char ch : piece) out_.put(static_cast<char>(static_cast<unsigned char>(ch) ^ ScrambleMask(i++)));
    }
  }

 private:
  std::ostream& out_;
  bool scrambled_;
  const fs::path& file_;
};

std::int32_t NearestInt32(long double v) {
  if (!(v < 2147483647.0L)) return std::numeric_limits<std::int32_t>::max();
  if (!(v > -2147483648.0L)) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(std::nearbyint(v));  // halves to even in the default rounding mode
}

// Parses up to `count` numbers from a value text as the array readers do and
// hands each to `store(index, value)`. Returns the number of elements read.
template <typename Store>
int ParseArray(std::string_view text, int count, Store store) {
  int n = 0;
  while (n < count) {
    const ParsedFloat f = ParseFloat(text);
    store(n, f.value);
    ++n;
    text.remove_prefix(std::min<std::size_t>(static_cast<std::size_t>(std::max(f.consumed, 0)), text.size()));
    const std::size_t next = text.find_first_of(";\t");
    text.remove_prefix(next == std::string_view::npos ? text.size() : next);
    const std::size_t rest = text.find_first_not_of(";\t");
    text.remove_prefix(rest == std::string_view::npos ? text.size() : rest);
    if (text.empty()) break;
  }
  return n;
}

// Clamps start/count to the room in a span of `size` elements.
int ArrayRoom(std::size_t size, int start, int count) {
  if (start < 0 || count <= 0 || static_cast<std::size_t>(start) >= size) return 0;
  return static_cast<int>(
      std::min<std::size_t>(static_cast<std::size_t>(count), size - static_cast<std::size_t>(start)));
}

}  // namespace

std::string IncompleteFileText(std::string_view what, const fs::path& file) {
  std::string text = "Die " + std::string(what) + " ist unvollständig: sie endet mitten in einem Eintrag.";
  if (!file.empty()) text += "\r\n" + Utf8FromPath(file);
  text += "\r\nWerte, die im fehlenden Ende stehen müssten, haben ihre Vorgabewerte erhalten.";
  return text;
}

// --- paths and whole-file input/output -------------------------------------

// --- construction and parsing --------------------------------------------

MyIniFile::MyIniFile(fs::path fileName, bool scrambled, bool writable)
    : fileName_(std::move(fileName)),
      scrambled_(scrambled),
      writable_(writable),
      uncaughtAtStart_(std::uncaught_exceptions()) {}

MyIniFile::MyIniFile(fs::path fileName, bool scrambled, bool writable, bool loadExisting, Interaction* ui)
    : MyIniFile(std::move(fileName), scrambled, writable) {
  if (!loadExisting) {
    modified_ = true;  // written on release even when nothing is written to it
    return;
  }
  std::error_code ec;
  const fs::file_status st = fs::status(fileName_, ec);
  if (st.type() == fs::file_type::not_found) return;
  if (ec)
    throw FileError("Datei kann nicht gelesen werden: " + Utf8FromPath(fileName_) + " (" + GermanErrorText(ec.value()) +
                    ")");
  Parse(ReadWholeFile(fileName_), ui);
}

MyIniFile MyIniFile::FromBytes(std::string_view bytes, bool scrambled, Interaction* ui, fs::path fileName) {
  MyIniFile ini(std::move(fileName), scrambled, false);
  ini.Parse(bytes, ui);
  return ini;
}

MyIniFile MyIniFile::InMemory(bool scrambled) { return MyIniFile({}, scrambled, true); }

MyIniFile::MyIniFile(MyIniFile&& o) noexcept
    : fileName_(std::move(o.fileName_)),
      scrambled_(o.scrambled_),
      writable_(o.writable_),
      modified_(o.modified_),
      headerError_(o.headerError_),
      truncated_(o.truncated_),
      keyCount_(o.keyCount_),
      sections_(std::move(o.sections_)),
      sectionIndex_(std::move(o.sectionIndex_)),
      cursor_(o.cursor_),
      uncaughtAtStart_(o.uncaughtAtStart_) {
  // The moved-from object must never write its (now empty) content.
  o.modified_ = false;
  o.writable_ = false;
}

MyIniFile::~MyIniFile() {
  if (std::uncaught_exceptions() > uncaughtAtStart_) return;  // unwinding: the content may be incomplete
  try {
    UpdateFile();
  } catch (...) {
    // Nothing can be reported from here; see UpdateFile.
  }
}

namespace {

// Calls `f` with each line of the file, the header line first. Plain form:
// the header is everything before the first line end (even nothing), then
// every non-empty run between line ends. Scrambled form: `text` holds the
// file with each line's bytes already unscrambled in place (the two length
// bytes untouched); a truncated last line is dropped.
template <class F>
void ForEachLine(std::string_view text, bool scrambled, F f) {
  if (scrambled) {
    std::size_t pos = 0;
    while (text.size() - pos >= 2) {
      const std::size_t n = static_cast<unsigned char>(text[pos]) * 100u + static_cast<unsigned char>(text[pos + 1]);
      pos += 2;
      if (n > text.size() - pos) break;
      f(text.substr(pos, n));
      pos += n;
    }
    return;
  }
  std::size_t end = text.find_first_of("\r\n");
  if (end == std::string_view::npos) end = text.size();
  f(text.substr(0, end));
  std::size_t pos = end;
  while (pos < text.size()) {
    while (pos < text.size() && IsLineEnd(text[pos])) ++pos;
    std::size_t stop = pos;
    while (stop < text.size() && !IsLineEnd(text[stop])) ++stop;
    if (stop > pos) f(text.substr(pos, stop - pos));
    pos = stop;
  }
}

bool IsSectionLine(std::string_view line) { return !line.empty() && line.front() == '#'; }

// Whether the file ends inside a line: in the scrambled form a length that
// runs past the end (or a single length byte left over), in the plain form a
// last line without its line end. The program ends every line it writes.
bool EndsInsideLine(std::string_view text, bool scrambled) {
  if (!scrambled) return !text.empty() && !IsLineEnd(text.back());
  std::size_t pos = 0;
  while (text.size() - pos >= 2) {
    const std::size_t n = static_cast<unsigned char>(text[pos]) * 100u + static_cast<unsigned char>(text[pos + 1]);
    pos += 2;
    if (n > text.size() - pos) return true;
    pos += n;
  }
  return pos != text.size();
}

}  // namespace

void MyIniFile::Parse(std::string_view bytes, Interaction* ui) {
  // An empty file holds nothing, like a missing one; it is not a wrong format.
  if (bytes.empty()) return;
  truncated_ = EndsInsideLine(bytes, scrambled_);
  std::string unscrambled;
  if (scrambled_) {
    unscrambled.assign(bytes);
    ForEachLine(unscrambled, true, [&](std::string_view line) {
      char* at = unscrambled.data() + (line.data() - unscrambled.data());
      for (std::size_t i = 0; i < line.size(); ++i)
        at[i] = static_cast<char>(static_cast<unsigned char>(at[i]) ^ ScrambleMask(i));
    });
    bytes = unscrambled;
  } else if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
    bytes.remove_prefix(3);  // a byte-order mark put in front by a text editor is not part of the header
  }

  // First the header and the number of lines of each section, so that each
  // section's key and value lists are made once: growing them line by line
  // costs more than the lines themselves.
  bool first = true;
  bool headerOk = false;
  std::vector<std::uint32_t> sectionLines;
  ForEachLine(bytes, scrambled_, [&](std::string_view line) {
    if (first) {
      first = false;
      headerOk = line.substr(0, kMyIniHeaderCheckLength) == kMyIniHeader.substr(0, kMyIniHeaderCheckLength);
    } else if (IsSectionLine(line)) {
      sectionLines.push_back(0);
    } else if (!sectionLines.empty()) {
      ++sectionLines.back();
    }
  });

  if (headerOk) {
    sections_.reserve(std::min(sectionLines.size(), kMaxSections));
    first = true;
    std::size_t section = 0;
    int current = -1;  // no section yet: key lines before the first header are ignored
    ForEachLine(bytes, scrambled_, [&](std::string_view line) {
      if (first) {
        first = false;
        return;
      }
      const std::size_t before = sections_.size();
      AddLine(line, current);
      if (!IsSectionLine(line)) return;
      if (sections_.size() > before) {
        sections_.back().keys.reserve(sectionLines[section]);
        sections_.back().values.reserve(sectionLines[section]);
      }
      ++section;
    });
  } else {
    sections_.clear();
    sectionIndex_.clear();
    keyCount_ = 0;
    headerError_ = true;
    writable_ = false;  // never overwrite a file that is not ours
    if (ui != nullptr) ui->ShowMessage("Falsches Dateiformat bei \r\n" + Utf8FromPath(fileName_));
  }
}

void MyIniFile::AddLine(std::string_view line, int& current) {
  if (line.empty()) return;
  if (line.front() == '#') {
    // A section beyond the table has no place; its key lines are ignored.
    if (sections_.size() >= kMaxSections) {
      current = -1;
      return;
    }
    const std::string_view rest = line.substr(1);
    Section s;
    s.name = std::string(rest.substr(0, Utf8PrefixBytes(rest, kMaxSectionNameChars, rest.size())));
    current = static_cast<int>(sections_.size());
    sectionIndex_.emplace(s.name, current);  // keeps the first section of a name
    sections_.push_back(std::move(s));
    return;
  }
  if (line.front() == '/') return;  // comment
  const std::size_t sep = line.find_first_of(kSeparators);
  if (sep == std::string_view::npos) return;  // neither section, comment nor key line
  if (current < 0) return;                    // key line outside any section
  if (keyCount_ >= kMaxIniKeys) throw FileError("Datei enthält zu viele Einträge: " + Utf8FromPath(fileName_));
  std::size_t valueStart = line.find_first_not_of(kSeparators, sep);
  if (valueStart == std::string_view::npos) valueStart = line.size();
  Section& s = sections_[static_cast<std::size_t>(current)];
  s.keys.emplace_back(line.substr(0, sep));
  s.values.emplace_back(line.substr(valueStart));
  s.exactIndexed = s.foldedIndexed = false;
  ++keyCount_;
}

// --- lookup ------------------------------------------------------------------

int MyIniFile::FindSection(std::string_view name) const {
  const auto it = sectionIndex_.find(name);
  return it == sectionIndex_.end() ? -1 : it->second;
}

int MyIniFile::FindOrAddSection(std::string_view name) {
  const int found = FindSection(name);
  if (found >= 0) return found;
  // Writes are not limited to the section table size of the reader: the
  // program never writes that many, and refusing a write would lose data.
  Section s;
  s.name = std::string(name);
  const int idx = static_cast<int>(sections_.size());
  sectionIndex_.emplace(s.name, idx);
  sections_.push_back(std::move(s));
  return idx;
}

void MyIniFile::Index(const Section& s, bool folded) const {
  bool& indexed = folded ? s.foldedIndexed : s.exactIndexed;
  if (indexed) return;
  auto& table = folded ? s.folded : s.exact;
  table.clear();
  table.reserve(s.keys.size());
  for (std::size_t i = 0; i < s.keys.size(); ++i)
    AddPosition(table, folded ? Fold(s.keys[i]) : s.keys[i], static_cast<std::uint32_t>(i));
  indexed = true;
}

// Positions are added in ascending order.
void MyIniFile::AddPosition(StringMap<KeyPositions>& table, std::string key, std::uint32_t at) {
  const auto [it, added] = table.try_emplace(std::move(key), KeyPositions{at, {}});
  if (!added) it->second.more.push_back(at);
}

// The first index holding the key at or after the search cursor, wrapping
// around the end of the section (the result of a linear search that starts
// at the cursor). Sets the cursor to the index found.
int MyIniFile::FindKey(const Section& s, std::string_view key, bool ignoreCase) const {
  if (s.keys.empty()) return -1;
  Index(s, ignoreCase);
  const auto& table = ignoreCase ? s.folded : s.exact;
  const auto it = ignoreCase ? table.find(Fold(key)) : table.find(key);
  if (it == table.end()) return -1;
  const KeyPositions& at = it->second;
  const auto start = static_cast<std::uint32_t>(cursor_ < s.keys.size() ? cursor_ : 0);
  // The first position at or after the cursor, else the first of all.
  std::uint32_t pos = at.first;
  if (pos < start) {
    const auto later = std::lower_bound(at.more.begin(), at.more.end(), start);
    if (later != at.more.end()) pos = *later;
  }
  cursor_ = pos;
  return static_cast<int>(pos);
}

const std::string* MyIniFile::FindValue(std::string_view section, std::string_view key) const {
  const int si = FindSection(section);
  if (si < 0) return nullptr;
  const Section& s = sections_[static_cast<std::size_t>(si)];
  const int ki = FindKey(s, key, false);
  return ki < 0 ? nullptr : &s.values[static_cast<std::size_t>(ki)];
}

// --- readers -----------------------------------------------------------------

std::string MyIniFile::ReadString(std::string_view section, std::string_view key, std::string_view def) const {
  const std::string* v = FindValue(section, key);
  return v != nullptr ? *v : std::string(def);
}

std::int32_t MyIniFile::ReadInteger(std::string_view section, std::string_view key, std::int32_t def) const {
  const std::string* v = FindValue(section, key);
  return v != nullptr ? StrToIntLenient(*v) : def;
}

bool MyIniFile::ReadBool(std::string_view section, std::string_view key, bool def) const {
  const std::string* v = FindValue(section, key);
  return v != nullptr ? StrToIntLenient(*v) > 0 : def;
}

double MyIniFile::ReadFloat(std::string_view section, std::string_view key, double def) const {
  const std::string* v = FindValue(section, key);
  return v != nullptr ? DoubleOrZero(StrToFloatLenient(*v)) : def;
}

int MyIniFile::ReadIntegerArray(std::string_view section, std::string_view key, std::span<std::int32_t> values,
                                int start, int count) const {
  const std::string* v = FindValue(section, key);
  if (v == nullptr) return 0;
  const int room = ArrayRoom(values.size(), start, count);
  return ParseArray(*v, room,
                    [&](int i, long double x) { values[static_cast<std::size_t>(start + i)] = NearestInt32(x); });
}

int MyIniFile::ReadFloatArray(std::string_view section, std::string_view key, std::span<double> values, int start,
                              int count) const {
  const std::string* v = FindValue(section, key);
  if (v == nullptr) return 0;
  const int room = ArrayRoom(values.size(), start, count);
  return ParseArray(*v, room,
                    [&](int i, long double x) { values[static_cast<std::size_t>(start + i)] = DoubleOrZero(x); });
}

// --- writers -----------------------------------------------------------------

// Every text written reads back as a value that is written with the same text
// (FormatNumber), so that saving what was loaded changes nothing. A value a
// file cannot keep, +-infinity or NaN, is written as 0: a file never holds
// "+inf" or "nan", and 0 is what the reader makes of a number beyond the
// double range (DoubleOrZero) and what "+inf" and "nan" in older files read as.
std::string MyIniFile::FloatText(double x) { return std::isfinite(x) ? FormatNumber(x, 10) : std::string("0"); }

std::string MyIniFile::IntegerArrayText(std::span<const std::int32_t> values, int start, int count) {
  const int n = ArrayRoom(values.size(), start, count);
  std::string text;
  for (int i = 0; i < n; ++i) {
    if (i > 0) text += ";\t";
    text += std::to_string(values[static_cast<std::size_t>(start + i)]);
  }
  return text;
}

std::string MyIniFile::FloatArrayText(std::span<const double> values, int start, int count) {
  const int n = ArrayRoom(values.size(), start, count);
  std::string text;
  for (int i = 0; i < n; ++i) {
    if (i > 0) text += ";\t";
    text += FloatText(values[static_cast<std::size_t>(start + i)]);
  }
  return text;
}

void MyIniFile::Put(std::string_view section, std::string_view key, std::string value) {
  if (!writable_) return;
  modified_ = true;
  Section& s = sections_[static_cast<std::size_t>(FindOrAddSection(section))];
  const int ki = FindKey(s, key, true);
  if (ki >= 0) {
    s.values[static_cast<std::size_t>(ki)] = std::move(value);
    return;
  }
  const auto idx = static_cast<std::uint32_t>(s.keys.size());
  s.keys.emplace_back(key);
  s.values.push_back(std::move(value));
  if (s.exactIndexed) AddPosition(s.exact, s.keys.back(), idx);
  if (s.foldedIndexed) AddPosition(s.folded, Fold(key), idx);
  ++keyCount_;
}

void MyIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  Put(section, key, std::string(value));
}

void MyIniFile::WriteInteger(std::string_view section, std::string_view key, std::int32_t value) {
  Put(section, key, std::to_string(value));
}

void MyIniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  Put(section, key, value ? "1" : "0");
}

void MyIniFile::WriteFloat(std::string_view section, std::string_view key, double value) {
  Put(section, key, FloatText(value));
}

void MyIniFile::WriteIntegerArray(std::string_view section, std::string_view key, std::span<const std::int32_t> values,
                                  int start, int count) {
  if (!writable_) return;
  Put(section, key, IntegerArrayText(values, start, count));
}

void MyIniFile::WriteFloatArray(std::string_view section, std::string_view key, std::span<const double> values,
                                int start, int count) {
  if (!writable_) return;
  Put(section, key, FloatArrayText(values, start, count));
}

bool MyIniFile::DeleteKey(std::string_view section, std::string_view key) {
  if (!writable_) return false;
  const int si = FindSection(section);
  if (si < 0) return false;
  Section& s = sections_[static_cast<std::size_t>(si)];
  const int ki = FindKey(s, key, true);
  if (ki < 0) return false;
  s.keys.erase(s.keys.begin() + ki);
  s.values.erase(s.values.begin() + ki);
  s.exactIndexed = s.foldedIndexed = false;
  modified_ = true;
  return true;
}

// --- output ------------------------------------------------------------------

void MyIniFile::WriteLines(std::ostream& out, bool scrambled) const {
  LineWriter w(out, scrambled, fileName_);
  w.Line(kMyIniHeader);
  for (const Section& s : sections_) {
    w.Line("#", s.name, {}, s.name);
    for (std::size_t i = 0; i < s.keys.size(); ++i) w.Line(s.keys[i], "=\t", s.values[i], s.name);
  }
}

std::string MyIniFile::Serialize(bool scrambled) const {
  std::ostringstream out(std::ios::binary);
  WriteLines(out, scrambled);
  return std::move(out).str();
}

void MyIniFile::UpdateFile() {
  if (!modified_ || !writable_ || fileName_.empty()) return;
  modified_ = false;
  WriteFileAtomically(fileName_, [this](std::ostream& out) { WriteLines(out, scrambled_); });
}

}  // namespace sonvex
