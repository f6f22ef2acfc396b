// Find: a walk over the document's rows in the structure tree's order, asking a
// row matcher of each row whether its name, its text or the hexadecimal digits
// of the bytes it stands for hold the wanted text.
#include "viewer/finder.h"

#include <algorithm>
#include <array>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>

#include "document/document.h"
#include "viewer/find_match.h"

namespace viewer {

namespace {

using find::FoldInto;
using find::TValueTest;

// Whether a row holds the wanted text (folded). Keeps, for the rest of one
// search, the answers that depend only on a tag (its name) or on an OBJECT
// IDENTIFIER's contents (its text), and reads the buffer's digits once.
class TRowMatcher {
 public:
  TRowMatcher(const TDecodedDocument& doc, std::u16string wanted, bool backwards, bool names)
      : FDoc(doc), FBytes(*doc.Bytes()), FWanted(std::move(wanted)), FNames(names), FValueMatcher(FWanted),
        FSpacedHex(doc.Elements().SpaceInHex()), FFilter(FWanted) {
    std::u16string hexText;
    for (char16_t c : FWanted)
      if (c != u' ') hexText += c;
    // Only hexadecimal digits can be among the bytes' digits.
    const bool hexDigits = !hexText.empty() && std::all_of(hexText.begin(), hexText.end(), [](char16_t c) {
      return text::HexDigitValue(c) >= 0;
    });
    if (hexDigits) FDigits.emplace(FBytes, hexText, backwards);
    FSmallNames.fill(-1);
    FAttribNames.fill(-1);
  }
  TRowMatcher(const TRowMatcher&) = delete;
  TRowMatcher& operator=(const TRowMatcher&) = delete;

  bool ElementMatches(TTag tag);
  // kind: the attribute row's kind when the caller knows it, else -1.
  bool RowMatches(TTag tag, int kind);
  // Whether an attribute row of this kind is known not to match: its name
  // does not, and its number cannot.
  bool AttribRuledOut(int kind) const {
    return FAttribNames[static_cast<std::size_t>(kind)] == 0 && !FFilter.Decimal();
  }

 private:
  bool Contains(std::u16string_view text);
  // The same for a field label, whose characters widen one by one.
  bool LabelContains(const std::string& label) const;
  // Whether the octets from offset on, fullLength of them, hold the digits.
  bool OctetsContain(std::int64_t offset, std::int32_t fullLength);
  bool BytesContain(TTag tag);
  // Whether wanted is made of a value alphabet's characters; the alphabets
  // are a few constant texts, so the last answer is kept.
  bool WithinAlphabet(std::u16string_view alphabet);
  bool NameMatches(TTag tag, const asn::TElementHeader& h);
  bool ValueMatches(TTag tag, const asn::TElementHeader& h);
  bool RenderedMatches(TTag tag, const asn::TElementHeader& h, std::span<const std::uint8_t> contents);

