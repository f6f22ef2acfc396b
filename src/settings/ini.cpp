// INI parsing, formatting and safe saving.
#include "settings/ini.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unordered_set>
#include <utility>

#ifdef _WIN32
#include <process.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

#include "settings/text.h"

namespace settings {

namespace fs = std::filesystem;

namespace {

#ifdef _WIN32
constexpr std::string_view LineBreak = "\r\n";
#else
constexpr std::string_view LineBreak = "\n";
#endif

std::u16string FoldName(std::u16string_view name) {
  std::u16string folded(name);
  for (char16_t& c : folded)
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
  return folded;
}

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

fs::path PathFromUtf8(const std::string& path) { return fs::path(std::u8string(path.begin(), path.end())); }

std::string Utf8FromPath(const fs::path& path) {
  std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

#ifdef _WIN32
int ProcessId() { return _getpid(); }

void WriteWholeFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw EIniError("Cannot write \"" + Utf8FromPath(path) + "\"");
}
#else
int ProcessId() { return static_cast<int>(getpid()); }

// Written and flushed to the disk before the rename, so the new name never points
// at a half-written file even after a power loss.
void WriteWholeFile(const fs::path& path, const std::string& bytes) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) throw EIniError("Cannot create \"" + Utf8FromPath(path) + "\": " + std::strerror(errno));
  std::size_t done = 0;
  bool ok = true;
  while (ok && done < bytes.size()) {
    ssize_t written = write(fd, bytes.data() + done, bytes.size() - done);
    if (written < 0 && errno == EINTR) continue;
    ok = written > 0;
    if (ok) done += static_cast<std::size_t>(written);
  }
  int savedErrno = errno;
  ok = ok && fsync(fd) == 0;
  if (!ok) savedErrno = errno;
  ok = close(fd) == 0 && ok;
  if (!ok) throw EIniError("Cannot write \"" + Utf8FromPath(path) + "\": " + std::strerror(savedErrno));
}
#endif

// Removes the temporary file on every path but a successful rename.
struct TTemporaryFile {
  fs::path Path;
  bool Committed = false;
  ~TTemporaryFile() {
    std::error_code ignored;
    if (!Committed) fs::remove(Path, ignored);
  }
};

}  // namespace

std::optional<std::int32_t> ParseIniInteger(std::u16string_view text) {
  bool negative = false;
  if (!text.empty() && (text.front() == u'+' || text.front() == u'-')) {
    negative = text.front() == u'-';
    text.remove_prefix(1);
  }
  std::uint64_t magnitude = 0;
  if (text.starts_with(u"$") || text.starts_with(u"0x") || text.starts_with(u"0X")) {
    text.remove_prefix(text.front() == u'$' ? 1 : 2);
    if (text.empty()) return std::nullopt;
    for (char16_t c : text) {
      int digit = HexDigit(c);
      if (digit < 0) return std::nullopt;
      magnitude = magnitude * 16 + static_cast<unsigned>(digit);
      if (magnitude > 0xFFFFFFFFu) return std::nullopt;
    }
    // Hexadecimal names the bit pattern: $FF000005 is the system colour 5.
    auto bits = static_cast<std::uint32_t>(magnitude);
    if (negative) bits = 0u - bits;
    return static_cast<std::int32_t>(bits);
  }
  if (text.empty()) return std::nullopt;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return std::nullopt;
    magnitude = magnitude * 10 + static_cast<unsigned>(c - u'0');
    if (magnitude > 0x80000000u) return std::nullopt;
  }
  if (!negative && magnitude > 0x7FFFFFFFu) return std::nullopt;
  return negative ? static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(magnitude))
                  : static_cast<std::int32_t>(magnitude);
}

TIniFile TIniFile::FromBytes(std::string_view bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  std::u16string text = Utf8ToUtf16(bytes);
  std::u16string_view rest(text);

  TIniFile ini;
  std::unordered_set<std::u16string> seen;
  TSection* current = nullptr;
  while (!rest.empty()) {
    std::size_t end = rest.find_first_of(u"\r\n");
    std::u16string_view line = TrimBlanks(rest.substr(0, end));
    if (end == std::u16string_view::npos) {
      rest = {};
    } else {
      rest.remove_prefix(end + (rest[end] == u'\r' && end + 1 < rest.size() && rest[end + 1] == u'\n' ? 2 : 1));
    }
    if (line.empty() || line.front() == u';') continue;
    if (line.front() == u'[') {
      std::size_t close = line.find(u']');
      if (close == std::u16string_view::npos) continue;
      std::u16string_view name = TrimBlanks(line.substr(1, close - 1));
      if (!seen.insert(FoldName(name)).second) {
        current = nullptr;  // a repeated section: its lines are dropped
        continue;
      }
      ini.FSections.push_back({std::u16string(name), {}});
      current = &ini.FSections.back();
      continue;
    }
    std::size_t equals = line.find(u'=');
    if (!current || equals == std::u16string_view::npos) continue;
    std::u16string_view key = TrimBlanks(line.substr(0, equals));
    if (key.empty()) continue;
    current->Entries.push_back({std::u16string(key), std::u16string(TrimBlanks(line.substr(equals + 1)))});
  }
  return ini;
}

