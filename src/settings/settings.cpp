// Moving a viewer's settings record between memory and its INI file.
#include "settings/settings.h"

#include "settings/ini.h"
#include "settings/lang.h"
#include "settings/store.h"

namespace settings {

namespace {

constexpr std::u16string_view MainSection = u"Main";
constexpr std::u16string_view HexSection = u"Hex";

// Calls visit(section, key, field) for every field stored by key, in the order the
// keys are read and written. Hex.StringSize has its own rule and is not among them.
template <typename TVisitor>
void VisitFields(TSettings& s, TVisitor&& visit) {
  visit(MainSection, u"ShowAttributes", s.ShowAttributes);
  visit(MainSection, u"ShowIcons", s.ShowIcons);
  visit(MainSection, u"FontName", s.FontName);
  visit(MainSection, u"FontSize", s.FontSize);
  visit(MainSection, u"Indent", s.Indent);
  visit(MainSection, u"BackgroundColor", s.BackgroundColor);
  visit(MainSection, u"FocusColor", s.FocusColor);
  visit(MainSection, u"ConstructedColor", s.ConstructedColor);
  visit(MainSection, u"PrimitiveColor", s.PrimitiveColor);
  visit(MainSection, u"AttribColor", s.AttribColor);
  visit(MainSection, u"ValueColor", s.ValueColor);
  visit(MainSection, u"HexColor", s.HexColor);
  visit(MainSection, u"LineColor", s.LineColor);
  visit(MainSection, u"LineDotted", s.LineDotted);
  visit(MainSection, u"SpaceInHex", s.SpaceInHex);
  visit(MainSection, u"FieldNames", s.FieldNames);
  visit(MainSection, u"NameColor", s.NameColor);
  visit(MainSection, u"DerChecks", s.DerChecks);
  visit(MainSection, u"DerColor", s.DerColor);
  visit(MainSection, u"ChangedColor", s.ChangedColor);
  visit(MainSection, u"OnlyHereColor", s.OnlyHereColor);
  visit(MainSection, u"OnlyThereColor", s.OnlyThereColor);
  visit(HexSection, u"Show", s.Hex.Show);
  visit(HexSection, u"FontName", s.Hex.FontName);
  visit(HexSection, u"FontSize", s.Hex.FontSize);
  visit(HexSection, u"Background", s.Hex.Background);
  visit(HexSection, u"FocusColor", s.Hex.FocusColor);
  visit(HexSection, u"LineColor", s.Hex.LineColor);
  visit(HexSection, u"HexColor", s.Hex.HexColor);
  visit(HexSection, u"TagColor", s.Hex.TagColor);
  visit(HexSection, u"LenColor", s.Hex.LenColor);
  visit(HexSection, u"UBitsColor", s.Hex.UBitsColor);
  visit(HexSection, u"SelColor", s.Hex.SelColor);
  visit(HexSection, u"DerColor", s.Hex.DerColor);
  visit(HexSection, u"ChangedColor", s.Hex.ChangedColor);
  visit(HexSection, u"OnlyHereColor", s.Hex.OnlyHereColor);
  visit(HexSection, u"TextColor", s.Hex.TextColor);
  visit(HexSection, u"LineDotted", s.Hex.LineDotted);
}

// Each field is read with its present value, a default, as the fallback.
struct TFieldReader {
  const TIniFile& Ini;
  void operator()(std::u16string_view section, std::u16string_view key, bool& field) const {
    field = Ini.ReadBool(section, key, field);
  }
  void operator()(std::u16string_view section, std::u16string_view key, std::int32_t& field) const {
    field = Ini.ReadInteger(section, key, field);
  }
  // Colours are stored as signed decimals: system colours read back negative.
  void operator()(std::u16string_view section, std::u16string_view key, TColor& field) const {
    field = static_cast<TColor>(Ini.ReadInteger(section, key, static_cast<std::int32_t>(field)));
  }
  void operator()(std::u16string_view section, std::u16string_view key, std::u16string& field) const {
    field = Ini.ReadString(section, key, field);
  }
};

struct TFieldWriter {
  TIniFile& Ini;
  void operator()(std::u16string_view section, std::u16string_view key, bool field) const {
    Ini.WriteBool(section, key, field);
  }
  void operator()(std::u16string_view section, std::u16string_view key, std::int32_t field) const {
    Ini.WriteInteger(section, key, field);
  }
  void operator()(std::u16string_view section, std::u16string_view key, TColor field) const {
    Ini.WriteInteger(section, key, static_cast<std::int32_t>(field));
  }
  void operator()(std::u16string_view section, std::u16string_view key, const std::u16string& field) const {
    Ini.WriteString(section, key, field);
  }
};

}  // namespace

TColor ResolveColor(TColor color, platform::IDisplay& display) {
  return (IsSysColor(color) ? display.GetSysColor(SysColorIndex(color)) : color) & 0xFFFFFFu;
}

void LoadSettings(platform::TPlatform& platform, TSettings& settings) {
  TIniFile ini;
  try {
    ini = LoadIniFile(GetIniFileName(platform.System));
  } catch (const EIniError&) {
    // An unreadable file counts as no settings at all, and no stored language.
    settings = DefaultSettings;
    return;
  }
  TSettings loaded = DefaultSettings;
  VisitFields(loaded, TFieldReader{ini});
  loaded.Hex.StringSize = ini.ReadInteger(HexSection, u"StringSize", 8) == 8 ? 8 : 16;
  settings = loaded;
  LoadLanguage(platform, ini.ReadString(MainSection, u"Language", u""), /*force=*/false);
}

void SaveSettings(platform::TPlatform& platform, const TSettings& settings) {
  std::string path = GetIniFileNameForSaving(platform.System);
  if (path.empty()) return;
  try {
    // The present content is kept, so a file that cannot be read is not replaced.
    TIniFile ini = LoadIniFile(path);
    ini.WriteString(MainSection, u"Language", GetLanguageFile());
    TSettings fields = settings;
    VisitFields(fields, TFieldWriter{ini});
    ini.WriteInteger(HexSection, u"StringSize", settings.Hex.StringSize == 8 ? 8 : 16);
    SaveIniFile(path, ini);
  } catch (const EIniError&) {
    // A failed save is silent; the old file stays whole.
  }
}

}  // namespace settings