  const TDecodedDocument& FDoc;
  std::span<const std::uint8_t> FBytes;
  const std::u16string FWanted;
  const bool FNames;
  std::optional<find::THexDigitsFinder> FDigits;
  // The value texts that are hexadecimal digits are read from the contents.
  find::TStreamMatcher FValueMatcher;
  const bool FSpacedHex;
  const find::TValueFilter FFilter;
  std::u16string FFolded;
  std::array<std::int8_t, 4 * 64> FSmallNames;
  std::unordered_map<std::uint64_t, bool> FOtherNames;
  std::array<std::int8_t, 5> FAttribNames;
  std::unordered_map<std::string, bool> FOidTexts;
  std::u16string_view FLastAlphabet;
  bool FLastWithin = false;
};

bool TRowMatcher::Contains(std::u16string_view text) {
  const std::size_t n = FWanted.size();
  if (text.size() < n) return false;
  if (text.size() > 64) {
    FoldInto(text, FFolded);
    return FFolded.find(FWanted) != std::u16string::npos;
  }
  // Most rows have short texts: compare in place rather than copy.
  for (std::size_t i = 0; i + n <= text.size(); ++i) {
    std::size_t k = 0;
    while (k < n && text::UpperCase(text[i + k]) == FWanted[k]) ++k;
    if (k == n) return true;
  }
  return false;
}

bool TRowMatcher::LabelContains(const std::string& label) const {
  const std::size_t n = FWanted.size();
  for (std::size_t i = 0; i + n <= label.size(); ++i) {
    std::size_t k = 0;
    while (k < n && text::UpperCase(static_cast<char16_t>(label[i + k])) == FWanted[k]) ++k;
    if (k == n) return true;
  }
  return false;
}

bool TRowMatcher::OctetsContain(std::int64_t offset, std::int32_t fullLength) {
  const auto size = static_cast<std::int64_t>(FBytes.size());
  if (!FDigits || offset < 0 || offset >= size) return false;
  return FDigits->Holds(offset, std::min<std::int64_t>(size, offset + std::max(0, fullLength)));
}

bool TRowMatcher::BytesContain(TTag tag) {
  const bool coversBytes = tag.TagType() == ttNode || (tag.TagType() == ttError && tag.Parent().TagType() == ttRoot);
  return FDigits && coversBytes && OctetsContain(tag.Offset(), tag.FullLength());
}

bool TRowMatcher::WithinAlphabet(std::u16string_view alphabet) {
  if (alphabet.data() != FLastAlphabet.data()) {
    FLastAlphabet = alphabet;
    FLastWithin = find::Within(FWanted, alphabet);
  }
  return FLastWithin;
}

bool TRowMatcher::NameMatches(TTag tag, const asn::TElementHeader& h) {
  if (h.TagNumberFits && h.TagNumber < 64) {
    std::int8_t& known = FSmallNames[h.TagClass * 64 + h.TagNumber];
    if (known < 0) known = Contains(tag.Name()) ? 1 : 0;
    return known == 1;
  }
  if (!h.TagNumberFits) return Contains(tag.Name());
  const auto key = (std::uint64_t{h.TagClass} << 32) | h.TagNumber;
  auto it = FOtherNames.find(key);
  if (it == FOtherNames.end()) it = FOtherNames.emplace(key, Contains(tag.Name())).first;
  return it->second;
}

bool TRowMatcher::ValueMatches(TTag tag, const asn::TElementHeader& h) {
  const std::span<const std::uint8_t> contents =
      h.Constructed ? std::span<const std::uint8_t>()
                    : FBytes.subspan(static_cast<std::size_t>(h.Offset) + static_cast<std::size_t>(h.HeaderLength()),
                                     static_cast<std::size_t>(h.Length));
  // Only a primitive element has a typed value.
  const bool typing = FNames && !h.Constructed;
  const std::u16string_view alphabet = typing ? FDoc.ValueAlphabet(tag) : std::u16string_view();
  // Neither text the value may show can hold the wanted one.
  if (!alphabet.empty() && !WithinAlphabet(alphabet)) return false;
  if (const schema::TTypedValue* typed = typing ? FDoc.TypedValue(tag) : nullptr)
    return Contains(typed->Value) || (!typed->Description.empty() && Contains(FDoc.ValueText(tag)));
  // An element whose value fails to render has an error row after its attribute rows.
  auto faulted = [&] { return tag.TagChildsStart() > FDoc.Elements().AttribCount(tag.ElementIndex()); };
  switch (FFilter.Test(h, contents, faulted)) {
    case TValueTest::vtNone:
      return false;
    case TValueTest::vtHex:
      return find::HexTextHolds(FValueMatcher, contents, FSpacedHex);
    case TValueTest::vtRendered:
      return RenderedMatches(tag, h, contents);
  }
  return false;
}

bool TRowMatcher::RenderedMatches(TTag tag, const asn::TElementHeader& h, std::span<const std::uint8_t> contents) {
  if (h.UniversalTag() != asn::utObjectIdentifier || h.TagClass != asn::ASN1Universal || FFilter.DottedOnly())
    return Contains(tag.Text());
  // Only the description can hold the text; OBJECT IDENTIFIERs repeat.
  std::string key(contents.begin(), contents.end());
  auto it = FOidTexts.find(key);
  if (it == FOidTexts.end()) it = FOidTexts.emplace(std::move(key), Contains(tag.Text())).first;
  return it->second;
}

bool TRowMatcher::ElementMatches(TTag tag) {
  const std::uint32_t element = tag.ElementIndex();
  const asn::TElementHeader h = FDoc.Elements().Header(element);
  if (NameMatches(tag, h) || ValueMatches(tag, h)) return true;
  if (FNames && LabelContains(FDoc.Names().Label(element))) return true;
  return OctetsContain(h.Offset, h.FullLength());
}

bool TRowMatcher::RowMatches(TTag tag, int kind) {
  switch (tag.TagType()) {
    case ttNode:
      return ElementMatches(tag);
    case ttAttrib: {
      bool name;
      if (kind >= 0) {
        std::int8_t& known = FAttribNames[static_cast<std::size_t>(kind)];
        if (known < 0) known = Contains(tag.Name()) ? 1 : 0;
        name = known == 1;
      } else {
        name = Contains(tag.Name());
      }
      return name || (FFilter.Decimal() && Contains(tag.Text()));
    }
    default:
      return Contains(tag.Name()) || Contains(tag.Text()) || (FNames && Contains(FDoc.FieldLabel(tag))) ||
             BytesContain(tag);
  }
}

// The document's rows in order are, for each element in document order, the
// element, its attribute rows and its error row (its element children come
// next, as the next elements); the root's error rows stand each after the
// top-level elements decoded before it. A position is an element and a row
// below it: -1 for the element itself, then the indexes of its Childs, and
// before -1 the root's error rows just ahead of a top-level element; element
// ElementCount stands for the root, whose error rows after every element are
// TopLevelCount and up, as among its Childs. Walks them without building a row.
class TElementWalk {
 public:
  explicit TElementWalk(const TDecodedDocument& doc);

