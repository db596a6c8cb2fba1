#include "ui/progress_panel_win.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>

#include "ui/main_controls_win.h"

namespace sl {
namespace {

class ProgressPanelTest : public testing::Test {
 protected:
  void SetUp() override {
    parent_ =
        ::CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 490, 120, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(parent_, nullptr);
    panel_ = std::make_unique<ProgressPanel>();
    panel_->x = 5;
    panel_->y = 40;
    panel_->width = 480;
    panel_->height = 60;
    panel_->labelRect = RECT{0, 0, 420, 30};
    panel_->percentRect = RECT{420, 0, 480, 30};
    panel_->hwndParent = parent_;
  }
  void TearDown() override {
    panel_.reset();
    ::DestroyWindow(parent_);
  }

  static void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
  }
  static RECT PlaceIn(HWND child, HWND parent) {
    RECT box;
    ::GetWindowRect(child, &box);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&box), 2);
    return box;
  }
  int BarPosition() const { return static_cast<int>(::SendMessageW(panel_->hwndBar, PBM_GETPOS, 0, 0)); }

  HWND parent_ = nullptr;
  std::unique_ptr<ProgressPanel> panel_;
};

TEST_F(ProgressPanelTest, CreatedHiddenWithItsChildrenThenShown) {
  ShowPanel(*panel_);
  ASSERT_NE(panel_->hwndPanel, nullptr);
  EXPECT_EQ(::GetWindowLongW(panel_->hwndPanel, GWL_STYLE) & WS_VISIBLE, 0);
  EXPECT_EQ(::GetDlgItem(panel_->hwndPanel, kPanelLabelId), panel_->hwndLabel);
  EXPECT_EQ(::GetDlgItem(panel_->hwndPanel, kPanelPercentId), panel_->hwndPercent);
  EXPECT_EQ(::GetDlgItem(panel_->hwndPanel, kPanelBarId), panel_->hwndBar);
  const RECT panel = PlaceIn(panel_->hwndPanel, parent_);
  EXPECT_EQ(panel.left, 5);
  EXPECT_EQ(panel.top, 40);
  const RECT bar = PlaceIn(panel_->hwndBar, panel_->hwndPanel);
  EXPECT_EQ(bar.left, 0);
  EXPECT_EQ(bar.top, 30);
  EXPECT_EQ(bar.right, 480);
  EXPECT_EQ(bar.bottom, 60);
  EXPECT_EQ(::SendMessageW(panel_->hwndBar, PBM_GETRANGE, FALSE, 0), 100);

  const HWND created = panel_->hwndPanel;
  panel_->visible = 1;
  ShowPanel(*panel_);
  EXPECT_EQ(panel_->hwndPanel, created) << "a later call only shows or hides";
  EXPECT_NE(::GetWindowLongW(created, GWL_STYLE) & WS_VISIBLE, 0);

  panel_.reset();
  EXPECT_FALSE(::IsWindow(created)) << "no window is left to paint with freed texts";
}

TEST_F(ProgressPanelTest, PlacedAgainAfterADpiChangeWithTheNewFont) {
  ShowPanel(*panel_);
  panel_->x = 8;
  panel_->y = 60;
  panel_->width = 720;
  panel_->height = 90;
  panel_->labelRect = RECT{0, 0, 630, 45};
  panel_->percentRect = RECT{630, 0, 720, 45};
  UniqueFont font(CreateSkinFont(21));
  const HFONT given = font.get();
  PlacePanel(*panel_, std::move(font));
  EXPECT_EQ(panel_->font.get(), given);
  const RECT panel = PlaceIn(panel_->hwndPanel, parent_);
  EXPECT_EQ(panel.left, 8);
  EXPECT_EQ(panel.top, 60);
  const RECT bar = PlaceIn(panel_->hwndBar, panel_->hwndPanel);
  EXPECT_EQ(bar.top, 45);
  EXPECT_EQ(bar.right, 720);
  EXPECT_EQ(bar.bottom, 90);
  EXPECT_EQ(PlaceIn(panel_->hwndPercent, panel_->hwndPanel).left, 630);
  for (HWND text : {panel_->hwndLabel, panel_->hwndPercent})
    EXPECT_EQ(reinterpret_cast<HFONT>(::SendMessageW(text, WM_GETFONT, 0, 0)), given);
}

TEST_F(ProgressPanelTest, PercentMovesTheBarAndLabelIsBounded) {
  SetLabel(*panel_, "before the window");  // stored only
  EXPECT_EQ(panel_->labelText, L"before the window");
  ShowPanel(*panel_);
  SetPercent(*panel_, 57.123);
  Pump();
  EXPECT_EQ(BarPosition(), 57);
  EXPECT_EQ(panel_->percentText, L"57.12%");

  SetLabel(*panel_, std::string(1200, 'a'));
  EXPECT_EQ(panel_->labelText.size(), 999u);
  // U+1F600 is two UTF-16 units; the cut must not keep its first half alone.
  SetLabel(*panel_, std::string(998, 'a') + "\xF0\x9F\x98\x80" + "tail");
  EXPECT_EQ(panel_->labelText, std::wstring(998, L'a'));
}

}  // namespace
}  // namespace sl
