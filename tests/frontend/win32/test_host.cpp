// A stand-in for the file manager: loads the module, calls every export as the
// host does, sends keys to the viewer, opens and dismisses its context menu,
// and checks what comes back and the settings file the module writes. With a
// shot folder it waits at two points (viewer shown, menu open) until a
// screenshot has been taken. Exits non-zero on any failure. The sample's
// SHA-256 fingerprint, when the environment gives it as BRAMLET_SAMPLE_SHA256
// (upper-case hexadecimal), is what Element info must show.
//   test_host MODULE SAMPLE WORKFOLDER [SHOTFOLDER]
#ifndef UNICODE
#define UNICODE
#endif
#include <algorithm>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

using TGetDetectString = void(WINAPI*)(char*, int);
struct TDefaultParams {
  int size;
  DWORD PluginInterfaceVersionLow;
  DWORD PluginInterfaceVersionHi;
  char DefaultIniName[MAX_PATH];
};
using TSetDefaultParams = void(WINAPI*)(TDefaultParams*);
using TLoad = HWND(WINAPI*)(HWND, char*, int);
using TLoadW = HWND(WINAPI*)(HWND, wchar_t*, int);
using TSearchTextW = int(WINAPI*)(HWND, wchar_t*, int);
using TSendCommand = int(WINAPI*)(HWND, int, int);
using TCloseWindow = void(WINAPI*)(HWND);

int Failures = 0;
int EscapesSeen = 0;
int MenuItems = -1;
int MenuItemsWithShortcut = 0;
std::wstring ShotFolder;

void Check(bool ok, const char* what) {
  std::printf("%s: %s\n", ok ? "ok" : "FAILED", what);
  if (!ok) ++Failures;
}

