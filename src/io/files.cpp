// The operating-system side of files: delimiters, reading, and writing by way
// of a temporary and a rename (how each system opens, flushes and names).
#include "io/files.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <string>
#include <system_error>
#include <utility>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace io {

namespace fs = std::filesystem;

namespace {

#ifdef _WIN32
int ProcessId() { return _getpid(); }

int OpenNew(const fs::path& path, bool) {
  return _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
}

long WriteSome(int file, const char* data, std::size_t size) {
  constexpr std::size_t MaxPiece = 1 << 30;  // _write takes an unsigned count
  return _write(file, data, static_cast<unsigned>(size < MaxPiece ? size : MaxPiece));
}

int FlushToDisk(int file) { return _commit(file); }
int CloseFile(int file) { return _close(file); }
#else
int ProcessId() { return static_cast<int>(getpid()); }

int OpenNew(const fs::path& path, bool ownerOnly) {
  return open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, ownerOnly ? 0600 : 0666);
}

long WriteSome(int file, const char* data, std::size_t size) { return static_cast<long>(write(file, data, size)); }
int FlushToDisk(int file) { return fsync(file); }
int CloseFile(int file) { return close(file); }
#endif

std::string Reason(int error) { return std::error_code(error, std::generic_category()).message(); }

fs::path FollowLink(const fs::path& target) {
  std::error_code error;
  if (!fs::is_symlink(target, error)) return target;
  fs::path resolved = fs::weakly_canonical(target, error);
  if (error) throw EFileError("Cannot follow", target, error.message());
  return resolved;
}

}  // namespace

bool IsPathDelimiter(char c) {
#ifdef _WIN32
  return c == '\\' || c == '/';
#else
  return c == '/';
#endif
}

std::string WithTrailingDelimiter(std::string folder) {
  if (!folder.empty() && !IsPathDelimiter(folder.back())) folder.push_back('/');
  return folder;
}

std::string PathText(const fs::path& path) {
  std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

TAtomicFile::TAtomicFile(fs::path target, bool ownerOnly) : FTarget(FollowLink(target)) {
  FTemporary = FTarget;
  FTemporary += "." + std::to_string(ProcessId()) + ".tmp";
  errno = 0;
  FFile = OpenNew(FTemporary, ownerOnly);
  if (FFile < 0) throw EFileError("Cannot create", target, Reason(errno));
}

TAtomicFile::~TAtomicFile() {
  if (FCommitted) return;
  Close();
  std::error_code ignored;
  fs::remove(FTemporary, ignored);
}

void TAtomicFile::Close() {
  if (FFile < 0) return;
  CloseFile(FFile);
  FFile = -1;
}

void TAtomicFile::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    long written = WriteSome(FFile, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) throw EFileError("Cannot write", FTarget, Reason(errno));
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
}

void TAtomicFile::Commit() {
  // On the disk before the rename, so the name never points at a half-written
  // file, even after a power loss.
  int error = FlushToDisk(FFile) == 0 ? 0 : errno;
  const int file = FFile;
  FFile = -1;
  if (CloseFile(file) != 0 && error == 0) error = errno;
  if (error != 0) throw EFileError("Cannot write", FTarget, Reason(error));

  std::error_code status;
  auto old = fs::status(FTarget, status);
  if (!status && fs::exists(old)) fs::permissions(FTemporary, old.permissions(), status);
  std::error_code renamed;
  fs::rename(FTemporary, FTarget, renamed);
  // Some runtimes' rename refuses an existing target; the complete new file
  // stands beside it, so the old one can go first.
  std::error_code ignored;
  if (renamed && fs::is_regular_file(FTarget, ignored) && fs::remove(FTarget, ignored)) {
    renamed.clear();
    fs::rename(FTemporary, FTarget, renamed);
  }
  if (renamed) throw EFileError("Cannot write", FTarget, renamed.message());
  FCommitted = true;
}

std::uintmax_t InputFileSize(const fs::path& path) {
  std::error_code error;
  // The library's own message for a folder ("cannot get file size: Is a
  // directory") names neither the file nor the remedy.
  if (fs::is_directory(path, error)) throw EFileError("Cannot open", path, "it is a folder, not a file");
  const std::uintmax_t size = fs::file_size(path, error);
  if (error) throw EFileError("Cannot open", path, error.message());
  return size;
}

TInputFile::TInputFile(fs::path path) : FPath(std::move(path)) {
  errno = 0;
  FStream = std::make_unique<std::ifstream>(FPath, std::ios::binary);
  if (!*FStream) throw EFileError("Cannot open", FPath, Reason(errno));
}

TInputFile::~TInputFile() = default;

std::size_t TInputFile::ReadUpTo(char* data, std::size_t size) {
  // A failing read sets the bad bit; a stream buffer read directly would throw.
  FStream->read(data, static_cast<std::streamsize>(size));
  if (FStream->bad()) throw EFileReadError("Cannot read", FPath, Reason(errno));
  return static_cast<std::size_t>(FStream->gcount());
}

std::size_t TInputFile::Read(std::span<std::uint8_t> buffer) {
  return ReadUpTo(reinterpret_cast<char*>(buffer.data()), buffer.size());
}

std::string TInputFile::ReadRest() {
  constexpr std::size_t Piece = 1 << 16;
  std::string bytes;
  for (;;) {
    const std::size_t old = bytes.size();
    bytes.resize(old + Piece);
    const std::size_t read = ReadUpTo(bytes.data() + old, Piece);
    if (read < Piece) {
      bytes.resize(old + read);
      return bytes;
    }
  }
}

std::string ReadWholeFile(const fs::path& path) { return TInputFile(path).ReadRest(); }

void WriteFileAtomically(const fs::path& target, std::string_view bytes, bool ownerOnly) {
  TAtomicFile file(target, ownerOnly);
  file.Write(bytes);
  file.Commit();
}

}  // namespace io
