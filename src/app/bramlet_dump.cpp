// bramlet-dump FILE: the document of any input the viewer takes (raw BER, PEM
// blocks, begin-base64, bare Base64) as the structure tree lists it, or its XML
// export; --elements keeps the one-line-per-element walk of a raw BER file;
// --check, --element and --json are in dump_check.cpp, --diff in dump_diff.cpp.
#include <filesystem>
#include <iostream>
#include <optional>
#include <span>
#include <string>
#include <system_error>
#include <vector>

#include "app/dump_check.h"
#include "app/dump_diff.h"
#include "app/dump_names.h"
#include "app/dump_printer.h"
#include "asn/asn.h"
#include "asn/der_check.h"
#include "document/document.h"
#include "document/document_text.h"
#include "io/files.h"
#include "settings/lang.h"
#include "settings/text.h"
#include "text/offset.h"

namespace {

constexpr int ExitUsage = 2;  // also for files that cannot be read or written
constexpr int ExitNoDocument = 1;

struct TOptions {
  std::string Input;
  std::string InputB;  // --diff: the second document
  std::string Oids;
  bool HaveOids = false;
  bool Attributes = true;
  bool Elements = false;
  bool Xml = false;
  bool Names = true;
  bool Paths = false;
  std::string XmlOut;  // empty: standard output
  bool Check = false;
  bool Json = false;
  std::int64_t ElementOffset = -1;  // --element: the element starting here
  bool Pem = false;
  bool Diff = false;
  bool Bytes = false;  // --diff: also the elements whose encodings alone differ
};

// The option list; --help prints it to out, a bad command line to standard error.
int Usage(const char* message, std::ostream& out = std::cerr) {
  if (*message != 0) std::cerr << "bramlet-dump: " << message << '\n';
  out << "Usage: bramlet-dump [--oids DICTIONARY] [--no-names] [MODE] FILE\n"
               "       bramlet-dump [--oids DICTIONARY] [--no-names] --diff [--bytes] [--json] A B\n"
               "Prints the ASN.1 structure of FILE as the viewer's tree shows it, or as XML.\n"
               "  default          the document as the viewer's tree lists it, then a status line\n"
               "  --no-attributes  without the offset and length rows\n"
               "  --xml [OUT]      the XML export, to OUT or standard output\n"
               "  --elements       one line per element of a raw BER file\n"
               "  --paths          one line per element: offset, tab, field path, tab, tag name\n"
               "  --check          DER findings: offset, rule, path (or tag name), explanation (tab-separated);\n"
               "                   exit 0 for valid DER, 1 for findings or a decoding error\n"
               "  --element OFFSET [--pem]\n"
               "                   the encoding of the element starting at OFFSET (decimal, or 0x/$\n"
               "                   hexadecimal), raw or as PEM\n"
               "  --json           the document as JSON, with each element's path and DER findings\n"
               "  --diff A B       what differs between documents A and B by what their elements are,\n"
               "                   in A's order, one line each: KIND, OFFSET_A, OFFSET_B, PATH, TEXT,\n"
               "                   tab-separated. KIND is - (only in A), + (only in B) or ~ (value\n"
               "                   changed: TEXT is A's value, a tab, B's value); an absent offset is -;\n"
               "                   TEXT is the row as the tree shows it; PATH is as --paths writes it,\n"
               "                   for an unnamed element its parent's path, its tag name and its place\n"
               "                   among the parent's children from 0: SEQUENCE[0].INTEGER[1].\n"
               "                   Elements match by field name (unnamed: by tag and count); the items\n"
               "                   of a SEQUENCE OF or SET OF (unnamed: two or more constructed children\n"
               "                   of one tag) by value, then by key (their first primitive's value), an\n"
               "                   item left over being one line; values compare as decoded, whatever\n"
               "                   the form of the lengths\n"
               "    --bytes        also # lines: the same value, encoded differently\n"
               "    --json         an array of objects with the keys kind, offsetA, offsetB (null when\n"
               "                   absent), path and text, or for ~ textA and textB\n"
               "  --no-names       without the field names from the standards' schemas\n"
               "  --rules          every rule --check applies: its id, what it asks for, where it comes from\n"
               "  --oids DICTIONARY  OID names from DICTIONARY, not from oid.txt beside the program\n"
               "  -h, --help       this text\n"
               "  --version        the version\n";
  return ExitUsage;
}

// What --help says after the options: the input and the exit codes.
constexpr const char* HelpEpilogue =
    "\nFILE, A and B may be raw BER (DER, CER), PEM (several blocks too), a begin-base64 block or bare\n"
    "Base64.\n"
    "\nExit status:\n"
    "  0  the whole document was shown; with --diff, documents of the same values\n"
    "  1  the document holds a fatal decoding error (of any PEM block), the file is empty, or a\n"
    "     text file holds no armour;\n"
    "     with --check, also a document that is not valid DER; with --diff, documents whose\n"
    "     values differ (# lines do not count)\n"
    "  2  a bad command line, or a file that cannot be read or written;\n"
    "     with --diff, also a file that holds no document or a fatal decoding error\n";

// The folder of the running executable, where oid.txt is shipped.
std::string ExecutableFolder(const char* argv0) {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) exe = std::filesystem::absolute(argv0, ec);
  return exe.parent_path().string();
}

