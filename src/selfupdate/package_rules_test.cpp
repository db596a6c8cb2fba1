#include "selfupdate/package_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace sl {
namespace {

struct Section {
  uint32_t rawOffset;
  uint32_t rawSize;
};

struct Image {
  uint16_t machine = 0x8664;
  uint16_t characteristics = 0x0022;  // executable, large-address aware
  uint16_t magic = 0x20B;
  uint32_t headersSize = 0x400;
  std::vector<Section> sections = {{0x400, 0x2000}, {0x2400, 0x600}, {0x2A00, 0}};  // ends at 0x2A00
  uint32_t peOffset = 0x80;
};

void Put(std::string& bytes, size_t offset, uint32_t value, int size) {
  if (bytes.size() < offset + size) bytes.resize(offset + size, '\0');
  for (int i = 0; i < size; ++i) bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// The headers of an image as a linker lays them out: DOS stub, PE signature, file header,
// PE32+ optional header (240 bytes), section table.
std::string Head(const Image& image) {
  std::string bytes = "MZ";
  Put(bytes, 0x3C, image.peOffset, 4);
  const size_t coff = image.peOffset + 4;
  Put(bytes, image.peOffset, 0x00004550, 4);  // "PE\0\0"
  Put(bytes, coff, image.machine, 2);
  Put(bytes, coff + 2, static_cast<uint32_t>(image.sections.size()), 2);
  Put(bytes, coff + 16, 240, 2);
  Put(bytes, coff + 18, image.characteristics, 2);
  const size_t optional = coff + 20;
  Put(bytes, optional, image.magic, 2);
  Put(bytes, optional + 60, image.headersSize, 4);
  for (size_t i = 0; i < image.sections.size(); ++i) {
    const size_t row = optional + 240 + i * 40;
    Put(bytes, row + 16, image.sections[i].rawSize, 4);
    Put(bytes, row + 20, image.sections[i].rawOffset, 4);
  }
  bytes.resize(kPackageHeadBytes, '\0');
  return bytes;
}

constexpr uint64_t kImageEnd = 0x2A00;

TEST(PackageRules, WholeExecutableIsReady) {
  const std::string head = Head(Image{});
  EXPECT_EQ(JudgePackage(head, kImageEnd, std::nullopt), PackageVerdict::Ready);
  EXPECT_EQ(JudgePackage(head, kImageEnd + 100, std::nullopt),
            PackageVerdict::Ready);  // data after the sections
  EXPECT_EQ(JudgePackage(head, kImageEnd, kImageEnd), PackageVerdict::Ready);
  Image x86;
  x86.machine = 0x14C;
  x86.magic = 0x10B;
  EXPECT_EQ(JudgePackage(Head(x86), kImageEnd, kImageEnd), PackageVerdict::Ready);
  EXPECT_EQ(JudgePackage(Head(x86), kImageEnd - 1, std::nullopt), PackageVerdict::Incomplete);
}

TEST(PackageRules, ShortFilesAreIncomplete) {
  const std::string head = Head(Image{});
  // Shorter than its own last section: a truncated program, even with no length to compare.
  EXPECT_EQ(JudgePackage(head, kImageEnd - 1, std::nullopt), PackageVerdict::Incomplete);
  // Shorter than announced: the transfer was cut; resumable whatever has arrived so far.
  EXPECT_EQ(JudgePackage(head, kImageEnd, kImageEnd + 512), PackageVerdict::Incomplete);
  EXPECT_EQ(JudgePackage(head.substr(0, 100), 100, kImageEnd), PackageVerdict::Incomplete);
  EXPECT_EQ(JudgePackage("", 0, kImageEnd), PackageVerdict::Incomplete);
  Image headersOnly;
  headersOnly.sections = {{0x400, 0}};
  headersOnly.headersSize = 0x1000;
  EXPECT_EQ(JudgePackage(Head(headersOnly), 0x800, std::nullopt), PackageVerdict::Incomplete);
}

TEST(PackageRules, AnythingButAnX86OrX64ProgramIsRefused) {
  const std::pair<const char*, void (*)(Image&)> spoilers[] = {
      {"x86 with the x64 optional header", [](Image& i) { i.machine = 0x14C; }},
      {"x64 with the x86 optional header", [](Image& i) { i.magic = 0x10B; }},
      {"arm64", [](Image& i) { i.machine = 0xAA64; }},
      {"a DLL", [](Image& i) { i.characteristics = 0x2022; }},
      {"not marked executable: left from a failed link", [](Image& i) { i.characteristics = 0x0020; }},
      {"no sections", [](Image& i) { i.sections.clear(); }},
      {"headers past what was read", [](Image& i) { i.peOffset = kPackageHeadBytes - 8; }},
  };
  for (const auto& [what, spoil] : spoilers) {
    Image image;
    spoil(image);
    EXPECT_EQ(JudgePackage(Head(image), kImageEnd, std::nullopt), PackageVerdict::NotExecutable) << what;
  }
  EXPECT_EQ(JudgePackage(Head(Image{}).replace(0x3C, 4, "\xF0\xFF\xFF\xFF", 4), kImageEnd, std::nullopt),
            PackageVerdict::NotExecutable);

  const std::string page = "<html><body>404 Not Found</body></html>";
  EXPECT_EQ(JudgePackage(page, page.size(), page.size()), PackageVerdict::NotExecutable);
  EXPECT_EQ(JudgePackage("", 0, std::nullopt), PackageVerdict::NotExecutable);
  EXPECT_EQ(JudgePackage("", 0, 0), PackageVerdict::NotExecutable);
}

}  // namespace
}  // namespace sl
