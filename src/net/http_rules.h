// Platform-free rules of the HTTP client: request flags, header parsing, the resume decision.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sl {

// WinINet open flags: always from the server (reload, no-cache) on a kept connection, never into
// WinINet's URL cache (a second copy of every release file on the system drive), over TLS with
// every certificate check left on. Only a build that allows plain HTTP (tests, demo, benchmarks)
// speaks it to an http:// URL; any other build asks for TLS whatever the scheme, so nothing it
// sends or takes in, its own replacement least of all, ever crosses the network in clear text.
inline constexpr uint32_t kFlagReload = 0x80000000;
inline constexpr uint32_t kFlagSecure = 0x00800000;
inline constexpr uint32_t kFlagKeepConnection = 0x00400000;
inline constexpr uint32_t kFlagPragmaNoCache = 0x00000100;
inline constexpr uint32_t kFlagNoCacheWrite = 0x04000000;
// Redirects are followed by the program itself (FollowRedirect), never by WinINet.
inline constexpr uint32_t kFlagNoAutoRedirect = 0x00200000;
// The download server sets no cookies and asks for no login: WinINet need not look up either for
// every request (a small file pays for that lookup more than for its bytes), nor show a dialog.
inline constexpr uint32_t kFlagNoCookies = 0x00080000;
inline constexpr uint32_t kFlagNoAuth = 0x00040000;
inline constexpr uint32_t kFlagNoUi = 0x00000200;
[[nodiscard]] uint32_t OpenUrlFlags(std::string_view url, bool plainHttpAllowed);

[[nodiscard]] bool IsPlainHttp(std::string_view url);

// Redirects: 301, 302, 303, 307 and 308 are followed, five hops at most, keeping the request's
// headers. A request on https goes on to https only; http, where a build speaks it, to either.
inline constexpr int kMaxRedirects = 5;
[[nodiscard]] bool IsRedirectStatus(uint32_t status);

// A Location header resolved against the URL that was asked for: absolute, scheme-relative
// ("//host/a"), absolute-path ("/a"), query ("?v=2") or relative ("a"). None when it is empty or
// holds a control character.
[[nodiscard]] std::optional<std::string> ResolveLocation(std::string_view from, std::string_view location);

// Why the program will not send a request or follow a redirect; none when it may.
enum class Refusal { ClearText, Downgrade, OtherScheme, TooManyRedirects };
[[nodiscard]] std::optional<Refusal> JudgeRequest(std::string_view url, bool plainHttpAllowed);
[[nodiscard]] std::optional<Refusal> JudgeRedirect(std::string_view from, std::string_view to, int hop,
                                                   bool plainHttpAllowed);
// The player's text for a refusal, naming the refused URL, and the log's, naming both.
[[nodiscard]] std::string RefusalText(Refusal refusal, std::string_view refusedUrl);
[[nodiscard]] std::string RefusalLogText(Refusal refusal, std::string_view from, std::string_view to);

// A manifest longer than this is no manifest: far above any real list, and a bound on what a
// server can make the program hold in memory.
inline constexpr uint64_t kMaxTextBytes = 1 << 20;

// Files listed below this size are fetched several at a time, each on a connection of its own:
// their round trips, not the link, decide how long they take. Larger ones go one at a time.
inline constexpr uint64_t kSmallFileBytes = 1 << 20;
inline constexpr int kSmallFilesInFlight = 4;
// A listed size of 0 is unknown, never small.
[[nodiscard]] constexpr bool IsSmallFile(uint64_t listedSize) {
  return listedSize > 0 && listedSize < kSmallFileBytes;
}

// A Content-Length header value; none for anything but plain decimal digits, and for lengths past
// 2^63 - 1, which no file has and signed counts cannot hold.
[[nodiscard]] std::optional<uint64_t> ParseContentLength(std::string_view text);

// "bytes first-last/total" or, in a 416 answer, "bytes */total".
struct ContentRange {
  bool satisfied = true;
  uint64_t first = 0;
  uint64_t last = 0;
  uint64_t total = 0;
};
[[nodiscard]] std::optional<ContentRange> ParseContentRange(std::string_view text);

// A partial file of `size` bytes is resumed one byte early: that byte is fetched and written again.
[[nodiscard]] std::optional<uint64_t> ResumeOffset(bool fileExists, uint64_t size);

// The validator of an answer, which If-Range sends back: its strong ETag, else its Last-Modified;
// empty when it has neither (a weak ETag cannot vouch for bytes).
[[nodiscard]] std::string ChooseValidator(std::optional<std::string_view> etag,
                                          std::optional<std::string_view> lastModified);

