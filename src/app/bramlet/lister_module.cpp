// dlopen, dlsym and the conversions between the host's and the module's types.
#include "app/bramlet/lister_module.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <vector>

namespace bramlet {

namespace {

template <typename TFunction>
void Resolve(void* module, const char* name, TFunction& function, const std::string& path) {
  function = reinterpret_cast<TFunction>(dlsym(module, name));
  if (function == nullptr) throw std::runtime_error(path + " does not export " + name);
}

std::vector<wlx::WCHAR> WideBuffer(const std::u16string& text) {
  std::vector<wlx::WCHAR> buffer(text.begin(), text.end());
  buffer.push_back(0);
  return buffer;
}

}  // namespace

TListerModule::TListerModule(const std::string& path) : FPath(path) {
  void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) throw std::runtime_error(dlerror());
  try {
    Resolve(module, "ListGetDetectString", FGetDetectString, path);
    Resolve(module, "ListSetDefaultParams", FSetDefaultParams, path);
    Resolve(module, "ListLoad", FLoad, path);
    Resolve(module, "ListLoadW", FLoadW, path);
    Resolve(module, "ListSearchTextW", FSearchTextW, path);
    Resolve(module, "ListSendCommand", FSendCommand, path);
    Resolve(module, "ListCloseWindow", FCloseWindow, path);
  } catch (...) {
    dlclose(module);  // nothing of it has run yet
    throw;
  }
}

std::string TListerModule::DetectString() const {
  char buffer[2048] = {};
  FGetDetectString(buffer, sizeof buffer);
  return std::string(buffer, strnlen(buffer, sizeof buffer));
}

void TListerModule::SetDefaultParams(const std::string& iniName) const {
  wlx::TListDefaultParamStruct params{};
  params.Size = sizeof params;
  params.PluginInterfaceVersionLow = 0;
  params.PluginInterfaceVersionHi = 2;
  std::size_t length = std::min(iniName.size(), sizeof params.DefaultIniName - 1);
  std::memcpy(params.DefaultIniName, iniName.data(), length);
  FSetDefaultParams(&params);
}

wlx::HWND TListerModule::Load(wlx::HWND parent, const std::u16string& fileName) const {
  std::vector<wlx::WCHAR> name = WideBuffer(fileName);
  return FLoadW(parent, name.data(), 0);
}

wlx::HWND TListerModule::LoadUtf8(wlx::HWND parent, const std::string& fileName) const {
  std::vector<char> name(fileName.begin(), fileName.end());
  name.push_back('\0');
  return FLoad(parent, name.data(), 0);
}

int TListerModule::SearchText(wlx::HWND viewer, const std::u16string& text, int flags) const {
  std::vector<wlx::WCHAR> buffer = WideBuffer(text);
  return FSearchTextW(viewer, buffer.data(), flags);
}

int TListerModule::SendCommand(wlx::HWND viewer, int command, int parameter) const {
  return FSendCommand(viewer, command, parameter);
}

void TListerModule::Close(wlx::HWND viewer) const { FCloseWindow(viewer); }

std::string FindListerModule(const std::string& programFolder) {
  namespace fs = std::filesystem;
  const fs::path folder(programFolder);
  for (const fs::path& candidate : {folder / "Bramlet.wlx", folder / ".." / "lib" / "bramlet" / "Bramlet.wlx"}) {
    std::error_code error;
    if (fs::is_regular_file(candidate, error)) return fs::weakly_canonical(candidate, error).string();
  }
  return {};
}

}  // namespace bramlet
