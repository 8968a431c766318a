// The About window over the real main window.
#include "ui/about.h"
#include "app/lang.h"
#include "tests/menu/menu_helpers.h"
#include "ui/dpi.h"
#include "ui/ids.h"

namespace zrw::test {
namespace {

class AboutTest : public MainWindowTest {
protected:
    void TearDown() override {
        if (HWND about = AboutWindow()) DestroyWindow(about);
        MainWindowTest::TearDown();
    }
    HWND OpenAbout() {
        SendMessageW(window_, WM_COMMAND, kIdAbout, 0);
        PumpMessages();
        return AboutWindow();
    }
};

// The outer size of a 620 x 384 client area under a caption and system menu.
SIZE AboutOuterSize() {
    RECT outer{0, 0, 620, 384};
    AdjustWindowRect(&outer, WS_CAPTION | WS_SYSMENU, FALSE);
    return SIZE{outer.right - outer.left, outer.bottom - outer.top};
}

struct Control {
    int id;
    const wchar_t* cls;
    RECT place;  // left, top, width, height
    const wchar_t* zh;
    const wchar_t* en;
};

const Control kControls[] = {
    {2330, L"Static", {18, 20, 584, 26}, L"关于", L"About"},
    {2331,
     L"Static",
     {18, 48, 584, 42},
     L"日志目录里存着每次复制的原始日志。",
     L"Raw logs of every copy live in the log folder."},
    {2333, L"Static", {18, 96, 584, 22}, L"泽若  ·  v1.0.1", L"Zerrow Pro  ·  v1.0.1"},
    {2102, L"Button", {18, 130, 200, 34}, L"打开日志目录", L"Open the log folder"},
    {2101,
     L"Button",
     {18, 172, 264, 34},
     L"卸载（清右键菜单、快捷方式、程序）",
     L"Uninstall (menu, shortcuts, program)"},
    {2311, L"Static", {18, 308, 584, 30}, L"", L""},
    {2306, L"Button", {506, 342, 96, 30}, L"关闭", L"Close"},
};

void ExpectControls(HWND about, bool en) {
    std::vector<HWND> children = DirectChildren(about);
    ASSERT_EQ(children.size(), std::size(kControls));
    for (size_t i = 0; i < children.size(); ++i) {
        const Control& c = kControls[i];
        SCOPED_TRACE(c.id);
        HWND child = children[i];
        EXPECT_EQ(GetDlgCtrlID(child), c.id);
        wchar_t cls[32] = {};
        GetClassNameW(child, cls, 32);
        EXPECT_EQ(lstrcmpiW(cls, c.cls), 0) << "class";
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, about, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(r.left, c.place.left);
        EXPECT_EQ(r.top, c.place.top);
        EXPECT_EQ(r.right - r.left, c.place.right);
        EXPECT_EQ(r.bottom - r.top, c.place.bottom);
        EXPECT_EQ(WindowText(child), en ? c.en : c.zh);
        LONG style = GetWindowLongW(child, GWL_STYLE);
        if (lstrcmpiW(c.cls, L"Button") == 0) {
            EXPECT_EQ(style & BS_TYPEMASK, BS_OWNERDRAW);
            EXPECT_TRUE(style & WS_TABSTOP);
        }
    }
    EXPECT_EQ(WindowText(about), en ? L"About" : L"关于");
}

TEST_F(AboutTest, OneWindowPlacedOverTheMainWindowWithItsControlsInBothLanguages) {
    Open();
    HWND about = OpenAbout();
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(OpenAbout(), about);
    EXPECT_EQ(TopWindowsOfClass(L"ZerrowSettings").size(), 1u);
    EXPECT_EQ(GetWindow(about, GW_OWNER), window_);
    EXPECT_EQ(GetFocus(), GetDlgItem(about, kIdOpenLogs));

    RECT client;
    GetClientRect(about, &client);
    EXPECT_EQ(client.right, 620);
    EXPECT_EQ(client.bottom, 384);
    LONG style = GetWindowLongW(about, GWL_STYLE);
    EXPECT_TRUE((style & WS_CAPTION) == WS_CAPTION && (style & WS_SYSMENU));
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MAXIMIZEBOX));
    SIZE outer = AboutOuterSize();
    RECT main, placed;
    GetWindowRect(window_, &main);
    GetWindowRect(about, &placed);
    EXPECT_EQ(placed.right - placed.left, outer.cx);
    EXPECT_EQ(placed.bottom - placed.top, outer.cy);
    EXPECT_EQ(placed.left, main.left + (1060 - outer.cx) / 2);
    EXPECT_EQ(placed.top, main.top + 64);
    ExpectControls(about, false);

    SendMessageW(window_, WM_COMMAND, kIdLangEn, 0);
    EXPECT_EQ(WindowText(about), L"关于") << "relabelled before it was refreshed";
    EXPECT_EQ(OpenAbout(), about);
    ExpectControls(about, true);
}

