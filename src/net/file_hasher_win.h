// The MD5 of a file as it is being written, on a thread of its own: the writer says how far the
// file is on disk, the hasher reads and hashes up to there, and the digest is ready a moment after
// the last byte instead of a whole reading after it. The bytes of a resumed file that were on disk
// before are hashed from disk first, while the rest arrives. A file that never gets a whole read
// ahead of its hash (a small one) is read back at Finish on the caller's thread: a thread would
// cost it more than the reading.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "base/md5.h"
#include "base/unique_handle_win.h"

namespace sl {

class FileHasher {
 public:
  explicit FileHasher(std::wstring path);
  ~FileHasher();
  FileHasher(const FileHasher&) = delete;
  FileHasher& operator=(const FileHasher&) = delete;

  // The writer goes on at `offset`: what was hashed up to there stands, anything past it starts
  // over (the file is written from the start again, say). The last byte on disk is held back
  // until Finish, because a resume writes it again.
  void WritingFrom(uint64_t offset);
  // Bytes [0, end) are on disk.
  void Written(uint64_t end);
  // Waits until all `size` bytes are hashed and gives the digest; none when the file could not be
  // read. `progress`, when set, is called about every 100 ms meanwhile with the bytes hashed.
  [[nodiscard]] std::optional<std::string> Finish(uint64_t size,
                                                  const std::function<void(uint64_t)>& progress = {});

 private:
  void Run();
  [[nodiscard]] bool WholeReadAhead() const;
  void StartThreadIfBehind();
  // Reads and hashes the next piece of what is available; called with `lock` held.
  void HashNext(std::unique_lock<std::mutex>& lock);

  const std::wstring path_;
  std::mutex mutex_;
  std::condition_variable changed_;
  uint64_t available_ = 0;  // what may be hashed now
  uint64_t hashed_ = 0;
  uint64_t generation_ = 0;  // a restart from the first byte
  bool failed_ = false;
  bool stopping_ = false;
  bool finishing_ = false;  // the last byte is written: the rest is hashed whatever its size
  bool lost_ = false;       // the thread ended by an exception
  Md5 md5_;
  UniqueFile file_;           // used by whoever hashes: the thread once started, else Finish
  std::vector<char> buffer_;  // likewise
  std::thread thread_;
};

}  // namespace sl
