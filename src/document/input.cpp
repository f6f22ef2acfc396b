// Input acquisition's text rules: the binary test, the armour search with PCRE2
// (its Base64 decoded by text/base64) and hexadecimal text.
#include "document/input.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <algorithm>
#include <memory>
#include <stdexcept>

#include "asn/asn.h"
#include "text/ascii.h"
#include "text/base64.h"
#include "text/lines.h"
#include "text/utf.h"

namespace viewer {

namespace {

bool IsTextOctet(std::uint8_t c) { return c == 0x09 || c == 0x0A || c == 0x0D || (c >= 0x20 && c <= 0x7F); }

bool IsLineBreak(char16_t c) { return c == u'\n' || c == u'\r'; }

bool StartsWith(std::u16string_view text, std::u16string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// The three armours: PEM block, begin-base64 block, a text of Base64 only.
constexpr char16_t ArmourPattern[] =
    u"-----BEGIN [^-]+-----([A-Za-z0-9+/=\\s]+)-----END [^-]+-----"
    u"|begin-base64[^\\n]+\\n([A-Za-z0-9+/=\\s]+)===="
    u"|^([A-Za-z0-9+/=\\s]+)$";

std::string PcreMessage(int code) {
  PCRE2_UCHAR buffer[256];
  int length = pcre2_get_error_message(code, buffer, sizeof buffer / sizeof buffer[0]);
  if (length < 0) return "error " + std::to_string(code);
  return text::Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(buffer), static_cast<std::size_t>(length)));
}

struct TCodeDeleter {
  void operator()(pcre2_code* code) const { pcre2_code_free(code); }
};
struct TMatchDataDeleter {
  void operator()(pcre2_match_data* data) const { pcre2_match_data_free(data); }
};
struct TMatchContextDeleter {
  void operator()(pcre2_match_context* context) const { pcre2_match_context_free(context); }
};

// The compiled pattern, made once per process. JIT keeps the search linear on
// hostile text (a long line of "begin-base64" repeated is quadratic for the
// interpreter); without JIT support the interpreter is used.
const pcre2_code* ArmourCode() {
  static const std::unique_ptr<pcre2_code, TCodeDeleter> code = [] {
    int error = 0;
    PCRE2_SIZE errorOffset = 0;
    pcre2_code* compiled = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(ArmourPattern), PCRE2_ZERO_TERMINATED, 0,
                                         &error, &errorOffset, nullptr);
    if (compiled == nullptr) throw std::logic_error("Armour pattern does not compile: " + PcreMessage(error));
    pcre2_jit_compile(compiled, PCRE2_JIT_COMPLETE);
    return std::unique_ptr<pcre2_code, TCodeDeleter>(compiled);
  }();
  return code.get();
}

}  // namespace

bool IsBinary(std::span<const std::uint8_t> data) {
  auto window = data.first(std::min(data.size(), BinaryTestLength));
  const bool fileGoesOn = data.size() > window.size();
  for (std::size_t i = 0; i < window.size();) {
    if (window[i] < 0x80) {
      if (!IsTextOctet(window[i])) return true;
      ++i;
      continue;
    }
    const text::TUtf8Sequence sequence = text::ReadUtf8Sequence(window.subspan(i));
    if (sequence.Status == text::TUtf8Status::usIllFormed) return true;
    // The window may end inside a character; the file itself may not.
    if (sequence.Status == text::TUtf8Status::usTruncated) return !fileGoesOn;
    i += sequence.Length;
  }
  return false;
}

std::size_t Utf8BomLength(std::span<const std::uint8_t> data) {
  const text::TByteOrderMark mark = text::DetectByteOrderMark(data);
  return mark == text::TByteOrderMark::bomUtf8 ? text::ByteOrderMarkLength(mark) : 0;
}

std::vector<TArmourMatch> FindArmour(std::u16string_view text, std::uint32_t matchLimit) {
  const pcre2_code* code = ArmourCode();
  std::unique_ptr<pcre2_match_data, TMatchDataDeleter> matchData(pcre2_match_data_create_from_pattern(code, nullptr));
  std::unique_ptr<pcre2_match_context, TMatchContextDeleter> context(pcre2_match_context_create(nullptr));
  if (!matchData || !context) throw std::bad_alloc();
  pcre2_set_match_limit(context.get(), matchLimit);

  std::vector<TArmourMatch> matches;
  auto subject = reinterpret_cast<PCRE2_SPTR>(text.data());
  PCRE2_SIZE start = 0;
  while (start <= text.size()) {
    int rc = pcre2_match(code, subject, text.size(), start, 0, matchData.get(), context.get());
    if (rc == PCRE2_ERROR_NOMATCH) break;
    if (rc == PCRE2_ERROR_MATCHLIMIT)
      throw std::runtime_error("Text armour search stopped: the text needs more than " + std::to_string(matchLimit) +
                               " pattern match steps");
    if (rc < 0) throw std::runtime_error("Text armour search failed: " + PcreMessage(rc));
    const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(matchData.get());
    TArmourMatch match;
    match.Whole = text.substr(ovector[0], ovector[1] - ovector[0]);
    if (rc >= 2 && ovector[2] != PCRE2_UNSET) match.PemBody = text.substr(ovector[2], ovector[3] - ovector[2]);
    matches.push_back(match);
    // The pattern cannot match empty text; the guard keeps the loop moving anyway.
    start = ovector[1] > ovector[0] ? ovector[1] : ovector[0] + 1;
  }
  return matches;
}

