// The matcher: one pass over the elements of a top-level element or of an item
// in document order with an explicit stack of frames (one per constructed
// element being matched), so that any nesting depth is fine and the cost is
// linear in the elements named. A SEQUENCE OF or SET OF with many items is
// left for later as a family; each of its items is matched alone, as the top
// level's are, when it is first asked about.
#include "schema/names.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>

#include "schema/schema_tables.h"

namespace schema {

namespace {

using namespace tables;

constexpr std::uint32_t NoType = 0xFFFFFFFFu;
constexpr std::uint32_t NoFamily = 0xFFFFFFFFu;
// A SEQUENCE OF or SET OF with more items than this is named item by item as
// they are asked about (a CRL's entries, a large SET OF certificates).
constexpr std::uint32_t LazyItems = 64;
// Elements a trial match of a candidate top-level type may name before it is
// scored: enough to see a document whole or tell the candidates apart, little
// on a huge document (the rest is checked item by item as it is named).
constexpr std::uint32_t TrialBudget = 400;
// Fields per SEQUENCE whose element is remembered as a possible open-type key.
constexpr std::uint32_t KeyFields = 16;
// Items of a SEQUENCE OF up to this many elements are matched once per shape
// and their names copied to the items of the same shape (a CRL's entries).
constexpr std::uint32_t MaxTemplateElements = 64;
// Shapes remembered at once; a new one replaces the oldest.
constexpr std::size_t MaxTemplates = 16;

bool Accepts(std::uint32_t type, const asn::TElementHeader& h) {
  const TTypeNode& n = Types[type];
  if (n.AcceptsAny) return true;
  const std::uint32_t code = TagCode(h);
  for (std::uint32_t i = 0; i < n.AcceptCount; ++i)
    if (AcceptTags[n.Accept + i] == code) return true;
  return false;
}

bool TagMatches(const TTypeNode& n, const asn::TElementHeader& h) { return TagCode(h) == n.Tag; }

// A primitive type's universal tag, an IMPLICIT tag or not; 0 when unknown.
std::uint32_t UniversalOf(const TTypeNode& n) {
  if (n.Universal != 0) return n.Universal;
  return n.Tag >> 30 == 0 ? n.Tag : 0;
}

// Whether a value of the primitive type may come in constructed form: only
// the strings may (X.690 8.6 to 8.23); an INTEGER, BOOLEAN, NULL, OID, REAL or
// ENUMERATED may not.
bool MayBeSegmented(const TTypeNode& n) {
  switch (UniversalOf(n)) {
    case asn::utBoolean:
    case asn::utInteger:
    case asn::utNull:
    case asn::utObjectIdentifier:
    case asn::utReal:
    case asn::utEnumerated:
    case asn::utRelativeOid:
      return false;
    default:
      return true;
  }
}

// Whether a match that names this element (below the top) tells its type from
// others by more than a count of INTEGERs: structure, a tag of its own, an OID
// or an ENUMERATED.
bool Distinctive(const asn::TElementHeader& h) {
  return h.Constructed || h.TagClass != asn::ASN1Universal || h.UniversalTag() == asn::utObjectIdentifier ||
         h.UniversalTag() == asn::utEnumerated;
}

// The end-of-contents octets of an indefinite length, which the tree lists as
// an element; the schemas know nothing of them.
bool IsEndOfContents(const asn::TElementHeader& h) {
  return h.TagClass == asn::ASN1Universal && h.TagNumberFits && h.TagNumber == 0 && !h.Constructed;
}

std::string_view Str(std::uint32_t offset) { return Strings + offset; }

// An alternative is worth showing unless it only picks a universal type (utcTime
// for a UTCTime says nothing the tag name does not).
bool AlternativeSaysMore(std::uint32_t type) {
  const TTypeNode& n = Types[type];
  return !(n.Kind == kPrimitive && (n.Tag >> 30) == 0);
}

// Whether the parse stopped inside element, so that its components are cut
// short rather than missing: its children do not reach its end.
bool CutShort(const asn::IElementTree& tree, std::span<const std::uint8_t> bytes, std::uint32_t element,
              const asn::TElementHeader& h) {
  if (h.Length < 0) return true;
  const std::int64_t end = std::int64_t{h.Offset} + h.HeaderLength() + h.Length;
  if (end > static_cast<std::int64_t>(bytes.size())) return true;
  if (!h.Constructed) return false;
  const std::uint32_t count = tree.ChildCount(element);
  if (count == 0) return end > std::int64_t{h.Offset} + h.HeaderLength();
  const asn::TElementHeader last = tree.Header(tree.Child(element, count - 1));
  return std::int64_t{last.Offset} + last.FullLength() < end;
}

// Whether the parse stopped anywhere inside root: then its last element, or
// one around that, is cut short.
bool Truncated(const asn::IElementTree& tree, std::span<const std::uint8_t> bytes, std::uint32_t root) {
  for (std::uint32_t e = tree.SubtreeEnd(root) - 1;; e = tree.Parent(e)) {
    if (CutShort(tree, bytes, e, tree.Header(e))) return true;
    if (e == root) return false;
  }
}

}  // namespace

struct TNames::TParts {
  std::uint32_t Field = 0;
  std::uint32_t Open = 0;
  std::uint32_t Alt = 0;
  bool Item = false;
  bool SamePath = false;
  bool ShowAlt = false;
  bool Opaque = false;
};

struct TNames::TFrame {
  std::uint32_t Element;
  std::uint32_t Type;
  std::uint32_t Next;   // next child
  std::uint32_t Count;  // children
  std::uint32_t Field;  // SEQUENCE: next field; SET: bit mask of fields used
  std::uint32_t Open;   // SEQUENCE OF, SET OF: the items' open type, or NoType
  std::uint32_t Word;   // a BER string in segments: the word each segment's path repeats
  std::uint32_t Keys;   // which of FieldElements are set
  std::uint32_t OpenRoot;  // the content of the open type (an OID typed it) that holds this, or none
  std::array<std::uint32_t, KeyFields> FieldElements;  // left unset, as Keys says
};

class TNames::TMatcher {
 public:
  TMatcher(const TNames& names, const asn::IElementTree& tree, std::span<const std::uint8_t> bytes)
      : FNames(names), FTree(tree), FBytes(bytes) {}

  struct TTrial {
    std::uint32_t Named;  // up to the budget
    bool Departed;        // the element does not fit the type (open types' contents aside)
    bool Distinctive;     // the match names more than INTEGERs below the top
  };

