// The files of one release step (a full install or a patch) and the transfer counters beside them.
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
// entry breaks the rules of file_list_rules.h, or when two entries name one file (letter case
// aside): the whole list is refused. An empty result is a list without items, which callers
// refuse too.
[[nodiscard]] std::optional<std::vector<FileItem>> ParseFileList(std::string_view text);

}  // namespace sl
