// bramlet's window: a small Lister-like host that shows one file at a time in
// the plug-in's viewer and drives it only through the exports.
#pragma once

#include <QString>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

#include "app/bramlet/lister_module.h"

namespace bramlet {

// $XDG_CONFIG_HOME/bramlet/bramlet.ini, with ~/.config for an unset or relative
// $XDG_CONFIG_HOME: the host INI name handed to the plug-in, whose folder is
// where it keeps "Bramlet.ini" when told to use the host's folder.
std::string HostIniName();

class TBramletWindow : public QWidget {
 public:
  explicit TBramletWindow(const TListerModule& module, QWidget* parent = nullptr);
  ~TBramletWindow() override;

  // Closes the file shown and opens path in a new viewer. When the plug-in
  // declines it, says so through Notify and shows nothing. True when shown.
  bool OpenFile(const QString& path);
  // ListSearchTextW on the viewer; the text is kept for F3 and Shift+F3.
  // 1 (not found) without a viewer.
  int Search(const QString& text, int flags);
  // Closes the viewer (ListCloseWindow), if one is open.
  void CloseViewer();

  QWidget* Viewer() const { return FViewer; }
  const QString& FileName() const { return FFileName; }
  int LastSearchResult() const { return FLastSearchResult; }

  // Tests replace these: the question for a search text (empty: cancelled),
  // the message box, and the file chooser.
  std::function<QString(const QString& previous)> AskSearchText;
  std::function<void(const QString& text)> Notify;
  std::function<QString()> AskFileName;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  const TListerModule& FModule;
  std::vector<std::string> FExtensions;
  QWidget* FViewer = nullptr;
  QString FFileName;
  QString FSearchText;
  int FLastSearchResult = 1;

  void AskAndSearch();
  // F3 and Shift+F3: the last text again, or the question when there is none.
  void RepeatSearch(bool backwards);
  void OpenNeighbour(bool forward);
  void ChooseFile();
  void UpdateTitle();
};

}  // namespace bramlet
