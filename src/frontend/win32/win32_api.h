// The Windows headers for this folder only, with the macros that would rename
// the core's own names (MessageBox, ChooseColor, DrawText, RGB) taken back, and
// the conversions between the core's UTF-16 and the API's wchar_t.
#pragma once

#ifndef UNICODE
#define UNICODE
#define _UNICODE
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#undef MessageBox
#undef ChooseColor
#undef DrawText
#undef RGB

#include <string>
#include <string_view>

namespace frontend::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wchar_t is one UTF-16 unit");

inline const wchar_t* Wide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }
inline std::u16string FromWide(std::wstring_view text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text.data()), text.size());
}
// The module (DLL or program) that holds this code, the one place it is asked
// for: window classes are registered for it, and a plug-in finds its data
// files beside itself, not beside the host.
HINSTANCE ThisModule();

// 0x00BBGGRR is already a COLORREF; system colours are resolved by the caller.
inline COLORREF ToColorRef(std::uint32_t color) { return static_cast<COLORREF>(color & 0x00FFFFFFu); }

}  // namespace frontend::win32
