// A step's whole download as the progress view shows it: the bytes of every file of its list
// against their sum, the speed over the last seconds and the time left at that speed. Files
// fetched beside the current one count when they end. Portable; the controller feeds it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

namespace sl {

class RunProgress {
 public:
  // The speed is the average over this many seconds, so a burst or a stall moves it gently.
  static constexpr double kSpeedWindowSeconds = 5.0;

  // A new list: the listed sizes (0 where the list gives none), nothing on disk yet.
  void Begin(const std::vector<uint64_t>& listedSizes);
  // File `index` has `bytes` on disk; `answerLength` is its answer's length (0 = unknown), which
  // counts for a file the list gives no size.
  void SetFileBytes(size_t index, uint64_t bytes, uint64_t answerLength = 0);
  // File `index` is whole.
  void SetFileWhole(size_t index);
  // Adds the bytes now on disk to the speed window.
  void Sample(double now);
  // A pause or a file fetched again: the speed starts over from the next samples.
  void ForgetSpeed() { samples_.clear(); }

  // Bytes to show: never above the total, and never a lower share of it than shown before.
  [[nodiscard]] uint64_t ShownDone();
  [[nodiscard]] uint64_t Total() const { return total_; }
  // Bytes per second over the window; none until a second of it has passed.
  [[nodiscard]] std::optional<double> Speed() const;
  // Seconds left at that speed; none while the speed or the total is unknown.
  [[nodiscard]] std::optional<uint32_t> SecondsLeft() const;

 private:
  struct File {
    uint64_t listed = 0;
    uint64_t bytes = 0;
    uint64_t answerLength = 0;
    [[nodiscard]] uint64_t Length() const;
    [[nodiscard]] uint64_t Done() const;
  };
  struct Point {
    double time;
    uint64_t done;
  };
  void Replace(size_t index, const File& file);

  std::vector<File> files_;
  uint64_t done_ = 0;
  uint64_t total_ = 0;
  double shownShare_ = 0;
  std::deque<Point> samples_;
};

}  // namespace sl
