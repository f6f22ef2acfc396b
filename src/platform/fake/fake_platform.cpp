// In-memory platform services for tests.
#include "platform/fake/fake_platform.h"

#include <algorithm>

#include "text/utf.h"

namespace platform::fake {

bool TFakeClipboard::SetText(const std::u16string& text) {
  ++SetTextCalls;
  if (FailingOpens > 0) {
    --FailingOpens;
    return false;
  }
  Text = text;
  return true;
}

TMessageBoxResult TFakeDialogs::MessageBox(const std::u16string& text, const std::u16string& caption,
                                           TMessageBoxKind kind) {
  Messages.push_back({text, caption, kind});
  return NextAnswer;
}

std::optional<std::u16string> TFakeDialogs::SaveFileDialog(const std::u16string& filter,
                                                           const std::u16string& proposedName, int* filterIndex) {
  LastFilter = filter;
  LastProposedName = proposedName;
  if (filterIndex != nullptr && SaveFileAnswer) *filterIndex = SaveFilterAnswer;
  return SaveFileAnswer;
}

std::optional<TColor> TFakeDialogs::ChooseColor(TColor, std::span<const TColor> customColors, bool fullyOpen) {
  LastCustomColors.assign(customColors.begin(), customColors.end());
  LastFullyOpen = fullyOpen;
  return ColorAnswer;
}

TColor TFakeDisplay::GetSysColor(int index) {
  auto it = SysColors.find(index);
  return it == SysColors.end() ? 0 : it->second;
}

std::vector<std::u16string> TFakeDisplay::FontFamilies(bool fixedPitchOnly) {
  return fixedPitchOnly ? FixedFonts : Fonts;
}

int FakeTextWidth(const std::u16string& text, int fontSize) { return static_cast<int>(text.size()) * 7 * fontSize / 10; }

int FakeTextHeight(int fontSize) { return 16 * fontSize / 10; }

int TFakeDisplay::TextWidth(const std::u16string& text, const std::u16string&, int fontSize) {
  return FakeTextWidth(text, fontSize);
}

int TFakeDisplay::TextHeight(const std::u16string&, int fontSize) { return FakeTextHeight(fontSize); }

std::u16string TFakeDisplay::UsedFontFamily(const std::u16string& fontName) {
  return std::find(Fonts.begin(), Fonts.end(), fontName) != Fonts.end() ? fontName : Substitute;
}

bool TFakeSystem::CanWriteFolder(const std::string& folder) {
  return std::find(ReadOnlyFolders.begin(), ReadOnlyFolders.end(), folder) == ReadOnlyFolders.end();
}

void TFakeSystem::WriteIniFolderFlag(bool hostFolder) {
  IniFolderFlag = hostFolder;
  ++FlagWrites;
}

namespace {

std::u16string Latin1(const std::string& bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  for (char c : bytes) out.push_back(static_cast<unsigned char>(c));
  return out;
}

// Windows-1251: 0xC0..0xFF are U+0410..U+044F; 0xA8 Ё, 0xB8 ё; the rest as Latin-1.
std::u16string Cyrillic1251(const std::string& bytes) {
  std::u16string out;
  for (char octet : bytes) {
    const auto c = static_cast<unsigned char>(octet);
    if (c >= 0xC0)
      out.push_back(static_cast<char16_t>(0x0410 + (c - 0xC0)));
    else if (c == 0xA8)
      out.push_back(u'\u0401');
    else if (c == 0xB8)
      out.push_back(u'\u0451');
    else
      out.push_back(c);
  }
  return out;
}

}  // namespace

std::optional<std::u16string> TFakeSystem::CodePageToUtf16(const std::string& bytes, unsigned codePage) {
  switch (codePage) {
    case 0:
    case 1252:
    case 28591:
      return Latin1(bytes);
    case 1251:
      return Cyrillic1251(bytes);
    case 65001:
      return text::Utf8ToUtf16(bytes);
    default:
      return std::nullopt;
  }
}

}  // namespace platform::fake
