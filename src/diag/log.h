// The program's one logging operation. Entries go to <log root>\Logs\Log.txt as UTF-16; the
// Windows build learns the root from SetLogFolder (log_folder_win.h).
#pragma once

#include <cstdint>
#include <string_view>

namespace sl {

// Appends "[timestamp]\t" + source + error text (when errorCode != 0) + CR LF + CR LF.
// Never fails towards the caller and never shows anything to the player.
void WriteLog(std::string_view source, uint32_t errorCode);

// As above, with "\t" + message after the error text.
void WriteLog(std::string_view source, uint32_t errorCode, std::string_view message);

}  // namespace sl
