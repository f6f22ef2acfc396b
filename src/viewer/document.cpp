// The document side of the viewer window: decoding a buffer into the node
// store, marking the role of every byte, and turning failures into rows.
#include <algorithm>

#include "settings/lang.h"
#include "settings/text.h"
#include "viewer/main.h"

namespace viewer {

namespace {

// "Not enough memory to show this file".
constexpr int NotEnoughMemoryText = 701;

const TBytes EmptyBytes = std::make_shared<const std::vector<std::uint8_t>>();

void MarkCells(TCellTypes& cells, std::int64_t from, std::int64_t count, TCellType kind) {
  auto size = static_cast<std::int64_t>(cells.size());
  from = std::clamp<std::int64_t>(from, 0, size);
  std::int64_t to = std::clamp<std::int64_t>(from + count, from, size);
  cells.Fill(static_cast<std::size_t>(from), static_cast<std::size_t>(to), kind);
}

// Marks the identifier and length octets of an element and, for a BIT STRING
// rendered by value or encapsulating, its unused-bits octet.
void MarkHeader(TCellTypes& cells, const asn::TASNTag& tag) {
  MarkCells(cells, tag.Offset, tag.TagLength, ctTag);
  MarkCells(cells, std::int64_t{tag.Offset} + tag.TagLength, tag.LengthLength, ctLength);
  if (tag.IsBitString() && tag.Length != 0 && !tag.Constructed)
    MarkCells(cells, std::int64_t{tag.Offset} + tag.HeaderLength(), 1, ctUnusedBits);
}

}  // namespace

TMainForm::TMainForm(platform::TPlatform& platform, std::u16string fileName)
    : Platform(platform), Bytes(EmptyBytes), FileName(std::move(fileName)) {}

void TMainForm::ParseASN(TBytes s) {
  ClearTree();
  Bytes = s ? std::move(s) : EmptyBytes;
  HexCellTypes.assign(Bytes->size());
  FDocument.Start(Bytes, Settings.SpaceInHex, OIDDictionary);

  // Entry k receives the elements found at depth k; entry 0 is the root.
  std::vector<std::uint32_t> parentList;
  parentList.reserve(12);
  parentList.push_back(TDocument::RootIndex);
  std::size_t level = 0;

  asn::TASNParser parser;
  parser.SpaceInHex = Settings.SpaceInHex;
  parser.OIDDictionary = OIDDictionary;
  parser.RenderValues = false;  // the document renders values when they are shown
  parser.OnNewConstructed = [&](const asn::TASNTag& tag) {
    std::uint32_t index = FDocument.AddElement(tag, parentList[level]);
    ++TagsCount;
    ++level;
    parentList.resize(level + 1);
    parentList[level] = index;
    MarkHeader(HexCellTypes, tag);
  };
  parser.OnNewPrimitive = [&](const asn::TASNTag& tag) {
    FDocument.AddElement(tag, parentList[level]);
    ++TagsCount;
    MarkHeader(HexCellTypes, tag);
  };
  parser.OnEndConstructed = [&] {
    if (level > 0) --level;
  };

  try {
    parser.Parse(*Bytes);
  } catch (...) {
    // Everything built before the failure stays walkable, and named.
    FDocument.Finish();
    BuildNames();
    throw;
  }
  FDocument.Finish();
  BuildNames();
}

void TMainForm::RunCaptured(const std::function<void()>& step) {
  try {
    step();
  } catch (const std::bad_alloc&) {
    // A part of a document would look complete; drop all of it, which also
    // gives the memory back, and say why in the user's language.
    ClearTree();
    Bytes = EmptyBytes;
    FDocument.CreateErrorTag(u"Fatal error", settings::GetLangTextById(NotEnoughMemoryText), -1);
  } catch (const asn::EParserException& e) {
    std::string offset = std::to_string(e.Offset);
    FDocument.CreateErrorTag(u"Fatal error", settings::Utf8ToUtf16(e.what() + std::string(" for tag at offset ") + offset),
                             e.Offset);
  } catch (const std::exception& e) {
    FDocument.CreateErrorTag(u"Fatal error", settings::Utf8ToUtf16(e.what()), -1);
  }
}

void TMainForm::ClearTree() {
  ClearViews();
  HexCellTypes = {};
  FNames.Clear();
  FDocument.Clear();
  FDerFindings.clear();
  TagsCount = 0;
  HexSel = {};
}

TTreeExpansion TMainForm::TreeExpansion() const {
  if (TagsCount < FullExpansionLimit) return TTreeExpansion::teAll;
  if (Root().ChildsCount() == 1) return TTreeExpansion::teFirstRow;
  return TTreeExpansion::teNone;
}

void TMainForm::FillTrees() {
  RunDerChecks();
  FillStructureTree();
  UpdateMainStatusBar();
  FillHexTree();
}

}  // namespace viewer
