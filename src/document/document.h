// One decoded document without a window: where its bytes came from (a file, or
// hexadecimal or Base64 text), the bytes and the role of each, the element tree,
// the field names and DER findings beside it, and the XML export. TMainForm owns
// one and shows it; bramlet-dump uses one alone.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "asn/der_check.h"
#include "document/der_text.h"
#include "document/options.h"
#include "document/tag.h"
#include "document/xml_export.h"
#include "schema/names.h"
#include "schema/typed_value.h"

namespace viewer {

using TBytes = std::shared_ptr<const std::vector<std::uint8_t>>;

class TDecodedDocument {
 public:
  // Options that stay as given.
  explicit TDecodedDocument(TDocumentOptions options, std::u16string fileName = {});
  // Options asked of the source each time one is read: at each decoding, and
  // for FieldNames and DerChecks also whenever a row or the verdict is asked for.
  explicit TDecodedDocument(TDocumentOptionsSource options, std::u16string fileName = {});
  TDecodedDocument(const TDecodedDocument&) = delete;
  TDecodedDocument& operator=(const TDecodedDocument&) = delete;

  // OBJECT IDENTIFIER descriptions for ParseASN; the owner keeps it alive.
  const asn::TOIDDictionary* OIDDictionary = nullptr;
  // Armour searches that need more than this many PCRE2 match steps give up with
  // a "Fatal error" row instead of running on.
  std::uint32_t ArmourMatchLimit = DefaultArmourMatchLimit;
  static constexpr std::uint32_t DefaultArmourMatchLimit = 10'000'000;
  // Runs before the nodes of the document go, so that nothing keeps referring to them.
  std::function<void()> OnClear;

  // The options as they stand.
  TDocumentOptions Options() const { return FOptions(); }
  TTag Root() const { return FElements.Root(); }
  // The element store, as the schema matcher and the checks walk it.
  const TDocument& Elements() const { return FElements; }
  // The buffer last given to ParseASN, never null.
  const TBytes& Bytes() const { return FBytes; }
  // The role of the byte at offset (below Bytes()->size()): worked out from
  // the elements whose headers lie near it, a block at a time, and kept for
  // the few blocks last shown, so the roles cost no memory per byte.
  TCellType ByteRole(std::size_t offset) const;
  // Elements made by the last decoding (attribute and error rows not counted).
  std::int32_t TagsCount() const { return FTagsCount; }
  // Whether the bytes were decoded from text, and whether that text came from the clipboard.
  bool FromBase64() const { return FFromBase64; }
  bool FromClipboard() const { return FFromClipboard; }
  // The label of the PEM armour the bytes were decoded from ("CERTIFICATE"),
  // empty for other input: the field names prefer the types it announces.
  const std::string& PemLabel() const { return FPemLabel; }
  const std::u16string& FileName() const { return FFileName; }
  void SetFileName(std::u16string fileName) { FFileName = std::move(fileName); }
  // Whether decoding stopped at a malformed header: the last top-level row is "Fatal error".
  bool EndsWithFatalError() const;
  // Whether any top-level row is "Fatal error": the decoding of the whole
  // buffer, or of one of its blocks, stopped.
  bool HasFatalError() const { return FElements.RootErrorCount() > 0; }
  // The blocks the last decoding took the buffer as: the armoured blocks of
  // text, else 1.
  std::int32_t BlockCount() const;
  // For a document of more than one block, which of them the top-level
  // "Fatal error" row at index (as TDocument::RootError counts) stopped, from
  // 0; -1 for a single block and for a failure that was no block's.
  std::int32_t FailedBlock(std::int32_t index) const;
  // "Block 2 of 3: not BER" or "Blocks 1, 3 of 3: not BER" in the texts of
  // the table for a document of several blocks of which some stopped; empty
  // otherwise.
  std::u16string FailedBlocksText(TTextById text) const;

  // Replaces the document with the decoding of s. blockStarts, when given,
  // are where the blocks of s start (the first at 0, ascending): each block is
  // decoded on its own, and a malformed header in one ends that block only,
  // with a "Fatal error" row after its elements. A malformed header of the
  // last (or only) block leaves with EParserException after everything before
  // it has been added; callers wrap it in RunCaptured.
  void ParseASN(TBytes s, std::vector<std::int32_t> blockStarts = {});
  // Runs a decoding step; a failure of the std::exception family becomes a
  // top-level "Fatal error" row and is considered handled.
  void RunCaptured(const std::function<void()>& step);
  void ClearTree();

  // Reads FileName and decodes it; leaves the document untouched for a text file
  // without armour and for an empty file. A file that cannot be read (missing,
  // a folder, unreadable) throws io::EFileError before anything changes.
  void LoadFile();
  // Whether the file LoadFile last read had no octets at all: it yields no
  // document, as text without armour does, for a reason of its own.
  bool FileWasEmpty() const { return FFileWasEmpty; }
  // Decodes clipboard text: its PEM and begin-base64 blocks as a file's, else
  // hexadecimal or Base64 with blanks and line ends ignored. False, with the
  // document untouched, for any other text and for blocks of no octets.
  bool LoadFromText(const std::u16string& text);
  // Decodes bytes as a document of their own that came from no text.
  void LoadBytes(TBytes bytes);