  // How far the top-level type would name element, within budget elements.
  TTrial Trial(std::uint32_t element, std::uint32_t type, std::uint32_t budget) {
    FBudget = budget;
    FCount = 0;
    FTrialDeparted = false;
    FTrialDistinctive = false;
    FTrialRoot = element;
    FStack.clear();
    TParts parts;
    parts.Open = Types[type].Name;
    Assign(element, FTree.Header(element), type, parts, NoType, /*openRoot=*/asn::NoElement);
    while (!FStack.empty() && !Exhausted() && !FTrialDeparted) Advance();
    return {FCount, FTrialDeparted, FTrialDistinctive};
  }

  // Names the item at index of family f and what lies below it, unless that
  // is done, was rejected or it has no name; says whether it named anything.
  // An item whose type only its shape gave, and which departs from it, is
  // left unnamed; one given its type by evidence is named up to where it
  // departs, and the departure is kept.
  bool Expand(std::uint32_t f, std::uint32_t index) {
    const TFamily family = FNames.FFamilies[f];  // a copy: naming may add families
    const std::uint32_t count = FTree.ChildCount(family.Parent);
    if (index >= count) return false;
    const std::uint32_t item = FTree.Child(family.Parent, index);
    if (FNames.FSlots[item] != 0 || IsRejected(item)) return false;
    const asn::TElementHeader h = FTree.Header(item);
    TParts parts;
    std::uint32_t type = family.Type;
    FEvidence = family.Evidence;
    if (family.Parent == asn::NoElement) {
      const auto run = std::upper_bound(FNames.FTopRuns.begin(), FNames.FTopRuns.end(), index,
                                        [](std::uint32_t i, const TTopRun& r) { return i < r.Start; }) - 1;
      if (run->Entry == NoType) return false;
      type = TopLevel[run->Entry].Type;
      parts.Open = Types[type].Name;
      FEvidence = run->Hinted;
    } else {
      if (ClosesIndefinite(family.Parent, index, h) || !ItemFits(FNames.FFamilies[f], index)) return false;
      parts.Item = true;
    }
    FBudget = 0;
    FCount = 0;
    FStack.clear();
    FFamily = f;
    FItem = item;
    FItemEnd = index + 1 < count ? FTree.Child(family.Parent, index + 1) : family.End;
    FFoundDepartures.clear();
    FDeclared.clear();
    if (family.Parent != asn::NoElement && FItemEnd - item <= MaxTemplateElements) {
      MatchItem(item, FItemEnd, h, type, parts, family.Open);
    } else {
      Assign(item, h, type, parts, family.Open, /*openRoot=*/asn::NoElement);
      while (!FStack.empty()) Advance();
    }
    if (Judge()) {
      FNames.FNamedCount += FCount;
      return FCount != 0;
    }
    Unname(item, FItemEnd);
    FNames.FRejected.insert(std::upper_bound(FNames.FRejected.begin(), FNames.FRejected.end(), item), item);
    return false;
  }

 private:
  bool Exhausted() const { return FBudget != 0 && FCount >= FBudget; }

  bool IsRejected(std::uint32_t item) const {
    return std::binary_search(FNames.FRejected.begin(), FNames.FRejected.end(), item);
  }

  // Whether the item just matched keeps its names: so it does unless it
  // departs from a type without evidence. The departures it keeps are
  // recorded; a constructed element that lacks a component keeps no names
  // below it, as nothing tells which of its components is missing, and an
  // open type's content that misfits keeps none at all.
  bool Judge() {
    for (const TFound& found : FFoundDepartures)
      if (found.OpenRoot == asn::NoElement && !FEvidence) return false;
    for (const TFound& found : FFoundDepartures) {
      FNames.FDepartures.push_back(found.Departure);
      FNames.FDeparturesSorted = false;
      if (found.Departure.Missing) Unname(found.Departure.Element + 1, SubtreeEnd(found.Departure.Element));
      if (found.OpenRoot != asn::NoElement) UnnameOpenContent(found.OpenRoot);
    }
    FDeclared.clear();
    return true;
  }

  // Forgets the names the open type gave root and what it holds; an ANY
  // keeps its name as declared.
  void UnnameOpenContent(std::uint32_t root) {
    if (FNames.FSteps[FNames.FSlots[root]].Open == 0) return;  // the declared element, or done
    Unname(root, SubtreeEnd(root));
    for (const TDeclared& declared : FDeclared)
      if (declared.Element == root) Record(root, declared.Type, declared.Parts);
  }

  // Forgets the names of the elements from first up to end, and of the items
  // of families among them.
  void Unname(std::uint32_t first, std::uint32_t end) {
    for (std::uint32_t e = first; e < end; ++e) {
      if (FNames.FSlots[e] == 0) continue;
      FNames.FSlots.Set(e, 0);
      if (FCount > 0) --FCount;
    }
    for (auto it = FNames.FFamilyOfParent.lower_bound(first); it != FNames.FFamilyOfParent.end() && it->first < end;
         ++it) {
      TFamily& family = FNames.FFamilies[it->second];
      family.Fitting = 0;
      family.Stopped = true;
    }
  }

  bool CutShort(std::uint32_t element, const asn::TElementHeader& h) const {
    return schema::CutShort(FTree, FBytes, element, h);
  }

  // element does not fit what within's type expects there: type, as the field
  // or type name (0 for the end of within). openRoot: the content of the open
  // type that holds element, which alone then misfits. A trial only notes that
  // the candidate fails; naming keeps it for Judge.
  void Depart(std::uint32_t element, std::uint32_t within, std::uint32_t type, std::uint32_t name, bool missing,
              std::uint32_t openRoot) {
    if (FBudget != 0) {
      if (openRoot == asn::NoElement) FTrialDeparted = true;
      return;
    }
    FFoundDepartures.push_back({{element, within, WithinName(within, type), type, name, missing}, openRoot});
  }

  // Within's words now (a missing component leaves it unnamed below): its
  // field, open type, alternative or type (its list's for an item); type's
  // name when it is unnamed.
  std::uint32_t WithinName(std::uint32_t within, std::uint32_t type) const {
    if (within >= FNames.FSlots.Size() || FNames.FSlots[within] == 0) return Types[type].Name;  // none, or a trial
    const TStep& step = FNames.FSteps[FNames.FSlots[within]];
    if (step.Field != 0 || step.Open != 0 || step.Alt != 0)
      return step.Field != 0 ? step.Field : step.Open != 0 ? step.Open : step.Alt;
    // An item of a type without a name: its list's word.
    if (Types[step.Type].Name == 0 && step.Item) return WithinName(FTree.Parent(within), type);
    return Types[step.Type].Name;
  }

  // What an item of list, of type itemType, is called: its type, or the
  // list's field for an item of a type without a name.
  std::uint32_t ItemName(std::uint32_t list, std::uint32_t itemType) const {
    return Types[itemType].Name != 0 ? Types[itemType].Name : WithinName(list, itemType);
  }

