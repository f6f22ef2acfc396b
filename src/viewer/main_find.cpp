// Find: a walk over the structure tree's rows in document order, matching a
// row's name, its text, or the hexadecimal digits of the bytes it stands for.
#include <algorithm>
#include <array>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "text/ascii.h"
#include "text/upper_case.h"
#include "viewer/main.h"

namespace viewer {

namespace {

void FoldInto(std::u16string_view text, std::u16string& out) {
  out.resize(text.size());
  std::transform(text.begin(), text.end(), out.begin(), text::UpperCase);
}

// Finds wanted (at least one character) in a text that arrives a character at
// a time, after Knuth, Morris and Pratt: each character is looked at once, and
// nothing but wanted is kept, however long the text.
class TStreamMatcher {
 public:
  explicit TStreamMatcher(std::u16string_view wanted) : FWanted(wanted), FFallback(wanted.size(), 0) {
    // FFallback[i]: the longest proper prefix of wanted[0..i] that also ends it.
    for (std::size_t i = 1, k = 0; i < FWanted.size(); ++i) {
      while (k > 0 && FWanted[i] != FWanted[k]) k = FFallback[k - 1];
      if (FWanted[i] == FWanted[k]) ++k;
      FFallback[i] = k;
    }
  }
  std::size_t Size() const { return FWanted.size(); }
  // Whether feeding c would leave the matcher as it is: nothing matched yet,
  // and c does not begin wanted. Lets a long text be skimmed.
  bool Passes(char16_t c) const { return FMatched == 0 && c != FWanted[0]; }
  // Starts a new text.
  void Restart() { FMatched = 0; }
  // Whether the text so far ends with wanted.
  bool Feed(char16_t c) {
    while (FMatched > 0 && c != FWanted[FMatched]) FMatched = FFallback[FMatched - 1];
    if (c == FWanted[FMatched]) ++FMatched;
    if (FMatched < FWanted.size()) return false;
    FMatched = FFallback[FMatched - 1];
    return true;
  }

 private:
  std::u16string FWanted;
  std::vector<std::size_t> FFallback;
  std::size_t FMatched = 0;
};

// Whether the hexadecimal text of contents (upper-case pairs, blank-separated
// when spaced, as values are shown) holds the matcher's text. Looked at in
// place, so a value of any size costs no memory.
bool HexTextHolds(TStreamMatcher& matcher, std::span<const std::uint8_t> contents, bool spaced) {
  matcher.Restart();
  for (std::size_t i = 0; i < contents.size(); ++i) {
    if (spaced && i != 0 && matcher.Feed(u' ')) return true;
    if (matcher.Feed(text::UpperHexDigit(contents[i] >> 4)) || matcher.Feed(text::UpperHexDigit(contents[i] & 0x0F))) return true;
  }
  return false;
}

// Where wanted (upper-case hexadecimal digits, at least one) occurs in the
// hexadecimal digits of the buffer (two per octet; a match may start inside an
// octet), asked element by element in the order of a walk. The digits are
// read as the questions reach them, each about once over a whole walk: going
// forwards, the first match at or after a digit answers every question up to
// it; going backwards, the digits are read from the end down (the wanted
// digits reversed), so the lowest match read so far answers the next question.
class THexDigitsFinder {
 public:
  THexDigitsFinder(std::span<const std::uint8_t> bytes, std::u16string_view wanted, bool backwards)
      : FBytes(bytes), FBackwards(backwards),
        FMatcher(backwards ? std::u16string(wanted.rbegin(), wanted.rend()) : std::u16string(wanted)),
        FLow(static_cast<std::int64_t>(bytes.size()) * 2) {}

  // Whether a match lies within the digits of the octets [first, end).
  bool Holds(std::int64_t first, std::int64_t end) {
    const std::int64_t lastStart = end * 2 - static_cast<std::int64_t>(FMatcher.Size());
    if (lastStart < first * 2) return false;
    return (FBackwards ? LowestMatchDownTo(first * 2) : NextMatch(first * 2)) <= lastStart;
  }

 private:
  static constexpr std::int64_t NoMatch = std::numeric_limits<std::int64_t>::max();

