#include "ui/view_rules.h"

#include "base/build_info.h"
#include "base/text.h"
#include "store/install_state.h"
#include "ui/commands.h"

namespace sl {

IdleView ChooseIdleView(int32_t latest, int32_t installed, int32_t minimal) {
  // An unknown latest release (no server) still lets an installed game be played; with nothing
  // installed there is nothing to play.
  if (latest == 0) return installed != 0 ? IdleView::Play : IdleView::Install;
  if (installed == latest) return IdleView::Play;
  if (installed != 0 && installed >= minimal) return IdleView::Update;
  return IdleView::Install;
}

std::vector<ViewRow> ViewTable(IdleView view) {
  using C = ViewControl;
  const bool play = view == IdleView::Play;
  const bool install = view == IdleView::Install;
  std::vector<ViewRow> rows = {{C::Pause, false, {}},
                               {C::SpeedLimit, false, {}},
                               {C::BrowseInstall, install, {}},
                               {C::BrowseDownload, !play, {}},
                               {C::Install, install, {}},
                               {C::Update, view == IdleView::Update, {}},
                               {C::Play, play, {}}};
  if (play) {
    // The download statics are hidden here, so the install ones move down into the gap; the
    // other views do not move them back.
    rows.insert(rows.end(), {{C::InstallDirField, true, SkinRect{290, 525, 770, 549}},
                             {C::InstallDirLabel, true, SkinRect{290, 501, 610, 525}},
                             {C::VersionLabel, true, SkinRect{610, 501, 770, 525}},
                             {C::DownloadDirField, false, {}},
                             {C::DownloadDirLabel, false, {}}});
  } else {
    rows.insert(rows.end(), {{C::InstallDirField, true, {}},
                             {C::InstallDirLabel, true, {}},
                             {C::VersionLabel, true, {}},
                             {C::DownloadDirField, true, {}},
                             {C::DownloadDirLabel, true, {}}});
  }
  return rows;
}

std::vector<ViewRow> ProgressViewTable(uint32_t downloadLimitKBps) {
  using C = ViewControl;
  return {{C::Pause, true, {}},
          {C::SpeedLimit, true, {}, SpeedLimitText(downloadLimitKBps)},
          {C::InstallDirField, false, {}},
          {C::InstallDirLabel, false, {}},
          {C::VersionLabel, false, {}},
          {C::DownloadDirField, false, {}},
          {C::DownloadDirLabel, false, {}},
          {C::BrowseInstall, false, {}},
          {C::BrowseDownload, false, {}}};
}

std::string_view StartWarning(int32_t spaceWarning) {
  if (spaceWarning <= 0) return {};
  if (spaceWarning == 1) return "Ổ đĩa cài Bão Lửa không đủ dung lượng!";
  if (spaceWarning == 2) return "Ổ đĩa chứa tệp tin tải xuống không đủ dung lượng!";
  return "Không đủ dung lượng để tải tệp tin và cài đặt Bão lửa!";
}

std::string LinkUrl(uint16_t commandId, std::string_view webHost, std::string_view topupT) {
  std::string_view path;
  switch (commandId) {
    case CMD_LINK_HOME:
      path = "";
      break;
    case CMD_LINK_EVENTS:
      path = "/list/events";
      break;
    case CMD_LINK_TOURNAMENTS:
      path = "/giaidau";
      break;
    case CMD_LINK_GUIDE:
      path = "/list/cam-nang";
      break;
    case CMD_LINK_REGISTER:
      path = "/tao-tai-khoan";
      break;
    case CMD_LINK_TOPUP:
      return "https://" + std::string(webHost) + "/sso/napvy?t=" + std::string(topupT);
    default:
      return {};
  }
  return "https://" + std::string(webHost) + std::string(path);
}

std::string MakeVersionedTitle(std::string_view title) {
  return Format("%.*s - %s", static_cast<int>(title.size()), title.data(), OwnVersionText());
}

Origin CenterOrigin(int screenWidth, int screenHeight, int windowWidth, int windowHeight) {
  // C++ integer division truncates toward zero, as the placement rule wants.
  return {(screenWidth - windowWidth) / 2, (screenHeight - windowHeight) / 2};
}

bool NeedsRestore(bool visible, int placementShowCmd) {
  if (!visible) return true;
  return placementShowCmd == kShowMinimized || placementShowCmd == kMinimize;
}

std::optional<std::string_view> CloseQuestion(uint32_t workflowState) {
  switch (workflowState) {
    case STATE_INSTALLING:
      return "Đang cài đặt Bão Lửa! Bạn có muốn thoát chương trình không?";
    case STATE_UPDATING:
      return "Đang Cập nhật Bão Lửa! Bạn có muốn thoát chương trình không?";
    default:
      return std::nullopt;
  }
}

StaticColors ColorsOf(StaticRole role) {
  constexpr Rgb kWhite{255, 255, 255};
  switch (role) {
    case StaticRole::FolderField:
      return {{51, 51, 52}, kWhite};
    case StaticRole::FolderLabel:
      return {{32, 31, 31}, kWhite};
    case StaticRole::VersionLabel:
      return {{32, 31, 31}, {255, 255, 150}};
  }
  return {{32, 31, 31}, kWhite};
}

std::string SpeedLimitText(uint32_t kbps) {
  if (kbps == 0) return "Không giới hạn";
  if (kbps % 1024 == 0) return Format("%u MB/s", kbps / 1024);
  return Format("%u KB/s", kbps);
}

std::string SpeedLimitChoiceText(uint32_t kbps) {
  return kbps == 0 ? "Không giới hạn tốc độ" : SpeedLimitText(kbps);
}

}  // namespace sl