  // Whether the item at index is named at all: the items are matched in
  // order up to the first that does not fit the type (end-of-contents aside),
  // which departs from a type given on evidence.
  bool ItemFits(TFamily& family, std::uint32_t index) const {
    while (!family.Stopped && family.Fitting <= index) {
      const std::uint32_t item = FTree.Child(family.Parent, family.Fitting);
      const asn::TElementHeader h = FTree.Header(item);
      if (ClosesIndefinite(family.Parent, family.Fitting, h) || Accepts(family.Type, h)) {
        ++family.Fitting;
        continue;
      }
      family.Stopped = true;
      if (!family.Evidence) break;
      FNames.FDepartures.push_back({item, family.Parent, WithinName(family.Parent, family.Type), family.Type,
                                    ItemName(family.Parent, family.Type), false});
      FNames.FDeparturesSorted = false;
    }
    return index < family.Fitting;
  }

  // Whether the child at index of parent, whose header is h, is the
  // end-of-contents octets that close parent's indefinite length: the tree
  // lists them as an element, the schemas know nothing of them.
  bool ClosesIndefinite(std::uint32_t parent, std::uint32_t index, const asn::TElementHeader& h) const {
    return IsEndOfContents(h) && parent != asn::NoElement && index + 1 == FTree.ChildCount(parent) &&
           asn::IsIndefinite(FTree.Header(parent), FBytes);
  }

  // The child of element after its first, end-of-contents aside, or none.
  std::uint32_t SecondElement(std::uint32_t element) const {
    const std::uint32_t count = FTree.ChildCount(element);
    for (std::uint32_t i = 1; i < count; ++i) {
      const std::uint32_t child = FTree.Child(element, i);
      if (!ClosesIndefinite(element, i, FTree.Header(child))) return child;
    }
    return asn::NoElement;
  }

  // The element after element's subtree, which lies in the item being named.
  std::uint32_t SubtreeEnd(std::uint32_t element) const { return std::min(FTree.SubtreeEnd(element), FItemEnd); }

  // Leaves the items of element, a SEQUENCE OF or SET OF of type, for later;
  // openRoot: the open type's content that holds element, whose OID types its items.
  void AddFamily(std::uint32_t element, std::uint32_t type, std::uint32_t open, std::uint32_t openRoot) {
    const auto f = static_cast<std::uint32_t>(FNames.FFamilies.size());
    const bool evidence = FEvidence || openRoot != asn::NoElement;
    FNames.FFamilies.push_back({element, SubtreeEnd(element), FFamily, Types[type].First, open, 0, false, evidence});
    FNames.FFamilyOfParent.emplace(element, f);
  }

  void Record(std::uint32_t element, std::uint32_t type, const TParts& parts) {
    if (FBudget != 0) {
      if (FCount < FBudget) ++FCount;
      if (element != FTrialRoot && Distinctive(FTree.Header(element))) FTrialDistinctive = true;
      return;
    }
    TStep step;
    step.Field = parts.Field;
    step.Open = parts.Open;
    step.Alt = parts.Alt;
    step.Type = type;
    step.Item = parts.Item;
    step.SamePath = parts.SamePath;
    step.ShowAlt = parts.ShowAlt;
    // Named bits are bits, whatever octets they happen to make.
    step.Opaque = parts.Opaque || (Types[type].Flags & nfOpaque) != 0 || Types[type].NamedBits != 0;
    const std::uint16_t index = FNames.StepIndex(step);
    FNames.FSlots.Set(element, index);
    if (index != 0) ++FCount;
  }

  void Push(std::uint32_t element, std::uint32_t type, std::uint32_t open, std::uint32_t openRoot,
            std::uint32_t word = 0) {
    TFrame& frame = FStack.emplace_back();
    frame.Element = element;
    frame.Type = type;
    frame.Next = 0;
    frame.Count = FTree.ChildCount(element);
    frame.Field = 0;
    frame.Open = open;
    frame.Word = word;
    frame.Keys = 0;
    frame.OpenRoot = openRoot;
  }

  // The word a path repeats for the element inside an EXPLICIT tag or for a
  // segment of a BER string: the outer element's field, type or alternative.
  static std::uint32_t SameWord(const TParts& outer) {
    return outer.Field != 0 ? outer.Field : outer.Open != 0 ? outer.Open : outer.Alt;
  }

  static TParts Inner(const TParts& outer) {
    TParts inner;
    inner.Field = SameWord(outer);
    inner.SamePath = true;
    return inner;
  }

  static TParts OpenContent(std::uint32_t type) {
    TParts parts;
    parts.Open = Types[type].Name;
    return parts;
  }

  // The name a departure gives for what was expected of type at parts.
  static std::uint32_t Expected(std::uint32_t type, const TParts& parts) {
    const std::uint32_t word = SameWord(parts);
    return word != 0 ? word : Types[type].Name;
  }

  // The step of Assign where element, declared as n (ANY or a primitive), holds
  // the open type open: names it as that type, or as the declared one with the
  // open type inside its encapsulated content. A content that misfits stays
  // unnamed (Judge), and the declared element keeps its name. True: go on
  // stepping with the state as changed here; false: element is done.
  bool StepIntoOpenType(const TTypeNode& n, std::uint32_t& element, asn::TElementHeader& h, std::uint32_t& type,
                        TParts& parts, std::uint32_t& open, std::uint32_t& openRoot) {
    const std::uint32_t target = open;
    open = NoType;
    // What a departure at the content's top expects: the type, or the field for an unnamed one.
    const std::uint32_t expected = Types[target].Name != 0 ? Types[target].Name : Expected(type, parts);
    const bool declaredFits = n.Kind == kAny || TagMatches(n, h);
    if (n.Kind == kAny && Accepts(target, h)) {
      if (FBudget == 0) FDeclared.push_back({element, type, parts});
      if (Types[target].Name != 0) parts.Open = Types[target].Name;
      type = target;
      openRoot = element;
      return true;
    }
    if (!declaredFits) {
      // A PKCS #7 content that is the structure itself, not its DER in an
      // OCTET STRING: it fits neither unless it fits the open type.
      if (!Accepts(target, h)) {
        Depart(element, FTree.Parent(element), target, expected, false, openRoot);
        return false;
      }
      if (Types[target].Name != 0) parts.Open = Types[target].Name;
      type = target;
      return true;
    }
    Record(element, type, parts);
    if (h.Constructed && !h.Encapsulates && n.Kind == kPrimitive)
      Push(element, type, NoType, openRoot, SameWord(parts));
    // A primitive content of the declared type is the string itself (PKCS #7 data).
    const bool sameString = Types[target].Kind == kPrimitive && Types[target].Tag == n.Tag;
    if (!h.Encapsulates || FTree.ChildCount(element) == 0) {
      // Octets that do not decode as the DER the OID announces (segments aside),
      // or a value of another type than the OID gives.
      if (!sameString && (n.Kind == kAny || !h.Constructed)) Depart(element, element, target, expected, false, element);
      return false;
    }
    const std::uint32_t inner = FTree.Child(element, 0);
    const asn::TElementHeader innerHeader = FTree.Header(inner);
    if (!Accepts(target, innerHeader)) {
      if (!sameString) Depart(inner, element, target, expected, false, inner);
      return false;
    }
    element = inner;
    h = innerHeader;
    type = target;
    parts = OpenContent(target);
    openRoot = inner;
    return true;
  }

