// Comparing two documents: a walk over matched pairs keeps a stack of frames,
// each with the pairs, removals and additions of one element's children in
// output order. A list's items pair through hash tables: of their octets, of
// their decoded values (made when the walk reaches the list, or kept from the
// walk into an item around it) and of their keys.
#include "document/compare.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cstring>
#include <span>
#include <unordered_map>
#include <utility>

#include "document/list_alignment.h"
#include "schema/schema_tables.h"
#include "text/ascii.h"

namespace viewer {

namespace {

using Bytes = std::span<const std::uint8_t>;
constexpr std::uint32_t None = asn::NoElement;

// The finaliser of SplitMix64: every input bit moves every output bit.
std::uint64_t Mix(std::uint64_t x) {
  x ^= x >> 30;
  x *= 0xBF58476D1CE4E5B9ull;
  x ^= x >> 27;
  x *= 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

std::uint64_t HashBytes(std::uint64_t seed, Bytes bytes) {
  std::uint64_t h = Mix(seed ^ (bytes.size() * 0x9E3779B97F4A7C15ull));
  std::size_t at = 0;
  for (; at + 8 <= bytes.size(); at += 8) {
    std::uint64_t word;
    std::memcpy(&word, bytes.data() + at, 8);
    h = Mix(h ^ word);
  }
  std::uint64_t tail = 0;
  if (at < bytes.size()) std::memcpy(&tail, bytes.data() + at, bytes.size() - at);
  return Mix(h ^ tail ^ 0x5555555555555555ull);
}

// Class and number in one value. Numbers above 32 bits are not told apart.
std::uint64_t TagCode(const asn::TElementHeader& h) {
  return std::uint64_t{h.TagClass} << 32 | (h.TagNumberFits ? h.TagNumber : 0xFFFFFFFFu);
}

bool Equal(Bytes a, Bytes b) { return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin()); }

std::int32_t MinimalLengthLength(std::int32_t length) {
  std::int32_t octets = 1;
  for (auto rest = static_cast<std::uint32_t>(length); rest >= 0x80 && rest != 0; rest >>= 8) ++octets;
  return octets;
}

// How the items of a list pair with the other list's.
enum class TListRule : std::uint8_t {
  lrNone,     // no list: children pair by field, or by tag and count
  lrContent,  // a SET OF: by value, in any order
  lrKeyed,    // a list whose order means nothing: by value, then by the key field's value
  lrAligned,  // any other SEQUENCE OF: by place, items put in or taken out found by alignment
  lrShape,    // the top level or an unnamed list: by value, then by the first primitive inside
};

// The key field's name of a list the schema's table names, or nullptr.
const char* ListKeyField(const schema::tables::TTypeNode& list) {
  namespace t = schema::tables;
  const auto node = static_cast<std::uint32_t>(&list - t::Types);
  const t::TListKey* end = t::ListKeys + t::ListKeyCount;
  const t::TListKey* it =
      std::lower_bound(t::ListKeys, end, node, [](const t::TListKey& k, std::uint32_t n) { return k.List < n; });
  return it != end && it->List == node ? t::Strings + it->Field : nullptr;
}

// An INTEGER's contents without the leading octets that only repeat its sign
// (00 before a clear top bit, FF before a set one): the same number.
std::span<const std::uint8_t> MinimalInteger(std::span<const std::uint8_t> contents) {
  std::size_t skip = 0;
  while (skip + 1 < contents.size() && ((contents[skip] == 0x00 && contents[skip + 1] < 0x80) ||
                                        (contents[skip] == 0xFF && contents[skip + 1] >= 0x80)))
    ++skip;
  return contents.subspan(skip);
}

// An OBJECT IDENTIFIER's contents without the 80 octets that begin a
// subidentifier and add nothing to it: the same arcs. Points into contents
// or into scratch.
std::span<const std::uint8_t> MinimalOid(std::span<const std::uint8_t> contents, std::vector<std::uint8_t>& scratch) {
  scratch.clear();
  bool start = true, padded = false;
  for (const std::uint8_t octet : contents) {
    if (start && octet == 0x80) {
      padded = true;
      continue;
    }
    scratch.push_back(octet);
    start = (octet & 0x80) == 0;
  }
  return padded ? std::span<const std::uint8_t>(scratch) : contents;
}

// Named bits as their type reads them, the bits set: without the zero bits
// that trail the last one (a DER fault, no value), in DER's form. Points into
// scratch.
std::span<const std::uint8_t> MinimalNamedBits(std::span<const std::uint8_t> contents,
                                               std::vector<std::uint8_t>& scratch) {
  scratch.assign(contents.begin(), contents.end());
  if (scratch.size() > 1 && scratch[0] <= 7) scratch.back() &= static_cast<std::uint8_t>(~((1u << scratch[0]) - 1));
  while (scratch.size() > 1 && scratch.back() == 0) scratch.pop_back();
  scratch[0] = scratch.size() > 1 ? static_cast<std::uint8_t>(std::countr_zero(scratch.back())) : std::uint8_t{0};
  return scratch;
}

// One document as the comparison reads it.
class TSide {
 public:
  explicit TSide(const TDecodedDocument& document)
      : Doc(document), Tree(document.Elements()), Names(document.Names()), All(*document.Bytes()) {}

  const TDecodedDocument& Doc;
  const TDocument& Tree;
  const schema::TNames& Names;
  const Bytes All;

