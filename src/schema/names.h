// Field names for a decoded document: the matcher walks the elements beside
// the tree, recognises the top-level type among the compiled schemas, follows
// open types by their OID and names every element that fits. Where the data
// departs from the schema naming stops for that branch, quietly: names are
// annotations and never errors.
#pragma once

#include <array>
#include <cstdint>
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
  // Names the elements of tree, whose offsets point into bytes; pemLabel (the
  // text after "-----BEGIN ", or empty) favours the types it announces. The
  // tree must stay alive and unchanged while the names are asked for.
  void Build(const asn::IElementTree& tree, std::span<const std::uint8_t> bytes, std::string_view pemLabel = {});
  // Forgets every name.
  void Clear();

  bool IsNamed(std::uint32_t element) const { return element < FSlots.size() && FSlots[element] != 0; }
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
  std::uint32_t NamedCount() const { return FNamedCount; }
  // The schema's node for a named element (for the element inside an EXPLICIT
  // tag, the inner type's); nullptr for an unnamed one.
  const tables::TTypeNode* TypeNode(std::uint32_t element) const;

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
  };
  struct TParts;
  struct TFrame;
  class TMatcher;

  // The step's index, or 0 (unnamed) once the steps no longer fit a slot.
  std::uint16_t StepIndex(const TStep& step);
  // Where element stands among its parent's children (children are numbered
  // in document order, so a binary search finds it).
  std::uint32_t IndexInParent(std::uint32_t element) const;

  const asn::IElementTree* FTree = nullptr;
  // Per element its step, 0 for unnamed; empty until something is named. A
  // document has a few hundred distinct steps, so 16 bits are plenty.
  std::vector<std::uint16_t> FSlots;
  std::vector<TStep> FSteps;
  std::unordered_map<std::uint64_t, std::uint16_t> FStepIndex;
  std::array<std::pair<std::uint64_t, std::uint16_t>, 256> FStepCache{};
  std::uint32_t FNamedCount = 0;
};

}  // namespace schema