  // Names element (whose header is h) as type, resolving EXPLICIT tags,
  // CHOICEs and the open type open, each a step of this loop, and pushes a
  // frame for its children. openRoot: the open type's content that holds element.
  void Assign(std::uint32_t element, asn::TElementHeader h, std::uint32_t type, TParts parts, std::uint32_t open,
              std::uint32_t openRoot) {
    for (;;) {
      const TTypeNode& n = Types[type];
      if (open != NoType && (n.Kind == kAny || n.Kind == kPrimitive)) {
        if (StepIntoOpenType(n, element, h, type, parts, open, openRoot)) continue;
        return;
      }
      switch (static_cast<TKind>(n.Kind)) {
        case kExplicit: {
          if (!TagMatches(n, h) || !h.Constructed)
            return Depart(element, FTree.Parent(element), type, Expected(type, parts), false, openRoot);
          Record(element, type, parts);
          if (FTree.ChildCount(element) == 0) {
            if (!CutShort(element, h)) Depart(element, element, n.First, Expected(type, parts), true, openRoot);
            return;
          }
          // The tag holds one element, and nothing after it.
          if (const std::uint32_t second = SecondElement(element); second != asn::NoElement)
            Depart(second, element, type, 0, false, openRoot);
          element = FTree.Child(element, 0);
          h = FTree.Header(element);
          type = n.First;
          parts = Inner(parts);
          continue;
        }
        case kChoice: {
          const TField* alt = nullptr;
          for (std::uint32_t i = 0; i < n.Count && alt == nullptr; ++i)
            if (Accepts(Fields[n.First + i].Type, h)) alt = &Fields[n.First + i];
          if (alt == nullptr)
            return Depart(element, FTree.Parent(element), type, Expected(type, parts), false, openRoot);
          parts.Alt = alt->Name;
          parts.ShowAlt = AlternativeSaysMore(alt->Type);
          type = alt->Type;
          continue;
        }
        case kAny:
          Record(element, type, parts);
          return;
        case kPrimitive:
          if (!TagMatches(n, h) || (h.Constructed && !MayBeSegmented(n)))
            return Depart(element, FTree.Parent(element), type, Expected(type, parts), false, openRoot);
          Record(element, type, parts);
          // A BER string in segments: each segment is the field too.
          if (h.Constructed && !h.Encapsulates) Push(element, type, NoType, openRoot, SameWord(parts));
          return;
        case kSequence:
        case kSet:
        case kSequenceOf:
        case kSetOf:
          if (!TagMatches(n, h) || !h.Constructed)
            return Depart(element, FTree.Parent(element), type, Expected(type, parts), false, openRoot);
          Record(element, type, parts);
          if (FBudget == 0 && (n.Kind == kSequenceOf || n.Kind == kSetOf) && FTree.ChildCount(element) > LazyItems)
            AddFamily(element, type, open, openRoot);
          else Push(element, type, open, openRoot);
          return;
      }
      return;
    }
  }

  // The type the OID in the key field picks for field, or NoType.
  std::uint32_t OpenType(const TFrame& frame, const TField& field) {
    if (field.Map < 0 || field.Key < 0 || static_cast<std::uint32_t>(field.Key) >= KeyFields) return NoType;
    if ((frame.Keys >> field.Key & 1) == 0) return NoType;
    std::uint32_t key = frame.FieldElements[static_cast<std::uint32_t>(field.Key)];
    asn::TElementHeader h = FTree.Header(key);
    if (h.Constructed) {  // an AlgorithmIdentifier: its algorithm
      if (FTree.ChildCount(key) == 0) return NoType;
      key = FTree.Child(key, 0);
      h = FTree.Header(key);
    }
    if (h.UniversalTag() != asn::utObjectIdentifier || h.Offset < 0 || h.Length < 0) return NoType;
    const std::size_t from = static_cast<std::size_t>(h.Offset) + static_cast<std::size_t>(h.HeaderLength());
    if (from + static_cast<std::size_t>(h.Length) > FBytes.size()) return NoType;
    const std::span<const std::uint8_t> oid = FBytes.subspan(from, static_cast<std::size_t>(h.Length));
    if (FRecording != asn::NoElement && key >= FRecording && key < FRecordEnd) {
      // The open type depends on these octets: the template checks them.
      TTemplate& t = FNewTemplate;
      t.Keys.push_back({key - FRecording, static_cast<std::uint32_t>(t.KeyOctets.size()),
                        static_cast<std::uint32_t>(oid.size())});
      t.KeyOctets.insert(t.KeyOctets.end(), oid.begin(), oid.end());
    }
    const TMap& map = Maps[field.Map];
    const TMapEntry* first = MapEntries + map.First;
    const TMapEntry* last = first + map.Count;
    auto less = [](const TMapEntry& entry, std::span<const std::uint8_t> value) {
      return std::lexicographical_compare(OidOctets + entry.Oid, OidOctets + entry.Oid + entry.Length, value.begin(),
                                          value.end());
    };
    const TMapEntry* found = std::lower_bound(first, last, oid, less);
    if (found == last || found->Length != oid.size() ||
        !std::equal(oid.begin(), oid.end(), OidOctets + found->Oid))
      return NoType;
    return found->Type;
  }

  // The first required field of a SEQUENCE frame from its next field on, or
  // of a SET frame among those not met; n.Count when none is missing.
  static std::uint32_t MissingField(const TFrame& frame, const TTypeNode& n) {
    const bool set = n.Kind == kSet;
    for (std::uint32_t i = set ? 0 : frame.Field; i < n.Count; ++i) {
      if (set && i < 32 && (frame.Field >> i & 1) != 0) continue;
      if ((Fields[n.First + i].Flags & (ffOptional | ffDefault)) == 0) return i;
    }
    return n.Count;
  }

