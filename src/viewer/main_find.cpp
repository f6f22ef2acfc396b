// Find: a walk over the structure tree's rows in document order, matching a
// row's name, its text, or the hexadecimal digits of the bytes it stands for.
#include <algorithm>
#include <array>
#include <span>
#include <string>
#include <unordered_map>
#include <cwctype>
#include <string_view>

#include "text/ascii.h"
#include "viewer/main.h"

namespace viewer {

namespace {

char16_t FoldUpper(char16_t c) {
  if (c < 0x80) return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 0x20) : c;
  // Latin-1, Greek and Cyrillic small letters without help from the C locale,
  // which may be the plain one inside a host process.
  if ((c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) ||
      (c >= 0x430 && c <= 0x44F))
    return static_cast<char16_t>(c - 0x20);
  if (c == 0xFF) return 0x178;
  if (c >= 0x450 && c <= 0x45F) return static_cast<char16_t>(c - 0x50);
  if (c >= 0xD800 && c <= 0xDFFF) return c;  // surrogates stay as they are
  auto upper = std::towupper(static_cast<std::wint_t>(c));
  return upper <= 0xFFFF ? static_cast<char16_t>(upper) : c;
}

void FoldInto(std::u16string_view text, std::u16string& out) {
  out.resize(text.size());
  std::transform(text.begin(), text.end(), out.begin(), FoldUpper);
}

// Where the digits of wanted (upper case, at least one) occur in the
// hexadecimal text of bytes, as digit positions in increasing order. Empty
// when wanted holds anything but hexadecimal digits.
std::vector<std::int64_t> HexMatches(const std::vector<std::uint8_t>& bytes, std::u16string_view wanted) {
  std::vector<std::uint8_t> nibbles;
  nibbles.reserve(wanted.size());
  for (char16_t c : wanted) {
    int value = text::HexDigitValue(c);
    if (value < 0) return {};
    nibbles.push_back(static_cast<std::uint8_t>(value));
  }
  auto digitCount = static_cast<std::int64_t>(bytes.size()) * 2;
  auto wantedCount = static_cast<std::int64_t>(nibbles.size());
  auto nibbleAt = [&](std::int64_t p) {
    std::uint8_t b = bytes[static_cast<std::size_t>(p / 2)];
    return (p % 2 == 0) ? (b >> 4) : (b & 0x0F);
  };
  std::vector<std::int64_t> found;
  for (std::int64_t p = 0; p + wantedCount <= digitCount; ++p) {
    std::int64_t k = 0;
    while (k < wantedCount && nibbleAt(p + k) == nibbles[static_cast<std::size_t>(k)]) ++k;
    if (k == wantedCount) found.push_back(p);
  }
  return found;
}

// Whether every character of wanted (folded) is one of alphabet's, folded.
bool Within(std::u16string_view wanted, std::u16string_view alphabet) {
  return std::all_of(wanted.begin(), wanted.end(), [&](char16_t w) {
    return std::any_of(alphabet.begin(), alphabet.end(), [&](char16_t a) { return FoldUpper(a) == w; });
  });
}

// What a value's text can hold, by how it is rendered, so that most elements
// are ruled out without rendering their value. A value that fails to render
// (an element with an error row) shows its hexadecimal text instead.
class TValueFilter {
 public:
  explicit TValueFilter(std::u16string_view wanted) : FWanted(wanted) {
    FHex = Within(wanted, u"0123456789ABCDEF ");
    FBits = Within(wanted, u"01 ");
    FDecimal = Within(wanted, u"-0123456789");
    FBoolean = Within(wanted, u"TrueFals");
    FDotted = Within(wanted, u"0123456789.");
    // A time's text is its own characters with these around them.
    for (char16_t w : wanted)
      if (!Within(std::u16string_view(&w, 1), u"0123456789-:UTC ") && FTimeExtra.find(w) == std::u16string::npos)
        FTimeExtra.push_back(w);
  }

