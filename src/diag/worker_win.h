// Work off the window and the window's own thread: jobs on workers with their stop flag, and the check that
// window code runs on the window's thread.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "base/unique_handle_win.h"
#include "diag/thread_entry.h"

namespace sl {

// Work that must not hold a window's thread (fetches, and the waits between their tries): a job
// runs on a worker thread with a stop flag and, once it returns, a message is posted to the window,
// whose handler takes the result. The job works on copies and shares only that result (and what it
// tells the window by messages), so the worker may outlive the window and the object that started
// it.

// A request to stop that a worker can wait on.
class StopFlag {
 public:
  void Request() {
    requested_ = true;
    if (event_) ::SetEvent(event_.get());
  }
  [[nodiscard]] bool Requested() const { return requested_; }
  // Waits up to `ms`; true when a stop was requested before or meanwhile.
  [[nodiscard]] bool WaitFor(DWORD ms) const {
    if (requested_) return true;
    if (event_) {
      ::WaitForSingleObject(event_.get(), ms);
    } else {
      ::Sleep(ms);
    }
    return requested_;
  }

 private:
  std::atomic<bool> requested_{false};
  UniqueKernelHandle event_{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

// How long a worker waits before posting again into a queue that was full.
inline constexpr DWORD kRepostDelayMs = 50;

// Posts `message`, again while a full queue refuses it, for as long as the window lives: the
// window waits for this one.
inline void PostUntilTaken(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  while (window != nullptr && !::PostMessageW(window, message, wParam, lParam) && ::IsWindow(window))
    ::Sleep(kRepostDelayMs);
}

// One job at a time off the window's thread. Result must be default-constructible, and its default
// must mean failure: a job that throws delivers it, and the exception is logged under the job's
// name.
template <typename Result>
class OffWindowWork {
 public:
  using Job = std::function<Result(const StopFlag&)>;

  OffWindowWork() = default;
  ~OffWindowWork() { Stop(); }
  OffWindowWork(const OffWindowWork&) = delete;
  OffWindowWork& operator=(const OffWindowWork&) = delete;

  // Runs `job` on a new thread (`name` in the log); when it returns, `message` is posted to `window`
  // (if any) with this run's ticket as wParam. A run still going is stopped first. False when no
  // thread could start.
  bool Start(HWND window, UINT message, const char* name, Job job) {
    Stop();
    auto run = std::make_shared<Run>();
    run->ticket = nextTicket_++;
    const bool started = StartWorkerThread(name, [run, window, message, name, job = std::move(job)] {
      if (!RunThreadEntry(name, [&] { run->result = job(run->stop); })) run->result = Result{};
      run->done.store(true, std::memory_order_release);
      if (run->doneEvent) ::SetEvent(run->doneEvent.get());
      PostUntilTaken(window, message, run->ticket, 0);
    });
    if (!started) return false;
    run_ = std::move(run);
    return true;
  }

  // On the message: the result of the run it announces, once; none for a stopped or older run.
  std::optional<Result> Take(WPARAM ticket) {
    if (!run_ || run_->ticket != ticket || !run_->done.load(std::memory_order_acquire)) return std::nullopt;
    const std::shared_ptr<Run> run = std::move(run_);
    return std::optional<Result>(std::move(run->result));
  }

  [[nodiscard]] bool Running() const { return run_ != nullptr; }
  [[nodiscard]] WPARAM Ticket() const { return run_ ? run_->ticket : 0; }
  // Signalled once the current run's job has returned, for a loop that waits without a window.
  [[nodiscard]] HANDLE DoneEvent() const { return run_ ? run_->doneEvent.get() : nullptr; }

  // Asks the running job to stop; whatever it returns is dropped.
  void Stop() {
    if (!run_) return;
    run_->stop.Request();
    run_.reset();
  }

 private:
  struct Run {
    StopFlag stop;
    Result result{};
    std::atomic<bool> done{false};
    UniqueKernelHandle doneEvent{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    WPARAM ticket = 0;
  };
  std::shared_ptr<Run> run_;
  WPARAM nextTicket_ = 1;
};

// The window's thread, and a check that code meant for it runs there: a worker that touched the
// window's state directly would race with it. Checked in test and debug builds (SL_CHECK_UI_THREAD).

// The entry calls this on the thread that creates and serves the windows.
void MarkUiThread();

// Where checks are on, a call from another thread than the marked one is logged under `where` and
// ends the process, so that a test sees it; elsewhere, and before a mark, this does nothing.
void ExpectUiThread(const char* where);

}  // namespace sl
