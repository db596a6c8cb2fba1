// The main window's numbers: its command ids and the timer it stops (its messages are in
// base/window_messages.h).
#pragma once

#include <cstdint>

namespace sl {

// WM_COMMAND ids of the main window: its buttons and links, and the controller's return to idle.
enum CommandId : uint16_t {
  CMD_ABOUT = 1030,
  CMD_EXIT = 1031,
  CMD_RETURN_TO_IDLE = 1702,
  CMD_LINK_GUIDE = 1703,
  CMD_LINK_HOME = 1705,
  CMD_LINK_EVENTS = 1706,
  CMD_LINK_TOURNAMENTS = 1707,
  CMD_LINK_REGISTER = 1708,
  CMD_LINK_TOPUP = 1709,
  CMD_BROWSE_INSTALL = 1717,
  CMD_BROWSE_DOWNLOAD = 1718,
  CMD_SHOW_PROGRESS = 1719,
  CMD_INSTALL = 1720,
  CMD_UPDATE = 1721,
  CMD_PLAY = 1722,
  CMD_PAUSE = 1723,        // progress view: pause or resume the downloads
  CMD_SPEED_LIMIT = 1724,  // progress view: the bandwidth cap's menu
  CMD_MINIMIZE = 7000,
  CMD_CLOSE = 7001,
};

// Nothing here starts this timer; if something outside does, its first tick stops it.
inline constexpr unsigned kForeignTimerId = 88;

}  // namespace sl
