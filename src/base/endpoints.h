// The outside endpoints, compiled in. Each executable links one definition of them: the product
// its configured servers, the whole-program tests their loopback servers.
#pragma once

namespace sl {

[[nodiscard]] const char* DownloadBaseUrl();  // scheme, host and path prefix; no trailing "/"
[[nodiscard]] const char* TrackingHost();
[[nodiscard]] const char* PublicIpHost();
[[nodiscard]] const char* WebHost();
[[nodiscard]] const char* TopupT();

}  // namespace sl
