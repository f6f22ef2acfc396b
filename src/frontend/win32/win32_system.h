// ISystem with the Windows API: the module's own file name, the INI-location
// flag in the registry, code pages through MultiByteToWideChar, the locale's
// thousands separator.
#pragma once

#include <string>

#include "platform/platform.h"

namespace frontend::win32 {

// The folder of module's file (null: the module holding this code), with a
// trailing "\", UTF-8.
std::string ModuleFolderOf(void* module);

class TWin32System : public platform::ISystem {
 public:
  // registryKey under HKEY_CURRENT_USER holds the DWORD "INIFolder".
  explicit TWin32System(void* module = nullptr, std::u16string registryKey = u"Software\\Bramlet");

  std::string ModuleFolder() override { return FModuleFolder; }
  // %APPDATA%\Bramlet\; empty when APPDATA is not set.
  std::string UserSettingsFolder() override;
  // Tries to create (and at once drop) a file in folder.
  bool CanWriteFolder(const std::string& folder) override;
  // A missing key, a missing value or one of another type reads as false.
  bool ReadIniFolderFlag() override;
  // Creates the key when needed; a key that cannot be opened is skipped silently.
  void WriteIniFolderFlag(bool hostFolder) override;
  // Empty optional for a code page Windows does not know; bytes it cannot map
  // become its default character.
  std::optional<std::u16string> CodePageToUtf16(const std::string& bytes, unsigned codePage) override;
  unsigned DefaultCodePage() override;
  char16_t ThousandsSeparator() override;
  // Through CNG (bcrypt.dll).
  std::vector<std::uint8_t> Digest(platform::THashAlgorithm algorithm, std::span<const std::uint8_t> data) override;

 private:
  std::string FModuleFolder;
  std::u16string FRegistryKey;
};

}  // namespace frontend::win32
