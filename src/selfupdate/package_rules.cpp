#include "selfupdate/package_rules.h"

#include <algorithm>

namespace sl {
namespace {

constexpr uint16_t kMachineI386 = 0x14C;
constexpr uint16_t kMachineAmd64 = 0x8664;
constexpr uint16_t kExecutableImage = 0x0002;
constexpr uint16_t kDll = 0x2000;
constexpr uint16_t kPe32Magic = 0x10B;
constexpr uint16_t kPe32PlusMagic = 0x20B;
constexpr size_t kCoffHeaderBytes = 20;
constexpr size_t kSectionHeaderBytes = 40;

// Little-endian reads that fail instead of reading past the bytes at hand.
class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes_(bytes) {}
  [[nodiscard]] bool Has(uint64_t offset, uint64_t count) const {
    return offset <= bytes_.size() && count <= bytes_.size() - offset;
  }
  [[nodiscard]] uint32_t U16(uint64_t offset) const { return Le(offset, 2); }
  [[nodiscard]] uint32_t U32(uint64_t offset) const { return Le(offset, 4); }

 private:
  [[nodiscard]] uint32_t Le(uint64_t offset, int count) const {
    uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i)
      value = (value << 8) | static_cast<unsigned char>(bytes_[offset + i]);
    return value;
  }
  std::string_view bytes_;
};

// The optional header a program for `machine` carries: PE32 for x86, PE32+ for x86-64; 0 for others.
uint32_t OptionalHeaderMagic(uint32_t machine) {
  if (machine == kMachineI386) return kPe32Magic;
  if (machine == kMachineAmd64) return kPe32PlusMagic;
  return 0;
}

// The length an x86 or x86-64 executable's headers and sections need; none when `head` is not one.
std::optional<uint64_t> ImageLength(std::string_view head) {
  const Reader r(head);
  if (!r.Has(0, 0x40) || head.substr(0, 2) != "MZ") return std::nullopt;
  const uint64_t pe = r.U32(0x3C);
  if (!r.Has(pe, 4 + kCoffHeaderBytes) || head.substr(pe, 4) != std::string_view("PE\0\0", 4))
    return std::nullopt;
  const uint64_t coff = pe + 4;
  const uint32_t sections = r.U16(coff + 2);
  const uint32_t optionalBytes = r.U16(coff + 16);
  const uint32_t characteristics = r.U16(coff + 18);
  const uint32_t magic = OptionalHeaderMagic(r.U16(coff));
  if (magic == 0 || (characteristics & kExecutableImage) == 0 || (characteristics & kDll) != 0 || sections == 0) {
    return std::nullopt;
  }
  const uint64_t optional = coff + kCoffHeaderBytes;
  // Magic, then SizeOfHeaders at offset 60 of both optional header forms.
  if (optionalBytes < 64 || !r.Has(optional, optionalBytes) || r.U16(optional) != magic) {
    return std::nullopt;
  }
  const uint64_t table = optional + optionalBytes;
  if (!r.Has(table, uint64_t{sections} * kSectionHeaderBytes)) return std::nullopt;
  uint64_t length = r.U32(optional + 60);
  for (uint32_t i = 0; i < sections; ++i) {
    const uint64_t section = table + uint64_t{i} * kSectionHeaderBytes;
    const uint64_t rawSize = r.U32(section + 16);
    if (rawSize > 0) length = std::max(length, r.U32(section + 20) + rawSize);
  }
  return length;
}

}  // namespace

PackageVerdict JudgePackage(std::string_view head, uint64_t fileSize,
                            std::optional<uint64_t> announcedLength) {
  // A transfer that ended short is resumable whatever its first bytes look like so far.
  if (announcedLength && fileSize != *announcedLength) return PackageVerdict::Incomplete;
  const std::optional<uint64_t> needed = ImageLength(head);
  if (!needed) return PackageVerdict::NotExecutable;
  return fileSize < *needed ? PackageVerdict::Incomplete : PackageVerdict::Ready;
}

}  // namespace sl