  // Starts at the first row; false when there is none.
  bool StartAtFirst();
  // Starts at row; false for a row that is not one of the document's.
  bool Start(TTag row);
  // Steps to the next (or previous) position; false past either end.
  bool Step(bool backwards);
  // Whether the position is one of the root's error rows, and which.
  bool AtRootRow() const { return E == FElementCount || Sub < -1; }
  TTag RootRow() const { return FElements.RootError(RootErrorAt()); }
  // The child indexes from the root down to the row at the position.
  TRowPath Path() const;

  std::int64_t E = 0;
  std::int32_t Sub = -1;
  // The current element's row count below it and attribute row count.
  std::int32_t End = 0;
  std::int32_t Attribs = 0;

 private:
  // The root's error rows just ahead of a top-level element: the first one's
  // index among them, and how many.
  struct TErrorRun {
    std::uint32_t Element;
    std::int32_t First;
    std::int32_t Count;
  };
  const TErrorRun* RunBefore(std::int64_t e) const;
  std::int32_t RootErrorAt() const {
    return E == FElementCount ? Sub - FTopLevel : RunBefore(E)->First + (Sub - FirstSub(E));
  }
  bool StartAtRootRow(TTag row);
  std::int32_t FirstSub(std::int64_t e) const {
    if (e == FElementCount) return FTopLevel + FEndErrors;
    const TErrorRun* run = RunBefore(e);
    return -1 - (run != nullptr ? run->Count : 0);
  }
  std::int32_t EndSub(std::int64_t e) const {
    return e < FElementCount ? FElements.Element(static_cast<std::uint32_t>(e)).TagChildsStart() : FRootRows;
  }
  void Enter() {
    End = EndSub(E);
    Attribs = E < FElementCount ? FElements.AttribCount(static_cast<std::uint32_t>(E)) : 0;
  }
  // The elements in row order: an element whose contents its rows leave out
  // (an opaque field) is followed by the element after them.
  std::int64_t NextShown(std::int64_t e) const {
    const auto element = static_cast<std::uint32_t>(e);
    return FElements.ContentsHidden(element) ? FElements.SubtreeEnd(element) : e + 1;
  }
  std::int64_t PreviousShown(std::int64_t e) const;

