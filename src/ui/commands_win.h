// The main window's command handler: links, folder choices, run start and return to idle.
#pragma once

#include <cstdint>

namespace sl {

class MainWindow;

void HandleCommand(MainWindow& main, uint16_t commandId);

}  // namespace sl
