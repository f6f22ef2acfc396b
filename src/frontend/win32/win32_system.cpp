// System services over kernel32 and advapi32.
#include "frontend/win32/win32_system.h"

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "frontend/win32/win32_api.h"

#include <bcrypt.h>
#include "text/utf.h"

namespace frontend::win32 {

namespace {

constexpr wchar_t FlagValueName[] = L"INIFolder";
constexpr char UserSettingsFolderName[] = "Bramlet";

}  // namespace

HINSTANCE ThisModule() {
  HMODULE module = nullptr;
  // The address of this function lies in the module that holds it.
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

std::string ModuleFolderOf(void* module) {
  if (module == nullptr) module = ThisModule();
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    DWORD length = GetModuleFileNameW(static_cast<HMODULE>(module), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    // A full buffer means the name may have been cut; long paths go past MAX_PATH.
    if (length < buffer.size()) {
      std::wstring_view name(buffer.data(), length);
      std::size_t delimiter = name.find_last_of(L"\\/");
      if (delimiter == std::wstring_view::npos) return {};
      return text::Utf16ToUtf8(FromWide(name.substr(0, delimiter + 1)));
    }
    if (buffer.size() >= 32768) return {};
    buffer.resize(buffer.size() * 2);
  }
}

TWin32System::TWin32System(void* module, std::u16string registryKey)
    : FModuleFolder(ModuleFolderOf(module)), FRegistryKey(std::move(registryKey)) {}

std::string TWin32System::UserSettingsFolder() {
  DWORD size = GetEnvironmentVariableW(L"APPDATA", nullptr, 0);
  if (size <= 1) return {};
  std::wstring folder(size, L'\0');
  DWORD length = GetEnvironmentVariableW(L"APPDATA", folder.data(), size);
  if (length == 0 || length >= size) return {};
  folder.resize(length);
  while (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
  if (folder.empty()) return {};
  return text::Utf16ToUtf8(FromWide(folder)) + "\\" + UserSettingsFolderName + "\\";
}

bool TWin32System::CanWriteFolder(const std::string& folder) {
  if (folder.empty()) return false;
  // Access lists, UAC and read-only shares are answered best by trying: a probe
  // file that the system removes as its handle closes.
  std::u16string probe = text::Utf8ToUtf16(folder);
  if (probe.back() != u'\\' && probe.back() != u'/') probe += u'\\';
  probe += u"Bramlet-" + text::Utf8ToUtf16(std::to_string(GetCurrentProcessId())) + u".probe";
  HANDLE file = CreateFileW(Wide(probe), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

bool TWin32System::ReadIniFolderFlag() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, Wide(FRegistryKey), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  DWORD type = 0;
  DWORD value = 0;
  DWORD size = sizeof value;
  LONG result = RegQueryValueExW(key, FlagValueName, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
  return result == ERROR_SUCCESS && type == REG_DWORD && size == sizeof value && value != 0;
}

void TWin32System::WriteIniFolderFlag(bool hostFolder) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, Wide(FRegistryKey), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                      &key, nullptr) != ERROR_SUCCESS)
    return;
  DWORD value = hostFolder ? 1 : 0;
  RegSetValueExW(key, FlagValueName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  RegCloseKey(key);
}

std::optional<std::u16string> TWin32System::CodePageToUtf16(const std::string& bytes, unsigned codePage) {
  UINT page = codePage == 0 ? CP_ACP : codePage;
  if (!IsValidCodePage(page == CP_ACP ? GetACP() : page)) return std::nullopt;
  if (bytes.empty()) return std::u16string();
  if (bytes.size() > static_cast<std::size_t>(INT_MAX)) return std::nullopt;
  int inLength = static_cast<int>(bytes.size());
  int length = MultiByteToWideChar(page, 0, bytes.data(), inLength, nullptr, 0);
  if (length <= 0) return std::nullopt;
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(page, 0, bytes.data(), inLength, wide.data(), length);
  return FromWide(wide);
}

unsigned TWin32System::DefaultCodePage() { return GetACP(); }

char16_t TWin32System::ThousandsSeparator() {
  wchar_t separator[8] = {};
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, separator, 8) < 2) return u',';
  return static_cast<char16_t>(separator[0]);
}

namespace {

// CNG handles, closed on every path.
struct TAlgorithmHandle {
  BCRYPT_ALG_HANDLE Handle = nullptr;
  ~TAlgorithmHandle() {
    if (Handle) BCryptCloseAlgorithmProvider(Handle, 0);
  }
};
struct THashHandle {
  BCRYPT_HASH_HANDLE Handle = nullptr;
  ~THashHandle() {
    if (Handle) BCryptDestroyHash(Handle);
  }
};

bool DwordProperty(BCRYPT_HANDLE handle, const wchar_t* property, DWORD& value) {
  ULONG written = 0;
  return BCRYPT_SUCCESS(
      BCryptGetProperty(handle, property, reinterpret_cast<PUCHAR>(&value), sizeof value, &written, 0));
}

}  // namespace

std::vector<std::uint8_t> TWin32System::Digest(platform::THashAlgorithm algorithm,
                                               std::span<const std::uint8_t> data) {
  const wchar_t* name = BCRYPT_SHA256_ALGORITHM;
  switch (algorithm) {
    case platform::THashAlgorithm::haSha1: name = BCRYPT_SHA1_ALGORITHM; break;
    case platform::THashAlgorithm::haSha256: name = BCRYPT_SHA256_ALGORITHM; break;
  }
  // Create, hash, finish: these exist from Vista on, where the one-call
  // BCryptHash needs Windows 10. The hash object's memory is ours, as Vista wants.
  TAlgorithmHandle provider;
  if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&provider.Handle, name, nullptr, 0))) return {};
  DWORD objectSize = 0;
  DWORD digestSize = 0;
  if (!DwordProperty(provider.Handle, BCRYPT_OBJECT_LENGTH, objectSize) ||
      !DwordProperty(provider.Handle, BCRYPT_HASH_LENGTH, digestSize))
    return {};
  std::vector<std::uint8_t> object(objectSize);
  THashHandle hash;
  if (!BCRYPT_SUCCESS(BCryptCreateHash(provider.Handle, &hash.Handle, object.data(), objectSize, nullptr, 0, 0)))
    return {};
  // BCryptHashData takes a ULONG length and a non-const pointer it only reads.
  constexpr std::size_t Chunk = 1u << 30;
  for (std::size_t at = 0; at < data.size(); at += Chunk) {
    const auto length = static_cast<ULONG>(std::min(Chunk, data.size() - at));
    if (!BCRYPT_SUCCESS(BCryptHashData(hash.Handle, const_cast<PUCHAR>(data.data() + at), length, 0))) return {};
  }
  std::vector<std::uint8_t> digest(digestSize);
  if (!BCRYPT_SUCCESS(BCryptFinishHash(hash.Handle, digest.data(), digestSize, 0))) return {};
  return digest;
}

}  // namespace frontend::win32
