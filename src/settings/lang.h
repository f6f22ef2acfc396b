// User-interface texts looked up by id: a built-in English table and at most one
// loaded language file ("*.lng" beside the module). The state is one per process
// and shared by every viewer window.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "settings/lang_file.h"

namespace settings {

// One available language for the language list.
struct TLanguageEntry {
  std::u16string Name;      // display name, the file's "language" value
  std::u16string FileName;  // without folder; empty for the built-in English
  bool operator==(const TLanguageEntry&) const = default;
};
using TLanguageList = std::vector<TLanguageEntry>;

// Library start-up and unload. InitLanguages starts in English; FreeLanguages drops
// the loaded language and its file name (tests call it to start over). The English
// table is constant data, so lookups work before InitLanguages too.
void InitLanguages();
void FreeLanguages();

// The text for a name (a text id in decimal, or "Language"): the loaded language's
// value trimmed of blanks and control characters, else the English text as it
// stands, else empty. Names are matched without regard to ASCII case.
std::u16string GetLangText(std::u16string_view name);

// GetLangText of the id in decimal without leading zeros; empty for unknown ids.
std::u16string GetLangTextById(int id);

// The built-in English text of id, whatever language is loaded; empty for
// unknown ids. bramlet-dump words its output with these.
std::u16string EnglishTextById(int id);

// The file name the loaded language came from; empty for English.
std::u16string GetLanguageFile();

// The module's folder with a trailing delimiter, UTF-8; language files live there.
std::string GetPluginFolder(platform::ISystem& system);

// Makes fileName (in the module folder) the current language. Without force it acts
// only when fileName is not empty and no language is loaded yet; with force an
// empty name goes back to English. A file that cannot be loaded is reported in a
// warning box "Cann't load language from <name>: <reason>" captioned "Bramlet";
// English then stays in effect and the result is false.
bool LoadLanguage(platform::TPlatform& platform, const std::u16string& fileName, bool force);

// Every language of a list read at once, to look a text up in all of them (a
// dialog sizes its controls for the longest caption). A file that cannot be
// read adds nothing.
class TLanguageTexts {
 public:
  TLanguageTexts(platform::ISystem& system, const TLanguageList& list);
  // The text for name in each language read, as GetLangText gives it with that
  // language loaded; English first.
  std::vector<std::u16string> All(std::u16string_view name) const;

 private:
  std::vector<TLangTable> FTables;
};

// Clears list and fills it with English (file name empty) followed by every
// readable "*.lng" file in the module folder that names its language, in the order
// the file system lists them. Unreadable files are skipped silently.
void FillLanguageList(platform::TPlatform& platform, TLanguageList& list);

}  // namespace settings
