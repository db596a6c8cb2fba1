#include "store/local_paths.h"

#include <cmath>

#include "base/text.h"

namespace sl {

LocalPaths& Paths() {
  static LocalPaths paths;
  return paths;
}

double BytesToGiB(uint64_t bytes) { return std::ldexp(static_cast<double>(bytes), -30); }

std::string DriveRoot(std::string_view path) {
  size_t bytes = 0;
  size_t units = 0;
  while (bytes < path.size()) {
    const Utf8Char next = NextChar(path.substr(bytes));
    // A surrogate pair straddling the limit is left out whole rather than cut in half.
    if (units + next.utf16Units > kDriveRootUnits) break;
    units += next.utf16Units;
    bytes += next.bytes;
  }
  return std::string(path.substr(0, bytes));
}

bool SameDrive(std::string_view rootA, std::string_view rootB) { return EqualsNoCase(rootA, rootB); }

std::optional<std::string> ConcatAlloc(std::string_view a, std::string_view b) {
  if (a.empty() && b.empty()) return std::nullopt;
  std::string joined;
  joined.reserve(a.size() + b.size());
  joined.append(a).append(b);
  return joined;
}

std::optional<std::string> Substring(std::string_view text, size_t start, size_t count) {
  if (start >= text.size()) return std::nullopt;
  return std::string(text.substr(start, count));
}

std::string TrimOneTrailingBackslash(std::string_view path) {
  if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  return std::string(path);
}

std::string MakeZipName(int32_t number) {
  return Format("%s_%d.zip", Paths().exeBaseName.c_str(), static_cast<int>(number));
}

std::string MakeBinName() { return Paths().exeBaseName + ".bin"; }

std::string MakeExeName() { return Paths().exeBaseName + ".exe"; }

std::string MakeBackupName() { return Paths().exeBaseName + ".old"; }

LimitRateOption FindLimitRateOption(const std::vector<std::string>& arguments) {
  LimitRateOption option;
  for (const std::string& argument : arguments) {
    const std::string_view text(argument);
    if (!text.starts_with(kLimitRateOption.substr(0, kLimitRateOption.size() - 1))) continue;
    const std::optional<uint64_t> value = text.starts_with(kLimitRateOption)
                                              ? ParseDecimalDigits(text.substr(kLimitRateOption.size()))
                                              : std::nullopt;
    if (value && *value <= kMaxDownloadLimitKBps) {
      option.kbps = static_cast<uint32_t>(*value);
    } else {
      option.ignored.push_back(argument);
    }
  }
  return option;
}

}  // namespace sl
