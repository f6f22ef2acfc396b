// The compiled schemas: type nodes, their fields, open-type maps and the
// top-level types, generated at build time by gen_schema.py from the
// standards' ASN.1 modules. Indexes point into the arrays below.
#pragma once

#include <cstdint>

namespace schema {

enum TKind : std::uint8_t {
  kPrimitive,   // a universal or implicitly tagged simple type
  kSequence,
  kSet,
  kSequenceOf,  // First is the item type
  kSetOf,
  kChoice,      // the fields are the alternatives
  kAny,
  kExplicit,    // an EXPLICIT tag around the type First
};

// Field flags.
inline constexpr std::uint8_t ffOptional = 1;
inline constexpr std::uint8_t ffDefault = 2;

// Node flags: how a primitive's value reads, beyond its type.
inline constexpr std::uint8_t nfOpaque = 1;      // OCTET STRING or BIT STRING holding no DER (digest, signature, key)
inline constexpr std::uint8_t nfIdentifier = 2;  // an INTEGER that identifies (a serial number)
inline constexpr std::uint8_t nfIpAddress = 4;   // an IP address, with its mask in name constraints

namespace tables {

// A tag as one number: the class (0 universal .. 3 private) in the top two
// bits, the tag number below.
struct TTypeNode {
  std::uint8_t Kind;         // TKind
  std::uint8_t AcceptCount;  // tags at AcceptTags[Accept] an element may start with
  std::uint8_t AcceptsAny;   // any tag will do (ANY, or a CHOICE holding one)
  std::uint8_t NamedBits;    // a BIT STRING with named bits (keyUsage): DER drops its trailing zero bits
  std::uint8_t Universal;    // a primitive's universal tag number, which an IMPLICIT tag hides; else 0
  std::uint8_t Flags;        // nf* flags
  std::uint16_t ValueCount;  // named numbers or bits at NamedValues[Values ...], sorted by value
  std::uint32_t Tag;         // own tag, or the EXPLICIT tag
  std::uint32_t Name;        // offset in Strings; 0 for the unnamed universal types
  std::uint32_t First;
  std::uint32_t Count;
  std::uint32_t Accept;
  // The type of a field with a DEFAULT: the value's DER, tags included, at
  // DefaultOctets[Default ...]; DefaultLength 0 for every other node.
  std::uint32_t Default;
  std::uint32_t DefaultLength;
  std::uint32_t Values;
};

// A named number of an INTEGER or ENUMERATED (v3 = 2), or a named bit of a
// BIT STRING (keyCertSign = 5).
struct TNamedValue {
  std::int64_t Value;
  std::uint32_t Name;
};

struct TField {
  std::uint32_t Name;
  std::uint32_t Type;
  std::uint8_t Flags;
  std::int16_t Key;  // index among its siblings of the field whose OID picks this field's type, or -1
  std::int16_t Map;  // the map that OID is looked up in, or -1
};

struct TMapEntry {
  std::uint32_t Oid;  // contents octets at OidOctets[Oid]
  std::uint32_t Length;
  std::uint32_t Type;
};

struct TMap {
  std::uint32_t First;  // entries sorted by their octets
  std::uint32_t Count;
  // An OID the map lacks picks no DER: the field's octets are opaque (an RSA
  // signature, an EC point).
  std::uint8_t OpaqueOthers;
};

struct TTopLevel {
  std::uint32_t Type;
  std::uint32_t FirstLabel;  // PEM labels at PemLabels[FirstLabel ...]
  std::uint32_t LabelCount;
};

// A list whose order carries no meaning and whose items a field of theirs
// names (extensions by extnID, a CRL's entries by userCertificate): a
// comparison pairs its items by that field's value.
struct TListKey {
  std::uint32_t List;   // the SEQUENCE OF or SET OF type node
  std::uint32_t Field;  // the key field's name: an offset in Strings
};

extern const char Strings[];
extern const TTypeNode Types[];
extern const TField Fields[];
extern const std::uint32_t AcceptTags[];
extern const std::uint8_t OidOctets[];
extern const TMapEntry MapEntries[];
extern const TMap Maps[];
extern const TNamedValue NamedValues[];
extern const std::uint8_t DefaultOctets[];
extern const std::uint32_t PemLabels[];
extern const TTopLevel TopLevel[];
extern const TListKey ListKeys[];  // sorted by List
extern const std::uint32_t TypeCount;
extern const std::uint32_t TopLevelCount;
extern const std::uint32_t ListKeyCount;

}  // namespace tables
}  // namespace schema
