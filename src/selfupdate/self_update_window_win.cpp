#include "selfupdate/self_update_win.h"

#include <windows.h>

#include <atomic>
#include <memory>
#include <optional>

#include "base/build_info.h"
#include "base/text.h"
#include "base/path.h"
#include "base/unique_handle_win.h"
#include "base/text_win.h"
#include "base/window_messages.h"
#include "diag/log.h"
#include "diag/thread_entry.h"
#include "install/install_worker_win.h"
#include "install/verify_win.h"
#include "net/download_messages.h"
#include "net/http_helper_win.h"
#include "selfupdate/update_rules.h"
#include "store/local_paths.h"
#include "ui/shell_win.h"
#include "ui/skin_buttons_win.h"
#include "ui/main_controls_win.h"
#include "ui/progress_panel_win.h"

namespace sl {
namespace {

constexpr wchar_t kClassName[] = L"vy_selfupdate";
constexpr char kSource[] = "SelfUpdateThread";
constexpr COLORREF kCaptionBand = RGB(0x11, 0x11, 0x11);
constexpr COLORREF kWhite = RGB(255, 255, 255);

enum class JobPhase {
  Downloading,
  Finished,   // the transfer ended (done or failed): the worker owns the rest and ends the process
  Cancelled,  // the window closed first: the download stops and the installer goes on
};

// What the worker needs. Shared, so it outlives the window whichever of the two ends first; the
// worker touches nothing else of the window.
struct UpdateJob {
  std::string exeDir;
  std::string mainName;
  std::string ownName;  // this program's file name, removed once the main file is replaced
  std::string partialPath;
  std::string packagePath;
  std::string caption;
  std::optional<uint64_t> packageSize;  // as the launcher manifest gives them
  std::string packageMd5;
  // Written on the UI thread before `phase` leaves Downloading, read by the worker after.
  HWND window = nullptr;
  bool transferDone = false;  // 1013 rather than 1018
  std::optional<uint64_t> announcedLength;
  std::atomic<JobPhase> phase{JobPhase::Downloading};
  UniqueKernelHandle phaseChanged{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};

