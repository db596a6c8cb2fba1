#include "window_probe.h"

#include <memory>

#include "app_driver.h"
#include "base/text_win.h"
#include "base/unique_handle_win.h"
#include "ui/shell_win.h"

namespace sl::e2e {
namespace {

using namespace std::chrono_literals;

struct ChildSearch {
  HWND parent;
  POINT at;
  HWND found;
};

BOOL CALLBACK MatchChild(HWND child, LPARAM lParam) {
  auto* search = reinterpret_cast<ChildSearch*>(lParam);
  RECT rect;
  ::GetWindowRect(child, &rect);
  POINT corner{rect.left, rect.top};
  ::ScreenToClient(search->parent, &corner);
  if (::GetParent(child) == search->parent && corner.x == search->at.x && corner.y == search->at.y) {
    search->found = child;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

HWND ChildAt(HWND parent, int x, int y) {
  ChildSearch search{parent, {x, y}, nullptr};
  ::EnumChildWindows(parent, MatchChild, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string TextOf(HWND window) {
  wchar_t text[1024] = {};
  ::GetWindowTextW(window, text, 1024);
  return Narrow(text);
}

bool IsShown(HWND parent, int controlId) {
  HWND control = ::GetDlgItem(parent, controlId);
  return control != nullptr && ::IsWindowVisible(control);
}

bool OffersOnly(HWND window, int startButton) {
  for (int id : {kInstallButton, kUpdateButton, kPlayButton}) {
    if (IsShown(window, id) != (id == startButton)) return false;
  }
  return true;
}

bool SaveScreenshot(HWND window, const std::wstring& path) {
  RECT rect;
  ::GetWindowRect(window, &rect);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  HDC screen = ::GetDC(nullptr);
  HDC memory = ::CreateCompatibleDC(screen);
  UniqueBitmap bitmap(::CreateCompatibleBitmap(screen, width, height));
  HGDIOBJ old = ::SelectObject(memory, bitmap.get());
  ::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  ::SelectObject(memory, old);
  ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);

  const GdiplusSession gdiplus;
  Gdiplus::Bitmap picture(bitmap.get(), nullptr);
  // The PNG encoder's class id.
  const CLSID png = {0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
  return picture.Save(path.c_str(), &png, nullptr) == Gdiplus::Ok;
}

MessageBoxSeen AnswerMessageBox(DWORD processId, int button, std::chrono::milliseconds timeout) {
  MessageBoxSeen seen;
  HWND box = FindProcessWindow(processId, L"#32770", timeout);
  if (box == nullptr) return seen;
  // The box exists before its text is filled in; read it only once it is there.
  WaitUntil([&] { return !TextOf(::GetDlgItem(box, 0xFFFF)).empty(); }, 5s);
  seen.caption = TextOf(box);
  seen.text = TextOf(::GetDlgItem(box, 0xFFFF));
  ::PostMessageW(box, WM_COMMAND, button, 0);
  WaitUntil([&] { return ::IsWindow(box) == FALSE; }, 5s);
  return seen;
}

AnswerWatch::AnswerWatch(HWND window)
    : thread_([this, window] {
        while (!stop_) {
          const auto sent = std::chrono::steady_clock::now();
          DWORD_PTR ignored = 0;
          ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 500, &ignored);
          const double waited =
              std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - sent).count();
          if (waited > longestMs_) longestMs_ = waited;
          ::Sleep(50);
        }
      }) {}

AnswerWatch::~AnswerWatch() {
  stop_ = true;
  thread_.join();
}

}  // namespace sl::e2e
