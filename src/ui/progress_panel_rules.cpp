#include "ui/progress_panel_rules.h"

#include "base/text.h"

namespace sl {

std::string PanelPercentText(double percent) { return Format("%.02f%%", percent); }

int32_t PanelBarPosition(double percent) {
  // Also keeps a NaN or an out-of-range value from reaching the integer conversion.
  if (!(percent > 0)) return 0;
  if (percent >= 100) return 100;
  return static_cast<int32_t>(percent);
}

}  // namespace sl
