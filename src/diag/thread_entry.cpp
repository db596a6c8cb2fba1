#include "diag/thread_entry.h"

#include <system_error>
#include <thread>

#include "base/text.h"
#include "diag/log.h"

namespace sl {

void LogThreadException(const char* thread, const char* what) noexcept {
  constexpr char kEnded[] = "Luồng dừng vì ngoại lệ";
  try {
    WriteLog(thread, 0,
             what != nullptr ? Format("%s: %s", kEnded, what) : Format("%s không rõ loại", kEnded));
  } catch (...) {
    // No memory for the text: the entry still names the thread.
    try {
      WriteLog(thread, 0, kEnded);
    } catch (...) {
    }
  }
}

bool StartWorkerThread(const char* thread, std::function<void()> body) {
  try {
    std::thread([thread, body = std::move(body)] {
      static_cast<void>(RunThreadEntry(thread, body));
    }).detach();
    return true;
  } catch (const std::system_error&) {
    return false;
  }
}

}  // namespace sl