  // The frame's children are all met: a SEQUENCE or SET that lacks a required
  // field departs, unless the parse stopped inside it.
  void Leave(const TFrame& frame) {
    const TTypeNode& n = Types[frame.Type];
    if (n.Kind != kSequence && n.Kind != kSet) return;
    const std::uint32_t missing = MissingField(frame, n);
    if (missing == n.Count || CutShort(frame.Element, FTree.Header(frame.Element))) return;
    const TField& field = Fields[n.First + missing];
    Depart(frame.Element, frame.Element, field.Type, field.Name, true, frame.OpenRoot);
  }

  // child met no field of its frame's SEQUENCE or SET: the first required
  // field not met, else the end, was expected.
  void Unexpected(const TFrame& frame, std::uint32_t child) {
    const TTypeNode& n = Types[frame.Type];
    const std::uint32_t missing = MissingField(frame, n);
    if (missing == n.Count) return Depart(child, frame.Element, frame.Type, 0, false, frame.OpenRoot);
    const TField& field = Fields[n.First + missing];
    Depart(child, frame.Element, field.Type, field.Name, false, frame.OpenRoot);
  }

  // Matches the next child of the innermost frame, or leaves the frame.
  void Advance() {
    TFrame& frame = FStack.back();
    if (frame.Next >= frame.Count) {
      Leave(frame);
      FStack.pop_back();
      return;
    }
    const std::uint32_t index = frame.Next++;
    const std::uint32_t child = FTree.Child(frame.Element, index);
    const asn::TElementHeader h = FTree.Header(child);
    if (ClosesIndefinite(frame.Element, index, h)) return;
    const TTypeNode& n = Types[frame.Type];
    TParts parts;
    switch (static_cast<TKind>(n.Kind)) {
      case kSequenceOf:
      case kSetOf: {
        if (!Accepts(n.First, h)) {
          Depart(child, frame.Element, n.First, ItemName(frame.Element, n.First), false, frame.OpenRoot);
          FStack.pop_back();
          return;
        }
        parts.Item = true;
        const std::uint32_t open = frame.Open;
        const std::uint32_t openRoot = frame.OpenRoot;
        // Every item but the last has its next sibling as the end of its subtree.
        if (FBudget == 0 && FRecording == asn::NoElement && index + 1 < frame.Count) {
          const std::uint32_t end = FTree.Child(frame.Element, index + 1);
          if (end - child <= MaxTemplateElements) {
            MatchItem(child, end, h, n.First, parts, open, openRoot);  // may grow FStack: frame is not used after
            return;
          }
        }
        Assign(child, h, n.First, parts, open, openRoot);  // may grow FStack: frame is not used after
        return;
      }
      case kSequence: {
        while (frame.Field < n.Count) {
          const TField& field = Fields[n.First + frame.Field];
          if (Accepts(field.Type, h)) break;
          if ((field.Flags & (ffOptional | ffDefault)) == 0) break;
          ++frame.Field;
        }
        if (frame.Field >= n.Count || !Accepts(Fields[n.First + frame.Field].Type, h)) {
          Unexpected(frame, child);
          FStack.pop_back();  // the data departs from the schema here
          return;
        }
        const std::uint32_t fieldIndex = frame.Field++;
        AssignField(frame, fieldIndex, child, h);
        return;
      }
      case kSet: {
        std::uint32_t fieldIndex = 0;
        while (fieldIndex < n.Count &&
               ((fieldIndex < 32 && (frame.Field >> fieldIndex & 1) != 0) ||
                !Accepts(Fields[n.First + fieldIndex].Type, h)))
          ++fieldIndex;
        if (fieldIndex >= n.Count) {
          Unexpected(frame, child);
          FStack.pop_back();
          return;
        }
        if (fieldIndex < 32) frame.Field |= 1u << fieldIndex;
        AssignField(frame, fieldIndex, child, h);
        return;
      }
      case kPrimitive:
        return Segment(frame, child, h);
      case kChoice:
      case kAny:
      case kExplicit:
        break;
    }
    FStack.pop_back();
  }

  // child is a segment of the BER string of frame: a string of its universal
  // type, the string's field too.
  void Segment(const TFrame& frame, std::uint32_t child, const asn::TElementHeader& h) {
    const std::uint32_t universal = UniversalOf(Types[frame.Type]);
    if (universal != 0 && TagCode(h) != universal) {
      Depart(child, frame.Element, frame.Type, frame.Word, false, frame.OpenRoot);
      FStack.pop_back();
      return;
    }
    TParts parts;
    parts.Field = frame.Word;
    parts.SamePath = true;
    Record(child, frame.Type, parts);
  }

  void AssignField(TFrame& frame, std::uint32_t fieldIndex, std::uint32_t child, const asn::TElementHeader& h) {
    const TField& field = Fields[Types[frame.Type].First + fieldIndex];
    if (fieldIndex < KeyFields) {
      frame.FieldElements[fieldIndex] = child;
      frame.Keys |= 1u << fieldIndex;
    }
    const std::uint32_t open = field.Map < 0 ? NoType : OpenType(frame, field);
    TParts parts;
    parts.Field = field.Name;
    // An OID the map lacks: for some maps (signatures, public keys) that means octets, not DER.
    parts.Opaque = field.Map >= 0 && open == NoType && Maps[field.Map].OpaqueOthers != 0;
    Assign(child, h, field.Type, parts, open, frame.OpenRoot);  // may grow FStack: frame is not used after
  }

  // One element of an item whose names were worked out once: what the
  // matcher looked at (its tag, form and place) and the step it got.
  struct TShapeElement {
    std::uint32_t Code;
    std::uint32_t Parent;  // relative to the item; 0 for the item itself
    std::uint16_t Step;
    bool Constructed;
    bool Encapsulates;
    bool Indefinite;  // which lets end-of-contents octets close it
  };
  // An OID whose octets chose an open type inside the item.
  struct TShapeKey {
    std::uint32_t Element;  // relative to the item
    std::uint32_t From;     // its contents at KeyOctets[From ...]
    std::uint32_t Length;
  };
  struct TTemplate {
    std::uint32_t Type = 0;
    std::uint32_t Open = 0;
    std::uint32_t Named = 0;
    bool InOpen = false;
    std::vector<TShapeElement> Elements;
    std::vector<TShapeKey> Keys;
    std::vector<std::uint8_t> KeyOctets;
  };
  // A departure met while naming an item, and the open type's content that
  // holds it (whose OID is evidence of its type), or none.
  struct TFound {
    TDeparture Departure;
    std::uint32_t OpenRoot;
  };

  TShapeElement ShapeOf(std::uint32_t element, std::uint32_t item) const {
    const asn::TElementHeader h = FTree.Header(element);
    const std::uint32_t parent = element == item ? 0 : FTree.Parent(element) - item;
    return {TagCode(h), parent, 0, h.Constructed, h.Encapsulates, h.Constructed && asn::IsIndefinite(h, FBytes)};
  }

