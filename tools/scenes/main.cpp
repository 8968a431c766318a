// Puts the real main window into a state worth looking at, for
// scripts/screenshot.sh: a transfer paused half-way, the end of a failed job,
// the open main menu with its skin submenu, the About window.
//   scenes SCENE SKIN LANG WORKFOLDER      (LANG zh or en)
// It creates WORKFOLDER\ready once the scene stands, then keeps the window
// alive until it is killed.
#include "app/lang.h"
#include "app/settings.h"
#include "base/paths.h"
#include "job/job.h"
#include "ui/about.h"
#include "ui/ids.h"
#include "ui/menu.h"
#include "ui/panes.h"
#include "ui/window.h"

#include <commctrl.h>

#include <cwchar>
#include <functional>
#include <string>
#include <thread>

namespace zrw {
namespace {

void Pump(DWORD ms) {
    const ULONGLONG end = GetTickCount64() + ms;
    MSG msg;
    do {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(20);
    } while (GetTickCount64() < end);
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    while (!done()) {
        if (GetTickCount64() > end) return false;
        Pump(50);
    }
    return true;
}

void WriteFileOfSize(const std::wstring& path, size_t bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    std::string block(64 * 1024, 'z');
    for (size_t done = 0; done < bytes; done += block.size()) {
        DWORD written = 0;
        WriteFile(file, block.data(), static_cast<DWORD>(block.size()), &written, nullptr);
    }
    CloseHandle(file);
}

// A source of many files, so that the copy is still running when it is paused.
std::wstring MakeSource(const std::wstring& work) {
    std::wstring source = work + L"\\照片 2026";
    CreateDirectoryW(source.c_str(), nullptr);
    for (int i = 0; i < 600; ++i)
        WriteFileOfSize(source + L"\\IMG_" + std::to_wstring(1000 + i) + L".jpg", 256 * 1024);
    return source;
}

void SelectRow(HWND list, const std::wstring& name) {
    LVFINDINFOW find{};
    find.flags = LVFI_STRING;
    find.psz = name.c_str();
    int row = ListView_FindItem(list, -1, &find);
    ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

HWND OpenWindow(const std::wstring& left, const std::wstring& right) {
    WindowStart start;
    start.leftFolder = left;
    start.rightFolder = right;
    HWND window = CreateMainWindow(start);
    if (!window) return nullptr;
    SetForegroundWindow(window);
    Pump(300);
    // The panes list their folders on threads of their own.
    PumpUntil([] { return PaneListed(g_main.leftList) && PaneListed(g_main.rightList); }, 30000);
    return window;
}

bool CopyAndPause(const std::wstring& work) {
    std::wstring source = MakeSource(work);
    std::wstring target = work + L"\\备份";
    CreateDirectoryW(target.c_str(), nullptr);
    g_settings.engine = Engine::Native;
    g_engineFromCommandLine = true;
    if (!OpenWindow(work, target)) return false;
    SelectRow(g_main.leftList, PathName(source));
    SendMessageW(g_main.window, WM_COMMAND, kIdCopyRight, 0);
    if (!PumpUntil([] { return g_job.speed.bytesDone > 4 * 1024 * 1024; }, 30000)) return false;
    SendMessageW(g_main.window, WM_COMMAND, kIdPause, 0);
    return g_main.paused;
}

// robocopy's failure bit, from the stand-in the test prefix carries.
bool FailedJob(const std::wstring& work) {
    std::wstring source = work + L"\\报表";
    CreateDirectoryW(source.c_str(), nullptr);
    WriteFileOfSize(source + L"\\2026-Q3.xlsx", 300 * 1024);
    std::wstring target = work + L"\\归档";
    CreateDirectoryW(target.c_str(), nullptr);
    SetEnvironmentVariableW(L"ZRW_FAKE_ROBO_EXIT", L"8");
    g_settings.engine = Engine::Robocopy;
    g_engineFromCommandLine = true;
    if (!OpenWindow(work, target)) return false;
    SelectRow(g_main.leftList, PathName(source));
    SendMessageW(g_main.window, WM_COMMAND, kIdCopyRight, 0);
    return PumpUntil([] { return !g_main.running && g_job.finished; }, 30000);
}

void MarkReady(const std::wstring& work) {
    HANDLE file = CreateFileW((work + L"\\ready").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}

// The menu runs its own modal loop: the ready mark and the keys that open the
// skin submenu come from a second thread while it is up.
void OpenMenu(const std::wstring& work) {
    const DWORD uiThread = GetCurrentThreadId();
    std::thread keys([work, uiThread] {
        Sleep(800);
        for (WORD key : {VK_DOWN, VK_RIGHT}) {
            keybd_event(static_cast<BYTE>(key), 0, 0, 0);
            keybd_event(static_cast<BYTE>(key), 0, KEYEVENTF_KEYUP, 0);
            Sleep(300);
        }
        // A popup drawn before the X server showed it keeps a blank copy there.
        EnumThreadWindows(
            uiThread,
            [](HWND popup, LPARAM) {
                RedrawWindow(popup, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE);
                return TRUE;
            },
            0);
        Sleep(500);
        MarkReady(work);
    });
    RECT r;
    GetWindowRect(g_main.menu, &r);
    showMainMenu(g_main.window, POINT{r.left - 180, r.bottom + 4});
    keys.join();
}

int Run(const std::wstring& scene, int skin, const std::wstring& lang, const std::wstring& work) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    INITCOMMONCONTROLSEX controls{sizeof(controls), 0x4021};
    InitCommonControlsEx(&controls);
    g_cmdSkin = skin;
    UiLang = lang == L"en" ? kLangEn : kLangZh;
    g_langFromCommandLine = true;
    ApplyLanguage();

    bool ready = false;
    if (scene == L"paused") {
        ready = CopyAndPause(work);
    } else if (scene == L"failed") {
        ready = FailedJob(work);
    } else if (scene == L"menu" || scene == L"about") {
        ready = OpenWindow(work, work) != nullptr;
        if (ready && scene == L"about") openAboutWindow(g_main.window);
        // The menu's own loop holds it open until the picture is taken.
        if (ready && scene == L"menu") OpenMenu(work);
    } else {
        std::fwprintf(stderr, L"unknown scene\n");
        return 2;
    }
    if (!ready) return 1;
    Pump(500);
    MarkReady(work);
    for (;;) Pump(1000);
}

}  // namespace
}  // namespace zrw

int wmain(int argc, wchar_t** argv) {
    if (argc != 5) {
        std::fwprintf(stderr, L"usage: scenes paused|failed|menu|about SKIN zh|en WORKFOLDER\n");
        return 2;
    }
    return zrw::Run(argv[1], _wtoi(argv[2]), argv[3], argv[4]);
}
