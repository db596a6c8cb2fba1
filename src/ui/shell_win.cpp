#include "ui/shell_win.h"

#include "res/resource.h"

namespace sl {

namespace {

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        ::EndDialog(dialog, LOWORD(wParam));
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

void ShowAboutBox(HINSTANCE instance, HWND owner) {
  ::DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_ABOUTBOX), owner, AboutProc, 0);
}

}  // namespace sl
