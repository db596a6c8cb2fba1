#include "base/md5.h"

#include <gtest/gtest.h>

#include <string>

namespace sl {
namespace {

std::string Digest(const std::string& text) {
  Md5 md5;
  md5.Update(text.data(), text.size());
  return md5.FinishHex();
}

TEST(Md5, MatchesTheReferenceDigests) {
  EXPECT_EQ(Digest(""), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(Digest("abc"), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(Digest("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
  EXPECT_EQ(Digest("12345678901234567890123456789012345678901234567890123456789012345678901234567890"),
            "57edf4a22be3c955ac49da2e2107b67a");
}

// A file arrives in pieces of any size; its digest must not depend on where they were cut.
TEST(Md5, PiecesGiveTheDigestOfTheWhole) {
  std::string data(100000, '\0');
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>((i * 131 + 7) % 251);
  const std::string whole = Digest(data);
  for (const size_t piece : {1u, 63u, 64u, 65u, 4096u, 99999u}) {
    Md5 md5;
    for (size_t at = 0; at < data.size(); at += piece)
      md5.Update(data.data() + at, std::min(piece, data.size() - at));
    EXPECT_EQ(md5.Bytes(), data.size());
    EXPECT_EQ(md5.FinishHex(), whole) << piece;
  }
}

}  // namespace
}  // namespace sl
