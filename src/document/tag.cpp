// Document storage and the row handle: every row fact is derived on demand from
// the compact element records.
#include "document/tag.h"

#include <algorithm>
#include <limits>
#include <span>
#include <stdexcept>
#include <tuple>

#include "text/ascii.h"

namespace viewer {

namespace {

constexpr const char16_t* AttribLabels[] = {u"Offset", u"Header length", u"Length", u"Unused bits", u"Bit length"};

}  // namespace

// ---- TDocument

void TDocument::Clear() {
  FBytes = nullptr;
  FElements.Clear();
  FTopLevel = {};
  FOpen = {};
  FRootErrors = {};
  FFamilies = {};
  FBigTags = {};
  FLongHeaders = {};
  FCache = nullptr;
  FLastChild = {};
  FLastFamily = {};
}

void TDocument::Start(std::shared_ptr<const std::vector<std::uint8_t>> bytes, bool spaceInHex,
                      const asn::TOIDDictionary* oids) {
  FBytes = std::move(bytes);
  FSpaceInHex = spaceInHex;
  FOids = oids;
  FCache = nullptr;
}

void TDocument::Close(TOpen& open) {
  TElement& e = FElements[open.Index];
  e.End = static_cast<std::uint32_t>(FElements.Size());
  std::uint32_t count = open.Family.Count;
  if (count < pkChildCountMax) {
    e.Packed |= count << pkChildCountShift;
    return;
  }
  e.Packed |= pkChildCountMax << pkChildCountShift;
  open.Family.Samples.shrink_to_fit();
  FFamilies.emplace(open.Index, std::move(open.Family));
}

std::uint32_t TDocument::AddElement(const asn::TASNTag& tag, std::uint32_t parent) {
  if (FElements.Size() >= RootIndex - 1) throw std::length_error("Too many elements");
  auto index = static_cast<std::uint32_t>(FElements.Size());
  // The elements after parent's last child are closed: they have all theirs.
  while (!FOpen.empty() && FOpen.back().Index != parent) {
    Close(FOpen.back());
    FOpen.pop_back();
  }
  if (parent == RootIndex) {
    FTopLevel.push_back(index);
  } else {
    TFamily& family = FOpen.back().Family;
    if (family.Count != 0 && family.Count % Stride == 0) family.Samples.push_back(index);
    ++family.Count;
  }

  TElement e{};
  e.Offset = tag.Offset;
  e.Length = tag.Length;
  e.Parent = parent;
  e.End = index + 1;
  unsigned tagClass = tag.TagClass;
  e.Packed = (tagClass & pkClassMask) | (tag.Constructed ? pkConstructed : 0) |
             (tag.Encapsulates ? pkEncapsulates : 0) | (tag.Error.empty() ? 0 : pkFault);
  if (tag.TagLength < static_cast<std::int32_t>(pkSmallMax) && tag.LengthLength < static_cast<std::int32_t>(pkSmallMax)) {
    e.Packed |= (static_cast<std::uint32_t>(tag.TagLength) << pkTagLengthShift) |
                (static_cast<std::uint32_t>(tag.LengthLength) << pkLengthLengthShift);
  } else {
    e.Packed |= (pkSmallMax << pkTagLengthShift) | (pkSmallMax << pkLengthLengthShift);
    FLongHeaders.emplace(index, std::make_pair(tag.TagLength, tag.LengthLength));
  }
  if (tag.TagNumberFits && tag.TagNumber < pkTagNumberMax) {
    e.Packed |= static_cast<std::uint32_t>(tag.TagNumber) << pkTagNumberShift;
  } else {
    e.Packed |= pkTagNumberMax << pkTagNumberShift;
    // A number above 32 bits comes only as text.
    FBigTags.emplace(index, TBigTag{tag.TagNumberFits ? std::u16string() : tag.Tag, tag.TagNumber, tag.TagNumberFits});
  }
  FElements.PushBack(e);
  // A primitive element gets no children: it is complete as it stands.
  if (tag.Constructed || tag.Encapsulates) FOpen.push_back({index, {}});
  return index;
}

void TDocument::CreateErrorTag(std::u16string name, std::u16string text, std::int32_t offset) {
  FRootErrors.push_back({std::move(name), std::move(text), offset, TopLevelCount()});
}

std::int32_t TDocument::RootErrorsBefore(std::int32_t index) const {
  // Rows come in order, so their Before never decreases.
  auto after = std::upper_bound(FRootErrors.begin(), FRootErrors.end(), index,
                                [](std::int32_t i, const TRootError& e) { return i < e.Before; });
  return static_cast<std::int32_t>(after - FRootErrors.begin());
}

void TDocument::Finish() {
  while (!FOpen.empty()) {
    Close(FOpen.back());
    FOpen.pop_back();
  }
  FOpen.shrink_to_fit();
}

asn::TElementHeader TDocument::Header(std::uint32_t element) const {
  // Every walk over the document asks this once per element: the packed fields
  // are read in one go, and the side tables only for the rare large values.
  const TElement& e = At(element);
  const std::uint32_t packed = e.Packed;
  asn::TElementHeader header;
  header.TagClass = static_cast<asn::TASN1TagClasses>(packed & pkClassMask);
  header.Constructed = packed & pkConstructed;
  header.Encapsulates = packed & pkEncapsulates;
  header.Offset = e.Offset;
  header.Length = e.Length;
  const std::uint32_t number = packed >> pkTagNumberShift;
  if (number != pkTagNumberMax) [[likely]] {
    header.TagNumber = number;
  } else {
    const TBigTag& big = FBigTags.at(element);
    header.TagNumberFits = big.Fits;
    header.TagNumber = header.TagNumberFits ? static_cast<std::uint32_t>(big.Number) : 0;
  }
  std::tie(header.TagLength, header.LengthLength) = HeaderLengthsOf(element);
  return header;
}

std::uint32_t TDocument::Parent(std::uint32_t element) const {
  std::uint32_t parent = At(element).Parent;
  return parent == RootIndex ? asn::NoElement : parent;
}

std::uint32_t TDocument::ChildCount(std::uint32_t element) const {
  if (element == asn::NoElement) return static_cast<std::uint32_t>(FTopLevel.size());
  return ChildCountOf(element);
}

std::uint32_t TDocument::Child(std::uint32_t element, std::uint32_t index) const {
  if (element == asn::NoElement) return FTopLevel[index];
  return ChildOf(element, index);
}

const TDocument::TFamily& TDocument::FamilyOf(std::uint32_t index) const {
  if (FLastFamily.Index != index) FLastFamily = {index, &FFamilies.at(index)};
  return *FLastFamily.Family;
}

std::uint32_t TDocument::ChildCountOf(std::uint32_t index) const {
  std::uint32_t count = (At(index).Packed >> pkChildCountShift) & pkChildCountMax;
  return count < pkChildCountMax ? count : FamilyOf(index).Count;
}

bool TDocument::AskContentsHidden(std::uint32_t index) const { return FContentsHidden && FContentsHidden(index); }

std::uint32_t TDocument::ChildOf(std::uint32_t index, std::uint32_t child) const {
  // The first child follows its parent; each later one follows the previous
  // one's descendants. A large family's samples shorten the steps.
  // Walks in child order (rows, exports, searches) continue from the last answer.
  const std::uint32_t wanted = child;
  std::uint32_t at = index + 1;
  if (FLastChild.Parent == index && FLastChild.Child <= child && child - FLastChild.Child < Stride) {
    at = FLastChild.At;
    child -= FLastChild.Child;
  } else if (child >= Stride && ((At(index).Packed >> pkChildCountShift) & pkChildCountMax) == pkChildCountMax) {
    at = FamilyOf(index).Samples[child / Stride - 1];
    child %= Stride;
  }
  for (; child > 0; --child) at = At(at).End;
  FLastChild = {index, wanted, at};
  return at;
}

std::uint32_t TDocument::LastStartingAtOrBefore(std::int64_t offset) const {
  std::uint32_t low = 0;
  std::uint32_t high = ElementCount();  // the answer lies in [low, high)
  while (high - low > 1) {
    const std::uint32_t middle = low + (high - low) / 2;
    if (At(middle).Offset <= offset) {
      low = middle;
    } else {
      high = middle;
    }
  }
  return low;
}

TTag TDocument::TagByKey(std::uint64_t key) const {
  return TTag(this, static_cast<std::uint32_t>(key >> 8), static_cast<std::uint8_t>(key & 0xFF));
}

std::size_t TDocument::MemoryUsed() const {
  std::size_t bytes = FElements.MemoryUsed() + FTopLevel.capacity() * sizeof(std::uint32_t) +
                      FOpen.capacity() * sizeof(TOpen);
  // Hash nodes: the entry and about two pointers of bucket and link.
  for (const auto& [index, family] : FFamilies)
    bytes += sizeof(index) + sizeof(family) + 16 + family.Samples.capacity() * sizeof(std::uint32_t);
  for (const auto& [index, tag] : FBigTags) bytes += sizeof(index) + sizeof(tag) + 16 + tag.Text.capacity() * 2;
  bytes += FLongHeaders.size() * (sizeof(std::uint32_t) + 8 + 16);
  for (const auto& error : FRootErrors) bytes += sizeof(error) + (error.Name.size() + error.Text.size()) * 2;
  if (FCache) {
    for (std::size_t i = 0; i < CacheSize; ++i) {
      const asn::TASNTag& tag = FCache[i].Tag;
      bytes += sizeof(TCached) + (tag.Value.capacity() + tag.OIDDescr.capacity() + tag.Error.capacity()) * 2;
    }
  }
  return bytes;
}

std::int32_t TDocument::AttribCount(std::uint32_t index) const {
  const TElement& e = At(index);
  std::uint8_t universal = UniversalTagOf(e);
  std::int32_t count = 3;
  if (universal == asn::utBitString && !(e.Packed & pkConstructed) && e.Length != 0) ++count;
  if (universal == asn::utInteger && e.Length > 4) ++count;
  return count;
}

TAttribKind TDocument::AttribAt(std::uint32_t index, std::int32_t row) const {
  if (row < 3) return static_cast<TAttribKind>(row);
  return UniversalTagOf(At(index)) == asn::utBitString ? akUnusedBits : akBitLength;
}

std::pair<std::int32_t, std::int32_t> TDocument::HeaderLengthsOf(std::uint32_t index) const {
  const std::uint32_t packed = At(index).Packed;
  const std::uint32_t tagLength = (packed >> pkTagLengthShift) & pkSmallMax;
  // Long headers keep both lengths in the side table.
  if (tagLength == pkSmallMax) [[unlikely]] return FLongHeaders.at(index);
  return {static_cast<std::int32_t>(tagLength), static_cast<std::int32_t>((packed >> pkLengthLengthShift) & pkSmallMax)};
}

void TDocument::FillTagNumber(std::uint32_t index, asn::TASNTag& tag) const {
  const TElement& e = At(index);
  tag.TagClass = static_cast<asn::TASN1TagClasses>(TagClassOf(e));
  std::uint32_t number = e.Packed >> pkTagNumberShift;
  if (number == pkTagNumberMax) {
    // Above 32 bits only the text is kept; such a number names no universal type.
    const TBigTag& big = FBigTags.at(index);
    if (big.Fits && big.Number <= std::numeric_limits<std::uint32_t>::max()) {
      number = static_cast<std::uint32_t>(big.Number);
    } else {
      tag.Tag = big.Text;
      tag.TagNumberFits = false;
      return;
    }
  }
  tag.Tag = text::DecimalText(number);
  tag.TagNumber = number;
}

std::uint8_t TDocument::UniversalTagOf(const TElement& e) const {
  std::uint32_t number = e.Packed >> pkTagNumberShift;
  if (TagClassOf(e) != asn::ASN1Universal || number > 99) return asn::utNone;
  return static_cast<std::uint8_t>(number);
}

const asn::TASNTag& TDocument::Rendered(std::uint32_t index) const {
  if (!FCache) FCache = std::make_unique<TCached[]>(CacheSize);
  TCached& slot = FCache[index % CacheSize];
  if (slot.Index == index) return slot.Tag;
  slot.Index = RootIndex;
  asn::TASNTag& tag = slot.Tag;
  tag.Clear();
  const TElement& e = At(index);
  FillTagNumber(index, tag);
  tag.Constructed = e.Packed & pkConstructed;
  tag.Encapsulates = e.Packed & pkEncapsulates;
  tag.Offset = e.Offset;
  std::tie(tag.TagLength, tag.LengthLength) = HeaderLengthsOf(index);
  tag.Length = e.Length;
  if (!tag.Constructed && !tag.Encapsulates && FBytes) {
    std::span<const std::uint8_t> bytes(*FBytes);
    std::size_t start = static_cast<std::size_t>(e.Offset) + static_cast<std::size_t>(tag.HeaderLength());
    asn::RenderContents(tag, bytes.subspan(start, static_cast<std::size_t>(e.Length)), FSpaceInHex, FOids);
  }
  slot.Index = index;
  return tag;
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
      const asn::TASNTag& tag = FDoc->Rendered(FIndex);
      std::u16string text = tag.Value;
      if (!tag.OIDDescr.empty()) text.append(u" - ").append(tag.OIDDescr);
      return text;
    }
    case SlotElementError:
      return FDoc->Rendered(FIndex).Error;
    case SlotRootError:
      return FDoc->FRootErrors[FIndex].Text;
    default: {
      const auto& e = FDoc->At(FIndex);
      switch (static_cast<TAttribKind>(FSlot)) {
        case akOffset:
          return text::DecimalText(e.Offset);
        case akHeaderLength: {
          const auto [tagLength, lengthLength] = FDoc->HeaderLengthsOf(FIndex);
          return text::DecimalText(std::int64_t{tagLength} + lengthLength);
        }
        case akLength:
          return text::DecimalText(e.Length);
        case akUnusedBits:
          return text::DecimalText(FDoc->Rendered(FIndex).UnusedBits);
        case akBitLength:
          return text::DecimalText(FDoc->Rendered(FIndex).BitLength);
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
  return FDoc->Rendered(FIndex);
}

std::int32_t TTag::ChildsCount() const {
  if (FSlot == SlotRoot) return FDoc->TopLevelCount() + static_cast<std::int32_t>(FDoc->FRootErrors.size());
  if (FSlot != SlotElement) return 0;
  return FDoc->AttribCount(FIndex) + (FDoc->HasError(FDoc->At(FIndex)) ? 1 : 0) +
         static_cast<std::int32_t>(FDoc->ShownChildCountOf(FIndex));
}

TTag TTag::Childs(std::int32_t index) const {
  if (FSlot == SlotRoot) {
    // Error row j stands at row Before + j: the first row past index is found
    // by a search, and index is either that error row or an element.
    const auto& errors = FDoc->FRootErrors;
    std::size_t lo = 0, hi = errors.size();
    while (lo < hi) {
      const std::size_t mid = lo + (hi - lo) / 2;
      if (errors[mid].Before + static_cast<std::int32_t>(mid) < index)
        lo = mid + 1;
      else
        hi = mid;
    }
    if (lo < errors.size() && errors[lo].Before + static_cast<std::int32_t>(lo) == index)
      return TTag(FDoc, static_cast<std::uint32_t>(lo), SlotRootError);
    return TagChild(index - static_cast<std::int32_t>(lo));
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
  return static_cast<std::int32_t>(FDoc->ShownChildCountOf(FIndex));
}

std::int32_t TTag::TagChildsStart() const {
  if (FSlot != SlotElement) return 0;
  return FDoc->AttribCount(FIndex) + (FDoc->HasError(FDoc->At(FIndex)) ? 1 : 0);
}

std::int32_t TTag::RowOfTagChild(std::int32_t index) const {
  if (FSlot == SlotRoot) return index + FDoc->RootErrorsBefore(index);
  return TagChildsStart() + index;
}

TTag TTag::TagChild(std::int32_t index) const {
  if (FSlot == SlotRoot) return FDoc->Element(FDoc->FTopLevel[static_cast<std::size_t>(index)]);
  return FDoc->Element(FDoc->ChildOf(FIndex, static_cast<std::uint32_t>(index)));
}

bool TTag::HasChildren(bool withAttr) const {
  if (FSlot == SlotRoot) return ChildsCount() > 0;
  if (FSlot != SlotElement) return false;
  // Every element has at least its three attribute rows.
  if (withAttr) return true;
  const auto& e = FDoc->At(FIndex);
  return FDoc->HasError(e) || (e.End > FIndex + 1 && !FDoc->ContentsHidden(FIndex));
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
      const auto [tagLength, lengthLength] = FDoc->HeaderLengthsOf(FIndex);
      return tagLength + lengthLength + FDoc->At(FIndex).Length;
    }
    case SlotElementError:
    case SlotRootError:
      return 1;
    default:
      return 0;
  }
}

bool TTag::IsHex() const { return FSlot == SlotElement && FDoc->Rendered(FIndex).IsHex; }

bool TTag::Constructed() const {
  return FSlot == SlotElement && (FDoc->At(FIndex).Packed & TDocument::pkConstructed);
}

std::uint8_t TTag::UniversalTag() const {
  return FSlot == SlotElement ? FDoc->UniversalTagOf(FDoc->At(FIndex)) : std::uint8_t{asn::utNone};
}

std::uint32_t TTag::ElementIndex() const { return FSlot == SlotElement ? FIndex : asn::NoElement; }

std::uint64_t TTag::Key() const { return (std::uint64_t{FIndex} << 8) | FSlot; }

}  // namespace viewer
