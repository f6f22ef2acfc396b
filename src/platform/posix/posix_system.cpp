// POSIX system services: module folder, flag file, iconv code pages, locale.
#include "platform/posix/posix_system.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <iconv.h>
#include <langinfo.h>
#include <link.h>
#include <locale.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sstream>
#include <string>

#include "io/files.h"
#include "text/utf.h"

namespace platform::posix {

namespace {

struct TCodePageName {
  unsigned CodePage;
  const char* Name;
};

// Windows code pages that iconv knows by a name of its own; every other number is
// tried as "CPnnnn" (437, 850, 866, 874, 1250..1258 and more).
constexpr TCodePageName NamedCodePages[] = {
    {936, "GBK"},          {950, "BIG5"},          {1200, "UTF-16LE"},       {1201, "UTF-16BE"},
    {1361, "JOHAB"},       {10000, "MACINTOSH"},   {10007, "MAC-CYRILLIC"},  {10017, "MAC-UK"},
    {10029, "MAC-CENTRALEUROPE"},                  {10079, "MAC-IS"},        {12000, "UTF-32LE"},
    {12001, "UTF-32BE"},   {20127, "ASCII"},       {20866, "KOI8-R"},        {20932, "EUC-JP"},
    {20936, "GB2312"},     {21866, "KOI8-U"},      {28603, "ISO-8859-13"},   {28605, "ISO-8859-15"},
    {38598, "ISO-8859-8"}, {50220, "ISO-2022-JP"}, {50225, "ISO-2022-KR"},   {50227, "ISO-2022-CN"},
    {51932, "EUC-JP"},     {51936, "EUC-CN"},      {51949, "EUC-KR"},        {54936, "GB18030"},
    {65000, "UTF-7"},      {65001, "UTF-8"},
};

// EBCDIC code pages: Windows numbers some by their IBM number, others as 20000 plus it.
bool IsIbmNumbered(unsigned codePage) {
  switch (codePage) {
    case 37: case 500: case 870: case 875: case 1026: case 1047:
    case 1140: case 1141: case 1142: case 1143: case 1144: case 1145: case 1146: case 1147:
    case 1148: case 1149:
    case 20273: case 20277: case 20278: case 20280: case 20284: case 20285: case 20290:
    case 20297: case 20420: case 20423: case 20424: case 20833: case 20838: case 20871:
    case 20880: case 20905: case 20924:
      return true;
  }
  return false;
}

constexpr const char* FlagFolderName = "Bramlet";
constexpr const char* FlagFileName = "INIFolder";
// The user's settings folder, named as the bramlet host names its own.
constexpr const char* UserSettingsFolderName = "bramlet";

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home && *home) return home;
  if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir) return entry->pw_dir;
  return {};
}

std::string FolderOf(const std::string& file) {
  std::size_t slash = file.rfind('/');
  return slash == std::string::npos ? std::string() : file.substr(0, slash + 1);
}

std::string RealPath(const char* path) {
  char resolved[PATH_MAX];
  return realpath(path, resolved) ? std::string(resolved) : std::string(path);
}

// Converts with an open descriptor, one U+FFFD for each byte it cannot decode.
std::u16string Convert(iconv_t converter, const std::string& bytes) {
  std::string utf16;
  utf16.reserve(bytes.size() * 2);
  char* in = const_cast<char*>(bytes.data());
  std::size_t inLeft = bytes.size();
  char buffer[4096];
  for (;;) {
    char* out = buffer;
    std::size_t outLeft = sizeof buffer;
    // Once the input is used up, a call without input ends any shift state.
    bool finishing = inLeft == 0;
    std::size_t result = finishing ? iconv(converter, nullptr, nullptr, &out, &outLeft)
                                   : iconv(converter, &in, &inLeft, &out, &outLeft);
    int error = errno;
    utf16.append(buffer, static_cast<std::size_t>(out - buffer));
    bool failed = result == static_cast<std::size_t>(-1);
    if (failed && error == E2BIG) continue;
    if (finishing) break;
    if (!failed) continue;
    utf16.append("\xFD\xFF", 2);
    if (error == EILSEQ) {
      ++in;
      --inLeft;
    } else {
      inLeft = 0;  // a sequence cut off by the end of the input
    }
  }
  std::u16string text;
  text.reserve(utf16.size() / 2);
  for (std::size_t i = 0; i + 1 < utf16.size(); i += 2)
    text.push_back(static_cast<char16_t>(static_cast<unsigned char>(utf16[i]) |
                                         static_cast<unsigned char>(utf16[i + 1]) << 8));
  return text;
}

}  // namespace