  bool Fits(const TTemplate& t, std::uint32_t item) const {
    for (std::uint32_t k = 0; k < t.Elements.size(); ++k) {
      const TShapeElement shape = ShapeOf(item + k, item);
      const TShapeElement& want = t.Elements[k];
      if (shape.Code != want.Code || shape.Parent != want.Parent || shape.Constructed != want.Constructed ||
          shape.Encapsulates != want.Encapsulates || shape.Indefinite != want.Indefinite)
        return false;
    }
    for (const TShapeKey& key : t.Keys) {
      const asn::TElementHeader h = FTree.Header(item + key.Element);
      if (h.Length < 0 || static_cast<std::uint32_t>(h.Length) != key.Length ||
          static_cast<std::size_t>(h.Offset) + static_cast<std::size_t>(h.HeaderLength()) + key.Length > FBytes.size())
        return false;
      const std::uint8_t* octets = FBytes.data() + h.Offset + h.HeaderLength();
      if (!std::equal(octets, octets + key.Length, t.KeyOctets.data() + key.From)) return false;
    }
    return true;
  }

  // Names the item element (whose subtree ends before end) as type: from a
  // template when an earlier item had its shape, else by matching it and
  // keeping what that took as a new template. An item that departs is no
  // template: the items of its shape are matched, and depart, each alone.
  void MatchItem(std::uint32_t item, std::uint32_t end, const asn::TElementHeader& h, std::uint32_t type,
                 const TParts& parts, std::uint32_t open,
                 std::uint32_t openRoot = asn::NoElement) {
    const std::uint32_t size = end - item;
    for (std::size_t i = 0; i < FTemplates.size(); ++i) {
      const TTemplate& t = FTemplates[(FLastTemplate + i) % FTemplates.size()];
      if (t.Type != type || t.Open != open || t.InOpen != (openRoot != asn::NoElement) || t.Elements.size() != size ||
          !Fits(t, item))
        continue;
      for (std::uint32_t k = 0; k < size; ++k) FNames.FSlots.Set(item + k, t.Elements[k].Step);
      FCount += t.Named;
      FLastTemplate = (FLastTemplate + i) % FTemplates.size();
      return;
    }
    FRecording = item;
    FRecordEnd = end;
    TTemplate& t = FNewTemplate;
    t.Keys.clear();
    t.KeyOctets.clear();
    const std::uint32_t before = FCount;
    const std::size_t departures = FFoundDepartures.size();
    const std::size_t depth = FStack.size();
    Assign(item, h, type, parts, open, openRoot);
    while (FStack.size() > depth) Advance();
    FRecording = asn::NoElement;
    if (FFoundDepartures.size() != departures) return;
    t.Type = type;
    t.Open = open;
    t.InOpen = openRoot != asn::NoElement;
    t.Named = FCount - before;
    t.Elements.clear();
    for (std::uint32_t k = 0; k < size; ++k) {
      t.Elements.push_back(ShapeOf(item + k, item));
      t.Elements.back().Step = FNames.FSlots[item + k];
    }
    if (FTemplates.size() < MaxTemplates) {
      FTemplates.push_back(std::move(t));
      FLastTemplate = FTemplates.size() - 1;
    } else {
      FLastTemplate = FReplace;
      std::swap(FTemplates[FReplace], t);
      FReplace = (FReplace + 1) % MaxTemplates;
    }
  }

  const TNames& FNames;
  const asn::IElementTree& FTree;
  std::span<const std::uint8_t> FBytes;
  std::vector<TFrame> FStack;
  std::vector<TTemplate> FTemplates;
  TTemplate FNewTemplate;
  std::size_t FLastTemplate = 0;
  std::size_t FReplace = 0;
  // The item being matched for a template (NoElement when none) and the end of its subtree.
  std::uint32_t FRecording = asn::NoElement;
  std::uint32_t FRecordEnd = 0;
  std::uint32_t FBudget = 0;
  std::uint32_t FCount = 0;
  // What a trial found.
  std::uint32_t FTrialRoot = asn::NoElement;
  bool FTrialDeparted = false;
  bool FTrialDistinctive = false;
  // The family and item being named, the end of the item's subtree, whether
  // its type comes from evidence, and the departures met in it.
  std::uint32_t FFamily = NoFamily;
  std::uint32_t FItem = asn::NoElement;
  std::uint32_t FItemEnd = 0;
  bool FEvidence = false;
  std::vector<TFound> FFoundDepartures;
  // How the ANYs that hold an open type's content in the item were declared.
  struct TDeclared {
    std::uint32_t Element;
    std::uint32_t Type;
    TParts Parts;
  };
  std::vector<TDeclared> FDeclared;
};

namespace {

// How element's own children fit type's fields in order (or its items): a
// cheap first test of a candidate top-level type. A document cut short fits
// as a prefix: every child in place, fields missing at the end. With depth,
// each child of a SEQUENCE must also fit its field's type that many levels
// down (a CRL's top level fits a Certificate; its tbsCertList does not fit a
// TBSCertificate).
enum class TFit : std::uint8_t { fNone, fPrefix, fFull };

TFit ShallowFit(const asn::IElementTree& tree, std::uint32_t element, std::uint32_t type, unsigned depth = 0) {
  const asn::TElementHeader h = tree.Header(element);
  if (!Accepts(type, h)) return TFit::fNone;
  const TTypeNode& n = Types[type];
  const std::uint32_t count = tree.ChildCount(element);
  switch (static_cast<TKind>(n.Kind)) {
    case kSequence: {
      std::uint32_t field = 0;
      for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t child = tree.Child(element, i);
        const asn::TElementHeader c = tree.Header(child);
        if (IsEndOfContents(c)) continue;
        while (field < n.Count && !Accepts(Fields[n.First + field].Type, c)) {
          if ((Fields[n.First + field].Flags & (ffOptional | ffDefault)) == 0) return TFit::fNone;
          ++field;
        }
        if (field >= n.Count) return TFit::fNone;
        if (depth > 0 && ShallowFit(tree, child, Fields[n.First + field].Type, depth - 1) == TFit::fNone)
          return TFit::fNone;
        ++field;
      }
      for (; field < n.Count; ++field)
        if ((Fields[n.First + field].Flags & (ffOptional | ffDefault)) == 0)
          return count > 0 ? TFit::fPrefix : TFit::fNone;
      return TFit::fFull;
    }
    case kSequenceOf:
    case kSetOf:
      for (std::uint32_t i = 0; i < std::min<std::uint32_t>(count, 16); ++i) {
        const asn::TElementHeader c = tree.Header(tree.Child(element, i));
        if (!IsEndOfContents(c) && !Accepts(n.First, c)) return TFit::fNone;
      }
      return TFit::fFull;
    case kPrimitive:
    case kSet:
    case kChoice:
    case kAny:
    case kExplicit:
      return TFit::fFull;
  }
  return TFit::fFull;
}

bool LabelAnnounces(const TTopLevel& top, std::string_view pemLabel) {
  for (std::uint32_t i = 0; i < top.LabelCount; ++i)
    if (Str(PemLabels[top.FirstLabel + i]) == pemLabel) return true;
  return false;
}

}  // namespace

