#include "manifest/file_list_rules.h"

#include <array>

#include "base/text.h"
#include "base/md5.h"
#include "base/path.h"
#include "net/http_rules.h"

namespace sl {
namespace {

// Names Windows opens as devices whatever the folder and extension: "NUL.txt" is NUL.
bool IsDeviceName(std::string_view name) {
  std::string_view base = name.substr(0, name.find('.'));
  while (!base.empty() && base.back() == ' ') base.remove_suffix(1);  // "CON .txt" is CON too
  static constexpr std::array<std::string_view, 6> kPlain = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
  for (std::string_view device : kPlain) {
    if (EqualsNoCase(base, device)) return true;
  }
  if (base.size() < 4 || !(StartsWithNoCase(base, "COM") || StartsWithNoCase(base, "LPT"))) return false;
  const std::string_view number = base.substr(3);
  // Windows also takes the superscript digits 1, 2 and 3 as port numbers.
  return (number.size() == 1 && number[0] >= '1' && number[0] <= '9') || number == "\xC2\xB9" ||
         number == "\xC2\xB2" || number == "\xC2\xB3";
}

const char* UrlProblem(std::string_view url) {
  if (url.size() > kMaxUrlBytes) return "URL too long";
  if (!IsValidUtf8(url)) return "URL is not UTF-8";
  for (char c : url) {
    // A CR or LF inside a request line could add header lines of the server's choosing.
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return "control character in URL";
  }
  size_t hostStart = 0;
  if (StartsWithNoCase(url, "http://")) {
    hostStart = 7;
  } else if (StartsWithNoCase(url, "https://")) {
    hostStart = 8;
  } else {
    return "URL is not http or https";
  }
  const size_t hostEnd = url.find_first_of("/?#", hostStart);
  if (hostEnd == hostStart || hostStart == url.size()) return "URL has no host";
  return nullptr;
}

}  // namespace

std::optional<uint64_t> ParseSizeField(std::string_view field) {
  std::string_view digits = TrimAsciiSpace(field);
  if (digits.empty()) return field.empty() ? std::optional<uint64_t>(0) : std::nullopt;
  if (digits.front() == '+') digits.remove_prefix(1);
  return ParseDecimalDigits(digits);
}

const char* FileNameProblem(std::string_view name) {
  if (name.empty()) return "empty file name";
  if (name.size() > kMaxFileNameBytes) return "file name too long";
  if (!IsValidUtf8(name)) return "file name is not UTF-8";
  for (char c : name) {
    if (static_cast<unsigned char>(c) < 0x20) return "control character in file name";
    if (std::string_view("<>:\"|?*\\/").find(c) != std::string_view::npos) {
      return "character not allowed in a file name";
    }
  }
  if (name == "." || name == "..") return "file name names a folder";
  // Windows drops a trailing dot or blank, so the file created would not be the one listed.
  if (name.back() == '.' || name.back() == ' ') return "file name ends with a dot or blank";
  if (IsDeviceName(name)) return "file name is a device name";
  // The downloads' own records live beside the files under such names.
  if (EndsWithNoCase(name, kResumeRecordSuffix)) return "file name is reserved for resume records";
  return nullptr;
}

const char* FileListEntryProblem(std::string_view url, std::string_view md5, std::string_view sizeField) {
  if (const char* problem = UrlProblem(url)) return problem;
  const std::optional<std::string_view> name = UrlFileName(url);
  if (!name || name->empty()) return "URL names no file";
  if (const char* problem = FileNameProblem(*name)) return problem;
  if (!md5.empty() && !IsMd5Text(md5)) return "MD5 is not 32 hexadecimal digits";
  if (!ParseSizeField(sizeField)) return "size is not a 64-bit decimal number";
  return nullptr;
}

}  // namespace sl
