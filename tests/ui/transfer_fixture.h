// The main window with a transfer driven as a user would: rows picked in the
// lists, a destination typed, buttons pressed, message boxes answered.
#ifndef ZERROW_TESTS_UI_TRANSFER_FIXTURE_H
#define ZERROW_TESTS_UI_TRANSFER_FIXTURE_H

#include "app/lang.h"
#include "app/settings.h"
#include "job/job.h"
#include "tests/support/window_fixture.h"
#include "ui/ids.h"
#include "ui/taskbar.h"
#include "ui/tray.h"
#include "ui/window.h"

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace zrw::test {

class WindowTransfer : public MainWindowTest {
protected:
    void TearDown() override;
    // The window on dir\left and dir\right (both created) with these settings;
    // the robocopy engine under the machine lock.
    void OpenPanes(Engine engine, uint32_t lang = kLangZh, bool verify = false);
    std::wstring Left(const std::wstring& name = L"") const;
    std::wstring Right(const std::wstring& name = L"") const;
    // Selects the rows with these names, so that the list notifies the window;
    // on the left after a refresh.
    void Select(HWND list, const std::vector<std::wstring>& names);
    void SelectLeft(const std::vector<std::wstring>& names) {
        Press(kIdRefresh);
        Select(g_main.leftList, names);
    }
    void TypeDestination(const std::wstring& text);
    void Press(int id);
    // Runs the action while a second thread answers the message box it opens.
    AnsweredBox PressAnswering(int id);
    bool WaitUntilIdle(DWORD timeoutMs = 30000);
    // Pumps until the window's job timer has fired this often: it has sampled
    // the transfer that many times.
    bool PumpTicks(int ticks);
    int BarPosition();
    std::wstring VerifyLog() const;  // in the test's own log folder

private:
    std::unique_ptr<MachineLock> robocopy_;
};

bool StartsWith(const std::wstring& text, const std::wstring& prefix);

// What the window hands the taskbar button while it lives, each with the
// status line and report of that moment.
class TaskbarLog : NoCopy {
public:
    struct Shown {
        TaskbarProgress progress;
        std::wstring status, report;
    };
    TaskbarLog();
    ~TaskbarLog();
    const std::vector<Shown>& shown() const;
    TaskbarProgress last() const;

private:
    Replaced<TaskbarSetter> setter_;
};

// The balloons the tray icon is asked for while it lives; the icon itself is
// added and deleted as always.
class TrayNotes : NoCopy {
public:
    TrayNotes();
    ~TrayNotes();
    const std::vector<NOTIFYICONDATAW>& notes() const;

private:
    Replaced<TrayNotifier> notifier_;
};
// Runs act on a second thread once the status line shows the verification
// walk; gives up after 30 s.
std::thread WhenVerifying(std::function<void()> act);

}  // namespace zrw::test

#endif
