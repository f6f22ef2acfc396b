// Feeds the language-file reader arbitrary bytes, decoded through the system's own
// code-page conversion, and looks up every name the program asks for.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/posix/posix_system.h"
#include "settings/lang_file.h"
#include "settings/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static platform::posix::TPosixSystem system("/fuzz/");
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  try {
    settings::TLangTable table = settings::ReadLanguageText(bytes, system);
    table.Value(u"language");
    for (const settings::TBuiltInText& entry : settings::DefaultLanguage)
      settings::TrimControls(table.Value(entry.Name));
  } catch (const settings::ELanguageError&) {
    // An unknown code page is an expected answer.
  }
  return 0;
}