void Pump(int milliseconds) {
  DWORD end = GetTickCount() + milliseconds;
  for (;;) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (static_cast<int>(end - GetTickCount()) <= 0) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

// Asks the script for a screenshot named name and waits until it is taken
// (the script creates name.done); without a shot folder nothing happens.
void Screenshot(const wchar_t* name, bool pump) {
  if (ShotFolder.empty()) return;
  std::wstring request = ShotFolder + L"\\" + name + L".request";
  std::wstring done = ShotFolder + L"\\" + name + L".done";
  CloseHandle(CreateFileW(request.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  for (int i = 0; i < 3000 && GetFileAttributesW(done.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) {
    if (pump) Pump(10); else Sleep(10);
  }
}

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_KEYDOWN && wParam == VK_ESCAPE) ++EscapesSeen;
  if (message == WM_SIZE) {
    // As the file manager does: the viewer fills the Lister window.
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
      MoveWindow(child, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// Fires while the context menu's own loop runs: counts its items, lets the
// script take a picture, then closes it.
void CALLBACK InspectMenu(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  HWND menuWindow = FindWindowW(L"#32768", nullptr);
  if (menuWindow) {
    HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
    MenuItems = menu ? GetMenuItemCount(menu) : -1;
    for (int i = 0; i < MenuItems; ++i) {
      wchar_t caption[128] = {};
      GetMenuStringW(menu, i, caption, 128, MF_BYPOSITION);
      if (std::wcschr(caption, L'\t')) ++MenuItemsWithShortcut;
    }
    Screenshot(L"menu", false);
  }
  EndMenu();
}

// Fires while a dialog's modal loop runs: counts its controls, lets the script
// take a picture, then closes it with Escape as a user would.
// Typed set, the dialog's first editable field gets that text and Enter instead.
int DialogControls = -1;
std::vector<std::wstring> DialogTexts;
const wchar_t* DialogShot = L"";
const wchar_t* DialogTyped = nullptr;
BOOL CALLBACK ReadChild(HWND child, LPARAM) {
  ++DialogControls;
  wchar_t text[256] = {};
  GetWindowTextW(child, text, 256);
  DialogTexts.push_back(text);
  return TRUE;
}
// The captions of dialog that GDI cannot show whole: wider than a label, than
// a push button less its edges, than a check box or radio button less its mark
// and gap, than a group box less its frame; each is printed.
int CutCaptionCount = 0;
BOOL CALLBACK CountCutCaption(HWND child, LPARAM) {
  wchar_t text[256] = {};
  GetWindowTextW(child, text, 256);
  wchar_t className[32] = {};
  GetClassNameW(child, className, 32);
  const bool button = _wcsicmp(className, L"Button") == 0;
  if (text[0] == 0 || (!button && _wcsicmp(className, L"Static") != 0)) return TRUE;
  int chrome = 0;
  if (button) {
    switch (GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK) {
      case BS_CHECKBOX: case BS_AUTOCHECKBOX: case BS_RADIOBUTTON: case BS_AUTORADIOBUTTON:
        chrome = GetSystemMetrics(SM_CXMENUCHECK) + 4;
        break;
      case BS_GROUPBOX: chrome = 16; break;
      default: chrome = 8; break;
    }
  }
  HDC dc = GetDC(child);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(child, WM_GETFONT, 0, 0)));
  SIZE extent{};
  GetTextExtentPoint32W(dc, text, static_cast<int>(std::wcslen(text)), &extent);
  SelectObject(dc, old);
  ReleaseDC(child, dc);
  RECT client{};
  GetClientRect(child, &client);
  if (extent.cx + chrome <= client.right) return TRUE;
  ++CutCaptionCount;
  char utf8[768] = {};
  WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
  std::printf("cut caption: %s (%ld + %d of %ld pixels)\n", utf8, extent.cx, chrome, client.right);
  return TRUE;
}

// Set, the settings dialog is shown in German and in Russian, each checked for
// cut captions (the German one photographed), and left in English again.
bool DialogInEachLanguage = false;
int LanguagesShown = 0;
bool ChooseLanguage(HWND dialog, const wchar_t* name) {
  for (HWND combo = FindWindowExW(dialog, nullptr, L"COMBOBOX", nullptr); combo;
       combo = FindWindowExW(dialog, combo, L"COMBOBOX", nullptr)) {
    const LRESULT item = SendMessageW(combo, CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name));
    if (item == CB_ERR) continue;
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    return true;
  }
  return false;
}
void ShowEachLanguage(HWND dialog) {
  LanguagesShown = 0;
  CutCaptionCount = 0;
  for (const wchar_t* language : {L"Deutsch", L"\u0420\u0443\u0441\u0441\u043A\u0438\u0439"}) {
    if (!ChooseLanguage(dialog, language)) continue;
    ++LanguagesShown;
    Pump(100);
    EnumChildWindows(dialog, CountCutCaption, 0);
    if (language[0] == L'D') Screenshot(DialogShot, true);
  }
  ChooseLanguage(dialog, L"English");
}

void CALLBACK InspectDialog(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  HWND dialog = FindWindowW(L"BramletDialog", nullptr);
  if (!dialog) return;
  DialogControls = 0;
  DialogTexts.clear();
  EnumChildWindows(dialog, ReadChild, 0);
  if (DialogInEachLanguage) {
    ShowEachLanguage(dialog);
    PostMessageW(dialog, WM_KEYDOWN, VK_ESCAPE, 1);
    return;
  }
  if (DialogTyped != nullptr) {
    HWND edit = FindWindowExW(dialog, nullptr, L"EDIT", nullptr);
    SetWindowTextW(edit, DialogTyped);
    Screenshot(DialogShot, true);
    PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 1);
    return;
  }
  Screenshot(DialogShot, true);
  PostMessageW(dialog, WM_KEYDOWN, VK_ESCAPE, 1);
}

// Fires while the open dialog of Compare with... runs: its file name gets
// ChosenFile, a picture is taken, and Open is pressed.
std::wstring ChosenFile;
bool FileChosen = false;
void CALLBACK ChooseFile(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  HWND dialog = FindWindowW(nullptr, L"Compare with...");
  if (!dialog) return;
  // The file name is a combo box (cmb13) in the Explorer style, an edit (edt1) in the old one.
  HWND name = GetDlgItem(dialog, 0x47C);
  if (!name) name = GetDlgItem(dialog, 0x480);
  if (!name) return;
  SetWindowTextW(name, ChosenFile.c_str());
  Screenshot(L"compare-dialog", true);
  FileChosen = true;
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
}

void OpenDialog(HWND viewer, int command, const wchar_t* shot, const wchar_t* typed = nullptr) {
  DialogControls = -1;
  DialogShot = shot;
  DialogTyped = typed;
  SetTimer(nullptr, 0, 400, InspectDialog);
  PostMessageW(viewer, WM_COMMAND, command, 0);
  Pump(1500);
}

bool DialogShows(const std::wstring& text) {
  for (const std::wstring& shown : DialogTexts)
    if (shown == text) return true;
  return false;
}

std::map<std::string, std::map<std::string, std::string>> ReadIni(const std::wstring& path) {
  std::map<std::string, std::map<std::string, std::string>> sections;
  FILE* file = _wfopen(path.c_str(), L"rb");
  if (!file) return sections;
  std::string section, line;
  char buffer[1024];
  while (std::fgets(buffer, sizeof buffer, file)) {
    line = buffer;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    if (line.size() > 1 && line.front() == '[') {
      section = line.substr(1, line.size() - 2);
      continue;
    }
    std::size_t equals = line.find('=');
    if (equals != std::string::npos) sections[section][line.substr(0, equals)] = line.substr(equals + 1);
  }
  std::fclose(file);
  return sections;
}

// GetProcAddress answers a generic function pointer; each export has its own type.
template <typename TFunction>
TFunction Export(HMODULE module, const char* name) {
  return reinterpret_cast<TFunction>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

int ChildCount(HWND window) {
  int count = 0;
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) ++count;
  return count;
}

void PostKey(WORD key) {
  HWND focus = GetFocus();
  PostMessageW(focus, WM_KEYDOWN, key, 1);
  PostMessageW(focus, WM_KEYUP, key, 0xC0000001);
  Pump(100);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) {
    std::printf("usage: test_host MODULE SAMPLE WORKFOLDER [SHOTFOLDER]\n");
    return 2;
  }
  std::wstring modulePath = argv[1], sample = argv[2], work = argv[3];
  if (argc > 4) ShotFolder = argv[4];

  // A fresh settings file: the module writes it beside itself on close.
  std::wstring moduleFolder = modulePath.substr(0, modulePath.find_last_of(L"\\/") + 1);
  std::wstring iniPath = moduleFolder + L"Bramlet.ini";
  DeleteFileW(iniPath.c_str());
  RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Bramlet");

  HMODULE module = LoadLibraryW(modulePath.c_str());
  Check(module != nullptr, "LoadLibraryW loads the module");
  if (!module) return 1;
  auto getDetect = Export<TGetDetectString>(module, "ListGetDetectString");
  auto setParams = Export<TSetDefaultParams>(module, "ListSetDefaultParams");
  auto load = Export<TLoad>(module, "ListLoad");
  auto loadW = Export<TLoadW>(module, "ListLoadW");
  auto search = Export<TSearchTextW>(module, "ListSearchTextW");
  auto command = Export<TSendCommand>(module, "ListSendCommand");
  auto close = Export<TCloseWindow>(module, "ListCloseWindow");
  Check(getDetect && setParams && load && loadW && search && command && close, "all seven exports are found");
  if (Failures) return 1;

  char detect[1024] = {};
  getDetect(detect, sizeof detect);
  Check(std::strlen(detect) == 169 && std::strncmp(detect, "EXT=\"BER\"|EXT=\"DER\"|", 20) == 0 &&
            std::strcmp(detect + 160, "EXT=\"CRL\"") == 0,
        "ListGetDetectString gives the 17 extensions");
  char shortBuffer[10];
  std::memset(shortBuffer, 'x', sizeof shortBuffer);
  getDetect(shortBuffer, 10);
  Check(std::strcmp(shortBuffer, "EXT=\"BER\"") == 0, "a 10-character buffer gets 9 characters and a NUL");

  // The host's INI name comes in the ANSI code page, here with a non-ASCII folder.
  std::wstring hostFolder = work + L"\\host J\u00F6rg";
  CreateDirectoryW(hostFolder.c_str(), nullptr);
  std::wstring hostIniFile = hostFolder + L"\\Bramlet.ini";
  DeleteFileW(hostIniFile.c_str());
  std::wstring hostIni = hostFolder + L"\\wincmd.ini";
  TDefaultParams params{static_cast<int>(sizeof(TDefaultParams)), 10, 2, {}};
  WideCharToMultiByte(CP_ACP, 0, hostIni.c_str(), -1, params.DefaultIniName, MAX_PATH, nullptr, nullptr);
  setParams(&params);

  WNDCLASSW hostClass{};
  hostClass.lpfnWndProc = HostProc;
  hostClass.hInstance = GetModuleHandleW(nullptr);
  hostClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  hostClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  hostClass.lpszClassName = L"BramletTestHost";
  RegisterClassW(&hostClass);
  HWND host = CreateWindowExW(0, L"BramletTestHost", L"Bramlet test host", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                              20, 20, 900, 600, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ShowWindow(host, SW_SHOW);
  Pump(100);

  // A text file without any armour yields no document: 0 and nothing left behind.
  std::wstring textFile = work + L"\\no-document.txt";
  FILE* text = _wfopen(textFile.c_str(), L"wb");
  std::fputs("just some words, no base64 here!\n", text);
  std::fclose(text);
  HWND declined = loadW(host, textFile.data(), 0);
  Check(declined == nullptr && ChildCount(host) == 0, "ListLoadW declines a text file and leaves no window");
  std::string missing = "C:\\no\\such\\file.der";
  Check(load(host, missing.data(), 0) == nullptr, "ListLoad returns 0 for a file that cannot be read");

  HWND viewer = loadW(host, sample.data(), 0);
  Check(viewer != nullptr && IsWindow(viewer) && GetParent(viewer) == host, "ListLoadW opens a child viewer window");
  if (!viewer) return 1;
  RECT client;
  GetClientRect(host, &client);
  MoveWindow(viewer, 0, 0, client.right, client.bottom, TRUE);
  Pump(300);
  HWND focus = GetFocus();
  Check(focus != nullptr && IsChild(viewer, focus), "the viewer's structure tree has the keyboard focus");
  Screenshot(L"viewer", true);

  Check(search(viewer, const_cast<wchar_t*>(L"rsaencryption"), 1) == 0, "ListSearchTextW finds a value downwards");
  Check(search(viewer, const_cast<wchar_t*>(L"no such text anywhere"), 0) == 1,
        "ListSearchTextW returns 1 when nothing matches");
  Check(search(viewer, const_cast<wchar_t*>(L"SEQUENCE"), 8) == 0, "ListSearchTextW finds a row upwards");
  Check(search(reinterpret_cast<HWND>(0x1234), const_cast<wchar_t*>(L"x"), 0) == 0,
        "ListSearchTextW returns 0 for a handle that is no viewer");
  Check(command(viewer, 1, 0) == 0, "ListSendCommand reports success");

  // Keys as the host sees them: Escape is passed on to the Lister window,
  // A and H toggle the attribute rows and the hex panel (stored on close).
  PostKey(VK_DOWN);
  PostKey(VK_ESCAPE);
  Check(EscapesSeen == 1, "Escape is posted on to the host window");
  PostKey('A');
  PostKey('H');

  // The context menu opens on a right click in the tree and is dismissed.
  HWND tree = GetFocus();
  SetTimer(nullptr, 0, 300, InspectMenu);
  PostMessageW(tree, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(30, 8));
  PostMessageW(tree, WM_RBUTTONUP, 0, MAKELPARAM(30, 8));
  Pump(1500);
  Check(MenuItems == 34, "the context menu holds its 34 items and separators");
  Check(MenuItemsWithShortcut == 27, "27 menu items show a shortcut after a tab");
  Check(IsWindow(viewer), "the viewer survives the menu");

  // The About box and the settings dialog, from the menu's commands.
  OpenDialog(viewer, 115, L"about");
  Check(DialogControls == 3, "the About box shows its name, version and button");
  OpenDialog(viewer, 114, L"settings");
  std::printf("settings dialog: %d native controls\n", DialogControls);
  Check(DialogControls >= 50, "the settings dialog shows its controls");
  Check(IsWindowEnabled(host) && IsWindow(viewer), "both dialogs closed on Escape and gave the host back");
  DialogInEachLanguage = true;
  OpenDialog(viewer, 114, L"settings-de");
  DialogInEachLanguage = false;
  Check(LanguagesShown == 2 && CutCaptionCount == 0,
        "in German and in Russian every caption of the settings dialog is whole");

  // The element toolbox on the certificate: Element info with its digests from
  // CNG, and Go to offset, whose element Element info then describes.
  SetFocus(tree);
  PostKey(VK_HOME);
  OpenDialog(viewer, 122, L"element-info");
  std::printf("element info: %d native controls\n", DialogControls);
  Check(DialogControls == 25, "Element info shows eight fields with a caption and a copy button each, and Close");
  wchar_t expected[80] = {};
  if (GetEnvironmentVariableW(L"BRAMLET_SAMPLE_SHA256", expected, 80) != 0)
    Check(DialogShows(expected), "Element info shows the certificate's SHA-256 fingerprint, computed by CNG");
  OpenDialog(viewer, 123, L"go-to-offset", L"$E");
  Check(DialogControls == 4 && FindWindowW(L"BramletDialog", nullptr) == nullptr,
        "Go to offset takes $E and Enter, and closes");
  OpenDialog(viewer, 122, L"element-info-serial");
  Check(DialogShows(L"13"), "byte $E focused the serial number, which starts at offset 13");
  Check(IsWindowEnabled(host) && IsWindow(viewer), "the toolbox's dialogs gave the host back");

  // Compare with...: the open dialog gets the other certificate and Open; the
  // comparison runs as idle work, then F9 goes from the serial number (the
  // first difference) to the tenth, the row of the other file's EC parameters,
  // pictured with the hex panel shown (and hidden again for the settings below).
  // The sample lies in samples/; as a Windows path on Wine's Z: drive when it came as a Unix one.
  std::wstring root = sample.substr(0, sample.find_last_of(L"\\/"));
  root = root.substr(0, root.find_last_of(L"\\/") + 1);
  ChosenFile = (root.front() == L'/' ? L"Z:" : L"") + root + L"tests/data/compare/ext-b.der";
  std::replace(ChosenFile.begin(), ChosenFile.end(), L'/', L'\\');
  SetTimer(nullptr, 0, 800, ChooseFile);
  PostMessageW(viewer, WM_COMMAND, 130, 0);
  Pump(3000);
  Check(FileChosen && FindWindowW(nullptr, L"Compare with...") == nullptr,
        "Compare with... asks for the file in the open dialog, which closes on Open");
  SetFocus(tree);
  PostKey('H');
  for (int i = 0; i < 9; ++i) PostKey(VK_F9);
  Pump(300);
  Screenshot(L"compare", true);
  PostKey('H');
  Check(IsWindowEnabled(host) && IsWindow(viewer), "the viewer survives the comparison");

  close(viewer);
  Check(!IsWindow(viewer) && ChildCount(host) == 0, "ListCloseWindow destroys the viewer window");
  close(viewer);  // a second close of the same handle does nothing

  auto ini = ReadIni(iniPath);
  Check(ini["Main"].size() == 23 && ini["Hex"].size() == 17, "Bramlet.ini holds all 40 keys");
  Check(ini["Main"]["ShowAttributes"] == "0" && ini["Hex"]["Show"] == "0",
        "the keys A and H reached the viewer and were saved");
  Check(ini["Main"]["FontName"] == "Tahoma" && ini["Hex"]["StringSize"] == "8", "the defaults are saved");

  // A second viewer reads those settings back and saves them over the file.
  viewer = loadW(host, sample.data(), 0);
  Check(viewer != nullptr, "a second viewer opens");
  Pump(100);
  close(viewer);
  ini = ReadIni(iniPath);
  Check(ini["Main"].size() == 23 && ini["Main"]["ShowAttributes"] == "0",
        "the second viewer loaded the saved settings and replaced the file");

  // With the registry flag set, settings go beside the host's INI file.
  HKEY key;
  DWORD one = 1;
  RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Bramlet", 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
  RegSetValueExW(key, L"INIFolder", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
  RegCloseKey(key);
  viewer = loadW(host, sample.data(), 0);
  Pump(100);
  close(viewer);
  RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Bramlet");
  auto hostSettings = ReadIni(hostIniFile);
  Check(hostSettings["Main"].size() == 23 && hostSettings["Hex"].size() == 17,
        "with INIFolder = 1 the settings go into the host's folder, named in its code page");

  DestroyWindow(host);
  Check(FreeLibrary(module) != 0, "FreeLibrary unloads the module");
  std::printf("%d failure(s)\n", Failures);
  return Failures == 0 ? 0 : 1;
}
