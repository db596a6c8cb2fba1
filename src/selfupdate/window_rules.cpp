#include "selfupdate/window_rules.h"

#include "net/download_messages.h"

namespace sl {
namespace {

struct StatusRow {
  int32_t code;
  StatusReaction reaction;
};

constexpr StatusRow kStatusTable[] = {
    {MDS_STATUS_PREPARING, {.labelPrefix = "Bắt đầu tải: ", .ends = false}},
    {MDS_STATUS_DOWNLOADING, {.labelPrefix = "Đang tải: ", .ends = false}},
    {MDS_STATUS_DONE, {.labelPrefix = "Đã tải xong: ", .ends = true}},
    {MDS_STATUS_FAILED, {.labelPrefix = "Gặp lỗi:: ", .ends = true}},
};

}  // namespace

std::optional<StatusReaction> ReactionTo(int32_t statusCode) {
  for (const StatusRow& row : kStatusTable) {
    if (row.code == statusCode) return row.reaction;
  }
  return std::nullopt;
}

std::optional<double> DownloadPercent(int64_t done, int64_t total) {
  if (total == 0) return std::nullopt;
  return static_cast<double>(done) / static_cast<double>(total) * 100.0;
}

}  // namespace sl
