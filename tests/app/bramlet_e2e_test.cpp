// Bramlet.wlx end to end: loaded with dlopen from a folder of its own, shown in
// bramlet's window under the offscreen platform and driven only through its
// exports and the keys a user presses; what the window shows is read back
// from its pixels.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QTest>

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/bramlet/host_window.h"
#include "app/bramlet/lister_module.h"

namespace bramlet {
namespace {

namespace fs = std::filesystem;

const fs::path SamplesDir = fs::path(BRAMLET_SOURCE_DIR) / "samples";
const fs::path ScreenshotDir = BRAMLET_SCREENSHOT_DIR;

// One folder per test program: the module with its data files (so that
// "Bramlet.ini" lands there), the configuration home and scratch files.
struct TSandbox {
  fs::path Root = fs::temp_directory_path() / ("bramlet-e2e-" + std::to_string(getpid()));
  fs::path Module = Root / "module";
  fs::path Config = Root / "config";
  fs::path Files = Root / "files";
  std::unique_ptr<TListerModule> Lister;

  TSandbox() {
    fs::remove_all(Root);
    for (const fs::path& folder : {Module, Config, Files}) fs::create_directories(folder);
    const fs::path built = fs::path(BRAMLET_MODULE).parent_path();
    fs::copy_file(BRAMLET_MODULE, Module / "Bramlet.wlx");
    for (const char* data : {"oid.txt", "german.lng", "russian.lng"}) fs::copy_file(built / data, Module / data);
    setenv("XDG_CONFIG_HOME", Config.c_str(), 1);
    Lister = std::make_unique<TListerModule>((Module / "Bramlet.wlx").string());
  }
  ~TSandbox() { fs::remove_all(Root); }
};

TSandbox& Sandbox() {
  static TSandbox sandbox;
  return sandbox;
}

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The keys of each section, in file order.
std::map<std::string, std::vector<std::string>> IniKeys(const fs::path& path) {
  std::map<std::string, std::vector<std::string>> keys;
  std::istringstream in(ReadText(path));
  std::string line, section;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > 2 && line.front() == '[' && line.back() == ']') {
      section = line.substr(1, line.size() - 2);
    } else if (std::size_t equals = line.find('='); equals != std::string::npos) {
      keys[section].push_back(line.substr(0, equals));
    }
  }
  return keys;
}

const std::map<std::string, std::vector<std::string>> EveryKey = {
    {"Main",
     {"Language", "ShowAttributes", "ShowIcons", "FontName", "FontSize", "Indent", "BackgroundColor", "FocusColor",
      "ConstructedColor", "PrimitiveColor", "AttribColor", "ValueColor", "HexColor", "LineColor", "LineDotted",
      "SpaceInHex", "FieldNames", "NameColor", "DerChecks", "DerColor", "ChangedColor", "OnlyHereColor",
      "OnlyThereColor"}},
    {"Hex",
     {"Show", "FontName", "FontSize", "Background", "FocusColor", "LineColor", "HexColor", "TagColor", "LenColor",
      "UBitsColor", "SelColor", "DerColor", "ChangedColor", "OnlyHereColor", "TextColor", "LineDotted",
      "StringSize"}},
};

int CountPixels(const QImage& image, QRgb colour, int tolerance = 0) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      QRgb pixel = image.pixel(x, y);
      if (std::abs(qRed(pixel) - qRed(colour)) <= tolerance && std::abs(qGreen(pixel) - qGreen(colour)) <= tolerance &&
          std::abs(qBlue(pixel) - qBlue(colour)) <= tolerance)
        ++count;
    }
  return count;
}

class BramletWindow : public testing::Test {
 protected:
  std::unique_ptr<TBramletWindow> FWindow;
  std::vector<QString> FMessages;
  std::vector<QString> FQuestions;
  QString FAnswer;

