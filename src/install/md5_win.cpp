#include "install/md5_win.h"

#include <algorithm>
#include <vector>

#include "base/md5.h"
#include "install/install_messages.h"

namespace sl {
namespace {

// Large reads cost fewer calls into the file system for the same bytes.
constexpr DWORD kReadBytes = 1 << 20;
constexpr uint64_t kMinPostBytes = 1024 * 1024;

}  // namespace

std::string GetFileMd5(HANDLE file, uint64_t size, HWND progressWindow) {
  Md5 md5;
  std::vector<char> buffer(kReadBytes);
  uint64_t total = 0;
  uint64_t posted = 0;
  // A message per read would be many for a large file; a hundredth of the file is enough.
  const uint64_t postEvery = std::max<uint64_t>(size / 100, kMinPostBytes);
  uint64_t nextPost = 0;
  auto postProgress = [&] {
    if (progressWindow == nullptr) return;
    ::PostMessageW(progressWindow, WM_MD5_PROGRESS, static_cast<WPARAM>(total), static_cast<LPARAM>(size));
    posted = total;
    nextPost = total + postEvery;
  };
  DWORD read = 0;
  bool readable = true;
  while ((readable = ::ReadFile(file, buffer.data(), kReadBytes, &read, nullptr) != FALSE) && read > 0) {
    md5.Update(buffer.data(), read);
    total += read;
    if (total >= nextPost) postProgress();
  }
  if (posted != total || total == 0) postProgress();  // the final count; an empty file reports 0
  const std::string digest = readable ? md5.FinishHex() : std::string();
  if (progressWindow != nullptr) ::PostMessageW(progressWindow, WM_MD5_RESULT, digest.empty() ? 0 : 1, 0);
  return digest;
}

}  // namespace sl
