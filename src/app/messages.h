// Custom window messages and command ids of the whole program.
#pragma once

#include <cstdint>

namespace sl {

// Messages sent or posted to the main window (WM_USER = 1024, WM_APP = 32768).
inline constexpr unsigned WM_MD5_PROGRESS = 52;
inline constexpr unsigned WM_MD5_RESULT = 53;
inline constexpr unsigned WM_DOWNLOAD_PROGRESS = 1048;
inline constexpr unsigned WM_DOWNLOAD_STATUS = 1057;
inline constexpr unsigned WM_INSTALL_RESULT = 1104;
inline constexpr unsigned WM_RESERVED_1147 = 1147;   // swallowed by the main window
inline constexpr unsigned WM_SHOW_MINIMIZED = 2406;  // sent from outside only
inline constexpr unsigned WM_STARTUP_CHECK = 32769;

inline constexpr unsigned kTimerId88 = 88;

// WM_COMMAND ids.
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
inline constexpr uint16_t CMD_INSTALL = 1720;
inline constexpr uint16_t CMD_UPDATE = 1721;
inline constexpr uint16_t CMD_PLAY = 1722;
inline constexpr uint16_t CMD_MINIMIZE = 7000;
inline constexpr uint16_t CMD_CLOSE = 7001;

}  // namespace sl
