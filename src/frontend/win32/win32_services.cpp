// Clipboard, dialogs, host window and display services with the system's own calls.
#include "frontend/win32/win32_services.h"

#include <algorithm>
#include <cstring>

#include "frontend/win32/gdi_font.h"
#include "frontend/win32/win32_api.h"

namespace frontend::win32 {

namespace {

constexpr COLORREF White = 0x00FFFFFF;

HWND Window(const TWindowGetter& getter) { return getter ? static_cast<HWND>(getter()) : nullptr; }

}  // namespace

std::u16string TWin32Clipboard::GetText() {
  if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboard(Window(FOwner))) return {};
  std::u16string text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
      // The block may be larger than its text: stop at the NUL within it.
      std::size_t limit = GlobalSize(data) / sizeof(wchar_t);
      text = FromWide(std::wstring_view(chars, std::find(chars, chars + limit, L'\0') - chars));
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

bool TWin32Clipboard::SetText(const std::u16string& text) {
  if (!OpenClipboard(Window(FOwner))) return false;
  bool done = false;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  if (block != nullptr) {
    if (void* target = GlobalLock(block)) {
      std::memcpy(target, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
      GlobalUnlock(block);
      EmptyClipboard();
      // The clipboard owns the block once SetClipboardData succeeds.
      done = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
    }
    if (!done) GlobalFree(block);
  }
  CloseClipboard();
  return done;
}

platform::TMessageBoxResult TWin32Dialogs::MessageBox(const std::u16string& text, const std::u16string& caption,
                                            platform::TMessageBoxKind kind) {
  UINT style = MB_OK;
  switch (kind) {
    case platform::TMessageBoxKind::mbInformation: style = MB_OK | MB_ICONINFORMATION; break;
    case platform::TMessageBoxKind::mbError: style = MB_OK | MB_ICONERROR; break;
    case platform::TMessageBoxKind::mbQuestion: style = MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2; break;
    case platform::TMessageBoxKind::mbWarning: style = MB_OK | MB_ICONWARNING; break;
  }
  int answer = MessageBoxW(Window(FOwner), Wide(text), Wide(caption), style);
  if (kind != platform::TMessageBoxKind::mbQuestion) return platform::TMessageBoxResult::mrOk;
  return answer == IDYES ? platform::TMessageBoxResult::mrYes : platform::TMessageBoxResult::mrNo;
}

std::u16string FileDialogFilter(const std::u16string& filter) {
  std::u16string result = filter;
  std::replace(result.begin(), result.end(), u'|', u'\0');
  result.push_back(u'\0');
  result.push_back(u'\0');
  return result;
}

std::optional<std::u16string> TWin32Dialogs::SaveFileDialog(const std::u16string& filter,
                                                            const std::u16string& proposedName, int* filterIndex) {
  std::u16string filterText = FileDialogFilter(filter);
  // Room for long paths; the proposed name is the starting text.
  std::wstring buffer(32768, L'\0');
  std::copy_n(proposedName.begin(), std::min(proposedName.size(), buffer.size() - 1), buffer.begin());
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = Window(FOwner);
  dialog.lpstrFilter = Wide(filterText);
  dialog.nFilterIndex = filterIndex != nullptr ? static_cast<DWORD>(*filterIndex) + 1 : 1;  // counted from 1
  dialog.lpstrFile = buffer.data();
  dialog.nMaxFile = static_cast<DWORD>(buffer.size());
  dialog.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_EXPLORER;
  if (!GetSaveFileNameW(&dialog)) return std::nullopt;
  if (filterIndex != nullptr) *filterIndex = dialog.nFilterIndex > 0 ? static_cast<int>(dialog.nFilterIndex) - 1 : 0;
  return FromWide(buffer.c_str());
}

std::optional<std::u16string> TWin32Dialogs::OpenFileDialog(const std::u16string& filter, const std::u16string& title) {
  std::u16string filterText = FileDialogFilter(filter);
  std::wstring buffer(32768, L'\0');  // room for long paths
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = Window(FOwner);
  dialog.lpstrFilter = Wide(filterText);
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = buffer.data();
  dialog.nMaxFile = static_cast<DWORD>(buffer.size());
  dialog.lpstrTitle = title.empty() ? nullptr : Wide(title);
  dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_EXPLORER;
  if (!GetOpenFileNameW(&dialog)) return std::nullopt;
  return FromWide(buffer.c_str());
}

std::optional<platform::TColor> TWin32Dialogs::ChooseColor(platform::TColor initial, std::span<const platform::TColor> customColors,
                                                  bool fullyOpen) {
  COLORREF custom[16];
  std::fill(std::begin(custom), std::end(custom), White);
  std::transform(customColors.begin(), customColors.begin() + std::min<std::size_t>(16, customColors.size()),
                 custom, ToColorRef);
  CHOOSECOLORW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = Window(FOwner);
  dialog.rgbResult = ToColorRef(initial);
  dialog.lpCustColors = custom;
  dialog.Flags = CC_ANYCOLOR | CC_RGBINIT | (fullyOpen ? CC_FULLOPEN : 0);
  if (!ChooseColorW(&dialog)) return std::nullopt;
  return static_cast<platform::TColor>(dialog.rgbResult & 0x00FFFFFFu);
}

void TWin32WindowHost::Beep() { MessageBeep(0); }

void TWin32WindowHost::SetBusyCursor(bool busy) {
  // Nested guards keep the busy cursor until the outermost one ends.
  if (busy) {
    if (FBusyDepth++ == 0) FSavedCursor = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    return;
  }
  if (FBusyDepth == 0) return;
  if (--FBusyDepth == 0) SetCursor(static_cast<HCURSOR>(FSavedCursor));
}

void TWin32WindowHost::PostKeyToParent(const platform::TKeyEvent& key) {
  HWND viewer = Window(FViewer);
  HWND parent = viewer ? GetParent(viewer) : nullptr;
  if (parent == nullptr) return;
  // A key message carries Alt itself: a system key with the context bit, as the
  // keyboard sends it. Shift and Ctrl travel in the thread's key state, which the
  // host reads with GetKeyState and which is the state the key event was read from.
  const UINT scanCode = MapVirtualKeyW(key.Key, MAPVK_VK_TO_VSC);
  const LPARAM lParam = 1 | static_cast<LPARAM>(scanCode & 0xFF) << 16 | (key.Alt ? LPARAM{1} << 29 : 0);
  PostMessageW(parent, key.Alt ? WM_SYSKEYDOWN : WM_KEYDOWN, key.Key, lParam);
}

void TWin32WindowHost::ActivateParent() {
  HWND viewer = Window(FViewer);
  HWND parent = viewer ? GetParent(viewer) : nullptr;
  if (parent != nullptr) SetActiveWindow(parent);
}

platform::TColor TWin32Display::GetSysColor(int index) { return static_cast<platform::TColor>(::GetSysColor(index) & 0x00FFFFFFu); }

namespace {

struct TFamilies {
  bool FixedOnly;
  std::vector<std::u16string> Names;
};

int CALLBACK AddFamily(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM context) {
  auto& families = *reinterpret_cast<TFamilies*>(context);
  // The lowest bit of the pitch-and-family byte marks a fixed-pitch font.
  if (families.FixedOnly && (font->lfPitchAndFamily & 1) == 0) return 1;
  std::u16string name = FromWide(font->lfFaceName);
  // Vertical variants ("@Name") are the same family turned for vertical text.
  if (name.empty() || name[0] == u'@') return 1;
  if (std::find(families.Names.begin(), families.Names.end(), name) == families.Names.end())
    families.Names.push_back(std::move(name));
  return 1;
}

}  // namespace

std::vector<std::u16string> TWin32Display::FontFamilies(bool fixedPitchOnly) {
  TFamilies families{fixedPitchOnly, {}};
  LOGFONTW wanted{};
  wanted.lfCharSet = DEFAULT_CHARSET;  // every character set, no face name
  HDC dc = GetDC(nullptr);
  EnumFontFamiliesExW(dc, &wanted, AddFamily, reinterpret_cast<LPARAM>(&families), 0);
  ReleaseDC(nullptr, dc);
  return families.Names;
}

TWin32Display::TWin32Display() : FDC(CreateCompatibleDC(nullptr)) {}

TWin32Display::~TWin32Display() {
  if (FDC != nullptr) DeleteDC(static_cast<HDC>(FDC));
}

int TWin32Display::TextWidth(const std::u16string& text, const std::u16string& fontName, int fontSize) {
  return MeasureOn(static_cast<HDC>(FDC), Fonts().Get({fontName, fontSize, false}), text).cx;
}

int TWin32Display::BoldTextWidth(const std::u16string& text, const std::u16string& fontName, int fontSize) {
  return MeasureOn(static_cast<HDC>(FDC), Fonts().Get({fontName, fontSize, true}), text).cx;
}

int TWin32Display::TextHeight(const std::u16string& fontName, int fontSize) {
  return MeasureOn(static_cast<HDC>(FDC), Fonts().Get({fontName, fontSize, false}), u"").cy;
}

std::u16string TWin32Display::UsedFontFamily(const std::u16string& fontName) {
  // The font mapper's choice shows as the face of the font it realised.
  HDC dc = static_cast<HDC>(FDC);
  HGDIOBJ previous = SelectObject(dc, Fonts().Get({fontName, 10, false}));
  wchar_t face[LF_FACESIZE] = {};
  int copied = GetTextFaceW(dc, LF_FACESIZE, face);
  SelectObject(dc, previous);
  if (copied <= 0) return fontName;
  return FromWide(std::wstring_view(face));
}

int TWin32Display::VerticalScrollBarWidth() { return GetSystemMetrics(SM_CXVSCROLL); }

int TWin32Display::PixelScalePercent() {
  HDC dc = GetDC(nullptr);
  int dpi = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(nullptr, dc);
  return dpi > 0 ? MulDiv(dpi, 100, 96) : 100;
}

}  // namespace frontend::win32