  void SetUp() override {
    fs::remove(Sandbox().Module / "Bramlet.ini");
    FWindow = std::make_unique<TBramletWindow>(*Sandbox().Lister);
    FWindow->Notify = [this](const QString& text) { FMessages.push_back(text); };
    FWindow->AskSearchText = [this](const QString& previous) {
      FQuestions.push_back(previous);
      return FAnswer;
    };
    FWindow->resize(1000, 700);
    FWindow->show();
    FWindow->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(FWindow.get()));
  }
  void TearDown() override { FWindow.reset(); }

  QImage Shot() { return FWindow->grab().toImage().convertToFormat(QImage::Format_RGB32); }
  // Keys go where a user's keys go: to the widget with the focus.
  void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : FWindow.get();
    QTest::keyClick(target, key, modifiers);
    QApplication::processEvents();
  }
  QString Title() const { return FWindow->windowTitle(); }
};

TEST_F(BramletWindow, ShowsTheFileWithTheTreeFocusedAndFollowsTheWindowsSize) {
  ASSERT_TRUE(FWindow->OpenFile(QString::fromStdString((SamplesDir / "cert.der").string())));
  QApplication::processEvents();
  QWidget* viewer = FWindow->Viewer();
  ASSERT_NE(viewer, nullptr);
  EXPECT_EQ(viewer->parentWidget(), FWindow.get());
  EXPECT_EQ(viewer->geometry(), FWindow->rect());
  EXPECT_TRUE(Title().startsWith("cert.der")) << Title().toStdString();
  // The focus went through the viewer to one of its children, the tree.
  QWidget* focus = QApplication::focusWidget();
  ASSERT_NE(focus, nullptr);
  EXPECT_TRUE(viewer->isAncestorOf(focus));

  QImage shot = Shot();
  fs::create_directories(ScreenshotDir);
  shot.save(QString::fromStdString((ScreenshotDir / "bramlet-cert.png").string()));
  // The hex panel's background and its red tag bytes in their default colours,
  // and the tree's constructed elements in theirs.
  EXPECT_GT(CountPixels(shot, qRgb(255, 251, 240)), 20000);
  EXPECT_GT(CountPixels(shot, qRgb(255, 0, 0), 60), 20);
  EXPECT_GT(CountPixels(shot.copy(0, 0, shot.width() / 2, shot.height()), qRgb(0, 0, 128), 40), 100);

  FWindow->resize(700, 500);
  QApplication::processEvents();
  EXPECT_EQ(viewer->geometry(), QRect(0, 0, 700, 500));
}

TEST_F(BramletWindow, SearchesBothWaysFromTheFocusedRowWithTheHostsKeys) {
  ASSERT_TRUE(FWindow->OpenFile(QString::fromStdString((SamplesDir / "cert.der").string())));
  QImage opened = Shot();

  // F7 in the viewer goes to the host, which asks for the text.
  FAnswer = "2.5.4.3";
  Press(Qt::Key_F7);
  ASSERT_EQ(FQuestions.size(), 1u);
  EXPECT_EQ(FWindow->LastSearchResult(), 0);
  QImage first = Shot();
  EXPECT_NE(first, opened);
  // The found element's bytes are highlighted.
  EXPECT_GT(CountPixels(first, qRgb(255, 255, 128)), 200);
  fs::create_directories(ScreenshotDir);
  first.save(QString::fromStdString((ScreenshotDir / "bramlet-found.png").string()));

  Press(Qt::Key_F3);
  EXPECT_EQ(FWindow->LastSearchResult(), 0);
  QImage second = Shot();
  EXPECT_NE(second, first);

  Press(Qt::Key_F3, Qt::ShiftModifier);
  EXPECT_EQ(FWindow->LastSearchResult(), 0);
  EXPECT_EQ(Shot(), first);

  // A miss says so and moves nothing.
  EXPECT_EQ(FWindow->Search("no such text anywhere", 0), 1);
  EXPECT_EQ(Shot(), first);
  EXPECT_EQ(FMessages.size(), 1u);
  EXPECT_TRUE(FQuestions.size() == 1u) << "F3 with a text asks nothing";
}

TEST_F(BramletWindow, EscClosesTheViewerWhichSavesEverySetting) {
  ASSERT_TRUE(FWindow->OpenFile(QString::fromStdString((SamplesDir / "cert.pem").string())));
  Press(Qt::Key_Escape);
  QApplication::processEvents();
  EXPECT_FALSE(FWindow->isVisible());
  EXPECT_EQ(FWindow->Viewer(), nullptr);
  EXPECT_EQ(IniKeys(Sandbox().Module / "Bramlet.ini"), EveryKey);
}

