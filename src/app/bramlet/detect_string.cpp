// Detect-string extensions and folder neighbours for bramlet's N and P keys.
#include "app/bramlet/detect_string.h"

#include <algorithm>
#include <system_error>

namespace bramlet {

namespace {

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string UpperCase(std::string_view s) {
  std::string result(s);
  std::transform(result.begin(), result.end(), result.begin(), Upper);
  return result;
}

void SkipBlanks(std::string_view s, std::size_t& i) {
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
}

bool IsNameChar(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); }

}  // namespace

std::vector<std::string> DetectExtensions(std::string_view s) {
  std::vector<std::string> extensions;
  for (std::size_t i = 0; i + 3 <= s.size(); ++i) {
    // A whole word EXT, not the tail of another name.
    if (UpperCase(s.substr(i, 3)) != "EXT" || (i > 0 && IsNameChar(s[i - 1]))) continue;
    std::size_t before = i;
    while (before > 0 && (s[before - 1] == ' ' || s[before - 1] == '\t')) --before;
    bool negated = before > 0 && s[before - 1] == '!';
    std::size_t j = i + 3;
    SkipBlanks(s, j);
    if (j >= s.size() || s[j] != '=') continue;
    ++j;
    SkipBlanks(s, j);
    if (j >= s.size() || s[j] != '"') continue;
    std::size_t close = s.find('"', j + 1);
    if (close == std::string_view::npos) break;
    std::string value = UpperCase(s.substr(j + 1, close - j - 1));
    i = close;
    if (negated || value.empty()) continue;
    if (std::find(extensions.begin(), extensions.end(), value) == extensions.end()) extensions.push_back(value);
  }
  return extensions;
}

bool AcceptsFile(const std::vector<std::string>& extensions, std::string_view fileName) {
  std::size_t slash = fileName.rfind('/');
  std::string_view base = slash == std::string_view::npos ? fileName : fileName.substr(slash + 1);
  std::size_t dot = base.rfind('.');
  std::string extension = dot == std::string_view::npos ? std::string() : UpperCase(base.substr(dot + 1));
  return std::any_of(extensions.begin(), extensions.end(), [&](const std::string& accepted) {
    return accepted == "*" || (!extension.empty() && accepted == extension);
  });
}

std::optional<std::string> NeighbourName(const std::vector<std::string>& names, const std::string& current,
                                         const std::vector<std::string>& extensions, bool forward) {
  std::optional<std::string> found;
  for (const std::string& name : names) {
    if (name == current || !AcceptsFile(extensions, name)) continue;
    if (forward && name > current && (!found || name < *found)) found = name;
    if (!forward && name < current && (!found || name > *found)) found = name;
  }
  return found;
}

std::optional<std::filesystem::path> NeighbourFile(const std::filesystem::path& file,
                                                   const std::vector<std::string>& extensions, bool forward) {
  namespace fs = std::filesystem;
  fs::path folder = file.parent_path().empty() ? fs::path(".") : file.parent_path();
  std::vector<std::string> names;
  std::error_code error;
  for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error))
    if (entry->is_regular_file(error)) names.push_back(entry->path().filename().string());
  std::optional<std::string> name = NeighbourName(names, file.filename().string(), extensions, forward);
  if (!name) return std::nullopt;
  return folder / *name;
}

}  // namespace bramlet