int DumpRawElements(const std::string& input, const asn::TOIDDictionary& oids) {
  std::uintmax_t size = 0;
  try {
    size = io::InputFileSize(input);
  } catch (const io::EFileError& e) {
    std::cerr << "bramlet-dump: cannot read " << input << ": " << e.Reason << '\n';
    return ExitUsage;
  }
  if (size > asn::MaxInputSize) {
    std::cerr << "bramlet-dump: " << input << ": input of " << size << " bytes is too large: at most "
              << asn::MaxInputSize << " are supported\n";
    return ExitUsage;
  }
  std::string bytes;
  try {
    bytes = io::ReadWholeFile(input);
  } catch (const io::EFileReadError&) {
    std::cerr << "bramlet-dump: cannot read " << input << ": read error\n";
    return ExitUsage;
  } catch (const io::EFileError& e) {
    std::cerr << "bramlet-dump: cannot read " << input << ": " << e.Reason << '\n';
    return ExitUsage;
  }
  const std::span<const std::uint8_t> octets(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  return app::DumpElements(octets, oids, std::cout, std::cerr);
}

void PrintTree(const viewer::TDecodedDocument& document, bool attributes) {
  document.Names().NameAll();  // every row will ask for its name
  std::string out;
  viewer::WalkRows(document.Root(), attributes, [&](viewer::TTag row, std::int32_t depth) {
    out.append(static_cast<std::size_t>(depth) * 2, ' ');
    app::AppendShown(out, document.RowText(row));
    out.push_back('\n');
    if (out.size() < (1u << 20)) return;
    std::cout << out;
    out.clear();
  });
  out += "Objects: " + std::to_string(document.Root().GetTagChildsCount()) + "  Tags: " + std::to_string(document.TagsCount()) +
         "  Bytes: " + std::to_string(document.Bytes()->size());
  if (document.FromBase64()) out += "  base64";
  out.push_back('\n');
  std::cout << out;
}

// Writes the export; false (with a message) when the file could not be written.
bool WriteXml(const viewer::TDecodedDocument& document, const std::string& target) {
  if (target.empty()) {
    viewer::TXmlStreamWriter writer(std::cout);
    writer.AddLine(0, viewer::XmlDeclaration);
    document.WriteTag(document.Root(), writer, 0);
    writer.Flush();
    return true;
  }
  try {
    viewer::TXmlFileWriter writer{std::filesystem::path(settings::Utf8ToUtf16(target))};
    writer.AddLine(0, viewer::XmlDeclaration);
    document.WriteTag(document.Root(), writer, 0);
    writer.Commit();
  } catch (const std::exception& e) {
    std::cerr << "bramlet-dump: " << e.what() << '\n';
    return false;
  }
  return true;
}

// Loads the document's file; false, with a message, when it cannot be read.
bool LoadInput(viewer::TDecodedDocument& document, const std::string& input) {
  try {
    document.LoadFile();
  } catch (const io::EFileError& e) {
    std::cerr << "bramlet-dump: cannot read " << input << ": " << e.Reason << '\n';
    return false;
  } catch (const std::exception& e) {
    std::cerr << "bramlet-dump: cannot read " << input << ": " << e.what() << '\n';
    return false;
  }
  return true;
}

void ReportNoDocument(const viewer::TDecodedDocument& document, const std::string& input) {
  std::cerr << "bramlet-dump: " << input << ": "
            << (document.FileWasEmpty() ? "the file is empty" : "text without PEM, begin-base64 or Base64 armour")
            << "; nothing to decode\n";
}

int DumpDocument(const TOptions& options, const asn::TOIDDictionary& oids) {
  viewer::TDocumentOptions documentOptions;
  documentOptions.FieldNames = options.Names && !options.Xml;  // the export has no names
  documentOptions.Text = settings::EnglishTextById;
  viewer::TDecodedDocument document(documentOptions, settings::Utf8ToUtf16(options.Input));
  document.OIDDictionary = &oids;
  if (!LoadInput(document, options.Input)) return ExitUsage;
  // JSON stays a document for any input the file could be read from.
  if (options.Json) {
    app::WriteJson(document, options.Input, std::cout);
    return document.Root().ChildsCount() == 0 || document.HasFatalError() ? 1 : 0;
  }
  if (document.Root().ChildsCount() == 0) {
    ReportNoDocument(document, options.Input);
    return ExitNoDocument;
  }
  if (options.Check) return app::WriteCheck(document, std::cout, std::cerr);
  if (options.ElementOffset >= 0) return app::WriteElement(document, options.ElementOffset, options.Pem, std::cout, std::cerr);
  if (options.Xml) {
    if (!WriteXml(document, options.XmlOut)) return ExitUsage;
  } else if (options.Paths) {
    app::PrintPaths(document, std::cout);
  } else {
    PrintTree(document, options.Attributes);
  }
  if (!document.HasFatalError()) return 0;
  if (options.Xml) app::WriteFatalErrors(document, /*rowLine=*/true, std::cerr);
  return 1;
}

// --diff: both documents must decode whole, as a comparison of parts would mislead.
int DumpDiff(const TOptions& options, const asn::TOIDDictionary& oids) {
  viewer::TDocumentOptions documentOptions;
  documentOptions.FieldNames = options.Names;
  documentOptions.Text = settings::EnglishTextById;
  viewer::TDecodedDocument a(documentOptions, settings::Utf8ToUtf16(options.Input));
  viewer::TDecodedDocument b(documentOptions, settings::Utf8ToUtf16(options.InputB));
  for (auto [document, input] : {std::pair{&a, &options.Input}, std::pair{&b, &options.InputB}}) {
    document->OIDDictionary = &oids;
    if (!LoadInput(*document, *input)) return ExitUsage;
    const viewer::TTag root = document->Root();
    if (root.ChildsCount() == 0) {
      ReportNoDocument(*document, *input);
      return ExitUsage;
    }
    if (document->HasFatalError()) {
      const viewer::TTag error = document->Elements().RootError(0);
      std::cerr << "bramlet-dump: " << *input << ": " << settings::Utf16ToUtf8(error.Text()) << '\n';
      return ExitUsage;
    }
  }
  return app::WriteDiff(a, b, options.Bytes, options.Json, std::cout);
}

// Parses the command line; a negative result is an exit code to leave with.
int ParseArguments(int argc, char** argv, TOptions& options) {
  std::vector<std::string> positional;
  int xmlAt = -1;  // index in positional of the argument right after --xml
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--oids") {
      if (++i >= argc) return Usage("--oids needs a file name");
      options.Oids = argv[i];
      options.HaveOids = true;
    } else if (arg == "--no-attributes") {
      options.Attributes = false;
    } else if (arg == "--no-names") {
      options.Names = false;
    } else if (arg == "--paths") {
      options.Paths = true;
    } else if (arg == "--elements") {
      options.Elements = true;
    } else if (arg == "--xml") {
      options.Xml = true;
      xmlAt = static_cast<int>(positional.size());
    } else if (arg == "--check") {
      options.Check = true;
    } else if (arg == "--json") {
      options.Json = true;
    } else if (arg == "--diff") {
      options.Diff = true;
    } else if (arg == "--bytes") {
      options.Bytes = true;
    } else if (arg == "--pem") {
      options.Pem = true;
    } else if (arg == "--element") {
      if (++i >= argc) return Usage("--element needs an offset");
      const std::optional<std::int32_t> offset = text::ParseOffset(settings::Utf8ToUtf16(argv[i]));
      if (!offset) return Usage("--element needs a decimal or 0x hexadecimal offset");
      options.ElementOffset = *offset;
    } else if (arg == "--rules") {
      for (const asn::TDerRuleInfo& rule : asn::DerRules())
        std::cout << rule.Id << '\t' << rule.Meaning << " (" << rule.Clause << ")\n";
      return 0;
    } else if (arg == "-h" || arg == "--help") {
      Usage("", std::cout);
      std::cout << HelpEpilogue;
      return 0;
    } else if (arg == "--version") {
      std::cout << "bramlet-dump " BRAMLET_VERSION "\n";
      return 0;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return Usage(("unknown option " + arg).c_str());
    } else {
      positional.push_back(arg);
    }
  }
  if (options.Xml && positional.size() == 2) {
    if (xmlAt != 0) return Usage("OUT must follow --xml");
    options.XmlOut = positional[0];
    positional.erase(positional.begin());
  }
  // --json with --diff is the form of the differences, not a mode of its own.
  const int modes = int(options.Elements) + int(options.Xml) + int(!options.Attributes) + int(options.Check) +
                    int(options.Json && !options.Diff) + int(options.ElementOffset >= 0) + int(options.Paths) +
                    int(options.Diff);
  if (modes > 1) return Usage("a mode does not combine with another: choose one");
  if (options.Pem && options.ElementOffset < 0) return Usage("--pem goes with --element");
  if (options.Bytes && !options.Diff) return Usage("--bytes goes with --diff");
  if (options.Diff) {
    if (positional.size() != 2) return Usage("--diff needs two files, A and B");
    options.Input = positional[0];
    options.InputB = positional[1];
    return -1;
  }
  if (positional.empty()) return Usage("no FILE given");
  if (positional.size() > 1) return Usage("only one FILE can be dumped");
  options.Input = positional[0];
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  TOptions options;
  int parsed = ParseArguments(argc, argv, options);
  if (parsed >= 0) return parsed;

  asn::TOIDDictionary oids;
  if (options.HaveOids) {
    if (!oids.LoadFile(options.Oids)) {
      std::cerr << "bramlet-dump: cannot read OID dictionary " << options.Oids << '\n';
      return ExitUsage;
    }
  } else {
    oids.LoadFolder(ExecutableFolder(argv[0]));  // optional: no descriptions without it
  }

  std::ios::sync_with_stdio(false);
  const int result = options.Elements ? DumpRawElements(options.Input, oids)
                     : options.Diff   ? DumpDiff(options, oids)
                                      : DumpDocument(options, oids);
  std::cout.flush();
  if (!std::cout) {
    std::cerr << "bramlet-dump: cannot write the output\n";
    return ExitUsage;
  }
  return result;
}