  const TDocument& FElements;
  const TTag FRoot;
  const std::int64_t FElementCount;
  const std::int32_t FTopLevel;
  const std::int32_t FRootRows;
  std::vector<TErrorRun> FErrorRuns;  // in element order
  std::int32_t FEndErrors = 0;         // the first of the root's error rows after every element
};

TElementWalk::TElementWalk(const TDecodedDocument& doc)
    : FElements(doc.Elements()), FRoot(doc.Root()), FElementCount(FElements.ElementCount()),
      FTopLevel(FRoot.GetTagChildsCount()), FRootRows(FRoot.ChildsCount()) {
  const std::int32_t errors = FElements.RootErrorCount();
  FEndErrors = errors;
  for (std::int32_t j = 0; j < errors; ++j) {
    const std::int32_t before = FElements.RootErrorRow(j) - j;  // top-level elements ahead of it
    if (before == FTopLevel) {
      FEndErrors = j;
      break;
    }
    const std::uint32_t element = FRoot.TagChild(before).ElementIndex();
    if (!FErrorRuns.empty() && FErrorRuns.back().Element == element)
      ++FErrorRuns.back().Count;
    else
      FErrorRuns.push_back({element, j, 1});
  }
}

const TElementWalk::TErrorRun* TElementWalk::RunBefore(std::int64_t e) const {
  auto run = std::lower_bound(FErrorRuns.begin(), FErrorRuns.end(), e,
                              [](const TErrorRun& r, std::int64_t element) { return r.Element < element; });
  return run != FErrorRuns.end() && run->Element == e ? &*run : nullptr;
}

bool TElementWalk::StartAtRootRow(TTag row) {
  for (std::int32_t j = 0; j < FElements.RootErrorCount(); ++j) {
    if (FElements.RootError(j) != row) continue;
    const std::int32_t before = FElements.RootErrorRow(j) - j;
    E = before == FTopLevel ? FElementCount : FRoot.TagChild(before).ElementIndex();
    Enter();
    Sub = E == FElementCount ? FTopLevel + j : FirstSub(E) + (j - RunBefore(E)->First);
    return true;
  }
  return false;
}

bool TElementWalk::StartAtFirst() {
  if (FRootRows == 0) return false;
  E = 0;
  Sub = FirstSub(0);
  Enter();
  return true;
}

bool TElementWalk::Start(TTag row) {
  if (!row.IsValid()) return false;
  switch (row.TagType()) {
    case ttNode:
      E = row.ElementIndex();
      Sub = -1;
      Enter();
      return true;
    case ttAttrib:
    case ttError: {
      const TTag parent = row.Parent();
      if (parent.TagType() == ttRoot) return StartAtRootRow(row);
      E = parent.ElementIndex();
      Enter();
      for (Sub = 0; Sub < End; ++Sub)
        if (parent.Childs(Sub) == row) return true;
      return false;
    }
    default:
      return false;
  }
}

// Backwards: e - 1 unless it lies in contents left out, then the outermost
// element that leaves them out. Only the elements between e - 1 and e's parent
// are looked at, each once over a whole walk.
std::int64_t TElementWalk::PreviousShown(std::int64_t e) const {
  const auto before = static_cast<std::uint32_t>(e - 1);
  const std::uint32_t stop = e == FElementCount ? asn::NoElement : FElements.Parent(static_cast<std::uint32_t>(e));
  if (before == stop) return e - 1;
  std::int64_t shown = e - 1;
  for (std::uint32_t up = FElements.Parent(before); up != stop; up = FElements.Parent(up))
    if (FElements.ContentsHidden(up)) shown = up;
  return shown;
}

bool TElementWalk::Step(bool backwards) {
  if (!backwards) {
    if (++Sub < End) return true;
    if (E == FElementCount) return false;
    E = NextShown(E);
    Sub = FirstSub(E);
    Enter();
    return E < FElementCount || Sub < End;
  }
  if (--Sub >= FirstSub(E)) return true;
  if (E == 0) return false;
  E = PreviousShown(E);
  Enter();
  Sub = End - 1;
  return true;
}

TRowPath TElementWalk::Path() const {
  if (AtRootRow()) return TRowPath{FElements.RootErrorRow(RootErrorAt())};
  TRowPath indexes;
  if (Sub >= 0) indexes.push_back(Sub);
  for (auto element = static_cast<std::uint32_t>(E); element != asn::NoElement;) {
    const std::uint32_t parent = FElements.Parent(element);
    // Children lie in increasing index order: a binary search for element's place.
    std::uint32_t lo = 0, hi = FElements.ChildCount(parent);
    while (hi - lo > 1) {
      const std::uint32_t mid = lo + (hi - lo) / 2;
      if (FElements.Child(parent, mid) <= element)
        lo = mid;
      else
        hi = mid;
    }
    const TTag parentRow = parent == asn::NoElement ? FRoot : FElements.Element(parent);
    indexes.push_back(parentRow.RowOfTagChild(static_cast<std::int32_t>(lo)));
    element = parent;
  }
  std::reverse(indexes.begin(), indexes.end());
  return indexes;
}

// The rows as the tree nests them, for a start outside the document's rows (a
// problem row of the DER checks): the document holds the same rows in the
// same order as the tree (attribute rows hidden while attributes are), so no
// tree row has to be built for the rows it passes. Keeps the parent and index
// of each level down to the current row.
class TNestedWalk {
 public:
  TNestedWalk(TTag root, const TRowPath& path, bool attributes) : FAttributes(attributes) {
    TTag parent = root;
    for (std::int32_t index : path) {
      FPath.push_back({parent, index});
      parent = parent.Childs(index);
    }
  }
  // The current row; invalid past its parent's document rows (a problem row).
  TTag Current() const {
    const TLevel& level = FPath.back();
    return level.Index < level.Parent.ChildsCount() ? level.Parent.Childs(level.Index) : TTag();
  }
  bool Shown(TTag tag) const { return tag.IsValid() && (FAttributes || tag.TagType() != ttAttrib); }
  bool Step(bool backwards) { return backwards ? StepBackward() : StepForward(); }
  TRowPath Path() const {
    TRowPath indexes;
    for (const TLevel& level : FPath) indexes.push_back(level.Index);
    return indexes;
  }

