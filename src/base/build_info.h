// What the program was built as: its version and endpoints, compiled in, and the network time-outs every
// request carries.
#pragma once

#include <cstdint>

namespace sl {

// What CMake compiled into this build: the version it reports and the outside endpoints it talks to.
// Each executable links one definition (sl_build_info_library): the product its project version and
// configured servers, a test or demo build its own version and loopback servers.

[[nodiscard]] const char* OwnVersionText();  // "1.0.2.5"
// The same version as one integer (1.0.2.5 is 1025): what the self-update compares the server's
// number with and sends as the "t" query of the launcher manifest.
[[nodiscard]] int32_t OwnVersionNumber();

[[nodiscard]] const char* DownloadBaseUrl();  // scheme, host and path prefix; no trailing "/"
[[nodiscard]] const char* TrackingHost();
[[nodiscard]] const char* PublicIpHost();
[[nodiscard]] const char* WebHost();
[[nodiscard]] const char* TopupT();
// Whether this build speaks plain HTTP to an http:// URL: only builds for loopback test servers.
// Any other asks for TLS everywhere and refuses an http:// URL before sending anything.
[[nodiscard]] bool PlainHttpAllowed();

// How long the program waits on the network: the same on every Windows and under Wine, whose
// WinINet otherwise waits for a silent server forever. Every session, WinINet and WinHTTP, sets them.

inline constexpr uint32_t kConnectTimeoutMs = 30'000;
inline constexpr uint32_t kSendTimeoutMs = 30'000;
// Windows' usual figure: a server silent this long, between headers or within a body, has failed.
inline constexpr uint32_t kReceiveTimeoutMs = 30'000;

}  // namespace sl