  // False when the text of the element with this header cannot contain the
  // wanted text; contents are its contents octets, faulted() whether its
  // value fails to render.
  template <typename TFaulted>
  bool MayMatch(const asn::TElementHeader& h, std::span<const std::uint8_t> contents, TFaulted faulted) const {
    // Constructed and encapsulating elements have no value text.
    if (h.Constructed || h.Encapsulates) return false;
    if (h.TagClass != asn::ASN1Universal) return FHex;
    switch (h.UniversalTag()) {
      case asn::utBoolean:
        return FBoolean || (FHex && faulted());
      case asn::utBitString:
        return FBits || (FHex && faulted());
      case asn::utInteger:
      case asn::utEnumerated:
        // Any contents render.
        return FDecimal;
      case asn::utRelativeOid:
        return FDotted;
      case asn::utUtcTime:
      case asn::utGeneralizedTime:
        if (FHex && faulted()) return true;
        for (char16_t w : FTimeExtra)
          if (std::none_of(contents.begin(), contents.end(), [&](std::uint8_t b) { return FoldUpper(b) == w; }))
            return false;
        return true;
      case asn::utObjectIdentifier:
      case asn::utReal:
      case asn::utUtf8String:
      case asn::utNumericString:
      case asn::utPrintableString:
      case asn::utT61String:
      case asn::utVideotexString:
      case asn::utIA5String:
      case asn::utGraphicString:
      case asn::utVisibleString:
      case asn::utGeneralString:
      case asn::utUniversalString:
      case asn::utBmpString:
        return true;
      default:
        // The hexadecimal text of everything else.
        return FHex;
    }
  }
  // An OBJECT IDENTIFIER's text without a description.
  bool DottedOnly() const { return FDotted; }
  // The text of an attribute row: a decimal number.
  bool Decimal() const { return FDecimal; }

 private:
  std::u16string_view FWanted;
  bool FHex = false;
  bool FBits = false;
  bool FDecimal = false;
  bool FBoolean = false;
  bool FDotted = false;
  std::u16string FTimeExtra;
};

}  // namespace

