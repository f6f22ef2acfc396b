// The typing of a decoded document: the matcher walks the elements beside the
// tree, recognises the top-level type among the compiled schemas, follows open
// types by their OID and gives every element that fits its schema type, which
// names it, renders its value and decides its checks. A type is given only to
// a document that fits it wholly, or on evidence (a PEM label); where such a
// document departs from its type the names stop there and the departure is
// kept. An open type's content that does not fit the type its OID gives stays
// unnamed, and its departure is kept, while the rest is matched on. A document
// the parse stopped inside is typed by its start only where no other type fits
// that too. The items of a long list past a first look are checked as they
// are named: one that does not fit stays unnamed. Build only recognises the
// top-level types; each top-level element, and each item of a SEQUENCE OF or
// SET OF with many items, is named when something in it is first asked about,
// so that opening a large file costs next to nothing here.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "asn/element_tree.h"

namespace schema {

namespace tables {
struct TTypeNode;
}

class TNames {
 public:
  // Recognises the top-level types of tree, whose offsets point into bytes;
  // pemLabel (the text after "-----BEGIN ", or empty) favours the types it
  // announces. The tree and bytes must stay alive and unchanged while the
  // names are asked for. Every answer below is the same whatever was asked
  // before; asking may name more of the document first.
  void Build(const asn::IElementTree& tree, std::span<const std::uint8_t> bytes, std::string_view pemLabel = {});
  // Forgets every name.
  void Clear();
  // Names everything now: for a walk over the whole document, which would
  // otherwise name it item by item.
  void NameAll() const;

  bool IsNamed(std::uint32_t element) const {
    Settle(element);
    return Named(element);
  }
  // The field's identifier ("serialNumber"); for the element inside an
  // EXPLICIT tag, the same as for the tag.
  std::string_view FieldName(std::uint32_t element) const;
  // The schema type's name ("TBSCertificate"); empty for a plain universal type.
  std::string_view TypeName(std::uint32_t element) const;
  // The chosen CHOICE alternative ("dNSName"), or empty.
  std::string_view Alternative(std::uint32_t element) const;
  // What a row shows before the tag name: the field name, the type name for
  // the top level and the content of an open type, the CHOICE alternative
  // where it says more than the tag; an item of a SEQUENCE OF or SET OF shows
  // its type's name. Empty for an unnamed element.
  std::string Label(std::uint32_t element) const;
  // "Certificate.tbsCertificate.extensions[2].extnValue.BasicConstraints.cA";
  // empty for an unnamed element.
  std::string Path(std::uint32_t element) const;
  // Appends what this element adds to its parent's path (nothing for the
  // element inside an EXPLICIT tag), so that a walk in document order can
  // build every path from its parent's; index is the element's place among
  // its parent's children, which an item of a SEQUENCE OF shows.
  void AppendOwnSteps(std::string& path, std::uint32_t element, std::uint32_t index) const;
  // Over the whole document: names everything first.
  std::uint32_t NamedCount() const {
    NameAll();
    return FNamedCount;
  }
  // The schema's node for a named element (for the element inside an EXPLICIT
  // tag, the inner type's); nullptr for an unnamed one.
  const tables::TTypeNode* TypeNode(std::uint32_t element) const;
  // For an element left unnamed: the one top-level type with a PEM label whose
  // schema it fits whole, however common its shape (a bare RSA key is nothing
  // but INTEGERs); nullptr when none or several do.
  const tables::TTypeNode* SoleFit(std::uint32_t element) const;
  // Whether element is an OCTET STRING or BIT STRING whose type says it holds
  // no DER (a digest, a signature, key material): what it encapsulates is
  // not structure.
  bool IsOpaque(std::uint32_t element) const { return IsNamed(element) && FSteps[FSlots[element]].Opaque; }

  // Where a document given its type by evidence departs from it.
  struct TDeparture {
    std::uint32_t Element;  // what does not fit; for Missing, the element that lacks a component
    std::uint32_t Within;   // the element whose type expected something else
    std::uint32_t WithinName;  // its field or type (a string offset)
    std::uint32_t Type;     // the type node expected
    std::uint32_t Name;     // the field or type expected (a string offset), 0 for the end
    bool Missing;           // nothing where Name was expected
  };
  // Every departure, in document order; names everything first.
  const std::vector<TDeparture>& Departures() const;