std::string IconvNameForCodePage(unsigned codePage) {
  if (codePage == 0) return {};
  for (const TCodePageName& entry : NamedCodePages)
    if (entry.CodePage == codePage) return entry.Name;
  if (codePage >= 28591 && codePage <= 28599) return "ISO-8859-" + std::to_string(codePage - 28590);
  if (IsIbmNumbered(codePage)) {
    std::string number = std::to_string(codePage > 20000 ? codePage - 20000 : codePage);
    return "IBM" + std::string(number.size() < 3 ? 3 - number.size() : 0, '0') + number;  // IBM037
  }
  return "CP" + std::to_string(codePage);
}

std::string ThisModuleFolder() {
  Dl_info info{};
  link_map* map = nullptr;
  // The address of this function lies in the module that holds it.
  if (dladdr1(reinterpret_cast<void*>(&ThisModuleFolder), &info, reinterpret_cast<void**>(&map),
              RTLD_DL_LINKMAP) != 0 &&
      map && map->l_name && map->l_name[0] != '\0')
    return FolderOf(RealPath(map->l_name));
  // The main program has no name of its own in the link map.
  char path[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return {};
  return FolderOf(std::string(path, static_cast<std::size_t>(length)));
}

std::string ConfigHome() {
  const char* configHome = std::getenv("XDG_CONFIG_HOME");
  if (configHome && configHome[0] == '/') return configHome;
  std::string home = HomeFolder();
  return home.empty() ? std::string() : home + "/.config";
}

std::string IniFolderFlagPath() {
  std::string folder = ConfigHome();
  if (folder.empty()) return {};
  return folder + "/" + FlagFolderName + "/" + FlagFileName;
}

TPosixSystem::TPosixSystem(std::string moduleFolder) : FModuleFolder(std::move(moduleFolder)) {
  if (FModuleFolder.empty()) FModuleFolder = ThisModuleFolder();
}

std::string TPosixSystem::UserSettingsFolder() {
  std::string folder = ConfigHome();
  if (folder.empty()) return {};
  return folder + "/" + UserSettingsFolderName + "/";
}

bool TPosixSystem::CanWriteFolder(const std::string& folder) {
  if (folder.empty()) return false;
  // The effective ids decide, as they do for the write itself; a read-only mount
  // answers EROFS even for root.
  return faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

bool TPosixSystem::ReadIniFolderFlag() {
  std::string path = IniFolderFlagPath();
  if (path.empty()) return false;
  std::string text;
  try {
    text = io::ReadWholeFile(path);
  } catch (const io::EFileError&) {
    return false;
  }
  long value = 0;
  if (!(std::istringstream(text) >> value)) return false;
  return value != 0;
}

void TPosixSystem::WriteIniFolderFlag(bool hostFolder) {
  std::string path = IniFolderFlagPath();
  if (path.empty()) return;
  // Create the folders one by one, as mkdir -p does.
  for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
    std::string folder = path.substr(0, slash);
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return;
  }
  try {
    io::WriteFileAtomically(path, hostFolder ? "1\n" : "0\n", /*ownerOnly=*/true);
  } catch (const io::EFileError&) {
    // The flag is a preference: failing to store it is silent.
  }
}

std::optional<std::u16string> TPosixSystem::CodePageToUtf16(const std::string& bytes, unsigned codePage) {
  std::string name = IconvNameForCodePage(codePage == 0 ? DefaultCodePage() : codePage);
  iconv_t converter = iconv_open("UTF-16LE", name.c_str());
  if (converter == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::u16string text = Convert(converter, bytes);
  iconv_close(converter);
  return text;
}

char16_t TPosixSystem::ThousandsSeparator() {
  locale_t locale = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(0));
  if (locale == static_cast<locale_t>(0)) return u',';
  std::string separator = nl_langinfo_l(THOUSEP, locale);
  freelocale(locale);
  if (separator.empty()) return u',';
  // Multi-byte separators (a no-break space, U+202F) are UTF-8 in UTF-8 locales.
  const text::TUtf8Sequence sequence =
      text::ReadUtf8Sequence({reinterpret_cast<const std::uint8_t*>(separator.data()), separator.size()});
  if (sequence.Status != text::TUtf8Status::usWellFormed || sequence.CodePoint > 0xFFFF) return u',';
  return static_cast<char16_t>(sequence.CodePoint);
}

}  // namespace platform::posix
