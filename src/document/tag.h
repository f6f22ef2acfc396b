// The decoded document of one viewer window: its nodes live in flat arrays owned
// by TDocument, and TTag is a small handle onto one row of it (an element, one of
// its attribute rows, an error row, or the root). Nothing is a heap object per
// node, so a CRL of millions of elements stays compact and frees in one step.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "asn/asn.h"
#include "asn/element_tree.h"
#include "document/chunked_array.h"

namespace viewer {

enum TTagType : std::uint8_t { ttRoot = 0, ttNode = 1, ttAttrib = 2, ttError = 3 };

// Role of one byte of the decoded buffer.
enum TCellType : std::uint8_t { ctData = 0, ctTag = 1, ctLength = 2, ctUnusedBits = 3 };

// The header facts an element shows as attribute rows, in row order.
enum TAttribKind : std::uint8_t { akOffset, akHeaderLength, akLength, akUnusedBits, akBitLength };

class TDocument;

// A row of the document. Cheap to copy (a document pointer, an index and a slot);
// valid until the document is cleared. A default-constructed TTag refers to
// nothing; Parent() of the root gives one.
class TTag {
 public:
  TTag() = default;

  bool IsValid() const { return FDoc != nullptr; }
  TTagType TagType() const;
  // Element name from GetTagName, the attribute label, "Error" or "Fatal error";
  // empty for the root.
  std::u16string Name() const;
  // Value (plus " - " and the OID description), the attribute's decimal value,
  // or the error message; empty for the root.
  std::u16string Text() const;
  // The element record as the parser delivered it. Attribute rows and the root
  // give a cleared record; error rows only Offset and TagLength 1.
  asn::TASNTag ASNTag() const;

  // Children of every kind: attribute rows, the error row, then elements.
  std::int32_t ChildsCount() const;
  TTag Childs(std::int32_t index) const;
  // Element children only (not attribute or error rows).
  std::int32_t GetTagChildsCount() const;
  TTag TagChild(std::int32_t index) const;
  // Where the element children begin among Childs: after an element's attribute
  // and error rows; at 0 for the root, whose error rows stand among its
  // elements, each after those decoded before it.
  std::int32_t TagChildsStart() const;
  // The index among Childs of the element child at index.
  std::int32_t RowOfTagChild(std::int32_t index) const;
  // withAttr: whether there is any child; otherwise whether any child is not an
  // attribute row.
  bool HasChildren(bool withAttr) const;
  TTag Parent() const;

  // Facts read straight from the document, without building a record.
  std::int32_t Offset() const;       // -1 for rows that cover no byte
  std::int32_t FullLength() const;   // 1 for an error row at an offset, else 0 for non-elements
  bool IsHex() const;
  bool Constructed() const;
  std::uint8_t UniversalTag() const;  // the record's UniversalTag; 255 for non-elements
  // The element's index in its document (as asn::IElementTree counts), or
  // asn::NoElement for the other rows.
  std::uint32_t ElementIndex() const;

  // A 64-bit key for a tree row's data slot; TDocument::TagByKey gives the row back.
  std::uint64_t Key() const;
  bool operator==(const TTag& other) const = default;

 private:
  friend class TDocument;
  // Slots of the row kinds below an element; the attribute slots are TAttribKind.
  static constexpr std::uint8_t SlotElement = 8;
  static constexpr std::uint8_t SlotElementError = 9;
  static constexpr std::uint8_t SlotRoot = 10;
  static constexpr std::uint8_t SlotRootError = 11;

  TTag(const TDocument* doc, std::uint32_t index, std::uint8_t slot) : FDoc(doc), FIndex(index), FSlot(slot) {}

  const TDocument* FDoc = nullptr;
  std::uint32_t FIndex = 0;
  std::uint8_t FSlot = 0;
};

// Owns every node of one document. Elements are appended in buffer order (parent
// before children) and Finish() closes the last open ones; until then only the
// top level can be walked. An element is a fixed record of header facts; its
// value text is rendered from the buffer when asked for (a few recent ones
// are kept), so the document costs about 20 bytes per element.
class TDocument final : public asn::IElementTree {
 public:
  // Marks the root as the parent of a top-level element.
  static constexpr std::uint32_t RootIndex = 0xFFFFFFFFu;

