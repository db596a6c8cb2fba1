#include "ui/folder_choice_win.h"

#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>

#include "base/text_win.h"
#include "store/local_store_win.h"
#include "store/local_paths.h"
#include "ui/folder_rules.h"
#include "ui/main_window_win.h"

namespace sl {
namespace {

// What the picker's dialog procedure needs while it runs, and what it found.
struct FolderPickResult {
  std::wstring path;  // the chosen folder
  bool chosen = false;
  WNDPROC previousProc = nullptr;  // the explorer dialog's own procedure
};

constexpr DWORD kPickerFlags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_ENABLEHOOK | OFN_PATHMUSTEXIST |
                               OFN_EXPLORER | OFN_ENABLESIZING | OFN_DONTADDTORECENT;
static_assert(kPickerFlags == 0x0288082C);

// A pattern no file matches, so the dialog lists folders only.
constexpr wchar_t kFolderFilter[] = L"Folders\0abcdefghijklmokpqrs.puss@@\0";

// Kept as a property, not in GWLP_USERDATA: the dialog belongs to the common-dialog library.
constexpr wchar_t kPickProperty[] = L"sl.FolderPickResult";

constexpr int kShellViewListId = 1;  // the list view inside the shell view (lst2)

FolderPickResult* PickOf(HWND dialog) {
  return static_cast<FolderPickResult*>(::GetPropW(dialog, kPickProperty));
}

bool FileNameBoxHasText(HWND dialog) {
  const HWND box = ::GetDlgItem(dialog, cmb13);
  return box != nullptr && ::GetWindowTextLengthW(box) > 0;
}

bool FolderListHasSelection(HWND dialog) {
  const HWND view = ::GetDlgItem(dialog, lst2);
  const HWND list = view != nullptr ? ::GetDlgItem(view, kShellViewListId) : nullptr;
  return list != nullptr && ::SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0) > 0;
}

// The folder the dialog shows; empty for virtual places such as the computer's drive list.
std::wstring ShownFolder(HWND dialog) {
  wchar_t buffer[MAX_PATH] = {};
  const LRESULT needed =
      ::SendMessageW(dialog, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(buffer));
  if (needed <= 0 || needed > MAX_PATH) return {};
  return buffer;
}

bool IsDirectory(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// "Select": typed text or a selected folder is navigated to as the dialog always does; with
// neither, the shown folder is the choice.
LRESULT OnSelect(HWND dialog, FolderPickResult& pick, UINT message, WPARAM wParam, LPARAM lParam) {
  if (FileNameBoxHasText(dialog)) {
    ::CallWindowProcW(pick.previousProc, dialog, message, wParam, lParam);
    ::SetDlgItemTextW(dialog, cmb13, L"");
    return 1;
  }
  if (FolderListHasSelection(dialog)) {
    ::CallWindowProcW(pick.previousProc, dialog, message, wParam, lParam);
    return 1;
  }
  std::wstring folder = ShownFolder(dialog);
  if (!folder.empty() && IsDirectory(folder)) {
    pick.path = std::move(folder);
    pick.chosen = true;
    ::EndDialog(dialog, 1);
    return 1;
  }
  return ::CallWindowProcW(pick.previousProc, dialog, message, wParam, lParam);
}

LRESULT CALLBACK PickerDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  FolderPickResult* pick = PickOf(dialog);
  if (pick == nullptr) return ::DefDlgProcW(dialog, message, wParam, lParam);  // not reached: set first
  const WNDPROC previous = pick->previousProc;
  if (message == WM_COMMAND && HIWORD(wParam) == 0 && LOWORD(wParam) == IDOK) {
    return OnSelect(dialog, *pick, message, wParam, lParam);
  }
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrW(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    ::RemovePropW(dialog, kPickProperty);
  }
  return ::CallWindowProcW(previous, dialog, message, wParam, lParam);
}

// Runs on the hook's child dialog; the explorer dialog itself is its parent.
UINT_PTR CALLBACK PickerHook(HWND hook, UINT message, WPARAM, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    const HWND dialog = ::GetParent(hook);
    auto* pick =
        reinterpret_cast<FolderPickResult*>(reinterpret_cast<const OPENFILENAMEW*>(lParam)->lCustData);
    ::SendMessageW(dialog, CDM_HIDECONTROL, stc2, 0);  // file type caption
    ::SendMessageW(dialog, CDM_HIDECONTROL, cmb1, 0);  // file type list
    ::SendMessageW(dialog, CDM_SETCONTROLTEXT, IDOK, reinterpret_cast<LPARAM>(L"Select"));
    ::SendMessageW(dialog, CDM_SETCONTROLTEXT, stc3, reinterpret_cast<LPARAM>(L"Folder Name:"));
    ::SetPropW(dialog, kPickProperty, pick);
    pick->previousProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PickerDialogProc)));
    return TRUE;
  }
  if (message == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lParam)->code == static_cast<UINT>(CDN_FILEOK)) {
    // Files are never the answer: the dialog closes only through "Select" on a folder.
    ::SetWindowLongPtrW(hook, DWLP_MSGRESULT, 1);
    return TRUE;
  }
  return FALSE;
}

