// The Qt viewer on a real certificate: rendered into images and checked where
// the core's colours and icons must show, driven by mouse, keys, the context
// menu and the settings dialog, and kept standing when the core throws.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <map>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "asn/asn.h"
#include "frontend/qt/qt_canvas.h"
#include "frontend/qt/qt_platform.h"
#include "frontend/qt/viewer_widget.h"
#include "settings/lang.h"
#include "settings/store.h"
#include "../../viewer/main_form_probe.h"
#include "viewer/main.h"

namespace frontend::qt {
namespace {

namespace fs = std::filesystem;
using viewer::TView;

const fs::path SamplesDir = fs::path(BRAMLET_SOURCE_DIR) / "samples";

// Display that answers from the Qt one until told to throw, as a core whose
// painting fails would.
class TThrowingDisplay : public platform::IDisplay {
 public:
  explicit TThrowingDisplay(platform::IDisplay& inner) : FInner(inner) {}
  bool Throw = false;
  platform::TColor GetSysColor(int index) override {
    if (Throw) throw std::runtime_error("no colours");
    return FInner.GetSysColor(index);
  }
  std::vector<std::u16string> FontFamilies(bool fixed) override { return FInner.FontFamilies(fixed); }
  int TextWidth(const std::u16string& t, const std::u16string& f, int s) override { return FInner.TextWidth(t, f, s); }
  int BoldTextWidth(const std::u16string& t, const std::u16string& f, int s) override {
    return FInner.BoldTextWidth(t, f, s);
  }
  int TextHeight(const std::u16string& f, int s) override { return FInner.TextHeight(f, s); }
  std::u16string UsedFontFamily(const std::u16string& f) override { return FInner.UsedFontFamily(f); }
  int VerticalScrollBarWidth() override { return FInner.VerticalScrollBarWidth(); }
  int PixelScalePercent() override { return FInner.PixelScalePercent(); }

 private:
  platform::IDisplay& FInner;
};

// A clipboard whose writes throw something outside the std::exception family,
// which no handler of the core catches.
class TThrowingClipboard : public platform::IClipboard {
 public:
  std::u16string GetText() override { return {}; }
  bool SetText(const std::u16string&) override { throw 42; }
};

class QtViewer : public testing::Test {
 protected:
  fs::path FModuleDir;
  std::unique_ptr<TQtPlatform> FQt;
  std::unique_ptr<TThrowingDisplay> FDisplay;
  asn::TOIDDictionary FOIDs;
  TThrowingClipboard FThrowingClipboard;
  std::unique_ptr<platform::TPlatform> FPlatform;
  std::unique_ptr<QWidget> FHost;
  std::unique_ptr<viewer::TMainForm> FForm;
  TViewerWidget* FWidget = nullptr;

