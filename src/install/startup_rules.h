// Start-up choices of the install controller.
#pragma once

#include <string>
#include <string_view>

namespace sl {

// The install folder used when nothing is installed: "<ProgramFiles>\Oskelon\Bao Lua";
// empty when the environment gave no ProgramFiles folder.
[[nodiscard]] std::string DefaultInstallDir(std::string_view programFiles);

}  // namespace sl
