// The process-wide language state: lookups, loading a language, the language list.
#include "settings/lang.h"

#include <filesystem>
#include <optional>
#include <system_error>

#include "settings/lang_file.h"
#include "io/files.h"
#include "settings/text.h"
#include "text/ascii.h"

namespace settings {

namespace {

struct TLanguageState {
  std::optional<TLangTable> CurrentLanguage;
  std::u16string CurrentLanguageFile;
};

TLanguageState& State() {
  static TLanguageState state;
  return state;
}

std::u16string_view EnglishText(std::u16string_view name) {
  for (const TBuiltInText& entry : DefaultLanguage)
    if (text::SameAsciiName(entry.Name, name)) return entry.Text;
  return {};
}

bool HasLanguageExtension(const std::u16string& fileName) {
  constexpr std::u16string_view Extension = u".lng";
  return fileName.size() > Extension.size() &&
         text::SameAsciiName(std::u16string_view(fileName).substr(fileName.size() - Extension.size()), Extension);
}

std::filesystem::path PathFromUtf8(const std::string& path) {
  return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

// A translation trimmed of blanks and control characters, else the English text.
std::u16string TextIn(const TLangTable* table, std::u16string_view name) {
  if (table) {
    std::u16string_view translated = TrimControls(table->Value(name));
    if (!translated.empty()) return std::u16string(translated);
  }
  return std::u16string(EnglishText(name));
}

}  // namespace

void InitLanguages() { State() = TLanguageState{}; }

void FreeLanguages() { State() = TLanguageState{}; }

std::u16string GetLangText(std::u16string_view name) {
  const TLanguageState& state = State();
  return TextIn(state.CurrentLanguage ? &*state.CurrentLanguage : nullptr, name);
}

std::u16string GetLangTextById(int id) {
  return GetLangText(text::DecimalText(id));
}

std::u16string EnglishTextById(int id) { return std::u16string(EnglishText(text::DecimalText(id))); }

std::u16string GetLanguageFile() { return State().CurrentLanguageFile; }

std::string GetPluginFolder(platform::ISystem& system) { return io::WithTrailingDelimiter(system.ModuleFolder()); }

bool LoadLanguage(platform::TPlatform& platform, const std::u16string& fileName, bool force) {
  TLanguageState& state = State();
  bool replace = force || (!fileName.empty() && !state.CurrentLanguage);
  if (!replace) return true;
  state.CurrentLanguage.reset();
  if (fileName.empty()) {
    state.CurrentLanguageFile.clear();
    return true;
  }
  try {
    TLangTable table = ReadLanguageFile(GetPluginFolder(platform.System) + Utf16ToUtf8(fileName), platform.System);
    if (table.Value(u"language").empty()) throw ELanguageError("language not found.");
    state.CurrentLanguage = std::move(table);
    state.CurrentLanguageFile = fileName;
    return true;
  } catch (const std::exception& error) {
    // Documented fallback: report, then carry on in English.
    state.CurrentLanguage.reset();
    state.CurrentLanguageFile.clear();
    platform.Dialogs.MessageBox(u"Cann't load language from " + fileName + u": " + Utf8ToUtf16(error.what()),
                                u"Bramlet", platform::TMessageBoxKind::mbWarning);
    return false;
  }
}

void FillLanguageList(platform::TPlatform& platform, TLanguageList& list) {
  list.clear();
  list.push_back({std::u16string(EnglishText(u"Language")), {}});
  std::string folder = GetPluginFolder(platform.System);
  std::error_code error;
  std::filesystem::directory_iterator it(PathFromUtf8(folder), error);
  for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
    std::u8string name8 = it->path().filename().u8string();
    std::u16string fileName = Utf8ToUtf16(std::string(name8.begin(), name8.end()));
    // Dot files are the hidden files here.
    if (fileName.empty() || fileName.front() == u'.' || !HasLanguageExtension(fileName)) continue;
    std::error_code statError;
    if (!it->is_regular_file(statError)) continue;
    try {
      TLangTable table = ReadLanguageFile(folder + std::string(name8.begin(), name8.end()), platform.System);
      std::u16string_view language = table.Value(u"language");
      if (!language.empty()) list.push_back({std::u16string(language), fileName});
    } catch (const std::exception&) {
      // An unreadable file is simply not offered.
    }
  }
}

TLanguageTexts::TLanguageTexts(platform::ISystem& system, const TLanguageList& list) {
  const std::string folder = GetPluginFolder(system);
  for (const TLanguageEntry& entry : list) {
    if (entry.FileName.empty()) continue;
    try {
      FTables.push_back(ReadLanguageFile(folder + Utf16ToUtf8(entry.FileName), system));
    } catch (const std::exception&) {
      // Gone since the list was made: it has no captions to make room for.
    }
  }
}

std::vector<std::u16string> TLanguageTexts::All(std::u16string_view name) const {
  std::vector<std::u16string> texts{TextIn(nullptr, name)};
  for (const TLangTable& table : FTables) texts.push_back(TextIn(&table, name));
  return texts;
}

}  // namespace settings