  void SetUp() override {
    FModuleDir = fs::temp_directory_path() /
                 ("bramlet-qt-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(FModuleDir);
    fs::create_directories(FModuleDir);
    FQt = std::make_unique<TQtPlatform>(FModuleDir.string() + "/");
    platform::TPlatform& qt = FQt->Platform();
    FDisplay = std::make_unique<TThrowingDisplay>(qt.Display);
    FPlatform = std::make_unique<platform::TPlatform>(platform::TPlatform{qt.Clipboard, qt.Dialogs, qt.Host, *FDisplay, qt.System});
    FOIDs.LoadFolder(BRAMLET_SOURCE_DIR "/data/");
    settings::InitIniFileNames(qt.System);
    settings::InitLanguages();
  }

  void TearDown() override {
    FHost.reset();
    FForm.reset();
    settings::FreeLanguages();
    settings::FreeIniFileNames();
    fs::remove_all(FModuleDir);
  }

  // Opens file as the plug-in does, in a host window of a user's size, and
  // handles the events that brings.
  void Open(const std::string& file, platform::TPlatform* platform = nullptr) {
    Load(file, platform);
    QApplication::processEvents();
  }
  // The same with the events left pending.
  void Load(const std::string& file, platform::TPlatform* platform = nullptr) {
    FHost = std::make_unique<QWidget>();
    FHost->resize(1000, 700);
    FForm = std::make_unique<viewer::TMainForm>(platform ? *platform : *FPlatform, (SamplesDir / file).u16string());
    Probe(*FForm).Document().OIDDictionary = &FOIDs;
    FWidget = new TViewerWidget(FForm->Controller(), FHost.get());
    ASSERT_TRUE(FForm->FormCreate());
    FWidget->setGeometry(0, 0, 1000, 700);
    FHost->show();
    FForm->FormShow();
  }

  QImage Grab(TView view) { return FWidget->ViewWidget(view)->grab().toImage().convertToFormat(QImage::Format_RGB32); }

  // The cell of a hex grid that shows byte offset, in the grid's coordinates.
  QRect CellOf(TView view, std::int32_t offset) {
    viewer::VirtualTree& grid = *Probe(*FForm).ViewTree(view);
    const viewer::TNodeId node = Probe(*FForm).GetHexNodeIndex(offset);
    for (int c = 0; c < grid.ColumnCount(); ++c) {
      if (Probe(*FForm).GetHexOffset(node, c) != offset) continue;
      const auto top = static_cast<int>(grid.NodeTop(node) - grid.OffsetY());
      return ToQRect(Probe(*FForm).GridCellRect(grid, c, top, grid.NodeHeight(node)));
    }
    return {};
  }

  // The first shown row after `after` whose caption is caption.
  viewer::TNodeId RowCaptioned(const std::u16string& caption, viewer::TNodeId after) {
    for (viewer::TNodeId node = Probe(*FForm).TreeVT().GetNextVisible(after); node != viewer::NoNode;
         node = Probe(*FForm).TreeVT().GetNextVisible(node))
      if (RowOf(node).CaptionText == caption) return node;
    return viewer::NoNode;
  }

  void ClickRow(viewer::TNodeId node, Qt::MouseButton button = Qt::LeftButton) {
    const viewer::TTreeRowGeometry geometry = RowOf(node);
    QTest::mouseClick(FWidget->ViewWidget(TView::vwTree), button, {},
                      QPoint(geometry.Caption.Left + 2, geometry.Top + geometry.Height / 2));
    QApplication::processEvents();
  }

  // Tree row of node and its geometry, in the tree's coordinates.
  viewer::TTreeRowGeometry RowOf(viewer::TNodeId node) {
    const auto top = static_cast<int>(Probe(*FForm).TreeVT().NodeTop(node) - Probe(*FForm).TreeVT().OffsetY());
    return Probe(*FForm).TreeRowGeometry(node, top);
  }
};

// Pixels of rect within a few steps of color: text strokes are antialiased at
// their edges, never in a wrong hue.
int PixelsNear(const QImage& image, const QRect& rect, platform::TColor color, int tolerance = 24) {
  const QColor want = ToQColor(color);
  int count = 0;
  for (int y = rect.top(); y <= rect.bottom(); ++y)
    for (int x = rect.left(); x <= rect.right(); ++x) {
      const QColor got = image.pixelColor(x, y);
      if (std::abs(got.red() - want.red()) <= tolerance && std::abs(got.green() - want.green()) <= tolerance &&
          std::abs(got.blue() - want.blue()) <= tolerance)
        ++count;
    }
  return count;
}

// Pixels of rect inked in color. A text stroke blends its colour into the
// cell's background, wholly or, where a light face draws strokes thinner than a
// pixel, in part: either way its pixels lie on the line from the background
// (the rect's commonest colour) towards color, and at least a third of the way.
int InkPixels(const QImage& image, const QRect& cell, platform::TColor color) {
  const QRect rect = cell.adjusted(1, 1, -1, -1);  // inside the grid lines
  std::map<QRgb, int> seen;
  for (int y = rect.top(); y <= rect.bottom(); ++y)
    for (int x = rect.left(); x <= rect.right(); ++x) ++seen[image.pixel(x, y)];
  if (seen.empty()) return 0;
  const QColor background(std::max_element(seen.begin(), seen.end(), [](auto& a, auto& b) {
                            return a.second < b.second;
                          })->first);
  const QColor want = ToQColor(color);
  const double towards[3] = {double(want.red() - background.red()), double(want.green() - background.green()),
                             double(want.blue() - background.blue())};
  const double length2 = towards[0] * towards[0] + towards[1] * towards[1] + towards[2] * towards[2];
  if (length2 == 0) return 0;
  int count = 0;
  for (const auto& [rgb, pixels] : seen) {
    const QColor got(rgb);
    const double step[3] = {double(got.red() - background.red()), double(got.green() - background.green()),
                            double(got.blue() - background.blue())};
    const double along = (step[0] * towards[0] + step[1] * towards[1] + step[2] * towards[2]) / length2;
    double off = 0;
    for (int i = 0; i < 3; ++i) off += (step[i] - along * towards[i]) * (step[i] - along * towards[i]);
    if (along >= 1.0 / 3 && along <= 1.1 && off <= 24.0 * 24.0) count += pixels;
  }
  return count;
}

// Answers the next message box with Ok and keeps its text.
void CloseNextMessageBox(QString& text) {
  QTimer::singleShot(0, [&text] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    text = box->text();
    box->accept();
  });
}

TEST_F(QtViewer, HexBytesShowTheirRoleColoursAndTheFocusedElementsHighlight) {
  Open("cert.der");
  const settings::THexSettings& hex = Probe(*FForm).Settings().Hex;
  QImage image = Grab(TView::vwHex1);
  image.save(QString::fromStdString(BRAMLET_BINARY_DIR "/qt-hex.png"));
  // cert.der opens with 30 82 len len: a SEQUENCE tag, then its length bytes.
  struct {
    const char* Label;
    std::int32_t Offset;
    platform::TColor Present;
    platform::TColor Absent;
  } cases[] = {
      {"outer tag", 0, hex.TagColor, hex.LenColor},
      {"outer length", 1, hex.LenColor, hex.TagColor},
      {"inner tag", 4, hex.TagColor, hex.LenColor},
      {"inner length", 5, hex.LenColor, hex.TagColor},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    const QRect cell = CellOf(TView::vwHex1, c.Offset);
    ASSERT_FALSE(cell.isEmpty());
    EXPECT_GE(InkPixels(image, cell, c.Present), 3);
    EXPECT_EQ(InkPixels(image, cell, c.Absent), 0);
  }

  // A click on the inner SEQUENCE focuses tbsCertificate: its bytes take the
  // selection colour, the outer SEQUENCE's own header does not.
  const viewer::TNodeId row = RowCaptioned(u"SEQUENCE", Probe(*FForm).TreeVT().GetFirst());
  ASSERT_NE(row, viewer::NoNode);
  ClickRow(row);
  ASSERT_EQ(Probe(*FForm).TreeVT().FocusedNode(), row);
  ASSERT_EQ(Probe(*FForm).HexSel().First, 4);
  image = Grab(TView::vwHex1);
  for (std::int32_t offset : {4, 5, 9, 40}) {
    SCOPED_TRACE(offset);
    const QRect cell = CellOf(TView::vwHex1, offset);
    EXPECT_GT(PixelsNear(image, cell, hex.SelColor, 0), cell.width() * cell.height() / 3);
  }
  EXPECT_EQ(PixelsNear(image, CellOf(TView::vwHex1, 0), hex.SelColor, 0), 0);
}

// The DER checks are left for after the first screen and run from the event
// loop by themselves, after a load and after a reload; a repaint alone runs nothing.
TEST_F(QtViewer, IdleWorkRunsByItselfOnceTheScreenIsPainted) {
  auto pending = [this] { return FWidget->property("idleWork").toBool(); };
  auto verdict = [this] { return QString::fromStdU16String(Probe(*FForm).MainStatusBar()[5].Text); };
  Load("cms-stream.der");
  EXPECT_TRUE(pending());
  EXPECT_EQ(verdict(), "");
  FHost->repaint();
  EXPECT_TRUE(pending());
  EXPECT_TRUE(QTest::qWaitFor([&] { return !pending(); }, 5000));
  EXPECT_EQ(verdict(), "BER (6 indefinite lengths)");

  QTest::keyClick(FWidget->ViewWidget(TView::vwTree), Qt::Key_F5);
  EXPECT_TRUE(pending());
  EXPECT_EQ(verdict(), "");
  EXPECT_TRUE(QTest::qWaitFor([&] { return !pending(); }, 5000));
  EXPECT_EQ(verdict(), "BER (6 indefinite lengths)");
}

TEST_F(QtViewer, TreeIconsShowFromFontSizeEightOnly) {
  Open("cert.der");
  const viewer::TNodeId row = Probe(*FForm).TreeVT().GetFirst();
  struct {
    int FontSize;
    bool Icons;
  } cases[] = {{8, true}, {7, false}, {10, true}};
  QRect iconAtEight;
  std::optional<platform::TIcon> icon;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.FontSize);
    Probe(*FForm).Settings().FontSize = c.FontSize;
    Probe(*FForm).SetTreeFontSize();
    QApplication::processEvents();
    const viewer::TTreeRowGeometry geometry = RowOf(row);
    EXPECT_EQ(geometry.Icon.has_value(), c.Icons);
    if (c.Icons) {
      iconAtEight = ToQRect(geometry.IconRect);
      icon = geometry.Icon;
    }
    ASSERT_TRUE(icon.has_value());
    const QImage image = Grab(TView::vwTree);
    // Count the icon's opaque pixels found where the icon goes.
    const std::uint32_t* pixels = IconPixels(*icon);
    int opaque = 0;
    int matching = 0;
    const QRect where = c.Icons ? ToQRect(geometry.IconRect) : iconAtEight;
    for (int y = 0; y < platform::IconSize; ++y)
      for (int x = 0; x < platform::IconSize; ++x) {
        const std::uint32_t argb = pixels[y * platform::IconSize + x];
        if ((argb >> 24) != 0xFF) continue;
        ++opaque;
        if ((image.pixel(where.left() + x, where.top() + y) & 0xFFFFFF) == (argb & 0xFFFFFF)) ++matching;
      }
    ASSERT_GT(opaque, 0);
    if (c.Icons)
      EXPECT_EQ(matching, opaque);
    else
      EXPECT_LT(matching, opaque / 4);
  }
}