  // Whether the schema types e as a BIT STRING of named bits (keyUsage).
  bool NamedBits(std::uint32_t e) const {
    const schema::tables::TTypeNode* node = Names.TypeNode(e);
    return node != nullptr && node->NamedBits != 0;
  }

  // The universal type a value has: its tag's, or the one an IMPLICIT tag hides.
  std::uint8_t ValueType(std::uint32_t e, const asn::TElementHeader& h) const {
    if (h.TagClass == asn::ASN1Universal) return h.UniversalTag();
    const schema::tables::TTypeNode* type = Names.TypeNode(e);
    if (type == nullptr || type->Kind != schema::kPrimitive || type->Universal == 0) return asn::utNone;
    return type->Universal;
  }

  // Compared by its value as a whole: a primitive, a string in segments, or
  // octets whose type says that what they encapsulate is no structure.
  bool IsLeaf(std::uint32_t e, const asn::TElementHeader& h) const {
    if (h.Encapsulates) return Names.IsOpaque(e);
    return !h.Constructed || asn::IsStringType(ValueType(e, h));
  }

  bool IsSetValue(std::uint32_t e, const asn::TElementHeader& h) const {
    if (h.UniversalTag() == asn::utSet) return true;
    const schema::tables::TTypeNode* type = Names.TypeNode(e);
    return type != nullptr && (type->Kind == schema::kSet || type->Kind == schema::kSetOf);
  }

  // The children but end-of-contents, in order; None stands for the top level.
  template <typename TVisit>
  void ForChildren(std::uint32_t e, TVisit&& visit) const {
    const std::uint32_t end = e == None ? Tree.ElementCount() : Tree.SubtreeEnd(e);
    for (std::uint32_t c = e == None ? 0 : e + 1; c < end; c = Tree.SubtreeEnd(c))
      if (!Tree.Header(c).IsEndOfContents()) visit(c);
  }

  void Children(std::uint32_t e, std::vector<std::uint32_t>& out) const {
    out.clear();
    ForChildren(e, [&](std::uint32_t c) { out.push_back(c); });
  }

  // How e's children pair as a list, and for a keyed list its key field's
  // name. Unnamed, a list is two or more constructed children of one tag (a
  // list of primitives is compared by place).
  TListRule RuleOf(std::uint32_t e, std::string_view* keyField = nullptr) const {
    if (e == None) return TListRule::lrShape;
    const schema::tables::TTypeNode* type = Names.TypeNode(e);
    if (type == nullptr) return HasListShape(e) ? TListRule::lrShape : TListRule::lrNone;
    if (type->Kind != schema::kSequenceOf && type->Kind != schema::kSetOf) return TListRule::lrNone;
    if (const char* key = ListKeyField(*type)) {
      if (keyField != nullptr) *keyField = key;
      return TListRule::lrKeyed;
    }
    return type->Kind == schema::kSetOf ? TListRule::lrContent : TListRule::lrAligned;
  }
  bool IsList(std::uint32_t e) const { return RuleOf(e) != TListRule::lrNone; }

  // The first child of item named field, or None.
  std::uint32_t FieldChild(std::uint32_t item, std::string_view field) const {
    std::uint32_t found = None;
    ForChildren(item, [&](std::uint32_t c) {
      if (found == None && Names.FieldName(c) == field) found = c;
    });
    return found;
  }

  bool HasListShape(std::uint32_t e) const {
    std::uint32_t count = 0;
    std::uint64_t tag = 0;
    bool alike = true;
    ForChildren(e, [&](std::uint32_t c) {
      const asn::TElementHeader h = Tree.Header(c);
      if (count++ == 0) tag = TagCode(h);
      alike = alike && h.Constructed && TagCode(h) == tag;
    });
    return alike && count >= 2;
  }

  Bytes Contents(const asn::TElementHeader& h) const {
    return All.subspan(static_cast<std::size_t>(h.Offset + h.HeaderLength()), static_cast<std::size_t>(h.Length));
  }
  Bytes TagOctets(const asn::TElementHeader& h) const {
    return All.subspan(static_cast<std::size_t>(h.Offset), static_cast<std::size_t>(h.TagLength));
  }
  Bytes Encoding(const asn::TElementHeader& h) const {
    return All.subspan(static_cast<std::size_t>(h.Offset), static_cast<std::size_t>(h.FullLength()));
  }
  bool Indefinite(const asn::TElementHeader& h) const {
    return h.LengthLength == 1 && All[static_cast<std::size_t>(h.Offset + h.TagLength)] == 0x80;
  }
  // -1 for the indefinite form, else the length octets beyond the fewest.
  std::int32_t LengthForm(const asn::TElementHeader& h) const {
    return Indefinite(h) ? -1 : h.LengthLength - MinimalLengthLength(h.Length);
  }

