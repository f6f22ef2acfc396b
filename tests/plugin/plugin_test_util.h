// Shared by the plug-in tests: a fake window that logs what the core does to it,
// and a fixture with the plug-in loaded over a temporary module folder.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "../viewer/main_form_probe.h"
#include "platform/fake/fake_platform.h"
#include "plugin/listplug_core.h"
#include "settings/store.h"

namespace plugin::test {

namespace fs = std::filesystem;

inline const fs::path SamplesDir = fs::path(BRAMLET_SOURCE_DIR) / "samples";
constexpr THandle ListerHandle = 0x5150;

// What happened to the fake windows, in order, as one line per event.
using TWindowLog = std::vector<std::string>;

class TFakeWindow : public IViewerWindow {
 public:
  TFakeWindow(viewer::TMainForm& form, TWindowLog& log, THandle handle, bool failCreate, bool failShow)
      : FForm(form), FLog(log), FHandle(handle), FFailCreate(failCreate), FFailShow(failShow) {}

  void Create(THandle parent) override {
    FLog.push_back("create " + std::to_string(FHandle) + " in " + std::to_string(parent));
    if (FFailCreate) throw std::runtime_error("no window");
    FCreated = true;
  }
  void Show() override {
    FLog.push_back("show " + std::to_string(FHandle));
    if (FFailShow) throw std::runtime_error("cannot show");
  }
  THandle Handle() const override { return FCreated ? FHandle : 0; }
  // Records whether the document and the tree rows were already gone.
  void Destroy() noexcept override {
    FLog.push_back("destroy " + std::to_string(FHandle) +
                   " rows=" + std::to_string(Probe(FForm).TreeVT().RootNodeCount()) +
                   " elements=" + std::to_string(Probe(FForm).Root().ChildsCount()));
  }

 private:
  viewer::TMainForm& FForm;
  TWindowLog& FLog;
  THandle FHandle;
  bool FFailCreate;
  bool FFailShow;
  bool FCreated = false;
};

class TFakeWindowFactory : public IWindowFactory {
 public:
  TWindowLog Log;
  bool FailCreate = false;
  bool FailShow = false;
  THandle NextHandle = 100;
  // What the front-end sets on each new form (its dialog runner, for one).
  std::function<void(viewer::TMainForm&)> Prepare;
  std::unique_ptr<IViewerWindow> NewWindow(viewer::TMainForm& form) override {
    if (Prepare) Prepare(form);
    return std::make_unique<TFakeWindow>(form, Log, NextHandle++, FailCreate, FailShow);
  }
};

inline std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

inline void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

class ListPlugin : public testing::Test {
 protected:
  platform::fake::TFakePlatform FFake;
  TFakeWindowFactory FWindows;
  fs::path FModuleDir;
  std::unique_ptr<TListPlugin> FPlugin;

  void SetUp() override {
    FModuleDir = fs::temp_directory_path() /
                 ("bramlet-plugin-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(FModuleDir);
    fs::create_directories(FModuleDir);
    WriteBytes(FModuleDir / "oid.txt", "2.5.4.3=commonName (module copy)\n");
    FFake.System.Folder = FModuleDir.string() + "/";
    FPlugin = std::make_unique<TListPlugin>(FFake.Platform, FWindows);
  }
  void TearDown() override {
    FPlugin.reset();
    fs::remove_all(FModuleDir);
  }

  fs::path IniPath() const { return FModuleDir / settings::IniFileName; }
  THandle Load(const fs::path& file) { return FPlugin->ListLoadW(ListerHandle, file.u16string()); }
  viewer::TMainForm& Form(THandle handle) {
    viewer::TMainForm* form = FPlugin->FindForm(handle);
    if (form == nullptr) throw std::logic_error("no viewer for handle");
    return *form;
  }
};

}  // namespace plugin::test
