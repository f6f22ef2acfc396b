// Feeds the INI reader arbitrary bytes: every key is read as each type, and what
// the writer makes of the file must read back as the same sections and keys.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "settings/ini.h"
#include "settings/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  settings::TIniFile ini = settings::TIniFile::FromBytes(bytes);
  // Each lookup walks the sections, as the program's few dozen lookups may; reading
  // only the first keys keeps a file of many sections from timing out.
  int reads = 0;
  for (const auto& section : ini.Sections()) {
    for (const auto& entry : section.Entries) {
      if (++reads > 64) break;
      ini.ReadInteger(section.Name, entry.Key, 0);
      ini.ReadBool(section.Name, entry.Key, true);
      ini.ReadString(section.Name, entry.Key, u"");
    }
  }
  settings::TIniFile again = settings::TIniFile::FromBytes(ini.ToBytes());
  if (!(again.Sections() == ini.Sections())) __builtin_trap();
  settings::ParseIniInteger(settings::Utf8ToUtf16(bytes.substr(0, 64)));
  return 0;
}
