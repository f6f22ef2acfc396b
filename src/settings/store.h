// Where the INI file lives: beside the module (or, where the user cannot write
// there, in the user's own settings folder), or in the folder of the host's own
// INI file, as chosen by a flag the platform keeps for the user.
#pragma once

#include <string>

#include "platform/platform.h"

namespace settings {

enum class TIniLocation { ilTCFolder = 0, ilPluginFolder = 1 };

// The INI file's own name in either folder.
inline constexpr const char* IniFileName = "Bramlet.ini";

// Library start-up: PluginIniFileName := module folder + "Bramlet.ini";
// TCIniFileName starts empty. FreeIniFileNames clears both (unload, tests).
void InitIniFileNames(platform::ISystem& system);
void FreeIniFileNames();

// Paths in UTF-8; empty until set.
const std::string& PluginIniFileName();
const std::string& TCIniFileName();

// TCIniFileName := the folder of hostIniName + "Bramlet.ini". A name without a
// folder part, or an empty one, leaves TCIniFileName empty, as no folder is known.
void SetTCIniFileName(const std::string& hostIniName);

// ilTCFolder when the stored flag is set, else ilPluginFolder.
TIniLocation GetIniLocation(platform::ISystem& system);
void SetIniLocation(platform::ISystem& system, TIniLocation location);

// The file the plug-in's-folder location stands for: PluginIniFileName while this
// user can write the module's folder, else "Bramlet.ini" in the user's own settings
// folder (an installed module's folder belongs to the administrator). Empty when
// neither is known.
std::string PluginFolderIniFileName(platform::ISystem& system);

// The INI path for the location stored now (the flag is read on every call), or
// empty when that folder is not known.
std::string GetIniFileName(platform::ISystem& system);

// GetIniFileName for a save: when that is the file in the user's own settings
// folder, the folder is created first, as nothing else makes it.
std::string GetIniFileNameForSaving(platform::ISystem& system);

}  // namespace settings
