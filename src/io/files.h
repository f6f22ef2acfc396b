// The file-system facts that differ between operating systems, kept here so that
// the layers above hold no system switches: line breaks, path delimiters, and
// writing a file so that it is either wholly old or wholly new (the content goes
// to a temporary file beside the target, reaches the disk, and replaces the
// target by a rename), for the settings store, the INI-location flag and the
// XML export; the size of an input file, in words a user can act on; and the
// one way every layer reads a file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace io {

// How this system's own text files end their lines.
#ifdef _WIN32
inline constexpr std::string_view NativeLineBreak = "\r\n";
#else
inline constexpr std::string_view NativeLineBreak = "\n";
#endif

// "/" everywhere, and "\\" too on Windows.
bool IsPathDelimiter(char c);

// The folder with this system's path delimiter appended unless it ends in one
// already ("/" everywhere, "\\" too on Windows). An empty folder stays empty.
std::string WithTrailingDelimiter(std::string folder);

// The path as UTF-8 text, for messages.
std::string PathText(const std::filesystem::path& path);

// A file that could not be opened, created, written or put in place: what()
// is "<action> <path>: <reason>", Reason the reason alone, for a caller that
// names the file in its own words.
class EFileError : public std::runtime_error {
 public:
  EFileError(const std::string& action, const std::filesystem::path& path, const std::string& reason)
      : std::runtime_error(action + " " + PathText(path) + ": " + reason), Reason(reason) {}
  std::string Reason;
};

// A file that was opened but could not be read to its end: what() is
// "Cannot read <path>: <reason>".
class EFileReadError : public EFileError {
 public:
  using EFileError::EFileError;
};

// A new version of target, written piece by piece. Until Commit succeeds the
// target is untouched, and a writer destroyed without Commit removes its
// temporary file. A symbolic link at target is followed and its target replaced.
class TAtomicFile {
 public:
  // Creates the temporary file (target's name plus ".<process id>.tmp"). A new
  // file gets read and write access for the owner alone when ownerOnly is set,
  // else what the umask leaves; a replaced file keeps its permissions. Throws
  // EFileError "Cannot create <path>: <reason>".
  explicit TAtomicFile(std::filesystem::path target, bool ownerOnly = false);
  ~TAtomicFile();
  TAtomicFile(const TAtomicFile&) = delete;
  TAtomicFile& operator=(const TAtomicFile&) = delete;

  // Throws EFileError "Cannot write <path>: <reason>".
  void Write(std::string_view bytes);
  // Flushes the content to the disk and renames the temporary over the target.
  // Throws EFileError "Cannot write <path>: <reason>"; the target is then untouched.
  void Commit();

 private:
  void Close();

  std::filesystem::path FTarget;
  std::filesystem::path FTemporary;
  int FFile = -1;
  bool FCommitted = false;
};

// The size of the file at path, asked before it is read whole. Throws
// EFileError "Cannot open <path>: <reason>" when there is no file there, and
// says so when path names a folder.
std::uintmax_t InputFileSize(const std::filesystem::path& path);

// A file open for reading from its start. Opened before the caller sets aside
// memory for its content, so a file that cannot be opened costs none.
class TInputFile {
 public:
  // Throws EFileError "Cannot open <path>: <reason>".
  explicit TInputFile(std::filesystem::path path);
  ~TInputFile();
  TInputFile(const TInputFile&) = delete;
  TInputFile& operator=(const TInputFile&) = delete;

  // Reads on until buffer is full or the file ends, and returns how many
  // octets it read. Throws EFileReadError.
  std::size_t Read(std::span<std::uint8_t> buffer);
  // The rest of the file, however long it turns out to be (a size asked
  // beforehand may be wrong, as for files under /proc). Throws EFileReadError.
  std::string ReadRest();

 private:
  std::size_t ReadUpTo(char* data, std::size_t size);

  std::filesystem::path FPath;
  std::unique_ptr<std::ifstream> FStream;  // a pointer keeps <fstream> out of this header
};

// The whole content of the file at path; throws as TInputFile.
std::string ReadWholeFile(const std::filesystem::path& path);

// The whole content at once, as TAtomicFile writes it.
void WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes, bool ownerOnly = false);

}  // namespace io
