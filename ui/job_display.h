// The main window's display of the job it started: progress, pause and the end.
#ifndef ZERROW_UI_JOB_DISPLAY_H
#define ZERROW_UI_JOB_DISPLAY_H

#include "job/job.h"

#include <string>

namespace zrw {

// The texts last set on the window's display targets; while a job runs a
// target is only set when its text changed.
struct KeptTexts {
    std::wstring status, report, failure, caption;
};
extern KeptTexts g_kept;
// Sets the status line and its kept copy, whatever they held.
void ShowStatusLine(const std::wstring& text);
void UpdateProgress(HWND mainWindow);
void ShowJobEnd();
// The pause button: holds or releases the running source and says which.
void TogglePause();
void ResetPause();
// The menu's "check a hash list": a picked SHA256SUMS read again, its
// report in the report panel and in "verify-last.log".
void CheckHashListInWindow();
// What the main window is to a job it started.
JobView& MainWindowJobView();

}  // namespace zrw

#endif
