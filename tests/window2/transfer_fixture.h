// The main window with a transfer driven as a user would: rows picked in the
// lists, a destination typed, buttons pressed, message boxes answered.
#ifndef ZERROW_TESTS_WINDOW2_TRANSFER_FIXTURE_H
#define ZERROW_TESTS_WINDOW2_TRANSFER_FIXTURE_H

#include "job/job.h"
#include "tests/support/window_fixture.h"

#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace zrw::test {

// What a message box showed before it was answered with OK.
struct Answered {
    bool shown = false;
    std::wstring caption, text;
    HWND owner = nullptr;
    HICON icon = nullptr;
};

class WindowTransfer : public MainWindowTest {
protected:
    void TearDown() override;
    // The window on dir_\left and dir_\right (both created) with these settings.
    void OpenPanes(uint32_t engine, uint32_t lang = kLangZh, bool verify = false);
    std::wstring Left(const std::wstring& name = L"") const;
    std::wstring Right(const std::wstring& name = L"") const;
    // Selects the rows with these names, so that the list notifies the window.
    void Select(HWND list, const std::vector<std::wstring>& names);
    void TypeDestination(const std::wstring& text);
    void Press(int id);
    // Runs the action while a second thread answers the message box it opens.
    Answered PressAnswering(int id);
    bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);
    bool WaitUntilIdle(DWORD timeoutMs = 30000);
    int BarPosition();
    // Removes "verify-last.log" from the log folder and gives its path.
    std::wstring ForgetVerifyLog();
};

std::wstring TextOf(HWND window);
bool StartsWith(const std::wstring& text, const std::wstring& prefix);
// Runs act on a second thread once the status line shows the verification
// walk; gives up after 30 s.
std::thread WhenVerifying(std::function<void()> act);

}  // namespace zrw::test

#endif
