// bramlet-dump FILE: prints every element of a raw BER file, one line each.
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "app/dump_printer.h"
#include "asn/asn.h"

namespace {

constexpr int ExitUsage = 2;  // also for files that cannot be read or written

int Usage(const char* message) {
  if (*message != 0) std::cerr << "bramlet-dump: " << message << '\n';
  std::cerr << "usage: bramlet-dump [--oids DICTIONARY] FILE\n";
  return ExitUsage;
}

// The folder of the running executable, where oid.txt is shipped.
std::string ExecutableFolder(const char* argv0) {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) exe = std::filesystem::absolute(argv0, ec);
  return exe.parent_path().string();
}

bool ReadFile(const std::string& name, std::vector<std::uint8_t>& bytes, std::string& problem) {
  std::error_code ec;
  if (std::filesystem::is_directory(name, ec)) {
    problem = "is a directory";
    return false;
  }
  std::ifstream file(name, std::ios::binary);
  if (!file) {
    problem = std::strerror(errno);
    return false;
  }
  bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  if (file.bad()) {
    problem = "read error";
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::string input, oids;
  bool haveOids = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--oids") {
      if (++i >= argc) return Usage("--oids needs a file name");
      oids = argv[i];
      haveOids = true;
    } else if (arg == "-h" || arg == "--help") {
      Usage("");
      return 0;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return Usage(("unknown option " + arg).c_str());
    } else if (!input.empty()) {
      return Usage("only one FILE can be dumped");
    } else {
      input = arg;
    }
  }
  if (input.empty()) return Usage("no FILE given");

  if (haveOids) {
    if (!asn::LoadOIDDictionaryFile(oids)) {
      std::cerr << "bramlet-dump: cannot read OID dictionary " << oids << '\n';
      return ExitUsage;
    }
  } else {
    asn::LoadOIDDictionary(ExecutableFolder(argv[0]));  // optional: no descriptions without it
  }

  std::error_code ec;
  const auto size = std::filesystem::file_size(input, ec);
  if (!ec && size > asn::MaxInputSize) {
    std::cerr << "bramlet-dump: " << input << ": input of " << size << " bytes is too large: at most "
              << asn::MaxInputSize << " are supported\n";
    return ExitUsage;
  }
  std::vector<std::uint8_t> bytes;
  std::string problem;
  if (!ReadFile(input, bytes, problem)) {
    std::cerr << "bramlet-dump: cannot read " << input << ": " << problem << '\n';
    return ExitUsage;
  }

  std::ios::sync_with_stdio(false);
  const int result = app::DumpElements(bytes, std::cout, std::cerr);
  asn::FreeOIDDictionary();
  std::cout.flush();
  if (!std::cout) {
    std::cerr << "bramlet-dump: cannot write the output\n";
    return ExitUsage;
  }
  return result;
}
