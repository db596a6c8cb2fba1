#include "ui/main_window_rules.h"

#include "store/install_state.h"

namespace sl {

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

}  // namespace sl
