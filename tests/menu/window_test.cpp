// The menu, the tray icon and the menu's commands on the real main window.
#include "ui/window.h"
#include "app/lang.h"
#include "shell/shell.h"
#include "tests/menu/menu_helpers.h"
#include "ui/about.h"
#include "ui/ids.h"
#include "ui/tray.h"

#include <atomic>
#include <functional>
#include <thread>

namespace zrw::test {
namespace {

using MenuWindowTest = MainWindowTest;

// Drawn once nothing of it is left to paint and the thread that paints it has
// come back to its menu loop, where it answers a sent message: a paint under
// way has validated the window already, and the skinned border comes last in it.
bool Drawn(HWND popup) {
    DWORD_PTR answer = 0;
    return !GetUpdateRect(popup, nullptr, FALSE) &&
           SendMessageTimeoutW(popup, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &answer) &&
           !GetUpdateRect(popup, nullptr, FALSE);
}

// Plays the user on the popup menu from a second thread while the UI thread
// sits in the menu's own loop: waits for the popup to be drawn, lets `act`
// look at it and press keys, and gives up after a while so that a test never hangs.
class MenuPlayer {
public:
    explicit MenuPlayer(std::function<void(HWND)> act)
        : thread_([this, act] {
              HWND popup = nullptr;
              WaitUntil(
                  [&] {
                      std::vector<HWND> popups = PopupMenus();
                      popup = popups.empty() ? nullptr : popups.front();
                      return finished_ || (popup && Drawn(popup));
                  },
                  10000);
              if (finished_ || !popup) return;
              act(popup);
              seen_ = true;
          }) {}
    ~MenuPlayer() { Finish(); }
    // Called once the menu is closed; true when the popup was seen.
    bool Finish() {
        finished_ = true;
        if (thread_.joinable()) thread_.join();
        return seen_;
    }

private:
    std::atomic<bool> finished_{false};
    std::atomic<bool> seen_{false};
    std::thread thread_;
};

// Keys reach the menu's loop in the order they are posted.
void Press(HWND popup, WPARAM key) { PostMessageW(popup, WM_KEYDOWN, key, 0); }

struct PopupPixels {
    COLORREF corner = 0, right = 0, bottom = 0, inside = 0;
    bool accentRow = false;
};

PopupPixels ReadPopup(HWND popup, COLORREF accent) {
    PopupPixels p;
    RECT r;
    GetWindowRect(popup, &r);
    int w = r.right - r.left;
    int h = r.bottom - r.top;
    WindowDc whole(popup, WindowDc::Area::Whole);
    HDC dc = whole.get();
    p.corner = GetPixel(dc, 0, 0);
    p.right = GetPixel(dc, w - 1, h / 2);
    p.bottom = GetPixel(dc, w / 2, h - 1);
    p.inside = GetPixel(dc, 8, h / 2);
    // A late mouse move from the cursor's warp can take the selection away
    // again, so the key is pressed anew until a row is seen lit.
    int polls = 0;
    p.accentRow = WaitUntil(
        [&] {
            if (polls++ % 20 == 0) Press(popup, VK_DOWN);
            for (int y = 1; y < h - 1; ++y)
                if (GetPixel(dc, 8, y) == accent) return true;
            return false;
        },
        5000);
    return p;
}

TEST_F(MenuWindowTest, MenuButtonOpensABorderedSkinnedPopupThatCloses) {
    Open();
    SendMessageW(window_, WM_COMMAND, kIdSkinFirst + 2, 0);
    SetCursorPos(1, 1);
    PopupPixels pixels;
    MenuPlayer player([&](HWND popup) {
        pixels = ReadPopup(popup, RGB(0x4C, 0xC2, 0xFF));
        Press(popup, VK_ESCAPE);
    });
    SendMessageW(window_, WM_COMMAND, kIdMenu, 0);
    ASSERT_TRUE(player.Finish()) << "no popup menu appeared";
    EXPECT_EQ(Hex(pixels.corner), "3D3D3D");
    EXPECT_EQ(Hex(pixels.right), "3D3D3D");
    EXPECT_EQ(Hex(pixels.bottom), "3D3D3D");
    EXPECT_EQ(Hex(pixels.inside), "2B2B2B");
    EXPECT_TRUE(pixels.accentRow) << "the first item did not light up in the accent";
    PumpMessages();
    EXPECT_TRUE(PopupMenus().empty());
    EXPECT_TRUE(IsWindow(window_));
}

TEST_F(MenuWindowTest, TrayRightClickMenuReachesAboutByKeyboard) {
    Open();
    ASSERT_TRUE(TrayIconAdded());
    MenuPlayer player([](HWND popup) {
        Press(popup, VK_UP);  // from nothing to the last item, Exit
        Press(popup, VK_UP);  // over the separator to About
        Press(popup, VK_RETURN);
    });
    SendMessageW(window_, kTrayMessage, 1, WM_RBUTTONUP);
    ASSERT_TRUE(player.Finish()) << "no popup menu appeared";
    PumpMessages();
    EXPECT_TRUE(IsWindow(window_));
    ASSERT_NE(AboutWindow(), nullptr);
    DestroyWindow(AboutWindow());
}

TEST_F(MenuWindowTest, TrayIconAddedOnceReaddedByTaskbarCreatedRemovedWithTheWindow) {
    Open();
    ASSERT_TRUE(TrayIconAdded()) << "Wine's tray refused the icon";
    NOTIFYICONDATAW probe{};
    probe.cbSize = sizeof(probe);
    probe.hWnd = window_;
    probe.uID = 1;
    // The tray refuses a second add of the same icon, which would clear the flag.
    EXPECT_FALSE(Shell_NotifyIconW(NIM_ADD, &probe));
    EXPECT_TRUE(addTrayIcon(window_));
    EXPECT_TRUE(TrayIconAdded());

    // An Explorer restart forgets the icon; the broadcast brings it back.
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &probe));
    SendMessageW(window_, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(TrayIconAdded());
    EXPECT_TRUE(Shell_NotifyIconW(NIM_MODIFY, &probe)) << "the icon was not added again";

    DestroyWindow(window_);
    EXPECT_FALSE(TrayIconAdded());
    EXPECT_FALSE(Shell_NotifyIconW(NIM_DELETE, &probe)) << "the icon outlived the window";
    window_ = nullptr;
}

TEST_F(MenuWindowTest, TrayLeftClickRestoresAMinimisedWindowOnlyWhileTheIconIsThere) {
    Open();
    ASSERT_TRUE(TrayIconAdded());
    for (UINT click : {WM_LBUTTONUP, WM_LBUTTONDBLCLK}) {
        ShowWindow(window_, SW_MINIMIZE);
        PumpMessages();
        ASSERT_TRUE(IsIconic(window_));
        SendMessageW(window_, kTrayMessage, 1, click);
        PumpMessages();
        EXPECT_FALSE(IsIconic(window_)) << "mouse message " << click;
        EXPECT_TRUE(IsWindowVisible(window_));
    }
    ShowWindow(window_, SW_MINIMIZE);
    SendMessageW(window_, kTrayMessage, 1, WM_MOUSEMOVE);
    EXPECT_TRUE(IsIconic(window_));
    removeTrayIcon();
    SendMessageW(window_, kTrayMessage, 1, WM_LBUTTONUP);
    EXPECT_TRUE(IsIconic(window_));
}

SIZE IconSize(HICON icon) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return SIZE{};
    UniqueGdi mask(info.hbmMask), colour(info.hbmColor);
    BITMAP bitmap{};
    GetObjectW(colour ? colour.get() : mask.get(), sizeof(bitmap), &bitmap);
    return SIZE{bitmap.bmWidth, colour ? bitmap.bmHeight : bitmap.bmHeight / 2};
}