  // A leaf's decoded value as octets: a primitive's contents, a string's
  // segments joined; a BIT STRING as its unused-bit count, then its bits with
  // the unused ones cleared; a BOOLEAN's true as FF; an INTEGER or ENUMERATED
  // without redundant sign octets, an OBJECT IDENTIFIER without redundant 80
  // octets. Points into the buffer or into scratch.
  Bytes LeafValue(std::uint32_t e, const asn::TElementHeader& h, std::vector<std::uint8_t>& scratch) const {
    const std::uint8_t type = ValueType(e, h);
    if (!h.Constructed) {
      const Bytes contents = Contents(h);
      if (type == asn::utInteger || type == asn::utEnumerated) return MinimalInteger(contents);
      if (type == asn::utObjectIdentifier || type == asn::utRelativeOid) return MinimalOid(contents, scratch);
      if (type == asn::utBoolean && contents.size() == 1 && contents[0] != 0 && contents[0] != 0xFF) {
        scratch.assign(1, 0xFF);
        return scratch;
      }
      if (type == asn::utBitString && !contents.empty() && contents[0] <= 7 && NamedBits(e))
        return MinimalNamedBits(contents, scratch);
      if (type != asn::utBitString || contents.size() < 2 || contents[0] == 0 || contents[0] > 7) return contents;
      const auto mask = static_cast<std::uint8_t>((1u << contents[0]) - 1);
      if ((contents.back() & mask) == 0) return contents;
      scratch.assign(contents.begin(), contents.end());
      scratch.back() &= static_cast<std::uint8_t>(~mask);
      return scratch;
    }
    // The segments are the primitives below it, in order; those that
    // encapsulate keep their own octets.
    scratch.clear();
    const bool bits = type == asn::utBitString;
    if (bits) scratch.push_back(0);
    const std::uint32_t end = Tree.SubtreeEnd(e);
    for (std::uint32_t s = e + 1; s < end;) {
      const asn::TElementHeader segment = Tree.Header(s);
      if (segment.Constructed) {
        ++s;
        continue;
      }
      Bytes piece = Contents(segment);
      if (bits && !piece.empty()) {
        const std::uint8_t unused = piece[0] <= 7 ? piece[0] : 0;
        scratch[0] = piece[0];
        scratch.insert(scratch.end(), piece.begin() + 1, piece.end());
        if (piece.size() > 1) scratch.back() &= static_cast<std::uint8_t>(~((1u << unused) - 1));
      } else {
        scratch.insert(scratch.end(), piece.begin(), piece.end());
      }
      s = Tree.SubtreeEnd(s);
    }
    return scratch;
  }
};

// What pairing a list's items needs of each: a hash of its decoded value, and
// one of its key (the value of the first primitive inside; its own for a leaf).
struct TItemHash {
  std::uint64_t Value;
  std::uint64_t Key;
};

// Hashes elements by their decoded values, one walk over each subtree with
// stacks kept from walk to walk.
class THasher {
 public:
  explicit THasher(const TSide& side) : FSide(side) {}
  // The hashes of element. With remember, the items of every list in it,
  // element included, are kept for Known: the comparison going into an
  // element pairs the lists inside without hashing their items again, however
  // deep the lists nest.
  TItemHash Hash(std::uint32_t element, bool remember);
  // The hash of element's key: the value of its first primitive, found by
  // going down first children (its own for a leaf, or for an empty structure).
  std::uint64_t Key(std::uint32_t element) {
    for (std::uint32_t e = element;;) {
      const asn::TElementHeader h = FSide.Tree.Header(e);
      if (FSide.IsLeaf(e, h)) return LeafHash(e, h).Value;
      const std::uint32_t first = e + 1;
      if (first >= FSide.Tree.SubtreeEnd(e) || FSide.Tree.Header(first).IsEndOfContents()) return Hash(e, false).Value;
      e = first;
    }
  }
  const TItemHash* Known(std::uint32_t list) const {
    auto it = FKnownStart.find(list);
    return it == FKnownStart.end() ? nullptr : FKnown.data() + it->second;
  }

 private:
  struct TFrame {
    std::uint32_t Element;
    std::uint32_t Next;
    std::uint32_t End;
    std::uint64_t Hash;  // seeded with the tag; the children in order, or their sum for a SET
    std::uint32_t Count;
    std::uint64_t Key;
    bool Set;
    std::size_t Pending;  // remembering: where the children's hashes start in FPending
  };
  TItemHash LeafHash(std::uint32_t e, const asn::TElementHeader& h) {
    const std::uint64_t value = HashBytes(TagCode(h) * 3 + 2, FSide.LeafValue(e, h, FScratch));
    return {value, value};
  }
  void Open(std::uint32_t e, const asn::TElementHeader& h) {
    FFrames.push_back({e, e + 1, FSide.Tree.SubtreeEnd(e), Mix(TagCode(h) * 3 + 1), 0, 0, FSide.IsSetValue(e, h),
                       FPending.size()});
  }
  void Fold(TFrame& f, const TItemHash& child, bool remember) {
    if (f.Count++ == 0) f.Key = child.Key;
    f.Hash = f.Set ? f.Hash + Mix(child.Value ^ 0xA5A5A5A5A5A5A5A5ull) : Mix(f.Hash ^ child.Value);
    if (remember) FPending.push_back(child);
  }

