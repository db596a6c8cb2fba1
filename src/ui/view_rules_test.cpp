#include <gtest/gtest.h>

#include <algorithm>

#include "store/install_state.h"
#include "ui/view_rules.h"

namespace sl {

namespace {

bool Shows(const std::vector<ViewRow>& table, ViewControl control) {
  for (const ViewRow& row : table) {
    if (row.control == control) return row.shown;
  }
  return false;
}

TEST(ViewTable, EachIdleViewOffersOneStartButtonAndOnlyThePlayViewMovesTheTexts) {
  using C = ViewControl;
  for (IdleView view : {IdleView::Install, IdleView::Update, IdleView::Play}) {
    const std::vector<ViewRow> table = ViewTable(view);
    EXPECT_EQ(Shows(table, C::Install) + Shows(table, C::Update) + Shows(table, C::Play), 1);
    EXPECT_FALSE(Shows(table, C::Pause) || Shows(table, C::SpeedLimit));
    const bool moves = std::any_of(table.begin(), table.end(), [](const ViewRow& row) { return row.place; });
    EXPECT_EQ(moves, view == IdleView::Play);
  }
  EXPECT_TRUE(Shows(ViewTable(IdleView::Install), C::BrowseInstall));
  EXPECT_FALSE(Shows(ViewTable(IdleView::Update), C::BrowseInstall));
  EXPECT_FALSE(Shows(ViewTable(IdleView::Play), C::DownloadDirField));
  const std::vector<ViewRow> progress = ProgressViewTable(1024);
  EXPECT_TRUE(Shows(progress, C::Pause) && Shows(progress, C::SpeedLimit));
  const auto speedLimit = std::find_if(progress.begin(), progress.end(),
                                       [](const ViewRow& row) { return row.control == C::SpeedLimit; });
  ASSERT_NE(speedLimit, progress.end());
  EXPECT_EQ(speedLimit->text, "1 MB/s");  // the cap in force
  EXPECT_FALSE(Shows(progress, C::BrowseDownload) || Shows(progress, C::InstallDirField));
  for (C start : {C::Install, C::Update, C::Play})  // the pressed one stays, disabled
    EXPECT_TRUE(std::none_of(progress.begin(), progress.end(),
                             [&](const ViewRow& row) { return row.control == start; }));
}

TEST(ChooseIdleView, ByInstallMode) {
  EXPECT_EQ(ChooseIdleView(0, 0, 0), IdleView::Install);   // unknown latest version: nothing to play
  EXPECT_EQ(ChooseIdleView(0, 118, 100), IdleView::Play);  // but an installed game can be started
  EXPECT_EQ(ChooseIdleView(120, 120, 100), IdleView::Play);
  EXPECT_EQ(ChooseIdleView(120, 118, 100), IdleView::Update);
  EXPECT_EQ(ChooseIdleView(120, 100, 100), IdleView::Update);
  EXPECT_EQ(ChooseIdleView(120, 99, 100), IdleView::Install);
  EXPECT_EQ(ChooseIdleView(120, 0, 100), IdleView::Install);
}

TEST(StartWarning, ByVerdict) {
  EXPECT_EQ(StartWarning(0), "");
  EXPECT_EQ(StartWarning(1), "Ổ đĩa cài Bão Lửa không đủ dung lượng!");
  EXPECT_EQ(StartWarning(2), "Ổ đĩa chứa tệp tin tải xuống không đủ dung lượng!");
  EXPECT_EQ(StartWarning(3), "Không đủ dung lượng để tải tệp tin và cài đặt Bão lửa!");
}

TEST(LinkUrl, PagesOfThePublisherSite) {
  EXPECT_EQ(LinkUrl(1705, "web.example", "7"), "https://web.example");
  EXPECT_EQ(LinkUrl(1706, "web.example", "7"), "https://web.example/list/events");
  EXPECT_EQ(LinkUrl(1703, "web.example", "7"), "https://web.example/list/cam-nang");
  EXPECT_EQ(LinkUrl(1709, "web.example", "123456789012345678"),
            "https://web.example/sso/napvy?t=123456789012345678");
  EXPECT_EQ(LinkUrl(1704, "web.example", "7"), "");
  EXPECT_EQ(LinkUrl(1720, "web.example", "7"), "");
}

}  // namespace

namespace {

TEST(ShellRules, VersionedTitleKeepsVietnameseText) {
  EXPECT_EQ(MakeVersionedTitle("Cài đặt STORMLINE - Bão Lửa"), "Cài đặt STORMLINE - Bão Lửa - 1.0.2.5");
  EXPECT_EQ(MakeVersionedTitle(""), " - 1.0.2.5");
}

TEST(ShellRules, CentringTruncatesTowardZero) {
  EXPECT_EQ(CenterOrigin(1024, 768, 1020, 597).x, 2);
  EXPECT_EQ(CenterOrigin(1024, 768, 1020, 597).y, 85);
  EXPECT_EQ(CenterOrigin(1008, 768, 1020, 597).x, -6);
  EXPECT_EQ(CenterOrigin(1019, 596, 1020, 597).x, 0);  // -1 / 2 is 0, not -1
  EXPECT_EQ(CenterOrigin(1019, 596, 1020, 597).y, 0);
  EXPECT_EQ(CenterOrigin(1920, 1080, 1020, 597).y, 241);
}

TEST(ShellRules, RunningInstanceIsRestoredOnlyWhenHiddenOrMinimised) {
  EXPECT_TRUE(NeedsRestore(false, kShowNormal));
  EXPECT_TRUE(NeedsRestore(true, kShowMinimized));
  EXPECT_TRUE(NeedsRestore(true, kMinimize));
  EXPECT_FALSE(NeedsRestore(true, kShowNormal));
  EXPECT_FALSE(NeedsRestore(true, 3));  // maximised stays as it is
}

}  // namespace

namespace {

TEST(CloseQuestion, AskedOnlyWhileARunIsActive) {
  EXPECT_EQ(CloseQuestion(STATE_INSTALLING), "Đang cài đặt Bão Lửa! Bạn có muốn thoát chương trình không?");
  EXPECT_EQ(CloseQuestion(STATE_UPDATING), "Đang Cập nhật Bão Lửa! Bạn có muốn thoát chương trình không?");
  EXPECT_FALSE(CloseQuestion(STATE_IDLE));
  EXPECT_FALSE(CloseQuestion(1087));
}

TEST(StaticColors, TwoBackgroundsShareOneBrushEach) {
  EXPECT_EQ(ColorsOf(StaticRole::FolderField).background, (Rgb{51, 51, 52}));
  EXPECT_EQ(ColorsOf(StaticRole::FolderLabel).background, ColorsOf(StaticRole::VersionLabel).background);
  EXPECT_EQ(ColorsOf(StaticRole::VersionLabel).text, (Rgb{255, 255, 150}));
  EXPECT_EQ(ColorsOf(StaticRole::FolderLabel).text, (Rgb{255, 255, 255}));
}

}  // namespace

namespace {

TEST(SpeedLimitText, WholeMegabytesReadAsMegabytes) {
  EXPECT_EQ(SpeedLimitText(0), "Không giới hạn");
  EXPECT_EQ(SpeedLimitChoiceText(0), "Không giới hạn tốc độ");
  EXPECT_EQ(SpeedLimitText(512), "512 KB/s");
  EXPECT_EQ(SpeedLimitText(10240), "10 MB/s");
  EXPECT_EQ(SpeedLimitChoiceText(1536), "1536 KB/s");  // set from the command line
}

}  // namespace

}  // namespace sl
