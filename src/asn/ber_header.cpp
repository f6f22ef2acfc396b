// Reading BER headers and finding the ends of indefinite-form elements.
#include "asn/ber_header.h"

#include <algorithm>

#include "asn/longar.h"

namespace asn {

namespace {

// The pair index keeps one entry per block: a sixteenth of the input in
// memory, and at most a block's worth of direct scanning per lookup.
constexpr std::int32_t PairBlock = 64;
// Long-form lengths have at most 5 octets (40 bits).
constexpr int MaxLengthOctets = 5;

}  // namespace

const char* HeaderFaultMessage(HeaderFault fault) {
  switch (fault) {
    case HeaderFault::hfNone:
      return "";
    case HeaderFault::hfBadTagFormat:
      return "Bad tag length format";
    case HeaderFault::hfNoLength:
      return "No tag length found";
    case HeaderFault::hfLengthTooLong:
      return "Data length is too long";
    case HeaderFault::hfNoEndOfContents:
      return "Bad data length format";
    case HeaderFault::hfLengthPastEnd:
      return "Incorrect data length";
  }
  return "";
}

HeaderFault ReadRawHeader(std::span<const std::uint8_t> buf, std::int32_t pos, std::int32_t bound, RawHeader& h) {
  const std::uint8_t* b = buf.data();
  std::int32_t p = pos;
  h.First = b[p];
  h.TagLength = 1;
  h.TagNumberFits = true;
  h.Indefinite = false;
  if ((h.First & 0x1F) != 0x1F) {
    h.TagNumber = h.First & 0x1F;
  } else {
    h.TagNumber = 0;
    for (;;) {
      ++p;
      if (p >= bound) return HeaderFault::hfBadTagFormat;
      ++h.TagLength;
      if (h.TagNumber >> 57 != 0) h.TagNumberFits = false;
      h.TagNumber = (h.TagNumber << 7) | (b[p] & 0x7F);
      if (!(b[p] & 0x80)) break;
    }
  }
  ++p;
  if (p >= bound) return HeaderFault::hfNoLength;
  const std::uint8_t c = b[p];
  if (c < 0x80) {
    h.LengthLength = 1;
    h.Length = c;
  } else if (c == 0x80) {
    h.LengthLength = 1;
    h.Length = 0;
    h.Indefinite = true;
    return HeaderFault::hfNone;
  } else {
    const int n = c & 0x7F;
    h.LengthLength = n + 1;
    if (n > MaxLengthOctets) return HeaderFault::hfLengthTooLong;
    if (static_cast<std::int64_t>(p) + n >= bound) return HeaderFault::hfLengthPastEnd;
    std::int64_t length = 0;
    for (int k = 1; k <= n; ++k) length = (length << 8) | b[p + k];
    h.Length = length;
  }
  const std::int64_t end = static_cast<std::int64_t>(pos) + h.TagLength + h.LengthLength + h.Length;
  if (end > bound) return HeaderFault::hfLengthPastEnd;
  return HeaderFault::hfNone;
}

void AppendTagNumber(std::u16string& out, std::span<const std::uint8_t> buf, std::int32_t pos, const RawHeader& h) {
  if (h.TagNumberFits) {
    AppendDecimal(out, h.TagNumber);
    return;
  }
  TBigNum number;
  for (std::int32_t k = 1; k < h.TagLength; ++k) number.MultAdd(128, buf[static_cast<std::size_t>(pos + k)] & 0x7F);
  std::string digits = number.ToString();
  out.append(digits.begin(), digits.end());
}

std::int32_t IndefiniteEnds::FindEnd(std::int32_t offset, std::int32_t contentStart, bool constructed,
                                     std::int32_t bound) {
  if (constructed) {
    std::int32_t end = -1;
    switch (Lookup(offset, bound, end)) {
      case Known::knEnd:
        return end;
      case Known::knFailed:
        break;
      case Known::knUnknown:
        end = WalkToEnd(offset, contentStart, bound);
        if (end >= 0) return end;
        break;
    }
  }
  return ScanToEnd(contentStart, bound);
}

IndefiniteEnds::Known IndefiniteEnds::Lookup(std::int32_t offset, std::int32_t bound, std::int32_t& end) const {
  auto it = FWalks.find(offset);
  if (it == FWalks.end()) return Known::knUnknown;
  const WalkResult& r = it->second;
  if (r.End >= 0) {
    if (r.End > bound) return Known::knFailed;
    end = r.End;
    return Known::knEnd;
  }
  return bound <= r.Bound ? Known::knFailed : Known::knUnknown;
}

// Walks the elements inside the element at offset, descending into nested
// indefinite constructed ones on an explicit stack. A nested element whose
// walk fails makes the walks around it fail too, so that malformed contents
// fall back to the pair scan as a whole.
std::int32_t IndefiniteEnds::WalkToEnd(std::int32_t offset, std::int32_t contentStart, std::int32_t bound) {
  const std::uint8_t* b = FBuf.data();
  FStack.clear();
  FStack.push_back({offset, contentStart});
  for (;;) {
    WalkFrame& top = FStack.back();
    const std::int32_t pos = top.Pos;
    if (pos >= bound) break;
    if (pos + 1 < bound && b[pos] == 0 && b[pos + 1] == 0) {
      const std::int32_t end = pos + 2;
      FWalks[top.Offset] = {bound, end};
      FStack.pop_back();
      if (FStack.empty()) return end;
      FStack.back().Pos = end;
      continue;
    }
    RawHeader h;
    if (ReadRawHeader(FBuf, pos, bound, h) != HeaderFault::hfNone) break;
    const std::int32_t innerStart = pos + h.TagLength + h.LengthLength;
    if (!h.Indefinite) {
      top.Pos = static_cast<std::int32_t>(innerStart + h.Length);
      continue;
    }
    if (!h.Constructed()) {
      const std::int32_t end = ScanToEnd(innerStart, bound);
      if (end < 0) break;
      top.Pos = end;
      continue;
    }
    std::int32_t end = -1;
    const Known known = Lookup(pos, bound, end);
    if (known == Known::knFailed) break;
    if (known == Known::knEnd) {
      top.Pos = end;
      continue;
    }
    FStack.push_back({pos, innerStart});
  }
  for (const WalkFrame& frame : FStack) FWalks[frame.Offset] = {bound, -1};
  FStack.clear();
  return -1;
}

std::int32_t IndefiniteEnds::ScanToEnd(std::int32_t contentStart, std::int32_t bound) {
  const std::int32_t pair = NextPair(contentStart);
  if (pair < 0 || pair + 1 >= bound) return -1;
  return pair + 2;
}

std::int32_t IndefiniteEnds::NextPair(std::int32_t from) {
  const std::int32_t size = static_cast<std::int32_t>(FBuf.size());
  if (from + 1 >= size) return -1;
  if (!FIndexed) BuildPairIndex();
  const std::uint8_t* b = FBuf.data();
  const std::int32_t block = from / PairBlock;
  const std::int32_t blockEnd = std::min((block + 1) * PairBlock, size - 1);
  for (std::int32_t i = from; i < blockEnd; ++i)
    if (b[i] == 0 && b[i + 1] == 0) return i;
  if (blockEnd >= size - 1) return -1;
  return FBlockPairs[static_cast<std::size_t>(block + 1)];
}

void IndefiniteEnds::BuildPairIndex() {
  FIndexed = true;
  const std::int32_t size = static_cast<std::int32_t>(FBuf.size());
  const std::int32_t lastPair = size - 2;  // last position a pair can start at
  FBlockPairs.assign(static_cast<std::size_t>(lastPair / PairBlock + 2), -1);
  const std::uint8_t* b = FBuf.data();
  std::int32_t next = -1;
  for (std::int32_t i = lastPair; i >= 0; --i) {
    if (b[i] == 0 && b[i + 1] == 0) next = i;
    if (i % PairBlock == 0) FBlockPairs[static_cast<std::size_t>(i / PairBlock)] = next;
  }
}

}  // namespace asn