int Ask(HWND owner, std::string_view text, const wchar_t* caption, UINT type) {
  return ::MessageBoxW(owner, Widen(text).c_str(), caption, type);
}

void SetText(HWND control, std::string_view text) { ::SetWindowTextW(control, Widen(text).c_str()); }

double FreeGiB(std::string_view folder) { return BytesToGiB(GetDriveFreeBytes(folder)); }

// The player's folder, or none when cancelled. Asks again after a refusal or a "No".
std::optional<std::string> PickFolder(MainWindow& main, FolderKind kind) {
  for (;;) {
    const std::string initial =
        kind == FolderKind::kInstall ? main.Session().State().installDir : EnsureDownloadDir();
    std::optional<std::string> folder = ChooseFolder(main.Window(), PickerTitle(kind), initial);
    if (!folder) return std::nullopt;
    switch (JudgePickedFolder(*folder, FreeGiB(*folder))) {
      case PickVerdict::kShort:
        Ask(main.Window(), ShortSpaceMessage(kind, DriveRoot(*folder)), L"Thông báo", MB_ICONERROR);
        continue;
      case PickVerdict::kDriveRoot:
        if (Ask(main.Window(), DriveRootQuestion(kind, *folder), L"Chọn thư mục",
                MB_ICONQUESTION | MB_YESNO) != IDYES) {
          continue;
        }
        return DefaultSubfolder(kind, *folder);
      case PickVerdict::kAccept:
        return folder;
    }
  }
}

// Not while a press is being planned either: the plan works on the folders as they were.
bool CanBrowse(MainWindow& main) {
  return main.Session().State().workflowState == STATE_IDLE && !main.Session().Busy();
}

}  // namespace

std::optional<std::string> ChooseFolder(HWND owner, std::string_view title, std::string_view initialFolder) {
  FolderPickResult pick;
  wchar_t fileName[MAX_PATH] = {};
  const std::wstring wideTitle = Widen(title);
  const std::wstring wideInitial = Widen(initialFolder);

  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = kFolderFilter;
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = fileName;
  dialog.nMaxFile = MAX_PATH;
  dialog.lpstrInitialDir = wideInitial.empty() ? nullptr : wideInitial.c_str();
  dialog.lpstrTitle = wideTitle.c_str();
  dialog.lpstrDefExt = L"";
  dialog.Flags = kPickerFlags;
  dialog.lCustData = reinterpret_cast<LPARAM>(&pick);
  dialog.lpfnHook = &PickerHook;

  // The dialog ends with a folder only through "Select", which records it; a cancel records
  // nothing, so the call's own result adds no information.
  ::GetOpenFileNameW(&dialog);
  if (!pick.chosen) return std::nullopt;
  return Narrow(pick.path);
}

void OnBrowseInstall(MainWindow& main) {
  if (!CanBrowse(main)) return;
  const std::optional<std::string> folder = PickFolder(main, FolderKind::kInstall);
  if (!folder) return;
  SetInstallDir(main.Session().State(), *folder, true);
  RefreshFolderTexts(main);
}

void OnBrowseDownload(MainWindow& main) {
  if (!CanBrowse(main)) return;
  const std::optional<std::string> folder = PickFolder(main, FolderKind::kDownload);
  if (!folder) return;
  // The working folder changes too: no run is active, so no download is split across folders.
  Paths().downloadDir = *folder;
  CreateFolderTree(*folder);
  SetDownloadDir(*folder);
  RefreshFolderTexts(main);
}

void RefreshFolderTexts(MainWindow& main) {
  InstallState& state = main.Session().State();
  MainControls& controls = main.Controls();
  const InstallMode mode = GetInstallMode(state.latestVersion, state.installedVersion, state.minimalVersion);

  SetText(controls.installDirField, FolderFieldText(state.installDir));
  const double installFree = FreeGiB(state.installDir);
  const InstallCaptions captions =
      InstallCaptionsFor(mode, installFree, state.installedVersion, state.latestVersion);
  SetText(controls.installDirLabel, captions.location);
  SetText(controls.versionLabel, captions.version);

  const std::string downloadDir = EnsureDownloadDir();
  SetText(controls.downloadDirField, FolderFieldText(downloadDir));
  const double downloadFree = FreeGiB(downloadDir);
  SetText(controls.downloadDirLabel, DownloadCaption(downloadFree));

  state.spaceWarning = ComputeSpaceWarning(mode, DriveRoot(state.installDir), DriveRoot(downloadDir),
                                           installFree, downloadFree);
  main.ShowView(false);
}

}  // namespace sl
