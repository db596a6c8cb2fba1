// Paths and URLs as the program joins and reads them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sl {

// Joining Windows paths held as UTF-8 text. Portable: no file system is touched.
// folder + "\" + name, without doubling a backslash the folder already ends with. An empty folder
// gives "\name" (root of the current drive). Length is not limited here: the Win32 layer
// (WidePath) refuses paths that do not fit MAX_PATH.
[[nodiscard]] std::string JoinPath(std::string_view folder, std::string_view name);

// The one reading of a file name out of a download URL: the list's items, the download thread's
// notifications and the setup program's choice must all agree on it.
// The URL's last path segment, taken before any "?query" or "#fragment" (the request keeps them).
// No result when there is no path at all ("http://host"); empty when the path ends with "/".
[[nodiscard]] std::optional<std::string_view> UrlFileName(std::string_view url);

}  // namespace sl
