#include "base/md5.h"

#include <algorithm>
#include <cstring>

namespace sl {

bool IsMd5Text(std::string_view text) {
  return text.size() == 32 && std::all_of(text.begin(), text.end(), [](char c) {
           return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
         });
}

namespace {

inline uint32_t Load(const unsigned char* p) {
  uint32_t value;
  std::memcpy(&value, p, 4);  // both builds are little-endian, as MD5's words are
  return value;
}

inline uint32_t Rotate(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

}  // namespace

// The 64 steps of RFC 1321 written out, so the compiler keeps the state in registers.
#define SL_MD5_STEP(f, a, b, c, d, x, t, s) \
  a += f(b, c, d) + (x) + (t);              \
  a = Rotate(a, s) + b
#define SL_MD5_F(x, y, z) ((z) ^ ((x) & ((y) ^ (z))))
#define SL_MD5_G(x, y, z) ((y) ^ ((z) & ((x) ^ (y))))
#define SL_MD5_H(x, y, z) ((x) ^ (y) ^ (z))
#define SL_MD5_I(x, y, z) ((y) ^ ((x) | ~(z)))

void Md5::Blocks(const unsigned char* data, size_t count) {
  uint32_t a0 = state_[0], b0 = state_[1], c0 = state_[2], d0 = state_[3];
  for (; count > 0; --count, data += 64) {
    uint32_t x[16];
    for (int i = 0; i < 16; ++i) x[i] = Load(data + 4 * i);
    uint32_t a = a0, b = b0, c = c0, d = d0;
    SL_MD5_STEP(SL_MD5_F, a, b, c, d, x[0], 0xd76aa478, 7);
    SL_MD5_STEP(SL_MD5_F, d, a, b, c, x[1], 0xe8c7b756, 12);
    SL_MD5_STEP(SL_MD5_F, c, d, a, b, x[2], 0x242070db, 17);
    SL_MD5_STEP(SL_MD5_F, b, c, d, a, x[3], 0xc1bdceee, 22);
    SL_MD5_STEP(SL_MD5_F, a, b, c, d, x[4], 0xf57c0faf, 7);
    SL_MD5_STEP(SL_MD5_F, d, a, b, c, x[5], 0x4787c62a, 12);
    SL_MD5_STEP(SL_MD5_F, c, d, a, b, x[6], 0xa8304613, 17);
    SL_MD5_STEP(SL_MD5_F, b, c, d, a, x[7], 0xfd469501, 22);
    SL_MD5_STEP(SL_MD5_F, a, b, c, d, x[8], 0x698098d8, 7);
    SL_MD5_STEP(SL_MD5_F, d, a, b, c, x[9], 0x8b44f7af, 12);
    SL_MD5_STEP(SL_MD5_F, c, d, a, b, x[10], 0xffff5bb1, 17);
    SL_MD5_STEP(SL_MD5_F, b, c, d, a, x[11], 0x895cd7be, 22);
    SL_MD5_STEP(SL_MD5_F, a, b, c, d, x[12], 0x6b901122, 7);
    SL_MD5_STEP(SL_MD5_F, d, a, b, c, x[13], 0xfd987193, 12);
    SL_MD5_STEP(SL_MD5_F, c, d, a, b, x[14], 0xa679438e, 17);
    SL_MD5_STEP(SL_MD5_F, b, c, d, a, x[15], 0x49b40821, 22);
    SL_MD5_STEP(SL_MD5_G, a, b, c, d, x[1], 0xf61e2562, 5);
    SL_MD5_STEP(SL_MD5_G, d, a, b, c, x[6], 0xc040b340, 9);
    SL_MD5_STEP(SL_MD5_G, c, d, a, b, x[11], 0x265e5a51, 14);
    SL_MD5_STEP(SL_MD5_G, b, c, d, a, x[0], 0xe9b6c7aa, 20);
    SL_MD5_STEP(SL_MD5_G, a, b, c, d, x[5], 0xd62f105d, 5);
    SL_MD5_STEP(SL_MD5_G, d, a, b, c, x[10], 0x02441453, 9);
    SL_MD5_STEP(SL_MD5_G, c, d, a, b, x[15], 0xd8a1e681, 14);
    SL_MD5_STEP(SL_MD5_G, b, c, d, a, x[4], 0xe7d3fbc8, 20);
    SL_MD5_STEP(SL_MD5_G, a, b, c, d, x[9], 0x21e1cde6, 5);
    SL_MD5_STEP(SL_MD5_G, d, a, b, c, x[14], 0xc33707d6, 9);
    SL_MD5_STEP(SL_MD5_G, c, d, a, b, x[3], 0xf4d50d87, 14);
    SL_MD5_STEP(SL_MD5_G, b, c, d, a, x[8], 0x455a14ed, 20);
    SL_MD5_STEP(SL_MD5_G, a, b, c, d, x[13], 0xa9e3e905, 5);
    SL_MD5_STEP(SL_MD5_G, d, a, b, c, x[2], 0xfcefa3f8, 9);
    SL_MD5_STEP(SL_MD5_G, c, d, a, b, x[7], 0x676f02d9, 14);
    SL_MD5_STEP(SL_MD5_G, b, c, d, a, x[12], 0x8d2a4c8a, 20);
    SL_MD5_STEP(SL_MD5_H, a, b, c, d, x[5], 0xfffa3942, 4);
    SL_MD5_STEP(SL_MD5_H, d, a, b, c, x[8], 0x8771f681, 11);
    SL_MD5_STEP(SL_MD5_H, c, d, a, b, x[11], 0x6d9d6122, 16);
    SL_MD5_STEP(SL_MD5_H, b, c, d, a, x[14], 0xfde5380c, 23);
    SL_MD5_STEP(SL_MD5_H, a, b, c, d, x[1], 0xa4beea44, 4);
    SL_MD5_STEP(SL_MD5_H, d, a, b, c, x[4], 0x4bdecfa9, 11);
    SL_MD5_STEP(SL_MD5_H, c, d, a, b, x[7], 0xf6bb4b60, 16);
    SL_MD5_STEP(SL_MD5_H, b, c, d, a, x[10], 0xbebfbc70, 23);
    SL_MD5_STEP(SL_MD5_H, a, b, c, d, x[13], 0x289b7ec6, 4);
    SL_MD5_STEP(SL_MD5_H, d, a, b, c, x[0], 0xeaa127fa, 11);
    SL_MD5_STEP(SL_MD5_H, c, d, a, b, x[3], 0xd4ef3085, 16);
    SL_MD5_STEP(SL_MD5_H, b, c, d, a, x[6], 0x04881d05, 23);
    SL_MD5_STEP(SL_MD5_H, a, b, c, d, x[9], 0xd9d4d039, 4);
    SL_MD5_STEP(SL_MD5_H, d, a, b, c, x[12], 0xe6db99e5, 11);
    SL_MD5_STEP(SL_MD5_H, c, d, a, b, x[15], 0x1fa27cf8, 16);
    SL_MD5_STEP(SL_MD5_H, b, c, d, a, x[2], 0xc4ac5665, 23);
    SL_MD5_STEP(SL_MD5_I, a, b, c, d, x[0], 0xf4292244, 6);
    SL_MD5_STEP(SL_MD5_I, d, a, b, c, x[7], 0x432aff97, 10);
    SL_MD5_STEP(SL_MD5_I, c, d, a, b, x[14], 0xab9423a7, 15);
    SL_MD5_STEP(SL_MD5_I, b, c, d, a, x[5], 0xfc93a039, 21);
    SL_MD5_STEP(SL_MD5_I, a, b, c, d, x[12], 0x655b59c3, 6);
    SL_MD5_STEP(SL_MD5_I, d, a, b, c, x[3], 0x8f0ccc92, 10);
    SL_MD5_STEP(SL_MD5_I, c, d, a, b, x[10], 0xffeff47d, 15);
    SL_MD5_STEP(SL_MD5_I, b, c, d, a, x[1], 0x85845dd1, 21);
    SL_MD5_STEP(SL_MD5_I, a, b, c, d, x[8], 0x6fa87e4f, 6);
    SL_MD5_STEP(SL_MD5_I, d, a, b, c, x[15], 0xfe2ce6e0, 10);
    SL_MD5_STEP(SL_MD5_I, c, d, a, b, x[6], 0xa3014314, 15);
    SL_MD5_STEP(SL_MD5_I, b, c, d, a, x[13], 0x4e0811a1, 21);
    SL_MD5_STEP(SL_MD5_I, a, b, c, d, x[4], 0xf7537e82, 6);
    SL_MD5_STEP(SL_MD5_I, d, a, b, c, x[11], 0xbd3af235, 10);
    SL_MD5_STEP(SL_MD5_I, c, d, a, b, x[2], 0x2ad7d2bb, 15);
    SL_MD5_STEP(SL_MD5_I, b, c, d, a, x[9], 0xeb86d391, 21);
    a0 += a;
    b0 += b;
    c0 += c;
    d0 += d;
  }
  state_ = {a0, b0, c0, d0};
}

#undef SL_MD5_STEP
#undef SL_MD5_F
#undef SL_MD5_G
#undef SL_MD5_H
#undef SL_MD5_I

void Md5::Update(const void* data, size_t size) {
  auto* bytes = static_cast<const unsigned char*>(data);
  size_t used = static_cast<size_t>(bytes_ % 64);
  bytes_ += size;
  if (used != 0) {
    const size_t take = std::min(size, 64 - used);
    std::memcpy(pending_.data() + used, bytes, take);
    bytes += take;
    size -= take;
    if (used + take < 64) return;
    Blocks(pending_.data(), 1);
  }
  Blocks(bytes, size / 64);
  std::memcpy(pending_.data(), bytes + size / 64 * 64, size % 64);
}

std::string Md5::FinishHex() {
  const uint64_t bits = bytes_ * 8;
  static constexpr unsigned char kPadding[64] = {0x80};
  const size_t used = static_cast<size_t>(bytes_ % 64);
  Update(kPadding, used < 56 ? 56 - used : 120 - used);
  unsigned char length[8];
  for (int i = 0; i < 8; ++i) length[i] = static_cast<unsigned char>(bits >> (8 * i));
  Update(length, 8);
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(32);
  for (const uint32_t word : state_) {
    for (int i = 0; i < 4; ++i) {
      const auto byte = static_cast<unsigned char>(word >> (8 * i));
      hex += kDigits[byte >> 4];
      hex += kDigits[byte & 15];
    }
  }
  *this = Md5();
  return hex;
}

}  // namespace sl