  const TSide& FSide;
  std::vector<TFrame> FFrames;
  std::vector<TItemHash> FPending;
  std::vector<std::uint8_t> FScratch;
  std::unordered_map<std::uint32_t, std::uint32_t> FKnownStart;
  std::vector<TItemHash> FKnown;
};

TItemHash THasher::Hash(std::uint32_t element, bool remember) {
  const TDocument& tree = FSide.Tree;
  const asn::TElementHeader top = tree.Header(element);
  if (FSide.IsLeaf(element, top)) return LeafHash(element, top);
  FFrames.clear();
  FPending.clear();
  Open(element, top);
  while (true) {
    TFrame& f = FFrames.back();
    if (f.Next < f.End) {
      const std::uint32_t c = f.Next;
      f.Next = tree.SubtreeEnd(c);
      const asn::TElementHeader h = tree.Header(c);
      if (h.IsEndOfContents()) continue;
      if (FSide.IsLeaf(c, h)) Fold(f, LeafHash(c, h), remember);
      else Open(c, h);  // f is not used after this
      continue;
    }
    const std::uint64_t value = Mix(f.Hash ^ f.Count);
    const TItemHash done{value, f.Count != 0 ? f.Key : value};
    if (remember) {
      if (FSide.IsList(f.Element) && FKnownStart.emplace(f.Element, static_cast<std::uint32_t>(FKnown.size())).second)
        FKnown.insert(FKnown.end(), FPending.begin() + static_cast<std::ptrdiff_t>(f.Pending), FPending.end());
      FPending.resize(f.Pending);
    }
    FFrames.pop_back();
    if (FFrames.empty()) return done;
    Fold(FFrames.back(), done, remember);
  }
}

// Ordinals grouped by a key, each group in ascending order; Pop takes a
// group's first ordinal not yet taken. Open addressing over the ordinals that
// are given, a slot holding a group's head (whose key names the group), so
// about 10 bytes an ordinal.
template <typename TKeyOf>
class TQueues {
 public:
  template <typename TGiven>
  TQueues(std::uint32_t count, TKeyOf keyOf, TGiven given) : FKeyOf(keyOf), FNext(count, None), FTaken(count) {
    std::uint32_t groups = 0;
    for (std::uint32_t i = 0; i < count; ++i) groups += given(i) ? 1 : 0;
    std::size_t capacity = 16;
    while (capacity < std::size_t{groups} + groups / 2) capacity *= 2;
    FMask = capacity - 1;
    FHeads.assign(capacity, Empty);
    for (std::uint32_t i = count; i-- > 0;) {
      if (!given(i)) continue;
      std::uint32_t& head = FHeads[Slot(FKeyOf(i))];
      FNext[i] = head == Empty ? None : head;
      head = i;
    }
  }
  std::uint32_t Pop(std::uint64_t key) {
    std::uint32_t& head = FHeads[Slot(key)];
    if (head == Empty) return None;
    std::uint32_t first = head;
    while (first != None && FTaken[first]) first = FNext[first];
    if (first == None) return None;
    FTaken[first] = true;
    // The head stays on an ordinal of the group, taken or not, as it names the group.
    if (FNext[first] != None) head = FNext[first];
    return first;
  }

 private:
  static constexpr std::uint32_t Empty = None - 1;  // a slot no group has
  // The group's slot, or the empty one where it would go.
  std::size_t Slot(std::uint64_t key) const {
    std::size_t slot = Mix(key) & FMask;
    while (FHeads[slot] != Empty && FKeyOf(FHeads[slot]) != key) slot = (slot + 1) & FMask;
    return slot;
  }
  TKeyOf FKeyOf;
  std::size_t FMask = 0;
  std::vector<std::uint32_t> FHeads;
  std::vector<std::uint32_t> FNext;
  std::vector<bool> FTaken;
};

class TComparer {
 public:
  TComparer(const TDecodedDocument& a, const TDecodedDocument& b, const TCompareOptions& options)
      : FA(Named(a)), FB(Named(b)), FHashA(FA), FHashB(FB), FOptions(options) {}
  std::vector<TDifference> Run();

 private:
  enum class TSame : std::uint8_t { smNo, smValue, smOctets };
  // Every element will be asked about: names them in one go.
  static const TDecodedDocument& Named(const TDecodedDocument& document) {
    document.Names().NameAll();
    return document;
  }
  // The next child to write: a pair, or one side alone (None on the other).
  struct TOp {
    std::uint32_t A;
    std::uint32_t B;
    bool Equal = false;  // a pair whose values are known the same, children in the same order
    std::uint32_t After = None;  // only in B: the A child it follows (None: first)
  };
  struct TFrame {
    std::vector<TOp> Ops;
    std::size_t Next = 0;
    std::size_t Placeholder = NoPlaceholder;  // a dkEncoding line kept only if nothing below differs in value
    std::size_t ValueLines = 0;
    std::uint32_t ParentA = None;  // whose children Ops pair
  };
  static constexpr std::size_t NoPlaceholder = static_cast<std::size_t>(-1);
  // A pairing of the children of a and b: for each, the other's ordinal or None.
  struct TPairing {
    std::vector<std::uint32_t> A, B;
    std::vector<std::uint32_t> PairA, PairB;
    // Per A child: paired with an item of the same value, or of the same octets.
    std::vector<TSame> Same;
    bool FreshA = false;     // the items' values were not known on the way in
    bool FreshB = false;
    const TItemHash* KnownA = nullptr;  // else the items' hashes, kept from the walk into an item around
    const TItemHash* KnownB = nullptr;
    std::string_view KeyA, KeyB;  // a keyed list's key fields
    void Pair(std::uint32_t i, std::uint32_t j, TSame same) {
      PairA[i] = j;
      PairB[j] = i;
      Same[i] = same;
    }
  };

  enum class TForm : std::uint8_t { fkMismatch, fkLeaves, fkStructures };
  // How a matched pair compares: as two values, child by child, or not at all
  // (other tags, or a value against a structure).
  TForm FormOf(std::uint32_t a, const asn::TElementHeader& ha, std::uint32_t b, const asn::TElementHeader& hb) const {
    if (TagCode(ha) != TagCode(hb)) return TForm::fkMismatch;
    const bool leaf = FA.IsLeaf(a, ha);
    if (leaf == FB.IsLeaf(b, hb)) return leaf ? TForm::fkLeaves : TForm::fkStructures;
    // Octets one side decodes and the other holds in segments or as opaque: compared as octets.
    return ha.Encapsulates || hb.Encapsulates ? TForm::fkLeaves : TForm::fkMismatch;
  }

