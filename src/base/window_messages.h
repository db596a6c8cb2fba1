// Every window message of the program's own, in one table: what the download, MD5, plan and install
// threads post or send to the window that started them, and the numbers the main window reserves.
// The numbers are fixed: other builds of the program and its tests exchange them.
#pragma once

namespace sl {

enum WindowMessage : unsigned int {
  // Posted while the check of a whole file catches up: wParam the bytes hashed, lParam its length.
  WM_MD5_PROGRESS = 52,
  // An MD5 check's verdict (1 or 0), after its WM_MD5_PROGRESS: nobody acts on it.
  WM_MD5_RESULT = 53,

  // The download thread (WM_USER = 1024). Posted: wParam bytes of the file on disk, lParam its
  // content length (0 = unknown). A receiver calls MSHTTPHelper::ProgressTaken() so that the next
  // one is posted.
  WM_DOWNLOAD_PROGRESS = 1048,
  // Sent: wParam an MDS_STATUS_* code (net/download_messages.h), lParam a UTF-16 text (the file
  // name, or an error text).
  WM_DOWNLOAD_STATUS = 1057,
  // Sent once a second while a download, or a list or manifest fetch of a run, waits to try again:
  // wParam the seconds until the next try, lParam the FailureKind (net/transfer_rules.h) of the
  // failed try.
  WM_DOWNLOAD_RETRY = 1058,

  // The install worker's verdict on one step: wParam 1 or 0, lParam the setup program's file name
  // (UTF-8, owned by the worker's job, valid until the job is replaced).
  WM_INSTALL_RESULT = 1104,

  // Swallowed by the main window, never passed to the install pipeline: the number is reserved by
  // the window's protocol.
  WM_SWALLOWED_MESSAGE = 1147,
  // Sent only from outside (the program never sends it) to minimise the main window.
  WM_SHOW_MINIMIZED = 2406,

  // WM_APP = 32768 and on. Posted by the main window's creation: the install is detected once a
  // message loop pumps.
  WM_STARTUP_CHECK = 32769,
  // Work off the window has ended (diag/worker_win.h); wParam the run's ticket. version.ini was
  // read (at start-up, or again for a press), and a plan of the next step is done.
  WM_VERSIONS_READ = 32770,
  WM_PLAN_DONE = 32771,
  // A transfer beside the current file's has ended: wParam its ticket, lParam 1 when its file is
  // whole on disk, 0 when it failed.
  WM_SIDE_DOWNLOAD_DONE = 32772,
};

}  // namespace sl
