// Headless platform: messages go to standard error.
#include "app/headless_platform.h"

#include <iostream>

#include "settings/text.h"

namespace app {

platform::TMessageBoxResult THeadlessDialogs::MessageBox(const std::u16string& text, const std::u16string& caption,
                                                         platform::TMessageBoxKind) {
  std::cerr << settings::Utf16ToUtf8(caption) << ": " << settings::Utf16ToUtf8(text) << '\n';
  return platform::TMessageBoxResult::mrOk;
}

std::optional<std::u16string> THeadlessSystem::CodePageToUtf16(const std::string& bytes, unsigned codePage) {
  if (codePage == 65001) return settings::Utf8ToUtf16(bytes);
  if (codePage != 0 && codePage != 1252) return std::nullopt;
  // Latin-1 stands in for the Western code page; nothing headless depends on it.
  std::u16string text;
  for (char c : bytes) text.push_back(static_cast<unsigned char>(c));
  return text;
}

}  // namespace app