  void Emit(TDiffKind kind, std::uint32_t a, std::uint32_t b, std::uint32_t parentA = None,
            std::uint32_t afterA = None) {
    FResult.push_back({kind, a, b, parentA, afterA});
    if (kind != TDiffKind::dkEncoding) ++FValueLines;
  }
  void ComparePair(const TOp& pair);
  void MatchChildren(std::uint32_t a, std::uint32_t b, TFrame& frame, bool& reordered);
  // The children of a pair of the same value, each with the one in its place.
  void MatchEqualChildren(std::uint32_t a, std::uint32_t b, TFrame& frame);
  void PairItems(std::uint32_t a, std::uint32_t b, TListRule rule, TPairing& p);
  void PairByValue(TPairing& p);
  void PairByKey(TPairing& p);
  void AlignItems(TPairing& p);
  void HashItems(TPairing& p, std::uint32_t from, std::uint32_t endA, std::uint32_t endB,
                 std::vector<std::uint64_t>& hashA, std::vector<std::uint64_t>& hashB);
  TSame Sameness(std::uint32_t a, std::uint32_t b) {
    if (Equal(FA.Encoding(FA.Tree.Header(a)), FB.Encoding(FB.Tree.Header(b)))) return TSame::smOctets;
    return SameValue(a, b) ? TSame::smValue : TSame::smNo;
  }
  void PairBySteps(TPairing& p, bool counted);
  bool SameValue(std::uint32_t a, std::uint32_t b);
  std::string Identity(const TSide& side, std::uint32_t e,
                       std::unordered_map<std::uint64_t, std::uint32_t>* counts) const;

