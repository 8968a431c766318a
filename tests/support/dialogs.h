// Finding and answering the dialogs that the code under test opens, from a
// second thread of the test (or for a child process).
#ifndef ZERROW_TESTS_SUPPORT_DIALOGS_H
#define ZERROW_TESTS_SUPPORT_DIALOGS_H

#include "base/win.h"

#include <functional>
#include <string>
#include <vector>

namespace zrw::test {

struct FoundWindow {
    HWND window = nullptr;
    std::wstring caption;
};

std::wstring ClassOf(HWND window);
// Top-level windows the predicate accepts.
std::vector<HWND> TopWindows(const std::function<bool(HWND)>& accept);
// Waits up to timeoutMs for a visible top-level dialog ("#32770") that the
// predicate accepts; null when none came.
FoundWindow WaitForDialog(const std::function<bool(HWND)>& accept, DWORD timeoutMs = 20000);
bool OfThisProcess(HWND window);
// Of a process this one started (not of another test program's).
bool OfAChildProcess(HWND window);
std::wstring WindowText(HWND window);
// Texts of every child of a class ("Static", "Edit", ...), in z-order.
std::vector<std::wstring> ChildTexts(HWND parent, const wchar_t* className);
HWND FirstChild(HWND parent, const wchar_t* className);
// Clicks a dialog button by its identifier.
void PressButton(HWND dialog, int id);

inline constexpr int kMessageTextId = 0xFFFF;  // the static text of a message box
std::wstring MessageText(HWND box);

// A message box of this process that `open` brings up, answered with that
// button (OK unless told) from a second thread.
struct AnsweredBox {
    bool shown = false;
    std::wstring caption, text;
    std::vector<std::wstring> statics;  // texts of its static controls
    HWND owner = nullptr;
    HICON icon = nullptr;
};
AnsweredBox AnswerBox(const std::function<void()>& open, int button = IDOK);

}  // namespace zrw::test

#endif
