// Compares two decoded documents by what their elements are: matched by path,
// the items of a list as its type orders them, values compared as their types
// read them whatever their encodings. Headless: the result names
// elements of each document, for a dump to print or a tree to mark.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "document/document.h"

namespace viewer {

enum class TDiffKind : std::uint8_t {
  dkRemoved,   // only in A: the element and everything in it
  dkAdded,     // only in B
  dkChanged,   // in both, value changed (a primitive, or a string or octets compared whole)
  dkEncoding,  // in both, the same value encoded differently (asked for with Encodings)
};

// One difference. ElementA is asn::NoElement for dkAdded, ElementB for dkRemoved.
// For dkAdded, where the element would take its place in A: among the children
// of ParentA (asn::NoElement: the top level), right after AfterA (asn::NoElement:
// first among them).
struct TDifference {
  TDiffKind Kind;
  std::uint32_t ElementA;
  std::uint32_t ElementB;
  std::uint32_t ParentA = asn::NoElement;
  std::uint32_t AfterA = asn::NoElement;
};

struct TCompareOptions {
  // Also report elements whose values are equal but whose own encodings
  // differ: the identifier octets, the length's form (indefinite, or more
  // octets than needed), a string's segments, a SET's order, or contents
  // octets that decode alike (a BOOLEAN's non-zero octet, a BIT STRING's
  // unused bits, an INTEGER's or OBJECT IDENTIFIER's redundant octets).
  bool Encodings = false;
};

// The differences between documents a and b, in the document order of A with
// what only B has at the place it would take there. Matching:
// - an element's children are matched by their field (and alternative and
//   open type) where named, else by tag and how many of that tag precede them
//   (an optional element more moves no other, a SET's components pair in any
//   order);
// - the items of a list pair as its type orders them: a SET OF's by their
//   decoded value, in any order; those of a list whose order means nothing and
//   whose items have a key (the schema's table: extensions by extnID, a CRL's
//   entries by userCertificate, attributes by type) by value, then by the
//   key's value; any other SEQUENCE OF's by place, where the values the two
//   lists share in order (the same start and end, then a longest common
//   subsequence of what lies between, bounded) tell what was put in or taken
//   out. An unnamed list (an element of two or more constructed children that
//   share one tag) pairs by value, then by the value of the first primitive
//   inside (a serial number, an OID). An item left over is one line. The top
//   level is such an unnamed list when either document has more than one
//   element there; what is left over at it is then paired in order where the
//   types agree;
// - a pair of different tags or forms is one line each way; a constructed pair
//   is never a line for its children's changes.
// Values compare as their types read them: the header's form is not the
// value, the EOC of an indefinite length is not an element, a constructed
// string's value is its segments joined, an INTEGER's redundant leading 00 or
// FF is no part of its number nor an OBJECT IDENTIFIER's redundant 80 of its
// arcs, and a SET's value is the same in any order.
// Linear in the documents' sizes; no recursion per nesting level.
std::vector<TDifference> CompareDocuments(const TDecodedDocument& a, const TDecodedDocument& b,
                                          const TCompareOptions& options = {});

// The element's path as bramlet-dump --paths writes it; an unnamed element
// continues its parent's path with its tag name and its place among the
// parent's children from 0: "SEQUENCE[0].INTEGER[1]",
// "Certificate.tbsCertificate.Context-specific[5][7]".
std::string ElementPath(const TDecodedDocument& document, std::uint32_t element);

// The value a dkChanged line shows for an element: its row's value text, or
// for octets or a string compared whole (segments, opaque contents) their
// joined contents rendered as its type renders a primitive one.
std::u16string ComparedValue(const TDecodedDocument& document, std::uint32_t element);

}  // namespace viewer
