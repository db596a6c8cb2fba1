#include "manifest/file_list.h"

#include <array>
#include <set>

#include "base/text.h"
#include "base/path.h"
#include "diag/log.h"
#include "manifest/file_list_rules.h"
#include "manifest/log_text.h"

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

}  // namespace sl
