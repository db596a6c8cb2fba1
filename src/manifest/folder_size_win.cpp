#include "manifest/folder_size_win.h"

#include <windows.h>

#include <string>

#include "base/text_win.h"
#include "base/unique_handle_win.h"

namespace sl {
namespace {

uint64_t AddFolder(const std::wstring& folder, uint64_t total) {
  const std::wstring prefix = folder.ends_with(L'\\') ? folder : folder + L'\\';
  WIN32_FIND_DATAW found{};
  UniqueFindHandle find(::FindFirstFileW((prefix + L'*').c_str(), &found));
  if (!find) return total;
  do {
    const std::wstring_view name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      total += (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    } else if ((found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
      total = AddFolder(prefix + found.cFileName, total);
    }
  } while (::FindNextFileW(find.get(), &found));
  return total;
}

}  // namespace

uint64_t GetFolderSize(std::string_view folder, uint64_t start) {
  if (folder.empty()) return start;  // "\*" would list the root of the current drive
  return AddFolder(Widen(folder), start);
}

}  // namespace sl
