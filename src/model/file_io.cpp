#include "model/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <random>
#include <sstream>
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

std::string GermanErrorText(int errorNumber) {
  switch (errorNumber) {
    case ENOENT:
      return "Datei oder Verzeichnis nicht vorhanden";
    case ENOTDIR:
      return "ein Teil des Pfades ist kein Verzeichnis";
    case EACCES:
    case EPERM:
      return "keine Berechtigung";
    case ENOSPC:
      return "kein Speicherplatz mehr auf dem Datenträger";
    case EDQUOT:
      return "das Speicherkontingent (Quota) ist erschöpft";
    case EROFS:
      return "der Datenträger ist schreibgeschützt";
    case EISDIR:
      return "ist ein Verzeichnis";
    case EEXIST:
      return "die Datei gibt es schon";
    case ENAMETOOLONG:
      return "der Name ist zu lang";
    case ELOOP:
      return "zu viele symbolische Verknüpfungen";
    case EMFILE:
    case ENFILE:
      return "zu viele offene Dateien";
    case EFBIG:
      return "die Datei wird zu groß";
    case EIO:
      return "Ein-/Ausgabefehler des Datenträgers";
    case EBUSY:
    case ETXTBSY:
      return "die Datei wird gerade benutzt";
    case EXDEV:
      return "das Ziel liegt auf einem anderen Datenträger";
    case ENXIO:
    case ENODEV:
      return "das Gerät ist nicht vorhanden";
    case ENOMEM:
      return "nicht genug Arbeitsspeicher";
    case EAGAIN:
      return "die Datei ist vorübergehend nicht verfügbar";
    case EINVAL:
      return "ungültiger Name oder ungültige Angabe";
    case ESTALE:
      return "die Netzwerkdatei ist nicht mehr gültig";
    case EINTR:
      return "der Vorgang wurde unterbrochen";
    default:
      return "Systemfehler Nr. " + std::to_string(errorNumber);
  }
}

namespace {

// What a file of the mode `mode` is, when it is no regular file.
std::string NotRegularModeText(mode_t mode) {
  if (S_ISREG(mode)) return {};
  if (S_ISDIR(mode)) return "keine Datei, sondern ein Verzeichnis";
  if (S_ISFIFO(mode)) return "keine gewöhnliche Datei, sondern eine benannte Pipe (FIFO)";
  if (S_ISSOCK(mode)) return "keine gewöhnliche Datei, sondern ein Socket";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "keine gewöhnliche Datei, sondern ein Gerät";
  return "keine gewöhnliche Datei";
}

// Closes a file descriptor when it goes out of scope.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int Get() const { return fd_; }
  // Closes now; the error number of a failed close, else 0.
  int Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0 ? 0 : errno;
  }

 private:
  int fd_;
};

}  // namespace

std::string NotRegularFileText(const fs::path& file) {
  struct stat st {};
  if (::stat(file.c_str(), &st) != 0) return {};
  return NotRegularModeText(st.st_mode);
}

