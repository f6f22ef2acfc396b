// A decoded document's elements as the analyses beside the tree read them (the
// schema names, the DER checks): indexes in document order, parents before
// their children, each element's header facts, and the links between them.
// The viewer's document implements it; the analyses know nothing else of it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "asn/asn.h"

namespace asn {

// No element: the parent of a top-level element, and the parent whose children
// are the top-level elements.
inline constexpr std::uint32_t NoElement = 0xFFFFFFFFu;

// The universal types whose contents are characters.
inline bool IsCharacterString(std::uint8_t universal) {
  switch (universal) {
    case utUtf8String:
    case utNumericString:
    case utPrintableString:
    case utT61String:
    case utVideotexString:
    case utIA5String:
    case utGraphicString:
    case utVisibleString:
    case utGeneralString:
    case utUniversalString:
    case utBmpString:
      return true;
    default:
      return false;
  }
}

// The universal string types, which BER may also encode constructed, in
// segments whose contents joined are the value (X.690 8.6, 8.7, 8.23).
inline bool IsStringType(std::uint8_t universal) {
  return universal == utBitString || universal == utOctetString || universal == utUtf8String ||
         (universal >= utNumericString && universal <= utVideotexString) || universal == utIA5String ||
         (universal >= utGraphicString && universal <= utBmpString && universal != utCharacterString);
}

// Whether the element is in the indefinite form (its one length octet is 80);
// its Length then counts the end-of-contents octets 00 00 at its end.
inline bool IsIndefinite(const TElementHeader& h, std::span<const std::uint8_t> bytes) {
  return h.LengthLength == 1 && bytes[static_cast<std::size_t>(h.Offset + h.TagLength)] == 0x80;
}

// The element's content proper: Length without the end-of-contents octets of
// the indefinite form, which close the element and are not its content.
inline std::int32_t ContentLength(const TElementHeader& h, std::span<const std::uint8_t> bytes) {
  return IsIndefinite(h, bytes) ? h.Length - 2 : h.Length;
}

class IElementTree {
 public:
  virtual ~IElementTree() = default;
  virtual std::uint32_t ElementCount() const = 0;
  virtual TElementHeader Header(std::uint32_t element) const = 0;
  // NoElement for a top-level element.
  virtual std::uint32_t Parent(std::uint32_t element) const = 0;
  // Element children only; for NoElement, the top-level elements.
  virtual std::uint32_t ChildCount(std::uint32_t element) const = 0;
  virtual std::uint32_t Child(std::uint32_t element, std::uint32_t index) const = 0;
  // The element after element's subtree (ElementCount() after the last one).
  // This one climbs to the first ancestor with a next sibling, finding each
  // place among the siblings by a binary search; a store that keeps the end
  // answers at once.
  virtual std::uint32_t SubtreeEnd(std::uint32_t element) const;
};

inline std::uint32_t IElementTree::SubtreeEnd(std::uint32_t element) const {
  for (; element != NoElement; element = Parent(element)) {
    const std::uint32_t parent = Parent(element);
    std::uint32_t low = 0;
    std::uint32_t high = ChildCount(parent);
    while (high - low > 1) {  // children come in document order
      const std::uint32_t middle = low + (high - low) / 2;
      if (Child(parent, middle) <= element) low = middle;
      else high = middle;
    }
    if (low + 1 < ChildCount(parent)) return Child(parent, low + 1);
  }
  return ElementCount();
}

}  // namespace asn
