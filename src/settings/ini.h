// An INI file held in memory: sections of key=value lines, read and written as
// UTF-8. Section and key names match without regard to ASCII case.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace settings {

// An INI file that exists but cannot be read, or cannot be written; what() says why.
class EIniError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A signed decimal 32-bit integer, or hexadecimal after "$" or "0x" (any case, up
// to FFFFFFFF, taken as its 32-bit two's-complement value); a sign may lead either.
// Empty optional for anything else, and for a decimal outside the 32-bit range.
std::optional<std::int32_t> ParseIniInteger(std::u16string_view text);

class TIniFile {
 public:
  // Parses UTF-8 text; a leading byte-order mark is skipped and invalid bytes read
  // as U+FFFD. Blanks around names and values go; comments (";"), lines before the
  // first section, lines without "=" and every line of a repeated section are dropped.
  static TIniFile FromBytes(std::string_view bytes);
  // The whole file as UTF-8: each section in order, its keys in order.
  std::string ToBytes() const;

  // The value of the first key of that name, or an empty optional.
  std::optional<std::u16string_view> Find(std::u16string_view section, std::u16string_view key) const;
  // A present key gives its value, even an empty one; a missing key the default.
  std::u16string ReadString(std::u16string_view section, std::u16string_view key, std::u16string_view def) const;
  // A missing, empty or non-numeric value gives the default.
  std::int32_t ReadInteger(std::u16string_view section, std::u16string_view key, std::int32_t def) const;
  // ReadInteger is not 0; the default when not a number.
  bool ReadBool(std::u16string_view section, std::u16string_view key, bool def) const;

  // Replaces the value of the first key of that name, or appends the key (and the
  // section) when missing.
  void WriteString(std::u16string_view section, std::u16string_view key, std::u16string_view value);
  void WriteInteger(std::u16string_view section, std::u16string_view key, std::int32_t value);
  void WriteBool(std::u16string_view section, std::u16string_view key, bool value);

  struct TEntry {
    std::u16string Key;
    std::u16string Value;
    bool operator==(const TEntry&) const = default;
  };
  struct TSection {
    std::u16string Name;
    std::vector<TEntry> Entries;
    bool operator==(const TSection&) const = default;
  };
  const std::vector<TSection>& Sections() const { return FSections; }

 private:
  const TSection* FindSection(std::u16string_view name) const;
  TSection* FindSection(std::u16string_view name);
  std::vector<TSection> FSections;
};

// Reads the file at path (UTF-8). A missing file or an empty path reads as empty;
// a file that exists but cannot be read throws EIniError.
TIniFile LoadIniFile(const std::string& path);

// Writes the whole file: first into a temporary file beside it, which then replaces
// the old one by a rename, so a failed or interrupted save leaves the old file whole.
// A symbolic link is followed and its target replaced. Throws EIniError on failure.
void SaveIniFile(const std::string& path, const TIniFile& ini);

}  // namespace settings
