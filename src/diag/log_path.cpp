#include "diag/log_path.h"

namespace sl {
namespace {

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (path.empty() || path.back() != '\\') path += '\\';
  path += name;
  return path;
}

}  // namespace

std::string LogFolderPath(std::string_view logRoot) { return JoinPath(logRoot, "Logs"); }

std::string LogFilePath(std::string_view logRoot) { return JoinPath(LogFolderPath(logRoot), "Log.txt"); }

}  // namespace sl
