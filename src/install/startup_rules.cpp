#include "install/startup_rules.h"

#include "base/path.h"

namespace sl {

std::string DefaultInstallDir(std::string_view programFiles) {
  if (programFiles.empty()) return {};
  return JoinPath(programFiles, "Oskelon\\Bao Lua");
}

}  // namespace sl
