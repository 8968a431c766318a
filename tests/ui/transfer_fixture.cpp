// A main window with a left and right folder, for transfers started from it.
#include "tests/ui/transfer_fixture.h"

#include "app/lang.h"
#include "app/logdir.h"
#include "app/settings.h"
#include "job/control.h"
#include "ui/job_display.h"
#include "ui/window.h"

#include <commctrl.h>

#include <algorithm>

namespace zrw::test {

bool StartsWith(const std::wstring& text, const std::wstring& prefix) {
    return text.rfind(prefix, 0) == 0;
}

namespace {

std::vector<TaskbarLog::Shown> g_taskbarShown;
std::vector<NOTIFYICONDATAW> g_trayNotes;

void RecordTaskbar(HWND, const TaskbarProgress& progress) {
    g_taskbarShown.push_back({progress, g_kept.status, g_kept.report});
}

BOOL WINAPI RecordTrayNote(DWORD message, PNOTIFYICONDATAW data) {
    if (message == NIM_MODIFY && (data->uFlags & NIF_INFO)) {
        g_trayNotes.push_back(*data);
        return TRUE;
    }
    return Shell_NotifyIconW(message, data);
}

}  // namespace

TaskbarLog::TaskbarLog() : setter_(g_setTaskbar, RecordTaskbar) { g_taskbarShown.clear(); }
TaskbarLog::~TaskbarLog() { g_taskbarShown.clear(); }
const std::vector<TaskbarLog::Shown>& TaskbarLog::shown() const { return g_taskbarShown; }
TaskbarProgress TaskbarLog::last() const {
    return g_taskbarShown.empty() ? TaskbarProgress{} : g_taskbarShown.back().progress;
}

TrayNotes::TrayNotes() : notifier_(g_notifyIcon, RecordTrayNote) { g_trayNotes.clear(); }
TrayNotes::~TrayNotes() { g_trayNotes.clear(); }
const std::vector<NOTIFYICONDATAW>& TrayNotes::notes() const { return g_trayNotes; }

std::thread WhenVerifying(std::function<void()> act) {
    HWND status = g_main.status;
    std::wstring prefix = Tr(L"校验中… 已核对 ");
    return std::thread([status, prefix, act] {
        wchar_t text[256];
        // Reads the stored text without asking the busy window thread.
        if (WaitUntil(
                [&] {
                    int n = InternalGetWindowText(status, text, 256);
                    return StartsWith(std::wstring(text, static_cast<size_t>(n)), prefix);
                },
                30000))
            act();
    });
}

void WindowTransfer::TearDown() {
    if (g_main.running) {
        g_main.cancelRequested = true;
        WaitUntilIdle(20000);
    }
    CancelJob(g_job);
    ResetJob();
    ResetPause();
    if (window_ && !IsWindow(window_)) window_ = nullptr;
    MainWindowTest::TearDown();
}

void WindowTransfer::OpenPanes(Engine engine, uint32_t lang, bool verify) {
    if (engine == Engine::Robocopy) robocopy_ = std::make_unique<MachineLock>();
    CreateDirectoryW(Left().c_str(), nullptr);
    CreateDirectoryW(Right().c_str(), nullptr);
    g_settings.engine = engine;
    g_settings.verify = verify;
    UiLang = lang;
    ApplyLanguage();
    Open(Left(), Right());
}

std::wstring WindowTransfer::Left(const std::wstring& name) const {
    return name.empty() ? dir / L"left" : dir / (L"left\\" + name);
}

std::wstring WindowTransfer::Right(const std::wstring& name) const {
    return name.empty() ? dir / L"right" : dir / (L"right\\" + name);
}

void WindowTransfer::Select(HWND list, const std::vector<std::wstring>& names) {
    std::vector<std::wstring> rows = RowNames(list);
    for (size_t row = 0; row < rows.size(); ++row)
        if (std::find(names.begin(), names.end(), rows[row]) != names.end())
            ListView_SetItemState(list, static_cast<int>(row), LVIS_SELECTED, LVIS_SELECTED);
}

void WindowTransfer::TypeDestination(const std::wstring& text) {
    SetWindowTextW(g_main.rightPath, text.c_str());
}

void WindowTransfer::Press(int id) {
    SendMessageW(window_, WM_COMMAND, static_cast<WPARAM>(id), 0);
}

AnsweredBox WindowTransfer::PressAnswering(int id) {
    return AnswerBox([&] { Press(id); });
}

bool WindowTransfer::WaitUntilIdle(DWORD timeoutMs) {
    return PumpUntil([] { return !g_main.running; }, timeoutMs);
}

bool WindowTransfer::PumpTicks(int ticks) {
    return WaitUntil([&] { return (ticks -= PumpMessages()) <= 0; }, 10000);
}

int WindowTransfer::BarPosition() {
    return static_cast<int>(SendMessageW(g_main.progress, PBM_GETPOS, 0, 0));
}

std::wstring WindowTransfer::VerifyLog() const { return LogFolder() + L"\\verify-last.log"; }

}  // namespace zrw::test
