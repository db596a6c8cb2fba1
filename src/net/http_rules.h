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
[[nodiscard]] uint32_t OpenUrlFlags(std::string_view url, bool plainHttpAllowed);

// A manifest longer than this is no manifest: far above any real list, and a bound on what a
// server can make the program hold in memory.
inline constexpr uint64_t kMaxTextBytes = 1 << 20;

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

struct ServerAnswer {
  int status = 0;
  std::optional<uint64_t> contentLength;
  std::optional<ContentRange> contentRange;
};

enum class DownloadAction {
  WriteBody,        // write the body at `writeOffset`, truncating first when `truncate`
  AlreadyComplete,  // the file on disk already has the full length; read nothing
  RestartWhole,     // the partial file is longer than the remote one: ask again without a range
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
// remote length is refused before a byte is written, so a server cannot fill the disk.
[[nodiscard]] DownloadDecision DecideDownload(bool fileExists, uint64_t localSize,
                                              std::optional<uint64_t> requestedOffset,
                                              const ServerAnswer& answer, uint64_t expectedSize = 0);

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

// A transfer cut short is resumed this many times, after a pause that grows with each attempt
// (attempt counts from 1), before the download fails.
inline constexpr int kResumeAttempts = 3;
[[nodiscard]] uint32_t ResumePauseMs(int attempt);

}  // namespace sl
