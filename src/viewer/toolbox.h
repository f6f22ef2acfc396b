// The element toolbox over a decoded document: what its commands make of one
// element (the texts to copy, the file to save, Element info, the name offered)
// and how Go to offset reads its entry. The window finds the element and does
// the clipboard, the dialogs and the focusing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "viewer/element_dialogs.h"
#include "document/tag.h"

namespace viewer {

class TDecodedDocument;

class TToolbox {
 public:
  // doc must outlive the toolbox; every element passed is one of its elements.
  explicit TToolbox(const TDecodedDocument& doc) : FDoc(doc) {}

  // The element's whole encoding as Base64 on one line.
  std::u16string Base64(TTag element) const;
  // The same as a PEM block, labelled by the structure recognised there.
  std::u16string Pem(TTag element) const;
  // The same as a C array definition, CArrayColumns octets a line.
  std::u16string CArray(TTag element) const;
  // What Save element as writes: the encoding, or its PEM block.
  std::string FileBytes(TTag element, bool pem) const;
  // Where the element sits, its path and the digests system computes of its
  // whole encoding and of its content.
  TElementInfo Info(TTag element, platform::ISystem& system) const;
  // The file name offered: the document's name, the element's offset, ".der".
  std::u16string ProposedName(TTag element) const;

  static constexpr std::size_t CArrayColumns = 12;

 private:
  // The label of the type the schema recognised there, the input's own label
  // breaking a tie; "ASN1 DATA" for an element of no known type.
  std::string_view PemLabel(TTag element) const;

  const TDecodedDocument& FDoc;
};

// Go to offset's reading of text (see ParseOffsetText) for a buffer of size
// octets: the offset, or the message saying what is wrong with the entry.
struct TOffsetEntry {
  std::int32_t Offset = -1;
  std::u16string Error;  // empty when Offset lies inside the buffer
};
TOffsetEntry ReadOffsetEntry(std::u16string_view text, std::size_t size);
// The message for an offset past the end of a buffer of size octets.
std::u16string OffsetPastEndText(std::size_t size);

}  // namespace viewer