void TNames::Clear() {
  FTree = nullptr;
  FBytes = {};
  FTopRuns.clear();
  FSlots.Reset(0);
  FSteps.clear();
  FStepIndex.clear();
  FNamedCount = 0;
  FFamilies.clear();
  FFamilyOfParent.clear();
  FPending = false;
  FRejected.clear();
  FDepartures.clear();
  FDeparturesSorted = true;
}

std::uint16_t TNames::StepIndex(const TStep& step) const {
  // String offsets take 15 bits and type indexes 13 (the generator checks).
  const std::uint64_t key = std::uint64_t{step.Field} | std::uint64_t{step.Open} << 15 | std::uint64_t{step.Alt} << 30 |
                            std::uint64_t{step.Type} << 45 | std::uint64_t{step.Item} << 58 |
                            std::uint64_t{step.SamePath} << 59 | std::uint64_t{step.ShowAlt} << 60 |
                            std::uint64_t{step.Opaque} << 61;
  // Most elements repeat the step of an element named just before.
  std::size_t slot = static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> 56);
  auto& cached = FStepCache[slot];
  if (cached.first == key && cached.second != 0) return cached.second;
  const auto it = FStepIndex.find(key);
  std::uint16_t index = 0;
  if (it != FStepIndex.end()) {
    index = it->second;
  } else {
    if (FSteps.size() > 0xFFFF) return 0;
    index = static_cast<std::uint16_t>(FSteps.size());
    FSteps.push_back(step);
    FStepIndex.emplace(key, index);
  }
  cached = {key, index};
  return index;
}

void TNames::Build(const asn::IElementTree& tree, std::span<const std::uint8_t> bytes, std::string_view pemLabel) {
  Clear();
  FTree = &tree;
  FBytes = bytes;
  FSteps.emplace_back();  // step 0: unnamed
  FStepCache.fill({0, 0});
  TMatcher matcher(*this, tree, bytes);
  TTopRun previous{0, NoType, false};
  bool recognised = false;
  const std::uint32_t tops = tree.ChildCount(asn::NoElement);
  for (std::uint32_t t = 0; t < tops; ++t) {
    const std::uint32_t element = tree.Child(asn::NoElement, t);
    const asn::TElementHeader h = tree.Header(element);
    TTopRun run{t, NoType, false};
    // A run of documents of one kind (a bundle of certificates) keeps its type
    // while each fits it two levels down; each is matched whole when named.
    if (previous.Entry != NoType && ShallowFit(tree, element, TopLevel[previous.Entry].Type, 1) == TFit::fFull) {
      run.Entry = previous.Entry;
      run.Hinted = previous.Hinted;
    }
    // The type the label announces, should the document fit no type whole.
    std::uint32_t announced = NoType;
    std::uint64_t bestScore = 0;
    std::uint32_t fitting = 0;
    const bool continues = run.Entry != NoType;
    for (std::uint32_t c = 0; c < TopLevelCount && !continues; ++c) {
      const TTopLevel& top = TopLevel[c];
      const bool hinted = !pemLabel.empty() && LabelAnnounces(top, pemLabel);
      if (!Accepts(top.Type, h)) continue;
      const TFit fit = ShallowFit(tree, element, top.Type);
      if (fit == TFit::fNone && !hinted) continue;
      const TMatcher::TTrial trial = matcher.Trial(element, top.Type, TrialBudget);
      if (trial.Departed) {
        if (hinted && announced == NoType) announced = c;
        continue;
      }
      // A shape that many types share (a few INTEGERs) needs the label.
      if (!hinted && !trial.Distinctive) continue;
      ++fitting;
      // The label first, then how far the schema carries, then how well the top level fits.
      const std::uint64_t score =
          (hinted ? 1ull << 40 : 0) + (std::uint64_t{trial.Named} << 2) + static_cast<std::uint64_t>(fit);
      if (score > bestScore) {
        bestScore = score;
        run.Entry = c;
        run.Hinted = hinted;
      }
    }
    // Where the parse stopped inside the element only its start is known:
    // it tells the type only when no other fits it too.
    if (run.Entry != NoType && !run.Hinted && fitting > 1 && Truncated(tree, bytes, element)) run.Entry = NoType;
    if (run.Entry == NoType && announced != NoType) {
      run.Entry = announced;
      run.Hinted = true;
    }
    if (FTopRuns.empty() || FTopRuns.back().Entry != run.Entry || FTopRuns.back().Hinted != run.Hinted)
      FTopRuns.push_back(run);
    previous = run;
    if (run.Entry != NoType) recognised = true;
  }
  // Only a document with something to name pays for the slots.
  if (!recognised) return;
  FSlots.Reset(tree.ElementCount());
  FFamilies.push_back({asn::NoElement, tree.ElementCount(), NoFamily, NoType, NoType, 0, false, false});
  FPending = true;
}

void TNames::NameAll() const {
  if (!FPending) return;
  TMatcher matcher(*this, *FTree, FBytes);
  // Naming an item may add families at the end.
  for (std::uint32_t f = 0; f < FFamilies.size(); ++f) {
    const std::uint32_t count = FTree->ChildCount(FFamilies[f].Parent);
    for (std::uint32_t i = 0; i < count && !FFamilies[f].Stopped; ++i) matcher.Expand(f, i);
  }
  FPending = false;
}

void TNames::SettleFamilies(std::uint32_t element) const {
  if (element >= FSlots.Size()) return;
  TMatcher matcher(*this, *FTree, FBytes);
  for (;;) {
    // The innermost family holding element: families nest as their subtrees
    // do, so it is the last one to start before element or one around that.
    std::uint32_t f = 0;
    auto after = FFamilyOfParent.lower_bound(element);
    if (after != FFamilyOfParent.begin()) {
      f = std::prev(after)->second;
      while (f != 0 && element >= FFamilies[f].End) f = FFamilies[f].Outer;
    }
    // Naming the item that holds element may leave element in a family of its own.
    if (!matcher.Expand(f, ChildIndexAt(FFamilies[f].Parent, element))) return;
  }
}

