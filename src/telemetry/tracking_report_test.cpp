#include "telemetry/tracking_report.h"

#include <gtest/gtest.h>

#include "diag/log.h"

namespace sl {
namespace {

constexpr char kUser[] = "0f8fad5b-d9cb-469f-a165-70867728950e";
constexpr uint16_t kAmd64 = 9;

// Answers as configured and records what the report asked for, in order.
struct FakeEnv : TrackingReportEnv {
  bool connects = true;
  uint32_t connectError = 0;
  bool opens = true;
  std::optional<Guid> guid =
      Guid{0x1a2b3c4d, 0x5e6f, 0x7a8b, {0x9c, 0xad, 0xbe, 0xcf, 0xd0, 0xe1, 0xf2, 0x03}};
  std::string publicIp = "203.0.113.7";
  std::optional<OsVersion> version = OsVersion{10, 0, 19045};
  bool sends = true;
  bool receives = true;
  uint32_t ioError = 0;
  uint32_t status = 200;
  std::string answer;
  std::vector<std::string> calls;
  std::string sentBody;

  bool Connect(uint32_t& errorCode) override {
    calls.push_back("connect");
    errorCode = connectError;
    return connects;
  }
  bool OpenRequest() override {
    calls.push_back("open");
    return opens;
  }
  std::optional<Guid> NewGuid() override {
    calls.push_back("guid");
    return guid;
  }
  std::string PublicIp() override {
    calls.push_back("ip");
    return publicIp;
  }
  std::optional<OsVersion> SystemVersion() override { return version; }
  uint16_t ProcessorArchitecture() override { return kAmd64; }
  bool Send(const std::string& body, uint32_t& errorCode) override {
    calls.push_back("send");
    sentBody = body;
    errorCode = ioError;
    return sends;
  }
  bool Receive(uint32_t& errorCode) override {
    calls.push_back("receive");
    errorCode = ioError;
    return receives;
  }
  uint32_t StatusCode() override { return status; }
  std::string ResponseBody() override { return answer; }
  std::string TrackingHost() override { return "tracking.example"; }
};

std::vector<std::string> LoggedLines() {
  std::vector<std::string> lines;
  for (const CapturedLogEntry& entry : TakeCapturedLog()) {
    EXPECT_EQ(entry.source, "StormlineHelper");
    lines.push_back(entry.errorCode == 0 ? entry.message
                                         : "(" + std::to_string(entry.errorCode) + ") " + entry.message);
  }
  return lines;
}

class TrackingReportRun : public ::testing::Test {
 protected:
  void SetUp() override { (void)TakeCapturedLog(); }
  FakeEnv env;
};

const std::string kStartLines[] = {
    std::string("SendSLTrackingReport afUserId=") + kUser,
    "SendSLTrackingReport calling https://tracking.example/appsflyer/nativepc/first-open"};

TEST_F(TrackingReportRun, SendsTheSevenFactsAndLogsEveryStep) {
  env.answer = "{\"ok\":true}";
  EXPECT_TRUE(RunTrackingReport(env, kUser));
  const std::string body =
      "{\"afUserId\":\"0f8fad5b-d9cb-469f-a165-70867728950e\","
      "\"requestId\":\"1a2b3c4d-5e6f-7a8b-9cad-becfd0e1f203\",\"deviceIp\":\"203.0.113.7\","
      "\"deviceUserAgent\":\"SL1025\",\"appVersion\":\"1.0.2.5\",\"osVersion\":\"Windows 10\","
      "\"deviceModel\":\"Windows 64 bit\"}";
  EXPECT_EQ(env.sentBody, body);
  EXPECT_EQ(env.calls, (std::vector<std::string>{"connect", "open", "guid", "ip", "send", "receive"}));
  EXPECT_EQ(LoggedLines(),
            (std::vector<std::string>{kStartLines[0], kStartLines[1], "SendSLTrackingReport payload=" + body,
                                      "SendSLTrackingReport response status: 200",
                                      "SendSLTrackingReport response body={\"ok\":true}",
                                      "SendSLTrackingReport done, result=SUCCESS"}));
}

TEST_F(TrackingReportRun, AnHttpErrorStillCountsAsAnswered) {
  env.status = 404;
  EXPECT_TRUE(RunTrackingReport(env, kUser));
  const auto lines = LoggedLines();
  ASSERT_EQ(lines.size(), 5u) << "an empty answer body is not logged";
  EXPECT_EQ(lines[3], "SendSLTrackingReport response status: 404");
  EXPECT_EQ(lines[4], "SendSLTrackingReport done, result=SUCCESS");
}

TEST_F(TrackingReportRun, NoConnectionEndsAfterOneFailureLine) {
  env.connects = false;
  env.connectError = 12007;
  EXPECT_FALSE(RunTrackingReport(env, kUser));
  EXPECT_EQ(env.calls, std::vector<std::string>{"connect"});
  EXPECT_EQ(LoggedLines(), (std::vector<std::string>{kStartLines[0], kStartLines[1],
                                                     "(12007) SendSLTrackingReport WinHttpConnect failed"}));
}

TEST_F(TrackingReportRun, UnopenedRequestGathersNothingAndFails) {
  env.opens = false;
  EXPECT_FALSE(RunTrackingReport(env, kUser));
  EXPECT_EQ(env.calls, (std::vector<std::string>{"connect", "open"}));
  EXPECT_EQ(LoggedLines(), (std::vector<std::string>{kStartLines[0], kStartLines[1],
                                                     "SendSLTrackingReport done, result=FAILED"}));
}

TEST_F(TrackingReportRun, SendOrReceiveFailureIsLoggedWithItsCode) {
  env.sends = false;
  env.ioError = 12029;
  EXPECT_FALSE(RunTrackingReport(env, kUser));
  EXPECT_EQ(env.calls.back(), "send") << "nothing is awaited after a failed send";
  auto lines = LoggedLines();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[3], "(12029) SendSLTrackingReport WinHttpSendRequest failed");
  EXPECT_EQ(lines[4], "SendSLTrackingReport done, result=FAILED");