void AppendArmourBlock(const TArmourMatch& match, std::vector<std::uint8_t>& out) {
  std::u16string_view text = match.Whole;
  // A line break at the very end does not open another line.
  std::size_t end = text.size();
  if (end >= 2 && text[end - 2] == u'\r' && text[end - 1] == u'\n')
    end -= 2;
  else if (end >= 1 && IsLineBreak(text[end - 1]))
    --end;
  text = text.substr(0, end);

  std::size_t lastStart = text.find_last_of(u"\r\n");
  lastStart = lastStart == std::u16string_view::npos ? 0 : lastStart + 1;
  std::size_t bodyFrom = 0;
  std::size_t bodyTo = text.size();
  if (StartsWith(text.substr(lastStart), u"-----")) {
    if (lastStart == 0) {
      // A PEM block on one line: only the text between its markers is Base64.
      text::AppendBase64(match.PemBody, out);
      return;
    }
    bodyTo = lastStart;
  }
  std::u16string_view body = text.substr(0, bodyTo);
  if (StartsWith(body, u"-----") || StartsWith(body, u"begin-base64")) {
    std::size_t firstEnd = body.find_first_of(u"\r\n");
    bodyFrom = firstEnd == std::u16string_view::npos ? bodyTo : firstEnd;
  }
  // The lines are joined by line breaks, which Base64 decoding skips.
  text::AppendBase64(text.substr(bodyFrom, bodyTo - bodyFrom), out);
}

std::string CommonPemLabel(std::span<const TArmourMatch> matches) {
  constexpr std::u16string_view Begin = u"-----BEGIN ";
  std::string common;
  for (const TArmourMatch& match : matches) {
    if (!StartsWith(match.Whole, Begin)) return {};
    const std::size_t end = match.Whole.find(u"-----", Begin.size());
    if (end == std::u16string_view::npos) return {};
    std::string label;
    for (char16_t c : match.Whole.substr(Begin.size(), end - Begin.size())) {
      if (c >= 0x80) return {};
      label.push_back(static_cast<char>(c));
    }
    if (&match != &matches.front() && label != common) return {};
    common = std::move(label);
  }
  return common;
}

std::optional<std::vector<std::uint8_t>> DecodeArmouredText(std::u16string_view text, std::uint32_t matchLimit,
                                                            std::string* pemLabel,
                                                            std::vector<std::int32_t>* blockStarts, bool markedOnly) {
  std::vector<TArmourMatch> matches = FindArmour(text, matchLimit);
  // Text of Base64 alone matches only as the whole text, never beside a block.
  if (markedOnly)
    std::erase_if(matches, [](const TArmourMatch& m) {
      return !StartsWith(m.Whole, u"-----") && !StartsWith(m.Whole, u"begin-base64");
    });
  if (matches.empty()) return std::nullopt;
  if (pemLabel != nullptr) *pemLabel = CommonPemLabel(matches);
  std::vector<std::uint8_t> result;
  if (blockStarts != nullptr) blockStarts->clear();
  for (const TArmourMatch& match : matches) {
    if (blockStarts != nullptr) blockStarts->push_back(static_cast<std::int32_t>(result.size()));
    AppendArmourBlock(match, result);
  }
  result.shrink_to_fit();  // the buffer lives as long as the document
  return result;
}

std::u16string StripClipboardText(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (char16_t c : text)
    if (c != u' ' && c != u'\r' && c != u'\n') out.push_back(c);
  return out;
}

TClipboardKind ClassifyClipboardText(std::u16string_view stripped) {
  if (stripped.empty()) return TClipboardKind::ckNone;
  bool hex = stripped.size() % 2 == 0;
  bool b64 = stripped.size() % 4 == 0;
  for (char16_t c : stripped) {
    if (!hex && !b64) break;
    hex = hex && text::HexDigitValue(c) >= 0;
    b64 = b64 && text::IsBase64Char(c);
  }
  if (hex) return TClipboardKind::ckHex;
  if (b64) return TClipboardKind::ckBase64;
  return TClipboardKind::ckNone;
}

std::vector<std::uint8_t> DecodeHexText(std::u16string_view hex) {
  std::vector<std::uint8_t> out;
  out.reserve(hex.size() / 2);
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    out.push_back(static_cast<std::uint8_t>(text::HexDigitValue(hex[i]) << 4 | text::HexDigitValue(hex[i + 1])));
  return out;
}

void CheckInputFileSize(std::uintmax_t size) {
  if (size <= asn::MaxInputSize) return;
  throw std::runtime_error("File is too large to decode: " + std::to_string(size) + " bytes, at most " +
                           std::to_string(asn::MaxInputSize) + " can be addressed");
}

}  // namespace viewer