  // Names the elements from the schemas when FieldNames is on, else forgets
  // them; ParseASN calls it.
  void BuildNames();
  const schema::TNames& Names() const { return FNames; }
  // The words a row shows before its tag name ("serialNumber"); empty for an
  // unnamed element, for other rows and with field names off.
  std::u16string FieldLabel(TTag tag) const;
  // The element's path ("Certificate.tbsCertificate.serialNumber"); for an
  // attribute or error row, its element's. Empty when unnamed or names are off.
  std::u16string FieldPath(TTag tag) const;
  // The row as the structure tree lists it: the field label when there is one,
  // a blank, then the row's own line ("serialNumber INTEGER: 5").
  std::u16string RowText(TTag tag) const;

  // A row's value. With field names on, an element whose type says more than
  // its tag (a string under an IMPLICIT tag, an IP address, named bits or
  // numbers, a serial number, octets that hold no DER) shows its typed value;
  // every other row shows its Text(). Rendered when asked, the last one kept.
  // The typed value, or nullptr where Text() stands; valid until the next call.
  const schema::TTypedValue* TypedValue(TTag tag) const;
  // The value text the row shows before any shortening, OID description included.
  std::u16string ValueText(TTag tag) const;
  // What Copy value copies: an element's value without the OID description.
  std::u16string CopiedValue(TTag tag) const;
  // Whether the value is hexadecimal digits (drawn as such), and whether a
  // long one is cut in the row.
  bool ValueIsHex(TTag tag) const;
  bool ValueShortens(TTag tag) const;
  // The few characters the row's value text is made of where its type
  // limits them (a serial number, opaque octets); empty otherwise.
  std::u16string_view ValueAlphabet(TTag tag) const;

  // Forgets the findings; the DER checks over the document are then due when
  // DerChecks is on. They run with RunDerChecks, whose caller chooses when.
  void ScheduleDerChecks();
  // Whether ScheduleDerChecks left checks that have not run yet.
  bool DerChecksDue() const { return FDerChecks == TDerChecks::dcDue; }
  // Runs the checks when they are due; nothing otherwise. Checks that throw
  // are no longer due, and leave no findings and no verdict.
  void RunDerChecks();
  // The findings of every rule over the document as it stands, whatever the setting.
  std::vector<asn::TDerFinding> CheckDer() const;
  // The findings RunDerChecks left, in document order; empty while they are due.
  const std::vector<asn::TDerFinding>& DerFindings() const { return FDerFindings; }
  // Whether the octet at offset is among the octets at fault of a finding
  // RunDerChecks left.
  bool IsFindingOctet(std::int32_t offset) const;
  // The findings of an element row; empty for every other row.
  std::span<const asn::TDerFinding> FindingsOf(TTag tag) const;
  // "DER", "BER (6 indefinite lengths)", "3 DER problems" or "Not BER" in the
  // texts of the table; empty with the checks off and until they have run.
  std::u16string DerStatusText(TTextById text) const;

  // Appends the XML lines of tag and everything below it; level 0 is the root.
  void WriteTag(TTag tag, IXmlLineSink& strList, std::int32_t level) const;
  // The element's whole encoding in Bytes.
  std::span<const std::uint8_t> ElementEncoding(TTag element) const;

 private:
  // Fills FTyped's type facts for an element row, unless they are its already:
  // its type when that may read its value differently from its tag.
  void TypeOf(TTag tag) const;

  TDocumentOptionsSource FOptions;
  std::u16string FFileName;
  TBytes FBytes;
  // Byte roles of recently shown blocks; Start is NoBlock while a slot is empty.
  static constexpr std::size_t RoleBlock = 1024;
  static constexpr std::size_t RoleSlots = 4;
  static constexpr std::size_t NoBlock = ~std::size_t{0};
  struct TRoleBlock {
    std::size_t Start = NoBlock;
    std::array<TCellType, RoleBlock> Roles;
  };
  mutable std::array<TRoleBlock, RoleSlots> FRoleBlocks;
  std::int32_t FTagsCount = 0;
  bool FFromBase64 = false;
  bool FFromClipboard = false;
  bool FFileWasEmpty = false;
  std::string FPemLabel;
  // Where each block's octets start, as ParseASN was given them; empty for one block.
  std::vector<std::int32_t> FBlockStarts;
  // The block each top-level "Fatal error" row of the decoding stopped, in row order.
  std::vector<std::int32_t> FFailedBlocks;
  TDocument FElements;
  schema::TNames FNames;
  // The element last asked about (NoElement: none): its type where that may
  // read its value, whether its octets are opaque, and its typed value once rendered.
  mutable struct {
    std::uint32_t Element = asn::NoElement;
    const schema::tables::TTypeNode* Type = nullptr;
    bool Opaque = false;
    bool Rendered = false;
    bool Typed = false;
    schema::TTypedValue Value;
  } FTyped;
  std::vector<asn::TDerFinding> FDerFindings;
  // The findings' octets as ranges [first, last] in offset order, overlaps joined.
  std::vector<std::pair<std::int32_t, std::int32_t>> FFindingOctets;
  // dcDone once the checks have run over the document as it stands.
  enum class TDerChecks : std::uint8_t { dcNone, dcDue, dcDone } FDerChecks = TDerChecks::dcNone;
};

}  // namespace viewer