// The tray shows the small icon; LoadIconW would hand out the large one.
TEST(TrayIcon, TheSmallIconSizeWithLoadIconMetricAndWithout) {
    const SIZE small{GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON)};
    ASSERT_NE(small.cx, GetSystemMetrics(SM_CXICON));
    LoadIconMetricFn loadMetric = OptionalLoadIconMetric();
    EXPECT_NE(loadMetric, nullptr) << "comctl32 without LoadIconMetric";
    for (LoadIconMetricFn load : {loadMetric, LoadIconMetricFn{}}) {
        UniqueIcon icon = LoadSmallIcon(nullptr, IDI_APPLICATION, load);
        ASSERT_TRUE(icon) << (load ? "LoadIconMetric" : "LoadImage");
        SIZE size = IconSize(icon.get());
        EXPECT_EQ(size.cx, small.cx);
        EXPECT_EQ(size.cy, small.cy);
    }
    UniqueIcon program = ProgramSmallIcon();
    ASSERT_TRUE(program);
    EXPECT_EQ(IconSize(program.get()).cx, small.cx);
}

const std::wstring kFileVerb = L"Software\\Classes\\*\\shell\\Zerrow.Copy";
const std::wstring kFolderVerb = L"Software\\Classes\\Directory\\shell\\Zerrow.Move";

