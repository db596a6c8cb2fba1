#include "store/path_helpers.h"

#include "base/format.h"
#include "store/local_paths.h"

namespace sl {

std::optional<std::string> ConcatAlloc(std::string_view a, std::string_view b) {
  if (a.empty() && b.empty()) return std::nullopt;
  std::string joined;
  joined.reserve(a.size() + b.size());
  joined.append(a).append(b);
  return joined;
}

std::optional<std::string> Substring(std::string_view text, size_t start, size_t count) {
  if (start >= text.size()) return std::nullopt;
  return std::string(text.substr(start, count));
}

std::string TrimOneTrailingBackslash(std::string_view path) {
  if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  return std::string(path);
}

std::string MakeZipName(int32_t number) {
  return Format("%s_%d.zip", Paths().exeBaseName.c_str(), static_cast<int>(number));
}

std::string MakeBinName() { return Paths().exeBaseName + ".bin"; }

std::string MakeExeName() { return Paths().exeBaseName + ".exe"; }

std::string MakeBackupName() { return Paths().exeBaseName + ".old"; }

}  // namespace sl
