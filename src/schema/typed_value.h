// An element's value as its schema type reads it, where that says more than
// its tag: a string, time or number under an IMPLICIT tag, an IP address, named
// bits and named numbers, a serial number in hexadecimal too, octets that hold
// no DER in hexadecimal, and a UTCTime by the X.509 century rule.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "asn/asn.h"
#include "asn/element_tree.h"

namespace schema {

namespace tables {
struct TTypeNode;
}

struct TTypedValue {
  // "digitalSignature, keyCertSign (100001)", "192.0.2.0/24", "10:01 (4097)"
  std::u16string Value;
  // An OBJECT IDENTIFIER's description from the dictionary, shown after " - ".
  std::u16string Description;
  // Octets in hexadecimal (or a BIT STRING's digits): drawn as the other
  // hexadecimal values are.
  bool IsHex = false;
  // Long texts are cut in the row, as hexadecimal and INTEGER values are.
  bool Shortens = false;
};

// Whether an element of this type may read differently from what its tag
// gives: a primitive type under an IMPLICIT tag (tagged), with named values or
// flags, with opaque octets, or a UTCTime. A cheap test before RenderTypedValue.
bool MayReadByType(const tables::TTypeNode& type, bool opaque, bool tagged);

// Fills value with the text the element's type gives it and returns true, or
// returns false when the type says nothing its tag does not, so the text the
// tag gives stands: also for contents the type does not allow (a dNSName with
// a byte above 0x7F, an IP address of 5 octets), which keep their bytes.
// type is the element's schema type node; opaque whether the typing calls its
// octets opaque (IsOpaque); contents are its contents octets. spaceInHex and
// oids are as for the tag's own rendering. Never throws on bad contents.
bool RenderTypedValue(TTypedValue& value, const tables::TTypeNode& type, bool opaque, const asn::TElementHeader& h,
                      std::span<const std::uint8_t> contents, bool spaceInHex, const asn::TOIDDictionary* oids);

// The characters a value of this type is written with, typed or not, where
// the type limits them to a few: a serial number's and opaque octets'
// hexadecimal digits and punctuation. Empty for every other type. A search
// can rule such a value out without rendering it.
std::u16string_view TypedAlphabet(const tables::TTypeNode& type, bool opaque);

}  // namespace schema
