#include "manifest/version_manifest.h"

#include <cstdint>
#include <optional>

#include "base/text.h"
#include "diag/log.h"
#include "manifest/file_list.h"

namespace sl {
namespace {

bool IsIniBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

void ApplyValue(std::string_view text, std::string_view key, int32_t& field) {
  const std::string value = GetIniValue(text, key);
  if (value.empty()) return;
  if (const std::optional<int32_t> number = LeadingInt32(value)) {
    field = *number;
    return;
  }
  const std::string keyText(key);
  WriteLog(kManifestLogSource, 0,
           Format("version.ini: %s=%s is not a number", keyText.c_str(), ClipUtf8(value, 64).c_str()));
}

std::string ListUrl(std::string_view base, const char* kind, int32_t number, const UtcTime& time) {
  return std::string(base) + Format("/patch/SL_%s_%d.ini?t=", kind, static_cast<int>(number)) +
         MakeStamp(time);
}

}  // namespace

std::string MakeStamp(const UtcTime& time) {
  return Format("%04d%02d%02d%02d%02d%02d%03d", time.year, time.month, time.day, time.hour, time.minute,
                time.second, time.millisecond);
}

std::string GetIniValue(std::string_view text, std::string_view key) {
  const size_t at = text.find(key);
  if (at == std::string_view::npos) return {};
  const size_t equals = text.find('=', at);
  if (equals == std::string_view::npos) return {};
  const size_t lineEnd = text.find('\n', equals);
  if (lineEnd == std::string_view::npos) return {};
  std::string_view value = text.substr(equals + 1, lineEnd - equals - 1);
  while (!value.empty() && IsIniBlank(value.front())) value.remove_prefix(1);
  while (!value.empty() && IsIniBlank(value.back())) value.remove_suffix(1);
  return std::string(value);
}

void ApplyVersionManifest(std::string_view text, InstallState& state) {
  ApplyValue(text, "LatestVersion", state.latestVersion);
  ApplyValue(text, "MinimalVersion", state.minimalVersion);
  ApplyValue(text, "PreDownStart", state.preDownStart);
  ApplyValue(text, "PreDownEnd", state.preDownEnd);
}

std::string VersionManifestUrl(std::string_view base, const UtcTime& time) {
  return std::string(base) + "/autoreal/version.ini?t=" + MakeStamp(time);
}

std::string FullListUrl(std::string_view base, int32_t number, const UtcTime& time) {
  return ListUrl(base, "Full", number, time);
}

std::string PatchListUrl(std::string_view base, int32_t number, const UtcTime& time) {
  return ListUrl(base, "Patch", number, time);
}

}  // namespace sl