std::string ReadWholeFile(const fs::path& file, std::uintmax_t maxBytes) {
  const std::string name = Utf8FromPath(file);
  auto fail = [&](std::string_view what, const std::string& why) {
    return FileError("Datei kann nicht " + std::string(what) + ": " + name + " (" + why + ")");
  };
  // Only a regular file is opened: opening a named pipe waits for a writer,
  // and opening a device can do things of its own.
  struct stat st {};
  if (::stat(file.c_str(), &st) != 0) throw fail("gelesen werden", GermanErrorText(errno));
  if (!S_ISREG(st.st_mode)) throw fail("gelesen werden", NotRegularModeText(st.st_mode));
  // Without waiting, should the path have become a pipe since; the opened
  // file itself is checked again.
  FileDescriptor fd(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (fd.Get() < 0) throw fail("geöffnet werden", GermanErrorText(errno));
  if (::fstat(fd.Get(), &st) != 0) throw fail("gelesen werden", GermanErrorText(errno));
  if (!S_ISREG(st.st_mode)) throw fail("gelesen werden", NotRegularModeText(st.st_mode));
  if (static_cast<std::uintmax_t>(st.st_size) > maxBytes) throw FileError("Datei ist zu groß: " + name);
  // Read up to one byte beyond the limit: a file that grew meanwhile is
  // still refused as too large.
  std::string bytes(static_cast<std::size_t>(st.st_size), '\0');
  std::size_t got = 0;
  while (true) {
    if (got == bytes.size()) {
      if (bytes.size() > maxBytes) throw FileError("Datei ist zu groß: " + name);
      bytes.resize(std::max<std::size_t>(2 * bytes.size(), 4096));
    }
    const ssize_t n = ::read(fd.Get(), bytes.data() + got, bytes.size() - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw fail("gelesen werden", GermanErrorText(errno));
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  if (got > maxBytes) throw FileError("Datei ist zu groß: " + name);
  bytes.resize(got);
  return bytes;
}

void WriteFileAtomically(const fs::path& targetIn, const std::function<void(std::ostream&)>& produce) {
  const std::string name = Utf8FromPath(targetIn);
  auto fail = [&](const std::string& why) {
    return FileError("Datei kann nicht geschrieben werden: " + name + " (" + why + ")");
  };
  std::error_code linkEc;
  // Replace the file a link points to, not the link.
  fs::path target = targetIn;
  if (fs::is_symlink(target, linkEc)) {
    const fs::path resolved = fs::weakly_canonical(target, linkEc);
    if (!linkEc) target = resolved;
  }
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  // The rename below would replace even a file the user has write-protected
  // (or a folder, a pipe): ask first whether the file itself, and its folder,
  // may be written.
  struct stat old {};
  const bool exists = ::stat(target.c_str(), &old) == 0;
  if (!exists && errno != ENOENT) throw fail(GermanErrorText(errno));
  if (exists && !S_ISREG(old.st_mode)) throw fail(NotRegularModeText(old.st_mode));
  if (exists && faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) throw fail(GermanErrorText(errno));
  if (faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0) {
    const int e = errno;
    if (e == ENOENT || e == ENOTDIR) throw fail("das Verzeichnis ist nicht vorhanden");
    if (e == EACCES || e == EPERM) throw fail("keine Berechtigung für das Verzeichnis");
    throw fail(GermanErrorText(e));
  }

  // The content is made first: a failing `produce` leaves nothing behind.
  std::ostringstream buffer(std::ios::binary);
  produce(buffer);
  if (!buffer) throw fail("der Inhalt konnte nicht erzeugt werden");
  const std::string content = std::move(buffer).str();

  fs::path temp = folder / target.filename();
  temp += TempNameSuffix();
  FileDescriptor fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0666));
  if (fd.Get() < 0) throw fail(GermanErrorText(errno));
  try {
    std::size_t done = 0;
    while (done < content.size()) {
      const ssize_t n = ::write(fd.Get(), content.data() + done, content.size() - done);
      if (n < 0) {
        if (errno == EINTR) continue;
        throw fail(GermanErrorText(errno));
      }
      done += static_cast<std::size_t>(n);
    }
    // Keep the permissions of the file that is replaced.
    if (exists) (void)::fchmod(fd.Get(), old.st_mode & 07777);
    // A full disk can show only now, when the data reach it.
    if (const int e = fd.Close(); e != 0) throw fail(GermanErrorText(e));
    if (::rename(temp.c_str(), target.c_str()) != 0) throw fail(GermanErrorText(errno));
  } catch (...) {
    ::unlink(temp.c_str());
    throw;
  }
}

void WriteFileAtomically(const fs::path& target, std::string_view content) {
  WriteFileAtomically(target, [content](std::ostream& out) {
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
  });
}

}  // namespace sonvex
