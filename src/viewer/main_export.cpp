// The Save as XML command: the file name offered, the dialog, and the export
// written in place of the chosen file.
#include "viewer/main.h"

#include <filesystem>
#include <optional>

#include "settings/lang.h"
#include "settings/text.h"

namespace viewer {

std::u16string TMainForm::ProposedXmlName() const {
  std::u16string name = FileName().substr(FileName().find_last_of(u"/\\") + 1);
  std::size_t dot = name.find_last_of(u'.');
  if (dot != std::u16string::npos) name.erase(dot);
  return name + u".xml";
}

void TMainForm::SaveToXML() {
  std::u16string filter =
      settings::GetLangTextById(301) + u" (*.xml)|*.xml|" + settings::GetLangTextById(302) + u" (*.*)|*.*";
  std::optional<std::u16string> chosen = FPlatform.Dialogs.SaveFileDialog(filter, ProposedXmlName(), /*filterIndex=*/nullptr);
  if (!chosen) return;
  try {
    TXmlFileWriter writer{std::filesystem::path(*chosen)};
    writer.AddLine(0, XmlDeclaration);
    WriteTag(Root(), writer, 0);
    writer.Commit();
  } catch (const std::exception& e) {
    FPlatform.Dialogs.MessageBox(settings::Utf8ToUtf16(e.what()), u"Bramlet", platform::TMessageBoxKind::mbError);
    return;
  }
  FPlatform.Host.ActivateParent();
}

}  // namespace viewer
