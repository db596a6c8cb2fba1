// The server's version.ini and the addresses of the release files, free of Win32.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "store/install_state.h"

namespace sl {

// Log source of the manifest and planner lines; the trailing blank is part of it.
inline constexpr std::string_view kManifestLogSource = "StormlineHelper ";

struct UtcTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
};

// "yyyyMMddHHmmssfff": 17 digits for a real time. Appended to requests so no cache answers them.
[[nodiscard]] std::string MakeStamp(const UtcTime& time);

// The value of the first occurrence of key anywhere in text (a plain substring match, so
// "MyLatestVersion=7" is found for "LatestVersion"): the characters between the first "=" after it
// and the next line feed, less space, tab, CR and LF at both ends. Empty when either is missing,
// so a value on a last line without a line feed is not found.
[[nodiscard]] std::string GetIniValue(std::string_view text, std::string_view key);

// Reads LatestVersion, MinimalVersion, PreDownStart and PreDownEnd into state. A missing or empty
// value leaves its field; a value that is not a number in int32 range leaves it too, and is logged.
// A value counts from its leading digits ("105abc" is 105).
void ApplyVersionManifest(std::string_view text, InstallState& state);

[[nodiscard]] std::string VersionManifestUrl(std::string_view base, const UtcTime& time);
[[nodiscard]] std::string FullListUrl(std::string_view base, int32_t number, const UtcTime& time);
[[nodiscard]] std::string PatchListUrl(std::string_view base, int32_t number, const UtcTime& time);

}  // namespace sl
