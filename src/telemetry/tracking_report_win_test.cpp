// The report over real HTTPS: the tracking test server on 127.0.0.1:443 plays both services
// ("localhost" is the tracking host and "127.0.0.1" the public-address host in this test's build).
#include <windows.h>

#include <gtest/gtest.h>

#include <regex>

#include "telemetry/tracking_report_win.h"
#include "tests/support/log_test_support_win.h"
#include "tests/support/tracking_test_support_win.h"

namespace sl {
namespace {

using test::TrackingRequest;

constexpr char kUser[] = "0f8fad5b-d9cb-469f-a165-70867728950e";
constexpr char kKeys[] = "afUserId,requestId,deviceIp,deviceUserAgent,appVersion,osVersion,deviceModel";

std::string g_serverFolder;

class TrackingReportWin : public ::testing::Test {
 protected:
  void SetUp() override {
    server_.Reset();
    logStart_ = test::LogFileSize();
  }

  // The log's entries since the test began, each without its timestamp and closing line breaks.
  std::vector<std::string> LogEntries() const {
    const std::string text = test::ReadLogUtf8(logStart_);
    std::vector<std::string> entries;
    const std::regex entry("\\[\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\]\t([^]*?)\r\n\r\n");
    for (std::sregex_iterator it(text.begin(), text.end(), entry), end; it != end; ++it) {
      entries.push_back((*it)[1]);
    }
    return entries;
  }

  test::TrackingServer server_{g_serverFolder};
  uint64_t logStart_ = 0;
};

// Run in a process of its own: Wine keeps a certificate's verdict for the life of the process.
TEST_F(TrackingReportWin, AnUntrustedServerIsToldNothing) {
  EXPECT_FALSE(SendSLTrackingReport(kUser));
  for (const TrackingRequest& request : server_.Requests()) EXPECT_NE(request.method, "POST");
  const std::vector<std::string> entries = LogEntries();
  ASSERT_EQ(entries.size(), 5u);
  EXPECT_NE(entries[2].find("\"deviceIp\":\"0.0.0.0\""), std::string::npos) << "the lookup failed too";
  // A WinHTTP error code (Windows says 12175, Wine 12157) and the system's text or the fallback.
  EXPECT_TRUE(
      std::regex_match(entries[3], std::regex("StormlineHelper[^\t]*121\\d\\d[^]*\tSendSLTrackingReport "
                                              "WinHttpSendRequest failed")))
      << entries[3];
  EXPECT_EQ(entries[4], "StormlineHelper\tSendSLTrackingReport done, result=FAILED");
}

TEST_F(TrackingReportWin, TheServiceReceivesTheMachinesFactsAndEveryStepIsLogged) {
  test::TrustedCa trust(server_.CaPath());
  ASSERT_TRUE(trust.added());
  EXPECT_TRUE(SendSLTrackingReport(kUser));

  const std::vector<TrackingRequest> requests = server_.Requests();
  ASSERT_EQ(requests.size(), 2u);
  const TrackingRequest& lookup = requests[0];
  EXPECT_EQ(lookup.method + " " + lookup.host + lookup.path, "GET 127.0.0.1/");
  EXPECT_EQ(lookup.agent, "AppsFlyerPCClient/1.0");
  const TrackingRequest& report = requests[1];
  EXPECT_EQ(report.method + " " + report.host + report.path, "POST localhost/appsflyer/nativepc/first-open");
  EXPECT_EQ(report.agent, "Game Downloader Agent/1.0");
  EXPECT_EQ(report.type, "application/json");
  EXPECT_EQ(report.json, "ok");
  EXPECT_EQ(report.keys, kKeys);
  // The prefix's Windows version is Wine's choice; the whole-program test pins one. The service's
  // answer ends in a line break.
  const std::regex body(
      "\\{\"afUserId\":\"0f8fad5b-d9cb-469f-a165-70867728950e\",\"requestId\":\"[0-9a-f]{8}-[0-9a-f]{4}-"
      "[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}\",\"deviceIp\":\"203\\.0\\.113\\.9\",\"deviceUserAgent\":"
      "\"SL1025\","
      "\"appVersion\":\"1\\.0\\.2\\.5\",\"osVersion\":\"Windows( 7| 8\\.1| 10| "
      "11)?\",\"deviceModel\":\"Windows 64 bit\"\\}");
  EXPECT_TRUE(std::regex_match(report.body, body)) << report.body;

  const std::vector<std::string> expected = {
      std::string("StormlineHelper\tSendSLTrackingReport afUserId=") + kUser,
      "StormlineHelper\tSendSLTrackingReport calling https://localhost/appsflyer/nativepc/first-open",
      "StormlineHelper\tSendSLTrackingReport payload=" + report.body,
      "StormlineHelper\tSendSLTrackingReport response status: 200",
      "StormlineHelper\tSendSLTrackingReport response body={\"status\":\"ok\"}",
      "StormlineHelper\tSendSLTrackingReport done, result=SUCCESS"};
  EXPECT_EQ(LogEntries(), expected);

  server_.Reset();
  EXPECT_TRUE(SendSLTrackingReport(kUser));
  ASSERT_EQ(server_.Requests().size(), 2u);
  EXPECT_NE(server_.Requests()[1].body.substr(0, 100), report.body.substr(0, 100))
      << "every report has its own request id";
}

TEST_F(TrackingReportWin, ErrorStatusesAndOddAddressAnswers) {
  test::TrustedCa trust(server_.CaPath());
  ASSERT_TRUE(trust.added());
  server_.SetAnswer(L"report", "", 404);
  server_.SetAnswer(L"ip", "198.51.100.4\",\"deviceModel\":\"forged\r\n", 200);
  EXPECT_TRUE(SendSLTrackingReport(kUser)) << "an HTTP error is still an answer";
  const std::vector<TrackingRequest> requests = server_.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1].json, "ok") << requests[1].body;
  EXPECT_EQ(requests[1].keys, kKeys);
  EXPECT_NE(requests[1].body.find("\"deviceIp\":\"198.51.100.4\\\",\\\"deviceModel\\\":\\\"forged\","),
            std::string::npos)
      << requests[1].body;
  const std::vector<std::string> entries = LogEntries();
  ASSERT_EQ(entries.size(), 5u) << "no line for an empty answer body";
  EXPECT_EQ(entries[3], "StormlineHelper\tSendSLTrackingReport response status: 404");
  EXPECT_EQ(entries[4], "StormlineHelper\tSendSLTrackingReport done, result=SUCCESS");

  server_.SetAnswer(L"ip", "198.51.100.4", 500);
  EXPECT_EQ(GetPublicIp(), "0.0.0.0") << "an error page is no address";
  server_.SetAnswer(L"ip", "", 200);
  EXPECT_EQ(GetPublicIp(), "0.0.0.0");
  server_.SetAnswer(L"ip", " 2001:db8::7\n", 200);
  EXPECT_EQ(GetPublicIp(), "2001:db8::7");
}

}  // namespace
}  // namespace sl

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc < 2) {
    fprintf(stderr, "usage: %s <tracking server folder>\n", argv[0]);
    return 2;
  }
  sl::g_serverFolder = argv[1];
  return RUN_ALL_TESTS();
}
