// The user id a publisher's download link puts into the installer's file name.
#pragma once

#include <string>
#include <string_view>

namespace sl {

// The first 8-4-4-4-12 hexadecimal GUID text in the file-name part of `exePath`; empty when none.
[[nodiscard]] std::string FindTrackingId(std::string_view exePath);

}  // namespace sl
