// The decoded document: decoding a buffer into the node store, marking the role
// of every byte, turning failures into rows, and the names and DER findings
// that are built beside the elements.
#include "document/document.h"

#include <algorithm>

#include "document/document_text.h"
#include "schema/der_schema_check.h"
#include "schema/schema_tables.h"
#include "text/ascii.h"
#include "text/utf.h"

namespace viewer {

namespace {

// "Not enough memory to show this file".
constexpr int NotEnoughMemoryText = 701;

const TBytes EmptyBytes = std::make_shared<const std::vector<std::uint8_t>>();

std::u16string Widen(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

// The element a row belongs to: itself, or the element an attribute or error row sits under.
std::uint32_t ElementOf(TTag tag) {
  if (tag.TagType() == ttAttrib || tag.TagType() == ttError) tag = tag.Parent();
  return tag.IsValid() ? tag.ElementIndex() : asn::NoElement;
}

// Every finding is of this rule: the encoding is BER, streamed.
bool OnlyIndefiniteLengths(std::span<const asn::TDerFinding> findings) {
  return std::all_of(findings.begin(), findings.end(),
                     [](const asn::TDerFinding& f) { return f.Rule() == asn::TDerRule::drIndefiniteLength; });
}

// The row a malformed header leaves: the message, where, and the offset.
void AddFatalError(TDocument& elements, const asn::EParserException& e) {
  std::string offset = std::to_string(e.Offset);
  elements.CreateErrorTag(u"Fatal error", text::Utf8ToUtf16(e.what() + std::string(" for tag at offset ") + offset),
                          e.Offset);
}

// Which blocks failed, in the language tables.
constexpr int BlockNotBerText = 621;   // "Block %0 of %1: not BER"
constexpr int BlocksNotBerText = 622;  // "Blocks %0 of %1: not BER"

// The verdicts of the DER checks, in the language tables.
constexpr int DerText = 605;
constexpr int NotBerText = 606;
constexpr int ProblemText = 607;            // "%0 DER problem"
constexpr int ProblemsText = 608;           // "%0 DER problems"
constexpr int IndefiniteLengthText = 609;   // "BER (%0 indefinite length)"
constexpr int IndefiniteLengthsText = 610;  // "BER (%0 indefinite lengths)"

}  // namespace

TDecodedDocument::TDecodedDocument(TDocumentOptions options, std::u16string fileName)
    : TDecodedDocument([options] { return options; }, std::move(fileName)) {}

TDecodedDocument::TDecodedDocument(TDocumentOptionsSource options, std::u16string fileName)
    : FOptions(std::move(options)), FFileName(std::move(fileName)), FBytes(EmptyBytes) {
  // Names are cleared while they are off, so this holds only with names on.
  FElements.SetContentsHidden([this](std::uint32_t element) { return FNames.IsOpaque(element); });
}

bool TDecodedDocument::EndsWithFatalError() const {
  const TTag root = Root();
  const std::int32_t rows = root.ChildsCount();
  return rows > 0 && root.Childs(rows - 1).TagType() == ttError;
}

std::int32_t TDecodedDocument::BlockCount() const {
  return FBlockStarts.empty() ? 1 : static_cast<std::int32_t>(FBlockStarts.size());
}

std::int32_t TDecodedDocument::FailedBlock(std::int32_t index) const {
  if (BlockCount() < 2 || index < 0 || static_cast<std::size_t>(index) >= FFailedBlocks.size()) return -1;
  return FFailedBlocks[static_cast<std::size_t>(index)];
}

std::u16string TDecodedDocument::FailedBlocksText(TTextById text) const {
  std::u16string numbers;
  std::size_t failed = 0;
  for (std::int32_t i = 0; i < FElements.RootErrorCount(); ++i) {
    const std::int32_t block = FailedBlock(i);
    if (block < 0) continue;
    if (failed++ > 0) numbers += u", ";
    numbers += text::DecimalText(std::int64_t{block} + 1);
  }
  if (failed == 0) return {};
  const std::u16string args[] = {numbers, text::DecimalText(BlockCount())};
  return text::Placeholders(text(failed == 1 ? BlockNotBerText : BlocksNotBerText), args);
}

void TDecodedDocument::ParseASN(TBytes s, std::vector<std::int32_t> blockStarts) {
  ClearTree();
  FBytes = s ? std::move(s) : EmptyBytes;
  FBlockStarts = std::move(blockStarts);
  const bool spaceInHex = Options().SpaceInHex;
  FElements.Start(FBytes, spaceInHex, OIDDictionary);

  // Entry k receives the elements found at depth k; entry 0 is the root.
  std::vector<std::uint32_t> parentList;
  parentList.reserve(12);
  parentList.push_back(TDocument::RootIndex);
  std::size_t level = 0;

  asn::TASNParser parser;
  parser.SpaceInHex = spaceInHex;
  parser.OIDDictionary = OIDDictionary;
  parser.RenderValues = false;  // the document renders values when they are shown
  parser.OnNewConstructed = [&](const asn::TASNTag& tag) {
    std::uint32_t index = FElements.AddElement(tag, parentList[level]);
    ++FTagsCount;
    ++level;
    parentList.resize(level + 1);
    parentList[level] = index;
  };
  parser.OnNewPrimitive = [&](const asn::TASNTag& tag) {
    FElements.AddElement(tag, parentList[level]);
    ++FTagsCount;
  };
  parser.OnEndConstructed = [&] {
    if (level > 0) --level;
  };

  const auto size = static_cast<std::int32_t>(std::min(FBytes->size(), asn::MaxInputSize));
  const std::size_t blocks = std::max<std::size_t>(FBlockStarts.size(), 1);
  for (std::size_t block = 0; block < blocks; ++block) {
    const std::int32_t from = FBlockStarts.empty() ? 0 : FBlockStarts[block];
    const std::int32_t to = block + 1 < blocks ? FBlockStarts[block + 1] : size;
    // A block starts at the top level, whatever the last one left open.
    level = 0;
    parentList.resize(1);
    try {
      parser.Parse(*FBytes, from, to);
    } catch (const asn::EParserException& e) {
      FFailedBlocks.push_back(static_cast<std::int32_t>(block));
      if (block + 1 < blocks) {
        AddFatalError(FElements, e);
        continue;
      }
      // Everything built before the failure stays walkable, and named.
      FElements.Finish();
      BuildNames();
      throw;
    } catch (...) {
      FElements.Finish();
      BuildNames();
      throw;
    }
  }
  FElements.Finish();
  BuildNames();
}

TCellType TDecodedDocument::ByteRole(std::size_t offset) const {
  const std::size_t start = offset - offset % RoleBlock;
  TRoleBlock& block = FRoleBlocks[(offset / RoleBlock) % RoleSlots];
  if (block.Start != start) {
    // Headers never overlap and elements come in the order of their offsets:
    // only the last element starting at or before the block can reach into it
    // from outside, and those after it up to the block's end start inside.
    block.Roles.fill(ctData);
    auto mark = [&](std::int64_t from, std::int64_t count, TCellType role) {
      const std::int64_t first = std::max<std::int64_t>(from, static_cast<std::int64_t>(start));
      const std::int64_t last = std::min<std::int64_t>(from + count, static_cast<std::int64_t>(start + RoleBlock));
      for (std::int64_t at = first; at < last; ++at) block.Roles[static_cast<std::size_t>(at) - start] = role;
    };
    const std::uint32_t count = FElements.ElementCount();
    for (std::uint32_t e = FElements.LastStartingAtOrBefore(static_cast<std::int64_t>(start)); e < count; ++e) {
      const asn::TElementHeader h = FElements.Header(e);
      if (h.Offset >= static_cast<std::int64_t>(start + RoleBlock)) break;
      mark(h.Offset, h.TagLength, ctTag);
      mark(std::int64_t{h.Offset} + h.TagLength, h.LengthLength, ctLength);
      // A BIT STRING rendered by value or encapsulating: its unused-bits octet.
      if (h.UniversalTag() == asn::utBitString && h.Length != 0 && !h.Constructed)
        mark(std::int64_t{h.Offset} + h.HeaderLength(), 1, ctUnusedBits);
    }
    block.Start = start;
  }
  return block.Roles[offset - start];
}

void TDecodedDocument::RunCaptured(const std::function<void()>& step) {
  try {
    step();
  } catch (const std::bad_alloc&) {
    // A part of a document would look complete; drop all of it, which also
    // gives the memory back, and say why in the user's language.
    ClearTree();
    FBytes = EmptyBytes;
    const TTextById text = Options().Text;
    FElements.CreateErrorTag(u"Fatal error", text != nullptr ? text(NotEnoughMemoryText) : std::u16string(), -1);
  } catch (const asn::EParserException& e) {
    AddFatalError(FElements, e);
  } catch (const std::exception& e) {
    FElements.CreateErrorTag(u"Fatal error", text::Utf8ToUtf16(e.what()), -1);
  }
}

void TDecodedDocument::ClearTree() {
  if (OnClear) OnClear();
  for (TRoleBlock& block : FRoleBlocks) block.Start = NoBlock;
  FNames.Clear();
  FTyped.Element = asn::NoElement;
  FElements.Clear();
  FDerFindings.clear();
  FDerChecks = TDerChecks::dcNone;
  FTagsCount = 0;
  FFailedBlocks.clear();
}

void TDecodedDocument::BuildNames() {
  FTyped.Element = asn::NoElement;
  if (!Options().FieldNames) {
    FNames.Clear();
    return;
  }
  FNames.Build(FElements, *FBytes, FPemLabel);
}

std::u16string TDecodedDocument::FieldLabel(TTag tag) const {
  if (!Options().FieldNames || !tag.IsValid() || tag.TagType() != ttNode) return {};
  return Widen(FNames.Label(tag.ElementIndex()));
}

std::u16string TDecodedDocument::FieldPath(TTag tag) const {
  if (!Options().FieldNames || !tag.IsValid()) return {};
  std::uint32_t element = ElementOf(tag);
  if (element == asn::NoElement) return {};
  return Widen(FNames.Path(element));
}

void TDecodedDocument::TypeOf(TTag tag) const {
  const std::uint32_t element = tag.ElementIndex();
  if (FTyped.Element == element) return;
  FTyped.Element = element;
  FTyped.Rendered = false;
  FTyped.Typed = false;
  FTyped.Type = nullptr;
  const schema::tables::TTypeNode* type = FNames.TypeNode(element);
  if (type == nullptr || type->Kind != schema::kPrimitive) return;
  // Only a string type's octets can be opaque: the names are asked no more than that.
  FTyped.Opaque = (type->Universal == asn::utBitString || type->Universal == asn::utOctetString) &&
                  FNames.IsOpaque(element);
  const bool tagged = FElements.TagClass(element) != asn::ASN1Universal;
  if (schema::MayReadByType(*type, FTyped.Opaque, tagged)) FTyped.Type = type;
}

const schema::TTypedValue* TDecodedDocument::TypedValue(TTag tag) const {
  if (!Options().FieldNames || !tag.IsValid() || tag.TagType() != ttNode) return nullptr;
  const std::uint32_t element = tag.ElementIndex();
  TypeOf(tag);
  if (!FTyped.Rendered && FTyped.Type != nullptr) {
    const asn::TElementHeader h = FElements.Header(element);
    // A constructed element has no value of its own; its length may be the indefinite form's.
    const std::span<const std::uint8_t> contents =
        h.Constructed ? std::span<const std::uint8_t>()
                      : std::span<const std::uint8_t>(*FBytes).subspan(static_cast<std::size_t>(h.Offset + h.HeaderLength()),
                                                                       static_cast<std::size_t>(h.Length));
    FTyped.Typed = schema::RenderTypedValue(FTyped.Value, *FTyped.Type, FTyped.Opaque, h, contents,
                                            FElements.SpaceInHex(), FElements.OIDDictionary());
  }
  FTyped.Rendered = true;
  return FTyped.Typed ? &FTyped.Value : nullptr;
}

std::u16string_view TDecodedDocument::ValueAlphabet(TTag tag) const {
  if (!Options().FieldNames || !tag.IsValid() || tag.TagType() != ttNode) return {};
  TypeOf(tag);
  return FTyped.Type != nullptr ? schema::TypedAlphabet(*FTyped.Type, FTyped.Opaque) : std::u16string_view{};
}

std::u16string TDecodedDocument::ValueText(TTag tag) const {
  const schema::TTypedValue* typed = TypedValue(tag);
  if (typed == nullptr) return tag.Text();
  if (typed->Description.empty()) return typed->Value;
  return typed->Value + u" - " + typed->Description;
}

std::u16string TDecodedDocument::CopiedValue(TTag tag) const {
  if (const schema::TTypedValue* typed = TypedValue(tag)) return typed->Value;
  return tag.TagType() == ttNode ? tag.ASNTag().Value : tag.Text();
}

bool TDecodedDocument::ValueIsHex(TTag tag) const {
  const schema::TTypedValue* typed = TypedValue(tag);
  return typed != nullptr ? typed->IsHex : tag.IsHex();
}

bool TDecodedDocument::ValueShortens(TTag tag) const {
  if (const schema::TTypedValue* typed = TypedValue(tag)) return typed->Shortens;
  return tag.IsHex() || (tag.TagType() == ttNode && tag.UniversalTag() == asn::utInteger);
}

std::u16string TDecodedDocument::RowText(TTag tag) const {
  std::u16string line = RowLine(tag, ValueText(tag));
  std::u16string label = FieldLabel(tag);
  if (label.empty()) return line;
  return label + u" " + line;
}

void TDecodedDocument::ScheduleDerChecks() {
  FDerFindings.clear();
  FFindingOctets.clear();
  FDerChecks = Options().DerChecks ? TDerChecks::dcDue : TDerChecks::dcNone;
}

void TDecodedDocument::RunDerChecks() {
  if (FDerChecks != TDerChecks::dcDue) return;
  FDerChecks = TDerChecks::dcNone;
  FDerFindings = CheckDer();
  FFindingOctets.clear();
  for (const asn::TDerFinding& f : FDerFindings)
    if (f.Length > 0) FFindingOctets.emplace_back(f.Offset, f.Offset + f.Length - 1);
  std::sort(FFindingOctets.begin(), FFindingOctets.end());
  std::size_t kept = 0;
  for (const auto& range : FFindingOctets) {
    if (kept > 0 && range.first <= FFindingOctets[kept - 1].second + 1) {
      FFindingOctets[kept - 1].second = std::max(FFindingOctets[kept - 1].second, range.second);
      continue;
    }
    FFindingOctets[kept++] = range;
  }
  FFindingOctets.resize(kept);
  FDerChecks = TDerChecks::dcDone;
}

bool TDecodedDocument::IsFindingOctet(std::int32_t offset) const {
  // The last range starting at or before offset is the only one that can hold it.
  auto after = std::upper_bound(FFindingOctets.begin(), FFindingOctets.end(), offset,
                                [](std::int32_t o, const auto& range) { return o < range.first; });
  return after != FFindingOctets.begin() && offset <= std::prev(after)->second;
}

std::vector<asn::TDerFinding> TDecodedDocument::CheckDer() const {
  asn::TDerOptions options;
  // Octets after a block's first element are trailing data, in a file as in
  // each armoured block of one; a paste is not checked for them.
  options.RawFile = !FFromClipboard;
  options.BlockStarts = FBlockStarts;
  std::vector<std::int32_t> fatalOffsets;
  for (std::int32_t i = 0; i < FElements.RootErrorCount(); ++i)
    fatalOffsets.push_back(std::max(0, FElements.RootError(i).Offset()));
  std::sort(fatalOffsets.begin(), fatalOffsets.end());  // a row without an offset may come last
  options.FatalOffsets = fatalOffsets;
  // The checks go by the elements' types, whether or not the names are shown:
  // without them the typing is built for the checks alone.
  schema::TNames unshown;
  const schema::TNames* names = &FNames;
  if (!Options().FieldNames) {
    unshown.Build(FElements, *FBytes, FPemLabel);
    names = &unshown;
  }
  const schema::TSchemaDerCheck schemaCheck(*names);
  const schema::TDerTyping typing(*names);
  const asn::IDerCheck* const extra[] = {&schemaCheck};
  options.Extra = extra;
  options.Typing = &typing;
  return asn::CheckDer(FElements, *FBytes, options);
}

std::span<const asn::TDerFinding> TDecodedDocument::FindingsOf(TTag tag) const {
  if (FDerFindings.empty() || !tag.IsValid() || tag.TagType() != ttNode) return {};
  const std::uint32_t element = tag.ElementIndex();
  auto byElement = [](const asn::TDerFinding& f, std::uint32_t e) { return f.Element < e; };
  auto first = std::lower_bound(FDerFindings.begin(), FDerFindings.end(), element, byElement);
  auto last = first;
  while (last != FDerFindings.end() && last->Element == element) ++last;
  return {first, last};
}

std::u16string TDecodedDocument::DerStatusText(TTextById text) const {
  if (!Options().DerChecks || FDerChecks != TDerChecks::dcDone || Root().ChildsCount() == 0) return {};
  // Decoding stopped at a malformed header.
  if (HasFatalError()) return text(NotBerText);
  if (FDerFindings.empty()) return text(DerText);
  if (OnlyIndefiniteLengths(FDerFindings))
    return CountedText(FDerFindings.size(), IndefiniteLengthText, IndefiniteLengthsText, text);
  return CountedText(FDerFindings.size(), ProblemText, ProblemsText, text);
}

std::span<const std::uint8_t> TDecodedDocument::ElementEncoding(TTag element) const {
  if (!element.IsValid() || element.TagType() != ttNode) return {};
  const std::span<const std::uint8_t> bytes(*FBytes);
  return bytes.subspan(static_cast<std::size_t>(element.Offset()), static_cast<std::size_t>(element.FullLength()));
}

}  // namespace viewer