  char16_t Digit(std::int64_t p) const {
    const std::uint8_t octet = FBytes[static_cast<std::size_t>(p / 2)];
    return text::UpperHexDigit(p % 2 == 0 ? octet >> 4 : octet & 0x0F);
  }

  // The first digit at or after from where a match starts; NoMatch when none does.
  std::int64_t NextMatch(std::int64_t from) {
    if (FFrom >= 0 && from >= FFrom && from <= FFound) return FFound;
    FFrom = from;
    FFound = NoMatch;
    const auto size = static_cast<std::int64_t>(FMatcher.Size());
    const auto digits = static_cast<std::int64_t>(FBytes.size()) * 2;
    FMatcher.Restart();
    std::int64_t p = from;
    if (p % 2 != 0 && FMatcher.Feed(Digit(p++))) return FFound = p - size;
    // An octet at a time: its high digit, then its low one.
    for (; p < digits; p += 2) {
      const std::uint8_t octet = FBytes[static_cast<std::size_t>(p / 2)];
      const char16_t high = text::UpperHexDigit(octet >> 4);
      const char16_t low = text::UpperHexDigit(octet & 0x0F);
      if (FMatcher.Passes(high) && FMatcher.Passes(low)) continue;
      if (FMatcher.Feed(high)) return FFound = p + 1 - size;
      if (FMatcher.Feed(low)) return FFound = p + 2 - size;
    }
    return FFound;
  }

  // The same, for a walk whose questions come from ever lower digits.
  std::int64_t LowestMatchDownTo(std::int64_t from) {
    if (from > FLow) {
      // Higher than the last question: read again from the end.
      FLow = static_cast<std::int64_t>(FBytes.size()) * 2;
      FLowest = NoMatch;
      FMatcher.Restart();
    }
    if (FLow % 2 != 0 && FLow > from && FMatcher.Feed(Digit(--FLow))) FLowest = FLow;
    // An octet at a time: its low digit, then its high one.
    for (; FLow - 2 >= from; FLow -= 2) {
      const std::uint8_t octet = FBytes[static_cast<std::size_t>(FLow / 2 - 1)];
      const char16_t high = text::UpperHexDigit(octet >> 4);
      const char16_t low = text::UpperHexDigit(octet & 0x0F);
      if (FMatcher.Passes(low) && FMatcher.Passes(high)) continue;
      if (FMatcher.Feed(low)) FLowest = FLow - 1;
      if (FMatcher.Feed(high)) FLowest = FLow - 2;
    }
    if (FLow > from && FMatcher.Feed(Digit(--FLow))) FLowest = FLow;
    return FLowest;
  }

  std::span<const std::uint8_t> FBytes;
  bool FBackwards;
  TStreamMatcher FMatcher;
  // Forwards: no match starts at the digits [FFrom, FFound), one does at
  // FFound (none after FFrom when NoMatch); nothing is known while FFrom is
  // negative.
  std::int64_t FFrom = -1;
  std::int64_t FFound = NoMatch;
  // Backwards: the digits from FLow to the end are read, and the lowest match
  // among them starts at FLowest.
  std::int64_t FLow;
  std::int64_t FLowest = NoMatch;
};

// Whether every character of wanted (folded) is one of alphabet's, folded.
bool Within(std::u16string_view wanted, std::u16string_view alphabet) {
  return std::all_of(wanted.begin(), wanted.end(), [&](char16_t w) {
    return std::any_of(alphabet.begin(), alphabet.end(), [&](char16_t a) { return text::UpperCase(a) == w; });
  });
}

// Where the wanted text may lie in an element's value text.
enum class TValueTest : std::uint8_t {
  vtNone,      // nowhere: the text cannot hold it
  vtHex,       // the text is the contents in hexadecimal, read in place
  vtRendered,  // the text has to be rendered
};

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