std::string TIniFile::ToBytes() const {
  std::string out;
  for (const TSection& section : FSections) {
    if (!out.empty()) out += LineBreak;
    out += '[';
    out += Utf16ToUtf8(section.Name);
    out += ']';
    out += LineBreak;
    for (const TEntry& entry : section.Entries) {
      out += Utf16ToUtf8(entry.Key);
      out += '=';
      out += Utf16ToUtf8(entry.Value);
      out += LineBreak;
    }
  }
  return out;
}

const TIniFile::TSection* TIniFile::FindSection(std::u16string_view name) const {
  for (const TSection& section : FSections)
    if (SameName(section.Name, name)) return &section;
  return nullptr;
}

TIniFile::TSection* TIniFile::FindSection(std::u16string_view name) {
  return const_cast<TSection*>(std::as_const(*this).FindSection(name));
}

std::optional<std::u16string_view> TIniFile::Find(std::u16string_view section, std::u16string_view key) const {
  const TSection* found = FindSection(section);
  if (!found) return std::nullopt;
  for (const TEntry& entry : found->Entries)
    if (SameName(entry.Key, key)) return std::u16string_view(entry.Value);
  return std::nullopt;
}

std::u16string TIniFile::ReadString(std::u16string_view section, std::u16string_view key,
                                    std::u16string_view def) const {
  return std::u16string(Find(section, key).value_or(def));
}

std::int32_t TIniFile::ReadInteger(std::u16string_view section, std::u16string_view key, std::int32_t def) const {
  auto value = Find(section, key);
  if (!value) return def;
  return ParseIniInteger(*value).value_or(def);
}

bool TIniFile::ReadBool(std::u16string_view section, std::u16string_view key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void TIniFile::WriteString(std::u16string_view section, std::u16string_view key, std::u16string_view value) {
  TSection* found = FindSection(section);
  if (!found) {
    FSections.push_back({std::u16string(section), {}});
    found = &FSections.back();
  }
  for (TEntry& entry : found->Entries) {
    if (!SameName(entry.Key, key)) continue;
    entry.Value = value;
    return;
  }
  found->Entries.push_back({std::u16string(key), std::u16string(value)});
}

void TIniFile::WriteInteger(std::u16string_view section, std::u16string_view key, std::int32_t value) {
  std::string digits = std::to_string(value);
  WriteString(section, key, std::u16string(digits.begin(), digits.end()));
}

void TIniFile::WriteBool(std::u16string_view section, std::u16string_view key, bool value) {
  WriteString(section, key, value ? u"1" : u"0");
}

TIniFile LoadIniFile(const std::string& path) {
  if (path.empty()) return {};
  fs::path fsPath = PathFromUtf8(path);
  std::error_code error;
  if (!fs::exists(fsPath, error)) {
    if (error) throw EIniError("Cannot reach \"" + path + "\": " + error.message());
    return {};
  }
  if (fs::is_directory(fsPath, error)) throw EIniError("\"" + path + "\" is a folder");
  std::ifstream in(fsPath, std::ios::binary);
  if (!in) throw EIniError("Cannot open \"" + path + "\": " + std::strerror(errno));
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw EIniError("Cannot read \"" + path + "\"");
  return TIniFile::FromBytes(bytes);
}

void SaveIniFile(const std::string& path, const TIniFile& ini) {
  if (path.empty()) throw EIniError("No INI file name");
  fs::path target = PathFromUtf8(path);
  std::error_code error;
  if (fs::is_symlink(target, error)) {
    fs::path resolved = fs::weakly_canonical(target, error);
    if (error) throw EIniError("Cannot follow \"" + path + "\": " + error.message());
    target = resolved;
  }
  fs::path temporary = target;
  temporary += PathFromUtf8("." + std::to_string(ProcessId()) + ".tmp");
  TTemporaryFile guard{temporary};
  WriteWholeFile(temporary, ini.ToBytes());
  auto oldStatus = fs::status(target, error);
  if (!error && fs::exists(oldStatus)) fs::permissions(temporary, oldStatus.permissions(), error);
  fs::rename(temporary, target, error);
  if (error) throw EIniError("Cannot replace \"" + path + "\": " + error.message());
  guard.Committed = true;
}

}  // namespace settings
