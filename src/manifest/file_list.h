// The files of one release step, the counters beside them, the rules every listed entry must pass, and how
// manifest texts are quoted in the log.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "manifest/version_manifest.h"
#include "net/download_messages.h"

namespace sl {

// The files of one release step (a full install or a patch) and the transfer counters beside them.

struct FileItem {
  std::string url;
  std::string fileName;
  std::string md5;  // 32 hexadecimal digits, or empty when the list gives none
  uint64_t downloadedBytes = 0;
  uint64_t size = 0;
  int32_t status = MDS_STATUS_INITIALIZING;
};

struct FileList {
  std::vector<std::unique_ptr<FileItem>> items;  // owned one by one so a held item stays put on append
  int32_t currentIndex = 0;
  double sampleTime = 0.0;
  double rate = 0.0;
  uint64_t totalBytes = 0;
  uint32_t remainingSeconds = 0;
  uint64_t doneBytes = 0;  // counts across lists, so clearing keeps it
};

// Removes every item and resets the counters other than doneBytes. Returns how many were removed.
size_t ClearFileList(FileList& list);

// Appends a default item (MDS_STATUS_INITIALIZING) and returns it.
FileItem& AddFileItem(FileList& list);

// Sets the URL; the file name becomes its last path segment (before any query or fragment) when
// the URL has a path, and stays as it was otherwise.
void SetItemUrl(FileItem& item, std::string_view url);

// The file name, or stamp + ".tmp" for an item that has none.
[[nodiscard]] std::string ItemFileNameOrTemp(const FileItem& item, const UtcTime& time);

// Gives an item without a file name the name stamp + ".tmp".
void MakeTempName(FileItem& item, const UtcTime& time);

// Reads "url,md5,size" lines. CR, blanks and byte-order marks around a line do not matter; fields
// are taken as they are; lines without a URL are skipped. No result (and a log line) when any
// entry breaks the rules below, or when two entries name one file (letter case
// aside): the whole list is refused. An empty result is a list without items, which callers
// refuse too.
[[nodiscard]] std::optional<std::vector<FileItem>> ParseFileList(std::string_view text);

// What a release file list may ask for. Its entries name files that are written into the player's
// folders, so one bad entry refuses the whole list: better no update than a file outside the
// download folder, on a device name, or under a name Windows silently changes.

// Byte limits of UTF-8 text, so the UTF-16 form fits the Win32 buffers it ends up in (never more
// UTF-16 units than UTF-8 bytes). URLs could be stored up to 511 units, but the download client
// opens them through a MAX_PATH buffer: a longer one is refused here rather than after hours of
// downloading the files before it.
inline constexpr size_t kMaxUrlBytes = 259;
inline constexpr size_t kMaxFileNameBytes = 259;

// A size field: decimal digits, optionally with blanks around them and a leading "+"; empty is 0.
// No result for anything else, such as "-1", "12abc" or more than 64 bits.
[[nodiscard]] std::optional<uint64_t> ParseSizeField(std::string_view field);

// Why a file name cannot be used as it is on Windows; nullptr when it can.
[[nodiscard]] const char* FileNameProblem(std::string_view name);

// Why an entry (its URL, MD5 and size fields, untrimmed) is refused; nullptr when it is accepted.
[[nodiscard]] const char* FileListEntryProblem(std::string_view url, std::string_view md5,
                                               std::string_view sizeField);

// Server text quoted in log lines: bounded, so a hostile or broken answer cannot flood Log.txt.

// At most maxBytes of text, cut before a UTF-8 sequence rather than inside it (a split character
// would turn into a replacement mark when the log converts to UTF-16).
[[nodiscard]] std::string ClipUtf8(std::string_view text, size_t maxBytes);

}  // namespace sl
