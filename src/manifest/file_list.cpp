#include "manifest/file_list.h"

#include <array>
#include <set>

#include "base/md5.h"
#include "base/path.h"
#include "base/text.h"
#include "diag/log.h"
#include "net/http_rules.h"

namespace sl {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// ASCII white space and the UTF-8 forms of Unicode's other White_Space characters (NEL, no-break
// spaces, the U+2000 block, line and paragraph separators, ideographic space), which editors leave
// around lines of hand-written lists.
// clang-format off
constexpr std::array<std::string_view, 25> kWhiteSpace = {
    " ", "\t", "\n", "\v", "\f", "\r",
    "\xC2\x85", "\xC2\xA0", "\xE1\x9A\x80",
    "\xE2\x80\x80", "\xE2\x80\x81", "\xE2\x80\x82", "\xE2\x80\x83", "\xE2\x80\x84", "\xE2\x80\x85",
    "\xE2\x80\x86", "\xE2\x80\x87", "\xE2\x80\x88", "\xE2\x80\x89", "\xE2\x80\x8A",
    "\xE2\x80\xA8", "\xE2\x80\xA9", "\xE2\x80\xAF", "\xE2\x81\x9F", "\xE3\x80\x80"};
// clang-format on

size_t WhiteSpaceAtFront(std::string_view text) {
  for (std::string_view space : kWhiteSpace) {
    if (text.starts_with(space)) return space.size();
  }
  return 0;
}

size_t WhiteSpaceAtBack(std::string_view text) {
  for (std::string_view space : kWhiteSpace) {
    if (text.ends_with(space)) return space.size();
  }
  return 0;
}

std::string_view TrimWhiteSpace(std::string_view text) {
  while (const size_t length = WhiteSpaceAtFront(text)) text.remove_prefix(length);
  while (const size_t length = WhiteSpaceAtBack(text)) text.remove_suffix(length);
  return text;
}

// Byte-order marks go first, wherever they are (a list joined from several files carries one per
// part), so blanks behind a leading mark are trimmed like any others.
std::string NormaliseLine(std::string_view line) {
  std::string withoutMarks;
  withoutMarks.reserve(line.size());
  for (size_t at; (at = line.find(kByteOrderMark)) != std::string_view::npos;) {
    withoutMarks.append(line.substr(0, at));
    line.remove_prefix(at + kByteOrderMark.size());
  }
  withoutMarks.append(line);
  return std::string(TrimWhiteSpace(withoutMarks));
}

// The first three comma-separated fields, as a stream read up to each comma gives them: ",," is an
// empty field and a trailing comma adds none.
std::array<std::string_view, 3> FirstThreeFields(std::string_view line) {
  std::array<std::string_view, 3> fields;
  for (size_t index = 0; index < fields.size() && !line.empty(); ++index) {
    const size_t comma = line.find(',');
    fields[index] = line.substr(0, comma);
    line = comma == std::string_view::npos ? std::string_view() : line.substr(comma + 1);
  }
  return fields;
}

}  // namespace

size_t ClearFileList(FileList& list) {
  list.sampleTime = 0.0;
  list.rate = 0.0;
  list.currentIndex = 0;
  list.totalBytes = 0;
  list.remainingSeconds = 0;
  const size_t removed = list.items.size();
  list.items.clear();
  return removed;
}

FileItem& AddFileItem(FileList& list) { return *list.items.emplace_back(std::make_unique<FileItem>()); }

void SetItemUrl(FileItem& item, std::string_view url) {
  item.url = url;
  if (const std::optional<std::string_view> name = UrlFileName(url)) item.fileName = *name;
}

std::string ItemFileNameOrTemp(const FileItem& item, const UtcTime& time) {
  return item.fileName.empty() ? MakeStamp(time) + ".tmp" : item.fileName;
}

void MakeTempName(FileItem& item, const UtcTime& time) { item.fileName = ItemFileNameOrTemp(item, time); }

std::optional<std::vector<FileItem>> ParseFileList(std::string_view text) {
  std::vector<FileItem> items;
  // Names as the file system compares them: two entries must never share one local file.
  std::set<std::string> names;
  size_t lineNumber = 0;
  while (!text.empty()) {
    const size_t lineFeed = text.find('\n');
    const std::string line = NormaliseLine(text.substr(0, lineFeed));
    text = lineFeed == std::string_view::npos ? std::string_view() : text.substr(lineFeed + 1);
    ++lineNumber;
    const auto [url, md5, size] = FirstThreeFields(line);
    if (url.empty()) continue;
    const char* problem = FileListEntryProblem(url, md5, size);
    if (!problem && !names.insert(FoldCaseUtf8(*UrlFileName(url))).second) problem = "file name listed twice";
    if (problem) {
      WriteLog(kManifestLogSource, 0,
               "File list refused, line " + std::to_string(lineNumber) + ": " + problem + ": " +
                   ClipUtf8(line, 300));
      return std::nullopt;
    }
    FileItem& item = items.emplace_back();
    SetItemUrl(item, url);
    item.md5 = md5;
    item.size = ParseSizeField(size).value_or(0);
  }
  return items;
}

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

std::string ClipUtf8(std::string_view text, size_t maxBytes) {
  if (text.size() <= maxBytes) return std::string(text);
  size_t end = maxBytes;
  // Step back over continuation bytes (10xxxxxx) to the lead byte, which starts the cut-off part.
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return std::string(text.substr(0, end));
}

}  // namespace sl