 private:
  // What one element adds to the path and shows; elements share these.
  struct TStep {
    std::uint32_t Field = 0;  // string offsets into the tables
    std::uint32_t Open = 0;   // type name of a top-level type or of an open type's content
    std::uint32_t Alt = 0;
    std::uint32_t Type = 0;   // type node
    bool Item = false;        // an item of a SEQUENCE OF or SET OF
    bool SamePath = false;    // inside an EXPLICIT tag: the tag's path
    bool ShowAlt = false;
    bool Opaque = false;      // octets that hold no DER
  };
  // The top level, or a SEQUENCE OF or SET OF with many items: its items are
  // named one at a time, each when something in it is first asked about.
  struct TFamily {
    std::uint32_t Parent;   // NoElement for the top level
    std::uint32_t End;      // the element after Parent's subtree
    std::uint32_t Outer;    // the family whose item holds this one; none for the top level
    std::uint32_t Type;     // the items' type node; the top level's come from FTopRuns
    std::uint32_t Open;     // the items' open type
    std::uint32_t Fitting;  // leading items known to fit Type (the matcher stops at one that does not)
    bool Stopped;           // the item at Fitting does not fit
    bool Evidence;          // the items' type comes from a PEM label or an OID, not from their shape
  };
  // A run of top-level elements of one recognised type (NoType: none).
  struct TTopRun {
    std::uint32_t Start;
    std::uint32_t Entry;  // TopLevel index
    bool Hinted;          // the PEM label announced it
  };
  // Per element its step, 0 for unnamed, in blocks made when first written:
  // opening a large document costs no memory for what is not yet named.
  class TSlots {
   public:
    void Reset(std::uint32_t count) {
      FCount = count;
      FBlocks.clear();
      FBlocks.resize((std::size_t{count} + BlockSize - 1) / BlockSize);
    }
    std::uint32_t Size() const { return FCount; }
    std::uint16_t operator[](std::uint32_t element) const {
      const auto& block = FBlocks[element / BlockSize];
      return block ? block[element % BlockSize] : std::uint16_t{0};
    }
    void Set(std::uint32_t element, std::uint16_t step) {
      auto& block = FBlocks[element / BlockSize];
      if (!block) {
        if (step == 0) return;
        block = std::make_unique<std::uint16_t[]>(BlockSize);
      }
      block[element % BlockSize] = step;
    }

   private:
    static constexpr std::uint32_t BlockSize = 4096;
    std::uint32_t FCount = 0;
    std::vector<std::unique_ptr<std::uint16_t[]>> FBlocks;
  };
  struct TParts;
  struct TFrame;
  class TMatcher;

  bool Named(std::uint32_t element) const { return element < FSlots.Size() && FSlots[element] != 0; }
  // Names the item (of the innermost family) that holds element, if not yet
  // done; a named element's item is (rows ask this once or more per paint).
  void Settle(std::uint32_t element) const {
    if (FPending && !Named(element)) SettleFamilies(element);
  }
  void SettleFamilies(std::uint32_t element) const;
  // The step's index, or 0 (unnamed) once the steps no longer fit a slot.
  std::uint16_t StepIndex(const TStep& step) const;
  // The place among parent's children of the one that is element or holds it
  // (children are numbered in document order, so a binary search finds it).
  std::uint32_t ChildIndexAt(std::uint32_t parent, std::uint32_t element) const;
  std::uint32_t IndexInParent(std::uint32_t element) const { return ChildIndexAt(FTree->Parent(element), element); }

  const asn::IElementTree* FTree = nullptr;
  std::span<const std::uint8_t> FBytes;
  // Where each run of one recognised type starts among the top-level elements.
  std::vector<TTopRun> FTopRuns;
  // What is named so far, which queries add to (the names are a function of
  // the tree alone, so this is a cache). Per element its step; none when
  // nothing is recognised. A document has a few hundred distinct steps, so 16
  // bits are plenty.
  mutable TSlots FSlots;
  mutable std::vector<TStep> FSteps;
  mutable std::unordered_map<std::uint64_t, std::uint16_t> FStepIndex;
  mutable std::array<std::pair<std::uint64_t, std::uint16_t>, 256> FStepCache{};
  mutable std::uint32_t FNamedCount = 0;
  // Family 0 is the top level; the others are found by their parent element.
  mutable std::vector<TFamily> FFamilies;
  mutable std::map<std::uint32_t, std::uint32_t> FFamilyOfParent;
  // Some family's items may still wait to be named.
  mutable bool FPending = false;
  // Items that departed from a type given by their shape alone: they stay unnamed.
  mutable std::vector<std::uint32_t> FRejected;
  mutable std::vector<TDeparture> FDepartures;
  mutable bool FDeparturesSorted = true;
};

// The words a departure is told in: a field or type name by its string
// offset; what a type node expects ("SEQUENCE" for one tag, else the type's
// name); a tag by its code (class in the top two bits), as ASN.1 writes it.
std::string_view SchemaWord(std::uint32_t offset);
std::string ExpectedText(std::uint32_t type);
std::string TagText(std::uint32_t code);
// A tag's code, 0xFFFFFFFF for a number too large to be one.
std::uint32_t TagCode(const asn::TElementHeader& h);

// The PEM label for element's encoding: the first label of the top-level type
// the matcher gave it (CERTIFICATE, X509 CRL, PKCS7 ...); "ASN1 DATA" for an
// element of no type that has one.
std::string_view PemLabel(const TNames& names, std::uint32_t element);
// The same from names built here over tree (pemLabel as for Build), for a
// caller whose own names may be off.
std::string_view PemLabel(const asn::IElementTree& tree, std::span<const std::uint8_t> bytes, std::uint32_t element,
                          std::string_view pemLabel = {});

}  // namespace schema
