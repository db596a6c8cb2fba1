#include "net/http_rules.h"

#include <algorithm>
#include <limits>

#include "base/text.h"

namespace sl {
namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// A value fit for a header line: no line breaks or other control characters.
bool IsHeaderValue(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
  }
  return true;
}

}  // namespace

uint32_t OpenUrlFlags(std::string_view url, bool plainHttpAllowed) {
  uint32_t flags = kFlagReload | kFlagKeepConnection | kFlagPragmaNoCache | kFlagNoCacheWrite |
                   kFlagNoAutoRedirect | kFlagNoCookies | kFlagNoAuth | kFlagNoUi;
  // JudgeRequest refuses clear text where it is not allowed; the flag stands behind it all the same.
  if (!plainHttpAllowed || StartsWithNoCase(url, "https://")) flags |= kFlagSecure;
  return flags;
}

bool IsPlainHttp(std::string_view url) { return StartsWithNoCase(url, "http://"); }

bool IsRedirectStatus(uint32_t status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

namespace {

bool HasScheme(std::string_view text) {
  const size_t colon = text.find(':');
  if (colon == 0 || colon == std::string_view::npos) return false;
  for (size_t i = 0; i < colon; ++i) {
    const char c = AsciiUpper(text[i]);
    const bool letter = c >= 'A' && c <= 'Z';
    if (!letter && (i == 0 || !((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'))) return false;
  }
  return true;
}

}  // namespace

std::optional<std::string> ResolveLocation(std::string_view from, std::string_view location) {
  location = Trim(location.substr(0, location.find('#')));  // a fragment is nothing a server sees
  if (location.empty() || !IsHeaderValue(location)) return std::nullopt;
  if (HasScheme(location)) return std::string(location);
  const size_t schemeEnd = from.find("://");
  if (schemeEnd == std::string_view::npos) return std::nullopt;
  if (location.starts_with("//")) return std::string(from.substr(0, schemeEnd + 1)) + std::string(location);
  const size_t pathStart = from.find_first_of("/?#", schemeEnd + 3);
  const std::string_view origin = from.substr(0, pathStart);
  if (location.front() == '/') return std::string(origin) + std::string(location);
  const std::string_view withoutQuery = from.substr(0, from.find_first_of("?#", schemeEnd + 3));
  if (location.front() == '?') return std::string(withoutQuery) + std::string(location);
  const size_t lastSlash = withoutQuery.rfind('/');
  const std::string_view folder = lastSlash != std::string_view::npos && lastSlash >= schemeEnd + 3
                                      ? withoutQuery.substr(0, lastSlash + 1)
                                      : std::string_view();
  return (folder.empty() ? std::string(origin) + "/" : std::string(folder)) + std::string(location);
}

std::optional<Refusal> JudgeRequest(std::string_view url, bool plainHttpAllowed) {
  if (StartsWithNoCase(url, "https://")) return std::nullopt;
  if (IsPlainHttp(url)) return plainHttpAllowed ? std::nullopt : std::optional(Refusal::ClearText);
  return Refusal::OtherScheme;
}

std::optional<Refusal> JudgeRedirect(std::string_view from, std::string_view to, int hop,
                                     bool plainHttpAllowed) {
  if (hop >= kMaxRedirects) return Refusal::TooManyRedirects;
  if (!IsPlainHttp(from) && IsPlainHttp(to)) return Refusal::Downgrade;
  return JudgeRequest(to, plainHttpAllowed);
}

std::string RefusalText(Refusal refusal, std::string_view refusedUrl) {
  const std::string url(refusedUrl);
  switch (refusal) {
    case Refusal::ClearText:
      return "Địa chỉ không dùng kết nối bảo mật (https), chương trình không tải: " + url;
    case Refusal::Downgrade:
      return "Máy chủ chuyển hướng sang kết nối không bảo mật, chương trình không theo: " + url;
    case Refusal::OtherScheme:
      return "Máy chủ chuyển hướng sang địa chỉ không phải http hay https, chương trình không theo: " + url;
    case Refusal::TooManyRedirects:
      return "Máy chủ chuyển hướng quá nhiều lần, chương trình dừng ở: " + url;
  }
  return url;
}

std::string RefusalLogText(Refusal refusal, std::string_view from, std::string_view to) {
  const std::string fromText(from);
  const std::string toText(to);
  switch (refusal) {
    case Refusal::ClearText:
      return "Từ chối địa chỉ không bảo mật: " + fromText;
    case Refusal::Downgrade:
    case Refusal::OtherScheme:
      return "Từ chối chuyển hướng từ " + fromText + " sang " + toText;
    case Refusal::TooManyRedirects:
      return "Từ chối chuyển hướng lần thứ " + std::to_string(kMaxRedirects + 1) + " từ " + fromText +
             " sang " + toText;
  }
  return fromText;
}

std::optional<uint64_t> ParseContentLength(std::string_view text) {
  const std::optional<uint64_t> length = ParseDecimalDigits(Trim(text));
  if (length > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) return std::nullopt;
  return length;
}

std::optional<ContentRange> ParseContentRange(std::string_view text) {
  text = Trim(text);
  if (!StartsWithNoCase(text, "bytes ")) return std::nullopt;
  text = Trim(text.substr(6));
  const size_t slash = text.find('/');
  if (slash == std::string_view::npos) return std::nullopt;
  const auto total = ParseContentLength(text.substr(slash + 1));
  if (!total) return std::nullopt;
  const std::string_view span = text.substr(0, slash);
  if (span == "*") return ContentRange{false, 0, 0, *total};
  const size_t dash = span.find('-');
  if (dash == std::string_view::npos) return std::nullopt;
  const auto first = ParseDecimalDigits(span.substr(0, dash));
  const auto last = ParseDecimalDigits(span.substr(dash + 1));
  if (!first || !last || *first > *last || *last >= *total) return std::nullopt;
  return ContentRange{true, *first, *last, *total};
}

std::optional<uint64_t> ResumeOffset(bool fileExists, uint64_t size) {
  if (!fileExists || size == 0) return std::nullopt;
  return size - 1;
}

std::string ChooseValidator(std::optional<std::string_view> etag,
                            std::optional<std::string_view> lastModified) {
  // Sent back in a header line, so never with a line break a server slipped in.
  if (etag) {
    const std::string_view tag = Trim(*etag);
    if (!tag.empty() && !tag.starts_with("W/") && IsHeaderValue(tag)) return std::string(tag);
  }
  if (!lastModified || !IsHeaderValue(Trim(*lastModified))) return {};
  return std::string(Trim(*lastModified));
}

namespace {

constexpr std::string_view kRecordHeader = "Stormline resume 1\n";
constexpr std::string_view kUrlKey = "url=";
constexpr std::string_view kValidatorKey = "validator=";

std::optional<std::string_view> TakeLine(std::string_view& text, std::string_view key) {
  const size_t end = text.find('\n');
  if (end == std::string_view::npos || !text.starts_with(key)) return std::nullopt;
  const std::string_view value = text.substr(key.size(), end - key.size());
  text.remove_prefix(end + 1);
  return value;
}

}  // namespace

std::string FormatResumeRecord(const ResumeRecord& record) {
  return std::string(kRecordHeader) + std::string(kUrlKey) + record.url + "\n" + std::string(kValidatorKey) +
         record.validator + "\n";
}

std::optional<ResumeRecord> ParseResumeRecord(std::string_view text) {
  if (text.size() > kMaxResumeRecordBytes || !text.starts_with(kRecordHeader)) return std::nullopt;
  text.remove_prefix(kRecordHeader.size());
  const auto url = TakeLine(text, kUrlKey);
  const auto validator = TakeLine(text, kValidatorKey);
  if (!url || !validator || !text.empty() || url->empty() || !IsHeaderValue(*url) ||
      !IsHeaderValue(*validator))
    return std::nullopt;
  return ResumeRecord{std::string(*url), std::string(*validator)};
}

RequestPlan PlanRequest(bool fileExists, uint64_t localSize, const std::optional<ResumeRecord>& record,
                        std::string_view url, bool contentChecked) {
  const std::optional<uint64_t> from = ResumeOffset(fileExists, localSize);
  if (!from) return {};
  const bool sameUrl = record && record->url == url;
  if (sameUrl && !record->validator.empty()) return {from, record->validator, false};
  if (contentChecked && (!record || sameUrl)) return {from, {}, false};
  return {std::nullopt, {}, true};
}

namespace {

// Compared kind for kind: a record may hold a date while the server now also sends a tag. An
// answer that names none cannot contradict the If-Range it honoured.
bool NamesAnotherBuild(std::string_view sentIfRange, const ServerAnswer& answer) {
  const std::string_view now = Trim(sentIfRange.starts_with('"') ? answer.etag : answer.lastModified);
  return !now.empty() && now != sentIfRange;
}

DownloadDecision DecideForAnswer(bool fileExists, uint64_t localSize, std::optional<uint64_t> requestedOffset,
                                 const ServerAnswer& answer, std::string_view sentIfRange) {
  DownloadDecision decision;
  if (answer.status == 200) {
    // A whole body, also when a range was asked for: the server ignored it, or If-Range told it
    // that the file changed. Only an empty file matches an empty remote one without a write.
    if (!answer.contentLength) return {DownloadAction::MissingLength};
    decision.total = *answer.contentLength;
    if (fileExists && localSize == 0 && decision.total == 0) {
      decision.action = DownloadAction::AlreadyComplete;
      return decision;
    }
    decision.action = DownloadAction::WriteBody;
    decision.truncate = fileExists && localSize > 0;
    return decision;
  }
  if (!requestedOffset) return {DownloadAction::HttpError};
  if (answer.status == 416) return {DownloadAction::RestartWhole};
  if (answer.status != 206) return {DownloadAction::HttpError};

  if (!answer.contentLength) return {DownloadAction::MissingLength};
  const auto& range = answer.contentRange;
  if (!range || !range->satisfied || range->first != *requestedOffset || range->last + 1 != range->total ||
      *answer.contentLength != range->total - range->first) {
    return {DownloadAction::WrongRange};
  }
  if (!sentIfRange.empty() && NamesAnotherBuild(sentIfRange, answer)) return {DownloadAction::Republished};
  decision.total = range->total;
  decision.action = localSize == decision.total ? DownloadAction::AlreadyComplete : DownloadAction::WriteBody;
  decision.writeOffset = *requestedOffset;
  return decision;
}

}  // namespace

DownloadDecision DecideDownload(bool fileExists, uint64_t localSize, std::optional<uint64_t> requestedOffset,
                                const ServerAnswer& answer, uint64_t expectedSize,
                                std::string_view sentIfRange) {
  DownloadDecision decision = DecideForAnswer(fileExists, localSize, requestedOffset, answer, sentIfRange);
  const bool hasLength =
      decision.action == DownloadAction::WriteBody || decision.action == DownloadAction::AlreadyComplete;
  if (hasLength && expectedSize != 0 && decision.total != expectedSize)
    decision.action = DownloadAction::WrongLength;
  return decision;
}

void ReadSizer::Record(uint64_t bytes, double now) {
  windowBytes_ += bytes;
  const double elapsed = now - windowStart_;
  if (elapsed < kRateWindowSeconds) return;
  const double wanted = static_cast<double>(windowBytes_) / elapsed * kReadTargetSeconds;
  const double bounded =
      std::clamp(wanted, double{kMinReadBytes}, std::min(4.0 * size_, double{kMaxReadBytes}));
  size_ = static_cast<uint32_t>(bounded) / kMinReadBytes * kMinReadBytes;
  windowStart_ = now;
  windowBytes_ = 0;
}

}  // namespace sl
