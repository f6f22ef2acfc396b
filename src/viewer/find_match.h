// The text tests behind Find (finder.cpp): matching a text that arrives a
// character at a time, the hexadecimal digits of the buffer, and what a value's
// text can hold before it is rendered. Defined here, in one place, so that the
// finder's walk inlines them.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "asn/element_tree.h"
#include "text/ascii.h"
#include "text/upper_case.h"

namespace viewer::find {

inline void FoldInto(std::u16string_view text, std::u16string& out) {
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
inline bool HexTextHolds(TStreamMatcher& matcher, std::span<const std::uint8_t> contents, bool spaced) {
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
inline bool Within(std::u16string_view wanted, std::u16string_view alphabet) {
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

}  // namespace viewer::find
