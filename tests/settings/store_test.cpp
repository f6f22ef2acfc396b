// The two INI paths and the choice between them.
#include "settings/store.h"


#include "test_support.h"

namespace settings {
namespace {

using test::TSettingsTest;

class Store : public TSettingsTest {};

TEST_F(Store, PluginIniFileNameIsInTheModuleFolder) {
  struct TCase {
    const char* Label;
    std::string Folder;
    std::string Expected;
  };
  const TCase cases[] = {
      {"with delimiter", "/opt/plugins/bramlet/", "/opt/plugins/bramlet/Bramlet.ini"},
      {"delimiter added", "/opt/plugins/bramlet", "/opt/plugins/bramlet/Bramlet.ini"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Label);
    Fake.System.Folder = c.Folder;
    InitIniFileNames(Fake.System);
    EXPECT_EQ(PluginIniFileName(), c.Expected);
    EXPECT_EQ(TCIniFileName(), "");
  }
}

TEST_F(Store, TCIniFileNameTakesTheFolderOfTheHostsFile) {
  struct TCase {
    const char* Label;
    std::string HostName;
    std::string Expected;
  };
  const TCase cases[] = {
      {"ordinary", "/home/u/.config/host/host.ini", "/home/u/.config/host/Bramlet.ini"},
      {"root folder", "/host.ini", "/Bramlet.ini"},
      {"folder only", "/home/u/cfg/", "/home/u/cfg/Bramlet.ini"},
      {"non-ASCII folder", "/home/u/\xD0\x96/host.ini", "/home/u/\xD0\x96/Bramlet.ini"},
      {"no folder part", "host.ini", ""},
      {"empty", "", ""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Label);
    SetTCIniFileName(c.HostName);
    EXPECT_EQ(TCIniFileName(), c.Expected);
  }
}

TEST_F(Store, IniFileNameFollowsTheStoredFlagAtEveryCall) {
  SetTCIniFileName("/srv/host/host.ini");
  EXPECT_EQ(GetIniLocation(Fake.System), TIniLocation::ilPluginFolder);
  EXPECT_EQ(GetIniFileName(Fake.System), Module.File("Bramlet.ini"));

  SetIniLocation(Fake.System, TIniLocation::ilTCFolder);
  EXPECT_TRUE(Fake.System.IniFolderFlag);
  EXPECT_EQ(GetIniLocation(Fake.System), TIniLocation::ilTCFolder);
  EXPECT_EQ(GetIniFileName(Fake.System), "/srv/host/Bramlet.ini");

  SetIniLocation(Fake.System, TIniLocation::ilPluginFolder);
  EXPECT_FALSE(Fake.System.IniFolderFlag);
  EXPECT_EQ(GetIniFileName(Fake.System), Module.File("Bramlet.ini"));
}

TEST_F(Store, HostFolderWithoutAHostNameGivesNoFile) {
  Fake.System.IniFolderFlag = true;
  EXPECT_EQ(GetIniFileName(Fake.System), "");
}

}  // namespace
}  // namespace settings
