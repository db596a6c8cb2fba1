// The first-open report and the public-address lookup over WinHTTP (HTTPS, port 443).
#pragma once

#include <string>

namespace sl {

// Sends the report for userId on the calling thread and logs every step; true when a response
// came back, whatever its HTTP status.
bool SendSLTrackingReport(const std::string& userId);

// The machine's public address as the public-address service reports it; "0.0.0.0" when the
// lookup fails, the service answers with an error status or with nothing.
[[nodiscard]] std::string GetPublicIp();

// Runs SendSLTrackingReport on a detached thread that owns its copy of userId. Nothing waits for
// it or reads its result; when no thread can be started the report is skipped.
void StartTrackingReport(std::string userId);

}  // namespace sl
