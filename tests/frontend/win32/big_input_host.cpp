// Opens a generated input of many certificates back to back in the module, as
// the file manager would (ListLoadW into a host window), and reports the time
// and the process's peak memory. "fits": the document must come up without the
// out-of-memory row; "message": it must be that row alone, and the host goes on
// to load a small file after it. The input is written to WORKFOLDER and removed.
//   big_input_host MODULE CERTIFICATE WORKFOLDER MIB fits|message [PEAK_LIMIT_MIB]
#ifndef UNICODE
#define UNICODE
#endif
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using TLoadW = HWND(WINAPI*)(HWND, wchar_t*, int);
using TSearchTextW = int(WINAPI*)(HWND, wchar_t*, int);
using TCloseWindow = void(WINAPI*)(HWND);
constexpr int ListOk = 0;

int Failures = 0;

void Check(bool ok, const char* what) {
  std::printf("%s: %s\n", ok ? "ok" : "FAILED", what);
  if (!ok) ++Failures;
}

std::vector<char> ReadAll(const std::wstring& name) {
  std::vector<char> bytes;
  FILE* file = _wfopen(name.c_str(), L"rb");
  if (file == nullptr) return bytes;
  char buffer[65536];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) bytes.insert(bytes.end(), buffer, buffer + n);
  std::fclose(file);
  return bytes;
}

// Copies of the certificate back to back up to mib MiB, written in pieces.
bool WriteInput(const std::wstring& name, const std::vector<char>& certificate, unsigned mib) {
  FILE* file = _wfopen(name.c_str(), L"wb");
  if (file == nullptr) return false;
  std::vector<char> piece;
  while (piece.size() < (1u << 20)) piece.insert(piece.end(), certificate.begin(), certificate.end());
  unsigned long long target = static_cast<unsigned long long>(mib) << 20, written = 0;
  bool ok = true;
  while (ok && written + piece.size() <= target) {
    ok = std::fwrite(piece.data(), 1, piece.size(), file) == piece.size();
    written += piece.size();
  }
  return std::fclose(file) == 0 && ok;
}

double PeakMiB() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  // Private bytes, the figure that runs into the 2 GiB of a 32-bit process.
  return static_cast<double>(counters.PeakPagefileUsage) / (1024.0 * 1024.0);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 6) {
    std::printf("usage: big_input_host MODULE CERTIFICATE WORKFOLDER MIB fits|message [PEAK_LIMIT_MIB]\n");
    return 2;
  }
  std::wstring modulePath = argv[1], certificatePath = argv[2], work = argv[3], expect = argv[5];
  unsigned mib = static_cast<unsigned>(_wtoi(argv[4]));
  double peakLimit = argc > 6 ? _wtof(argv[6]) : 0;
  std::printf("pointer size %u bits\n", static_cast<unsigned>(sizeof(void*) * 8));

  std::vector<char> certificate = ReadAll(certificatePath);
  std::wstring input = work + L"\\big-input-" + std::to_wstring(mib) + L".der";
  Check(!certificate.empty() && WriteInput(input, certificate, mib), "the input is written");
  if (Failures) return 1;

  HMODULE module = LoadLibraryW(modulePath.c_str());
  auto loadW = reinterpret_cast<TLoadW>(reinterpret_cast<void*>(GetProcAddress(module, "ListLoadW")));
  auto search = reinterpret_cast<TSearchTextW>(reinterpret_cast<void*>(GetProcAddress(module, "ListSearchTextW")));
  auto close = reinterpret_cast<TCloseWindow>(reinterpret_cast<void*>(GetProcAddress(module, "ListCloseWindow")));
  Check(module && loadW && search && close, "the module and its exports load");
  if (Failures) return 1;

  WNDCLASSW hostClass{};
  hostClass.lpfnWndProc = DefWindowProcW;
  hostClass.hInstance = GetModuleHandleW(nullptr);
  hostClass.lpszClassName = L"BramletBigInputHost";
  RegisterClassW(&hostClass);
  HWND host = CreateWindowExW(0, L"BramletBigInputHost", L"Bramlet big input", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                              20, 20, 900, 600, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ShowWindow(host, SW_SHOW);

  std::wstring message = L"Not enough memory to show this file";
  DWORD start = GetTickCount();
  HWND viewer = loadW(host, input.data(), 0);
  DWORD elapsed = GetTickCount() - start;
  UpdateWindow(viewer);
  double peak = PeakMiB();
  std::printf("%u MiB input: ListLoadW %lu ms, peak private bytes %.1f MiB\n", mib, static_cast<unsigned long>(elapsed),
              peak);
  Check(viewer != nullptr, "ListLoadW opens a viewer window");
  if (viewer == nullptr) return 1;
  bool hasMessage = search(viewer, message.data(), 0) == ListOk;
  if (expect == L"fits") {
    Check(!hasMessage, "the document is shown, not the out-of-memory row");
    if (peakLimit > 0) Check(peak < peakLimit, "the peak stays under the limit");
  } else {
    Check(hasMessage, "the out-of-memory row is shown");
  }
  close(viewer);
  DeleteFileW(input.c_str());

  // The host goes on: a small file opens after it.
  HWND small = loadW(host, certificatePath.data(), 0);
  Check(small != nullptr, "a small file opens afterwards");
  if (small) close(small);
  DestroyWindow(host);
  return Failures == 0 ? 0 : 1;
}
