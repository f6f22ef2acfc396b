// What bramlet reads from the plug-in's detect string: the extensions it takes,
// and with them which file of a folder comes next.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bramlet {

// The values of the EXT="..." terms, upper-cased, in order and without repeats.
// Other terms (SIZE, FORCE, FIND ...) and negated ones (!EXT=...) are skipped;
// "*" stands for every extension.
std::vector<std::string> DetectExtensions(std::string_view detectString);

// Whether the extension of fileName (after its last dot) is one of extensions,
// compared without regard to ASCII case.
bool AcceptsFile(const std::vector<std::string>& extensions, std::string_view fileName);

// Among names (a folder's files, any order), the accepted name that follows
// current in byte order, or precedes it for forward false; none at either end.
// current itself need not be accepted or present.
std::optional<std::string> NeighbourName(const std::vector<std::string>& names, const std::string& current,
                                         const std::vector<std::string>& extensions, bool forward);

// NeighbourName over the regular files in the folder of file.
std::optional<std::filesystem::path> NeighbourFile(const std::filesystem::path& file,
                                                   const std::vector<std::string>& extensions, bool forward);

}  // namespace bramlet
