// The real main window at a screen DPI above 96. Wine reads the DPI from the
// prefix's LogPixels when a process starts, so the window opens in a child run
// of this program while the value is set.
#include "ui/dpi.h"
#include "tests/support/window_fixture.h"
#include "ui/about.h"
#include "ui/ids.h"
#include "ui/window.h"

#include <cstdlib>
#include <future>

namespace zrw::test {
namespace {

constexpr wchar_t kReadEvent[] = L"ZRW_TEST_DPI_READ";

// The value is machine state: it is put back as soon as the child has read it.
using Dpi = ProgramTest;

TEST_F(Dpi, MainWindowOpensAtTheScreenDpiAndFollowsAChange) {
    wchar_t self[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    const std::wstring name =
        L"Local\\ZerrowTests.DpiRead." + std::to_wstring(GetCurrentProcessId());
    UniqueHandle read(CreateEventW(nullptr, TRUE, FALSE, name.c_str()));
    EnvGuard told(kReadEvent, name.c_str());
    std::future<ProcessResult> run;
    {
        // Read by the processes started while it is set.
        RegistryValue dpi(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", 144);
        ASSERT_TRUE(dpi.set());
        run = std::async(std::launch::async, [&] {
            return RunProcess(QuoteArg(self) +
                              L" --gtest_also_run_disabled_tests --gtest_filter=DpiChild.*");
        });
        EXPECT_EQ(WaitForSingleObject(read.get(), 30000), static_cast<DWORD>(WAIT_OBJECT_0));
    }
    ProcessResult child = run.get();
    ASSERT_TRUE(child.started);
    EXPECT_FALSE(child.timedOut);
    EXPECT_EQ(child.exitCode, 0u) << child.out;
    EXPECT_NE(child.out.find("[  PASSED  ] 1 test"), std::string::npos) << child.out;
}

long FontHeight(HFONT font) {
    LOGFONTW lf{};
    GetObjectW(font, sizeof(lf), &lf);
    return std::abs(lf.lfHeight);
}

void ExpectSize(HWND control, int width, int height) {
    RECT r;
    GetWindowRect(control, &r);
    EXPECT_EQ(r.right - r.left, width);
    EXPECT_EQ(r.bottom - r.top, height);
}

bool Inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

RECT ScreenRect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

RECT WorkAreaOf(HWND window) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
    return info.rcWork;
}

// Every button of the About window holds its label in its own font, with the
// painter's margins, and the window lies on the screen's work area.
void ExpectAboutButtonsHoldTheirLabels(HWND main, int dpi) {
    SendMessageW(main, WM_COMMAND, kIdAbout, 0);
    PumpMessages();
    HWND about = AboutWindow();
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(Inside(ScreenRect(about), WorkAreaOf(about)));
    for (int id : {kIdOpenLogs, kIdUninstall, kIdAboutClose}) {
        HWND button = GetDlgItem(about, id);
        std::wstring label = WindowText(button);
        WindowDc dc(button);
        SelectedObject font(dc.get(),
                            reinterpret_cast<HGDIOBJ>(SendMessageW(button, WM_GETFONT, 0, 0)));
        SIZE text{};
        GetTextExtentPoint32W(dc.get(), label.c_str(), static_cast<int>(label.size()), &text);
        RECT r = ScreenRect(button);
        EXPECT_LE(text.cx, r.right - r.left - 2 * Scale(8, dpi)) << WideToUtf8(label) << " cut";
        EXPECT_TRUE(Inside(r, ScreenRect(about))) << WideToUtf8(label);
    }
}

using DpiChild = MainWindowTest;

// Run only by the test above, in a process started at 144 DPI.
TEST_F(DpiChild, DISABLED_WindowAt144ThenMovedTo96) {
    // Per-monitor aware, as the program's manifest makes it; for this thread, as
    // the process's awareness is fixed before a test runs.
    ASSERT_NE(SetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE), nullptr);
    Open();
    EXPECT_EQ(GetDpiForSystem(), 144u);
    wchar_t event[64] = {};
    GetEnvironmentVariableW(kReadEvent, event, 64);
    if (UniqueHandle read{OpenEventW(EVENT_MODIFY_STATE, FALSE, event)}) SetEvent(read.get());
    UniqueGdi base = CreateInterfaceFont(96);
    long baseHeight = FontHeight(static_cast<HFONT>(base.get()));
    ASSERT_GT(baseHeight, 0);

    // The window opens on the work area, which is narrower than it would be,
    // and nothing of it lies beyond its client area.
    EXPECT_TRUE(Inside(ScreenRect(window_), WorkAreaOf(window_)));
    RECT client;
    GetClientRect(window_, &client);
    MapWindowPoints(window_, nullptr, reinterpret_cast<POINT*>(&client), 2);
    for (HWND control : {g_main.cancel, g_main.rightList, g_main.rightPath, g_main.menu})
        EXPECT_TRUE(Inside(ScreenRect(control), client)) << GetDlgCtrlID(control);

    // 126 x 32 and 176 x 34 at 96 DPI.
    ExpectSize(g_main.copyRight, 189, 48);
    ExpectSize(g_main.engineBar, 264, 51);
    auto font = [](HWND control) {
        return FontHeight(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    };
    EXPECT_NEAR(font(g_main.copyRight), baseHeight * 1.5, 1.0);
    EXPECT_NEAR(font(g_main.leftList), baseHeight * 1.5, 1.0);
    for (int lang : {kIdLangEn, kIdLangZh}) {
        SendMessageW(window_, WM_COMMAND, lang, 0);
        ExpectAboutButtonsHoldTheirLabels(window_, 144);
    }

    // Moved to a 96-DPI screen: the suggested rectangle, the layout and the font follow.
    RECT suggested{50, 40, 1050, 680};
    SendMessageW(window_, WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&suggested));
    PumpMessages();
    RECT r;
    GetWindowRect(window_, &r);
    EXPECT_EQ(r.left, 50);
    EXPECT_EQ(r.top, 40);
    EXPECT_EQ(r.right, 1050);
    EXPECT_EQ(r.bottom, 680);
    ExpectSize(g_main.copyRight, 126, 32);
    ExpectSize(g_main.engineBar, 176, 34);
    EXPECT_NEAR(font(g_main.copyRight), baseHeight, 1.0);
    EXPECT_NEAR(font(g_main.report), baseHeight, 1.0);
    // The About window, open all the while, follows.
    ASSERT_NE(AboutWindow(), nullptr);
    RECT about;
    GetClientRect(AboutWindow(), &about);
    EXPECT_EQ(about.right, 620);
    EXPECT_EQ(about.bottom, 384);
    ExpectSize(GetDlgItem(AboutWindow(), kIdAboutClose), 96, 30);
    DestroyWindow(AboutWindow());
}

}  // namespace
}  // namespace zrw::test
