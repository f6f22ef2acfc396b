// A Lister plug-in module loaded with dlopen and called only through its
// exports, the way a file manager's viewer calls it.
#pragma once

#include <string>

#include "plugin/wlx_abi.h"

namespace bramlet {

class TListerModule {
 public:
  // Loads the module and finds its exports; throws std::runtime_error naming
  // what is missing. A Qt host never unloads such a module, and neither does
  // this: widgets and events of the module may outlive any one call.
  explicit TListerModule(const std::string& path);
  TListerModule(const TListerModule&) = delete;
  TListerModule& operator=(const TListerModule&) = delete;

  const std::string& Path() const { return FPath; }
  std::string DetectString() const;
  // Hands over iniName as the host's INI file, cut to what the record holds.
  void SetDefaultParams(const std::string& iniName) const;
  // The viewer's window, or null when the plug-in declines the file.
  wlx::HWND Load(wlx::HWND parent, const std::u16string& fileName) const;
  // The 8-bit export, with fileName as UTF-8.
  wlx::HWND LoadUtf8(wlx::HWND parent, const std::string& fileName) const;
  int SearchText(wlx::HWND viewer, const std::u16string& text, int flags) const;
  int SendCommand(wlx::HWND viewer, int command, int parameter) const;
  void Close(wlx::HWND viewer) const;

 private:
  std::string FPath;
  wlx::TListGetDetectString FGetDetectString = nullptr;
  wlx::TListSetDefaultParams FSetDefaultParams = nullptr;
  wlx::TListLoad FLoad = nullptr;
  wlx::TListLoadW FLoadW = nullptr;
  wlx::TListSearchTextW FSearchTextW = nullptr;
  wlx::TListSendCommand FSendCommand = nullptr;
  wlx::TListCloseWindow FCloseWindow = nullptr;
};

// Where bramlet looks for the module: beside the program, then in the folder a
// package installs it to (../lib/bramlet from the program's folder). The first
// that exists; empty for none.
std::string FindListerModule(const std::string& programFolder);

}  // namespace bramlet
