// The main window: its start, its shared state, its controls and the
// transfers it starts.
#ifndef ZERROW_UI_WINDOW_H
#define ZERROW_UI_WINDOW_H

#include "base/win.h"
#include "ui/dpi.h"

#include <string>
#include <vector>

namespace zrw {

struct WindowStart {
    std::vector<std::wstring> sources;
    std::wstring destination;
    std::wstring leftFolder;
    std::wstring rightFolder;
};
// Registers "ZerrowMain", creates the window and runs its message loop; false
// when the window could not be created.
bool RunMainWindow(const WindowStart& start);
// Registers the classes and creates the window without running a loop.
HWND CreateMainWindow(const WindowStart& start);

// Shared state of the main window, used on the UI thread only.
struct MainState {
    HWND window = nullptr;
    int dpi = kBaseDpi;
    std::vector<std::wstring> sourceSelection;
    std::wstring destination;
    std::wstring leftFolder;
    std::wstring rightFolder;
    bool running = false;
    bool cancelRequested = false;
    bool closeAfterJob = false;
    std::wstring retryLog;  // the ended job's log, while its failures can be retried
    bool paused = false;
    HWND pauseButton = nullptr;
    // The child controls, in creation order.
    HWND title = nullptr;
    HWND leftList = nullptr;
    HWND rightList = nullptr;
    HWND leftPath = nullptr;
    HWND rightPath = nullptr;
    HWND leftUp = nullptr;
    HWND leftBrowse = nullptr;
    HWND rightUp = nullptr;
    HWND rightBrowse = nullptr;
    HWND copyRight = nullptr;
    HWND moveRight = nullptr;
    HWND copyLeft = nullptr;
    HWND moveLeft = nullptr;
    HWND refresh = nullptr;
    HWND cancel = nullptr;
    HWND menu = nullptr;
    HWND engineBar = nullptr;
    HWND engineMid = nullptr;
    HWND verify = nullptr;
    HWND progress = nullptr;
    HWND bar = nullptr;
    HWND status = nullptr;
    HWND failure = nullptr;
    HWND report = nullptr;
};
extern MainState g_main;

void LayoutMainWindow();
// Idle: the controls that start work are enabled and Cancel and Pause are
// not; busy (a job runs): the other way round.
void SetWindowIdle(bool idle);
// Registers a window class with the program's icon and the arrow cursor; true
// also when it was registered before.
bool RegisterProgramClass(const wchar_t* name, WNDPROC proc);
// A visible child with the interface font, placed by the caller.
HWND CreateControl(HWND parent, const wchar_t* cls, const std::wstring& text, DWORD style, int id);
void RefreshEngineLabels();
void RefreshVerifyLabel();
void SwitchEngine();
void SwitchVerify();
// The menu's hash list item: on or off, saved at once; refused (a beep) during a job.
void SwitchHashList();
void SwitchLanguage(uint32_t language);
void SetStatusText(const std::wstring& text);
// WM_CTLCOLORSTATIC and WM_CTLCOLOREDIT: sets the colours, returns the brush.
HBRUSH ControlColours(HDC dc, HWND control);
// Refreshes the title line from the selection and the right pane.
void RefreshTitleLine();
// Left to right: the source selection into the right path box's folder.
void StartWindowTransfer(bool move);
// Right to left: the right pane's selected items into the left folder.
void StartReverseTransfer(bool move);
// Only the files the last job failed on, as a new job with that job's settings.
void StartRetryTransfer();
// The prepared job's first source, and the window busy with it.
void BeginWindowJob();

// The window's job in the queue of its volumes (ui/queued.cpp). On the main
// window while its job waits.
inline constexpr UINT_PTR kQueueTimer = 2;
// True when the prepared job may begin at once; else it waits and says for
// which job, and begins on a later tick once its turn has come.
bool JoinWindowQueue();
void OnQueueTimer();
// "Start now", where the pause button is while the job waits: false when no
// job waits.
bool StartQueuedNow();
// The window's job has ended: the next job may have its volumes.
void LeaveWindowQueue();

}  // namespace zrw

#endif
