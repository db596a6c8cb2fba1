#include "diag/thread_entry.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <thread>

#include "diag/log.h"

namespace sl {
namespace {

TEST(ThreadEntry, ExceptionsAreCaughtAndLoggedUnderTheThread) {
  static_cast<void>(TakeCapturedLog());
  bool ran = false;
  EXPECT_TRUE(RunThreadEntry("Luồng A", [&] { ran = true; }));
  EXPECT_TRUE(ran);
  EXPECT_TRUE(TakeCapturedLog().empty());

  std::thread([] { EXPECT_FALSE(RunThreadEntry("Luồng B", [] { throw std::bad_alloc(); })); }).join();
  EXPECT_FALSE(RunThreadEntry("Luồng C", [] { throw std::runtime_error("hết chỗ"); }));
  EXPECT_FALSE(RunThreadEntry("Luồng D", [] { throw 7; }));
  EXPECT_EQ(TakeCapturedLog(), (std::vector<CapturedLogEntry>{
                                   {"Luồng B", 0, "Luồng dừng vì ngoại lệ: std::bad_alloc", true},
                                   {"Luồng C", 0, "Luồng dừng vì ngoại lệ: hết chỗ", true},
                                   {"Luồng D", 0, "Luồng dừng vì ngoại lệ không rõ loại", true},
                               }));
}

}  // namespace
}  // namespace sl