const std::vector<TNames::TDeparture>& TNames::Departures() const {
  NameAll();
  if (!FDeparturesSorted) {
    std::sort(FDepartures.begin(), FDepartures.end(),
              [](const TDeparture& a, const TDeparture& b) { return a.Element < b.Element; });
    FDeparturesSorted = true;
  }
  return FDepartures;
}

namespace {

}  // namespace


std::string_view TNames::FieldName(std::uint32_t element) const {
  return IsNamed(element) ? Str(FSteps[FSlots[element]].Field) : std::string_view{};
}

std::string_view TNames::TypeName(std::uint32_t element) const {
  return IsNamed(element) ? Str(Types[FSteps[FSlots[element]].Type].Name) : std::string_view{};
}

std::string_view TNames::Alternative(std::uint32_t element) const {
  return IsNamed(element) ? Str(FSteps[FSlots[element]].Alt) : std::string_view{};
}

const TTypeNode* TNames::TypeNode(std::uint32_t element) const {
  return IsNamed(element) ? &Types[FSteps[FSlots[element]].Type] : nullptr;
}

std::string TNames::Label(std::uint32_t element) const {
  if (!IsNamed(element)) return {};
  const TStep& step = FSteps[FSlots[element]];
  std::string label;
  auto add = [&](std::uint32_t word) {
    if (word == 0) return;
    if (!label.empty()) label.push_back(' ');
    label += Str(word);
  };
  add(step.Field);
  add(step.Open);
  if (step.ShowAlt) add(step.Alt);
  if (label.empty()) add(Types[step.Type].Name);
  return label;
}

void TNames::AppendOwnSteps(std::string& path, std::uint32_t element, std::uint32_t index) const {
  if (!IsNamed(element)) return;
  const TStep& step = FSteps[FSlots[element]];
  auto add = [&](std::uint32_t word) {
    if (word == 0) return;
    if (!path.empty()) path.push_back('.');
    path += Str(word);
  };
  if (!step.SamePath) {
    if (step.Item) {
      char digits[12];
      char* end = digits + sizeof digits;
      char* at = end;
      do {
        *--at = static_cast<char>('0' + index % 10);
        index /= 10;
      } while (index != 0);
      path.push_back('[');
      path.append(at, end);
      path.push_back(']');
    }
    add(step.Field);
  }
  add(step.Open);
  add(step.Alt);
}

std::uint32_t TNames::ChildIndexAt(std::uint32_t parent, std::uint32_t element) const {
  std::uint32_t low = 0;
  std::uint32_t high = FTree->ChildCount(parent);
  while (high - low > 1) {
    const std::uint32_t middle = low + (high - low) / 2;
    if (FTree->Child(parent, middle) <= element) low = middle;
    else high = middle;
  }
  return low;
}

std::string TNames::Path(std::uint32_t element) const {
  // Once element is named, so is everything around it.
  if (!IsNamed(element) || FTree == nullptr) return {};
  std::vector<std::uint32_t> chain;
  for (std::uint32_t e = element; e != asn::NoElement && Named(e); e = FTree->Parent(e)) chain.push_back(e);
  std::string path;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    const bool item = FSteps[FSlots[*it]].Item;
    AppendOwnSteps(path, *it, item ? IndexInParent(*it) : 0);
  }
  return path;
}

std::uint32_t TagCode(const asn::TElementHeader& h) {
  if (!h.TagNumberFits || h.TagNumber >= (1u << 30)) return 0xFFFFFFFFu;
  return static_cast<std::uint32_t>(h.TagClass) << 30 | h.TagNumber;
}

std::string_view SchemaWord(std::uint32_t offset) { return Str(offset); }

std::string ExpectedText(std::uint32_t type) {
  const TTypeNode& n = Types[type];
  if (!n.AcceptsAny && n.AcceptCount == 1) return TagText(AcceptTags[n.Accept]);
  return std::string(Str(n.Name));
}

std::string TagText(std::uint32_t code) {
  static constexpr const char* Universal[31] = {
      "EOC", "BOOLEAN", "INTEGER", "BIT STRING", "OCTET STRING", "NULL", "OBJECT IDENTIFIER", "ObjectDescriptor",
      "EXTERNAL", "REAL", "ENUMERATED", "EMBEDDED PDV", "UTF8String", "RELATIVE-OID", nullptr, nullptr, "SEQUENCE",
      "SET", "NumericString", "PrintableString", "T61String", "VideotexString", "IA5String", "UTCTime",
      "GeneralizedTime", "GraphicString", "VisibleString", "GeneralString", "UniversalString", "CHARACTER STRING",
      "BMPString"};
  static constexpr const char* Classes[4] = {"UNIVERSAL ", "APPLICATION ", "", "PRIVATE "};
  const std::uint32_t number = code & 0x3FFFFFFFu;
  if (code >> 30 == 0 && number < 31 && Universal[number] != nullptr) return Universal[number];
  return std::string("[") + Classes[code >> 30] + std::to_string(number) + "]";
}

const TTypeNode* TNames::SoleFit(std::uint32_t element) const {
  if (FTree == nullptr || element >= FTree->ElementCount()) return nullptr;
  TMatcher matcher(*this, *FTree, FBytes);
  const asn::TElementHeader h = FTree->Header(element);
  const TTypeNode* found = nullptr;
  for (std::uint32_t c = 0; c < TopLevelCount; ++c) {
    const TTopLevel& top = TopLevel[c];
    if (top.LabelCount == 0 || !Accepts(top.Type, h) || ShallowFit(*FTree, element, top.Type) != TFit::fFull) continue;
    if (matcher.Trial(element, top.Type, TrialBudget).Departed) continue;
    if (found != nullptr) return nullptr;
    found = &Types[top.Type];
  }
  return found;
}

std::string_view PemLabel(const TNames& names, std::uint32_t element) {
  // By the type's name: the schemas specialise a type for where it stands (the
  // ContentInfo of a PKCS#12 authSafe knows its content), and each such node
  // is still that type.
  const TTypeNode* node = names.TypeNode(element);
  if (node == nullptr) node = names.SoleFit(element);
  if (node != nullptr) {
    const std::string_view name = Str(node->Name);
    for (std::uint32_t i = 0; i < TopLevelCount; ++i)
      if (TopLevel[i].LabelCount > 0 && Str(Types[TopLevel[i].Type].Name) == name)
        return Str(PemLabels[TopLevel[i].FirstLabel]);
  }
  return "ASN1 DATA";
}

std::string_view PemLabel(const asn::IElementTree& tree, std::span<const std::uint8_t> bytes, std::uint32_t element,
                          std::string_view pemLabel) {
  TNames names;
  names.Build(tree, bytes, pemLabel);
  return PemLabel(names, element);
}

}  // namespace schema