  TTag Root() const { return TTag(this, 0, TTag::SlotRoot); }
  // Forgets every node (the root stays) and the buffer.
  void Clear();
  // The buffer the elements will lie in and how their values render (what
  // TASNParser's SpaceInHex and OIDDictionary would be); before AddElement.
  void Start(std::shared_ptr<const std::vector<std::uint8_t>> bytes, bool spaceInHex,
             const asn::TOIDDictionary* oids);
  // Adds an element below parent (an index AddElement returned, or RootIndex)
  // and returns its index. Of the texts only Error counts, and only whether it
  // is empty: the texts are rendered again from the buffer when shown.
  std::uint32_t AddElement(const asn::TASNTag& tag, std::uint32_t parent);
  // Adds a top-level error row after everything already there.
  void CreateErrorTag(std::u16string name, std::u16string text, std::int32_t offset);
  // The top-level error rows, in row order.
  std::int32_t RootErrorCount() const { return static_cast<std::int32_t>(FRootErrors.size()); }
  TTag RootError(std::int32_t index) const { return TTag(this, static_cast<std::uint32_t>(index), TTag::SlotRootError); }
  // The index among the root's Childs of the error row at index.
  std::int32_t RootErrorRow(std::int32_t index) const {
    return FRootErrors[static_cast<std::size_t>(index)].Before + index;
  }
  // Closes the elements still open; call it once all elements are in.
  void Finish();

  std::uint32_t ElementCount() const override { return static_cast<std::uint32_t>(FElements.Size()); }
  asn::TElementHeader Header(std::uint32_t element) const override;
  std::uint32_t Parent(std::uint32_t element) const override;
  std::uint32_t ChildCount(std::uint32_t element) const override;
  std::uint32_t Child(std::uint32_t element, std::uint32_t index) const override;
  std::uint32_t SubtreeEnd(std::uint32_t element) const override { return At(element).End; }
  TTag Element(std::uint32_t index) const { return TTag(this, index, TTag::SlotElement); }
  TTag TagByKey(std::uint64_t key) const;
  // The last element whose header starts at or before offset (elements come
  // in the order of their offsets); 0 when none does.
  std::uint32_t LastStartingAtOrBefore(std::int64_t offset) const;
  // Bytes the document's records, side tables and value cache hold, for benchmarks.
  std::size_t MemoryUsed() const;
  // How values render, as Start was told.
  bool SpaceInHex() const { return FSpaceInHex; }
  const asn::TOIDDictionary* OIDDictionary() const { return FOids; }

  // Decides which elements whose contents were decoded as elements show them
  // as rows: one it answers true for shows none (its octets are its value),
  // and the rows and walks over TTag pass over them. The element tree
  // (ChildCount, Child) keeps them. Asked only about encapsulating elements.
  void SetContentsHidden(std::function<bool(std::uint32_t)> hidden) { FContentsHidden = std::move(hidden); }
  bool ContentsHidden(std::uint32_t index) const { return (At(index).Packed & pkEncapsulates) && AskContentsHidden(index); }
  asn::TASN1TagClasses TagClass(std::uint32_t index) const {
    return static_cast<asn::TASN1TagClasses>(TagClassOf(At(index)));
  }

  // The attribute rows an element shows, in row order.
  std::int32_t AttribCount(std::uint32_t index) const;
  TAttribKind AttribAt(std::uint32_t index, std::int32_t row) const;

 private:
  friend class TTag;

  // One element, 20 bytes: Offset and Length as the header gives them (the
  // indefinite form's Length includes the end-of-contents octets), the parent,
  // the index just past the element's last descendant (so the next sibling of
  // an element is its End), and the packed header facts below.
  struct TElement {
    std::int32_t Offset;
    std::int32_t Length;
    std::uint32_t Parent;
    std::uint32_t End;
    std::uint32_t Packed;
  };

