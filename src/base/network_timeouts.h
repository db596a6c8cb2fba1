// How long the program waits on the network: the same on every Windows and under Wine, whose
// WinINet otherwise waits for a silent server forever. Every session, WinINet and WinHTTP, sets them.
#pragma once

#include <cstdint>

namespace sl {

inline constexpr uint32_t kConnectTimeoutMs = 30'000;
inline constexpr uint32_t kSendTimeoutMs = 30'000;
// Windows' usual figure: a server silent this long, between headers or within a body, has failed.
inline constexpr uint32_t kReceiveTimeoutMs = 30'000;

}  // namespace sl
