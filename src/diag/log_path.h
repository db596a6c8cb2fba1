// Where the log file lives below the program's log root.
#pragma once

#include <string>
#include <string_view>

namespace sl {

// logRoot + "\Logs", without doubling a trailing backslash. An empty root gives "\Logs".
[[nodiscard]] std::string LogFolderPath(std::string_view logRoot);

// LogFolderPath(logRoot) + "\Log.txt".
[[nodiscard]] std::string LogFilePath(std::string_view logRoot);

}  // namespace sl
