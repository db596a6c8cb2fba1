// Platform-free rules of the idle views, the start warnings and the publisher's pages.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sl {

enum class IdleView { Play, Update, Install };

// The play view for a current game, or an installed one whose latest version is unknown; the update
// view for a patchable install; the install view otherwise.
[[nodiscard]] IdleView ChooseIdleView(int32_t latest, int32_t installed, int32_t minimal);

// The warning a start button shows for a free-space verdict; empty when the run may start.
[[nodiscard]] std::string_view StartWarning(int32_t spaceWarning);

// "https://<host><path>" of a link command; empty for any other command.
[[nodiscard]] std::string LinkUrl(uint16_t commandId, std::string_view webHost, std::string_view topupT);

}  // namespace sl
