// The element toolbox, core side: the encoding of the focused row's element
// copied as Base64, PEM or a C array, saved to a file, its facts and digests,
// and going to an offset.
#include <filesystem>

#include "asn/element_tree.h"
#include "io/files.h"
#include "schema/names.h"
#include "settings/lang.h"
#include "settings/text.h"
#include "text/ascii.h"
#include "text/base64.h"
#include "viewer/main.h"

namespace viewer {

namespace {

// Octets per line of a C array.
constexpr std::size_t CArrayColumns = 12;

std::u16string Widened(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

std::u16string HexDigest(const std::vector<std::uint8_t>& digest) {
  std::u16string text;
  text::AppendHexOctets(text, digest);
  return text;
}

// Which of SaveElementAs's two filters is which.
constexpr int DerFilter = 0;
constexpr int PemFilter = 1;

}  // namespace

TTag TMainForm::ElementOfRow(TNodeId node) const {
  // Attribute, error and problem rows stand for the element they belong to.
  for (; node != NoNode; node = FTreeVT.Parent(node)) {
    const TTag tag = GetTag(node);
    if (tag.IsValid() && tag.TagType() == ttNode) return tag;
    if (tag.IsValid() && tag.TagType() == ttError && FTreeVT.Parent(node) == NoNode) return {};
  }
  return {};
}

void TMainForm::CopyAsBase64() {
  const TTag element = ElementOfRow(FTreeVT.FocusedNode());
  if (!element.IsValid()) return;
  WriteClipboard(Widened(text::EncodeBase64(ElementEncoding(element))));
}

void TMainForm::CopyAsPem() {
  const TTag element = ElementOfRow(FTreeVT.FocusedNode());
  if (!element.IsValid()) return;
  const std::string_view label = schema::PemLabel(FDoc->Elements(), *Bytes(), element.ElementIndex(), FDoc->PemLabel());
  WriteClipboard(Widened(text::PemBlock(label, ElementEncoding(element))));
}

void TMainForm::CopyAsCArray() {
  const TTag element = ElementOfRow(FTreeVT.FocusedNode());
  if (!element.IsValid()) return;
  const std::span<const std::uint8_t> encoding = ElementEncoding(element);
  std::u16string out = u"const unsigned char element[";
  text::AppendDecimal(out, encoding.size());
  out += u"] = {";
  for (std::size_t i = 0; i < encoding.size(); ++i) {
    out += i % CArrayColumns == 0 ? u"\n    0x" : u" 0x";
    text::AppendHexOctets(out, encoding.subspan(i, 1));
    out += u',';
  }
  out += u"\n};\n";
  WriteClipboard(out);
}

TElementInfo TMainForm::ElementInfoOf(TTag element) {
  // The header alone: the value text is not needed here.
  const asn::TElementHeader header = FDoc->Elements().Header(element.ElementIndex());
  const std::span<const std::uint8_t> encoding = ElementEncoding(element);
  const std::int32_t contentLength = asn::ContentLength(header, *Bytes());
  const std::span<const std::uint8_t> content =
      encoding.subspan(static_cast<std::size_t>(header.HeaderLength()), static_cast<std::size_t>(contentLength));
  platform::ISystem& system = FPlatform.System;
  using platform::THashAlgorithm;
  TElementInfo info;
  info.Offset = header.Offset;
  info.HeaderLength = header.HeaderLength();
  info.ContentLength = contentLength;
  info.Path = FieldPath(element);
  if (info.Path.empty()) info.Path = element.Name();
  info.Sha256 = HexDigest(system.Digest(THashAlgorithm::haSha256, encoding));
  info.Sha1 = HexDigest(system.Digest(THashAlgorithm::haSha1, encoding));
  info.ContentSha256 = HexDigest(system.Digest(THashAlgorithm::haSha256, content));
  info.ContentSha1 = HexDigest(system.Digest(THashAlgorithm::haSha1, content));
  return info;
}

void TMainForm::ShowElementInfo() {
  const TTag element = ElementOfRow(FTreeVT.FocusedNode());
  if (!element.IsValid() || !FDialogRunner) return;
  TElementInfoForm form(ElementInfoOf(element), [this](const std::u16string& text) { WriteClipboard(text); },
                        FPlatform.Display.PixelScalePercent());
  settings::RunCentred(*FDialogRunner, form);
}

bool TMainForm::FocusOffset(std::int32_t offset) {
  if (GetNodeByOffset(offset) == NoNode) return false;
  // The byte itself in both grids; the grids follow each other's focus.
  const TNodeId row = HexNodes(GetHexNodeIndex(offset)).Hex1;
  FHex1VT.SetFocusedNode(row);
  FHex1VT.SetFocusedColumn(offset % FSettings.Hex.StringSize);
  FHex1VT.SetSelected(row, true);
  FHex1VT.ScrollIntoView(row, /*center=*/false);
  FHex1VT.Invalidate();
  FHex2VT.Invalidate();
  return true;
}

std::u16string TMainForm::GoToOffsetText(const std::u16string& text) {
  std::u16string error;
  const std::optional<std::int32_t> offset = ParseOffsetText(text);
  if (Bytes()->empty())
    error = settings::GetLangTextById(704);
  else if (!offset)
    error = settings::GetLangTextById(702);
  else if (!FocusOffset(*offset)) {
    const auto last = static_cast<std::int64_t>(Bytes()->size()) - 1;
    error = settings::GetLangTextById(703) + u" " + text::DecimalText(last) + u" ($";
    text::AppendHex(error, static_cast<std::uint64_t>(last), 1);
    error += u").";
  }
  if (!error.empty()) FPlatform.Dialogs.MessageBox(error, u"Bramlet", platform::TMessageBoxKind::mbWarning);
  return error;
}

void TMainForm::GoToOffset() {
  if (!FDialogRunner) return;
  TGoToOffsetForm form([this](const std::u16string& text) { return GoToOffsetText(text); },
                       FPlatform.Display.PixelScalePercent());
  settings::RunCentred(*FDialogRunner, form);
}

std::u16string TMainForm::ProposedElementName(TTag element) const {
  std::u16string name = FileName().substr(FileName().find_last_of(u"/\\") + 1);
  std::size_t dot = name.find_last_of(u'.');
  if (dot != std::u16string::npos) name.erase(dot);
  if (name.empty()) name = u"element";
  return name + u"-" + text::DecimalText(element.Offset()) + u".der";
}

void TMainForm::SaveElementAs() {
  const TTag element = ElementOfRow(FTreeVT.FocusedNode());
  if (!element.IsValid()) return;
  const std::u16string filter = settings::GetLangTextById(294) + u" (*.der)|*.der|" +
                                settings::GetLangTextById(295) + u" (*.pem)|*.pem";
  int filterIndex = DerFilter;
  const std::optional<std::u16string> chosen =
      FPlatform.Dialogs.SaveFileDialog(filter, ProposedElementName(element), &filterIndex);
  if (!chosen) return;
  const std::span<const std::uint8_t> encoding = ElementEncoding(element);
  std::string bytes;
  if (filterIndex == PemFilter)
    bytes = text::PemBlock(schema::PemLabel(FDoc->Elements(), *Bytes(), element.ElementIndex(), FDoc->PemLabel()), encoding);
  else
    bytes.assign(encoding.begin(), encoding.end());
  try {
    io::WriteFileAtomically(std::filesystem::path(*chosen), bytes);
  } catch (const std::exception& e) {
    FPlatform.Dialogs.MessageBox(settings::Utf8ToUtf16(e.what()), u"Bramlet", platform::TMessageBoxKind::mbError);
  }
}

}  // namespace viewer
