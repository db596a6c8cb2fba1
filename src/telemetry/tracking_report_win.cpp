#include "telemetry/tracking_report_win.h"

#include <windows.h>
#include <objbase.h>
#include <winhttp.h>

#include <algorithm>

#include "base/build_info.h"
#include "base/text_win.h"
#include "base/unique_handle_win.h"
#include "diag/thread_entry.h"
#include "telemetry/tracking_report.h"

namespace sl {

static_assert(kArchitectureAmd64 == PROCESSOR_ARCHITECTURE_AMD64);
static_assert(kArchitectureArm64 == PROCESSOR_ARCHITECTURE_ARM64);
static_assert(kHttpOk == HTTP_STATUS_OK);

namespace {

using UniqueWinHttp = UniqueHandle<HandleTraits<HINTERNET, ::WinHttpCloseHandle>>;

constexpr wchar_t kReportAgent[] = L"Game Downloader Agent/1.0";
constexpr wchar_t kPublicIpAgent[] = L"AppsFlyerPCClient/1.0";
constexpr wchar_t kJsonHeader[] = L"Content-Type: application/json\r\n";

// One HTTPS exchange with one host; members close in reverse order.
struct Exchange {
  UniqueWinHttp session;
  UniqueWinHttp connection;
  UniqueWinHttp request;

  // Opens the session and the connection; false with the system's error code when either fails.
  bool Connect(const wchar_t* agent, const std::string& host, uint32_t& errorCode) {
    session.reset(::WinHttpOpen(agent, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                                WINHTTP_NO_PROXY_BYPASS, 0));
    if (session) {
      ::WinHttpSetTimeouts(session.get(), static_cast<int>(kConnectTimeoutMs),
                           static_cast<int>(kConnectTimeoutMs), static_cast<int>(kSendTimeoutMs),
                           static_cast<int>(kReceiveTimeoutMs));
      connection.reset(::WinHttpConnect(session.get(), Widen(host).c_str(), INTERNET_DEFAULT_HTTPS_PORT, 0));
    }
    if (!connection) {
      errorCode = ::GetLastError();
      return false;
    }
    return true;
  }

  // A redirect is never followed: its answer is the exchange's answer, and not a 200.
  bool OpenRequest(const wchar_t* verb, const wchar_t* path) {
    request.reset(::WinHttpOpenRequest(connection.get(), verb, path, nullptr, WINHTTP_NO_REFERER,
                                       WINHTTP_DEFAULT_ACCEPT_TYPES, WINHTTP_FLAG_SECURE));
    DWORD noRedirects = WINHTTP_DISABLE_REDIRECTS;
    return request.valid() && ::WinHttpSetOption(request.get(), WINHTTP_OPTION_DISABLE_FEATURE, &noRedirects,
                                                 sizeof(noRedirects));
  }

  [[nodiscard]] uint32_t StatusCode() const {
    DWORD status = 0;
    DWORD size = sizeof(status);
    if (!::WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                               WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX)) {
      return 0;
    }
    return status;
  }

  // The response body up to kMaxAnswerBytes; a failing call ends it with what has arrived.
  [[nodiscard]] std::string ReadAnswer() const {
    std::string answer;
    DWORD available = 0;
    while (answer.size() < kMaxAnswerBytes && ::WinHttpQueryDataAvailable(request.get(), &available) &&
           available > 0) {
      const size_t start = answer.size();
      answer.resize(start + std::min<size_t>(available, kMaxAnswerBytes - start));
      DWORD read = 0;
      if (!::WinHttpReadData(request.get(), answer.data() + start, static_cast<DWORD>(answer.size() - start),
                             &read)) {
        answer.resize(start);
        break;
      }
      answer.resize(start + read);
      if (read == 0) break;
    }
    return answer;
  }
};

class WinHttpTrackingEnv final : public TrackingReportEnv {
 public:
  bool Connect(uint32_t& errorCode) override {
    return exchange_.Connect(kReportAgent, TrackingHost(), errorCode);
  }

  bool OpenRequest() override { return exchange_.OpenRequest(L"POST", Widen(kTrackingPath).c_str()); }

  std::optional<Guid> NewGuid() override {
    GUID guid{};
    if (::CoCreateGuid(&guid) != S_OK) return std::nullopt;
    Guid parts{guid.Data1, guid.Data2, guid.Data3, {}};
    std::copy(std::begin(guid.Data4), std::end(guid.Data4), parts.data4.begin());
    return parts;
  }

  std::string PublicIp() override { return GetPublicIp(); }

  std::optional<OsVersion> SystemVersion() override {
    // RtlGetVersion reports the real version; GetVersionEx answers what the manifest claims.
    using RtlGetVersionFn = LONG(WINAPI*)(RTL_OSVERSIONINFOW*);
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    const FARPROC found = ntdll ? ::GetProcAddress(ntdll, "RtlGetVersion") : nullptr;
    if (!found) return std::nullopt;
    const auto rtlGetVersion = reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void*>(found));
    RTL_OSVERSIONINFOW info{};
    static_assert(sizeof(info) == 276);
    info.dwOSVersionInfoSize = sizeof(info);
    if (rtlGetVersion(&info) != 0) return std::nullopt;
    return OsVersion{info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber};
  }

  uint16_t ProcessorArchitecture() override {
    SYSTEM_INFO info{};
    ::GetNativeSystemInfo(&info);
    return info.wProcessorArchitecture;
  }

  bool Send(const std::string& body, uint32_t& errorCode) override {
    const DWORD length = static_cast<DWORD>(body.size());
    if (!::WinHttpSendRequest(exchange_.request.get(), kJsonHeader, static_cast<DWORD>(-1),
                              const_cast<char*>(body.data()), length, length, 0)) {
      errorCode = ::GetLastError();
      return false;
    }
    return true;
  }

  bool Receive(uint32_t& errorCode) override {
    if (!::WinHttpReceiveResponse(exchange_.request.get(), nullptr)) {
      errorCode = ::GetLastError();
      return false;
    }
    return true;
  }

  uint32_t StatusCode() override { return exchange_.StatusCode(); }
  std::string ResponseBody() override { return exchange_.ReadAnswer(); }
  std::string TrackingHost() override { return sl::TrackingHost(); }

 private:
  Exchange exchange_;
};

// The service's bytes are text in the machine's ANSI code page.
std::string FromAnsi(const std::string& bytes) {
  const int size = static_cast<int>(bytes.size());
  const int units = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
  if (units <= 0) return std::string();
  std::wstring text(static_cast<size_t>(units), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, text.data(), units);
  return Narrow(text);
}

}  // namespace

bool SendSLTrackingReport(const std::string& userId) {
  WinHttpTrackingEnv env;
  return RunTrackingReport(env, userId);
}

std::string GetPublicIp() {
  Exchange exchange;
  uint32_t errorCode = 0;
  if (!exchange.Connect(kPublicIpAgent, PublicIpHost(), errorCode) || !exchange.OpenRequest(L"GET", L"/") ||
      !::WinHttpSendRequest(exchange.request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA,
                            0, 0, 0) ||
      !::WinHttpReceiveResponse(exchange.request.get(), nullptr)) {
    return kNoPublicIp;
  }
  const uint32_t status = exchange.StatusCode();
  return PublicIpFromAnswer(status, FromAnsi(exchange.ReadAnswer()));
}

void StartTrackingReport(std::string userId) {
  // No thread, no report: nothing else depends on it.
  static_cast<void>(
      StartWorkerThread("SendSLTrackingReport", [id = std::move(userId)] { SendSLTrackingReport(id); }));
}

}  // namespace sl
