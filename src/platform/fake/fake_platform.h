// In-memory platform for tests: every service answers from fields a test sets
// and records what the core asked of it.
#pragma once

#include <functional>
#include <deque>
#include <map>

#include "platform/platform.h"

namespace platform::fake {

class TFakeClipboard : public IClipboard {
 public:
  std::u16string Text;
  int FailingOpens = 0;  // the next SetText calls that fail
  int SetTextCalls = 0;
  std::u16string GetText() override { return Text; }
  bool SetText(const std::u16string& text) override;
};

struct TShownMessage {
  std::u16string Text;
  std::u16string Caption;
  TMessageBoxKind Kind;
};

class TFakeDialogs : public IDialogs {
 public:
  std::vector<TShownMessage> Messages;
  TMessageBoxResult NextAnswer = TMessageBoxResult::mrOk;
  std::optional<std::u16string> SaveFileAnswer;  // empty: the user cancels
  std::u16string LastFilter;
  std::u16string LastProposedName;
  int SaveFilterAnswer = 0;  // the filter the user chooses
  std::optional<std::u16string> OpenFileAnswer;  // empty: the user cancels
  std::u16string LastOpenTitle;
  std::optional<TColor> ColorAnswer;
  std::vector<TColor> LastCustomColors;  // as the last ChooseColor got them
  bool LastFullyOpen = false;
  TMessageBoxResult MessageBox(const std::u16string& text, const std::u16string& caption,
                               TMessageBoxKind kind) override;
  std::optional<std::u16string> SaveFileDialog(const std::u16string& filter, const std::u16string& proposedName,
                                               int* filterIndex) override;
  std::optional<std::u16string> OpenFileDialog(const std::u16string& filter, const std::u16string& title) override {
    LastFilter = filter;
    LastOpenTitle = title;
    return OpenFileAnswer;
  }
  std::optional<TColor> ChooseColor(TColor initial, std::span<const TColor> customColors,
                                    bool fullyOpen) override;
};

class TFakeWindowHost : public IWindowHost {
 public:
  int Beeps = 0;
  int ParentActivations = 0;
  std::vector<bool> BusyCursorChanges;
  std::vector<TKeyEvent> PostedKeys;
  void Beep() override { ++Beeps; }
  void SetBusyCursor(bool busy) override { BusyCursorChanges.push_back(busy); }
  void PostKeyToParent(const TKeyEvent& key) override { PostedKeys.push_back(key); }
  void ActivateParent() override { ++ParentActivations; }
};

// The fake metrics: 7 pixels per UTF-16 unit at 10 points, 16 pixels high,
// scaled by size, whatever the face and weight.
int FakeTextWidth(const std::u16string& text, int fontSize);
int FakeTextHeight(int fontSize);

// Text is measured with the fake metrics. A face that is not in Fonts is drawn
// in Substitute.
class TFakeDisplay : public IDisplay {
 public:
  std::map<int, TColor> SysColors{{5, 0xFFFFFF}, {13, 0xD77800}, {15, 0xF0F0F0}, {16, 0xA0A0A0}, {18, 0x000000}};
  std::vector<std::u16string> Fonts{u"Tahoma", u"Courier New", u"DejaVu Sans Mono"};
  std::vector<std::u16string> FixedFonts{u"Courier New", u"DejaVu Sans Mono"};
  std::u16string Substitute = u"DejaVu Sans Mono";
  int ScrollBarWidth = 17;
  int ScalePercent = 100;
  TColor GetSysColor(int index) override;
  std::vector<std::u16string> FontFamilies(bool fixedPitchOnly) override;
  int TextWidth(const std::u16string& text, const std::u16string& fontName, int fontSize) override;
  int TextHeight(const std::u16string& fontName, int fontSize) override;
  std::u16string UsedFontFamily(const std::u16string& fontName) override;
  int VerticalScrollBarWidth() override { return ScrollBarWidth; }
  int PixelScalePercent() override { return ScalePercent; }
};

// Code pages: 0 and 1252 map bytes 1:1 to U+0000..U+00FF (close enough for
// tests), 65001 is UTF-8, 1251 covers Cyrillic; anything else is unknown.
class TFakeSystem : public ISystem {
 public:
  std::string Folder = "/fake/module/";
  std::string UserFolder = "/fake/user/";
  std::vector<std::string> ReadOnlyFolders;  // every other folder is writable
  bool IniFolderFlag = false;
  int FlagWrites = 0;
  char16_t Separator = u',';
  std::string ModuleFolder() override { return Folder; }
  std::string UserSettingsFolder() override { return UserFolder; }
  bool CanWriteFolder(const std::string& folder) override;
  bool ReadIniFolderFlag() override { return IniFolderFlag; }
  void WriteIniFolderFlag(bool hostFolder) override;
  std::optional<std::u16string> CodePageToUtf16(const std::string& bytes, unsigned codePage) override;
  unsigned DefaultCodePage() override { return 1252; }
  char16_t ThousandsSeparator() override { return Separator; }
  // No crypto library of its own: tests that need digests set Digester (to
  // libcrypto's on Linux); without one every digest is empty.
  std::function<std::vector<std::uint8_t>(THashAlgorithm, std::span<const std::uint8_t>)> Digester;
  std::vector<std::uint8_t> Digest(THashAlgorithm algorithm, std::span<const std::uint8_t> data) override {
    return Digester ? Digester(algorithm, data) : std::vector<std::uint8_t>{};
  }
};

// All five fakes together, with the bundle the core takes.
struct TFakePlatform {
  TFakeClipboard Clipboard;
  TFakeDialogs Dialogs;
  TFakeWindowHost Host;
  TFakeDisplay Display;
  TFakeSystem System;
  TPlatform Platform{Clipboard, Dialogs, Host, Display, System};
};

}  // namespace platform::fake
