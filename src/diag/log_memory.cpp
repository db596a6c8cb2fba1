// WriteLog for the host build: records entries instead of writing Log.txt.
#include <mutex>
#include <utility>

#include "diag/log.h"

namespace sl {
namespace {

std::mutex g_mutex;
std::vector<CapturedLogEntry> g_entries;  // guarded by g_mutex

void Record(CapturedLogEntry entry) {
  std::lock_guard lock(g_mutex);
  g_entries.push_back(std::move(entry));
}

}  // namespace

void WriteLog(std::string_view source, uint32_t errorCode) {
  Record({std::string(source), errorCode, {}, false});
}

void WriteLog(std::string_view source, uint32_t errorCode, std::string_view message) {
  Record({std::string(source), errorCode, std::string(message), true});
}

std::vector<CapturedLogEntry> TakeCapturedLog() {
  std::lock_guard lock(g_mutex);
  return std::exchange(g_entries, {});
}

}  // namespace sl
