// Decimal numbers in texts that come from servers and the registry: bounded, never undefined.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace sl {

// The leading digits after optional white space and a sign, as atoi reads them; none when there is
// no digit or the value does not fit an int32 (where atoi would give garbage or 0).
[[nodiscard]] std::optional<int32_t> LeadingInt32(std::string_view text);

// A text of decimal digits only (no sign, no space); none when empty, with any other character,
// or past UINT64_MAX.
[[nodiscard]] std::optional<uint64_t> ParseDecimalDigits(std::string_view text);

}  // namespace sl
