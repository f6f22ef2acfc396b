// The decoded document of one viewer window: its nodes live in flat arrays owned
// by TDocument, and TTag is a small handle onto one row of it (an element, one of
// its attribute rows, an error row, or the root). Nothing is a heap object per
// node, so a CRL of millions of elements stays compact and frees in one step.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "asn/asn.h"
#include "asn/element_tree.h"
#include "viewer/chunked_array.h"

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
  // and error rows; at 0 for the root, whose error rows follow its elements.
  std::int32_t TagChildsStart() const;
  // withAttr: whether there is any child; otherwise whether any child is not an
  // attribute row.
  bool HasChildren(bool withAttr) const;
  TTag Parent() const;

  // Facts read straight from the document, without building a record.
  std::int32_t Offset() const;       // -1 for rows that cover no byte
  std::int32_t FullLength() const;   // 1 for an error row at an offset, else 0 for non-elements
  bool IsHex() const;
  bool Constructed() const;
  std::uint8_t UniversalTag() const;  // GetUniversalTag; 255 for non-elements

  // The element's index in its document (asn::IElementTree's numbering); only
  // for element rows.
  std::uint32_t ElementIndex() const { return FIndex; }
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
// before children) and Finish() indexes the children; until then only the top
// level can be walked.
class TDocument final : public asn::IElementTree {
 public:
  // Marks the root as the parent of a top-level element.
  static constexpr std::uint32_t RootIndex = 0xFFFFFFFFu;

  TTag Root() const { return TTag(this, 0, TTag::SlotRoot); }
  // Forgets every node (the root stays).
  void Clear();
  // Adds an element below parent (an index AddElement returned, or RootIndex)
  // and returns its index.
  std::uint32_t AddElement(const asn::TASNTag& tag, std::uint32_t parent);
  // Adds a top-level error row after everything already there.
  void CreateErrorTag(std::u16string name, std::u16string text, std::int32_t offset);
  // Builds the child index; call it once all elements are in.
  void Finish();

  std::uint32_t ElementCount() const override { return static_cast<std::uint32_t>(FElements.Size()); }
  asn::TElementHeader Header(std::uint32_t element) const override;
  std::uint32_t Parent(std::uint32_t element) const override;
  std::uint32_t ChildCount(std::uint32_t element) const override;
  std::uint32_t Child(std::uint32_t element, std::uint32_t index) const override;
  TTag Element(std::uint32_t index) const { return TTag(this, index, TTag::SlotElement); }
  TTag TagByKey(std::uint64_t key) const;
  // Bytes the document's arrays and text pool hold, for benchmarks.
  std::size_t MemoryUsed() const;

  // The attribute rows an element shows, in row order.
  std::int32_t AttribCount(std::uint32_t index) const;
  TAttribKind AttribAt(std::uint32_t index, std::int32_t row) const;

 private:
  friend class TTag;

  // Flags: the tag class in the low two bits, then these.
  enum : std::uint8_t {
    efClassMask = 3,
    efConstructed = 4,
    efEncapsulates = 8,
    efIsHex = 16,
    efBigTag = 32,         // tag number too long for TagNumber; text in FBigTags
    efTextLengths = 64,    // OIDDescr or Error present; their lengths lead the texts
    efLongTagLength = 128  // TagLength above 254; in FLongTagLengths
  };

  // The numeric facts of one element, 36 bytes. Its texts sit in one of the
  // pools at Text (FWidePool when WideText is set, else FNarrowPool, for texts
  // of U+0000..U+00FF only): with efTextLengths first the lengths of OIDDescr
  // and Error (4 octets each), then Value, OIDDescr and Error.
  struct TElement {
    std::uint32_t Text;
    std::uint32_t ValueLength;
    std::int32_t Offset;
    std::int32_t Length;
    std::int32_t BitLength;
    std::uint32_t Parent;
    std::uint32_t ChildCount;
    std::uint32_t TagNumber;
    std::uint8_t TagLength;
    std::uint8_t LengthLength;
    std::uint8_t UnusedBits;
    std::uint8_t Flags;
  };

  struct TRootError {
    std::u16string Name;
    std::u16string Text;
    std::int32_t Offset;
  };

  const TElement& At(std::uint32_t index) const { return FElements[index]; }
  static constexpr std::uint32_t WideText = 0x80000000u;
  std::u16string Value(const TElement& e) const;
  std::u16string Descr(const TElement& e) const;
  std::u16string Error(const TElement& e) const;
  // length units of the texts from skip units past the lengths on.
  std::u16string Pooled(const TElement& e, std::size_t skip, std::size_t length) const;
  // Sets the record's TagClass, Tag and TagNumber from element index.
  void FillTagNumber(std::uint32_t index, asn::TASNTag& tag) const;
  std::uint8_t UniversalTagOf(const TElement& e) const;
  std::uint32_t PooledLength(const TElement& e, std::size_t which) const;
  std::uint32_t DescrLength(const TElement& e) const { return PooledLength(e, 0); }
  std::uint32_t ErrorLength(const TElement& e) const { return PooledLength(e, 1); }
  bool HasError(const TElement& e) const { return ErrorLength(e) != 0; }
  std::int32_t TagLengthOf(std::uint32_t index) const;
  std::uint8_t TagClassOf(const TElement& e) const { return e.Flags & efClassMask; }
  std::int32_t TopLevelCount() const { return static_cast<std::int32_t>(FTopLevel.size()); }

  TChunkedArray<TElement> FElements;
  std::vector<std::uint32_t> FTopLevel;
  // Children of element i are FChildIndex[FChildStart[i] ... + ChildCount).
  // Both are sized once, by Finish.
  std::vector<std::uint32_t> FChildStart;
  std::vector<std::uint32_t> FChildIndex;
  TTextPool<unsigned char> FNarrowPool;
  TTextPool<char16_t> FWidePool;
  std::vector<TRootError> FRootErrors;
  std::unordered_map<std::uint32_t, std::u16string> FBigTags;
  std::unordered_map<std::uint32_t, std::int32_t> FLongTagLengths;
};

}  // namespace viewer
