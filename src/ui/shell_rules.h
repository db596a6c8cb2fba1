// Platform-free rules of the application shell: title text, centring, raising a running instance.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sl {

inline constexpr int kMainWindowWidth = 1020;
inline constexpr int kMainWindowHeight = 597;
inline constexpr uint32_t kMainWindowStyle = 0x800A0000;  // WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX

// "<title> - 1.0.2.5": the painted window title and the self-update caption.
[[nodiscard]] std::string MakeVersionedTitle(std::string_view title);

struct Origin {
  int x;
  int y;
};

// Top-left corner that centres a window; negative on screens smaller than the window.
[[nodiscard]] Origin CenterOrigin(int screenWidth, int screenHeight, int windowWidth, int windowHeight);

// Show commands as the platform numbers them.
inline constexpr int kShowNormal = 1;
inline constexpr int kShowMinimized = 2;
inline constexpr int kMinimize = 6;

// Whether the running instance's window must be shown normally before it is raised.
[[nodiscard]] bool NeedsRestore(bool visible, int placementShowCmd);

}  // namespace sl