  // Fields of TElement::Packed: the tag class in the low two bits, then flags,
  // then small fields whose top value means "in a side table".
  static constexpr std::uint32_t pkClassMask = 3;
  static constexpr std::uint32_t pkConstructed = 1u << 2;
  static constexpr std::uint32_t pkEncapsulates = 1u << 3;
  static constexpr std::uint32_t pkFault = 1u << 4;  // the value does not render: an error row
  static constexpr unsigned pkTagLengthShift = 5;     // 3 bits; 7: FLongHeaders
  static constexpr unsigned pkLengthLengthShift = 8;  // 3 bits; 7: FLongHeaders
  static constexpr unsigned pkChildCountShift = 11;   // 5 bits; 31: FFamilies
  static constexpr unsigned pkTagNumberShift = 16;    // 16 bits; 0xFFFF: FBigTags
  static constexpr std::uint32_t pkSmallMax = 7;
  static constexpr std::uint32_t pkChildCountMax = 31;
  static constexpr std::uint32_t pkTagNumberMax = 0xFFFF;
  // Every Stride-th child of a large family is kept, so reaching a child never
  // steps over more than Stride siblings.
  static constexpr std::uint32_t Stride = 16;

  struct TRootError {
    std::u16string Name;
    std::u16string Text;
    std::int32_t Offset;
    std::int32_t Before;  // top-level elements before the row
  };
  // Children of an element with more than pkChildCountMax - 1 of them.
  struct TFamily {
    std::uint32_t Count = 0;
    std::vector<std::uint32_t> Samples;  // child Stride, 2 Stride, ...
  };
  struct TBigTag {
    std::u16string Text;
    std::uint64_t Number;
    bool Fits;
  };
  // An element whose children are still arriving.
  struct TOpen {
    std::uint32_t Index;
    TFamily Family;
  };
  struct TCached {
    std::uint32_t Index = RootIndex;
    asn::TASNTag Tag;
  };
  static constexpr std::size_t CacheSize = 64;

  const TElement& At(std::uint32_t index) const { return FElements[index]; }
  std::uint8_t TagClassOf(const TElement& e) const { return e.Packed & pkClassMask; }
  bool HasError(const TElement& e) const { return e.Packed & pkFault; }
  // The element's identifier and length octet counts.
  std::pair<std::int32_t, std::int32_t> HeaderLengthsOf(std::uint32_t index) const;
  std::uint32_t ChildCountOf(std::uint32_t index) const;
  // FContentsHidden's answer, out of line: walks over every element test the flag first.
  bool AskContentsHidden(std::uint32_t index) const;
  // The element children its rows show: none when its contents are hidden.
  std::uint32_t ShownChildCountOf(std::uint32_t index) const {
    return ContentsHidden(index) ? 0 : ChildCountOf(index);
  }
  std::uint32_t ChildOf(std::uint32_t index, std::uint32_t child) const;
  const TFamily& FamilyOf(std::uint32_t index) const;
  std::uint8_t UniversalTagOf(const TElement& e) const;
  // Sets the record's TagClass, Tag, TagNumber and TagNumberFits.
  void FillTagNumber(std::uint32_t index, asn::TASNTag& tag) const;
  // The full record of an element, its value rendered; kept until CacheSize
  // other elements have been asked for.
  const asn::TASNTag& Rendered(std::uint32_t index) const;
  void Close(TOpen& open);
  std::int32_t TopLevelCount() const { return static_cast<std::int32_t>(FTopLevel.size()); }
  // How many root error rows stand before the element at top-level index.
  std::int32_t RootErrorsBefore(std::int32_t index) const;

  std::shared_ptr<const std::vector<std::uint8_t>> FBytes;
  bool FSpaceInHex = false;
  const asn::TOIDDictionary* FOids = nullptr;
  std::function<bool(std::uint32_t)> FContentsHidden;
  // Chunks of 10 MiB: five whole huge pages each, where the system offers them.
  TChunkedArray<TElement, 19> FElements;
  std::vector<std::uint32_t> FTopLevel;
  std::vector<TOpen> FOpen;
  std::vector<TRootError> FRootErrors;
  std::unordered_map<std::uint32_t, TFamily> FFamilies;
  std::unordered_map<std::uint32_t, TBigTag> FBigTags;
  std::unordered_map<std::uint32_t, std::pair<std::int32_t, std::int32_t>> FLongHeaders;
  mutable std::unique_ptr<TCached[]> FCache;
  // The last child found and the last large family looked up.
  mutable struct {
    std::uint32_t Parent = RootIndex;
    std::uint32_t Child = 0;
    std::uint32_t At = 0;
  } FLastChild;
  mutable struct {
    std::uint32_t Index = RootIndex;
    const TFamily* Family = nullptr;
  } FLastFamily;
};

}  // namespace viewer
