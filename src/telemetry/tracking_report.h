// The first-open report: the facts it sends, its JSON body and the run of one report, against an
// environment that reaches the network and the system (WinHTTP in the program, a fake in tests).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sl {

inline constexpr char kTrackingPath[] = "/appsflyer/nativepc/first-open";
inline constexpr char kNoPublicIp[] = "0.0.0.0";

// Answers of the tracking service and of the public-address service are read up to this size;
// both are a few bytes, and an outside server must not make the program hold more.
inline constexpr size_t kMaxAnswerBytes = 64 * 1024;

// The processor architectures that count as 64-bit, and the status of an answer that is read.
inline constexpr uint16_t kArchitectureAmd64 = 9;
inline constexpr uint16_t kArchitectureArm64 = 12;
inline constexpr uint32_t kHttpOk = 200;

struct OsVersion {
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t build = 0;
};

struct Guid {
  uint32_t data1 = 0;
  uint16_t data2 = 0;
  uint16_t data3 = 0;
  std::array<uint8_t, 8> data4{};
};

// "Windows 10", "Windows 11", "Windows 8.1", "Windows 7", or "Windows" when the version is unknown
// or none of those.
[[nodiscard]] std::string OsName(const std::optional<OsVersion>& version);

// "Windows 64 bit" for an x64 or ARM64 processor architecture number, else "Windows 32 bit".
[[nodiscard]] std::string DeviceModel(uint16_t processorArchitecture);

// Lower-case 8-4-4-4-12 text of a GUID.
[[nodiscard]] std::string FormatRequestId(const Guid& guid);

// The public-address service's answer without the blanks and line breaks around it. kNoPublicIp
// when nothing is left or the status is not 200: an error page is no address.
[[nodiscard]] std::string PublicIpFromAnswer(uint32_t httpStatus, std::string_view answer);

struct TrackingFacts {
  std::string userId;
  std::string requestId;  // empty when no GUID could be made
  std::string deviceIp;
  std::string osVersion;
  std::string deviceModel;
};

// The report body: one JSON object without white space, its seven string members in a fixed
// order. Values are escaped, so an odd answer from an outside service cannot break the object or
// add members to it.
[[nodiscard]] std::string ComposeTrackingBody(const TrackingFacts& facts);

class TrackingReportEnv {
 public:
  virtual ~TrackingReportEnv() = default;

  // Opens the session and the connection to the tracking host; on failure errorCode says why.
  [[nodiscard]] virtual bool Connect(uint32_t& errorCode) = 0;
  [[nodiscard]] virtual bool OpenRequest() = 0;
  [[nodiscard]] virtual std::optional<Guid> NewGuid() = 0;
  [[nodiscard]] virtual std::string PublicIp() = 0;
  [[nodiscard]] virtual std::optional<OsVersion> SystemVersion() = 0;
  [[nodiscard]] virtual uint16_t ProcessorArchitecture() = 0;
  // Sends the request with its JSON body (UTF-8).
  [[nodiscard]] virtual bool Send(const std::string& body, uint32_t& errorCode) = 0;
  [[nodiscard]] virtual bool Receive(uint32_t& errorCode) = 0;
  // The HTTP status of the response, 0 when it cannot be read.
  [[nodiscard]] virtual uint32_t StatusCode() = 0;
  // The response body (UTF-8 as sent), at most kMaxAnswerBytes.
  [[nodiscard]] virtual std::string ResponseBody() = 0;
  [[nodiscard]] virtual std::string TrackingHost() = 0;
};

// Sends one report for userId and logs every step. True when the request was sent and a response
// came back, whatever its HTTP status.
bool RunTrackingReport(TrackingReportEnv& env, const std::string& userId);

}  // namespace sl
