// The two INI paths and the choice between them.
#include "settings/store.h"

#include "io/files.h"
#include "settings/lang.h"

namespace settings {

namespace {

struct TIniPaths {
  std::string Plugin;
  std::string Host;
};

TIniPaths& Paths() {
  static TIniPaths paths;
  return paths;
}

}  // namespace

void InitIniFileNames(platform::ISystem& system) {
  Paths() = TIniPaths{GetPluginFolder(system) + IniFileName, {}};
}

void FreeIniFileNames() { Paths() = TIniPaths{}; }

const std::string& PluginIniFileName() { return Paths().Plugin; }

const std::string& TCIniFileName() { return Paths().Host; }

void SetTCIniFileName(const std::string& hostIniName) {
  std::size_t folderEnd = hostIniName.size();
  while (folderEnd > 0 && !io::IsPathDelimiter(hostIniName[folderEnd - 1])) --folderEnd;
  if (folderEnd == 0) {
    Paths().Host.clear();
    return;
  }
  Paths().Host = hostIniName.substr(0, folderEnd) + IniFileName;
}

TIniLocation GetIniLocation(platform::ISystem& system) {
  return system.ReadIniFolderFlag() ? TIniLocation::ilTCFolder : TIniLocation::ilPluginFolder;
}

void SetIniLocation(platform::ISystem& system, TIniLocation location) {
  system.WriteIniFolderFlag(location == TIniLocation::ilTCFolder);
}

std::string GetIniFileName(platform::ISystem& system) {
  switch (GetIniLocation(system)) {
    case TIniLocation::ilTCFolder:
      return TCIniFileName();
    case TIniLocation::ilPluginFolder:
      return PluginIniFileName();
  }
  return PluginIniFileName();
}

}  // namespace settings
