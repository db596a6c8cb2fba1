#include "ui/progress_control_win.h"

#include <gtest/gtest.h>

namespace sl {
namespace {

class ProgressControlTest : public testing::Test {
 protected:
  void SetUp() override {
    parent_ =
        ::CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 1020, 597, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(parent_, nullptr);
    control_ = CreateProgressControl(parent_);
    ASSERT_NE(control_->window, nullptr);
  }
  void TearDown() override {
    control_.reset();
    ::DestroyWindow(parent_);
  }

  bool HasVisibleStyle() const { return (::GetWindowLongW(control_->window, GWL_STYLE) & WS_VISIBLE) != 0; }

  HWND parent_ = nullptr;
  std::unique_ptr<ProgressControl> control_;
};

TEST_F(ProgressControlTest, CreatedHiddenInPlaceAndDestroyedWithItsRecord) {
  EXPECT_FALSE(HasVisibleStyle());
  RECT box;
  ::GetWindowRect(control_->window, &box);
  ::MapWindowPoints(nullptr, parent_, reinterpret_cast<POINT*>(&box), 2);
  EXPECT_EQ(box.left, 290);
  EXPECT_EQ(box.top, 480);
  EXPECT_EQ(box.right, 790);
  EXPECT_EQ(box.bottom, 580);
  EXPECT_EQ(::SendMessageW(control_->window, WM_NCHITTEST, 0, 0), HTCAPTION);

  control_->visible = 1;
  Show(*control_);
  EXPECT_TRUE(HasVisibleStyle());

  const HWND window = control_->window;
  control_.reset();
  EXPECT_FALSE(::IsWindow(window));  // no window left to paint with the deleted brushes
}

TEST_F(ProgressControlTest, TotalProgressAndTheRedrawThrottle) {
  control_->currentPercent = 40;
  control_->currentText = "40.0%";
  SetTotalProgress(*control_, 2, 3);
  EXPECT_EQ(control_->totalPercent, 66);
  EXPECT_EQ(control_->totalText, "66.7%");
  EXPECT_EQ(control_->currentPercent, 40);
  const double accepted = control_->lastRedraw;
  EXPECT_GT(accepted, 1.6e9);  // seconds since 1970, not since 1601

  SetTotalProgress(*control_, 0, 0);  // no total: only the current bar is reset
  EXPECT_EQ(control_->totalPercent, 66);
  EXPECT_EQ(control_->currentPercent, 0);
  EXPECT_EQ(control_->currentText, "0.0%");
  EXPECT_EQ(control_->lastRedraw, accepted);  // within 0.2 s: not yet
  EXPECT_TRUE(control_->deferredRedraw);

  // The refused request is carried out once the interval has passed.
  const DWORD start = ::GetTickCount();
  MSG message;
  while (control_->deferredRedraw && ::GetTickCount() - start < 2000) {
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
    ::Sleep(10);
  }
  EXPECT_FALSE(control_->deferredRedraw);
  EXPECT_GT(control_->lastRedraw - accepted, 0.2);
}

TEST_F(ProgressControlTest, PaintsTroughFillAndTextBoxes) {
  ::ShowWindow(parent_, SW_SHOWNA);
  control_->visible = 1;
  Show(*control_);
  control_->currentPercent = 50;  // fills x 50 to 250 of the current bar
  Redraw(*control_);
  ::UpdateWindow(control_->window);

  const HDC dc = ::GetDC(control_->window);
  EXPECT_EQ(::GetPixel(dc, 150, 53), RGB(1, 146, 235));
  EXPECT_EQ(::GetPixel(dc, 300, 53), RGB(110, 110, 110));
  EXPECT_EQ(::GetPixel(dc, 300, 75), RGB(110, 110, 110));  // total bar at 0
  EXPECT_EQ(::GetPixel(dc, 2, 43), RGB(31, 31, 32));       // label box
  ::ReleaseDC(control_->window, dc);
}

TEST_F(ProgressControlTest, AtAnotherDpiItsPlaceAndPaintingScale) {
  ::SetWindowPos(parent_, nullptr, 0, 0, 1530, 896, SWP_NOZORDER | SWP_SHOWWINDOW | SWP_NOACTIVATE);
  control_->visible = 1;
  Show(*control_);
  SetProgressDpi(*control_, 144);
  RECT box;
  ::GetWindowRect(control_->window, &box);
  ::MapWindowPoints(nullptr, parent_, reinterpret_cast<POINT*>(&box), 2);
  EXPECT_EQ(box.left, 435);
  EXPECT_EQ(box.top, 720);
  EXPECT_EQ(box.right, 1185);
  EXPECT_EQ(box.bottom, 870);

  control_->currentPercent = 50;  // the current bar is x 75 to 675, y 72 to 87: filled to 375
  Redraw(*control_);
  ::UpdateWindow(control_->window);
  const HDC dc = ::GetDC(control_->window);
  EXPECT_EQ(::GetPixel(dc, 300, 80), RGB(1, 146, 235));
  EXPECT_EQ(::GetPixel(dc, 450, 80), RGB(110, 110, 110));
  EXPECT_EQ(::GetPixel(dc, 225, 112), RGB(110, 110, 110));  // total bar, 75 to 675 by 105 to 120
  EXPECT_EQ(::GetPixel(dc, 3, 65), RGB(31, 31, 32));        // label box, 0 to 75 by 63 to 96
  ::ReleaseDC(control_->window, dc);
}

}  // namespace
}  // namespace sl
