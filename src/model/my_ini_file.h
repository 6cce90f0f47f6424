#pragma once
// MyIniFile: the sectioned key/value text file behind every file of the
// program (projects, chassis, settings).
//
// A file is read whole into memory when the object is made, read and changed
// there by typed accessors, and written back whole by UpdateFile. Two physical
// forms exist:
//   plain      header line "## MyIniFile 1.0 by QZ 2004 ##", then "#Section"
//              lines and "key=<TAB>value" lines, CR LF written, any run of CR
//              and LF accepted as line end, "/" starts a comment line;
//   scrambled  the same lines without line ends, each one stored as two length
//              bytes (n div 100, n mod 100) followed by its n bytes, byte i
//              XOR-ed with (kScrambleKey·i) mod 256.
// Sections and keys keep their order; duplicates are kept. Section names match
// exactly; keys match exactly when reading and regardless of letter case when
// writing or deleting.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "model/file_io.h"

namespace sonvex {

class Interaction;

// Multiplier of the scrambled form: byte i of a line is XOR-ed with
// (kScrambleKey·i) mod 256. Any fixed two-digit value would do; it must never
// change, because files written with one value cannot be read with another.
// 47 is odd, so the mask runs through all 256 byte values before it repeats
// and no two positions of a line shorter than 256 bytes share a mask.
inline constexpr int kScrambleKey = 47;

inline constexpr std::string_view kMyIniHeader = "## MyIniFile 1.0 by QZ 2004 ##";
inline constexpr std::size_t kMyIniHeaderCheckLength = 16;  // "## MyIniFile 1.0"
inline constexpr std::size_t kMaxSections = 1000;
inline constexpr std::size_t kMaxSectionNameChars = 99;
// n div 100 of the length bytes must fit a byte.
inline constexpr std::size_t kMaxScrambledLineBytes = 25599;

// Bounds that keep a hostile or broken file from exhausting memory. The
// largest file the program writes (a project with eight chassis with full
// measured curves) has well under 1 MB and about 10 000 keys.
inline constexpr std::uintmax_t kMaxIniFileBytes = kMaxReadBytes;
inline constexpr std::size_t kMaxIniKeys = 500000;

// The warning for a file that ends inside a line (MyIniFile::Truncated):
// `what` names the kind of file ("Projektdatei", "Chassisdatei"). The text
// names the file (when the object has a name) and says that the values of the
// missing end keep their defaults.
std::string IncompleteFileText(std::string_view what, const std::filesystem::path& file);

class MyIniFile {
 public:
  // Remembers the file and the two flags. With `loadExisting`, an existing file
  // is read whole; a file with a wrong header shows "Falsches Dateiformat bei "
  // CR LF + file name through `ui` (when given), is read no further and makes
  // the object not writable, so that it is never overwritten. A missing or
  // empty file gives an empty object. Without `loadExisting` the object starts
  // empty and modified, so that releasing it writes the file.
  // Throws FileError when an existing file cannot be read or is too large.
  MyIniFile(std::filesystem::path fileName, bool scrambled, bool writable, bool loadExisting,
            Interaction* ui = nullptr);
  // An object holding the content of `bytes` (in the given form), not tied to
  // a file and not writable. Used by the command-line tools and the fuzzers.
  static MyIniFile FromBytes(std::string_view bytes, bool scrambled, Interaction* ui = nullptr,
                             std::filesystem::path fileName = {});

  // An empty, writable object not tied to a file: UpdateFile and release
  // write nothing; Serialize gives the content. Used to convert between the
  // two forms and by the fuzzers.
  static MyIniFile InMemory(bool scrambled);

  MyIniFile(const MyIniFile&) = delete;
  MyIniFile& operator=(const MyIniFile&) = delete;
  MyIniFile(MyIniFile&& other) noexcept;  // the moved-from object writes nothing
  MyIniFile& operator=(MyIniFile&&) = delete;
  // Releasing the object writes the file as UpdateFile does when it is still
  // modified. Errors cannot leave a destructor, so callers that must know
  // whether the file was written call UpdateFile themselves first. An object
  // released while an exception unwinds the stack writes nothing: its
  // content may be incomplete and must not replace the file.
  ~MyIniFile();

  // Writes the whole file (when modified and writable) through a temporary
  // file and a rename. Throws FileError on failure; the previous file is then
  // unchanged. Clears the modified flag in either case, so that a failed write
  // is not silently retried on release.
  void UpdateFile();

  // The file content in the given form. Throws FileError when a line is too
  // long for the scrambled form.
  std::string Serialize(bool scrambled) const;
  std::string Serialize() const { return Serialize(scrambled_); }

