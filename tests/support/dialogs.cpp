#include "tests/support/dialogs.h"

#include <thread>

namespace zrw::test {

namespace {

struct Search {
    const std::function<bool(HWND)>* accept;
    HWND found;
};

BOOL CALLBACK TryTopLevel(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    wchar_t cls[64] = {};
    GetClassNameW(window, cls, 64);
    if (std::wstring(cls) == L"#32770" && IsWindowVisible(window) && (*search->accept)(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

struct ChildSearch {
    const wchar_t* className;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectChild(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<ChildSearch*>(param);
    wchar_t cls[64] = {};
    GetClassNameW(window, cls, 64);
    if (lstrcmpiW(cls, search->className) == 0) search->found.push_back(window);
    return TRUE;
}

std::vector<HWND> Children(HWND parent, const wchar_t* className) {
    ChildSearch search{className, {}};
    EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

FoundWindow WaitForDialog(const std::function<bool(HWND)>& accept, DWORD timeoutMs) {
    ULONGLONG end = GetTickCount64() + timeoutMs;
    while (GetTickCount64() < end) {
        Search search{&accept, nullptr};
        EnumWindows(TryTopLevel, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            // Let the dialog finish its initialisation before it is answered.
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            return {search.found, WindowText(search.found)};
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return {};
}

bool OfThisProcess(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid == GetCurrentProcessId();
}

std::wstring WindowText(HWND window) {
    wchar_t text[1024] = {};
    // Across processes GetWindowText does not ask the window; WM_GETTEXT does.
    SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_BLOCK,
                        5000, nullptr);
    return text;
}

std::vector<std::wstring> ChildTexts(HWND parent, const wchar_t* className) {
    std::vector<std::wstring> texts;
    for (HWND child : Children(parent, className)) texts.push_back(WindowText(child));
    return texts;
}

HWND FirstChild(HWND parent, const wchar_t* className) {
    std::vector<HWND> found = Children(parent, className);
    return found.empty() ? nullptr : found.front();
}

void PressButton(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

}  // namespace zrw::test
