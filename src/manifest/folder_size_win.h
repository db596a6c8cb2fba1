// How much a folder holds on disk, for the planner's backup-folder check.
#pragma once

#include <cstdint>
#include <string_view>

namespace sl {

// start plus the sizes of every file below folder. Folders that are reparse points (junctions,
// symbolic links) are counted as empty and not entered: a link to a parent would otherwise loop
// forever, and a link elsewhere does not hold our bytes. Unreadable folders count as empty.
[[nodiscard]] uint64_t GetFolderSize(std::string_view folder, uint64_t start = 0);

}  // namespace sl
