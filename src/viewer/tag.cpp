// Document storage and the row handle: every row fact is derived on demand from
// the compact element records.
#include "viewer/tag.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <span>
#include <stdexcept>

#include "text/ascii.h"

namespace viewer {

namespace {

std::uint32_t CheckedTextLength(std::size_t length) {
  if (length > std::numeric_limits<std::uint32_t>::max()) throw std::length_error("Value text is too long");
  return static_cast<std::uint32_t>(length);
}

bool IsNarrow(std::span<const std::u16string_view> pieces) {
  for (std::u16string_view piece : pieces)
    for (char16_t c : piece)
      if (c > 0xFF) return false;
  return true;
}

// Units the two 32-bit text lengths take in a pool of TChar.
template <typename TChar>
constexpr std::size_t LengthUnits = 2 * sizeof(std::uint32_t) / sizeof(TChar);

// Writes the lengths (when given) and the pieces together; handle 0 for nothing.
template <typename TChar>
std::uint32_t StoreTexts(TTextPool<TChar>& pool, std::span<const std::u16string_view> pieces,
                         const std::uint32_t* lengths) {
  std::size_t count = lengths != nullptr ? LengthUnits<TChar> : 0;
  for (std::u16string_view piece : pieces) count += piece.size();
  if (count == 0) return 0;
  auto [handle, room] = pool.Allocate(count);
  if (lengths != nullptr) {
    std::memcpy(room, lengths, 2 * sizeof(std::uint32_t));
    room += LengthUnits<TChar>;
  }
  for (std::u16string_view piece : pieces)
    room = std::transform(piece.begin(), piece.end(), room, [](char16_t c) { return static_cast<TChar>(c); });
  return handle;
}

constexpr const char16_t* AttribLabels[] = {u"Offset", u"Header length", u"Length", u"Unused bits", u"Bit length"};

}  // namespace

// ---- TDocument

void TDocument::Clear() {
  FElements.Clear();
  FTopLevel = {};
  FChildStart = {};
  FChildIndex = {};
  FNarrowPool.clear();
  FWidePool.clear();
  FRootErrors = {};
  FBigTags = {};
  FLongTagLengths = {};
}

std::uint32_t TDocument::AddElement(const asn::TASNTag& tag, std::uint32_t parent) {
  if (FElements.Size() >= RootIndex) throw std::length_error("Too many elements");
  auto index = static_cast<std::uint32_t>(FElements.Size());
  TElement e{};
  e.ValueLength = CheckedTextLength(tag.Value.size());
  e.Offset = tag.Offset;
  e.Length = tag.Length;
  e.BitLength = tag.BitLength;
  e.Parent = parent;
  e.LengthLength = static_cast<std::uint8_t>(tag.LengthLength);
  e.UnusedBits = tag.UnusedBits;
  unsigned tagClass = tag.TagClass;
  e.Flags = static_cast<std::uint8_t>((tagClass & efClassMask) | (tag.Constructed ? efConstructed : 0) |
                                      (tag.Encapsulates ? efEncapsulates : 0) | (tag.IsHex ? efIsHex : 0));
  if (tag.TagLength < 255) {
    e.TagLength = static_cast<std::uint8_t>(tag.TagLength);
  } else {
    e.Flags |= efLongTagLength;
    FLongTagLengths.emplace(index, tag.TagLength);
  }
  // Tag numbers of 32 bits fit the numeric field; larger ones keep their text.
  if (tag.TagNumberFits && tag.TagNumber <= std::numeric_limits<std::uint32_t>::max()) {
    e.TagNumber = static_cast<std::uint32_t>(tag.TagNumber);
  } else {
    e.Flags |= efBigTag;
    FBigTags.emplace(index, tag.Tag);
  }
  std::uint32_t lengths[2] = {0, 0};
  if (!tag.OIDDescr.empty() || !tag.Error.empty()) {
    e.Flags |= efTextLengths;
    lengths[0] = CheckedTextLength(tag.OIDDescr.size());
    lengths[1] = CheckedTextLength(tag.Error.size());
  }
  const std::u16string_view pieces[] = {tag.Value, tag.OIDDescr, tag.Error};
  if (IsNarrow(pieces))
    e.Text = StoreTexts(FNarrowPool, pieces, e.Flags & efTextLengths ? lengths : nullptr);
  else
    e.Text = StoreTexts(FWidePool, pieces, e.Flags & efTextLengths ? lengths : nullptr) | WideText;
  FElements.PushBack(e);
  if (parent == RootIndex)
    FTopLevel.push_back(index);
  else
    ++FElements[parent].ChildCount;
  return index;
}

void TDocument::CreateErrorTag(std::u16string name, std::u16string text, std::int32_t offset) {
  FRootErrors.push_back({std::move(name), std::move(text), offset});
}

void TDocument::Finish() {
  std::size_t count = FElements.Size();
  FChildStart.assign(count, 0);
  std::uint32_t next = 0;
  for (std::size_t i = 0; i < count; ++i) {
    FChildStart[i] = next;
    next += FElements[i].ChildCount;
  }
  FChildIndex.assign(next, 0);
  // Elements arrive parent first and children in order, so one pass places them;
  // FChildStart runs ahead as a fill cursor and is wound back afterwards.
  for (std::size_t i = 0; i < count; ++i) {
    std::uint32_t parent = FElements[i].Parent;
    if (parent == RootIndex) continue;
    FChildIndex[FChildStart[parent]++] = static_cast<std::uint32_t>(i);
  }
  for (std::size_t i = 0; i < count; ++i) FChildStart[i] -= FElements[i].ChildCount;
}

asn::TElementHeader TDocument::Header(std::uint32_t element) const {
  const TElement& e = At(element);
  asn::TElementHeader header;
  header.TagClass = static_cast<asn::TASN1TagClasses>(TagClassOf(e));
  header.TagNumberFits = !(e.Flags & efBigTag);
  header.TagNumber = header.TagNumberFits ? e.TagNumber : 0;
  header.Constructed = e.Flags & efConstructed;
  header.Encapsulates = e.Flags & efEncapsulates;
  header.Offset = e.Offset;
  header.TagLength = TagLengthOf(element);
  header.LengthLength = e.LengthLength;
  header.Length = e.Length;
  return header;
}

std::uint32_t TDocument::Parent(std::uint32_t element) const {
  std::uint32_t parent = At(element).Parent;
  return parent == RootIndex ? asn::NoElement : parent;
}

std::uint32_t TDocument::ChildCount(std::uint32_t element) const {
  if (element == asn::NoElement) return static_cast<std::uint32_t>(FTopLevel.size());
  return At(element).ChildCount;
}

std::uint32_t TDocument::Child(std::uint32_t element, std::uint32_t index) const {
  if (element == asn::NoElement) return FTopLevel[index];
  return FChildIndex[FChildStart[element] + index];
}

TTag TDocument::TagByKey(std::uint64_t key) const {
  return TTag(this, static_cast<std::uint32_t>(key >> 8), static_cast<std::uint8_t>(key & 0xFF));
}

std::size_t TDocument::MemoryUsed() const {
  std::size_t bytes = FElements.MemoryUsed() + FNarrowPool.MemoryUsed() + FWidePool.MemoryUsed() +
                      (FTopLevel.capacity() + FChildStart.capacity() + FChildIndex.capacity()) * sizeof(std::uint32_t);
  for (const auto& [index, text] : FBigTags) bytes += sizeof(index) + text.capacity() * sizeof(char16_t) + 32;
  bytes += FLongTagLengths.size() * 32;
  for (const auto& error : FRootErrors) bytes += sizeof(error) + (error.Name.size() + error.Text.size()) * 2;
  return bytes;
}

std::int32_t TDocument::AttribCount(std::uint32_t index) const {
  const TElement& e = At(index);
  std::uint8_t universal = UniversalTagOf(e);
  std::int32_t count = 3;
  if (universal == asn::utBitString && !(e.Flags & efConstructed) && e.Length != 0) ++count;
  if (universal == asn::utInteger && e.Length > 4) ++count;
  return count;
}

TAttribKind TDocument::AttribAt(std::uint32_t index, std::int32_t row) const {
  if (row < 3) return static_cast<TAttribKind>(row);
  return UniversalTagOf(At(index)) == asn::utBitString ? akUnusedBits : akBitLength;
}

std::uint32_t TDocument::PooledLength(const TElement& e, std::size_t which) const {
  if (!(e.Flags & efTextLengths)) return 0;
  const void* at = (e.Text & WideText) ? static_cast<const void*>(FWidePool.Data(e.Text & ~WideText))
                                       : static_cast<const void*>(FNarrowPool.Data(e.Text));
  std::uint32_t length = 0;
  std::memcpy(&length, static_cast<const unsigned char*>(at) + which * sizeof(length), sizeof(length));
  return length;
}

std::u16string TDocument::Pooled(const TElement& e, std::size_t skip, std::size_t length) const {
  if (length == 0) return {};
  bool lengths = e.Flags & efTextLengths;
  if (e.Text & WideText) {
    const char16_t* at = FWidePool.Data(e.Text & ~WideText) + (lengths ? LengthUnits<char16_t> : 0) + skip;
    return std::u16string(at, length);
  }
  const unsigned char* at = FNarrowPool.Data(e.Text) + (lengths ? LengthUnits<unsigned char> : 0) + skip;
  return std::u16string(at, at + length);
}

std::u16string TDocument::Value(const TElement& e) const { return Pooled(e, 0, e.ValueLength); }

std::u16string TDocument::Descr(const TElement& e) const { return Pooled(e, e.ValueLength, DescrLength(e)); }

std::u16string TDocument::Error(const TElement& e) const {
  return Pooled(e, std::size_t{e.ValueLength} + DescrLength(e), ErrorLength(e));
}

std::int32_t TDocument::TagLengthOf(std::uint32_t index) const {
  const TElement& e = At(index);
  return (e.Flags & efLongTagLength) ? FLongTagLengths.at(index) : e.TagLength;
}

void TDocument::FillTagNumber(std::uint32_t index, asn::TASNTag& tag) const {
  const TElement& e = At(index);
  tag.TagClass = static_cast<asn::TASN1TagClasses>(TagClassOf(e));
  if (e.Flags & efBigTag) {
    // Above 32 bits only the text is kept; such a number names no universal type.
    tag.Tag = FBigTags.at(index);
    tag.TagNumberFits = false;
    return;
  }
  tag.Tag = text::DecimalText(e.TagNumber);
  tag.TagNumber = e.TagNumber;
}

std::uint8_t TDocument::UniversalTagOf(const TElement& e) const {
  if (TagClassOf(e) != asn::ASN1Universal || (e.Flags & efBigTag) || e.TagNumber > 99) return asn::utNone;
  return static_cast<std::uint8_t>(e.TagNumber);
}

// ---- TTag

TTagType TTag::TagType() const {
  switch (FSlot) {
    case SlotRoot:
      return ttRoot;
    case SlotElement:
      return ttNode;
    case SlotElementError:
    case SlotRootError:
      return ttError;
    default:
      return ttAttrib;
  }
}

std::u16string TTag::Name() const {
  switch (FSlot) {
    case SlotRoot:
      return {};
    case SlotElement: {
      asn::TASNTag tag;
      FDoc->FillTagNumber(FIndex, tag);
      return tag.GetTagName();
    }
    case SlotElementError:
      return u"Error";
    case SlotRootError:
      return FDoc->FRootErrors[FIndex].Name;
    default:
      return AttribLabels[FSlot];
  }
}

std::u16string TTag::Text() const {
  switch (FSlot) {
    case SlotRoot:
      return {};
    case SlotElement: {
      const auto& e = FDoc->At(FIndex);
      std::u16string text = FDoc->Value(e);
      if (FDoc->DescrLength(e) != 0) text.append(u" - ").append(FDoc->Descr(e));
      return text;
    }
    case SlotElementError:
      return FDoc->Error(FDoc->At(FIndex));
    case SlotRootError:
      return FDoc->FRootErrors[FIndex].Text;
    default: {
      const auto& e = FDoc->At(FIndex);
      switch (static_cast<TAttribKind>(FSlot)) {
        case akOffset:
          return text::DecimalText(e.Offset);
        case akHeaderLength:
          return text::DecimalText(std::int64_t{FDoc->TagLengthOf(FIndex)} + e.LengthLength);
        case akLength:
          return text::DecimalText(e.Length);
        case akUnusedBits:
          return text::DecimalText(e.UnusedBits);
        case akBitLength:
          return text::DecimalText(e.BitLength);
      }
      return {};
    }
  }
}

asn::TASNTag TTag::ASNTag() const {
  asn::TASNTag tag;
  if (FSlot == SlotElementError || FSlot == SlotRootError) {
    tag.Offset = Offset();
    tag.TagLength = 1;
    return tag;
  }
  if (FSlot != SlotElement) return tag;
  const auto& e = FDoc->At(FIndex);
  FDoc->FillTagNumber(FIndex, tag);
  tag.Constructed = e.Flags & TDocument::efConstructed;
  tag.Encapsulates = e.Flags & TDocument::efEncapsulates;
  tag.Offset = e.Offset;
  tag.TagLength = FDoc->TagLengthOf(FIndex);
  tag.LengthLength = e.LengthLength;
  tag.Length = e.Length;
  tag.UnusedBits = e.UnusedBits;
  tag.BitLength = e.BitLength;
  tag.Value = FDoc->Value(e);
  tag.OIDDescr = FDoc->Descr(e);
  tag.IsHex = e.Flags & TDocument::efIsHex;
  tag.Error = FDoc->Error(e);
  return tag;
}

std::int32_t TTag::ChildsCount() const {
  if (FSlot == SlotRoot) return FDoc->TopLevelCount() + static_cast<std::int32_t>(FDoc->FRootErrors.size());
  if (FSlot != SlotElement) return 0;
  const auto& e = FDoc->At(FIndex);
  return FDoc->AttribCount(FIndex) + (FDoc->HasError(e) ? 1 : 0) + static_cast<std::int32_t>(e.ChildCount);
}

TTag TTag::Childs(std::int32_t index) const {
  if (FSlot == SlotRoot) {
    std::int32_t top = FDoc->TopLevelCount();
    if (index < top) return TagChild(index);
    return TTag(FDoc, static_cast<std::uint32_t>(index - top), SlotRootError);
  }
  std::int32_t attribs = FDoc->AttribCount(FIndex);
  if (index < attribs) return TTag(FDoc, FIndex, FDoc->AttribAt(FIndex, index));
  index -= attribs;
  if (FDoc->HasError(FDoc->At(FIndex))) {
    if (index == 0) return TTag(FDoc, FIndex, SlotElementError);
    --index;
  }
  return TagChild(index);
}

std::int32_t TTag::GetTagChildsCount() const {
  if (FSlot == SlotRoot) return FDoc->TopLevelCount();
  if (FSlot != SlotElement) return 0;
  return static_cast<std::int32_t>(FDoc->At(FIndex).ChildCount);
}

std::int32_t TTag::TagChildsStart() const {
  if (FSlot != SlotElement) return 0;
  return FDoc->AttribCount(FIndex) + (FDoc->HasError(FDoc->At(FIndex)) ? 1 : 0);
}

TTag TTag::TagChild(std::int32_t index) const {
  if (FSlot == SlotRoot) return FDoc->Element(FDoc->FTopLevel[index]);
  return FDoc->Element(FDoc->FChildIndex[FDoc->FChildStart[FIndex] + index]);
}

bool TTag::HasChildren(bool withAttr) const {
  if (FSlot == SlotRoot) return ChildsCount() > 0;
  if (FSlot != SlotElement) return false;
  // Every element has at least its three attribute rows.
  if (withAttr) return true;
  const auto& e = FDoc->At(FIndex);
  return FDoc->HasError(e) || e.ChildCount > 0;
}

TTag TTag::Parent() const {
  switch (FSlot) {
    case SlotRoot:
      return {};
    case SlotRootError:
      return FDoc->Root();
    case SlotElement: {
      std::uint32_t parent = FDoc->At(FIndex).Parent;
      return parent == TDocument::RootIndex ? FDoc->Root() : FDoc->Element(parent);
    }
    default:
      return FDoc->Element(FIndex);
  }
}

std::int32_t TTag::Offset() const {
  switch (FSlot) {
    case SlotElement:
      return FDoc->At(FIndex).Offset;
    case SlotElementError:
      return -1;
    case SlotRootError:
      return FDoc->FRootErrors[FIndex].Offset;
    default:
      return 0;
  }
}

std::int32_t TTag::FullLength() const {
  switch (FSlot) {
    case SlotElement: {
      const auto& e = FDoc->At(FIndex);
      return FDoc->TagLengthOf(FIndex) + e.LengthLength + e.Length;
    }
    case SlotElementError:
    case SlotRootError:
      return 1;
    default:
      return 0;
  }
}

bool TTag::IsHex() const { return FSlot == SlotElement && (FDoc->At(FIndex).Flags & TDocument::efIsHex); }

bool TTag::Constructed() const {
  return FSlot == SlotElement && (FDoc->At(FIndex).Flags & TDocument::efConstructed);
}

std::uint8_t TTag::UniversalTag() const {
  return FSlot == SlotElement ? FDoc->UniversalTagOf(FDoc->At(FIndex)) : std::uint8_t{asn::utNone};
}

std::uint32_t TTag::ElementIndex() const { return FSlot == SlotElement ? FIndex : asn::NoElement; }

std::uint64_t TTag::Key() const { return (std::uint64_t{FIndex} << 8) | FSlot; }

}  // namespace viewer
