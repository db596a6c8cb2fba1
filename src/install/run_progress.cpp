#include "install/run_progress.h"

#include <algorithm>

#include "base/text.h"

namespace sl {
namespace {

// The speed is told only once the window spans this much; a first read's burst says nothing.
constexpr double kFirstSpeedSeconds = 1.0;

}  // namespace

uint64_t RunProgress::File::Length() const {
  if (listed != 0) return listed;
  // Unknown to the list and the answer so far: what arrived is all that is known to come.
  return std::max(answerLength, bytes);
}

uint64_t RunProgress::File::Done() const { return std::min(bytes, Length()); }

void RunProgress::Begin(const std::vector<uint64_t>& listedSizes) {
  files_.clear();
  done_ = 0;
  total_ = 0;
  shownShare_ = 0;
  samples_.clear();
  for (uint64_t size : listedSizes) {
    files_.push_back(File{size, 0, 0});
    total_ += size;
  }
}

void RunProgress::Replace(size_t index, const File& file) {
  if (index >= files_.size()) return;
  File& old = files_[index];
  done_ -= old.Done();
  total_ -= old.Length();
  old = file;
  done_ += old.Done();
  total_ += old.Length();
}

void RunProgress::SetFileBytes(size_t index, uint64_t bytes, uint64_t answerLength) {
  if (index >= files_.size()) return;
  const uint64_t before = done_;
  Replace(index, File{files_[index].listed, bytes, answerLength});
  // Bytes gone (a file fetched again) would show as a negative speed.
  if (done_ < before) ForgetSpeed();
}

void RunProgress::SetFileWhole(size_t index) {
  if (index >= files_.size()) return;
  const File& file = files_[index];
  SetFileBytes(index, file.Length(), file.answerLength);
}

void RunProgress::Sample(double now) {
  if (!samples_.empty() && now < samples_.back().time) samples_.clear();  // the clock went back
  samples_.push_back({now, done_});
  // Keep one point at or before the window's start, so the average spans the whole window.
  while (samples_.size() > 2 && samples_[1].time <= now - kSpeedWindowSeconds) samples_.pop_front();
}

uint64_t RunProgress::ShownDone() {
  if (total_ == 0) return 0;
  const double share = static_cast<double>(std::min(done_, total_)) / static_cast<double>(total_);
  shownShare_ = std::max(shownShare_, share);
  return std::min(total_, SaturatingCast<uint64_t>(shownShare_ * static_cast<double>(total_)));
}

std::optional<double> RunProgress::Speed() const {
  if (samples_.size() < 2) return std::nullopt;
  const Point& first = samples_.front();
  const Point& last = samples_.back();
  const double span = last.time - first.time;
  if (span < kFirstSpeedSeconds || last.done < first.done) return std::nullopt;
  return static_cast<double>(last.done - first.done) / span;
}

std::optional<uint32_t> RunProgress::SecondsLeft() const {
  const std::optional<double> speed = Speed();
  if (!speed || *speed <= 0 || total_ == 0) return std::nullopt;
  const uint64_t left = total_ - std::min(done_, total_);
  return SaturatingCast<uint32_t>(static_cast<double>(left) / *speed);
}

}  // namespace sl