// The buttons' labels measured in the interface font at each DPI, in both
// languages, and one label far too long for the window.
TEST(AboutLayout, ButtonsHoldTheirLabelsAtEveryDpi) {
    const std::pair<int, const wchar_t*> labels[] = {
        {3, L"打开日志目录"}, {4, L"卸载（清右键菜单、快捷方式、程序）"}, {6, L"关闭"}};
    MemoryCanvas canvas(1, 1);
    ASSERT_TRUE(canvas);
    for (int dpi : {96, 144, 192}) {
        UniqueGdi font = CreateInterfaceFont(dpi);
        SelectedObject selected(canvas.dc(), font.get());
        for (uint32_t lang : {kLangZh, kLangEn}) {
            SCOPED_TRACE(testing::Message() << "language " << lang << " at " << dpi);
            int widths[kAboutControlCount] = {};
            for (const auto& [index, zh] : labels) {
                std::wstring text = Tr(zh, lang);
                SIZE size{};
                GetTextExtentPoint32W(canvas.dc(), text.c_str(), static_cast<int>(text.size()),
                                      &size);
                widths[index] = size.cx;
            }
            AboutLayout a = ComputeAboutLayout(dpi, widths);
            EXPECT_GE(a.client.cx, Scale(620, dpi));
            EXPECT_EQ(a.client.cy, Scale(384, dpi));
            for (int i = 0; i < kAboutControlCount; ++i) {
                const Place& p = a.controls[i];
                EXPECT_TRUE(p.x >= 0 && p.y >= 0 && p.x + p.w <= a.client.cx &&
                            p.y + p.h <= a.client.cy)
                    << "control " << i;
                // The painter keeps 8 pixels (scaled) clear on either side.
                EXPECT_LE(widths[i] + 2 * Scale(8, dpi), p.w) << "control " << i;
                for (int j = i + 1; j < kAboutControlCount; ++j)
                    EXPECT_FALSE(Overlap(p, a.controls[j])) << i << " and " << j;
            }
        }
    }
    int widths[kAboutControlCount] = {0, 0, 0, 0, 900, 0, 0};
    AboutLayout a = ComputeAboutLayout(96, widths);
    EXPECT_EQ(a.controls[4].w, 924);
    EXPECT_EQ(a.client.cx, 960);
    EXPECT_EQ(a.controls[6].x, 960 - 18 - 96);
    EXPECT_EQ(a.controls[0].w, 960 - 36);
}

TEST_F(AboutTest, CloseButtonAndEscapeCloseIt) {
    Open();
    HWND about = OpenAbout();
    ASSERT_NE(about, nullptr);
    SendMessageW(about, WM_COMMAND, kIdAboutClose, 0);
    EXPECT_FALSE(IsWindow(about));
    EXPECT_EQ(AboutWindow(), nullptr);

    about = OpenAbout();
    ASSERT_NE(about, nullptr);
    // Escape pressed on the focused button, as the message loop would see it.
    MSG msg{GetDlgItem(about, kIdOpenLogs), WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
    EXPECT_TRUE(AboutDialogMessage(msg));
    EXPECT_FALSE(IsWindow(about));
    EXPECT_EQ(AboutWindow(), nullptr);
    EXPECT_TRUE(IsWindow(window_));
}

// Uninstall reaches the same place from the About window and from the main
// window; the program here lies outside the installation folder, so only its
// registration goes.
TEST_F(AboutTest, UninstallFromTheAboutWindowAndTheMainWindow) {
    Open();
    HWND about = OpenAbout();
    ASSERT_NE(about, nullptr);
    for (HWND target : {about, window_}) {
        AnsweredBox box = AnswerBox([&] { SendMessageW(target, WM_COMMAND, kIdUninstall, 0); });
        ASSERT_TRUE(box.shown) << "no uninstall message";
        EXPECT_EQ(box.caption, L"泽若");
        EXPECT_EQ(std::count(box.statics.begin(), box.statics.end(),
                             L"已卸载：右键菜单和快捷方式已清除（程序文件不在安装目录，未动）。"),
                  1);
    }
}

TEST_F(AboutTest, PaintedInTheSkinColours) {
    Open();
    const struct {
        int skin;
        const char *background, *panel;
    } skins[] = {{1, "F5F6F8", "FFFFFF"}, {4, "131A18", "1D2623"}};
    for (const auto& [skin, background, panel] : skins) {
        SCOPED_TRACE(skin);
        SendMessageW(window_, WM_COMMAND, kIdSkinFirst + skin, 0);
        HWND about = OpenAbout();
        ASSERT_NE(about, nullptr);
        EXPECT_EQ(Hex(PixelAt(about, 10, 250)), background);
        EXPECT_EQ(Hex(PixelAt(GetDlgItem(about, kIdAboutNote), 580, 40)), background);
        // Normal owner-drawn buttons: panel fill inside the rounded outline.
        EXPECT_EQ(Hex(PixelAt(GetDlgItem(about, kIdAboutClose), 6, 15)), panel);
        EXPECT_EQ(Hex(PixelAt(GetDlgItem(about, kIdUninstall), 6, 17)), panel);
        DestroyWindow(about);
    }
}

}  // namespace
}  // namespace zrw::test