bool TMainForm::Find(const std::u16string& searchString, bool backwards) {
  // Nothing to search before the tree holds the document.
  if (searchString.empty() || FTreeVT.RootNodeCount() == 0) return false;
  std::u16string wanted;
  FoldInto(searchString, wanted);
  std::u16string hexText;
  for (char16_t c : wanted)
    if (c != u' ') hexText += c;

  // Computed when the first row reaches the hexadecimal test.
  bool matchesReady = false;
  std::vector<std::int64_t> hexMatches;
  auto bytesContain = [&](TTag tag) {
    if (hexText.empty() || (matchesReady && hexMatches.empty())) return false;
    bool coversBytes = tag.TagType() == ttNode || (tag.TagType() == ttError && tag.Parent().TagType() == ttRoot);
    if (!coversBytes) return false;
    std::int64_t offset = tag.Offset();
    auto size = static_cast<std::int64_t>(Bytes()->size());
    if (offset < 0 || offset >= size) return false;
    std::int64_t end = std::min<std::int64_t>(size, offset + std::max(0, tag.FullLength()));
    if (!matchesReady) {
      hexMatches = HexMatches(*Bytes(), hexText);
      matchesReady = true;
    }
    // A match inside the element's digits starts no later than this.
    std::int64_t lastStart = end * 2 - static_cast<std::int64_t>(hexText.size());
    auto it = std::lower_bound(hexMatches.begin(), hexMatches.end(), offset * 2);
    return it != hexMatches.end() && *it <= lastStart;
  };

  std::u16string folded;
  auto contains = [&](std::u16string_view text) {
    std::size_t n = wanted.size();
    if (text.size() < n) return false;
    if (text.size() > 64) {
      FoldInto(text, folded);
      return folded.find(wanted) != std::u16string::npos;
    }
    // Most rows have short texts: compare in place rather than copy.
    for (std::size_t i = 0; i + n <= text.size(); ++i) {
      std::size_t k = 0;
      while (k < n && FoldUpper(text[i + k]) == wanted[k]) ++k;
      if (k == n) return true;
    }
    return false;
  };
  // The same for a field label, whose characters widen one by one.
  auto labelContains = [&](const std::string& label) {
    std::size_t n = wanted.size();
    for (std::size_t i = 0; i + n <= label.size(); ++i) {
      std::size_t k = 0;
      while (k < n && FoldUpper(static_cast<char16_t>(label[i + k])) == wanted[k]) ++k;
      if (k == n) return true;
    }
    return false;
  };

  bool attributes = FSettings.ShowAttributes;
  const bool names = FSettings.FieldNames && Names().NamedCount() > 0;
  const TValueFilter filter(wanted);
  // Answers that depend only on the tag (its name) or on an OBJECT
  // IDENTIFIER's contents (its text), kept for the rest of the search.
  std::array<std::int8_t, 4 * 64> smallNames;
  smallNames.fill(-1);
  std::unordered_map<std::uint64_t, bool> otherNames;
  std::array<std::int8_t, 5> attribNames;
  attribNames.fill(-1);
  std::unordered_map<std::string, bool> oidTexts;
  std::span<const std::uint8_t> bytes(*Bytes());

  // Whether wanted is made of a value alphabet's characters; the alphabets are
  // a few constant texts, so the last answer is kept.
  std::u16string_view lastAlphabet;
  bool lastWithin = false;
  auto withinAlphabet = [&](std::u16string_view alphabet) {
    if (alphabet.data() != lastAlphabet.data()) {
      lastAlphabet = alphabet;
      lastWithin = Within(wanted, alphabet);
    }
    return lastWithin;
  };

  auto elementMatches = [&](TTag tag) {
    const std::uint32_t element = tag.ElementIndex();
    const asn::TElementHeader h = FDoc->Elements().Header(element);
    bool name;
    if (h.TagNumberFits && h.TagNumber < 64) {
      std::int8_t& known = smallNames[h.TagClass * 64 + h.TagNumber];
      if (known < 0) known = contains(tag.Name()) ? 1 : 0;
      name = known == 1;
    } else if (h.TagNumberFits) {
      auto key = (std::uint64_t{h.TagClass} << 32) | h.TagNumber;
      auto it = otherNames.find(key);
      if (it == otherNames.end()) it = otherNames.emplace(key, contains(tag.Name())).first;
      name = it->second;
    } else {
      name = contains(tag.Name());
    }
    if (name) return true;
    const std::span<const std::uint8_t> contents =
        h.Constructed ? std::span<const std::uint8_t>()
                      : bytes.subspan(static_cast<std::size_t>(h.Offset) + static_cast<std::size_t>(h.HeaderLength()),
                                      static_cast<std::size_t>(h.Length));
    // An element whose value fails to render has an error row after its attribute rows.
    auto faulted = [&] { return tag.TagChildsStart() > FDoc->Elements().AttribCount(element); };
    // Only a primitive element has a typed value.
    const bool typing = names && !h.Constructed;
    const std::u16string_view alphabet = typing ? FDoc->ValueAlphabet(tag) : std::u16string_view();
    if (!alphabet.empty() && !withinAlphabet(alphabet)) {
      // Neither text the value may show can hold the wanted one.
    } else if (const schema::TTypedValue* typed = typing ? FDoc->TypedValue(tag) : nullptr) {
      if (contains(typed->Value) || (!typed->Description.empty() && contains(FDoc->ValueText(tag)))) return true;
    } else if (filter.MayMatch(h, contents, faulted)) {
      if (h.UniversalTag() == asn::utObjectIdentifier && h.TagClass == asn::ASN1Universal && !filter.DottedOnly()) {
        // Only the description can hold the text; OBJECT IDENTIFIERs repeat.
        std::string key(contents.begin(), contents.end());
        auto it = oidTexts.find(key);
        if (it == oidTexts.end()) it = oidTexts.emplace(std::move(key), contains(tag.Text())).first;
        if (it->second) return true;
      } else if (contains(tag.Text())) {
        return true;
      }
    }
    if (names && labelContains(Names().Label(element))) return true;
    return bytesContain(tag);
  };
  // kind: the attribute row's kind when the caller knows it, else -1.
  auto rowMatches = [&](TTag tag, int kind) {
    switch (tag.TagType()) {
      case ttNode:
        return elementMatches(tag);
      case ttAttrib: {
        bool name;
        if (kind >= 0) {
          std::int8_t& known = attribNames[static_cast<std::size_t>(kind)];
          if (known < 0) known = contains(tag.Name()) ? 1 : 0;
          name = known == 1;
        } else {
          name = contains(tag.Name());
        }
        return name || (filter.Decimal() && contains(tag.Text()));
      }
      default:
        return contains(tag.Name()) || contains(tag.Text()) || (names && contains(FieldLabel(tag))) ||
               bytesContain(tag);
    }
  };

  // Focuses the row at the end of a path of child indexes from the root.
  auto focusPath = [&](const std::vector<std::int32_t>& indexes) {
    TNodeId node = NoNode;
    for (std::int32_t index : indexes) {
      node = FTreeVT.Child(node, static_cast<std::uint32_t>(index));
      if (node == NoNode) return false;  // the tree no longer matches the document
    }
    FTreeVT.SetFocusedNode(node);
    FTreeVT.SetSelected(node, true);
    FTreeVT.ScrollIntoView(node, true);
    return true;
  };

  // The document's rows in order are, for each element in document order, the
  // element, its attribute rows and its error row (its element children come
  // next, as the next elements), and then the root's error rows. A position
  // is an element and a row below it: -1 for the element itself, then the
  // indexes of its Childs; element ElementCount stands for the root, whose
  // error rows follow its TopLevelCount elements.
  const TTag root = Root();
  const auto elementCount = static_cast<std::int64_t>(FDoc->Elements().ElementCount());
  // The elements in row order: an element whose contents its rows leave out
  // (an opaque field) is followed by the element after them.
  auto nextShown = [&](std::int64_t e) -> std::int64_t {
    const auto element = static_cast<std::uint32_t>(e);
    return FDoc->Elements().ContentsHidden(element) ? FDoc->Elements().SubtreeEnd(element) : e + 1;
  };
  // Backwards: e - 1 unless it lies in contents left out, then the outermost
  // element that leaves them out. Only the elements between e - 1 and e's
  // parent are looked at, each once over a whole walk.
  auto previousShown = [&](std::int64_t e) -> std::int64_t {
    const auto before = static_cast<std::uint32_t>(e - 1);
    const std::uint32_t stop = e == elementCount ? asn::NoElement : FDoc->Elements().Parent(static_cast<std::uint32_t>(e));
    if (before == stop) return e - 1;
    std::int64_t shown = e - 1;
    for (std::uint32_t up = FDoc->Elements().Parent(before); up != stop; up = FDoc->Elements().Parent(up))
      if (FDoc->Elements().ContentsHidden(up)) shown = up;
    return shown;
  };
  const std::int32_t topLevel = root.GetTagChildsCount();
  const std::int32_t rootRows = root.ChildsCount();
  auto firstSub = [&](std::int64_t e) { return e < elementCount ? -1 : topLevel; };
  auto endSub = [&](std::int64_t e) {
    return e < elementCount ? FDoc->Elements().Element(static_cast<std::uint32_t>(e)).TagChildsStart() : rootRows;
  };
  // The position of a row of the document; false for any other row.
  auto positionOf = [&](TTag tag, std::int64_t& e, std::int32_t& sub) {
    if (!tag.IsValid()) return false;
    switch (tag.TagType()) {
      case ttNode:
        e = tag.ElementIndex();
        sub = -1;
        return true;
      case ttAttrib:
      case ttError: {
        TTag parent = tag.Parent();
        e = parent.TagType() == ttRoot ? elementCount : parent.ElementIndex();
        for (sub = e < elementCount ? 0 : topLevel; sub < endSub(e); ++sub)
          if (parent.Childs(sub) == tag) return true;
        return false;
      }
      default:
        return false;
    }
  };
  // The child indexes from the root down to the row at a position.
  auto pathOf = [&](std::int64_t e, std::int32_t sub) {
    std::vector<std::int32_t> indexes;
    if (e == elementCount) return std::vector<std::int32_t>{sub};
    if (sub >= 0) indexes.push_back(sub);
    for (auto element = static_cast<std::uint32_t>(e); element != asn::NoElement;) {
      const std::uint32_t parent = FDoc->Elements().Parent(element);
      // Children lie in increasing index order: a binary search for element's place.
      std::uint32_t lo = 0, hi = FDoc->Elements().ChildCount(parent);
      while (hi - lo > 1) {
        std::uint32_t mid = lo + (hi - lo) / 2;
        if (FDoc->Elements().Child(parent, mid) <= element)
          lo = mid;
        else
          hi = mid;
      }
      std::int32_t first = parent == asn::NoElement ? 0 : FDoc->Elements().Element(parent).TagChildsStart();
      indexes.push_back(first + static_cast<std::int32_t>(lo));
      element = parent;
    }
    std::reverse(indexes.begin(), indexes.end());
    return indexes;
  };

  // Where the walk starts, and whether that row itself is looked at.
  std::int64_t e = 0;
  std::int32_t sub = -1;
  bool inclusive = true;
  bool linear = true;
  TNodeId focused = FTreeVT.FocusedNode();
  if (focused != NoNode) {
    linear = positionOf(GetTag(focused), e, sub);
    inclusive = false;
  } else if (backwards) {
    TNodeId last = FTreeVT.GetLastVisible();
    if (last == NoNode) return false;
    linear = positionOf(GetTag(last), e, sub);
  } else {
    if (rootRows == 0) return false;
    if (elementCount == 0) e = 0, sub = 0;
  }
  if (linear) {
    // The current element's row count below it and attribute row count.
    std::int32_t end = 0;
    std::int32_t attribs = 0;
    auto enter = [&] {
      end = endSub(e);
      attribs = e < elementCount ? FDoc->Elements().AttribCount(static_cast<std::uint32_t>(e)) : 0;
    };
    enter();
    // Steps to the next (or previous) position; false past either end.
    auto step = [&] {
      if (!backwards) {
        if (++sub < end) return true;
        if (e == elementCount) return false;
        e = nextShown(e);
        sub = firstSub(e);
        enter();
        return e < elementCount || sub < end;
      }
      if (--sub >= firstSub(e)) return true;
      if (e == 0) return false;
      e = previousShown(e);
      enter();
      sub = end - 1;
      return true;
    };
    for (bool more = inclusive || step(); more; more = step()) {
      if (e == elementCount) {
        if (rowMatches(root.Childs(sub), -1)) return focusPath(pathOf(e, sub));
        continue;
      }
      const auto element = static_cast<std::uint32_t>(e);
      if (sub < 0) {
        if (elementMatches(FDoc->Elements().Element(element))) return focusPath(pathOf(e, sub));
        continue;
      }
      int kind = -1;
      if (sub < attribs) {
        if (!attributes) continue;
        kind = FDoc->Elements().AttribAt(element, sub);
        // An attribute row whose name is known not to match, and whose number cannot.
        if (attribNames[static_cast<std::size_t>(kind)] == 0 && !filter.Decimal()) continue;
      }
      if (rowMatches(FDoc->Elements().Element(element).Childs(sub), kind)) return focusPath(pathOf(e, sub));
    }
    return false;
  }

  // A start outside the document's rows (a problem row of the DER checks):
  // the walk runs over the document, which holds the same rows in the same
  // order as the tree (attribute rows hidden while attributes are), so no tree
  // row has to be built for the rows it passes. Path: the parent and index of
  // each level down to the current row.
  struct TLevel {
    TTag Parent;
    std::int32_t Index;
  };
  std::vector<TLevel> path;
  auto shown = [&](TTag tag) { return attributes || tag.TagType() != ttAttrib; };
  auto current = [&] { return path.back().Parent.Childs(path.back().Index); };
  auto pathTo = [&](TNodeId node) {
    path.clear();
    for (TNodeId n = node; n != NoNode; n = FTreeVT.Parent(n)) path.push_back({TTag(), static_cast<std::int32_t>(FTreeVT.Index(n))});
    std::reverse(path.begin(), path.end());
    TTag parent = Root();
    for (TLevel& level : path) {
      level.Parent = parent;
      parent = parent.Childs(level.Index);
    }
  };
  // A row's children are rows only when the tree gives it children.
  auto rowChildren = [&](TTag tag) { return tag.HasChildren(attributes) ? tag.ChildsCount() : 0; };
  auto stepForward = [&] {
    TTag tag = current();
    if (rowChildren(tag) > 0) {
      path.push_back({tag, 0});
      return true;
    }
    while (!path.empty()) {
      TLevel& level = path.back();
      if (++level.Index < rowChildren(level.Parent)) return true;
      path.pop_back();
    }
    return false;
  };
  auto stepBackward = [&] {
    TLevel& level = path.back();
    if (level.Index == 0) {
      path.pop_back();
      return !path.empty();
    }
    --level.Index;
    for (TTag tag = current(); rowChildren(tag) > 0; tag = current()) path.push_back({tag, rowChildren(tag) - 1});
    return true;
  };

  bool more;
  if (focused != NoNode) {
    pathTo(focused);
    more = backwards ? stepBackward() : stepForward();
  } else {
    pathTo(FTreeVT.GetLastVisible());
    more = true;
  }
  for (; more; more = backwards ? stepBackward() : stepForward()) {
    TTag tag = current();
    if (!shown(tag)) continue;
    if (rowMatches(tag, -1)) {
      std::vector<std::int32_t> indexes;
      for (const TLevel& level : path) indexes.push_back(level.Index);
      return focusPath(indexes);
    }
  }
  return false;
}

}  // namespace viewer