TEST_F(BramletWindow, DeclinesATextWithoutArmourAndSaysSo) {
  fs::path text = Sandbox().Files / "notes.pem";
  std::ofstream(text) << "Just a few words, with no PEM block and no Base64.\n";
  EXPECT_FALSE(FWindow->OpenFile(QString::fromStdString(text.string())));
  EXPECT_EQ(FWindow->Viewer(), nullptr);
  ASSERT_EQ(FMessages.size(), 1u);
  EXPECT_TRUE(FMessages[0].contains("notes.pem"));
  EXPECT_EQ(Sandbox().Lister->LoadUtf8(FWindow.get(), text.string()), nullptr);
  EXPECT_EQ(FWindow->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly).size(), 0);
  EXPECT_FALSE(fs::exists(Sandbox().Module / "Bramlet.ini"));
}

TEST_F(BramletWindow, AFileThatCannotBeOpenedIsSaidToBeSoWithTheReason) {
  struct {
    const char* Label;
    fs::path Path;
    int Reason;  // "No such file or directory", "Is a directory" in English
  } cases[] = {
      {"missing", Sandbox().Files / "missing.der", ENOENT},
      {"a folder", Sandbox().Files, EISDIR},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    FMessages.clear();
    EXPECT_FALSE(FWindow->OpenFile(QString::fromStdString(c.Path.string())));
    ASSERT_EQ(FMessages.size(), 1u);
    EXPECT_EQ(FMessages[0], QString::fromStdString(c.Path.string()) + " cannot be opened: " +
                                QString::fromLocal8Bit(std::strerror(c.Reason)) + ".");
  }
}

TEST_F(BramletWindow, TheEightBitNameIsReadAsUtf8) {
  fs::path copy = Sandbox().Files / u8"zertifikat-\u00FC\u20AC.der";
  fs::copy_file(SamplesDir / "cert.der", copy, fs::copy_options::overwrite_existing);
  const TListerModule& lister = *Sandbox().Lister;
  wlx::HWND viewer = lister.LoadUtf8(FWindow.get(), copy.string());
  ASSERT_NE(viewer, nullptr);
  EXPECT_EQ(lister.SearchText(viewer, u"2.5.4.3", wlx::lcs_findfirst), 0);
  EXPECT_EQ(lister.SendCommand(viewer, wlx::lc_copy, 0), 0);
  lister.Close(viewer);
  EXPECT_EQ(IniKeys(Sandbox().Module / "Bramlet.ini"), EveryKey);
  // Closed once: the handle is nobody's now.
  EXPECT_EQ(lister.SearchText(viewer, u"2.5.4.3", 0), 0);
  lister.Close(viewer);
}

TEST_F(BramletWindow, NAndPWalkTheFolderThroughTheFilesTheViewerTakes) {
  fs::path folder = Sandbox().Files / "walk";
  fs::create_directories(folder);
  fs::copy_file(SamplesDir / "cert.der", folder / "a.der", fs::copy_options::overwrite_existing);
  std::ofstream(folder / "b.txt") << "not offered\n";
  fs::copy_file(SamplesDir / "crl.pem", folder / "c.pem", fs::copy_options::overwrite_existing);
  fs::copy_file(SamplesDir / "csr.der", folder / "d.der", fs::copy_options::overwrite_existing);
  ASSERT_TRUE(FWindow->OpenFile(QString::fromStdString((folder / "a.der").string())));
  struct TStep {
    Qt::Key Key;
    const char* Title;
  } steps[] = {{Qt::Key_N, "c.pem"}, {Qt::Key_N, "d.der"}, {Qt::Key_N, "d.der"}, {Qt::Key_P, "c.pem"},
               {Qt::Key_P, "a.der"}, {Qt::Key_P, "a.der"}};
  for (const TStep& step : steps) {
    SCOPED_TRACE(step.Title);
    Press(step.Key);
    EXPECT_TRUE(Title().startsWith(step.Title)) << Title().toStdString();
    ASSERT_NE(FWindow->Viewer(), nullptr);
    EXPECT_TRUE(FWindow->Viewer()->isAncestorOf(QApplication::focusWidget()));
  }
  // Each switch closed the viewer before it: one child at a time.
  EXPECT_EQ(FWindow->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly).size(), 1);
}

