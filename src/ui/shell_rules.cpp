#include "ui/shell_rules.h"

#include "base/build_info.h"
#include "base/text.h"

namespace sl {

std::string MakeVersionedTitle(std::string_view title) {
  return Format("%.*s - %s", static_cast<int>(title.size()), title.data(), OwnVersionText());
}

Origin CenterOrigin(int screenWidth, int screenHeight, int windowWidth, int windowHeight) {
  // C++ integer division truncates toward zero, as the placement rule wants.
  return {(screenWidth - windowWidth) / 2, (screenHeight - windowHeight) / 2};
}

bool NeedsRestore(bool visible, int placementShowCmd) {
  if (!visible) return true;
  return placementShowCmd == kShowMinimized || placementShowCmd == kMinimize;
}

}  // namespace sl
