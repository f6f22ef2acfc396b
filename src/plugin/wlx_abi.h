// The Lister plug-in interface as the Linux hosts call it: plain C calls,
// window handles as pointers (a QWidget* under Qt) and UTF-16 text in 16-bit
// units. Shared by the exporting module and the programs that load it.
#pragma once

#include <cstdint>
#include <string>

namespace wlx {

using HWND = void*;
using WCHAR = std::uint16_t;

// Search flags of ListSearchTextW.
inline constexpr int lcs_findfirst = 1;
inline constexpr int lcs_matchcase = 2;
inline constexpr int lcs_wholewords = 4;
inline constexpr int lcs_backwards = 8;

// Commands of ListSendCommand.
inline constexpr int lc_copy = 1;
inline constexpr int lc_selectall = 3;

// The record ListSetDefaultParams receives, on every platform; the INI name
// starts at byte 12.
struct TListDefaultParamStruct {
  int Size;
  std::uint32_t PluginInterfaceVersionLow;
  std::uint32_t PluginInterfaceVersionHi;
  char DefaultIniName[260];
};
static_assert(sizeof(int) == 4 && __builtin_offsetof(TListDefaultParamStruct, DefaultIniName) == 12);

// The host's INI name from its record: at most 255 characters, up to the first
// NUL, in the host's 8-bit encoding.
inline std::string HostIniName(const TListDefaultParamStruct& params) {
  constexpr std::size_t MaxLength = 255;
  std::size_t length = 0;
  while (length < MaxLength && params.DefaultIniName[length] != '\0') ++length;
  return std::string(params.DefaultIniName, length);
}

extern "C" {
using TListGetDetectString = void (*)(char* detectString, int maxLen);
using TListSetDefaultParams = void (*)(TListDefaultParamStruct* params);
using TListLoad = HWND (*)(HWND parentWin, char* fileToLoad, int showFlags);
using TListLoadW = HWND (*)(HWND parentWin, WCHAR* fileToLoad, int showFlags);
using TListSearchTextW = int (*)(HWND listWin, WCHAR* searchString, int searchParameter);
using TListSendCommand = int (*)(HWND listWin, int command, int parameter);
using TListCloseWindow = void (*)(HWND listWin);
}

}  // namespace wlx
