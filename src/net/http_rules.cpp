#include "net/http_rules.h"

#include <algorithm>
#include <limits>

#include "base/ascii.h"
#include "base/decimal.h"

namespace sl {
namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

uint32_t OpenUrlFlags(std::string_view url, bool plainHttpAllowed) {
  uint32_t flags = kFlagReload | kFlagKeepConnection | kFlagPragmaNoCache | kFlagNoCacheWrite;
  if (!plainHttpAllowed || StartsWithNoCase(url, "https://")) flags |= kFlagSecure;
  return flags;
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

namespace {

DownloadDecision DecideForAnswer(bool fileExists, uint64_t localSize, std::optional<uint64_t> requestedOffset,
                                 const ServerAnswer& answer) {
  DownloadDecision decision;
  if (answer.status == 200) {
    // A whole body, also when a range was asked for and the server ignored it.
    if (!answer.contentLength) return {DownloadAction::MissingLength};
    decision.total = *answer.contentLength;
    if (fileExists && localSize == decision.total) {
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
  decision.total = range->total;
  decision.action = localSize == decision.total ? DownloadAction::AlreadyComplete : DownloadAction::WriteBody;
  decision.writeOffset = *requestedOffset;
  return decision;
}

}  // namespace

DownloadDecision DecideDownload(bool fileExists, uint64_t localSize, std::optional<uint64_t> requestedOffset,
                                const ServerAnswer& answer, uint64_t expectedSize) {
  DownloadDecision decision = DecideForAnswer(fileExists, localSize, requestedOffset, answer);
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

uint32_t ResumePauseMs(int attempt) { return 500u << std::clamp(attempt - 1, 0, 4); }

}  // namespace sl
