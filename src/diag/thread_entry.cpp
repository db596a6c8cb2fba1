#include "diag/thread_entry.h"

#include "base/format.h"
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

}  // namespace sl