  env.sends = true;
  env.receives = false;
  env.ioError = 12002;
  EXPECT_FALSE(RunTrackingReport(env, kUser));
  lines = LoggedLines();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[3], "(12002) SendSLTrackingReport WinHttpReceiveResponse failed");
  EXPECT_EQ(lines[4], "SendSLTrackingReport done, result=FAILED");
}

TEST_F(TrackingReportRun, MissingGuidLeavesAnEmptyRequestId) {
  env.guid.reset();
  env.version.reset();
  EXPECT_TRUE(RunTrackingReport(env, kUser));
  EXPECT_NE(env.sentBody.find(",\"requestId\":\"\",\"deviceIp\""), std::string::npos) << env.sentBody;
  EXPECT_NE(env.sentBody.find("\"osVersion\":\"Windows\","), std::string::npos) << env.sentBody;
}

TEST(TrackingBody, OddValuesAreEscapedAndCannotAddMembers) {
  TrackingFacts facts;
  facts.deviceIp = "1.2.3.4\",\"deviceModel\":\"forged";
  facts.osVersion = std::string("a\\b\n\r\t\x01\0", 8);
  const std::string body = ComposeTrackingBody(facts);
  EXPECT_NE(body.find("\"deviceIp\":\"1.2.3.4\\\",\\\"deviceModel\\\":\\\"forged\","), std::string::npos)
      << body;
  EXPECT_NE(body.find("\"osVersion\":\"a\\\\b\\n\\r\\t\\u0001\\u0000\","), std::string::npos) << body;
  EXPECT_EQ(body.find(' '), std::string::npos);
  EXPECT_EQ(body.find('\n'), std::string::npos);
}

TEST(TrackingFactsRules, OperatingSystemNames) {
  struct Row {
    std::optional<OsVersion> version;
    const char* name;
  };
  const Row rows[] = {
      {std::nullopt, "Windows"},
      {OsVersion{10, 0, 19045}, "Windows 10"},
      {OsVersion{10, 0, 21999}, "Windows 10"},
      {OsVersion{10, 0, 22000}, "Windows 11"},
      {OsVersion{6, 3, 9600}, "Windows 8.1"},
      {OsVersion{6, 1, 7601}, "Windows 7"},
      {OsVersion{6, 2, 9200}, "Windows"},
      {OsVersion{5, 1, 2600}, "Windows"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(OsName(row.version), row.name) << (row.version ? row.version->build : 0);
  }
}

TEST(TrackingFactsRules, MachineKindRequestIdAndPublicAddress) {
  EXPECT_EQ(DeviceModel(9), "Windows 64 bit");
  EXPECT_EQ(DeviceModel(12), "Windows 64 bit");
  EXPECT_EQ(DeviceModel(0), "Windows 32 bit");
  EXPECT_EQ(DeviceModel(6), "Windows 32 bit") << "Itanium is not counted as 64 bit";

  EXPECT_EQ(FormatRequestId(Guid{0xABCD, 0xEF, 0x2, {0, 1, 0xA, 0xB, 0xC, 0xD, 0xE, 0xFF}}),
            "0000abcd-00ef-0002-0001-0a0b0c0d0eff");

  EXPECT_EQ(PublicIpFromAnswer(200, "203.0.113.7\n"), "203.0.113.7");
  EXPECT_EQ(PublicIpFromAnswer(200, " \t2001:db8::1\r\n"), "2001:db8::1");
  EXPECT_EQ(PublicIpFromAnswer(200, ""), "0.0.0.0");
  EXPECT_EQ(PublicIpFromAnswer(200, "\r\n"), "0.0.0.0");
  EXPECT_EQ(PublicIpFromAnswer(503, "Service Unavailable"), "0.0.0.0");
}

}  // namespace
}  // namespace sl