TEST_F(QtViewer, ShortcutOverrideClaimsExactlyTheKeysTheViewerHandles) {
  Open("cert.der");
  struct {
    const char* Label;
    int Key;
    Qt::KeyboardModifiers Modifiers;
    bool Claimed;
  } cases[] = {
      {"Ctrl+C copies", Qt::Key_C, Qt::ControlModifier, true},
      {"F2 reloads", Qt::Key_F2, Qt::NoModifier, true},
      {"H toggles the panel", Qt::Key_H, Qt::NoModifier, true},
      {"Down moves in the tree", Qt::Key_Down, Qt::NoModifier, true},
      {"N is the host's next file", Qt::Key_N, Qt::NoModifier, false},
      {"F3 is the host's search", Qt::Key_F3, Qt::NoModifier, false},
      {"7 is the host's view mode", Qt::Key_7, Qt::NoModifier, false},
      {"Esc closes the host viewer", Qt::Key_Escape, Qt::NoModifier, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    QKeyEvent event(QEvent::ShortcutOverride, c.Key, c.Modifiers);
    event.ignore();
    QCoreApplication::sendEvent(FWidget->ViewWidget(TView::vwTree), &event);
    EXPECT_EQ(event.isAccepted(), c.Claimed);
  }
}

TEST_F(QtViewer, KeyboardFocusFollowsTheCoresActiveView) {
  Open("cert.der");
  QApplication::setActiveWindow(FHost.get());
  FWidget->setFocus();
  ASSERT_EQ(QApplication::focusWidget(), FWidget->ViewWidget(TView::vwTree)) << "focus given to the viewer";
  struct {
    const char* Label;
    std::function<void()> Action;
    TView Focused;
  } steps[] = {
      {"Tab to the bytes grid", [&] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); }, TView::vwHex1},
      {"Tab back to the tree", [&] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); }, TView::vwTree},
      {"a click in the text grid",
       [&] { QTest::mouseClick(FWidget->ViewWidget(TView::vwHex2), Qt::LeftButton, {}, QPoint(4, 4)); },
       TView::vwHex2},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.Label);
    step.Action();
    QApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), FWidget->ViewWidget(step.Focused));
  }
}

