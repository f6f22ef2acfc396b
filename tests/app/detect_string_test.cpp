// bramlet's reading of detect strings and its choice of the next file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/bramlet/detect_string.h"
#include "plugin/listplug_core.h"

namespace bramlet {
namespace {

using TList = std::vector<std::string>;

TEST(DetectString, ExtensionsOfEachTermKind) {
  struct TCase {
    const char* Name;
    const char* Detect;
    TList Expected;
  } cases[] = {
      {"plain list", R"(EXT="DER"|EXT="PEM")", {"DER", "PEM"}},
      {"blanks and lower case", R"(ext = "der" | Ext="p7b")", {"DER", "P7B"}},
      {"other terms skipped", R"((EXT="CRL" | FIND("BEGIN")) & SIZE<1000000)", {"CRL"}},
      {"negated skipped", R"(EXT="CER" & !EXT="TXT" & ! EXT="LOG")", {"CER"}},
      {"repeats kept once", R"(EXT="DER"|EXT="der")", {"DER"}},
      {"not a whole word", R"(NEXT="DER"|TEXT="PEM"|EXT2="X"|EXT="KEY")", {"KEY"}},
      {"unterminated quote", R"(EXT="DER"|EXT="PE)", {"DER"}},
      {"empty value and no equals", R"(EXT=""|EXT"CRT"|EXT="*")", {"*"}},
      {"nothing", "", {}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(DetectExtensions(c.Detect), c.Expected);
  }
}

TEST(DetectString, ThePluginsOwnStringGivesItsSeventeenExtensions) {
  TList extensions = DetectExtensions(plugin::DetectString);
  EXPECT_EQ(extensions, (TList{"BER", "DER", "CER", "PEM", "KEY", "PFX", "P10", "P12", "P7B", "P7S", "SIG", "SGN",
                               "STL", "CAT", "CRT", "CSR", "CRL"}));
}

TEST(DetectString, AcceptsByTheLastExtensionOfTheFilePart) {
  TList extensions{"DER", "PEM"};
  struct TCase {
    const char* Name;
    bool Accepted;
  } cases[] = {
      {"cert.der", true},  {"CERT.Pem", true},     {"a.pem.txt", false}, {"a.txt.der", true},
      {"der", false},      {".der", true},         {"x.der/", false},    {"dir.der/file", false},
      {"dir/x.DER", true}, {"x.derx", false},      {"x.", false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(AcceptsFile(extensions, c.Name), c.Accepted);
  }
  EXPECT_TRUE(AcceptsFile({"*"}, "README"));
  EXPECT_FALSE(AcceptsFile({}, "a.der"));
}

TEST(DetectString, NeighbourSkipsWhatTheDetectStringRefuses) {
  TList names{"d.der", "b.txt", "a.der", "c.PEM", "e.log", "f.crl"};
  TList extensions{"DER", "PEM", "CRL"};
  struct TCase {
    const char* Current;
    bool Forward;
    std::optional<std::string> Expected;
  } cases[] = {
      {"a.der", true, "c.PEM"},  {"c.PEM", true, "d.der"},  {"d.der", true, "f.crl"},
      {"f.crl", true, std::nullopt}, {"f.crl", false, "d.der"}, {"c.PEM", false, "a.der"},
      {"a.der", false, std::nullopt},
      // A current file that is refused, or gone, still has neighbours.
      {"b.txt", true, "c.PEM"}, {"b.txt", false, "a.der"}, {"cc.der", true, "d.der"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::string(c.Current) + (c.Forward ? " forward" : " backward"));
    EXPECT_EQ(NeighbourName(names, c.Current, extensions, c.Forward), c.Expected);
  }
}

TEST(DetectString, NeighbourFileListsOnlyRegularFilesOfTheFolder) {
  namespace fs = std::filesystem;
  fs::path folder = fs::temp_directory_path() / "bramlet-neighbour-test";
  fs::remove_all(folder);
  fs::create_directories(folder / "b.der");  // a folder, not a file
  for (const char* name : {"a.der", "c.der"}) std::ofstream(folder / name) << "x";
  EXPECT_EQ(NeighbourFile(folder / "a.der", {"DER"}, true), folder / "c.der");
  EXPECT_EQ(NeighbourFile(folder / "c.der", {"DER"}, false), folder / "a.der");
  EXPECT_EQ(NeighbourFile(folder / "missing" / "a.der", {"DER"}, true), std::nullopt);
  fs::remove_all(folder);
}

}  // namespace
}  // namespace bramlet
