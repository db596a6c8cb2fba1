// libFuzzer target for the text the download server sends: version.ini and the file lists.
// Built and run by tools/fuzz_manifests.sh; not part of the CMake build.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "base/path.h"
#include "diag/log.h"
#include "manifest/file_list.h"
#include "manifest/version_manifest.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

bool IsIniBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  sl::InstallState state;
  sl::ApplyVersionManifest(text, state);
  // The input's first bytes as a key too, so keys that overlap their own values are reached.
  for (std::string_view key : {std::string_view("LatestVersion"), text.substr(0, 3)}) {
    if (key.empty()) continue;
    const std::string value = sl::GetIniValue(text, key);
    Require(value.empty() || (!IsIniBlank(value.front()) && !IsIniBlank(value.back())));
  }

  // Whatever a list lets through must pass the rules on its own.
  if (const std::optional<std::vector<sl::FileItem>> items = sl::ParseFileList(text)) {
    for (const sl::FileItem& item : *items) {
      Require(sl::FileListEntryProblem(item.url, item.md5, std::to_string(item.size)) == nullptr);
      Require(sl::UrlFileName(item.url) == item.fileName);
      Require(item.status == sl::MDS_STATUS_INITIALIZING);
    }
  }

  (void)sl::TakeCapturedLog();  // the host WriteLog keeps entries in memory: drop them every run
  return 0;
}
