// The progress on the window's taskbar button, through ITaskbarList3.
#include "ui/taskbar.h"

#include <shobjidl.h>

namespace zrw {

namespace {

ComPtr<ITaskbarList3> g_list;
bool g_listMissing = false;  // asked once for each taskbar button
TaskbarProgress g_shown;
UINT g_buttonCreated = 0;

TBPFLAG FlagOf(TaskbarMark mark) {
    switch (mark) {
    case TaskbarMark::Normal: return TBPF_NORMAL;
    case TaskbarMark::Paused: return TBPF_PAUSED;
    case TaskbarMark::Error: return TBPF_ERROR;
    case TaskbarMark::None: break;
    }
    return TBPF_NOPROGRESS;
}

// Made on first use: a window that never runs a job never loads it.
void SetThroughTaskbarList(HWND window, const TaskbarProgress& progress) {
    if (!g_list) {
        if (g_listMissing) return;
        if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_ITaskbarList3, g_list.put_void())) ||
            FAILED(g_list->HrInit())) {
            g_list.reset();
            g_listMissing = true;
            return;
        }
    }
    g_list->SetProgressState(window, FlagOf(progress.mark));
    if (progress.mark != TaskbarMark::None)
        g_list->SetProgressValue(window, static_cast<ULONGLONG>(progress.percent), 100);
}

}  // namespace

TaskbarSetter g_setTaskbar = SetThroughTaskbarList;

TaskbarProgress RunningTaskbar(int percent, bool paused, uint64_t failed) {
    TaskbarMark mark = failed != 0 ? TaskbarMark::Error
                       : paused    ? TaskbarMark::Paused
                                   : TaskbarMark::Normal;
    return {mark, percent};
}

TaskbarProgress EndTaskbar(bool cancelled, uint64_t failed, uint64_t differing) {
    if (!cancelled && (failed != 0 || differing != 0)) return {TaskbarMark::Error, 100};
    return {};
}

void ShowTaskbar(HWND window, const TaskbarProgress& progress) {
    if (progress == g_shown) return;
    g_shown = progress;
    g_setTaskbar(window, progress);
}

UINT RegisterTaskbarButtonCreated() {
    g_buttonCreated = RegisterWindowMessageW(L"TaskbarButtonCreated");
    return g_buttonCreated;
}

bool IsTaskbarButtonCreated(UINT message) {
    return g_buttonCreated != 0 && message == g_buttonCreated;
}

void OnTaskbarButtonCreated(HWND window) {
    TaskbarProgress wanted = g_shown;
    ReleaseTaskbar();
    if (wanted.mark != TaskbarMark::None) ShowTaskbar(window, wanted);
}

void ReleaseTaskbar() {
    g_list.reset();
    g_listMissing = false;
    g_shown = {};
}

}  // namespace zrw
