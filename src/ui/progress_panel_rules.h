// Numbers of the self-update window's download panel: its percentage text and bar position.
#pragma once

#include <cstdint>
#include <string>

namespace sl {

// Two decimals, rounded by the format: 57.123 gives "57.12%".
[[nodiscard]] std::string PanelPercentText(double percent);

// The bar shows the percentage truncated toward zero (99.999 is 99, though its text reads
// "100.00%"), held within the bar's range 0 to 100.
[[nodiscard]] int32_t PanelBarPosition(double percent);

}  // namespace sl
