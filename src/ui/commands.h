// The main window's numbers: its command ids and the window messages of its own and from outside.
#pragma once

#include <cstdint>

namespace sl {

// WM_COMMAND ids of the main window: its buttons and links, and the controller's return to idle.

inline constexpr uint16_t CMD_ABOUT = 1030;
inline constexpr uint16_t CMD_EXIT = 1031;
inline constexpr uint16_t CMD_RETURN_TO_IDLE = 1702;
inline constexpr uint16_t CMD_LINK_GUIDE = 1703;
inline constexpr uint16_t CMD_LINK_HOME = 1705;
inline constexpr uint16_t CMD_LINK_EVENTS = 1706;
inline constexpr uint16_t CMD_LINK_TOURNAMENTS = 1707;
inline constexpr uint16_t CMD_LINK_REGISTER = 1708;
inline constexpr uint16_t CMD_LINK_TOPUP = 1709;
inline constexpr uint16_t CMD_BROWSE_INSTALL = 1717;
inline constexpr uint16_t CMD_BROWSE_DOWNLOAD = 1718;
inline constexpr uint16_t CMD_SHOW_PROGRESS = 1719;
inline constexpr uint16_t CMD_INSTALL = 1720;
inline constexpr uint16_t CMD_UPDATE = 1721;
inline constexpr uint16_t CMD_PLAY = 1722;
inline constexpr uint16_t CMD_PAUSE = 1723;        // progress view: pause or resume the downloads
inline constexpr uint16_t CMD_SPEED_LIMIT = 1724;  // progress view: the bandwidth cap's menu
inline constexpr uint16_t CMD_MINIMIZE = 7000;
inline constexpr uint16_t CMD_CLOSE = 7001;

// The main window's own messages and the ones other programs send it (WM_APP = 32768).

// Posted by the window's creation: the install is detected once a message loop pumps.
inline constexpr unsigned WM_STARTUP_CHECK = 32769;
// Swallowed, never passed to the install pipeline: the number is reserved by the window's protocol.
inline constexpr unsigned WM_SWALLOWED_MESSAGE = 1147;
// Sent only from outside (the program never sends it) to minimise the window.
inline constexpr unsigned WM_SHOW_MINIMIZED = 2406;
// Nothing here starts this timer; if something outside does, its first tick stops it.
inline constexpr unsigned kForeignTimerId = 88;

}  // namespace sl
