// The logic of the seven exported host functions, free of any toolkit. Each
// front-end keeps one TListPlugin from library load to unload and forwards its
// extern "C" functions to it; every method here is already fenced, so nothing
// thrown inside reaches the host.
#pragma once

#include <cstdint>
#include <string>

#include "asn/asn.h"
#include "platform/platform.h"
#include "plugin/viewer_registry.h"
#include "plugin/viewer_window.h"
#include "plugin/wlx_abi.h"

namespace plugin {

// Host result codes.
inline constexpr int ListOk = 0;
inline constexpr int ListError = 1;
// The only search flag read: search upwards from the focused row.
inline constexpr int ListSearchBackwards = 8;

// The extensions offered to the host, in its detect-string syntax.
inline constexpr char DetectString[] =
    "EXT=\"BER\"|EXT=\"DER\"|EXT=\"CER\"|EXT=\"PEM\"|EXT=\"KEY\"|EXT=\"PFX\"|EXT=\"P10\"|"
    "EXT=\"P12\"|EXT=\"P7B\"|EXT=\"P7S\"|EXT=\"SIG\"|EXT=\"SGN\"|EXT=\"STL\"|EXT=\"CAT\"|"
    "EXT=\"CRT\"|EXT=\"CSR\"|EXT=\"CRL\"";

// How the host's 8-bit strings (file names, its INI name) are encoded: UTF-8
// on Linux, whatever the locale says; the system's code page on Windows.
enum class TEightBitText : std::uint8_t { etUtf8, etSystemCodePage };

// The process-wide state of the module. Constructing it is the library's
// start-up (OID dictionary from the module folder, INI path, English table);
// destroying it is the unload (open viewers destroyed unsaved, then those three
// freed in reverse). Only one may exist at a time.
class TListPlugin {
 public:
  TListPlugin(platform::TPlatform& platform, IWindowFactory& windows,
              TEightBitText eightBitText = TEightBitText::etSystemCodePage);
  ~TListPlugin();
  TListPlugin(const TListPlugin&) = delete;
  TListPlugin& operator=(const TListPlugin&) = delete;

  // Copies at most maxLen - 1 characters of DetectString and a NUL; a null
  // buffer or a size below 1 is left alone.
  static void ListGetDetectString(char* detectString, int maxLen) noexcept;
  // Takes the host's INI file name from its parameter record (null: ignored).
  void ListSetDefaultParams(const wlx::TListDefaultParamStruct* params) noexcept;
  // Opens a viewer for fileName as a child of listerWin: its window handle, or 0
  // when the file yields no document or anything else fails, and then no window
  // or registry entry is left behind. fileName is the host's 8-bit text for
  // ListLoad.
  THandle ListLoad(THandle listerWin, const std::string& fileName) noexcept;
  THandle ListLoadW(THandle listerWin, const std::u16string& fileName) noexcept;
  // 0 when a row was found or the handle is no viewer's; 1 when nothing matched
  // or the search failed.
  int ListSearchTextW(THandle listWin, const std::u16string& searchString, int searchParameter) noexcept;
  static int ListSendCommand(THandle listWin, int command, int parameter) noexcept;
  // Saves the viewer's settings and destroys it; unknown handles are ignored.
  // The viewer is destroyed even when saving fails.
  void ListCloseWindow(THandle listWin) noexcept;

  const TViewerRegistry& Viewers() const { return FViewers; }
  // The descriptions every viewer's decoding uses, read at start-up.
  const asn::TOIDDictionary& OIDDictionary() const { return FOIDDictionary; }
  // The viewer whose window has this handle; null for none.
  viewer::TMainForm* FindForm(THandle handle) const;

  // A test aid, off unless the environment's BRAMLET_TRACE names a file: one
  // line per host call, appended there, so a test sees what a host did.
  static void Trace(const std::string& line) noexcept;

 private:
  platform::TPlatform& FPlatform;
  IWindowFactory& FWindows;
  TEightBitText FEightBitText;
  // Before the viewers, which point at it, so it outlives them.
  asn::TOIDDictionary FOIDDictionary;
  TViewerRegistry FViewers;

  THandle CreateViewer(THandle listerWin, const std::u16string& fileName);
  THandle Load(THandle listerWin, const std::u16string& fileName, const char* exportName);
  std::optional<std::u16string> EightBitToUtf16(const std::string& text) const;
  // The focused row of the viewer's structure tree, as "name value @offset".
  std::string FocusedRow(THandle handle) const;
};

}  // namespace plugin
