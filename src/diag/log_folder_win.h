// Where the Windows log file goes. The entry names the folder once at start-up.
#pragma once

#include <string_view>

namespace sl {

// Entries go to logRoot\Logs\Log.txt; the folder is created with the first entry. The file is fixed
// by the first entry of the run (an empty root until this is called, "\Logs\Log.txt"): a call
// after it changes nothing, so one run's log is never split in two.
void SetLogFolder(std::string_view logRoot);

}  // namespace sl
