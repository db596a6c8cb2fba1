#include "manifest/file_list_rules.h"

#include <array>

#include "base/ascii.h"
#include "base/url.h"

namespace sl {
namespace {

bool IsCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (AsciiUpper(c) >= 'A' && AsciiUpper(c) <= 'F'); }

// Well-formed UTF-8: no stray continuation bytes, overlong forms, surrogates or values past
// U+10FFFF. Windows would turn any of them into U+FFFD, so the file on disk would not be the one
// named in the list.
bool IsValidUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    size_t length = 0;
    uint32_t value = 0;
    if (lead < 0x80) {
      ++i;
      continue;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2, value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3, value = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4, value = lead & 0x07;
    } else {
      return false;
    }
    if (text.size() - i < length) return false;
    for (size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      value = (value << 6) | (next & 0x3F);
    }
    if ((length == 3 && value < 0x800) || (length == 4 && value < 0x10000) || value > 0x10FFFF ||
        (value >= 0xD800 && value <= 0xDFFF)) {
      return false;
    }
    i += length;
  }
  return true;
}

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
  size_t i = 0;
  while (i < field.size() && IsCSpace(field[i])) ++i;
  if (i == field.size()) return field.empty() ? std::optional<uint64_t>(0) : std::nullopt;
  if (field[i] == '+') ++i;
  const size_t firstDigit = i;
  uint64_t value = 0;
  for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i) {
    const auto digit = static_cast<uint64_t>(field[i] - '0');
    if (value > (UINT64_MAX - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  if (i == firstDigit) return std::nullopt;
  while (i < field.size() && IsCSpace(field[i])) ++i;
  if (i != field.size()) return std::nullopt;
  return value;
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
  return nullptr;
}

const char* FileListEntryProblem(std::string_view url, std::string_view md5, std::string_view sizeField) {
  if (const char* problem = UrlProblem(url)) return problem;
  const std::optional<std::string_view> name = UrlFileName(url);
  if (!name || name->empty()) return "URL names no file";
  if (const char* problem = FileNameProblem(*name)) return problem;
  if (!md5.empty()) {
    if (md5.size() != 32) return "MD5 is not 32 hexadecimal digits";
    for (char c : md5) {
      if (!IsHexDigit(c)) return "MD5 is not 32 hexadecimal digits";
    }
  }
  if (!ParseSizeField(sizeField)) return "size is not a 64-bit decimal number";
  return nullptr;
}

}  // namespace sl
