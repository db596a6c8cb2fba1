#include "ui/speed_limit_menu_win.h"

#include <cstddef>

#include "base/text.h"
#include "base/text_win.h"
#include "base/unique_handle_win.h"
#include "diag/log.h"
#include "net/rate_limit.h"
#include "store/local_store_win.h"
#include "ui/commands.h"
#include "ui/speed_limit_rules.h"

namespace sl {

void ShowSpeedLimit(SkinButtons& buttons) {
  SkinButton* button = FindSkinButton(buttons, CMD_SPEED_LIMIT);
  if (button == nullptr) return;
  ::SetWindowTextW(button->window, Widen(SpeedLimitText(DownloadLimitKBps())).c_str());
  ::InvalidateRect(button->window, nullptr, TRUE);
}

void ChooseSpeedLimit(SkinButtons& buttons, HWND owner) {
  SkinButton* button = FindSkinButton(buttons, CMD_SPEED_LIMIT);
  UniqueMenu menu(::CreatePopupMenu());
  if (button == nullptr || !menu) return;
  const uint32_t current = DownloadLimitKBps();
  // Item ids are the choice's index plus one: TrackPopupMenu returns 0 for no choice.
  for (size_t i = 0; i < kSpeedLimitChoices.size(); ++i) {
    const UINT checked = kSpeedLimitChoices[i] == current ? MF_CHECKED : MF_UNCHECKED;
    ::AppendMenuW(menu.get(), MF_STRING | checked, i + 1,
                  Widen(SpeedLimitChoiceText(kSpeedLimitChoices[i])).c_str());
  }
  RECT place;
  ::GetWindowRect(button->window, &place);
  const int picked = ::TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_LEFTALIGN | TPM_TOPALIGN,
                                      place.left, place.bottom, 0, owner, nullptr);
  if (picked <= 0 || static_cast<size_t>(picked) > kSpeedLimitChoices.size()) return;
  const uint32_t chosen = kSpeedLimitChoices[static_cast<size_t>(picked) - 1];
  SetDownloadLimitKBps(chosen);
  if (!StoreDownloadLimit(chosen)) WriteLog("SpeedLimit", 0, "The chosen speed limit could not be stored");
  WriteLog("SpeedLimit", 0, Format("Download speed limit set to %u KB/s (0: none)", chosen));
  ShowSpeedLimit(buttons);
}

}  // namespace sl
