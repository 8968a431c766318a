// The progress on the window's taskbar button.
#ifndef ZERROW_UI_TASKBAR_H
#define ZERROW_UI_TASKBAR_H

#include "base/win.h"

#include <cstdint>

namespace zrw {

enum class TaskbarMark { None, Normal, Paused, Error };
struct TaskbarProgress {
    TaskbarMark mark = TaskbarMark::None;
    int percent = 0;
    bool operator==(const TaskbarProgress&) const = default;
};
// While a job runs: its percent, held while paused, red once a source failed.
TaskbarProgress RunningTaskbar(int percent, bool paused, uint64_t failed);
// Once it ended: a full red bar after failures or differences, until the
// window is next activated; nothing after a clean or cancelled job.
TaskbarProgress EndTaskbar(bool cancelled, uint64_t failed, uint64_t differing);

// Sets the button through the taskbar's list object. Replaceable, because
// Wine's taskbar shows no progress and answers nothing about it.
using TaskbarSetter = void (*)(HWND window, const TaskbarProgress& progress);
extern TaskbarSetter g_setTaskbar;
// Hands the progress to the setter when it differs from what the button shows.
void ShowTaskbar(HWND window, const TaskbarProgress& progress);
UINT RegisterTaskbarButtonCreated();
bool IsTaskbarButtonCreated(UINT message);
// A new button (first shown, or Explorer restarted) knows nothing yet.
void OnTaskbarButtonCreated(HWND window);
// Drops the list object and what the button was last given, with the window.
void ReleaseTaskbar();

}  // namespace zrw

#endif
