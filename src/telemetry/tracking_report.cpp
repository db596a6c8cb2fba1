#include "telemetry/tracking_report.h"

#include "base/text.h"
#include "base/build_info.h"
#include "diag/log.h"

namespace sl {
namespace {

constexpr char kTrackingLogSource[] = "StormlineHelper";
constexpr uint32_t kFirstWindows11Build = 22000;

void AppendJsonString(std::string& out, std::string_view value) {
  out += '"';
  for (const char c : value) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          out += Format("\\u%04x", static_cast<unsigned>(c));
        } else {
          out += c;
        }
    }
  }
  out += '"';
}

void AppendMember(std::string& out, std::string_view key, std::string_view value) {
  if (out.size() > 1) out += ',';
  AppendJsonString(out, key);
  out += ':';
  AppendJsonString(out, value);
}

}  // namespace

std::string OsName(const std::optional<OsVersion>& version) {
  if (!version) return "Windows";
  if (version->major == 10) return version->build < kFirstWindows11Build ? "Windows 10" : "Windows 11";
  if (version->major == 6 && version->minor == 3) return "Windows 8.1";
  if (version->major == 6 && version->minor == 1) return "Windows 7";
  return "Windows";
}

std::string DeviceModel(uint16_t processorArchitecture) {
  const bool wide =
      processorArchitecture == kArchitectureAmd64 || processorArchitecture == kArchitectureArm64;
  return wide ? "Windows 64 bit" : "Windows 32 bit";
}

std::string FormatRequestId(const Guid& guid) {
  const auto& b = guid.data4;
  return Format("%08x-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x", guid.data1, guid.data2, guid.data3, b[0],
                b[1], b[2], b[3], b[4], b[5], b[6], b[7]);
}

std::string PublicIpFromAnswer(uint32_t httpStatus, std::string_view answer) {
  if (httpStatus != kHttpOk) return kNoPublicIp;
  answer = TrimAsciiSpace(answer);
  return answer.empty() ? std::string(kNoPublicIp) : std::string(answer);
}

std::string ComposeTrackingBody(const TrackingFacts& facts) {
  std::string body = "{";
  AppendMember(body, "afUserId", facts.userId);
  AppendMember(body, "requestId", facts.requestId);
  AppendMember(body, "deviceIp", facts.deviceIp);
  AppendMember(body, "deviceUserAgent", Format("SL%d", OwnVersionNumber()));
  AppendMember(body, "appVersion", OwnVersionText());
  AppendMember(body, "osVersion", facts.osVersion);
  AppendMember(body, "deviceModel", facts.deviceModel);
  body += '}';
  return body;
}

bool RunTrackingReport(TrackingReportEnv& env, const std::string& userId) {
  WriteLog(kTrackingLogSource, 0, Format("SendSLTrackingReport afUserId=%s", userId.c_str()));
  WriteLog(kTrackingLogSource, 0,
           Format("SendSLTrackingReport calling https://%s%s", env.TrackingHost().c_str(), kTrackingPath));
  uint32_t errorCode = 0;
  if (!env.Connect(errorCode)) {
    WriteLog(kTrackingLogSource, errorCode, "SendSLTrackingReport WinHttpConnect failed");
    return false;
  }
  bool result = false;
  if (env.OpenRequest()) {
    TrackingFacts facts;
    facts.userId = userId;
    if (const std::optional<Guid> guid = env.NewGuid()) facts.requestId = FormatRequestId(*guid);
    facts.deviceIp = env.PublicIp();
    facts.osVersion = OsName(env.SystemVersion());
    facts.deviceModel = DeviceModel(env.ProcessorArchitecture());
    const std::string body = ComposeTrackingBody(facts);
    WriteLog(kTrackingLogSource, 0, Format("SendSLTrackingReport payload=%s", body.c_str()));
    if (!env.Send(body, errorCode)) {
      WriteLog(kTrackingLogSource, errorCode, "SendSLTrackingReport WinHttpSendRequest failed");
    } else if (!env.Receive(errorCode)) {
      WriteLog(kTrackingLogSource, errorCode, "SendSLTrackingReport WinHttpReceiveResponse failed");
    } else {
      result = true;
      WriteLog(kTrackingLogSource, 0, Format("SendSLTrackingReport response status: %u", env.StatusCode()));
      const std::string answer = env.ResponseBody();
      if (!answer.empty()) {
        WriteLog(kTrackingLogSource, 0, Format("SendSLTrackingReport response body=%s", answer.c_str()));
      }
    }
  }
  WriteLog(kTrackingLogSource, 0,
           Format("SendSLTrackingReport done, result=%s", result ? "SUCCESS" : "FAILED"));
  return result;
}

}  // namespace sl