// Kept beside a file being downloaded (its name + kResumeRecordSuffix): where its bytes came
// from. A resume may splice only bytes of one build of a file, which If-Range with this validator
// makes the server vouch for.
struct ResumeRecord {
  std::string url;
  std::string validator;  // may be empty: the server gave none
  bool operator==(const ResumeRecord&) const = default;
};
inline constexpr std::string_view kResumeRecordSuffix = ".sl-resume";
inline constexpr size_t kMaxResumeRecordBytes = 4096;
[[nodiscard]] std::string FormatResumeRecord(const ResumeRecord& record);
// None for anything this program did not write.
[[nodiscard]] std::optional<ResumeRecord> ParseResumeRecord(std::string_view text);

// How to ask for a file of which `localSize` bytes are on disk.
struct RequestPlan {
  std::optional<uint64_t> rangeFrom;  // "Range: bytes=<from>-"
  std::string ifRange;                // "If-Range: <validator>"; empty: not sent
  // The file on disk cannot be vouched for: it is fetched whole and written over.
  bool discard = false;
};

// A partial or whole file is resumed one byte early, under If-Range when its record, from the same
// URL, holds a validator. Without one, only a file whose content is checked afterwards (an MD5 in
// the list) is resumed plainly, and only when no record names another URL; anything else is
// fetched again: a stale file of an older release may have the same name and size.
[[nodiscard]] RequestPlan PlanRequest(bool fileExists, uint64_t localSize,
                                      const std::optional<ResumeRecord>& record, std::string_view url,
                                      bool contentChecked);

struct ServerAnswer {
  int status = 0;
  std::optional<uint64_t> contentLength;
  std::optional<ContentRange> contentRange;
  std::string etag;  // the headers as they came; empty when missing
  std::string lastModified;
};

enum class DownloadAction {
  WriteBody,        // write the body at `writeOffset`, truncating first when `truncate`
  AlreadyComplete,  // the file on disk already has the full length; read nothing
  RestartWhole,     // the partial file is longer than the remote one: ask again without a range
  Republished,      // a partial answer of another build of the file: ask again without a range
  HttpError,        // a status that is not an answer to this request
  MissingLength,    // no usable Content-Length
  WrongRange,       // a partial answer that does not start where the file resumes
  WrongLength,      // the remote file's length is not the one the caller expects
};

struct DownloadDecision {
  DownloadAction action = DownloadAction::HttpError;
  uint64_t writeOffset = 0;
  uint64_t total = 0;  // full length of the remote file
  bool truncate = false;
};

// What to do with the server's answer, given what is on disk and the range that was asked for.
// expectedSize, when not 0, is the length the file must have (a release list's size): any other
// remote length is refused before a byte is written, so a server cannot fill the disk. A whole
// (200) answer is always written, over what is on disk: it is the server's file as it is now.
// `sentIfRange` is the validator the request carried; a partial answer naming another one of the
// same kind (ETag or date) is a server that ignored it.
[[nodiscard]] DownloadDecision DecideDownload(bool fileExists, uint64_t localSize,
                                              std::optional<uint64_t> requestedOffset,
                                              const ServerAnswer& answer, uint64_t expectedSize = 0,
                                              std::string_view sentIfRange = {});

// Sizes a download's body reads. WinINet is fast only with large reads, and a read returns when
// its buffer is full, while each read ends in a progress message that a slow link must still see
// often: so each read should take about kReadTargetSeconds at the rate measured over the last
// window of at least kRateWindowSeconds, within [kMinReadBytes, kMaxReadBytes]. The first reads
// are small, and a size grows at most fourfold a window, so that the burst a connection starts
// with cannot make a slow link's next read last long.
inline constexpr uint32_t kFirstReadBytes = 16 * 1024;
inline constexpr uint32_t kMinReadBytes = 4 * 1024;
inline constexpr uint32_t kMaxReadBytes = 1024 * 1024;
inline constexpr double kReadTargetSeconds = 0.25;
inline constexpr double kRateWindowSeconds = 0.05;

class ReadSizer {
 public:
  explicit ReadSizer(double now) : windowStart_(now) {}
  [[nodiscard]] uint32_t Next() const { return size_; }
  // `bytes` arrived by `now` (seconds on any steady clock).
  void Record(uint64_t bytes, double now);

 private:
  uint32_t size_ = kFirstReadBytes;
  double windowStart_;
  uint64_t windowBytes_ = 0;
};

}  // namespace sl
