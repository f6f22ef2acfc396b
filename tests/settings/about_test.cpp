// The About box: a translated title, fixed texts, and closing.
#include "settings/about.h"

#include <gtest/gtest.h>

#include "settings/text.h"
#include "test_support.h"

namespace settings {
namespace {

class AboutForm : public test::TSettingsTest {};

TEST_F(AboutForm, OnlyTheTitleFollowsTheLanguage) {
  test::WriteFile(Module.File("de.lng"), "language=Deutsch\n115=Info\n");
  struct {
    const char* Label;
    const char16_t* Language;
    const char* Title;
  } cases[] = {{"English", u"", "About"}, {"German", u"de.lng", "Info"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    ASSERT_TRUE(LoadLanguage(Fake.Platform, c.Language, /*force=*/true));
    TAboutForm form(Fake.Display);
    EXPECT_EQ(Utf16ToUtf8(form.Caption), c.Title);
    EXPECT_EQ(form.Controls["lbName"].Caption, u"Bramlet");
    EXPECT_EQ(form.Controls["lbVersion"].Caption, u"Version 1.1, Feb 2024");
    // The version the build gives --version, the package and the plug-in archive.
    EXPECT_EQ(Utf16ToUtf8(form.Controls["lbVersion"].Caption).rfind("Version " BRAMLET_VERSION ", ", 0), 0u);
    EXPECT_EQ(form.Controls["btnOK"].Caption, u"OK");
  }
}

TEST(AboutBox, OkEnterAndEscClose) {
  struct {
    const char* Label;
    std::function<bool(TAboutForm&)> Act;
    bool Closes;
  } cases[] = {
      {"OK", [](TAboutForm& f) { f.ButtonClick("btnOK"); return true; }, true},
      {"Enter", [](TAboutForm& f) { return f.KeyDown(platform::vk::Return); }, true},
      {"Esc", [](TAboutForm& f) { return f.KeyDown(platform::vk::Escape); }, true},
      {"Space", [](TAboutForm& f) { return f.KeyDown(0x20); }, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    platform::fake::TFakeDisplay display;
    TAboutForm form(display);
    int requests = 0;
    form.OnCloseRequest = [&] { ++requests; };
    EXPECT_EQ(c.Act(form), c.Closes);
    EXPECT_EQ(requests, c.Closes ? 1 : 0);
  }
}

}  // namespace
}  // namespace settings