TEST_F(MenuWindowTest, RemoveContextMenuDeletesTheVerbsAndSaysSoInBothLanguages) {
    Open();
    const struct {
        int lang;
        const wchar_t* caption;
        const wchar_t* text;
    } cases[] = {
        {kLangZh, L"泽若", L"右键菜单已卸载。软件本体、快捷方式都还在，随时能从 ⋮ 里重新装上。"},
        {kLangEn, L"Zerrow Pro",
         L"Context menu removed. The app and shortcuts are still here; reinstall from ⋮ anytime."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.caption);
        SendMessageW(window_, WM_COMMAND, c.lang == kLangEn ? kIdLangEn : kIdLangZh, 0);
        RegisterMenu(L"C:\\Tools\\Zerrow.exe");
        ASSERT_TRUE(KeyExists(HKEY_CURRENT_USER, kFileVerb));
        AnsweredBox box = AnswerBox([&] { SendMessageW(window_, WM_COMMAND, kIdRemoveMenu, 0); });
        ASSERT_TRUE(box.shown) << "no message box";
        EXPECT_EQ(box.caption, c.caption);
        EXPECT_EQ(std::count(box.statics.begin(), box.statics.end(), c.text), 1);
        EXPECT_EQ(box.owner, window_);
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kFileVerb));
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kFolderVerb));
    }
}

TEST_F(MenuWindowTest, InstallFromTheMenuRegistersTheVerbsAndSaysSo) {
    Open();
    AnsweredBox box = AnswerBox([&] { SendMessageW(window_, WM_COMMAND, kIdInstallMenu, 0); });
    bool registered =
        KeyExists(HKEY_CURRENT_USER, kFileVerb) && KeyExists(HKEY_CURRENT_USER, kFolderVerb);
    // The test program's folder holds more than the program: nothing is removed.
    Uninstall(true);
    ASSERT_TRUE(box.shown) << "no install message";
    EXPECT_EQ(box.caption, L"泽若");
    EXPECT_TRUE(std::any_of(box.statics.begin(), box.statics.end(), [](const std::wstring& t) {
        return t.rfind(L"已就绪（免安装、免管理员）：", 0) == 0;
    })) << "not the install message";
    EXPECT_TRUE(registered);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kFileVerb));
}

TEST_F(MenuWindowTest, ExitClosesWhenIdleButOnlyCancelsARunningTransfer) {
    Open();
    g_main.running = true;
    SendMessageW(window_, WM_COMMAND, kIdExit, 0);
    PumpMessages();
    EXPECT_TRUE(IsWindow(window_)) << "the window went away under a running transfer";
    EXPECT_TRUE(g_main.cancelRequested);
    EXPECT_TRUE(g_main.closeAfterJob);
    g_main.running = false;
    g_main.cancelRequested = false;
    g_main.closeAfterJob = false;

    SendMessageW(window_, WM_COMMAND, kIdExit, 0);
    EXPECT_FALSE(IsWindow(window_));
    window_ = nullptr;
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "no quit message";
}

}  // namespace
}  // namespace zrw::test
