// The real main window at a screen DPI above 96. Wine reads the DPI from the
// prefix's LogPixels when a process starts, so the window opens in a child run
// of this program while the value is set.
#include "tests/support/window_fixture.h"

#include <cstdlib>

namespace zrw::test {
namespace {

constexpr wchar_t kDesktopKey[] = L"Control Panel\\Desktop";

// Sets LogPixels for the processes started while it lives; puts back the old
// value, or its absence.
class ScreenDpi {
public:
    explicit ScreenDpi(DWORD dpi) {
        DWORD size = sizeof(saved_);
        had_ = RegGetValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", RRF_RT_REG_DWORD, nullptr,
                            &saved_, &size) == ERROR_SUCCESS;
        set_ = RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", REG_DWORD, &dpi,
                               sizeof(dpi)) == ERROR_SUCCESS;
    }
    ~ScreenDpi() {
        if (had_)
            RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", REG_DWORD, &saved_,
                            sizeof(saved_));
        else
            RegDeleteKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels");
    }
    ScreenDpi(const ScreenDpi&) = delete;
    ScreenDpi& operator=(const ScreenDpi&) = delete;
    bool set() const { return set_; }

private:
    DWORD saved_ = 0;
    bool had_ = false;
    bool set_ = false;
};

TEST(Dpi, MainWindowOpensAtTheScreenDpiAndFollowsAChange) {
    wchar_t self[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    ProcessResult child;
    {
        ScreenDpi dpi(144);
        ASSERT_TRUE(dpi.set());
        child = RunProcess(QuoteArg(self) +
                           L" --gtest_also_run_disabled_tests --gtest_filter=DpiChild.*");
    }
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

using DpiChild = MainWindowTest;

// Run only by the test above, in a process started at 144 DPI.
TEST_F(DpiChild, DISABLED_WindowAt144ThenMovedTo96) {
    // Per-monitor aware, as the program's manifest makes it; for this thread, as
    // the process's awareness is fixed before a test runs.
    ASSERT_NE(SetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE), nullptr);
    WindowStart start;
    start.leftFolder = dir_.path();
    Open(start);
    UniqueGdi base = CreateInterfaceFont(96);
    long baseHeight = FontHeight(static_cast<HFONT>(base.get()));
    ASSERT_GT(baseHeight, 0);

    // 126 x 32 and 176 x 34 at 96 DPI.
    ExpectSize(g_main.copyRight, 189, 48);
    ExpectSize(g_main.engineBar, 264, 51);
    auto font = [](HWND control) {
        return FontHeight(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    };
    EXPECT_NEAR(font(g_main.copyRight), baseHeight * 1.5, 1.0);
    EXPECT_NEAR(font(g_main.leftList), baseHeight * 1.5, 1.0);

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
}

}  // namespace
}  // namespace zrw::test
