// TMainForm, the viewer window: its document, where the document comes from,
// the views that show it and the commands that act on it. The class is split
// across several .cpp files by concern; this header lists them per section.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "settings/settings.h"
#include "viewer/tag.h"
#include "viewer/xml_export.h"

namespace viewer {

using TBytes = std::shared_ptr<const std::vector<std::uint8_t>>;

// First and last offset of the highlighted bytes, both inclusive; -1 for none.
struct THexSelection {
  std::int32_t First = -1;
  std::int32_t Last = -1;
  bool operator==(const THexSelection&) const = default;
};

// How FillTrees opens the structure tree.
enum class TTreeExpansion { teAll, teFirstRow, teNone };

// Documents of fewer elements than this are expanded completely when shown.
inline constexpr std::int32_t FullExpansionLimit = 10000;

class TMainForm {
 public:
  explicit TMainForm(platform::TPlatform& platform, std::u16string fileName = {});
  TMainForm(const TMainForm&) = delete;
  TMainForm& operator=(const TMainForm&) = delete;

  platform::TPlatform& Platform;
  settings::TSettings Settings;

  // ---- Document (document.cpp)
  TTag Root() const { return FDocument.Root(); }
  const TDocument& Document() const { return FDocument; }
  TBytes Bytes;  // the buffer last given to ParseASN, never null
  std::vector<TCellType> HexCellTypes;
  std::int32_t TagsCount = 0;
  THexSelection HexSel;

  // Replaces the document with the decoding of s. A malformed header leaves with
  // EParserException after everything before it has been added; callers wrap it
  // in RunCaptured.
  void ParseASN(TBytes s);
  // Runs a decoding step; a failure of the std::exception family becomes a
  // top-level "Fatal error" row and is considered handled.
  void RunCaptured(const std::function<void()>& step);
  void ClearTree();
  // Hands the finished document to the structure tree, status bar and hex panel.
  void FillTrees();
  TTreeExpansion TreeExpansion() const;

  // ---- Input (input.cpp)
  std::u16string FileName;
  bool FromBase64 = false;
  bool FromClipboard = false;
  // Armour searches that need more than this many PCRE2 match steps give up with
  // a "Fatal error" row instead of running on.
  std::uint32_t ArmourMatchLimit = DefaultArmourMatchLimit;
  static constexpr std::uint32_t DefaultArmourMatchLimit = 10'000'000;

  // Reads FileName and decodes it; leaves the document untouched for a text file
  // without armour. A file that cannot be read throws (std::ios_base::failure or
  // std::filesystem::filesystem_error) before anything changes.
  void LoadFile();
  // Decodes hexadecimal or Base64 text from the clipboard; beeps on anything else.
  void LoadFromClipboard();
  void Reload();

  // ---- XML export (xml_export.cpp)
  // Appends the lines of tag and everything below it; level 0 is the root.
  void WriteTag(TTag tag, IXmlLineSink& strList, std::int32_t level) const;
  // Asks for a file name and writes the document there; a failed write is
  // reported in a message box and leaves any existing file as it was.
  void SaveToXML();
  // The export file name offered for FileName: its file part with ".xml".
  std::u16string ProposedXmlName() const;

  // ---- Views (filled in by the views' own files; see main_view_hooks.cpp)
  void ClearViews();
  void FillStructureTree();
  void UpdateMainStatusBar();
  void FillHexTree();

 private:
  TDocument FDocument;
};

}  // namespace viewer
