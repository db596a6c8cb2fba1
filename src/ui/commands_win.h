// The main window's command handler: links, folder choices, run start and return to idle.
#pragma once

#include <cstdint>

namespace sl {

struct AppState;

void HandleCommand(AppState& app, uint16_t commandId);

}  // namespace sl