// Records the key presses that reach a widget.
int Combined(int key, Qt::KeyboardModifiers modifiers) { return key | static_cast<int>(modifiers); }

class TKeyRecorder : public QObject {
 public:
  std::vector<int> Keys;  // key and modifiers, as Qt combines them
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    Keys.push_back(Combined(key->key(), key->modifiers()));
    return false;
  }
};

TEST_F(QtViewer, KeysForTheHostReachItTheWayItListens) {
  struct {
    const char* Label;
    int Key;
    Qt::KeyboardModifiers Modifiers;
    std::vector<int> AtHost;
    bool HostClosed;
  } cases[] = {
      {"Esc closes the host's window", Qt::Key_Escape, Qt::NoModifier, {}, true},
      {"F7 becomes the host's F (its Find)", Qt::Key_F7, Qt::NoModifier, {Qt::Key_F}, false},
      {"N goes to the parent as it is", Qt::Key_N, Qt::NoModifier, {Qt::Key_N}, false},
      {"Shift+F3 keeps its Shift", Qt::Key_F3, Qt::ShiftModifier, {Combined(Qt::Key_F3, Qt::ShiftModifier)}, false},
      {"Ctrl+Alt+P keeps both", Qt::Key_P, Qt::ControlModifier | Qt::AltModifier,
       {Combined(Qt::Key_P, Qt::ControlModifier | Qt::AltModifier)}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    Open("cert.der");
    TKeyRecorder recorder;
    FHost->installEventFilter(&recorder);
    QTest::keyClick(FWidget->ViewWidget(TView::vwTree), static_cast<Qt::Key>(c.Key), c.Modifiers);
    QApplication::processEvents();
    EXPECT_EQ(recorder.Keys, c.AtHost);
    EXPECT_EQ(!FHost->isVisible(), c.HostClosed);
    FHost->removeEventFilter(&recorder);
  }
}

TEST_F(QtViewer, NothingTheCoreThrowsLeavesAPaintAKeyOrAMenuCommand) {
  platform::TPlatform throwing{FThrowingClipboard, FQt->Platform().Dialogs, FQt->Platform().Host, *FDisplay,
                     FQt->Platform().System};
  Open("cert.der", &throwing);
  // Painting drops the failure: a box would only bring the next paint.
  FDisplay->Throw = true;
  EXPECT_NO_THROW(Grab(TView::vwMainStatus));
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  FDisplay->Throw = false;

  // Ctrl+C and the menu's Copy value reach the throwing clipboard; the user is told.
  const viewer::TNodeId row = RowCaptioned(u"INTEGER", Probe(*FForm).TreeVT().GetFirst());
  ASSERT_NE(row, viewer::NoNode);
  ClickRow(row);
  QString shown;
  CloseNextMessageBox(shown);
  QTest::keyClick(FWidget->ViewWidget(TView::vwTree), Qt::Key_C, Qt::ControlModifier);
  EXPECT_FALSE(shown.isEmpty()) << "the key's failure is shown";

  shown.clear();
  ClickRow(row, Qt::RightButton);
  QMenu* menu = FWidget->ContextMenu();
  ASSERT_NE(menu, nullptr);
  ASSERT_FALSE(menu->actions().isEmpty());
  QAction* copyValue = menu->actions().front();
  EXPECT_TRUE(copyValue->text().contains(QLatin1Char('\t'))) << "the shortcut sits in its column";
  CloseNextMessageBox(shown);
  copyValue->trigger();
  EXPECT_FALSE(shown.isEmpty()) << "the command's failure is shown";
  menu->close();
}

TEST_F(QtViewer, SettingsDialogRebuildsTheGridsAndRepaintsTheTreeInAChosenColour) {
  Open("cert.der");
  const platform::TColor chosen = 0x1E64C8;  // blue 0x1E, green 0x64, red 0xC8: a swap shows
  std::vector<platform::TColor> offered;
  FQt->SetColorChooser([&](platform::TColor, std::span<const platform::TColor> custom, bool) {
    offered.assign(custom.begin(), custom.end());
    return std::optional<platform::TColor>(chosen);
  });
  ASSERT_EQ(Probe(*FForm).GetHexNodeIndex(15), 1) << "8 bytes in a row to begin with";
  bool ran = false;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    ran = true;
    EXPECT_TRUE(dialog->grab().save(QString::fromStdString(BRAMLET_BINARY_DIR "/qt-settings.png")));
    // The widgets follow the description: its default button, a spin box's
    // range and length, a list's rows.
    auto* ok = dialog->findChild<QPushButton*>("btnOK");
    auto* indent = dialog->findChild<QSpinBox*>("edTreeIndent");
    auto* languages = dialog->findChild<QComboBox*>("cbLanguage");
    ASSERT_TRUE(ok && indent && languages);
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(indent->maximum(), 999);
    EXPECT_EQ(indent->findChild<QLineEdit*>()->maxLength(), 3);
    EXPECT_EQ(languages->maxVisibleItems(), 20);
    if (auto* bytesInRow = dialog->findChild<QComboBox*>("cbHexStringSize")) {
      bytesInRow->setCurrentIndex(1);
      emit bytesInRow->activated(1);
    }
    if (auto* swatch = dialog->findChild<QPushButton*>("PanelTreeBackground"))
      QTest::mouseClick(swatch, Qt::LeftButton);
    if (auto* close = dialog->findChild<QPushButton*>("btnOK")) QTest::mouseClick(close, Qt::LeftButton);
    // Whatever went wrong above, the test goes on.
    if (dialog->isVisible()) dialog->reject();
  });
  Probe(*FForm).ShowSettings();
  ASSERT_TRUE(ran);
  EXPECT_EQ(offered.size(), 16u);
  EXPECT_EQ(Probe(*FForm).GetHexNodeIndex(15), 0) << "16 bytes in a row";
  const QImage hex = Grab(TView::vwHex1);
  EXPECT_GE(InkPixels(hex, CellOf(TView::vwHex1, 15), Probe(*FForm).Settings().Hex.HexColor), 3)
      << "byte 15 drawn in the first row";
  const QImage tree = Grab(TView::vwTree);
  const QRect rightOfRows(tree.width() - 40, 2, 10, 10);
  EXPECT_EQ(PixelsNear(tree, rightOfRows, chosen, 0), 100);
}

