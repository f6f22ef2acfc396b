// The XML export's text rules and its writers: escaping, element names, and
// line sinks that write UTF-8 with a byte-order mark and CR LF line ends.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>

#include "io/files.h"

namespace viewer {

// Receives the export one line at a time: its depth (four blanks each) and text.
class IXmlLineSink {
 public:
  virtual ~IXmlLineSink() = default;
  virtual void AddLine(std::int32_t level, std::u16string_view text) = 0;
};

inline constexpr std::u16string_view XmlDeclaration = u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>";

// "&", "<", ">" and the double quote as entities. Characters XML 1.0 does not
// allow (controls other than tab, line feed and carriage return, U+FFFE, U+FFFF)
// and unpaired surrogates become U+FFFD, so the file is always well-formed.
std::u16string EscapeXML(std::u16string_view text);

// A tag name as an XML name: blanks and "[" become "_", "]" is dropped.
std::u16string XmlElementName(std::u16string_view name);

// Writes the byte-order mark on construction, then every line as UTF-8 behind
// its indentation, each ended by CR LF.
class TXmlStreamWriter : public IXmlLineSink {
 public:
  // Receives the UTF-8 text in pieces of about a megabyte.
  using TOutput = std::function<void(std::string_view)>;
  explicit TXmlStreamWriter(std::ostream& out);
  explicit TXmlStreamWriter(TOutput out);
  ~TXmlStreamWriter() override;
  void AddLine(std::int32_t level, std::u16string_view text) override;
  // Hands the buffered text to the output.
  void Flush();

 private:
  TOutput FOut;
  std::string FBuffer;
};

// A TXmlStreamWriter onto an io::TAtomicFile: Commit puts the file in place;
// until then (and after any failure) target is untouched, and a writer destroyed
// without Commit removes its temporary file. Failures throw io::EFileError
// naming the file.
class TXmlFileWriter : public IXmlLineSink {
 public:
  explicit TXmlFileWriter(std::filesystem::path target);
  void AddLine(std::int32_t level, std::u16string_view text) override;
  void Commit();

 private:
  io::TAtomicFile FFile;
  TXmlStreamWriter FWriter;
};

}  // namespace viewer
