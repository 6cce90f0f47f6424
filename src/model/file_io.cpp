#include "model/file_io.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <fstream>
#include <random>
#include <system_error>

namespace sonvex {

namespace fs = std::filesystem;

namespace {

// Suffix of a temporary file name: unlikely to meet an existing file, even
// from two threads or processes writing next to each other.
std::string TempNameSuffix() {
  static std::atomic<std::uint64_t> counter{0};
  std::random_device rd;
  const std::uint64_t v =
      (static_cast<std::uint64_t>(rd()) << 32) ^ rd() ^ (counter.fetch_add(1) * 0x9E3779B97F4A7C15ull);
  static constexpr char kHex[] = "0123456789abcdef";
  std::string s = ".~tmp";
  for (int i = 0; i < 12; ++i) s.push_back(kHex[(v >> (4 * i)) & 15u]);
  return s;
}

}  // namespace

fs::path PathFromUtf8(std::string_view text) {
  return fs::path(std::u8string(reinterpret_cast<const char8_t*>(text.data()), text.size()));
}

std::string Utf8FromPath(const fs::path& path) {
  const std::u8string s = path.u8string();
  return std::string(reinterpret_cast<const char*>(s.data()), s.size());
}

std::string ReadWholeFile(const fs::path& file, std::uintmax_t maxBytes) {
  const std::string name = Utf8FromPath(file);
  std::error_code ec;
  if (!fs::is_regular_file(file, ec)) throw TFileError("Datei kann nicht gelesen werden: " + name);
  const std::uintmax_t size = fs::file_size(file, ec);
  if (ec) throw TFileError("Datei kann nicht gelesen werden: " + name);
  if (size > maxBytes) throw TFileError("Datei ist zu groß: " + name);
  std::ifstream in(file, std::ios::binary);
  if (!in) throw TFileError("Datei kann nicht geöffnet werden: " + name);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(size));
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  if (in.bad()) throw TFileError("Datei kann nicht gelesen werden: " + name);
  return bytes;
}

void WriteFileAtomically(const fs::path& targetIn, const std::function<void(std::ostream&)>& produce) {
  const std::string name = Utf8FromPath(targetIn);
  std::error_code linkEc;
  // Replace the file a link points to, not the link.
  fs::path target = targetIn;
  if (fs::is_symlink(target, linkEc)) {
    const fs::path resolved = fs::weakly_canonical(target, linkEc);
    if (!linkEc) target = resolved;
  }
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  // The rename below would replace even a file the user has write-protected:
  // ask first whether the file itself, and its folder, may be written.
  std::error_code existsEc;
  if (fs::exists(target, existsEc) && faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
    throw TFileError("Datei kann nicht geschrieben werden: " + name);
  if (faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0)
    throw TFileError("Datei kann nicht geschrieben werden: " + name);
  fs::path temp = folder / target.filename();
  temp += TempNameSuffix();
  std::ofstream out(temp, std::ios::binary | std::ios::trunc);
  if (!out) throw TFileError("Datei kann nicht geschrieben werden: " + name);
  try {
    produce(out);
    out.flush();
    if (!out) throw TFileError("Datei kann nicht geschrieben werden: " + name);
    out.close();
    if (out.fail()) throw TFileError("Datei kann nicht geschrieben werden: " + name);
    std::error_code ec;
    // Keep the permissions of the file that is replaced.
    const auto oldStatus = fs::status(target, ec);
    if (!ec && fs::is_regular_file(oldStatus)) fs::permissions(temp, oldStatus.permissions(), ec);
    fs::rename(temp, target, ec);
    if (ec) throw TFileError("Datei kann nicht geschrieben werden: " + name + " (" + ec.message() + ")");
  } catch (...) {
    if (out.is_open()) out.close();
    std::error_code ignored;
    fs::remove(temp, ignored);
    throw;
  }
}

void WriteFileAtomically(const fs::path& target, std::string_view content) {
  WriteFileAtomically(target, [content](std::ostream& out) {
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
  });
}

}  // namespace sonvex
