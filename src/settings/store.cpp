// The two INI paths and the choice between them.
#include "settings/store.h"

#include <filesystem>
#include <string_view>
#include <system_error>

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

std::string PluginFolderIniFileName(platform::ISystem& system) {
  const std::string& beside = PluginIniFileName();
  if (beside.empty()) return {};
  if (system.CanWriteFolder(beside.substr(0, beside.size() - std::string_view(IniFileName).size()))) return beside;
  std::string userFolder = system.UserSettingsFolder();
  return userFolder.empty() ? std::string() : userFolder + IniFileName;
}

std::string GetIniFileName(platform::ISystem& system) {
  switch (GetIniLocation(system)) {
    case TIniLocation::ilTCFolder:
      return TCIniFileName();
    case TIniLocation::ilPluginFolder:
      return PluginFolderIniFileName(system);
  }
  return PluginFolderIniFileName(system);
}

std::string GetIniFileNameForSaving(platform::ISystem& system) {
  std::string path = GetIniFileName(system);
  const std::string userFolder = system.UserSettingsFolder();
  if (path.empty() || userFolder.empty() || path != userFolder + IniFileName) return path;
  std::error_code error;
  // A folder that cannot be made shows as the failed save that follows.
  std::filesystem::create_directories(std::filesystem::path(std::u8string(userFolder.begin(), userFolder.end())), error);
  return path;
}

}  // namespace settings
