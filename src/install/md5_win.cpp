#include "install/md5_win.h"

#include <wincrypt.h>

#include <algorithm>
#include <vector>

#include "base/format.h"
#include "install/install_messages.h"

namespace sl {
namespace {

// Large reads cost fewer calls into the file system and CryptoAPI for the same bytes.
constexpr DWORD kReadBytes = 1 << 20;
constexpr uint64_t kMinPostBytes = 1024 * 1024;

struct CryptContext {
  HCRYPTPROV provider = 0;
  HCRYPTHASH hash = 0;
  ~CryptContext() {
    if (hash != 0) ::CryptDestroyHash(hash);
    if (provider != 0) ::CryptReleaseContext(provider, 0);
  }
};

}  // namespace

std::string GetFileMd5(HANDLE file, uint64_t size, HWND progressWindow) {
  CryptContext context;
  if (!::CryptAcquireContextW(&context.provider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT)) {
    ::OutputDebugStringW(L"Error CryptAcquireContext\n");
    context.provider = 0;
  }
  bool hashed = context.provider != 0 && ::CryptCreateHash(context.provider, CALG_MD5, 0, 0, &context.hash);
  if (hashed) {
    std::vector<BYTE> buffer(kReadBytes);
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
    while (::ReadFile(file, buffer.data(), kReadBytes, &read, nullptr) && read > 0) {
      if (!::CryptHashData(context.hash, buffer.data(), read, 0)) hashed = false;
      total += read;
      if (total >= nextPost) postProgress();
    }
    if (posted != total || total == 0) postProgress();  // the final count; an empty file reports 0
  }
  std::string digest;
  BYTE value[16];
  DWORD length = sizeof(value);
  if (hashed && ::CryptGetHashParam(context.hash, HP_HASHVAL, value, &length, 0) && length == sizeof(value)) {
    for (BYTE byte : value) digest += Format("%02x", byte);
  }
  if (progressWindow != nullptr) ::PostMessageW(progressWindow, WM_MD5_RESULT, digest.empty() ? 0 : 1, 0);
  return digest;
}

}  // namespace sl