TEST_F(BramletWindow, WithTheFolderFlagSetSettingsGoBesideTheHostsIni) {
  fs::path flag = Sandbox().Config / "Bramlet" / "INIFolder";
  fs::create_directories(flag.parent_path());
  std::ofstream(flag) << "1\n";
  ASSERT_TRUE(FWindow->OpenFile(QString::fromStdString((SamplesDir / "cert.der").string())));
  FWindow->CloseViewer();
  fs::remove(flag);
  EXPECT_EQ(IniKeys(Sandbox().Config / "bramlet" / "Bramlet.ini"), EveryKey);
  EXPECT_FALSE(fs::exists(Sandbox().Module / "Bramlet.ini"));
}

// Permissions a user without root's power meets; run as such a user by
// run_unprivileged.sh, they skip where the user can write and read anything.
class AsAnUnprivilegedUser : public BramletWindow {
 protected:
  // Takes away the permissions in remove while it lives.
  class TWithout {
   public:
    TWithout(fs::path path, fs::perms remove) : FPath(std::move(path)), FRemoved(remove) {
      fs::permissions(FPath, FRemoved, fs::perm_options::remove);
    }
    ~TWithout() { fs::permissions(FPath, FRemoved, fs::perm_options::add); }

   private:
    fs::path FPath;
    fs::perms FRemoved;
  };
  static constexpr fs::perms Write = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  static constexpr fs::perms Read = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
};

TEST_F(AsAnUnprivilegedUser, ModuleInAFolderTheUserCannotWriteKeepsTheSettingsInTheUsersFolder) {
  const fs::path userFolder = Sandbox().Config / "bramlet";
  fs::remove_all(userFolder);
  TWithout locked(Sandbox().Module, Write);  // as an installed package leaves it
  if (access(Sandbox().Module.c_str(), W_OK) == 0)
    GTEST_SKIP() << "this user writes a folder without write permission (root); run the test as another user";
  ASSERT_TRUE(FWindow->OpenFile(QString::fromStdString((SamplesDir / "cert.pem").string())));
  Press(Qt::Key_Escape);
  QApplication::processEvents();
  EXPECT_EQ(FWindow->Viewer(), nullptr);
  EXPECT_FALSE(fs::exists(Sandbox().Module / "Bramlet.ini"));
  EXPECT_EQ(IniKeys(userFolder / "Bramlet.ini"), EveryKey);
}

TEST_F(AsAnUnprivilegedUser, AFileTheUserCannotReadIsSaidToBeSo) {
  fs::path file = Sandbox().Files / "private.der";
  fs::copy_file(SamplesDir / "cert.der", file, fs::copy_options::overwrite_existing);
  TWithout unreadable(file, Read);
  if (access(file.c_str(), R_OK) == 0)
    GTEST_SKIP() << "this user reads a file without read permission (root); run the test as another user";
  EXPECT_FALSE(FWindow->OpenFile(QString::fromStdString(file.string())));
  ASSERT_EQ(FMessages.size(), 1u);
  EXPECT_EQ(FMessages[0], QString::fromStdString(file.string()) + " cannot be opened: " +
                              QString::fromLocal8Bit(std::strerror(EACCES)) + ".");
}

}  // namespace
}  // namespace bramlet

// Qt 5's offscreen platform never frees its screen objects; the leak checker
// of the sanitizer build is told so, and still reports everything else.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libqoffscreen.so\n"
         "leak:QScreen::QScreen\n"
         "leak:QPlatformScreen::QPlatformScreen\n"
         "leak:QWindowSystemInterface::handleScreenAdded\n"
         "leak:QtSharedPointer::ExternalRefCountData::getAndRef\n"
         "leak:QObject::QObject\n";
}

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
