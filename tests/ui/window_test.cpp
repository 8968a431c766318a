// The main window under a real display: its controls, layout, panes, drops
// and switches.
#include "ui/window.h"
#include "app/lang.h"
#include "app/settings.h"
#include "tests/support/window_fixture.h"
#include "ui/canvas.h"
#include "ui/controls.h"
#include "ui/dpi.h"
#include "ui/ids.h"
#include "ui/layout.h"
#include "ui/panes.h"
#include "ui/skin.h"

#include <commctrl.h>

#include <cwctype>

namespace zrw::test {
namespace {

struct Expected {
    const wchar_t* cls;
    int id;
    const wchar_t* text;  // nullptr: not checked (paths)
};

std::wstring Lower(std::wstring s) {
    for (wchar_t& c : s) c = static_cast<wchar_t>(towlower(c));
    return s;
}

TEST_F(MainWindowTest, OpensAt1060x660WithEveryControlInOrder) {
    Open(dir.path(), dir.path());
    RECT r;
    GetWindowRect(window_, &r);
    EXPECT_EQ(r.right - r.left, 1060);
    EXPECT_EQ(r.bottom - r.top, 660);
    wchar_t cls[64];
    GetClassNameW(window_, cls, 64);
    EXPECT_STREQ(cls, L"ZerrowMain");
    EXPECT_EQ(WindowText(window_), L"泽若 快速复制");

    const Expected expected[] = {
        {L"static", 0,
         L"先选源（左栏）→ 再选去处（右栏）→ 点「复制 →」   （每一步的说明看下方面板）"},
        {L"syslistview32", 2010, L""},
        {L"syslistview32", 2011, L""},
        {L"edit", 0, nullptr},
        {L"edit", 0, nullptr},
        {L"button", 2012, L"上级"},
        {L"button", 2014, L"…"},
        {L"button", 2013, L"上级"},
        {L"button", 2003, L"…"},
        {L"button", 2004, L"复制 →"},
        {L"button", 2005, L"移动(剪切) →"},
        {L"button", 2015, L"← 复制"},
        {L"button", 2016, L"← 移动(剪切)"},
        {L"button", 2017, L"刷新"},
        {L"button", 2021, L"暂停"},
        {L"button", 2006, L"取消"},
        {L"button", 2008, L"⋮"},
        {L"button", 2019, L"原生引擎"},
        {L"button", 2019, L"原生引擎"},
        {L"button", 2020, L"校验：关"},
        {L"msctls_progress32", 0, L""},
        {L"zrwbarskin", 0, L""},
        {L"static", 0, L""},
        {L"static", 0, L""},
        {L"edit", 0, L""},
    };
    std::vector<HWND> children = DirectChildren(window_);
    ASSERT_EQ(children.size(), std::size(expected));
    for (size_t i = 0; i < children.size(); ++i) {
        GetClassNameW(children[i], cls, 64);
        EXPECT_EQ(Lower(cls), expected[i].cls) << "control " << i + 1;
        EXPECT_EQ(GetDlgCtrlID(children[i]), expected[i].id) << "control " << i + 1;
        if (expected[i].text) {
            EXPECT_EQ(WindowText(children[i]), expected[i].text) << "control " << i + 1;
        }
        EXPECT_TRUE(GetWindowLongW(children[i], GWL_STYLE) & WS_VISIBLE) << "control " << i + 1;
        if (expected[i].id != 0 && Lower(cls) == L"button") {
            EXPECT_EQ(GetWindowLongW(children[i], GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
        }
    }
    EXPECT_EQ(WindowText(children[3]), dir.path());
    EXPECT_TRUE(GetWindowLongW(children[3], GWL_STYLE) & ES_READONLY);
    EXPECT_FALSE(GetWindowLongW(children[4], GWL_STYLE) & ES_READONLY);
    EXPECT_TRUE(GetWindowLongW(children[24], GWL_STYLE) & ES_MULTILINE);
    // Idle: the transfer buttons work, Cancel and Pause wait for a job.
    EXPECT_TRUE(IsWindowEnabled(g_main.copyRight));
    EXPECT_FALSE(IsWindowEnabled(g_main.cancel));
    EXPECT_FALSE(IsWindowEnabled(g_main.pauseButton));
    EXPECT_EQ(SendMessageW(g_main.progress, PBM_GETRANGE, FALSE, 0), 100);

    // The smallest window still has a client area of 900 x 520.
    MINMAXINFO info{};
    SendMessageW(window_, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    RECT client;
    GetClientRect(window_, &client);
    EXPECT_EQ(info.ptMinTrackSize.x - (r.right - r.left - client.right), 900);
    EXPECT_EQ(info.ptMinTrackSize.y - (r.bottom - r.top - client.bottom), 520);
}

void ExpectAt(HWND control, const Place& p, const char* what) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, p.x) << what;
    EXPECT_EQ(r.top, p.y) << what;
    EXPECT_EQ(r.right - r.left, p.w) << what;
    EXPECT_EQ(r.bottom - r.top, p.h) << what;
}

TEST_F(MainWindowTest, ControlsSitWhereTheLayoutPutsThem) {
    Open();
    SetWindowPos(window_, nullptr, 0, 0, 1200, 760, SWP_NOMOVE | SWP_NOZORDER);
    PumpMessages();
    RECT client;
    GetClientRect(window_, &client);
    MainLayout l;
    ASSERT_TRUE(ComputeLayout(client.right, client.bottom, 96, l));
    const MainState& m = g_main;
    ExpectAt(m.menu, l.menu, "menu");
    ExpectAt(m.title, l.title, "title");
    ExpectAt(m.leftPath, l.leftPath, "left path");
    ExpectAt(m.rightPath, l.rightPath, "right path");
    ExpectAt(m.leftList, l.leftList, "left list");
    ExpectAt(m.rightList, l.rightList, "right list");
    ExpectAt(m.engineMid, l.engineMid, "engine mid");
    ExpectAt(m.moveLeft, l.moveLeft, "move left");
    ExpectAt(m.report, l.report, "report");
    ExpectAt(m.failure, l.failure, "failure");
    ExpectAt(m.bar, l.bar, "bar");
    ExpectAt(m.progress, l.progress, "progress");
    ExpectAt(m.engineBar, l.engineBar, "engine bar");
    ExpectAt(m.cancel, l.cancel, "cancel");
    EXPECT_EQ(ListView_GetColumnWidth(m.leftList, 0), l.nameWidth);
    EXPECT_EQ(ListView_GetColumnWidth(m.rightList, 1), l.sizeWidth);
    EXPECT_TRUE(IsWindowVisible(m.report));
}

int ColumnsWidth(HWND list) {
    int width = 0;
    for (int i = 0; i < 3; ++i) width += ListView_GetColumnWidth(list, i);
    return width;
}

// The last column ends at the list's edge, or at its vertical scroll bar when
// the listing is long: no horizontal scroll bar hides the columns' ends.
TEST_F(MainWindowTest, ColumnsEndAtTheListsEdgeWithOrWithoutAScrollBar) {
    WriteFiles(dir.path(), 60);
    ASSERT_TRUE(CreateDirectoryW((dir / L"empty").c_str(), nullptr));
    Open(dir.path(), dir.path());
    HWND list = g_main.rightList;
    for (bool longListing : {true, false}) {
        SCOPED_TRACE(longListing ? "long listing" : "short listing");
        LONG style = GetWindowLongW(list, GWL_STYLE);
        EXPECT_EQ((style & WS_VSCROLL) != 0, longListing);
        EXPECT_FALSE(style & WS_HSCROLL);
        RECT client;
        GetClientRect(list, &client);
        EXPECT_EQ(ColumnsWidth(list), client.right);
        GoToFolder(false, dir / L"empty");
        ASSERT_TRUE(WaitForListing(list));
    }
    SetWindowPos(window_, nullptr, 0, 0, 1200, 760, SWP_NOMOVE | SWP_NOZORDER);
    PumpMessages();
    RECT client;
    GetClientRect(list, &client);
    EXPECT_EQ(ColumnsWidth(list), client.right);
}

// The columns of a control, as it stands on the screen, whose pixels of a
// colour form three runs of dot pixels, dot pixels apart: the menu sign drawn
// as dots. A font's empty box for a missing glyph has none.
std::vector<int> DotColumns(HWND control, COLORREF colour, int dot) {
    RedrawWindow(GetAncestor(control, GA_ROOT), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpMessages();
    RECT r;
    GetClientRect(control, &r);
    MemoryCanvas canvas(r.right, r.bottom);
    WindowDc screen(control);
    BitBlt(canvas.dc(), 0, 0, r.right, r.bottom, screen.get(), 0, 0, SRCCOPY);
    GdiFlush();
    std::vector<int> columns;
    for (int x = 0; x < r.right; ++x) {
        std::vector<std::pair<int, int>> runs;  // first row, length
        for (int y = 0; y < r.bottom; ++y) {
            if (canvas.pixel(x, y) != colour) continue;
            if (!runs.empty() && runs.back().first + runs.back().second == y) ++runs.back().second;
            else runs.push_back({y, 1});
        }
        bool dots = runs.size() == 3;
        for (size_t i = 0; dots && i < runs.size(); ++i)
            dots =
                runs[i].second == dot && (i == 0 || runs[i].first == runs[i - 1].first + 2 * dot);
        if (dots) columns.push_back(x);
    }
    return columns;
}

TEST_F(MainWindowTest, MenuButtonAndFailureLinePaintTheMenuSignAsThreeDots) {
    Open();
    TEXTMETRICW font{};
    {
        MemoryCanvas canvas(1, 1);
        SelectedObject selected(canvas.dc(), InterfaceFont());
        GetTextMetricsW(canvas.dc(), &font);
    }
    int dot = MenuDotsFor(font).dot;
    ASSERT_GE(dot, 2);
    auto expectDots = [dot](const std::vector<int>& columns, const char* what) {
        ASSERT_EQ(columns.size(), static_cast<size_t>(dot)) << what;
        EXPECT_EQ(columns.back() - columns.front(), dot - 1) << what;
    };
    COLORREF text = ColorsForButton(ButtonKind::Normal, ButtonState{}, currentRow(), isDark()).text;
    std::vector<int> button = DotColumns(g_main.menu, text, dot);
    expectDots(button, "menu button");
    RECT r;
    GetClientRect(g_main.menu, &r);
    if (!button.empty()) {
        EXPECT_NEAR(button.front() + dot / 2.0, r.right / 2.0, 1.5);
    }
    EXPECT_EQ(WindowText(g_main.menu), L"⋮");

    for (uint32_t lang : {kLangEn, kLangZh}) {
        std::wstring failure = L"1" + Tr(L" 项失败（点「⋮」看日志）", lang);
        SetWindowTextW(g_main.failure, failure.c_str());
        MemoryCanvas probe(1, 1);
        ControlColours(probe.dc(), g_main.failure);
        expectDots(DotColumns(g_main.failure, GetTextColor(probe.dc()), dot),
                   WideToUtf8(failure).c_str());
    }
}

TEST_F(MainWindowTest, PaneListsFoldersFirstWithSizesAndTimes) {
    ASSERT_TRUE(CreateDirectoryW((dir / L"b").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((dir / L"A").c_str(), nullptr));
    ASSERT_TRUE(WriteBytes(dir / L"c.txt", "12345"));
    ASSERT_TRUE(WriteBytes(dir / L"B.txt", std::string(3000, 'x')));
    Open(dir.path() + L"\\\\");
    EXPECT_EQ(g_main.leftFolder, dir.path());
    EXPECT_EQ(RowNames(g_main.leftList),
              (std::vector<std::wstring>{L"..", L"A", L"b", L"B.txt", L"c.txt"}));
    HWND list = g_main.leftList;
    EXPECT_EQ(CellText(list, 0, 1), L"--");
    EXPECT_EQ(CellText(list, 0, 2), L"");
    EXPECT_EQ(CellText(list, 1, 1), L"<文件夹>");
    EXPECT_EQ(CellText(list, 3, 1), L"3 KB");
    EXPECT_EQ(CellText(list, 4, 1), L"5 B");
    std::wstring modified = CellText(list, 4, 2);
    ASSERT_EQ(modified.size(), 16u) << modified;
    EXPECT_EQ(modified[4], L'-');
    EXPECT_EQ(modified[10], L' ');
    EXPECT_EQ(modified[13], L':');

    SendMessageW(window_, WM_COMMAND, kIdLangEn, 0);
    EXPECT_EQ(CellText(list, 1, 1), L"<Folder>");
}

TEST_F(MainWindowTest, DoubleClickNavigatesAndStopsAtTheDriveRoot) {
    ASSERT_TRUE(WriteBytesDeep(dir / L"sub\\深\\f.txt", "x"));
    Open(dir.path(), dir.path());
    HWND list = g_main.rightList;
    ASSERT_EQ(RowNames(list), (std::vector<std::wstring>{L"..", L"sub"}));
    DoubleClick(list, 1);
    EXPECT_EQ(g_main.rightFolder, dir / L"sub");
    EXPECT_EQ(WindowText(g_main.rightPath), dir / L"sub");
    DoubleClick(list, 1);
    EXPECT_EQ(g_main.rightFolder, dir / L"sub\\深");
    DoubleClick(list, 1);  // a file: nothing happens
    EXPECT_EQ(g_main.rightFolder, dir / L"sub\\深");
    DoubleClick(list, -1);
    EXPECT_EQ(g_main.rightFolder, dir / L"sub\\深");
    DoubleClick(list, 0);
    EXPECT_EQ(g_main.rightFolder, dir / L"sub");
    SendMessageW(window_, WM_COMMAND, kIdRightUp, 0);
    EXPECT_EQ(g_main.rightFolder, dir.path());
    EXPECT_EQ(g_main.leftFolder, dir.path());  // the other pane stays

    GoToFolder(true, L"C:");
    EXPECT_EQ(g_main.leftFolder, L"C:\\");
    EXPECT_EQ(WindowText(g_main.leftPath), L"C:\\");
    ASSERT_EQ(CellText(g_main.leftList, 0, 0), L"..");
    DoubleClick(g_main.leftList, 0);
    EXPECT_EQ(g_main.leftFolder, L"C:\\");
    SendMessageW(window_, WM_COMMAND, kIdLeftUp, 0);
    EXPECT_EQ(g_main.leftFolder, L"C:\\");

    GoToFolder(true, dir / L"missing");
    EXPECT_EQ(g_main.leftFolder, L"C:\\");
}

TEST_F(MainWindowTest, DropFromTwoFoldersSelectsWhatTheLeftPaneShows) {
    ASSERT_TRUE(WriteBytesDeep(dir / L"a\\one.txt", "1"));
    ASSERT_TRUE(WriteBytesDeep(dir / L"a\\two 二.txt", "2"));
    ASSERT_TRUE(WriteBytesDeep(dir / L"a\\left alone.txt", "3"));
    ASSERT_TRUE(WriteBytesDeep(dir / L"b\\three.txt", "4"));
    Open(L"", dir.path());
    std::vector<std::wstring> dropped = {dir / L"a\\one.txt", dir / L"a\\two 二.txt",
                                         dir / L"b\\three.txt", dir / L"b\\gone.txt"};
    SendMessageW(window_, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(dropped)), 0);
    EXPECT_EQ(g_main.leftFolder, dir / L"a");
    ASSERT_TRUE(WaitForListing(g_main.leftList));
    EXPECT_EQ(ListView_GetSelectedCount(g_main.leftList), 2u);
    std::vector<std::wstring> selected;
    for (int i = ListView_GetNextItem(g_main.leftList, -1, LVNI_SELECTED); i >= 0;
         i = ListView_GetNextItem(g_main.leftList, i, LVNI_SELECTED))
        selected.push_back(CellText(g_main.leftList, i, 0));
    EXPECT_EQ(selected, (std::vector<std::wstring>{L"one.txt", L"two 二.txt"}));
    EXPECT_EQ(g_main.sourceSelection,
              (std::vector<std::wstring>{dir / L"a\\one.txt", dir / L"a\\two 二.txt",
                                         dir / L"b\\three.txt"}));

    // A drop while a transfer runs changes nothing.
    g_main.running = true;
    SendMessageW(window_, WM_DROPFILES,
                 reinterpret_cast<WPARAM>(MakeDrop({dir / L"a\\left alone.txt"})), 0);
    g_main.running = false;
    EXPECT_EQ(g_main.sourceSelection.size(), 3u);

    // A new selection in the pane rebuilds the sources from the visible rows only.
    ListView_SetItemState(g_main.leftList, -1, 0, LVIS_SELECTED);
    ListView_SetItemState(g_main.leftList, 1, LVIS_SELECTED, LVIS_SELECTED);
    PumpMessages();
    EXPECT_EQ(g_main.sourceSelection, (std::vector<std::wstring>{dir / L"a\\left alone.txt"}));
}

TEST_F(MainWindowTest, StartSourcesAndDestinationFromTheCommandLine) {
    ASSERT_TRUE(WriteBytesDeep(dir / L"src\\x.bin", "x"));
    ASSERT_TRUE(CreateDirectoryW((dir / L"dst").c_str(), nullptr));
    WindowStart start;
    start.sources = {dir / L"src\\x.bin"};
    start.leftFolder = dir / L"src";
    start.destination = dir / L"dst\\new";
    start.rightFolder = dir / L"dst";
    Open(start);
    EXPECT_EQ(g_main.sourceSelection, start.sources);
    EXPECT_EQ(WindowText(g_main.rightPath), dir / L"dst\\new");
    EXPECT_EQ(g_main.rightFolder, dir / L"dst");
}

TEST_F(MainWindowTest, LanguageSwitchRelabelsEveryWindow) {
    Open();
    ASSERT_EQ(WindowText(g_main.copyRight), L"复制 →");
    SendMessageW(window_, WM_COMMAND, kIdLangEn, 0);
    EXPECT_EQ(UiLang, kLangEn);
    EXPECT_EQ(ReadSetting(L"Lang"), 1);
    EXPECT_EQ(WindowText(window_), L"Zerrow Pro — Fast Copy");
    EXPECT_EQ(WindowText(g_main.copyRight), L"Copy →");
    EXPECT_EQ(WindowText(g_main.moveLeft), L"← Move (cut)");
    EXPECT_EQ(WindowText(g_main.leftUp), L"Up");
    EXPECT_EQ(WindowText(g_main.leftBrowse), L"…");
    EXPECT_EQ(WindowText(g_main.menu), L"⋮");
    EXPECT_EQ(WindowText(g_main.engineBar), L"VEZIzozar");
    EXPECT_EQ(WindowText(g_main.engineMid), L"VEZIzozar");
    EXPECT_EQ(WindowText(g_main.verify), L"Verify: off");
    EXPECT_EQ(WindowText(g_main.leftPath), dir.path());
    SendMessageW(window_, WM_COMMAND, kIdLangZh, 0);
    EXPECT_EQ(ReadSetting(L"Lang"), 0);
    EXPECT_EQ(WindowText(g_main.copyRight), L"复制 →");
    EXPECT_EQ(WindowText(g_main.leftUp), L"上级");
    EXPECT_EQ(WindowText(g_main.engineBar), L"原生引擎");
}

TEST_F(MainWindowTest, EngineSwitchSavesAndRefusesWhileBusy) {
    Open();
    g_engineFromCommandLine = true;
    SendMessageW(window_, WM_COMMAND, kIdEngine, 0);
    EXPECT_EQ(g_settings.engine, Engine::Robocopy);
    EXPECT_FALSE(g_engineFromCommandLine);
    EXPECT_EQ(ReadSetting(L"Engine"), 0);
    EXPECT_EQ(WindowText(g_main.engineBar), L"vozi");
    EXPECT_EQ(WindowText(g_main.engineMid), L"vozi");
    EXPECT_EQ(WindowText(g_main.status), L"引擎已切到vozi（Windows 自带 robocopy）");

    g_main.running = true;
    SetWindowIdle(false);
    EXPECT_FALSE(IsWindowEnabled(g_main.copyRight));
    EXPECT_FALSE(IsWindowEnabled(g_main.rightPath));
    EXPECT_TRUE(IsWindowEnabled(g_main.cancel));
    EXPECT_TRUE(IsWindowEnabled(g_main.engineBar));
    SendMessageW(window_, WM_COMMAND, kIdEngine, 0);
    EXPECT_EQ(g_settings.engine, Engine::Robocopy);
    EXPECT_EQ(ReadSetting(L"Engine"), 0);
    EXPECT_EQ(WindowText(g_main.engineBar), L"vozi");
    g_main.running = false;
    SetWindowIdle(true);

    SendMessageW(window_, WM_COMMAND, kIdLangEn, 0);
    SendMessageW(window_, WM_COMMAND, kIdEngine, 0);
    EXPECT_EQ(ReadSetting(L"Engine"), 1);
    EXPECT_EQ(WindowText(g_main.engineMid), L"VEZIzozar");
    EXPECT_EQ(WindowText(g_main.status),
              L"Engine switched to VEZIzozar (native, doesn't call robocopy)");
}

TEST_F(MainWindowTest, VerifySwitchTogglesSavesAndRelabels) {
    Open();
    SendMessageW(window_, WM_COMMAND, kIdVerify, 0);
    EXPECT_TRUE(g_settings.verify);
    EXPECT_EQ(ReadSetting(L"Verify"), 1);
    EXPECT_EQ(WindowText(g_main.verify), L"校验：开");
    EXPECT_EQ(WindowText(g_main.status), L"校验已开：复制完会逐文件比对源和目标");

    g_main.running = true;
    SendMessageW(window_, WM_COMMAND, kIdVerify, 0);
    g_main.running = false;
    EXPECT_TRUE(g_settings.verify);
    EXPECT_EQ(WindowText(g_main.verify), L"校验：开");

    SendMessageW(window_, WM_COMMAND, kIdLangEn, 0);
    EXPECT_EQ(WindowText(g_main.verify), L"Verify: on");
    SendMessageW(window_, WM_COMMAND, kIdVerify, 0);
    EXPECT_FALSE(g_settings.verify);
    EXPECT_EQ(ReadSetting(L"Verify"), 0);
    EXPECT_EQ(WindowText(g_main.verify), L"Verify: off");
    EXPECT_EQ(WindowText(g_main.status), L"Verify off");
}

void ExpectSolid(HGDIOBJ object, COLORREF colour, const char* what) {
    ASSERT_NE(object, nullptr) << what;
    if (GetObjectType(object) == OBJ_BRUSH) {
        EXPECT_NE(object, GetStockObject(WHITE_BRUSH)) << what;
        LOGBRUSH brush{};
        ASSERT_EQ(GetObjectW(object, sizeof(brush), &brush), static_cast<int>(sizeof(brush)));
        EXPECT_EQ(brush.lbStyle, static_cast<UINT>(BS_SOLID)) << what;
        EXPECT_EQ(brush.lbColor, colour) << what;
    } else {
        EXPECT_NE(object, GetStockObject(BLACK_PEN)) << what;
        LOGPEN pen{};
        ASSERT_EQ(GetObjectW(object, sizeof(pen), &pen), static_cast<int>(sizeof(pen))) << what;
        EXPECT_EQ(pen.lopnColor, colour) << what;
    }
}

TEST_F(MainWindowTest, SkinSwitchesNeverRunOutOfBrushesOrPens) {
    Open();
    for (int round = 0; round < 50; ++round) {
        // The seven palettes in turn; the picture skin would open a picker.
        SendMessageW(window_, WM_COMMAND, kIdSkinFirst + 1 + round % 7, 0);
        PumpMessages();
        // Every colour a button can be painted in, as the window asks for them.
        for (ButtonKind kind :
             {ButtonKind::Normal, ButtonKind::Primary, ButtonKind::Quiet, ButtonKind::Danger}) {
            for (int flags = 0; flags < 8; ++flags) {
                ButtonState state{(flags & 1) != 0, (flags & 2) != 0, (flags & 4) != 0};
                ButtonColors c = ColorsForButton(kind, state, currentRow(), isDark());
                for (COLORREF colour : {c.fill, c.outline, c.text}) {
                    ExpectSolid(brushFor(colour), colour, "brush");
                    ExpectSolid(penFor(colour), colour, "pen");
                }
            }
        }
        if (HasFailure()) FAIL() << "skin switch " << round;
    }
}

TEST_F(MainWindowTest, EnterAndEscapeFollowTheBusyState) {
    Open();
    g_main.running = true;
    SendMessageW(window_, WM_KEYDOWN, VK_ESCAPE, 0);
    PumpMessages();
    EXPECT_TRUE(g_main.cancelRequested);
    SendMessageW(window_, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(window_));  // closing during a job only asks the job to stop
    EXPECT_TRUE(g_main.closeAfterJob);
    g_main.running = false;
    g_main.cancelRequested = false;
    SendMessageW(window_, WM_KEYDOWN, VK_ESCAPE, 0);
    PumpMessages();
    EXPECT_FALSE(g_main.cancelRequested);
    SendMessageW(window_, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window_));
    window_ = nullptr;
}

}  // namespace
}  // namespace zrw::test