  // How the text of the element with this header may hold the wanted text;
  // contents are its contents octets, faulted() whether its value fails to
  // render.
  template <typename TFaulted>
  TValueTest Test(const asn::TElementHeader& h, std::span<const std::uint8_t> contents, TFaulted faulted) const {
    const TValueTest hex = FHex ? TValueTest::vtHex : TValueTest::vtNone;
    auto rendered = [](bool may) { return may ? TValueTest::vtRendered : TValueTest::vtNone; };
    // Constructed and encapsulating elements have no value text.
    if (h.Constructed || h.Encapsulates) return TValueTest::vtNone;
    if (h.TagClass != asn::ASN1Universal) return hex;
    switch (h.UniversalTag()) {
      case asn::utBoolean:
        return faulted() ? hex : rendered(FBoolean);
      case asn::utBitString:
        return faulted() ? hex : rendered(FBits);
      case asn::utInteger:
      case asn::utEnumerated:
        // Any contents render.
        return rendered(FDecimal);
      case asn::utRelativeOid:
        return rendered(FDotted);
      case asn::utUtcTime:
      case asn::utGeneralizedTime:
        if (faulted()) return hex;
        for (char16_t w : FTimeExtra)
          if (std::none_of(contents.begin(), contents.end(), [&](std::uint8_t b) { return text::UpperCase(b) == w; }))
            return TValueTest::vtNone;
        return TValueTest::vtRendered;
      case asn::utObjectIdentifier:
      case asn::utReal:
        return TValueTest::vtRendered;
      default:
        // Strings as their characters, the hexadecimal text of everything else.
        return asn::IsCharacterString(h.UniversalTag()) ? TValueTest::vtRendered : hex;
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

  // Only hexadecimal digits can be among the bytes' digits.
  std::span<const std::uint8_t> bytes(*Bytes());
  const bool hexDigits = !hexText.empty() && std::all_of(hexText.begin(), hexText.end(), [](char16_t c) {
    return text::HexDigitValue(c) >= 0;
  });
  std::optional<THexDigitsFinder> digits;
  if (hexDigits) digits.emplace(bytes, hexText, backwards);
  // Whether the octets from offset on, fullLength of them, hold hexText.
  auto octetsContain = [&](std::int64_t offset, std::int32_t fullLength) {
    auto size = static_cast<std::int64_t>(bytes.size());
    if (!digits || offset < 0 || offset >= size) return false;
    return digits->Holds(offset, std::min<std::int64_t>(size, offset + std::max(0, fullLength)));
  };
  auto bytesContain = [&](TTag tag) {
    bool coversBytes = tag.TagType() == ttNode || (tag.TagType() == ttError && tag.Parent().TagType() == ttRoot);
    return digits && coversBytes && octetsContain(tag.Offset(), tag.FullLength());
  };
  // The value texts that are hexadecimal digits are read from the contents.
  TStreamMatcher valueMatcher(wanted);
  const bool spacedHex = FDoc->Elements().SpaceInHex();

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
      while (k < n && text::UpperCase(text[i + k]) == wanted[k]) ++k;
      if (k == n) return true;
    }
    return false;
  };
  // The same for a field label, whose characters widen one by one.
  auto labelContains = [&](const std::string& label) {
    std::size_t n = wanted.size();
    for (std::size_t i = 0; i + n <= label.size(); ++i) {
      std::size_t k = 0;
      while (k < n && text::UpperCase(static_cast<char16_t>(label[i + k])) == wanted[k]) ++k;
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
    } else {
      switch (filter.Test(h, contents, faulted)) {
        case TValueTest::vtNone:
          break;
        case TValueTest::vtHex:
          if (HexTextHolds(valueMatcher, contents, spacedHex)) return true;
          break;
        case TValueTest::vtRendered:
          if (h.UniversalTag() == asn::utObjectIdentifier && h.TagClass == asn::ASN1Universal && !filter.DottedOnly()) {
            // Only the description can hold the text; OBJECT IDENTIFIERs repeat.
            std::string key(contents.begin(), contents.end());
            auto it = oidTexts.find(key);
            if (it == oidTexts.end()) it = oidTexts.emplace(std::move(key), contains(tag.Text())).first;
            if (it->second) return true;
          } else if (contains(tag.Text())) {
            return true;
          }
          break;
      }
    }
    if (names && labelContains(Names().Label(element))) return true;
    return octetsContain(h.Offset, h.FullLength());
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
