// The one reading of a file name out of a download URL: the list's items, the download thread's
// notifications and the setup program's choice must all agree on it.
#pragma once

#include <optional>
#include <string_view>

namespace sl {

// The URL's last path segment, taken before any "?query" or "#fragment" (the request keeps them).
// No result when there is no path at all ("http://host"); empty when the path ends with "/".
[[nodiscard]] std::optional<std::string_view> UrlFileName(std::string_view url);

}  // namespace sl
