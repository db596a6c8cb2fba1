#include "base/path.h"

namespace sl {

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (folder.empty() || folder.back() != '\\') path += '\\';
  path += name;
  return path;
}

std::optional<std::string_view> UrlFileName(std::string_view url) {
  const std::string_view path = url.substr(0, url.find_first_of("?#"));
  const size_t scheme = path.find("://");
  const size_t pathStart = path.find('/', scheme == std::string_view::npos ? 0 : scheme + 3);
  if (pathStart == std::string_view::npos) return std::nullopt;
  return path.substr(path.rfind('/') + 1);
}

}  // namespace sl
