// ISystem for Linux and other POSIX systems, without any toolkit: the module
// folder, the INI-location flag in a file under $XDG_CONFIG_HOME, Windows
// code pages converted with iconv, digests by libcrypto.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace platform::posix {

// The iconv name for a Windows code page number; empty for 0 and numbers with no
// known counterpart. Whether this iconv supports the name is for iconv_open to say.
std::string IconvNameForCodePage(unsigned codePage);

// The folder (with a trailing "/") of the shared object or program that holds this
// code: a plug-in finds its data files beside itself.
std::string ThisModuleFolder();

// $XDG_CONFIG_HOME, or ~/.config for an unset or relative $XDG_CONFIG_HOME.
// Empty when no home folder is known.
std::string ConfigHome();

// ConfigHome()/Bramlet/INIFolder; empty when ConfigHome() is.
std::string IniFolderFlagPath();

// The digest of data by OpenSSL's libcrypto (EVP); empty if it fails.
std::vector<std::uint8_t> LibcryptoDigest(THashAlgorithm algorithm, std::span<const std::uint8_t> data);

class TPosixSystem : public ISystem {
 public:
  // moduleFolder with a trailing "/"; empty means ThisModuleFolder().
  explicit TPosixSystem(std::string moduleFolder = {});

  std::string ModuleFolder() override { return FModuleFolder; }
  // ConfigHome()/bramlet/; empty when ConfigHome() is.
  std::string UserSettingsFolder() override;
  bool CanWriteFolder(const std::string& folder) override;
  // The flag file holds "1" or "0"; a missing or unreadable file reads as false.
  bool ReadIniFolderFlag() override;
  // Creates the folder when needed and replaces the file by a rename; failures are
  // silent, as for a registry that cannot be opened.
  void WriteIniFolderFlag(bool hostFolder) override;
  // Bytes iconv cannot decode become U+FFFD, one per offending byte.
  std::optional<std::u16string> CodePageToUtf16(const std::string& bytes, unsigned codePage) override;
  // Windows-1252, the usual default of Western systems.
  unsigned DefaultCodePage() override { return 1252; }
  // From the user's numeric locale; "," when it has none.
  char16_t ThousandsSeparator() override;
  std::vector<std::uint8_t> Digest(THashAlgorithm algorithm, std::span<const std::uint8_t> data) override {
    return LibcryptoDigest(algorithm, data);
  }

 private:
  std::string FModuleFolder;
};

}  // namespace platform::posix
