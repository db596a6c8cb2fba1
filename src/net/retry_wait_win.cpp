#include <winsock2.h>

#include "net/retry_wait_win.h"

#include <wininet.h>

#include <algorithm>
#include <random>

#include "base/window_messages.h"
#include "net/download_messages.h"
#include "net/transfer_rules.h"

namespace sl {
namespace {

// How often a download waiting for the cap looks at it again: a cap raised or lifted from the menu
// speeds a waiting transfer up within this.
constexpr uint64_t kBudgetSliceMs = 50;

}  // namespace

static_assert(kInternetTimeout == ERROR_INTERNET_TIMEOUT);
static_assert(kInternetNameNotResolved == ERROR_INTERNET_NAME_NOT_RESOLVED);
static_assert(kInternetCannotConnect == ERROR_INTERNET_CANNOT_CONNECT);
static_assert(kInternetConnectionAborted == ERROR_INTERNET_CONNECTION_ABORTED);
static_assert(kInternetConnectionReset == ERROR_INTERNET_CONNECTION_RESET);
static_assert(kInternetForceRetry == ERROR_INTERNET_FORCE_RETRY);
static_assert(kHttpInvalidServerResponse == ERROR_HTTP_INVALID_SERVER_RESPONSE);
static_assert(kInternetDisconnected == ERROR_INTERNET_DISCONNECTED);
static_assert(kInternetServerUnreachable == ERROR_INTERNET_SERVER_UNREACHABLE);
static_assert(kWsaConnectionAborted == WSAECONNABORTED);
static_assert(kWsaConnectionReset == WSAECONNRESET);
static_assert(kWsaTimedOut == WSAETIMEDOUT);
static_assert(kWsaConnectionRefused == WSAECONNREFUSED);
static_assert(kWsaHostUnreachable == WSAEHOSTUNREACH);
static_assert(kWsaHostNotFound == WSAHOST_NOT_FOUND);
static_assert(kWsaTryAgain == WSATRY_AGAIN);
static_assert(kErrorConnectionRefused == ERROR_CONNECTION_REFUSED);
static_assert(kErrorNetworkUnreachable == ERROR_NETWORK_UNREACHABLE);
static_assert(kErrorHostUnreachable == ERROR_HOST_UNREACHABLE);
static_assert(kErrorConnectionAborted == ERROR_CONNECTION_ABORTED);

uint64_t WinRetryEnv::SteadyMs() { return ::GetTickCount64(); }

double WinRetryEnv::Jitter() {
  // Seeded per thread by the system: players who lost one server must not all return in step.
  thread_local std::mt19937 generator{std::random_device{}()};
  return std::uniform_real_distribution<double>(0.0, 1.0)(generator);
}

bool WinRetryEnv::WaitToRetry(uint64_t delayMs, FailureKind why) {
  const uint64_t end = SteadyMs() + delayMs;
  for (uint64_t now = SteadyMs(); now < end; now = SteadyMs()) {
    if (stop_ != nullptr && stop_->Requested()) return false;
    const uint64_t left = end - now;
    const uint64_t seconds = (left + 999) / 1000;
    if (window_ != nullptr) {
      ::SendMessageW(window_, WM_DOWNLOAD_RETRY, static_cast<WPARAM>(seconds), static_cast<LPARAM>(why));
    }
    // To the next whole second of the countdown.
    const auto slice = static_cast<DWORD>(left - (seconds - 1) * 1000);
    if (stop_ != nullptr ? stop_->WaitFor(slice) : (::Sleep(slice), false)) return false;
  }
  return stop_ == nullptr || !stop_->Requested();
}

bool WaitForDownloadBudget(uint64_t bytes, const StopFlag& stop) {
  RateLimiter& limiter = DownloadRateLimiter();
  limiter.Take(bytes);
  for (uint64_t wait = limiter.WaitMs(); wait > 0; wait = limiter.WaitMs()) {
    if (stop.WaitFor(static_cast<DWORD>(std::min(wait, kBudgetSliceMs)))) return false;
  }
  return !stop.Requested();
}

}  // namespace sl
