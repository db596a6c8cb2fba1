#include "net/file_hasher_win.h"

#include <algorithm>
#include <chrono>

#include "diag/thread_entry.h"

namespace sl {
namespace {

constexpr DWORD kReadBytes = 1 << 20;

}  // namespace

FileHasher::FileHasher(std::wstring path) : path_(std::move(path)) {}

FileHasher::~FileHasher() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

bool FileHasher::WholeReadAhead() const { return available_ >= hashed_ + kReadBytes; }

void FileHasher::StartThreadIfBehind() {
  if (thread_.joinable() || !WholeReadAhead()) return;
  thread_ = std::thread([this] {
    if (RunThreadEntry("FileHasher", [this] { Run(); })) return;
    // Nothing more is hashed: the digest is none, and the file is checked as unreadable.
    std::lock_guard lock(mutex_);
    lost_ = true;
    changed_.notify_all();
  });
}

void FileHasher::WritingFrom(uint64_t offset) {
  std::lock_guard lock(mutex_);
  if (hashed_ > offset) {
    ++generation_;
    hashed_ = 0;
    md5_ = Md5();
  }
  available_ = offset;  // the bytes before the writer's offset stay as they are
  failed_ = false;
  StartThreadIfBehind();
  changed_.notify_all();
}

void FileHasher::Written(uint64_t end) {
  std::lock_guard lock(mutex_);
  available_ = std::max(available_, end == 0 ? 0 : end - 1);
  StartThreadIfBehind();
  // The thread reads whole pieces: a write that leaves less than one ahead need not wake it.
  if (WholeReadAhead()) changed_.notify_all();
}

std::optional<std::string> FileHasher::Finish(uint64_t size, const std::function<void(uint64_t)>& progress) {
  std::unique_lock lock(mutex_);
  available_ = size;
  finishing_ = true;
  StartThreadIfBehind();
  changed_.notify_all();
  while (!failed_ && !lost_ && hashed_ < size) {
    if (!thread_.joinable()) {
      HashNext(lock);
      continue;
    }
    changed_.wait_for(lock, std::chrono::milliseconds(100));
    if (progress && !failed_ && hashed_ < size) {
      const uint64_t done = hashed_;
      lock.unlock();
      progress(done);
      lock.lock();
    }
  }
  if (failed_ || lost_ || hashed_ != size) return std::nullopt;
  return md5_.FinishHex();
}

void FileHasher::Run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [&] {
      return stopping_ || (!failed_ && (WholeReadAhead() || (finishing_ && hashed_ < available_)));
    });
    if (stopping_) return;
    HashNext(lock);
  }
}

void FileHasher::HashNext(std::unique_lock<std::mutex>& lock) {
  const uint64_t generation = generation_;
  const uint64_t from = hashed_;
  const auto wanted = static_cast<DWORD>(std::min<uint64_t>(kReadBytes, available_ - from));
  lock.unlock();
  if (buffer_.size() < wanted) buffer_.resize(wanted);
  // Shared with the writer, which holds the file for writing all the while.
  if (!file_) {
    file_ = OpenFileForReading(path_.c_str(), FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN);
  }
  LARGE_INTEGER position;
  position.QuadPart = static_cast<LONGLONG>(from);
  DWORD read = 0;
  const bool ok = file_ && ::SetFilePointerEx(file_.get(), position, nullptr, FILE_BEGIN) &&
                  ::ReadFile(file_.get(), buffer_.data(), wanted, &read, nullptr) && read == wanted;
  lock.lock();
  if (generation != generation_) return;  // the file started over while this was read
  if (!ok) {
    failed_ = true;
    changed_.notify_all();
    return;
  }
  md5_.Update(buffer_.data(), read);
  hashed_ += read;
  changed_.notify_all();
}

}  // namespace sl
