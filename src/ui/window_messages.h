// The main window's own messages and the ones other programs send it (WM_APP = 32768).
#pragma once

namespace sl {

// Posted by the window's creation: the install is detected once a message loop pumps.
inline constexpr unsigned WM_STARTUP_CHECK = 32769;
// Swallowed, never passed to the install pipeline: the number is reserved by the window's protocol.
inline constexpr unsigned WM_RESERVED_1147 = 1147;
// Sent only from outside (the program never sends it) to minimise the window.
inline constexpr unsigned WM_SHOW_MINIMIZED = 2406;
// Nothing here starts this timer; if something outside does, its first tick stops it.
inline constexpr unsigned kTimerId88 = 88;

}  // namespace sl
