#include "tests/window2/transfer_fixture.h"

#include "robo/robo.h"

#include <algorithm>

namespace zrw::test {

namespace {

HICON MessageBoxIcon(HWND box) {
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            return reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
    return nullptr;
}

const int kMessageTextId = 0xFFFF;  // the static text of a message box

}  // namespace

std::wstring TextOf(HWND window) {
    int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), length + 1)));
    return text;
}

bool StartsWith(const std::wstring& text, const std::wstring& prefix) {
    return text.rfind(prefix, 0) == 0;
}

std::thread WhenVerifying(std::function<void()> act) {
    HWND status = g_main.status;
    std::wstring prefix = Tr(L"校验中… 已核对 ");
    return std::thread([status, prefix, act] {
        ULONGLONG end = GetTickCount64() + 30000;
        wchar_t text[256];
        while (GetTickCount64() < end) {
            // Reads the stored text without asking the busy window thread.
            int n = InternalGetWindowText(status, text, 256);
            if (StartsWith(std::wstring(text, static_cast<size_t>(n)), prefix)) {
                act();
                return;
            }
            Sleep(1);
        }
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

void WindowTransfer::OpenPanes(uint32_t engine, uint32_t lang, bool verify) {
    CreateDirectoryW(Left().c_str(), nullptr);
    CreateDirectoryW(Right().c_str(), nullptr);
    g_settings.engine = engine;
    g_settings.verify = verify;
    UiLang = lang;
    ApplyLanguage();
    WindowStart start;
    start.leftFolder = Left();
    start.rightFolder = Right();
    Open(start);
}

std::wstring WindowTransfer::Left(const std::wstring& name) const {
    return name.empty() ? dir_ / L"left" : dir_ / (L"left\\" + name);
}

std::wstring WindowTransfer::Right(const std::wstring& name) const {
    return name.empty() ? dir_ / L"right" : dir_ / (L"right\\" + name);
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

void WindowTransfer::Press(int id) { SendMessageW(window_, WM_COMMAND, static_cast<WPARAM>(id), 0); }

Answered WindowTransfer::PressAnswering(int id) {
    Answered seen;
    std::wstring caption = g_appTitle;
    std::thread answer([&seen, caption] {
        FoundWindow box = WaitForDialog(
            [&](HWND w) { return OfThisProcess(w) && WindowText(w) == caption; }, 10000);
        if (!box.window) return;
        seen.shown = true;
        seen.caption = box.caption;
        wchar_t text[1024] = {};
        GetDlgItemTextW(box.window, kMessageTextId, text, 1024);
        seen.text = text;
        seen.owner = GetWindow(box.window, GW_OWNER);
        seen.icon = MessageBoxIcon(box.window);
        PressButton(box.window, IDOK);
    });
    Press(id);
    answer.join();
    return seen;
}

bool WindowTransfer::PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    ULONGLONG end = GetTickCount64() + timeoutMs;
    while (!done()) {
        if (GetTickCount64() > end) return false;
        PumpMessages();
    }
    return true;
}

bool WindowTransfer::WaitUntilIdle(DWORD timeoutMs) {
    return PumpUntil([] { return !g_main.running; }, timeoutMs);
}

int WindowTransfer::BarPosition() {
    return static_cast<int>(SendMessageW(g_main.progress, PBM_GETPOS, 0, 0));
}

std::wstring WindowTransfer::ForgetVerifyLog() {
    std::wstring path = LogFolder() + L"\\verify-last.log";
    DeleteFileW(path.c_str());
    return path;
}

}  // namespace zrw::test
