#include "ui/view_rules.h"

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

}  // namespace sl
