#include "diag/log_path.h"

#include "base/path.h"

namespace sl {

std::string LogFolderPath(std::string_view logRoot) { return JoinPath(logRoot, "Logs"); }

std::string LogFilePath(std::string_view logRoot) { return JoinPath(LogFolderPath(logRoot), "Log.txt"); }

}  // namespace sl
