// Joining Windows paths held as UTF-8 text. Portable: no file system is touched.
#pragma once

#include <string>
#include <string_view>

namespace sl {

// folder + "\" + name, without doubling a backslash the folder already ends with. An empty folder
// gives "\name" (root of the current drive). Length is not limited here: the Win32 layer
// (WidePath) refuses paths that do not fit MAX_PATH.
[[nodiscard]] std::string JoinPath(std::string_view folder, std::string_view name);

}  // namespace sl
