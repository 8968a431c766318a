// Finding and answering the dialogs a test program's children open.
#include "tests/support/dialogs.h"

#include "tests/support/support.h"

#include <tlhelp32.h>

#include <thread>

namespace zrw::test {

namespace {

struct Collect {
    const std::function<bool(HWND)>& accept;
    std::vector<HWND> found;
};

BOOL CALLBACK Add(HWND window, LPARAM param) {
    auto* collect = reinterpret_cast<Collect*>(param);
    if (collect->accept(window)) collect->found.push_back(window);
    return TRUE;
}

std::vector<HWND> Children(HWND parent, const wchar_t* className) {
    Collect collect{[&](HWND w) { return lstrcmpiW(ClassOf(w).c_str(), className) == 0; }, {}};
    EnumChildWindows(parent, Add, reinterpret_cast<LPARAM>(&collect));
    return collect.found;
}

}  // namespace

std::wstring ClassOf(HWND window) {
    wchar_t cls[64] = {};
    GetClassNameW(window, cls, 64);
    return cls;
}

std::vector<HWND> TopWindows(const std::function<bool(HWND)>& accept) {
    Collect collect{accept, {}};
    EnumWindows(Add, reinterpret_cast<LPARAM>(&collect));
    return collect.found;
}

FoundWindow WaitForDialog(const std::function<bool(HWND)>& accept, DWORD timeoutMs) {
    std::vector<HWND> found;
    if (!WaitUntil(
            [&] {
                found = TopWindows([&](HWND w) {
                    return ClassOf(w) == L"#32770" && IsWindowVisible(w) && accept(w);
                });
                return !found.empty();
            },
            timeoutMs))
        return {};
    // Answered once it has drawn itself and its thread is back in its loop.
    WaitUntil(
        [&] {
            return SendMessageTimeoutW(found[0], WM_NULL, 0, 0, SMTO_BLOCK, 5000, nullptr) &&
                   !GetUpdateRect(found[0], nullptr, FALSE);
        },
        5000);
    return {found[0], WindowText(found[0])};
}

bool OfThisProcess(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid == GetCurrentProcessId();
}

bool OfAChildProcess(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = snapshot && Process32FirstW(snapshot.get(), &entry); more;
         more = Process32NextW(snapshot.get(), &entry))
        if (entry.th32ProcessID == pid) return entry.th32ParentProcessID == GetCurrentProcessId();
    return false;
}

std::wstring WindowText(HWND window) {
    wchar_t text[1024] = {};
    // Across processes GetWindowText does not ask the window; WM_GETTEXT does.
    SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 5000,
                        nullptr);
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

namespace {

HICON MessageBoxIcon(HWND box) {
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            return reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
    return nullptr;
}

}  // namespace

std::wstring MessageText(HWND box) {
    wchar_t text[1024] = {};
    GetDlgItemTextW(box, kMessageTextId, text, 1024);
    return text;
}

AnsweredBox AnswerBox(const std::function<void()>& open, int button) {
    AnsweredBox answered;
    std::thread user([&] {
        FoundWindow box = WaitForDialog([](HWND w) { return OfThisProcess(w); }, 10000);
        if (!box.window) return;
        answered = {true,
                    box.caption,
                    MessageText(box.window),
                    ChildTexts(box.window, L"Static"),
                    GetWindow(box.window, GW_OWNER),
                    MessageBoxIcon(box.window)};
        PressButton(box.window, button);
    });
    open();
    user.join();
    return answered;
}

void PressButton(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

}  // namespace zrw::test
