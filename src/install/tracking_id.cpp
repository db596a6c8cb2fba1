#include "install/tracking_id.h"

#include <regex>

namespace sl {

std::string FindTrackingId(std::string_view exePath) {
  const size_t slash = exePath.find_last_of("\\/");
  const std::string name(slash == std::string_view::npos ? exePath : exePath.substr(slash + 1));
  static const std::regex kGuid(
      "[a-fA-F0-9]{8}-[a-fA-F0-9]{4}-[a-fA-F0-9]{4}-[a-fA-F0-9]{4}-[a-fA-F0-9]{12}");
  std::smatch match;
  return std::regex_search(name, match, kGuid) ? match.str() : std::string();
}

}  // namespace sl
