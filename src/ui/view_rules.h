// What the main window shows and offers, free of Win32: its views, start warnings and pages, its title and
// window rules, and the speed limit's choices.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/commands.h"
#include "ui/skin_rules.h"

namespace sl {

// Platform-free rules of the idle views, the start warnings and the publisher's pages.

enum class IdleView { Play, Update, Install };

// The play view for a current game, or an installed one whose latest version is unknown; the update
// view for a patchable install; the install view otherwise.
[[nodiscard]] IdleView ChooseIdleView(int32_t latest, int32_t installed, int32_t minimal);

// The controls a view shows or hides: the three start buttons, the two folder buttons and the
// progress view's pause and speed-limit buttons by their command ids, then the five static texts.
enum class ViewControl : uint16_t {
  BrowseInstall = CMD_BROWSE_INSTALL,
  BrowseDownload = CMD_BROWSE_DOWNLOAD,
  Install = CMD_INSTALL,
  Update = CMD_UPDATE,
  Play = CMD_PLAY,
  Pause = CMD_PAUSE,
  SpeedLimit = CMD_SPEED_LIMIT,
  InstallDirField = 1,
  InstallDirLabel,
  VersionLabel,
  DownloadDirField,
  DownloadDirLabel,
};

// One row of a view: the control, shown or hidden, where it goes (96-DPI client pixels) when the
// view moves it, and its text when the view sets one; a control the view does not name keeps what
// it had (the progress view leaves the pressed start button as it is).
struct ViewRow {
  ViewControl control;
  bool shown;
  std::optional<SkinRect> place;
  std::optional<std::string> text = std::nullopt;
};

// The table of a view: what switching to it applies, in order. The progress view's speed-limit
// button names the cap in force.
[[nodiscard]] std::vector<ViewRow> ViewTable(IdleView view);
[[nodiscard]] std::vector<ViewRow> ProgressViewTable(uint32_t downloadLimitKBps);

// The warning a start button shows for a free-space verdict; empty when the run may start.
[[nodiscard]] std::string_view StartWarning(int32_t spaceWarning);

// "https://<host><path>" of a link command; empty for any other command.
[[nodiscard]] std::string LinkUrl(uint16_t commandId, std::string_view webHost, std::string_view topupT);

// Platform-free rules of the application shell: title text, centring, raising a running instance.

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

// Platform-free rules of the main window: close questions and static-text colours.

// The question asked before closing, or none when the program may close at once.
[[nodiscard]] std::optional<std::string_view> CloseQuestion(uint32_t workflowState);

struct Rgb {
  uint8_t r, g, b;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

enum class StaticRole { FolderField, FolderLabel, VersionLabel };

struct StaticColors {
  Rgb background;
  Rgb text;
};

[[nodiscard]] StaticColors ColorsOf(StaticRole role);

// The bandwidth cap's choices as the progress view offers them. KB/s, 1 KB = 1024 bytes; 0 = none.

inline constexpr std::array<uint32_t, 6> kSpeedLimitChoices = {0, 512, 1024, 2048, 5120, 10240};

// The speed-limit button's text: "Không giới hạn", "512 KB/s", "1 MB/s" (whole MB/s only).
[[nodiscard]] std::string SpeedLimitText(uint32_t kbps);

// A menu item's text: the button's, but "Không giới hạn tốc độ" for none.
[[nodiscard]] std::string SpeedLimitChoiceText(uint32_t kbps);

}  // namespace sl