TEST_F(QtViewer, AboutBoxClosesOnEscape) {
  Open("cert.der");
  bool closedByKey = false;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!box) return;
    EXPECT_TRUE(box->grab().save(QString::fromStdString(BRAMLET_BINARY_DIR "/qt-about.png")));
    QTest::keyClick(box, Qt::Key_Escape);
    // Closed by the controller, not by Qt's own Escape (which rejects).
    closedByKey = !box->isVisible() && box->result() == QDialog::Accepted;
    if (box->isVisible()) box->reject();
  });
  Probe(*FForm).ShowAbout();
  EXPECT_TRUE(closedByKey);
}

TEST_F(QtViewer, GoToOffsetTakesWhatIsTypedIntoItsFieldAndEnter) {
  Open("cert.der");
  bool closedByEnter = false;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    auto* field = dialog->findChild<QLineEdit*>(QStringLiteral("edOffset"));
    ASSERT_NE(field, nullptr);
    EXPECT_FALSE(field->isReadOnly());
    QTest::keyClicks(field, QStringLiteral("0x0e"));
    QTest::keyClick(field, Qt::Key_Return);
    closedByEnter = !dialog->isVisible() && dialog->result() == QDialog::Accepted;
    if (dialog->isVisible()) dialog->reject();
  });
  FForm->GoToOffset();
  EXPECT_TRUE(closedByEnter);
  // Byte 14 lies in the certificate's serial number, which starts at 13.
  EXPECT_EQ(Probe(*FForm).GetTag(Probe(*FForm).TreeVT().FocusedNode()).Offset(), 13);
  EXPECT_EQ(Probe(*FForm).GetHexOffset(Probe(*FForm).Hex1VT().FocusedNode(), Probe(*FForm).Hex1VT().FocusedColumn()), 14);
}

