// The element toolbox without a window: the C array's lines, the file name it
// offers and how Go to offset reads an entry against the buffer's size.
#include "viewer/toolbox.h"

#include <gtest/gtest.h>

#include "settings/lang.h"
#include "settings/text.h"
#include "document/document.h"
#include "viewer_test_util.h"

namespace viewer {
namespace {

TEST(Toolbox, CArrayBreaksALineEveryTwelveOctets) {
  struct {
    const char* Hex;
    const char* Expected;
  } cases[] = {
      {"04 0A 00 01 02 03 04 05 06 07 08 09",
       "const unsigned char element[12] = {\n"
       "    0x04, 0x0A, 0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09,\n};\n"},
      {"04 0B 00 01 02 03 04 05 06 07 08 09 FF",
       "const unsigned char element[13] = {\n"
       "    0x04, 0x0B, 0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09,\n    0xFF,\n};\n"},
      {"05 00", "const unsigned char element[2] = {\n    0x05, 0x00,\n};\n"},
  };
  TDocumentOptions options;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Hex);
    TDecodedDocument doc(options);
    doc.RunCaptured([&] { doc.ParseASN(test::Shared(test::HexBytes(c.Hex))); });
    EXPECT_EQ(settings::Utf16ToUtf8(TToolbox(doc).CArray(doc.Root().Childs(0))), c.Expected);
  }
}

TEST(Toolbox, ProposedNameIsTheFilesNameWithoutFolderOrExtension) {
  struct {
    std::u16string FileName;
    std::u16string Expected;
  } cases[] = {
      {u"/tmp/chain.p7b", u"chain-2.der"},
      {u"C:\\certs\\a.b.cer", u"a.b-2.der"},   // only the last extension goes
      {u"folder.d/noextension", u"noextension-2.der"},
      {u"/tmp/.der", u"element-2.der"},       // nothing left of the name
      {u"", u"element-2.der"},                // the clipboard's document
  };
  TDocumentOptions options;
  for (const auto& c : cases) {
    SCOPED_TRACE(settings::Utf16ToUtf8(c.FileName));
    TDecodedDocument doc(options, c.FileName);
    doc.RunCaptured([&] { doc.ParseASN(test::Shared(test::HexBytes("30 03 02 01 05"))); });
    const TTag integer = doc.Root().Childs(0).Childs(doc.Root().Childs(0).ChildsCount() - 1);
    EXPECT_EQ(TToolbox(doc).ProposedName(integer), c.Expected);
  }
}

TEST(Toolbox, OffsetEntryIsReadAgainstTheBufferSize) {
  const std::u16string notAnOffset = settings::GetLangTextById(702);
  const std::u16string empty = settings::GetLangTextById(704);
  struct {
    std::u16string Typed;
    std::size_t Size;
    std::int32_t Offset;  // -1: none
    std::u16string Error;
  } cases[] = {
      {u"$FF", 256, 255, u""},
      {u"256", 256, 256, settings::GetLangTextById(703) + u" 255 ($FF)."},
      {u"0", 1, 0, u""},
      {u"0", 0, -1, empty},  // nothing to go to, whatever was typed
      {u"x", 0, -1, empty},
      {u"x", 1, -1, notAnOffset},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(settings::Utf16ToUtf8(c.Typed) + " of " + std::to_string(c.Size));
    const TOffsetEntry entry = ReadOffsetEntry(c.Typed, c.Size);
    EXPECT_EQ(entry.Error, c.Error);
    EXPECT_EQ(entry.Offset, c.Offset);
  }
}

}  // namespace
}  // namespace viewer
