// The system errors the portable rules tell apart, by number as <wininet.h>, <winhttp.h>,
// <winsock2.h> and <winerror.h> give them (WinHTTP shares WinINet's numbers). The Win32 layer
// checks each against the SDK, so a copy cannot drift.
#pragma once

#include <array>
#include <cstdint>

namespace sl {

inline constexpr uint32_t kInternetTimeout = 12002;
inline constexpr uint32_t kInternetNameNotResolved = 12007;
inline constexpr uint32_t kInternetCannotConnect = 12029;
inline constexpr uint32_t kInternetConnectionAborted = 12030;
inline constexpr uint32_t kInternetConnectionReset = 12031;
inline constexpr uint32_t kInternetForceRetry = 12032;
inline constexpr uint32_t kHttpInvalidServerResponse = 12152;
inline constexpr uint32_t kInternetDisconnected = 12163;
inline constexpr uint32_t kInternetServerUnreachable = 12164;
inline constexpr uint32_t kWsaConnectionAborted = 10053;
inline constexpr uint32_t kWsaConnectionReset = 10054;
inline constexpr uint32_t kWsaTimedOut = 10060;
inline constexpr uint32_t kWsaConnectionRefused = 10061;
inline constexpr uint32_t kWsaHostUnreachable = 10065;
inline constexpr uint32_t kWsaHostNotFound = 11001;
inline constexpr uint32_t kWsaTryAgain = 11002;
inline constexpr uint32_t kErrorConnectionRefused = 1225;
inline constexpr uint32_t kErrorNetworkUnreachable = 1231;
inline constexpr uint32_t kErrorHostUnreachable = 1232;
inline constexpr uint32_t kErrorConnectionAborted = 1236;

// Refused, reset or aborted connections, names not resolved, time-outs: a network that comes back.
inline constexpr std::array<uint32_t, 20> kPassingNetworkErrors = {
    kInternetTimeout,           kInternetNameNotResolved,
    kInternetCannotConnect,     kInternetConnectionAborted,
    kInternetConnectionReset,   kInternetForceRetry,
    kHttpInvalidServerResponse, kInternetDisconnected,
    kInternetServerUnreachable, kWsaConnectionAborted,
    kWsaConnectionReset,        kWsaTimedOut,
    kWsaConnectionRefused,      kWsaHostUnreachable,
    kWsaHostNotFound,           kWsaTryAgain,
    kErrorConnectionRefused,    kErrorNetworkUnreachable,
    kErrorHostUnreachable,      kErrorConnectionAborted,
};

}  // namespace sl