TEST(ViewerScope, WindowServicesActForTheViewerOfTheInnermostOrLastScope) {
  QWidget first;
  auto second = std::make_unique<QWidget>();
  {
    TViewerScope outer(&first);
    {
      TViewerScope inner(second.get());
      EXPECT_EQ(TViewerScope::Current(), second.get());
    }
    EXPECT_EQ(TViewerScope::Current(), &first) << "the inner scope hands back";
  }
  EXPECT_EQ(TViewerScope::Current(), &first) << "the last viewer stays current";
  { TViewerScope later(second.get()); }
  EXPECT_EQ(TViewerScope::Current(), second.get()) << "a later viewer replaces it";
  second.reset();
  EXPECT_EQ(TViewerScope::Current(), nullptr) << "never a destroyed viewer";
}

// The default faces, installed or (as on Linux) not: the settings dialog's font
// boxes open on the face each is drawn in, also where that face is missing from
// the display's own lists, and a face picked there shows again next time.
TEST_F(QtViewer, FontBoxesOpenOnTheFacesDrawnAndKeepOnePickedThere) {
  Open("cert.der");
  platform::IDisplay& display = FQt->Platform().Display;
  const std::vector<std::u16string> installed = display.FontFamilies(/*fixedPitchOnly=*/false);
  ASSERT_FALSE(installed.empty());
  EXPECT_EQ(display.UsedFontFamily(installed.front()), installed.front()) << "an installed face is drawn as itself";

  // Opens the dialog, notes what each font box shows and picks that item.
  auto showAndPick = [&] {
    std::vector<std::string> shown;
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (!dialog) return;
      for (const char* name : {"cbTreeFontName", "cbHexFontName"}) {
        auto* box = dialog->findChild<QComboBox*>(name);
        shown.push_back(box ? box->currentText().toStdString() : "");
        if (box && box->currentIndex() >= 0) emit box->activated(box->currentIndex());
      }
      if (auto* close = dialog->findChild<QPushButton*>("btnOK")) QTest::mouseClick(close, Qt::LeftButton);
      if (dialog->isVisible()) dialog->reject();
    });
    Probe(*FForm).ShowSettings();
    return shown;
  };
  auto utf8 = [](const std::u16string& face) { return QString::fromStdU16String(face).toStdString(); };
  const std::vector<std::string> drawn = {utf8(display.UsedFontFamily(Probe(*FForm).Settings().FontName)),
                                          utf8(display.UsedFontFamily(Probe(*FForm).Settings().Hex.FontName))};
  EXPECT_EQ(showAndPick(), drawn);
  EXPECT_EQ(utf8(Probe(*FForm).Settings().Hex.FontName), drawn[1]) << "stored by its own name";
  EXPECT_EQ(showAndPick(), drawn) << "shown again";
}

