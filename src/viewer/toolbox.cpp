// The element toolbox: copies, saving, Element info and the offset entry, each
// from the document alone.
#include "viewer/toolbox.h"

#include "asn/element_tree.h"
#include "schema/names.h"
#include "settings/lang.h"
#include "text/ascii.h"
#include "text/base64.h"
#include "document/document.h"

namespace viewer {

namespace {

std::u16string Widened(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

std::u16string HexDigest(const std::vector<std::uint8_t>& digest) {
  std::u16string text;
  text::AppendHexOctets(text, digest);
  return text;
}

}  // namespace

std::u16string TToolbox::Base64(TTag element) const {
  return Widened(text::EncodeBase64(FDoc.ElementEncoding(element)));
}

std::string_view TToolbox::PemLabel(TTag element) const {
  return schema::PemLabel(FDoc.Elements(), *FDoc.Bytes(), element.ElementIndex(), FDoc.PemLabel());
}

std::u16string TToolbox::Pem(TTag element) const {
  return Widened(text::PemBlock(PemLabel(element), FDoc.ElementEncoding(element)));
}

std::u16string TToolbox::CArray(TTag element) const {
  const std::span<const std::uint8_t> encoding = FDoc.ElementEncoding(element);
  std::u16string out = u"const unsigned char element[";
  text::AppendDecimal(out, encoding.size());
  out += u"] = {";
  for (std::size_t i = 0; i < encoding.size(); ++i) {
    out += i % CArrayColumns == 0 ? u"\n    0x" : u" 0x";
    text::AppendHexOctets(out, encoding.subspan(i, 1));
    out += u',';
  }
  out += u"\n};\n";
  return out;
}

std::string TToolbox::FileBytes(TTag element, bool pem) const {
  const std::span<const std::uint8_t> encoding = FDoc.ElementEncoding(element);
  if (pem) return text::PemBlock(PemLabel(element), encoding);
  return std::string(encoding.begin(), encoding.end());
}

TElementInfo TToolbox::Info(TTag element, platform::ISystem& system) const {
  // The header alone: the value text is not needed here.
  const asn::TElementHeader header = FDoc.Elements().Header(element.ElementIndex());
  const std::span<const std::uint8_t> encoding = FDoc.ElementEncoding(element);
  const std::int32_t contentLength = asn::ContentLength(header, *FDoc.Bytes());
  const std::span<const std::uint8_t> content =
      encoding.subspan(static_cast<std::size_t>(header.HeaderLength()), static_cast<std::size_t>(contentLength));
  using platform::THashAlgorithm;
  TElementInfo info;
  info.Offset = header.Offset;
  info.HeaderLength = header.HeaderLength();
  info.ContentLength = contentLength;
  info.Path = FDoc.FieldPath(element);
  if (info.Path.empty()) info.Path = element.Name();
  info.Sha256 = HexDigest(system.Digest(THashAlgorithm::haSha256, encoding));
  info.Sha1 = HexDigest(system.Digest(THashAlgorithm::haSha1, encoding));
  info.ContentSha256 = HexDigest(system.Digest(THashAlgorithm::haSha256, content));
  info.ContentSha1 = HexDigest(system.Digest(THashAlgorithm::haSha1, content));
  return info;
}

std::u16string TToolbox::ProposedName(TTag element) const {
  const std::u16string& fileName = FDoc.FileName();
  std::u16string name = fileName.substr(fileName.find_last_of(u"/\\") + 1);
  const std::size_t dot = name.find_last_of(u'.');
  if (dot != std::u16string::npos) name.erase(dot);
  if (name.empty()) name = u"element";
  return name + u"-" + text::DecimalText(element.Offset()) + u".der";
}

TOffsetEntry ReadOffsetEntry(std::u16string_view text, std::size_t size) {
  if (size == 0) return {-1, settings::GetLangTextById(704)};
  const std::optional<std::int32_t> offset = ParseOffsetText(text);
  if (!offset) return {-1, settings::GetLangTextById(702)};
  if (static_cast<std::size_t>(*offset) >= size) return {*offset, OffsetPastEndText(size)};
  return {*offset, {}};
}

std::u16string OffsetPastEndText(std::size_t size) {
  const auto last = static_cast<std::int64_t>(size) - 1;
  std::u16string text = settings::GetLangTextById(703) + u" " + text::DecimalText(last) + u" ($";
  text::AppendHex(text, static_cast<std::uint64_t>(last), 1);
  text += u").";
  return text;
}

}  // namespace viewer
