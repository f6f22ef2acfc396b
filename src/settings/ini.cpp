// INI parsing, formatting and safe saving.
#include "settings/ini.h"

#include <filesystem>
#include <unordered_set>
#include <utility>

#include "io/files.h"
#include "settings/text.h"
#include "text/ascii.h"

namespace settings {

namespace fs = std::filesystem;

namespace {

fs::path PathFromUtf8(const std::string& path) { return fs::path(std::u8string(path.begin(), path.end())); }

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
      int digit = text::HexDigitValue(c);
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
  if (text::DetectByteOrderMark(bytes) == text::TByteOrderMark::bomUtf8) bytes.remove_prefix(3);
  const std::u16string all = Utf8ToUtf16(bytes);

  TIniFile ini;
  std::unordered_set<std::u16string> seen;
  TSection* current = nullptr;
  text::ForEachLine(all, [&](std::u16string_view line) {
    line = TrimBlanks(line);
    if (line.empty() || line.front() == u';') return;
    if (line.front() == u'[') {
      std::size_t close = line.find(u']');
      if (close == std::u16string_view::npos) return;
      std::u16string_view name = TrimBlanks(line.substr(1, close - 1));
      if (!seen.insert(text::FoldedAscii(name)).second) {
        current = nullptr;  // a repeated section: its lines are dropped
        return;
      }
      ini.FSections.push_back({std::u16string(name), {}});
      current = &ini.FSections.back();
      return;
    }
    auto pair = text::SplitNameValue(line);
    if (!current || !pair) return;
    std::u16string_view key = TrimBlanks(pair->Name);
    if (key.empty()) return;
    current->Entries.push_back({std::u16string(key), std::u16string(TrimBlanks(pair->Value))});
  });
  return ini;
}

std::string TIniFile::ToBytes() const {
  std::string out;
  for (const TSection& section : FSections) {
    if (!out.empty()) out += io::NativeLineBreak;
    out += '[';
    out += Utf16ToUtf8(section.Name);
    out += ']';
    out += io::NativeLineBreak;
    for (const TEntry& entry : section.Entries) {
      out += Utf16ToUtf8(entry.Key);
      out += '=';
      out += Utf16ToUtf8(entry.Value);
      out += io::NativeLineBreak;
    }
  }
  return out;
}

const TIniFile::TSection* TIniFile::FindSection(std::u16string_view name) const {
  for (const TSection& section : FSections)
    if (text::SameAsciiName(section.Name, name)) return &section;
  return nullptr;
}

TIniFile::TSection* TIniFile::FindSection(std::u16string_view name) {
  return const_cast<TSection*>(std::as_const(*this).FindSection(name));
}

std::optional<std::u16string_view> TIniFile::Find(std::u16string_view section, std::u16string_view key) const {
  const TSection* found = FindSection(section);
  if (!found) return std::nullopt;
  for (const TEntry& entry : found->Entries)
    if (text::SameAsciiName(entry.Key, key)) return std::u16string_view(entry.Value);
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
    if (!text::SameAsciiName(entry.Key, key)) continue;
    entry.Value = value;
    return;
  }
  found->Entries.push_back({std::u16string(key), std::u16string(value)});
}

void TIniFile::WriteInteger(std::u16string_view section, std::u16string_view key, std::int32_t value) {
  WriteString(section, key, text::DecimalText(value));
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
  std::string bytes;
  try {
    bytes = io::ReadWholeFile(fsPath);
  } catch (const io::EFileReadError&) {
    throw EIniError("Cannot read \"" + path + "\"");
  } catch (const io::EFileError& e) {
    throw EIniError("Cannot open \"" + path + "\": " + e.Reason);
  }
  return TIniFile::FromBytes(bytes);
}

void SaveIniFile(const std::string& path, const TIniFile& ini) {
  if (path.empty()) throw EIniError("No INI file name");
  try {
    io::WriteFileAtomically(PathFromUtf8(path), ini.ToBytes());
  } catch (const io::EFileError& e) {
    throw EIniError(e.what());
  }
}

}  // namespace settings
