// The body of a thread's entry function, run so that no C++ exception ends the process.
#pragma once

#include <exception>
#include <functional>

namespace sl {

// Logs under `thread` that an exception ended that thread's work; `what` is the exception's text,
// null when it was no std::exception. Never throws.
void LogThreadException(const char* thread, const char* what) noexcept;

// Runs body(); returns false when it threw, after logging the exception under `thread` (the log
// source naming the thread). An exception leaving a thread's entry would end the whole process: a
// failed allocation in a worker must end only that work. Structured exceptions are no C++
// exceptions and are not caught here (RunGuarded).
template <class F>
[[nodiscard]] bool RunThreadEntry(const char* thread, F&& body) noexcept {
  try {
    body();
    return true;
  } catch (const std::exception& e) {
    LogThreadException(thread, e.what());
  } catch (...) {
    LogThreadException(thread, nullptr);
  }
  return false;
}

// The one way the program starts a detached thread (a joined one, such as the hasher's, runs its
// body through RunThreadEntry itself): `body` runs through RunThreadEntry (logged under `thread`)
// on a new detached thread. False when no thread could be started; the caller then
// reports the work as failed, since nothing else will.
[[nodiscard]] bool StartWorkerThread(const char* thread, std::function<void()> body);

}  // namespace sl
