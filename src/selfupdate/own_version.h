// The program's own version as one integer (1.0.2.5 is 1025): what the self-update compares the
// server's number with and sends as the "t" query of the launcher manifest.
#pragma once

#include <cstdint>

namespace sl {

[[nodiscard]] int32_t OwnVersionNumber();

}  // namespace sl