// "name: caption" for each widget of dialog whose caption the style draws cut:
// wider than a label, a check box or radio button with its mark, a group box
// with its frame, or the text room a button leaves inside its frame.
std::vector<std::string> CutCaptions(const QDialog& dialog) {
  std::vector<std::string> cut;
  for (QWidget* widget : dialog.findChildren<QWidget*>()) {
    QString caption;
    bool fits = true;
    if (auto* label = qobject_cast<QLabel*>(widget)) {
      caption = label->text();
      fits = label->sizeHint().width() <= label->width();
    } else if (auto* check = qobject_cast<QCheckBox*>(widget)) {
      caption = check->text();
      fits = check->sizeHint().width() <= check->width();
    } else if (auto* radio = qobject_cast<QRadioButton*>(widget)) {
      caption = radio->text();
      fits = radio->sizeHint().width() <= radio->width();
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
      caption = group->title();
      fits = group->minimumSizeHint().width() <= group->width();
    } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
      caption = button->text();
      QStyleOptionButton option;
      option.initFrom(button);
      option.text = caption;
      const QRect room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
      fits = button->fontMetrics().horizontalAdvance(caption) <= room.width();
    }
    if (!caption.isEmpty() && !fits) cut.push_back((widget->objectName() + ": " + caption).toStdString());
  }
  return cut;
}

