// Helpers of the decoder tests: hex input and a trace of the parser's events.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "asn/asn.h"
#include "asn/utf.h"

namespace asn::test {

// Octets from hex digits; blanks are ignored.
inline std::vector<std::uint8_t> Hex(const std::string& text) {
  std::vector<std::uint8_t> out;
  int high = -1;
  for (char c : text) {
    int v;
    if (c >= '0' && c <= '9') v = c - '0';
    else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
    else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
    else continue;
    if (high < 0) {
      high = v;
    } else {
      out.push_back(static_cast<std::uint8_t>(high * 16 + v));
      high = -1;
    }
  }
  return out;
}

inline std::string U8(const std::u16string& s) { return Utf16ToUtf8(s); }

// One line per event: "C name@offset/header/length" for OnNewConstructed
// ("X" when encapsulating), "P name@offset/header/length=value" for
// OnNewPrimitive (with "!error" when the value failed), "E" for OnEndConstructed.
struct EventTrace {
  std::vector<std::string> Lines;
  std::vector<TASNTag> Tags;  // records of the begin events, in order
  int Depth = 0;
  int MaxDepth = 0;

  void Attach(TASNParser& parser) {
    parser.OnNewConstructed = [this](const TASNTag& t) {
      Lines.push_back(std::string(t.Encapsulates ? "X " : "C ") + Describe(t));
      Tags.push_back(t);
      if (++Depth > MaxDepth) MaxDepth = Depth;
    };
    parser.OnNewPrimitive = [this](const TASNTag& t) {
      std::string line = "P " + Describe(t) + "=" + U8(t.Value);
      if (!t.Error.empty()) line += "!" + U8(t.Error);
      Lines.push_back(line);
      Tags.push_back(t);
    };
    parser.OnEndConstructed = [this] {
      Lines.push_back("E");
      --Depth;
    };
  }

  static std::string Describe(const TASNTag& t) {
    return U8(t.GetTagName()) + "@" + std::to_string(t.Offset) + "/" + std::to_string(t.HeaderLength()) + "/" +
           std::to_string(t.Length);
  }

  std::string Joined() const {
    std::string all;
    for (const std::string& line : Lines) all += (all.empty() ? "" : "; ") + line;
    return all;
  }
};

// The outcome of one parse: the trace and, when Parse left with an
// EParserException, its message and offset.
struct ParseOutcome {
  EventTrace Trace;
  std::string Error;
  std::int32_t ErrorOffset = -2;
};

inline ParseOutcome ParseHex(const std::string& hex, bool spaceInHex = true, const TOIDDictionary* oids = nullptr) {
  ParseOutcome outcome;
  std::vector<std::uint8_t> bytes = Hex(hex);
  TASNParser parser;
  parser.SpaceInHex = spaceInHex;
  parser.OIDDictionary = oids;
  outcome.Trace.Attach(parser);
  try {
    parser.Parse(bytes);
  } catch (const EParserException& e) {
    outcome.Error = e.what();
    outcome.ErrorOffset = e.Offset;
  }
  return outcome;
}

}  // namespace asn::test
