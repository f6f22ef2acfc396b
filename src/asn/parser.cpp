// The walk over a buffer of BER elements: headers, levels, the encapsulation
// trial and the events. Levels are frames on an explicit stack, each a range
// of the one input buffer, so depth costs neither native stack nor copies.
#include <new>

#include "asn/asn.h"
#include "asn/ber_header.h"
#include "asn/element_tree.h"
#include "asn/render.h"
#include "asn/utf.h"
#include "text/ascii.h"

namespace asn {

TASNParser::TASNParser() = default;
TASNParser::~TASNParser() = default;

void TASNParser::Parse(std::span<const std::uint8_t> s) {
  // The other overload refuses a size too large for its offsets.
  Parse(s, 0, static_cast<std::int32_t>(s.size()));
}

void TASNParser::Parse(std::span<const std::uint8_t> s, std::int32_t from, std::int32_t to) {
  CheckInputSize(s.size());
  // The index of end-of-contents pairs covers the whole buffer: built once for it.
  if (!FEnds || Content.data() != s.data() || Content.size() != s.size()) FEnds = std::make_unique<IndefiniteEnds>(s);
  Content = s;
  FLevels.clear();
  FLevels.push_back({from, to, false});
  for (;;) {
    LevelFrame& level = FLevels.back();
    if (level.Cursor >= level.End) {
      FLevels.pop_back();
      if (FLevels.empty()) return;
      if (OnEndConstructed) OnEndConstructed();
      continue;
    }
    FTag.Clear();
    FTag.Offset = level.Cursor;
    std::int32_t next = 0;
    if (const char* fault = ReadHeader(level.End, next)) {
      if (UnwindEncapsulation()) continue;
      throw EParserException(fault, FTag.Offset);
    }
    level.Cursor = next;
    const std::int32_t contentStart = FTag.Offset + FTag.HeaderLength();
    const std::int32_t contentEnd = contentStart + FTag.Length;
    if (FTag.Constructed) {
      if (OnNewConstructed) OnNewConstructed(FTag);
      FLevels.push_back({contentStart, contentEnd, false});
      continue;
    }
    if (RenderPrimitive()) {
      FTag.Encapsulates = true;
      if (OnNewConstructed) OnNewConstructed(FTag);
      // An encapsulating BIT STRING's unused-bits octet is not part of the nested element.
      FLevels.push_back({contentStart + (FUniversalTag == utBitString ? 1 : 0), contentEnd, true});
      continue;
    }
    if (OnNewPrimitive) OnNewPrimitive(FTag);
  }
}

const char* TASNParser::ReadHeader(std::int32_t levelEnd, std::int32_t& next) {
  RawHeader h;
  const std::int32_t pos = FTag.Offset;
  const HeaderFault fault = ReadRawHeader(Content, pos, levelEnd, h);
  FTag.TagClass = static_cast<TASN1TagClasses>(h.Class());
  FTag.Constructed = h.Constructed();
  FTag.TagLength = h.TagLength;
  FTag.LengthLength = h.LengthLength;
  if (fault != HeaderFault::hfNone) return HeaderFaultMessage(fault);
  // The record keeps a number of up to 32 bits; a larger one only as text,
  // which is then written even when the values are not rendered.
  FTag.TagNumberFits = h.TagNumberFits && h.TagNumber <= 0xFFFFFFFFu;
  FTag.TagNumber = FTag.TagNumberFits ? static_cast<std::uint32_t>(h.TagNumber) : 0;
  if (RenderValues || !FTag.TagNumberFits) AppendTagNumber(FTag.Tag, Content, pos, h);
  FUniversalTag = FTag.UniversalTag();
  const std::int32_t contentStart = pos + h.TagLength + h.LengthLength;
  if (h.Indefinite) {
    const std::int32_t end = FEnds->FindEnd(pos, contentStart, h.Constructed(), levelEnd);
    if (end < 0) return HeaderFaultMessage(HeaderFault::hfNoEndOfContents);
    FTag.Length = end - contentStart;
  } else {
    FTag.Length = static_cast<std::int32_t>(h.Length);
  }
  next = contentStart + FTag.Length;
  return nullptr;
}

namespace {

void SetFault(TASNTag& tag, Bytes contents, bool spaceInHex, const char* message) {
  tag.Value.clear();
  text::AppendHexOctets(tag.Value, contents, spaceInHex ? u' ' : u'\0');
  tag.IsHex = true;
  tag.Error.clear();
  for (const char* c = message; *c != 0; ++c) tag.Error.push_back(static_cast<unsigned char>(*c));
}

// A character string as its type reads its octets: UTF-8, UCS-4, UCS-2, and
// one octet a character for the rest.
void RenderCharacters(std::u16string& out, std::uint8_t universal, Bytes contents) {
  switch (universal) {
    case utUtf8String:
      AppendUtf8(out, contents);
      return;
    case utUniversalString:
      RenderUniversalString(out, contents);
      return;
    case utBmpString:
      RenderBMPString(out, contents);
      return;
    default:
      AppendLatin1(out, contents);
      return;
  }
}

}  // namespace

void RenderContents(TASNTag& tag, Bytes contents, bool spaceInHex, const TOIDDictionary* dictionary) {
  std::u16string& out = tag.Value;
  if (tag.TagClass != ASN1Universal) {
    text::AppendHexOctets(out, contents, spaceInHex ? u' ' : u'\0');
    tag.IsHex = true;
    return;
  }
  try {
    const std::uint8_t universal = tag.UniversalTag();
    if (IsCharacterString(universal)) {
      RenderCharacters(out, universal, contents);
      return;
    }
    switch (universal) {
      case utBoolean:
        RenderBoolean(out, contents);
        break;
      case utInteger:
      case utEnumerated:
        RenderInteger(out, contents, tag.BitLength, 0);
        break;
      case utBitString:
        tag.IsHex = true;
        RenderBitString(out, contents, tag.UnusedBits, spaceInHex);
        break;
      case utObjectIdentifier:
        RenderOID(out, contents, tag.OIDDescr, /*relative=*/false, dictionary);
        break;
      case utReal:
        RenderReal(out, contents);
        break;
      case utRelativeOid:
        RenderOID(out, contents, tag.OIDDescr, /*relative=*/true, dictionary);
        break;
      case utUtcTime:
        RenderUTCTime(out, contents);
        break;
      case utGeneralizedTime:
        RenderGeneralizedTime(out, contents);
        break;
      default:
        text::AppendHexOctets(out, contents, spaceInHex ? u' ' : u'\0');
        tag.IsHex = true;
        break;
    }
  } catch (const EParserException& e) {
    SetFault(tag, contents, spaceInHex, e.what());
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception&) {
    // A failure the renderer does not name: the value is still shown, in hexadecimal.
    SetFault(tag, contents, spaceInHex, "Decoding error");
  }
}

std::string ContentsFault(const TASNTag& tag, Bytes contents) {
  if (tag.TagClass != ASN1Universal) return {};
  // Only these renderers can fail; the cheap checks come first, the rest render
  // into a scratch text that stays small (REAL values).
  void (*render)(std::u16string&, Bytes) = nullptr;
  auto digit = [&](std::size_t i) { return contents[i] >= '0' && contents[i] <= '9'; };
  switch (tag.UniversalTag()) {
    case utBoolean:
      return contents.size() == 1 ? std::string() : std::string("Incorrect length");
    case utBitString:
      return !contents.empty() && contents[0] > 7 ? std::string("Invalid number of unused bits") : std::string();
    case utUniversalString:
      return contents.size() % 4 == 0 ? std::string() : std::string("Incorrect length");
    case utUtcTime:
      // What RenderUTCTime rejects: a length of neither 13 nor 17, a year that is not two digits.
      if (contents.size() != 13 && contents.size() != 17) return "Incorrect length";
      return digit(0) && digit(1) ? std::string() : std::string("Decoding error");
    case utGeneralizedTime:
      // RenderGeneralizedTime rejects only a length below 10.
      return contents.size() < 10 ? std::string("Incorrect length") : std::string();
    case utReal:
      render = RenderReal;
      break;
    default:
      return {};
  }
  thread_local std::u16string scratch;
  scratch.clear();
  try {
    render(scratch, contents);
  } catch (const EParserException& e) {
    return e.what();
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception&) {
    return "Decoding error";
  }
  return {};
}

bool TASNParser::RenderPrimitive() {
  const Bytes contents = Content.subspan(static_cast<std::size_t>(FTag.Offset + FTag.HeaderLength()), static_cast<std::size_t>(FTag.Length));
  if (FTag.TagClass == ASN1Universal) {
    const bool bitString = FUniversalTag == utBitString;
    if ((bitString || FUniversalTag == utOctetString) && PassesEncapsulationTrial(bitString)) return true;
  }
  if (RenderValues) {
    RenderContents(FTag, contents, SpaceInHex, OIDDictionary);
    return false;
  }
  std::string fault = ContentsFault(FTag, contents);
  FTag.Error.assign(fault.begin(), fault.end());
  return false;
}

// The contents hold BER when, after a BIT STRING's unused-bits octet, they are
// exactly one element with a sound header.
bool TASNParser::PassesEncapsulationTrial(bool isBitString) {
  const std::int32_t contentStart = FTag.Offset + FTag.HeaderLength();
  const std::int32_t contentEnd = contentStart + FTag.Length;
  const std::int32_t trial = contentStart + (isBitString ? 1 : 0);
  if (trial >= contentEnd) return false;
  RawHeader h;
  if (ReadRawHeader(Content, trial, contentEnd, h) != HeaderFault::hfNone) return false;
  const std::int32_t innerStart = trial + h.TagLength + h.LengthLength;
  if (!h.Indefinite) return innerStart + h.Length == contentEnd;
  return FEnds->FindEnd(trial, innerStart, h.Constructed(), contentEnd) == contentEnd;
}

bool TASNParser::UnwindEncapsulation() {
  std::size_t open = FLevels.size();
  while (open > 0 && !FLevels[open - 1].Encapsulated) --open;
  if (open == 0) return false;
  while (FLevels.size() >= open) {
    FLevels.pop_back();
    if (OnEndConstructed) OnEndConstructed();
  }
  return true;
}

}  // namespace asn
