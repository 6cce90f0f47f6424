#pragma once
// Reading and writing whole files: every file of the program goes through
// these, so that a failed or interrupted write never leaves a half-written
// project, chassis, settings or export file behind.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <string_view>

namespace sonvex {

// An input or output error of a file operation (opening, reading, writing,
// renaming), or a file that cannot be represented. The text is German and
// names the file.
class FileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Longest file the program reads: far above any file it writes (a project
// with eight chassis with full measured curves stays well under 1 MB), low
// enough that a hostile file cannot exhaust memory.
inline constexpr std::uintmax_t kMaxReadBytes = 32u * 1024u * 1024u;

// Reads a whole file; throws FileError when it cannot be opened or read, or
// when it is longer than `maxBytes`. Anything but a regular file (a folder, a
// named pipe, a device, a socket) is refused at once, without waiting for a
// writer of a pipe; the message names the kind. Every message is German,
// names the file and gives the reason (GermanErrorText).
std::string ReadWholeFile(const std::filesystem::path& file, std::uintmax_t maxBytes = kMaxReadBytes);

// The reason of a failed file operation, in German, for a POSIX error number
// (ENOENT "Datei oder Verzeichnis nicht vorhanden", EACCES "keine
// Berechtigung", ENOSPC "kein Speicherplatz mehr auf dem Datenträger", ...):
// the system's own texts are English.
std::string GermanErrorText(int errorNumber);

// For a path that exists but is no regular file, what it is in German ("ein
// Verzeichnis", "eine benannte Pipe (FIFO)", ...); an empty text for a regular
// file or a path that cannot be examined.
std::string NotRegularFileText(const std::filesystem::path& file);

// Writes a file so that the target is either the complete new content or left
// exactly as it was: `produce` writes into a temporary file in the target's
// folder, which is then renamed over the target (keeping the permissions of
// the file it replaces; a link is followed, not replaced). When `produce`
// throws, or writing, closing or renaming fails, the temporary file is removed
// and a FileError (or the exception of `produce`) reaches the caller. A
// target that exists but may not be written by the user, or whose folder may
// not be written, or that is no regular file, is refused with a FileError
// before anything is written. The message of a FileError is
// "Datei kann nicht geschrieben werden: <file> (<reason in German>)".
void WriteFileAtomically(const std::filesystem::path& target, const std::function<void(std::ostream&)>& produce);
void WriteFileAtomically(const std::filesystem::path& target, std::string_view content);

// A path from a UTF-8 text and back (files and messages are UTF-8 throughout).
std::filesystem::path PathFromUtf8(std::string_view text);
std::string Utf8FromPath(const std::filesystem::path& path);

}  // namespace sonvex