  // The first of the two ends wins. UI thread only, so a close and the end of the transfer never race.
  void End(JobPhase to) {
    JobPhase expected = JobPhase::Downloading;
    if (phase.compare_exchange_strong(expected, to)) ::SetEvent(phaseChanged.get());
  }
};

// The window's own state, UI thread only.
struct SelfUpdateWindow {
  std::shared_ptr<UpdateJob> job;
  SelfUpdateView view;   // what it shows and where, at 96 DPI
  std::wstring caption;  // the view's caption, converted once for painting
  int dpi = kBaseDpi;
  ProgressPanel panel;
  std::unique_ptr<MSHTTPHelper> http;
};

SelfUpdateWindow* StateOf(HWND window) { return BoundObject<SelfUpdateWindow>(window); }

// Drops a package that must never be applied, with its resume record.
void DiscardPartial(const UpdateJob& job, const std::string& why) {
  WriteLog(kSource, 0, Format("%s: %s", why.c_str(), job.partialPath.c_str()));
  ::DeleteFileW(Widen(job.partialPath).c_str());
  RemoveResumeRecord(job.partialPath);
}

// Moves a complete, valid download to the package name; otherwise what the player is told. A
// transfer cut short keeps its partial file for the next attempt to resume; a file that is no
// program, not the manifest's or not of this program's publisher is removed.
std::string PromotePackage(const UpdateJob& job) {
  switch (JudgePackageFile(job.partialPath, job.announcedLength)) {
    case PackageVerdict::Ready:
      break;
    case PackageVerdict::Incomplete:
      WriteLog(kSource, 0, Format("Gói cập nhật chưa tải đủ: %s", job.partialPath.c_str()));
      return kUpdateFailedText;
    case PackageVerdict::NotExecutable:
      DiscardPartial(job, "Gói cập nhật không phải chương trình x64");
      return kUpdateFailedText;
  }
  UniqueFile held = LockForLaunch(job.partialPath);
  if (!MatchesManifest(held.get(), job.packageSize, job.packageMd5)) {
    held.reset();
    DiscardPartial(job, "Gói cập nhật không khớp độ dài và mã MD5 " + job.packageMd5);
    return kUpdateFailedText;
  }
  if (!SignedLikeThisProgram(job.partialPath, held.get())) {
    held.reset();
    DiscardPartial(job, "Gói cập nhật không có chữ ký số hợp lệ");
    return PackageRefusedText(job.packagePath.substr(job.packagePath.rfind('\\') + 1));
  }
  held.reset();
  if (!::MoveFileExW(Widen(job.partialPath).c_str(), Widen(job.packagePath).c_str(),
                     MOVEFILE_REPLACE_EXISTING)) {
    WriteLog(kSource, ::GetLastError(), Format("MoveFileExW %s", job.packagePath.c_str()));
    return kUpdateFailedText;
  }
  RemoveResumeRecord(job.partialPath);
  return {};
}

void FinishUpdate(const UpdateJob& job) {
  const std::string failure = job.transferDone ? PromotePackage(job) : std::string(kUpdateFailedText);
  if (failure.empty()) {
    ApplyUpdate(job.exeDir, job.mainName, job.packagePath, job.ownName, job.packageSize, job.packageMd5);
  } else {
    ::MessageBoxW(job.window, Widen(failure).c_str(), Widen(job.caption).c_str(), MB_ICONERROR);
  }
}

void SelfUpdateThread(const std::shared_ptr<UpdateJob>& job) {
  ::WaitForSingleObject(job->phaseChanged.get(), INFINITE);
  if (job->phase != JobPhase::Finished) return;
  // The window refuses to close from here on: the process ends here even after an exception.
  static_cast<void>(RunThreadEntry(kSource, [&job] { FinishUpdate(*job); }));
  ::ExitProcess(0);
}

void EraseBackground(HWND window, HDC dc) {
  const SelfUpdateWindow* state = StateOf(window);
  RECT client;
  ::GetClientRect(window, &client);
  const int bandHeight = state != nullptr ? ScaleRect(state->view.captionBand, state->dpi).bottom
                                          : SelfUpdateView{}.captionBand.bottom;
  const RECT band{client.left, 0, client.right, bandHeight};
  const UniqueBrush bandBrush(::CreateSolidBrush(kCaptionBand));
  ::FillRect(dc, &band, bandBrush.get());
  const RECT rest{client.left, bandHeight, client.right, client.bottom};
  ::FillRect(dc, &rest, static_cast<HBRUSH>(::GetStockObject(DKGRAY_BRUSH)));
}

void Paint(HWND window) {
  ScopedPaint paint(window);
  const SelfUpdateWindow* state = StateOf(window);
  if (state == nullptr || state->caption.empty()) return;
  ScopedDcState saved(paint.dc());
  ::SetBkMode(paint.dc(), TRANSPARENT);
  ::SelectObject(paint.dc(), state->panel.font.get());  // the panel's texts and the caption share it
  ::SetTextColor(paint.dc(), kWhite);
  RECT box = ToRect(ScaleRect(state->view.captionBand, state->dpi));
  ::DrawTextW(paint.dc(), state->caption.c_str(), static_cast<int>(state->caption.size()), &box,
              DT_SINGLELINE | DT_VCENTER | DT_CENTER);
}

void OnProgress(SelfUpdateWindow& state, WPARAM done, LPARAM total) {
  state.http->ProgressTaken();
  const auto length = static_cast<int64_t>(total);
  if (const std::optional<double> percent = DownloadPercent(static_cast<int64_t>(done), length)) {
    SetPercent(state.panel, *percent);
  }
  // The last count is sent before the final status, so this is the transfer's announced length. A
  // posted count that arrives after the end belongs to the worker's job no more.
  if (length > 0 && state.job->phase == JobPhase::Downloading) {
    state.job->announcedLength = static_cast<uint64_t>(length);
  }
}

void OnStatus(SelfUpdateWindow& state, WPARAM code, LPARAM text) {
  const std::optional<StatusReaction> reaction = ReactionTo(static_cast<int32_t>(code));
  if (!reaction) return;
  SetLabel(state.panel, std::string(reaction->labelPrefix) + Narrow(reinterpret_cast<const wchar_t*>(text)));
  if (reaction->ends) {
    state.job->transferDone = state.http->IsCompleted();
    state.job->End(JobPhase::Finished);
  }
}

// The panel's places at `dpi`.
void LayOutPanel(ProgressPanel& panel, const SelfUpdateView& view, int dpi) {
  const SkinRect place = ScaleRect(view.panel, dpi);
  panel.x = place.left;
  panel.y = place.top;
  panel.width = place.right - place.left;
  panel.height = place.bottom - place.top;
  panel.labelRect = ToRect(ScaleRect(view.label, dpi));
  panel.percentRect = ToRect(ScaleRect(view.percent, dpi));
}

// Moves to the place Windows suggests and scales the caption, font and panel to the new DPI.
void OnDpiChanged(HWND window, SelfUpdateWindow& state, int dpi, const RECT& suggested) {
  state.dpi = dpi;
  LayOutPanel(state.panel, state.view, dpi);
  PlacePanel(state.panel, UniqueFont(CreateSkinFont(ScaleByDpi(state.view.fontHeight, dpi))));
  ::SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  ::InvalidateRect(window, nullptr, TRUE);
}

LRESULT CALLBACK SelfUpdateWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  SelfUpdateWindow* state = WindowObject<SelfUpdateWindow>(window, message, lParam);
  switch (message) {
    case WM_ERASEBKGND:
      EraseBackground(window, reinterpret_cast<HDC>(wParam));
      return 1;
    case WM_PAINT:
      Paint(window);
      return 0;
    case WM_KEYUP:
      if (wParam == VK_ESCAPE) ::PostMessageW(window, WM_CLOSE, 0, 0);
      break;
    case WM_CLOSE:
      // Once the transfer has ended the worker replaces the program and ends the process; the
      // window stays until then, also as the owner of its messages.
      if (state != nullptr && state->job->phase == JobPhase::Finished) return 0;
      break;
    case WM_DESTROY:
      if (state != nullptr) {
        state->job->End(JobPhase::Cancelled);
        state->http.reset();  // the download thread stops and sends nothing more
      }
      ::PostQuitMessage(0);
      break;
    case WM_DPICHANGED:
      if (state != nullptr)
        OnDpiChanged(window, *state, HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_DOWNLOAD_PROGRESS:
      if (state != nullptr && state->http) OnProgress(*state, wParam, lParam);
      return 0;
    case WM_DOWNLOAD_STATUS:
      if (state != nullptr && state->http) OnStatus(*state, wParam, lParam);
      return 0;
    case WM_DOWNLOAD_RETRY:
      if (state != nullptr && state->http)
        SetLabel(state->panel, RetryWaitText(FailureKindFromMessage(lParam), static_cast<uint64_t>(wParam)));
      return 0;
    default:
      break;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

void BuildPanel(ProgressPanel& panel, const SelfUpdateView& view, HWND parent, int dpi) {
  LayOutPanel(panel, view, dpi);
  panel.font.reset(CreateSkinFont(ScaleByDpi(view.fontHeight, dpi)));
  panel.hwndParent = parent;
  SetLabel(panel, "");
  ShowPanel(panel);  // created hidden
  panel.visible = 1;
  ShowPanel(panel);
}

// Runs until this window is gone. The main window behind it is served too; when it quits first,
// its quit waits for the main loop, which runs again once this window has closed.
void RunLoop(HWND window) {
  std::optional<int> mainQuit;
  MSG msg{};
  for (;;) {
    const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got > 0) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
      continue;
    }
    if (got < 0 || !::IsWindow(window)) break;
    mainQuit = static_cast<int>(msg.wParam);
  }
  if (mainQuit) ::PostQuitMessage(*mainQuit);
}

}  // namespace

void ShowSelfUpdateWindow(const SelfUpdateRequest& request) {
  const LocalPaths& paths = Paths();
  auto job = std::make_shared<UpdateJob>();
  job->exeDir = paths.exeDir;
  job->mainName = MakeExeName();
  job->ownName = paths.exeName;
  job->packagePath = JoinPath(paths.exeDir, MakeZipName(request.serverVersion));
  job->partialPath = PartialPackageName(job->packagePath);
  job->caption = request.caption;
  job->packageSize = request.packageSize;
  job->packageMd5 = request.packageMd5;
  if (!job->phaseChanged) {
    // Without it the worker could never learn how the transfer ended; the installer goes on.
    WriteLog(kSource, ::GetLastError(), "CreateEventW");
    return;
  }
  if (!StartWorkerThread(kSource, [job] { SelfUpdateThread(job); })) {
    WriteLog(kSource, 0, "Không tạo được luồng cập nhật");
    return;
  }

  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  SelfUpdateWindow state;
  state.job = job;
  state.view = SelfUpdateViewFor(request.caption);
  state.caption = Widen(state.view.caption);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = SelfUpdateWindowProc;
  wc.hInstance = instance;
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kClassName;
  ::RegisterClassExW(&wc);

  // Owned by the main window, which takes no input meanwhile: nothing of the installer can start
  // under an update that ends the process.
  const HWND window = ::CreateWindowExW(0, kClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0, state.view.width,
                                        state.view.height, request.owner, nullptr, instance, &state);
  if (window == nullptr) {
    job->End(JobPhase::Cancelled);
    ::UnregisterClassW(kClassName, instance);
    return;
  }
  job->window = window;
  state.dpi = WindowDpi(window);
  if (state.dpi != kBaseDpi)
    ::SetWindowPos(window, nullptr, 0, 0, ScaleByDpi(state.view.width, state.dpi),
                   ScaleByDpi(state.view.height, state.dpi), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  BuildPanel(state.panel, state.view, window, state.dpi);
  state.http = MSHTTPHelper::Init(window);
  const RECT text = ToRect(ScaleRect(state.view.captionBand, state.dpi));
  ::InvalidateRect(window, &text, TRUE);
  ::ShowWindow(window, SW_SHOWNORMAL);
  ::UpdateWindow(window);
  CenterOnScreen(window);

  state.http->StartDownload(
      PackageUrl(DownloadBaseUrl(), request.serverVersion), job->partialPath, request.packageSize.value_or(0),
      request.packageMd5.empty() ? MSHTTPHelper::Content::Unchecked : MSHTTPHelper::Content::Checked);
  if (request.owner != nullptr) ::EnableWindow(request.owner, FALSE);
  RunLoop(window);
  if (request.owner != nullptr && ::IsWindow(request.owner)) ::EnableWindow(request.owner, TRUE);
  // A loop ended by a message error leaves the window alive; it must not keep a pointer to `state`.
  if (::IsWindow(window)) ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  ::UnregisterClassW(kClassName, instance);
}

}  // namespace sl
