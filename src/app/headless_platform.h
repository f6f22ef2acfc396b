// Platform services for a program without windows: no clipboard text, dialogs
// that cancel, a silent host, a display of fixed metrics.
#pragma once

#include "platform/platform.h"

namespace app {

class THeadlessClipboard : public platform::IClipboard {
 public:
  std::u16string GetText() override { return {}; }
  bool SetText(const std::u16string&) override { return false; }
};

class THeadlessDialogs : public platform::IDialogs {
 public:
  platform::TMessageBoxResult MessageBox(const std::u16string& text, const std::u16string& caption,
                                         platform::TMessageBoxKind kind) override;
  std::optional<std::u16string> SaveFileDialog(const std::u16string&, const std::u16string&, int*) override {
    return {};
  }
  std::optional<platform::TColor> ChooseColor(platform::TColor, std::span<const platform::TColor>, bool) override {
    return {};
  }
};

class THeadlessHost : public platform::IWindowHost {
 public:
  void Beep() override {}
  void SetBusyCursor(bool) override {}
  void PostKeyToParent(const platform::TKeyEvent&) override {}
  void ActivateParent() override {}
};

class THeadlessDisplay : public platform::IDisplay {
 public:
  platform::TColor GetSysColor(int) override { return 0; }
  std::vector<std::u16string> FontFamilies(bool) override { return {}; }
  int TextWidth(const std::u16string& text, const std::u16string&, int fontSize) override {
    return static_cast<int>(text.size()) * fontSize;
  }
  int TextHeight(const std::u16string&, int fontSize) override { return fontSize * 2; }
  int VerticalScrollBarWidth() override { return 16; }
  int PixelScalePercent() override { return 100; }
};

class THeadlessSystem : public platform::ISystem {
 public:
  std::string ModuleFolder() override { return {}; }
  std::string UserSettingsFolder() override { return {}; }
  bool CanWriteFolder(const std::string&) override { return false; }
  bool ReadIniFolderFlag() override { return false; }
  void WriteIniFolderFlag(bool) override {}
  std::optional<std::u16string> CodePageToUtf16(const std::string& bytes, unsigned codePage) override;
  unsigned DefaultCodePage() override { return 1252; }
  char16_t ThousandsSeparator() override { return u','; }
  // bramlet-dump opens no element info, the one user of digests.
  std::vector<std::uint8_t> Digest(platform::THashAlgorithm, std::span<const std::uint8_t>) override { return {}; }
};

struct THeadlessPlatform {
  THeadlessClipboard Clipboard;
  THeadlessDialogs Dialogs;
  THeadlessHost Host;
  THeadlessDisplay Display;
  THeadlessSystem System;
  platform::TPlatform Platform{Clipboard, Dialogs, Host, Display, System};
};

}  // namespace app
