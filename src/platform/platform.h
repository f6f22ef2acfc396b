// Operating-system services the viewer needs, as small interfaces injected into
// the core. Qt, Win32 and an in-memory fake (for tests) implement them.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/keys.h"

namespace platform {

// 32-bit colour value: 0x00BBGGRR, or 0xFFnnnnnn for system colour index nn.
using TColor = std::uint32_t;

class IClipboard {
 public:
  virtual ~IClipboard() = default;
  // Unicode text on the clipboard; empty when it holds none.
  virtual std::u16string GetText() = 0;
  // Puts text on the clipboard; false when the clipboard could not be opened.
  virtual bool SetText(const std::u16string& text) = 0;
};

// mbQuestion asks Yes or No, with No as the default button; the others show OK.
enum class TMessageBoxKind { mbInformation, mbError, mbQuestion, mbWarning };
enum class TMessageBoxResult { mrOk, mrYes, mrNo };

class IDialogs {
 public:
  virtual ~IDialogs() = default;
  virtual TMessageBoxResult MessageBox(const std::u16string& text, const std::u16string& caption,
                                       TMessageBoxKind kind) = 0;
  // File-save dialog; filter in the "Name (*.x)|*.x|..." form. filterIndex, when
  // not null, is the filter shown first (from 0) and receives the one the user
  // chose. Empty optional on cancel.
  virtual std::optional<std::u16string> SaveFileDialog(const std::u16string& filter,
                                                       const std::u16string& proposedName, int* filterIndex) = 0;
  // File-open dialog for an existing file, titled title; filter as above.
  // Empty optional on cancel.
  virtual std::optional<std::u16string> OpenFileDialog(const std::u16string& filter, const std::u16string& title) = 0;
  // Standard colour chooser preset with initial and the custom-colour slots
  // (0x00BBGGRR, in order), opened with its full colour picker shown when
  // fullyOpen; empty optional on cancel.
  virtual std::optional<TColor> ChooseColor(TColor initial, std::span<const TColor> customColors,
                                            bool fullyOpen) = 0;
};

// Services tied to the viewer's window and the host around it.
class IWindowHost {
 public:
  virtual ~IWindowHost() = default;
  virtual void Beep() = 0;
  virtual void SetBusyCursor(bool busy) = 0;
  // Posts the key to the host's window as a key-down, with the modifiers held, so
  // that Shift+F3 reaches the host as Shift+F3.
  virtual void PostKeyToParent(const TKeyEvent& key) = 0;
  // Makes the host window that contains the viewer active again.
  virtual void ActivateParent() = 0;
};

// Shows the busy cursor for as long as it lives, also when the work fails.
class TBusyCursor {
 public:
  explicit TBusyCursor(IWindowHost& host) : FHost(host) { FHost.SetBusyCursor(true); }
  ~TBusyCursor() { FHost.SetBusyCursor(false); }
  TBusyCursor(const TBusyCursor&) = delete;
  TBusyCursor& operator=(const TBusyCursor&) = delete;

 private:
  IWindowHost& FHost;
};

class IDisplay {
 public:
  virtual ~IDisplay() = default;
  // A system colour index (5, 13, 16, ...) resolved to 0x00BBGGRR.
  virtual TColor GetSysColor(int index) = 0;
  virtual std::vector<std::u16string> FontFamilies(bool fixedPitchOnly) = 0;
  // Width in pixels of text in a font of that face and point size.
  virtual int TextWidth(const std::u16string& text, const std::u16string& fontName, int fontSize) = 0;
  // The same in the bold style of that face; back-ends without it measure regular.
  virtual int BoldTextWidth(const std::u16string& text, const std::u16string& fontName, int fontSize) {
    return TextWidth(text, fontName, fontSize);
  }
  virtual int TextHeight(const std::u16string& fontName, int fontSize) = 0;
  // The family the system draws with when asked for fontName: the name itself when
  // it is installed, else the substitute chosen for it.
  virtual std::u16string UsedFontFamily(const std::u16string& fontName) = 0;
  virtual int VerticalScrollBarWidth() = 0;
  // Pixels per logical pixel at 96 dpi, times 100 (100 = unscaled).
  virtual int PixelScalePercent() = 0;
};

// The digests the element toolbox shows.
enum class THashAlgorithm : std::uint8_t { haSha1, haSha256 };

class ISystem {
 public:
  virtual ~ISystem() = default;
  // Folder of the plug-in module (or program), with a trailing delimiter, UTF-8.
  virtual std::string ModuleFolder() = 0;
  // The user's own settings folder for this program, with a trailing delimiter,
  // UTF-8; it need not exist yet. Empty when the system knows none.
  virtual std::string UserSettingsFolder() = 0;
  // Whether this user may create and replace files in folder (UTF-8), as the
  // system's permissions and a read-only mount decide.
  virtual bool CanWriteFolder(const std::string& folder) = 0;
  // The stored INI-location flag: true for the host's folder. Missing reads as false.
  virtual bool ReadIniFolderFlag() = 0;
  virtual void WriteIniFolderFlag(bool hostFolder) = 0;
  // Converts 8-bit text in a Windows code page (0 = the system's default) to UTF-16.
  // Empty optional when the code page is unknown.
  virtual std::optional<std::u16string> CodePageToUtf16(const std::string& bytes, unsigned codePage) = 0;
  // The code page number that CodePageToUtf16(bytes, 0) uses.
  virtual unsigned DefaultCodePage() = 0;
  // The locale's thousands separator for "#,0" grouping.
  virtual char16_t ThousandsSeparator() = 0;
  // The digest of data, computed by the system's own crypto library (libcrypto,
  // CNG); empty when the library is missing or fails.
  virtual std::vector<std::uint8_t> Digest(THashAlgorithm algorithm, std::span<const std::uint8_t> data) = 0;
};

// Everything a viewer needs, as one bundle of references.
struct TPlatform {
  IClipboard& Clipboard;
  IDialogs& Dialogs;
  IWindowHost& Host;
  IDisplay& Display;
  ISystem& System;
};

}  // namespace platform