 private:
  struct TLevel {
    TTag Parent;
    std::int32_t Index;
  };
  // A row's children are rows only when the tree gives it children.
  std::int32_t RowChildren(TTag tag) const {
    return tag.IsValid() && tag.HasChildren(FAttributes) ? tag.ChildsCount() : 0;
  }
  bool StepForward() {
    const TTag tag = Current();
    if (RowChildren(tag) > 0) {
      FPath.push_back({tag, 0});
      return true;
    }
    while (!FPath.empty()) {
      TLevel& level = FPath.back();
      if (++level.Index < RowChildren(level.Parent)) return true;
      FPath.pop_back();
    }
    return false;
  }
  bool StepBackward() {
    TLevel& level = FPath.back();
    if (level.Index == 0) {
      FPath.pop_back();
      return !FPath.empty();
    }
    --level.Index;
    for (TTag tag = Current(); RowChildren(tag) > 0; tag = Current()) FPath.push_back({tag, RowChildren(tag) - 1});
    return true;
  }

  bool FAttributes;
  std::vector<TLevel> FPath;
};

// The document row at path; invalid for an empty path and for a row past the
// document's rows.
TTag RowAt(TTag root, const TRowPath& path) {
  TTag tag;
  for (TTag parent = root; std::int32_t index : path) {
    if (index < 0 || index >= parent.ChildsCount()) return {};
    tag = parent = parent.Childs(index);
  }
  return tag;
}

std::optional<TRowPath> FindAlongElements(const TDecodedDocument& doc, TElementWalk& walk, TRowMatcher& matcher,
                                          bool backwards, bool inclusive, bool attributes) {
  const TDocument& elements = doc.Elements();
  for (bool more = inclusive || walk.Step(backwards); more; more = walk.Step(backwards)) {
    if (walk.AtRootRow()) {
      if (matcher.RowMatches(walk.RootRow(), -1)) return walk.Path();
      continue;
    }
    const auto element = static_cast<std::uint32_t>(walk.E);
    if (walk.Sub < 0) {
      if (matcher.ElementMatches(elements.Element(element))) return walk.Path();
      continue;
    }
    int kind = -1;
    if (walk.Sub < walk.Attribs) {
      if (!attributes) continue;
      kind = elements.AttribAt(element, walk.Sub);
      if (matcher.AttribRuledOut(kind)) continue;
    }
    if (matcher.RowMatches(elements.Element(element).Childs(walk.Sub), kind)) return walk.Path();
  }
  return std::nullopt;
}

std::optional<TRowPath> FindAlongNesting(TNestedWalk& walk, TRowMatcher& matcher, bool backwards, bool inclusive) {
  for (bool more = inclusive || walk.Step(backwards); more; more = walk.Step(backwards)) {
    const TTag tag = walk.Current();
    if (walk.Shown(tag) && matcher.RowMatches(tag, -1)) return walk.Path();
  }
  return std::nullopt;
}

}  // namespace

TFinder::TFinder(const TDecodedDocument& doc, bool attributes, bool fieldNames)
    : FDoc(doc), FAttributes(attributes), FFieldNames(fieldNames) {}

std::optional<TRowPath> TFinder::Find(std::u16string_view searchString, bool backwards, const TRowPath& from,
                                      bool inclusive) const {
  if (searchString.empty()) return std::nullopt;
  std::u16string wanted;
  FoldInto(searchString, wanted);
  const bool names = FFieldNames && FDoc.Names().NamedCount() > 0;
  TRowMatcher matcher(FDoc, std::move(wanted), backwards, names);
  TElementWalk walk(FDoc);
  if (from.empty() && !walk.StartAtFirst()) return std::nullopt;
  if (from.empty() || walk.Start(RowAt(FDoc.Root(), from)))
    return FindAlongElements(FDoc, walk, matcher, backwards, inclusive, FAttributes);
  // A row the element walk does not know.
  TNestedWalk nested(FDoc.Root(), from, FAttributes);
  return FindAlongNesting(nested, matcher, backwards, inclusive);
}

}  // namespace viewer
