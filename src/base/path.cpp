#include "base/path.h"

namespace sl {

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (folder.empty() || folder.back() != '\\') path += '\\';
  path += name;
  return path;
}

}  // namespace sl