  TSide FA, FB;
  THasher FHashA, FHashB;
  TCompareOptions FOptions;
  std::vector<TFrame> FFrames;
  std::vector<TDifference> FResult;
  std::size_t FValueLines = 0;
  std::vector<std::uint8_t> FScratchA, FScratchB;
  std::vector<TOp> FSameQueue;
};

std::vector<TDifference> TComparer::Run() {
  bool reordered = false;
  FFrames.emplace_back();
  MatchChildren(None, None, FFrames.back(), reordered);
  while (!FFrames.empty()) {
    TFrame& frame = FFrames.back();
    if (frame.Next == frame.Ops.size()) {
      // A placeholder stands only when everything below it kept its value.
      if (frame.Placeholder != NoPlaceholder && FValueLines != frame.ValueLines)
        FResult[frame.Placeholder] = {TDiffKind::dkEncoding, None, None};
      FFrames.pop_back();
      continue;
    }
    const TOp op = frame.Ops[frame.Next++];
    if (op.A == None) {
      Emit(TDiffKind::dkAdded, None, op.B, frame.ParentA, op.After);
      continue;
    }
    if (op.B == None) {
      Emit(TDiffKind::dkRemoved, op.A, None);
    } else {
      ComparePair(op);  // may push a frame: frame is not used after it
    }
  }
  std::erase_if(FResult, [](const TDifference& d) { return d.ElementA == None && d.ElementB == None; });
  return std::move(FResult);
}

void TComparer::ComparePair(const TOp& pair) {
  const std::uint32_t a = pair.A;
  const std::uint32_t b = pair.B;
  const asn::TElementHeader ha = FA.Tree.Header(a);
  const asn::TElementHeader hb = FB.Tree.Header(b);
  const TForm form = FormOf(a, ha, b, hb);
  if (form == TForm::fkMismatch) {
    Emit(TDiffKind::dkRemoved, a, None);
    Emit(TDiffKind::dkAdded, None, b, FA.Tree.Parent(a), a);
    return;
  }
  if (form == TForm::fkLeaves) {
    if (!pair.Equal && !Equal(FA.LeafValue(a, ha, FScratchA), FB.LeafValue(b, hb, FScratchB))) {
      Emit(TDiffKind::dkChanged, a, b);
    } else if (FOptions.Encodings && !Equal(FA.Encoding(ha), FB.Encoding(hb))) {
      Emit(TDiffKind::dkEncoding, a, b);
    }
    return;
  }
  TFrame frame;
  frame.ParentA = a;
  bool reordered = false;
  if (pair.Equal) MatchEqualChildren(a, b, frame);
  else MatchChildren(a, b, frame, reordered);
  const bool headerDiffers = !Equal(FA.TagOctets(ha), FB.TagOctets(hb)) ||
                             FA.LengthForm(ha) != FB.LengthForm(hb);
  if (FOptions.Encodings && (headerDiffers || reordered)) {
    frame.Placeholder = FResult.size();
    FResult.push_back({TDiffKind::dkEncoding, a, b});
  }
  if (frame.Ops.empty()) return;
  frame.ValueLines = FValueLines;
  FFrames.push_back(std::move(frame));
}

void TComparer::MatchChildren(std::uint32_t a, std::uint32_t b, TFrame& frame, bool& reordered) {
  TPairing p;
  FA.Children(a, p.A);
  FB.Children(b, p.B);
  p.PairA.assign(p.A.size(), None);
  p.PairB.assign(p.B.size(), None);
  p.Same.assign(p.A.size(), TSame::smNo);
  const bool top = a == None;
  if (top) {
    if (p.A.size() > 1 || p.B.size() > 1) PairItems(a, b, TListRule::lrShape, p);
    // What is left at the top level pairs in order where the types agree.
    PairBySteps(p, /*counted=*/p.A.size() <= 1 && p.B.size() <= 1);
  } else {
    const TListRule ruleA = FA.RuleOf(a, &p.KeyA);
    const TListRule ruleB = FB.RuleOf(b, &p.KeyB);
    if (ruleA == TListRule::lrNone || ruleB == TListRule::lrNone) {
      PairBySteps(p, /*counted=*/true);
    } else if (ruleA == ruleB) {
      PairItems(a, b, ruleA, p);
    } else {
      // Lists the two sides type apart: by value, then by the first primitive inside.
      p.KeyA = p.KeyB = {};
      PairItems(a, b, TListRule::lrShape, p);
    }
  }
  // In A's order; what only B has goes before the B child it precedes, after
  // the A child passed last (a pair of the same value makes no op of its own).
  std::size_t cursor = 0;
  std::uint32_t lastB = 0;
  std::uint32_t passed = None;
  for (std::size_t i = 0; i < p.A.size(); ++i) {
    const std::uint32_t j = p.PairA[i];
    if (j == None) {
      frame.Ops.push_back({p.A[i], None});
      passed = p.A[i];
      continue;
    }
    for (; cursor < j; ++cursor)
      if (p.PairB[cursor] == None) frame.Ops.push_back({None, p.B[cursor], false, passed});
    cursor = std::max<std::size_t>(cursor, j + 1);
    if (j < lastB) reordered = true;
    lastB = std::max(lastB, j);
    passed = p.A[i];
    // The same value: only its encodings may differ, and not where the octets are the same.
    if (p.Same[i] != TSame::smNo) {
      if (FOptions.Encodings && p.Same[i] == TSame::smValue) frame.Ops.push_back({p.A[i], p.B[j], true});
      continue;
    }
    // Going into items hashed just now: the lists inside them are hashed on the way.
    if (p.FreshA) FHashA.Hash(p.A[i], /*remember=*/true);
    if (p.FreshB) FHashB.Hash(p.B[j], /*remember=*/true);
    frame.Ops.push_back({p.A[i], p.B[j]});
  }
  for (; cursor < p.B.size(); ++cursor)
    if (p.PairB[cursor] == None) frame.Ops.push_back({None, p.B[cursor], false, passed});
}

void TComparer::MatchEqualChildren(std::uint32_t a, std::uint32_t b, TFrame& frame) {
  std::vector<std::uint32_t> childrenA, childrenB;
  FA.Children(a, childrenA);
  FB.Children(b, childrenB);
  assert(childrenA.size() == childrenB.size() && "values compared the same have as many children");
  for (std::size_t i = 0; i < childrenA.size() && i < childrenB.size(); ++i) {
    const asn::TElementHeader ha = FA.Tree.Header(childrenA[i]);
    const asn::TElementHeader hb = FB.Tree.Header(childrenB[i]);
    if (!Equal(FA.Encoding(ha), FB.Encoding(hb))) frame.Ops.push_back({childrenA[i], childrenB[i], true});
  }
}

void TComparer::PairItems(std::uint32_t a, std::uint32_t b, TListRule rule, TPairing& p) {
  p.KnownA = a != None ? FHashA.Known(a) : nullptr;
  p.KnownB = b != None ? FHashB.Known(b) : nullptr;
  p.FreshA = p.KnownA == nullptr;
  p.FreshB = p.KnownB == nullptr;
  switch (rule) {
    case TListRule::lrNone:
      assert(false && "a list rule pairs items");
      return;
    case TListRule::lrContent:
      PairByValue(p);
      return;
    case TListRule::lrKeyed:
    case TListRule::lrShape:
      PairByValue(p);
      PairByKey(p);
      return;
    case TListRule::lrAligned:
      AlignItems(p);
      return;
  }
}

void TComparer::PairByValue(TPairing& p) {
  const auto countA = static_cast<std::uint32_t>(p.A.size());
  const auto countB = static_cast<std::uint32_t>(p.B.size());
  // First the same octets, which are the same value: most items of two
  // versions of a list, found without a walk through them. Lists in items
  // walked on the way in have their values known already, and may nest deep.
  std::vector<std::uint64_t> hashA(countA), hashB(countB);
  if (p.FreshA && p.FreshB) {
    for (std::uint32_t i = 0; i < countA; ++i) hashA[i] = HashBytes(0, FA.Encoding(FA.Tree.Header(p.A[i])));
    for (std::uint32_t j = 0; j < countB; ++j) hashB[j] = HashBytes(0, FB.Encoding(FB.Tree.Header(p.B[j])));
    TQueues byOctets(
        countB, [&](std::uint32_t j) { return hashB[j]; }, [](std::uint32_t) { return true; });
    for (std::uint32_t i = 0; i < countA; ++i) {
      const std::uint32_t j = byOctets.Pop(hashA[i]);
      if (j == None) continue;
      if (Equal(FA.Encoding(FA.Tree.Header(p.A[i])), FB.Encoding(FB.Tree.Header(p.B[j])))) p.Pair(i, j, TSame::smOctets);
    }
  }
  // Then equal values, by a hash of the decoded value confirmed by the values.
  HashItems(p, 0, countA, countB, hashA, hashB);
  TQueues byValue(
      countB, [&](std::uint32_t j) { return hashB[j]; }, [&](std::uint32_t j) { return p.PairB[j] == None; });
  for (std::uint32_t i = 0; i < countA; ++i) {
    if (p.PairA[i] != None) continue;
    const std::uint32_t j = byValue.Pop(hashA[i]);
    if (j != None && SameValue(p.A[i], p.B[j])) p.Pair(i, j, TSame::smValue);
  }
}

// The value hashes of the items from `from` not yet paired: known, or made by
// walking each.
void TComparer::HashItems(TPairing& p, std::uint32_t from, std::uint32_t endA, std::uint32_t endB,
                          std::vector<std::uint64_t>& hashA, std::vector<std::uint64_t>& hashB) {
  for (std::uint32_t i = from; i < endA; ++i)
    if (p.PairA[i] == None) hashA[i] = p.KnownA ? p.KnownA[i].Value : FHashA.Hash(p.A[i], /*remember=*/false).Value;
  for (std::uint32_t j = from; j < endB; ++j)
    if (p.PairB[j] == None) hashB[j] = p.KnownB ? p.KnownB[j].Value : FHashB.Hash(p.B[j], /*remember=*/false).Value;
}

void TComparer::PairByKey(TPairing& p) {
  // The same key: an entry whose serial number stayed, an extension whose OID
  // did. A keyed list's key is its key field's value; else, or where an item
  // lacks the field, the value of the first primitive inside.
  auto keyOf = [](const TSide& side, THasher& hasher, const TItemHash* known, std::string_view field,
                  std::uint32_t item, std::uint32_t ordinal) {
    const std::uint32_t child = field.empty() ? None : side.FieldChild(item, field);
    if (child != None) return hasher.Hash(child, /*remember=*/false).Value;
    return known ? known[ordinal].Key : hasher.Key(item);
  };
  std::vector<std::uint64_t> keysB(p.B.size());
  for (std::uint32_t j = 0; j < p.B.size(); ++j)
    if (p.PairB[j] == None) keysB[j] = keyOf(FB, FHashB, p.KnownB, p.KeyB, p.B[j], j);
  TQueues byKey(
      static_cast<std::uint32_t>(p.B.size()), [&](std::uint32_t j) { return keysB[j]; },
      [&](std::uint32_t j) { return p.PairB[j] == None; });
  for (std::uint32_t i = 0; i < p.A.size(); ++i) {
    if (p.PairA[i] != None) continue;
    const std::uint32_t j = byKey.Pop(keyOf(FA, FHashA, p.KnownA, p.KeyA, p.A[i], i));
    if (j != None) p.Pair(i, j, TSame::smNo);
  }
}

void TComparer::AlignItems(TPairing& p) {
  // The same items at the start and at the end pair first: by their octets
  // without a walk, then by their values. What lies between aligns on the
  // values' hashes (Alignment), and the items between two of its pairs pair
  // in order; what is left over was put in or taken out.
  const auto countA = static_cast<std::uint32_t>(p.A.size());
  const auto countB = static_cast<std::uint32_t>(p.B.size());
  std::uint32_t from = 0, endA = countA, endB = countB;
  auto trim = [&](auto same) {
    for (; from < endA && from < endB; ++from) {
      const TSame s = same(from, from);
      if (s == TSame::smNo) break;
      p.Pair(from, from, s);
    }
    for (; endA > from && endB > from; --endA, --endB) {
      const TSame s = same(endA - 1, endB - 1);
      if (s == TSame::smNo) break;
      p.Pair(endA - 1, endB - 1, s);
    }
  };
  if (p.FreshA && p.FreshB)
    trim([&](std::uint32_t i, std::uint32_t j) {
      return Equal(FA.Encoding(FA.Tree.Header(p.A[i])), FB.Encoding(FB.Tree.Header(p.B[j]))) ? TSame::smOctets
                                                                                              : TSame::smNo;
    });
  std::vector<std::uint64_t> hashA(countA), hashB(countB);
  HashItems(p, from, endA, endB, hashA, hashB);
  trim([&](std::uint32_t i, std::uint32_t j) {
    return hashA[i] == hashB[j] ? Sameness(p.A[i], p.B[j]) : TSame::smNo;
  });
  TAlignedPairs anchors =
      AlignHashes(std::span(hashA).subspan(from, endA - from), std::span(hashB).subspan(from, endB - from));
  for (auto& [x, y] : anchors) {
    x += from;
    y += from;
  }
  anchors.emplace_back(endA, endB);  // the end closes the last gap
  std::uint32_t i = from, j = from;
  for (const auto& [x, y] : anchors) {
    const bool end = x == endA;
    const TSame same = end ? TSame::smNo : Sameness(p.A[x], p.B[y]);
    // A hash that matched without the value is no anchor: it stays in the gap.
    if (!end && same == TSame::smNo) continue;
    for (; i < x && j < y; ++i, ++j) p.Pair(i, j, TSame::smNo);
    if (end) break;
    p.Pair(x, y, same);
    i = x + 1;
    j = y + 1;
  }
}

// What pairs a child with the other side's: its steps where named, else its
// tag and, with counts, how many of that tag came before it.
std::string TComparer::Identity(const TSide& side, std::uint32_t e,
                                std::unordered_map<std::uint64_t, std::uint32_t>* counts) const {
  std::string identity;
  if (side.Names.IsNamed(e)) {
    identity.push_back('.');
    side.Names.AppendOwnSteps(identity, e, 0);
    return identity;
  }
  const std::uint64_t tag = TagCode(side.Tree.Header(e));
  identity = '#' + std::to_string(tag);
  if (counts != nullptr) identity += '/' + std::to_string((*counts)[tag]++);
  return identity;
}

void TComparer::PairBySteps(TPairing& p, bool counted) {
  // Each side's children by identity, paired in order. Unnamed children go by
  // tag and count rather than place, so that an optional element more does not
  // move the others, and a SET's components pair in any order.
  std::unordered_map<std::uint64_t, std::uint32_t> countsA, countsB;
  std::unordered_map<std::string, std::vector<std::uint32_t>> waiting;
  std::vector<std::string> identitiesB(p.B.size());
  for (std::uint32_t j = 0; j < p.B.size(); ++j)
    if (p.PairB[j] == None) identitiesB[j] = Identity(FB, p.B[j], counted ? &countsB : nullptr);
  for (std::uint32_t j = static_cast<std::uint32_t>(p.B.size()); j-- > 0;)
    if (p.PairB[j] == None) waiting[identitiesB[j]].push_back(j);
  for (std::uint32_t i = 0; i < p.A.size(); ++i) {
    if (p.PairA[i] != None) continue;
    auto it = waiting.find(Identity(FA, p.A[i], counted ? &countsA : nullptr));
    if (it == waiting.end() || it->second.empty()) continue;
    const std::uint32_t j = it->second.back();
    it->second.pop_back();
    p.PairA[i] = j;
    p.PairB[j] = i;
  }
}

bool TComparer::SameValue(std::uint32_t a, std::uint32_t b) {
  // The same encoding is the same value.
  if (Equal(FA.Encoding(FA.Tree.Header(a)), FB.Encoding(FB.Tree.Header(b)))) return true;
  // Else the same tags, forms and leaf values, children in the same order; a
  // SET in another order fails here and is then compared child by child.
  // Level by level, so that such a SET is found before what lies below it.
  std::vector<TOp>& queue = FSameQueue;
  queue.assign(1, {a, b});
  for (std::size_t next = 0; next < queue.size(); ++next) {
    const TOp pair = queue[next];
    const asn::TElementHeader ha = FA.Tree.Header(pair.A);
    const asn::TElementHeader hb = FB.Tree.Header(pair.B);
    const TForm form = FormOf(pair.A, ha, pair.B, hb);
    if (form == TForm::fkMismatch) return false;
    if (form == TForm::fkLeaves) {
      if (!Equal(FA.LeafValue(pair.A, ha, FScratchA), FB.LeafValue(pair.B, hb, FScratchB))) return false;
      continue;
    }
    const std::size_t first = queue.size();
    FA.ForChildren(pair.A, [&](std::uint32_t c) { queue.push_back({c, None}); });
    std::size_t at = first;
    bool fits = true;
    FB.ForChildren(pair.B, [&](std::uint32_t c) {
      if (at < queue.size()) queue[at++].B = c;
      else fits = false;
    });
    if (!fits || at != queue.size()) return false;
  }
  return true;
}

std::uint32_t IndexInParent(const TDocument& tree, std::uint32_t element) {
  const std::uint32_t parent = tree.Parent(element);
  std::uint32_t low = 0;
  std::uint32_t high = tree.ChildCount(parent);
  while (high - low > 1) {
    const std::uint32_t middle = low + (high - low) / 2;
    if (tree.Child(parent, middle) <= element) low = middle;
    else high = middle;
  }
  return low;
}

}  // namespace

std::vector<TDifference> CompareDocuments(const TDecodedDocument& a, const TDecodedDocument& b,
                                          const TCompareOptions& options) {
  return TComparer(a, b, options).Run();
}

std::string ElementPath(const TDecodedDocument& document, std::uint32_t element) {
  const TDocument& tree = document.Elements();
  const schema::TNames& names = document.Names();
  // The unnamed elements from element up to the first named one, which gives the start.
  std::vector<std::uint32_t> unnamed;
  std::uint32_t e = element;
  for (; e != None && !names.IsNamed(e); e = tree.Parent(e)) unnamed.push_back(e);
  std::string path = e != None ? names.Path(e) : std::string();
  for (auto it = unnamed.rbegin(); it != unnamed.rend(); ++it) {
    if (!path.empty()) path.push_back('.');
    for (char16_t c : tree.Element(*it).Name()) path.push_back(static_cast<char>(c));  // tag names are ASCII
    path += '[' + std::to_string(IndexInParent(tree, *it)) + ']';
  }
  return path;
}

std::u16string ComparedValue(const TDecodedDocument& document, std::uint32_t element) {
  const TSide side(document);
  const asn::TElementHeader h = side.Tree.Header(element);
  // Octets whose type holds no DER (named bits, a signature) read as their row does.
  if (!h.Constructed && (!h.Encapsulates || side.Tree.ContentsHidden(element)))
    return document.ValueText(side.Tree.Element(element));
  std::vector<std::uint8_t> scratch;
  const Bytes value = side.LeafValue(element, h, scratch);
  asn::TASNTag tag;
  const std::uint8_t type = side.ValueType(element, h);
  tag.TagNumber = type != asn::utNone ? type : std::uint8_t{asn::utOctetString};
  tag.Tag = text::DecimalText(static_cast<std::int64_t>(tag.TagNumber));
  asn::RenderContents(tag, value, document.Options().SpaceInHex, document.OIDDictionary);
  return tag.Value;
}

}  // namespace viewer