  // Readers: the stored value, or `def` when the section or key is missing.
  // A number beyond the double range reads as 0 (DoubleOrZero), one beyond
  // the 32-bit range as the nearest 32-bit integer.
  std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;
  std::int32_t ReadInteger(std::string_view section, std::string_view key, std::int32_t def) const;
  bool ReadBool(std::string_view section, std::string_view key, bool def) const;
  double ReadFloat(std::string_view section, std::string_view key, double def) const;
  // Fill `values` from index `start` with at most `count` elements (never
  // beyond the end of `values`); return how many were read. A missing section
  // or key reads 0 elements and leaves `values` untouched.
  int ReadIntegerArray(std::string_view section, std::string_view key, std::span<std::int32_t> values, int start,
                       int count) const;
  int ReadFloatArray(std::string_view section, std::string_view key, std::span<double> values, int start,
                     int count) const;

  // Writers: nothing happens unless the object is writable.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, std::int32_t value);
  void WriteBool(std::string_view section, std::string_view key, bool value);
  void WriteFloat(std::string_view section, std::string_view key, double value);
  void WriteIntegerArray(std::string_view section, std::string_view key, std::span<const std::int32_t> values,
                         int start, int count);
  void WriteFloatArray(std::string_view section, std::string_view key, std::span<const double> values, int start,
                       int count);

  // Removes the key (found regardless of letter case) from the section; true
  // when the object is writable and the key existed.
  bool DeleteKey(std::string_view section, std::string_view key);

  bool SectionExists(std::string_view section) const { return FindSection(section) >= 0; }
  // Keys read from the file or added by writes; 0 for a missing or empty file
  // and after a wrong header.
  std::size_t KeyCount() const { return keyCount_; }
  std::size_t SectionCount() const { return sections_.size(); }
  bool HeaderError() const { return headerError_; }
  // The file ends inside a line: in the scrambled form the length of its last
  // line runs past the end of the file (or a single length byte is left), in
  // the plain form its last line has no line end. The lines before are read;
  // a cut scrambled line is dropped, a cut plain line read as far as it goes.
  // A file cut exactly between two lines cannot be told from a complete one.
  // The readers of projects and chassis warn of it (IncompleteFileText).
  bool Truncated() const { return truncated_; }
  bool Modified() const { return modified_; }
  bool Writable() const { return writable_; }
  bool Scrambled() const { return scrambled_; }
  const std::filesystem::path& FileName() const { return fileName_; }

  // Text forms of the value encodings.
  // Decimal comma, at most 10 characters; reads back (ReadFloat) as a value
  // with the same text. +-infinity and NaN, which a file cannot keep, give "0".
  static std::string FloatText(double x);
  static std::string IntegerArrayText(std::span<const std::int32_t> values, int start, int count);
  static std::string FloatArrayText(std::span<const double> values, int start, int count);

 private:
  // Maps keyed by text that are searched with a string_view, without making
  // a string of it first.
  struct StringHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const noexcept { return std::hash<std::string_view>{}(s); }
  };
  template <typename V>
  using StringMap = std::unordered_map<std::string, V, StringHash, std::equal_to<>>;
  // Where a key occurs in a section, in ascending order: most keys occur
  // once and need no list of their own.
  struct KeyPositions {
    std::uint32_t first = 0;
    std::vector<std::uint32_t> more;
  };

  struct Section {
    std::string name;
    std::vector<std::string> keys;
    std::vector<std::string> values;
    // Lazily built lookup tables: key (exact, and folded to lower case) to
    // the ascending indices where it occurs. They make a lookup cost the same
    // whatever the size of the section, with the same result as a linear
    // search from the cursor. Reading needs only the exact table, writing
    // only the folded one; each is built when first needed.
    mutable StringMap<KeyPositions> exact;
    mutable StringMap<KeyPositions> folded;
    mutable bool exactIndexed = false;
    mutable bool foldedIndexed = false;
  };

  MyIniFile(std::filesystem::path fileName, bool scrambled, bool writable);
  void Parse(std::string_view bytes, Interaction* ui);
  void AddLine(std::string_view line, int& current);
  int FindSection(std::string_view name) const;
  int FindOrAddSection(std::string_view name);
  int FindKey(const Section& s, std::string_view key, bool ignoreCase) const;
  const std::string* FindValue(std::string_view section, std::string_view key) const;
  void Put(std::string_view section, std::string_view key, std::string value);
  void Index(const Section& s, bool folded) const;
  static void AddPosition(StringMap<KeyPositions>& table, std::string key, std::uint32_t at);
  void WriteLines(std::ostream& out, bool scrambled) const;

  std::filesystem::path fileName_;
  bool scrambled_ = false;
  bool writable_ = false;
  bool modified_ = false;
  bool headerError_ = false;
  bool truncated_ = false;
  std::size_t keyCount_ = 0;
  std::vector<Section> sections_;
  StringMap<int> sectionIndex_;  // name -> first section of that name
  // Index of the key found last, shared by all sections: reads in file order
  // find each key at once.
  mutable std::size_t cursor_ = 0;
  int uncaughtAtStart_ = 0;  // exceptions in flight when the object was made
};

}  // namespace sonvex
