// WM_COMMAND ids of the main window: its buttons and links, and the controller's return to idle.
#pragma once

#include <cstdint>

namespace sl {

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

}  // namespace sl