// In each shipped language the settings dialog, drawn by Qt's own style in the
// face it takes for Tahoma, shows every caption whole; so does the About box.
TEST_F(QtViewer, NoCaptionOfAShippedLanguageIsCut) {
  for (const char* language : {"german.lng", "russian.lng"})
    fs::copy_file(fs::path(BRAMLET_SOURCE_DIR) / "data" / "lang" / language, FModuleDir / language);
  Open("cert.der");
  std::vector<std::string> cut;
  int languages = 0;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    if (auto* list = dialog->findChild<QComboBox*>("cbLanguage")) {
      for (int item = 0; item < list->count(); ++item) {
        list->setCurrentIndex(item);
        emit list->activated(item);
        ++languages;
        for (const std::string& caption : CutCaptions(*dialog))
          cut.push_back(list->itemText(item).toStdString() + " " + caption);
        if (list->itemText(item).contains("german.lng")) {
          EXPECT_TRUE(dialog->grab().save(QString::fromStdString(BRAMLET_BINARY_DIR "/qt-settings-de.png")));
        }
      }
      emit list->activated(0);
    }
    if (dialog->isVisible()) dialog->reject();
  });
  Probe(*FForm).ShowSettings();
  EXPECT_EQ(languages, 3);
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!box) return;
    for (const std::string& caption : CutCaptions(*box)) cut.push_back("About " + caption);
    ++languages;
    box->reject();
  });
  Probe(*FForm).ShowAbout();
  EXPECT_EQ(languages, 4);
  EXPECT_EQ(cut, std::vector<std::string>{});
}

TEST_F(QtViewer, ScreenshotOfTheWholeViewer) {
  Open("cert.der");
  // With an element focused, as a user looks at it.
  ClickRow(RowCaptioned(u"SEQUENCE", RowCaptioned(u"INTEGER", Probe(*FForm).TreeVT().GetFirst())));
  const QImage image = FHost->grab().toImage();
  ASSERT_EQ(image.size(), QSize(1000, 700));
  EXPECT_TRUE(image.save(QString::fromStdString(BRAMLET_BINARY_DIR "/qt-viewer.png")));
}

}  // namespace
}  // namespace frontend::qt
