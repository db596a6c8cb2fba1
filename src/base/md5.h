// MD5 of a byte stream, fed piece by piece: the release lists name every file by its MD5, and the
// digest is taken as the bytes arrive, off the window, so a file's check ends with its last byte.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace sl {

// Whether `text` is an MD5 as the lists and manifests write it: 32 hexadecimal digits, either case.
[[nodiscard]] bool IsMd5Text(std::string_view text);

class Md5 {
 public:
  void Update(const void* data, size_t size);
  // The digest as 32 lower-case hexadecimal digits; the object starts over afterwards.
  [[nodiscard]] std::string FinishHex();
  [[nodiscard]] uint64_t Bytes() const { return bytes_; }

 private:
  void Blocks(const unsigned char* data, size_t count);

  std::array<uint32_t, 4> state_ = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
  std::array<unsigned char, 64> pending_{};
  uint64_t bytes_ = 0;
};

}  // namespace sl
