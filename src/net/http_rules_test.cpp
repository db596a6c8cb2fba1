#include "net/http_rules.h"

#include <gtest/gtest.h>

#include <vector>

namespace sl {
namespace {

TEST(OpenUrlFlags, PlainHttpOnlyWhereTheBuildAllowsIt) {
  // Reload, keep-connection and no-cache as always, nothing written into WinINet's cache, no
  // redirect followed by WinINet, no cookie, login or dialog.
  EXPECT_EQ(OpenUrlFlags("http://127.0.0.1/a", true), 0x846C0300u);
  EXPECT_EQ(OpenUrlFlags("https://host/a", true), 0x84EC0300u);
  EXPECT_EQ(OpenUrlFlags("HTTPS://host/a", true), 0x84EC0300u);
  EXPECT_EQ(OpenUrlFlags("httpsx", true), 0x846C0300u);
  // A shipped build asks for TLS whatever the list or the manifest says.
  EXPECT_EQ(OpenUrlFlags("http://127.0.0.1/a", false), 0x84EC0300u);
  EXPECT_EQ(OpenUrlFlags("HTTP://host/a", false), 0x84EC0300u);
}

TEST(Redirects, LocationsResolveAgainstTheUrlAsked) {
  const std::string from = "https://cdn.example/patch/a/b.ini?t=1";
  const std::pair<const char*, const char*> cases[] = {
      {"https://other/x.ini", "https://other/x.ini"},    {"//mirror/x.ini", "https://mirror/x.ini"},
      {"/root.ini", "https://cdn.example/root.ini"},     {"c.ini", "https://cdn.example/patch/a/c.ini"},
      {"?t=2", "https://cdn.example/patch/a/b.ini?t=2"}, {" HTTP://x/y ", "HTTP://x/y"},
  };
  for (const auto& [location, resolved] : cases)
    EXPECT_EQ(ResolveLocation(from, location), resolved) << location;
  EXPECT_EQ(ResolveLocation("https://h", "c.ini"), "https://h/c.ini");
  EXPECT_FALSE(ResolveLocation(from, ""));
  EXPECT_FALSE(ResolveLocation(from, "https://x/\r\nX-Evil: 1"));
}

// A request that began on https never goes on in clear text; a shipped build never speaks it.
TEST(Redirects, NeverDownToClearText) {
  for (bool plain : {false, true}) {
    EXPECT_FALSE(JudgeRedirect("https://a/x", "https://b/y", 0, plain));
    EXPECT_EQ(JudgeRedirect("https://a/x", "http://b/y", 0, plain), Refusal::Downgrade);
    EXPECT_EQ(JudgeRedirect("https://a/x", "ftp://b/y", 0, plain), Refusal::OtherScheme);
    EXPECT_EQ(JudgeRedirect("https://a/x", "https://b/y", kMaxRedirects, plain), Refusal::TooManyRedirects);
    EXPECT_FALSE(JudgeRequest("HTTPS://a/x", plain));
  }
  EXPECT_FALSE(JudgeRedirect("http://a/x", "http://b/y", 4, true));
  EXPECT_FALSE(JudgeRedirect("http://a/x", "https://b/y", 0, true));
  EXPECT_EQ(JudgeRequest("http://a/x", false), Refusal::ClearText);
  EXPECT_EQ(RefusalText(Refusal::ClearText, "http://a/x"),
            "Địa chỉ không dùng kết nối bảo mật (https), chương trình không tải: http://a/x");
  EXPECT_EQ(RefusalLogText(Refusal::Downgrade, "https://a/x", "http://b/y"),
            "Từ chối chuyển hướng từ https://a/x sang http://b/y");
}

TEST(HeaderParsing, ContentLengthIsDigitsOnlyAndFitsSignedSixtyFourBits) {
  EXPECT_EQ(ParseContentLength("2684354560"), 2684354560u);  // 2.5 GiB
  EXPECT_EQ(ParseContentLength(" 0 "), 0u);
  EXPECT_EQ(ParseContentLength("9223372036854775807"), uint64_t{INT64_MAX});
  EXPECT_FALSE(ParseContentLength("9223372036854775808"));  // would be a negative count
  EXPECT_FALSE(ParseContentLength("18446744073709551616"));
  EXPECT_FALSE(ParseContentRange("bytes 0-1/9223372036854775808"));
  EXPECT_FALSE(ParseContentLength(""));
  EXPECT_FALSE(ParseContentLength("-1"));
  EXPECT_FALSE(ParseContentLength("12a"));
}

TEST(HeaderParsing, ContentRange) {
  auto range = ParseContentRange("bytes 999-4999/5000");
  ASSERT_TRUE(range);
  EXPECT_TRUE(range->satisfied);
  EXPECT_EQ(range->first, 999u);
  EXPECT_EQ(range->last, 4999u);
  EXPECT_EQ(range->total, 5000u);

  range = ParseContentRange("bytes */5000");
  ASSERT_TRUE(range);
  EXPECT_FALSE(range->satisfied);
  EXPECT_EQ(range->total, 5000u);

  EXPECT_FALSE(ParseContentRange("bytes 10-5/20"));  // reversed
  EXPECT_FALSE(ParseContentRange("bytes 0-20/20"));  // past the end
  EXPECT_FALSE(ParseContentRange("items 0-1/2"));
  EXPECT_FALSE(ParseContentRange("bytes 0-1/*"));
}

TEST(ResumeOffset, RefetchesTheLastByteOnDisk) {
  EXPECT_FALSE(ResumeOffset(false, 0));
  EXPECT_FALSE(ResumeOffset(true, 0));
  EXPECT_EQ(ResumeOffset(true, 1000), 999u);
}

ServerAnswer Whole(uint64_t length) { return {200, length, std::nullopt, {}, {}}; }
ServerAnswer Partial(uint64_t first, uint64_t total) {
  return {206, total - first, ContentRange{true, first, total - 1, total}, {}, {}};
}

TEST(DecideDownload, FreshFile) {
  auto d = DecideDownload(false, 0, std::nullopt, Whole(5000));
  EXPECT_EQ(d.action, DownloadAction::WriteBody);
  EXPECT_EQ(d.writeOffset, 0u);
  EXPECT_EQ(d.total, 5000u);
  EXPECT_FALSE(d.truncate);

  // An empty remote file with no local file is still created.
  EXPECT_EQ(DecideDownload(false, 0, std::nullopt, Whole(0)).action, DownloadAction::WriteBody);
  // An empty local file that matches an empty remote one is already complete.
  EXPECT_EQ(DecideDownload(true, 0, std::nullopt, Whole(0)).action, DownloadAction::AlreadyComplete);
  EXPECT_EQ(DecideDownload(false, 0, std::nullopt, {200, std::nullopt, std::nullopt, {}, {}}).action,
            DownloadAction::MissingLength);
  EXPECT_EQ(DecideDownload(false, 0, std::nullopt, {404, 10, std::nullopt, {}, {}}).action,
            DownloadAction::HttpError);
  EXPECT_EQ(DecideDownload(false, 0, std::nullopt, Partial(0, 10)).action, DownloadAction::HttpError);
}

TEST(DecideDownload, ResumeWithARange) {
  auto d = DecideDownload(true, 1000, 999, Partial(999, 5000));
  EXPECT_EQ(d.action, DownloadAction::WriteBody);
  EXPECT_EQ(d.writeOffset, 999u);
  EXPECT_EQ(d.total, 5000u);
  EXPECT_FALSE(d.truncate);

  EXPECT_EQ(DecideDownload(true, 5000, 4999, Partial(4999, 5000)).action, DownloadAction::AlreadyComplete);
  EXPECT_EQ(DecideDownload(true, 1000, 999, Partial(998, 5000)).action, DownloadAction::WrongRange);
  EXPECT_EQ(DecideDownload(true, 1000, 999, {206, 4000, ContentRange{true, 999, 4999, 5000}, {}, {}}).action,
            DownloadAction::WrongRange);  // length disagrees with the range
  EXPECT_EQ(DecideDownload(true, 1000, 999, {206, 4001, std::nullopt, {}, {}}).action,
            DownloadAction::WrongRange);
  EXPECT_EQ(DecideDownload(true, 1000, 999, {206, std::nullopt, std::nullopt, {}, {}}).action,
            DownloadAction::MissingLength);
}

TEST(DecideDownload, ServerIgnoringTheRangeRewritesFromTheStart) {
  auto d = DecideDownload(true, 1000, 999, Whole(5000));
  EXPECT_EQ(d.action, DownloadAction::WriteBody);
  EXPECT_EQ(d.writeOffset, 0u);
  EXPECT_TRUE(d.truncate);
  // A whole answer to a complete file is the server's file now (changed, as If-Range said): written.
  d = DecideDownload(true, 5000, 4999, Whole(5000));
  EXPECT_EQ(d.action, DownloadAction::WriteBody);
  EXPECT_TRUE(d.truncate);
}

TEST(DecideDownload, PartialAnswerOfAnotherBuildIsNotSpliced) {
  constexpr std::string_view kDate = "Sun, 06 Nov 1994 08:49:37 GMT";
  ServerAnswer answer = Partial(999, 5000);
  answer.etag = "\"v2\"";
  EXPECT_EQ(DecideDownload(true, 1000, 999, answer, 0, "\"v1\"").action, DownloadAction::Republished);
  EXPECT_EQ(DecideDownload(true, 1000, 999, answer, 0, "\"v2\"").action, DownloadAction::WriteBody);
  // A record holding the date, and a server that has since added a tag: the same build.
  answer.lastModified = kDate;
  EXPECT_EQ(DecideDownload(true, 1000, 999, answer, 0, kDate).action, DownloadAction::WriteBody);
  EXPECT_EQ(DecideDownload(true, 1000, 999, answer, 0, "Mon, 07 Nov 1994 08:49:37 GMT").action,
            DownloadAction::Republished);
  answer = Partial(999, 5000);  // a server that names none cannot contradict the If-Range it honoured
  EXPECT_EQ(DecideDownload(true, 1000, 999, answer, 0, "\"v1\"").action, DownloadAction::WriteBody);
}

TEST(Validators, StrongETagElseLastModifiedNeverALineBreak) {
  constexpr std::string_view kDate = "Sun, 06 Nov 1994 08:49:37 GMT";
  EXPECT_EQ(ChooseValidator(" \"5f-a\" ", kDate), "\"5f-a\"");
  EXPECT_EQ(ChooseValidator("W/\"5f-a\"", kDate), kDate) << "a weak tag vouches for no byte";
  EXPECT_EQ(ChooseValidator("\"a\"\r\nX-Evil: 1", std::nullopt), "");
}

TEST(ResumeRecord, RoundTripsAndRefusesAnythingElse) {
  const ResumeRecord record{"https://cdn/a.pak?v=2", "\"5f-a\""};
  EXPECT_EQ(ParseResumeRecord(FormatResumeRecord(record)), record);
  const std::string text = FormatResumeRecord(record);
  EXPECT_FALSE(ParseResumeRecord(text.substr(0, text.size() - 1))) << "cut short";
  EXPECT_FALSE(ParseResumeRecord(text + "more\n"));
  EXPECT_FALSE(ParseResumeRecord(FormatResumeRecord({"", "\"x\""})));
  EXPECT_FALSE(ParseResumeRecord(text + std::string(kMaxResumeRecordBytes, ' ')));
}

// Bytes of two builds of a file must never meet in one file.
TEST(PlanRequest, ResumesOnlyWhatTheServerOrAnMd5CanVouchFor) {
  const std::string url = "https://cdn/a.pak";
  const ResumeRecord tagged{url, "\"v1\""};
  const ResumeRecord untagged{url, ""};
  const ResumeRecord elsewhere{"https://old/a.pak", "\"v0\""};
  for (bool checked : {false, true}) {
    EXPECT_FALSE(PlanRequest(false, 0, tagged, url, checked).rangeFrom);
    EXPECT_FALSE(PlanRequest(true, 0, tagged, url, checked).discard) << "an empty file has nothing to keep";
    const RequestPlan plan = PlanRequest(true, 1000, tagged, url, checked);
    EXPECT_EQ(plan.rangeFrom, 999u);
    EXPECT_EQ(plan.ifRange, "\"v1\"");
    EXPECT_TRUE(PlanRequest(true, 1000, elsewhere, url, checked).discard);
  }
  // With an MD5 to catch a splice, a file without a record (an older build's) resumes plainly.
  EXPECT_EQ(PlanRequest(true, 1000, std::nullopt, url, true).rangeFrom, 999u);
  EXPECT_EQ(PlanRequest(true, 1000, untagged, url, true).ifRange, "");
  EXPECT_TRUE(PlanRequest(true, 1000, std::nullopt, url, false).discard);
  EXPECT_TRUE(PlanRequest(true, 1000, untagged, url, false).discard);
}

TEST(ReadSizer, ReadsTakeAQuarterSecondAtTheRateOfTheLastWindow) {
  ReadSizer slow(0.0);
  EXPECT_EQ(slow.Next(), kFirstReadBytes);
  slow.Record(1024, 0.01);  // a fraction of a window: nothing decided yet
  EXPECT_EQ(slow.Next(), kFirstReadBytes);
  slow.Record(15 * 1024, 0.25);  // 64 KB/s
  EXPECT_EQ(slow.Next(), 16u * 1024);
  slow.Record(1024, 10.25);  // a trickle
  EXPECT_EQ(slow.Next(), kMinReadBytes);

  // Fast: fourfold a window up to the largest read, so a burst at the start cannot mislead it far.
  ReadSizer fast(0.0);
  uint32_t sizes[4];
  for (int i = 0; i < 4; ++i) {
    fast.Record(64u << 20, 0.05 * (i + 1));
    sizes[i] = fast.Next();
  }
  EXPECT_EQ(std::vector<uint32_t>(sizes, sizes + 4),
            (std::vector<uint32_t>{64u * 1024, 256u * 1024, kMaxReadBytes, kMaxReadBytes}));
}

// A release list's size is the only length taken: more could fill the disk, less is never whole.
TEST(DecideDownload, ListedSizeIsTheOnlyLengthAccepted) {
  EXPECT_EQ(DecideDownload(false, 0, std::nullopt, Whole(5000), 5000).action, DownloadAction::WriteBody);
  EXPECT_EQ(DecideDownload(true, 1000, 999, Partial(999, 5000), 5000).action, DownloadAction::WriteBody);
  EXPECT_EQ(DecideDownload(true, 5000, 4999, Partial(4999, 5000), 5000).action,
            DownloadAction::AlreadyComplete);
  for (const uint64_t listed : {4999u, 5001u}) {
    const DownloadDecision d = DecideDownload(true, 1000, 999, Partial(999, 5000), listed);
    EXPECT_EQ(d.action, DownloadAction::WrongLength);
    EXPECT_EQ(d.total, 5000u);
    EXPECT_EQ(DecideDownload(false, 0, std::nullopt, Whole(5000), listed).action,
              DownloadAction::WrongLength);
  }
  // Answers without a usable length keep their own verdicts.
  EXPECT_EQ(DecideDownload(false, 0, std::nullopt, {404, 10, std::nullopt, {}, {}}, 10).action,
            DownloadAction::HttpError);
}

TEST(DecideDownload, StalePartialLongerThanTheRemoteFile) {
  EXPECT_EQ(DecideDownload(true, 9000, 8999, {416, 0, ContentRange{false, 0, 0, 5000}, {}, {}}).action,
            DownloadAction::RestartWhole);
  // The second, range-less request then rewrites the file from the start.
  auto d = DecideDownload(true, 9000, std::nullopt, Whole(5000));
  EXPECT_EQ(d.action, DownloadAction::WriteBody);
  EXPECT_TRUE(d.truncate);
  EXPECT_EQ(DecideDownload(false, 0, std::nullopt, {416, 0, std::nullopt, {}, {}}).action,
            DownloadAction::HttpError);
}

}  // namespace
}  // namespace sl
