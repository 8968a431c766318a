// The main window: its controls, its messages and its loop.
#include "ui/window.h"
#include "app/lang.h"
#include "app/logdir.h"
#include "app/settings.h"
#include "base/paths.h"
#include "job/control.h"
#include "job/job.h"
#include "robo/robo.h"
#include "shell/shell.h"
#include "ui/about.h"
#include "ui/controls.h"
#include "ui/dpi.h"
#include "ui/ids.h"
#include "ui/job_display.h"
#include "ui/layout.h"
#include "ui/menu.h"
#include "ui/panes.h"
#include "ui/pickers.h"
#include "ui/skin.h"
#include "ui/taskbar.h"
#include "ui/tray.h"

#include <commctrl.h>
#include <knownfolders.h>
#include <shellapi.h>
#include <shlobj.h>

namespace zrw {

MainState g_main;

namespace {

constexpr wchar_t kMainClass[] = L"ZerrowMain";
// At 96 DPI; scaled to the window's DPI once it exists.
constexpr int kWindowWidth = 1060;
constexpr int kWindowHeight = 660;

}  // namespace

HWND CreateControl(HWND parent, const wchar_t* cls, const std::wstring& text, DWORD style, int id) {
    HWND control = CreateWindowExW(0, cls, text.c_str(), style | WS_CHILD | WS_VISIBLE, 0, 0, 0, 0,
                                   parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   GetModuleHandleW(nullptr), nullptr);
    if (control) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(InterfaceFont()), TRUE);
    return control;
}

namespace {

struct ButtonRow {
    HWND MainState::*slot;
    const wchar_t* text;
    int id;
};

// Controls 6 to 20, in creation order; texts are the zh texts, passed through Tr.
const ButtonRow kButtons[] = {
    {&MainState::leftUp, L"上级", kIdLeftUp},
    {&MainState::leftBrowse, L"…", kIdLeftBrowse},
    {&MainState::rightUp, L"上级", kIdRightUp},
    {&MainState::rightBrowse, L"…", kIdRightBrowse},
    {&MainState::copyRight, L"复制 →", kIdCopyRight},
    {&MainState::moveRight, L"移动(剪切) →", kIdMoveRight},
    {&MainState::copyLeft, L"← 复制", kIdCopyLeft},
    {&MainState::moveLeft, L"← 移动(剪切)", kIdMoveLeft},
    {&MainState::refresh, L"刷新", kIdRefresh},
    {&MainState::pauseButton, L"暂停", kIdPause},
    {&MainState::cancel, L"取消", kIdCancel},
    {&MainState::menu, L"⋮", kIdMenu},
    {&MainState::engineBar, L"", kIdEngine},
    {&MainState::engineMid, L"", kIdEngine},
    {&MainState::verify, L"校验：关", kIdVerify},
};

void CreateControls(HWND window) {
    MainState& m = g_main;
    m.title = CreateControl(window, L"STATIC", L"", SS_ENDELLIPSIS, 0);
    // Virtual: the rows come from the pane's own listing as they are drawn.
    DWORD listStyle = LVS_REPORT | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | WS_TABSTOP |
                      LVS_SHAREIMAGELISTS | LVS_OWNERDATA;
    m.leftList = CreateControl(window, WC_LISTVIEWW, L"", listStyle, kIdLeftList);
    m.rightList = CreateControl(window, WC_LISTVIEWW, L"", listStyle, kIdRightList);
    m.leftPath = CreateControl(window, L"EDIT", L"", ES_AUTOHSCROLL | ES_READONLY, 0);
    m.rightPath = CreateControl(window, L"EDIT", L"", ES_AUTOHSCROLL, 0);
    for (const ButtonRow& row : kButtons) {
        HWND button =
            CreateControl(window, L"BUTTON", Tr(row.text), BS_OWNERDRAW | WS_TABSTOP, row.id);
        m.*row.slot = button;
        InstallHoverTracking(button);
        RegisterRepaint(button);
    }
    RefreshVerifyLabel();
    m.progress = CreateControl(window, PROGRESS_CLASSW, L"", 0, 0);
    m.bar = CreateControl(window, kBarClass, L"", 0, 0);
    RegisterRepaint(m.bar);
    m.status = CreateControl(window, L"STATIC", L"", SS_ENDELLIPSIS, 0);
    m.failure = CreateControl(window, L"STATIC", L"", SS_OWNERDRAW, 0);
    m.report = CreateControl(window, L"EDIT", L"",
                             ES_MULTILINE | ES_AUTOVSCROLL | ES_NOHIDESEL | ES_READONLY, 0);
}

void SetUpList(HWND list) {
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    SHFILEINFOW info{};
    auto images = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoW(L"folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof(info),
                       SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES));
    ListView_SetImageList(list, images, LVSIL_SMALL);
    CreatePaneColumns(list);
}

std::wstring DefaultFolder() {
    PWSTR desktop = nullptr;
    std::wstring folder = L"C:\\";
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Desktop, 0, nullptr, &desktop)) && desktop)
        folder = desktop;
    CoTaskMemFree(desktop);
    return folder;
}

LRESULT OnCreate(HWND window, const WindowStart& start) {
    addTrayIcon(window);
    RegisterTaskbarCreated();
    RegisterTaskbarButtonCreated();
    TraceLog(L"WC:1 enter");
    g_main.window = window;
    g_main.dpi = WindowDpi(window);
    // No control uses the font this replaces: an earlier window took its own along.
    SetInterfaceDpi(g_main.dpi);
    RegisterBarClass();
    CreateControls(window);
    TraceLog(L"WC:2 controls ok");
    SendMessageW(g_main.progress, PBM_SETRANGE32, 0, 100);
    SendMessageW(g_main.progress, PBM_SETPOS, 0, 0);
    InvalidateRect(g_main.bar, nullptr, FALSE);
    SetUpList(g_main.leftList);
    SetUpList(g_main.rightList);
    TraceLog(L"WC:3 panes ok");
    EnableWindow(g_main.cancel, FALSE);
    EnableWindow(g_main.pauseButton, FALSE);
    DragAcceptFiles(window, TRUE);

    LoadAndApplySettings();
    ApplyLanguage();
    RefreshEngineLabels();
    applyLook(window, false);
    TraceLog(L"WC:5 look ok");
    g_settings.detail = true;
    ShowWindow(g_main.report, SW_SHOW);

    std::vector<std::wstring> startSources = start.sources;
    std::wstring fallback = DefaultFolder();
    TraceLog(L"WC:6 preg o");
    GoToFolder(true, start.leftFolder.empty() ? fallback : start.leftFolder);
    TraceLog(L"WC:7 left ok");
    GoToFolder(false, start.rightFolder.empty() ? fallback : start.rightFolder);
    TraceLog(L"WC:8 right ok");
    if (!start.destination.empty()) {
        g_main.destination = TrimSeparators(start.destination);
        SetWindowTextW(g_main.rightPath, start.destination.c_str());
    }
    if (!startSources.empty()) SelectSources(startSources);
    SetWindowTextW(g_main.report, L"");
    g_kept.report.clear();
    TraceLog(L"WC:9 done");
    LayoutMainWindow();
    SetWindowIdle(true);
    return 0;
}

void SetFontOfChildren(HWND parent, HFONT font) {
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

void OnDpiChanged(HWND window, int dpi, const RECT& suggested) {
    g_main.dpi = dpi;
    // Released on return, once no control uses it any more.
    UniqueGdi previous = SetInterfaceDpi(dpi);
    for (HWND owner : {window, AboutWindow()})
        if (owner) SetFontOfChildren(owner, InterfaceFont());
    LayoutAboutWindow();
    SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    // The suggested size can be the current one, and then no WM_SIZE comes.
    LayoutMainWindow();
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void OnGetMinMaxInfo(HWND window, MINMAXINFO& info) {
    // A minimised window's rectangle is its icon's, not its frame's.
    if (IsIconic(window)) return;
    RECT outer, client;
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    SIZE frame{outer.right - outer.left - client.right, outer.bottom - outer.top - client.bottom};
    RECT work = WorkAreaAt(POINT{outer.left, outer.top});
    SIZE least =
        MinimumWindowSize(g_main.dpi, frame, SIZE{work.right - work.left, work.bottom - work.top});
    info.ptMinTrackSize = POINT{least.cx, least.cy};
}

void GoUp(bool left) {
    const std::wstring& folder = left ? g_main.leftFolder : g_main.rightFolder;
    GoToFolder(left, ParentFolder(TrimSeparators(folder)));
}

void Browse(HWND window, bool left) {
    std::wstring title = Tr(left ? L"左栏跳到哪个文件夹（源）" : L"右栏跳到哪个文件夹（目标）");
    std::wstring folder;
    if (PickFolder(window, title, folder)) GoToFolder(left, folder);
}

void OnCommand(HWND window, int id) {
    switch (id) {
    case kIdRightBrowse: Browse(window, false); break;
    case kIdLeftBrowse: Browse(window, true); break;
    case kIdLeftUp: GoUp(true); break;
    case kIdRightUp: GoUp(false); break;
    case kIdRefresh:
        GoToFolder(true, g_main.leftFolder);
        GoToFolder(false, g_main.rightFolder);
        break;
    case kIdCopyRight:
        if (!g_main.running) StartWindowTransfer(false);
        break;
    case kIdMoveRight: StartWindowTransfer(true); break;
    case kIdCopyLeft: StartReverseTransfer(false); break;
    case kIdMoveLeft: StartReverseTransfer(true); break;
    case kIdCancel: g_main.cancelRequested = true; break;
    case kIdPause:
        if (!StartQueuedNow()) TogglePause();
        break;
    case kIdEngine: SwitchEngine(); break;
    case kIdVerify: SwitchVerify(); break;
    case kIdMenu: ShowMainMenuAtCursor(window); break;
    case kIdInstallMenu: Install(false); break;
    case kIdRemoveMenu: RemoveContextMenu(window); break;
    case kIdAbout: openAboutWindow(window); break;
    // Through WM_CLOSE, so that a running transfer is cancelled before the window goes.
    case kIdExit: SendMessageW(window, WM_CLOSE, 0, 0); break;
    case kIdUninstall: Uninstall(false); break;
    case kIdOpenLogs: OpenLogFolder(window); break;
    case kIdHashList: SwitchHashList(); break;
    case kIdCheckHashes: CheckHashListInWindow(); break;
    case kIdLangZh:
    case kIdLangEn:
        SwitchLanguage(id == kIdLangEn ? kLangEn : kLangZh);
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        break;
    default:
        if (id >= kIdSkinFirst && id <= kIdSkinLast) SelectSkin(id);
        break;
    }
}

void OnKeyDown(HWND window, WPARAM key) {
    if (key == VK_RETURN && !g_main.running) PostMessageW(window, WM_COMMAND, kIdCopyRight, 0);
    if (key == VK_ESCAPE && g_main.running) PostMessageW(window, WM_COMMAND, kIdCancel, 0);
}

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wp, LPARAM lp) {
    switch (message) {
    case WM_CREATE:
        return OnCreate(window, *static_cast<const WindowStart*>(
                                    reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
    case WM_DESTROY:
        ClosePanes();
        ReleaseTaskbar();
        removeTrayIcon();
        PostQuitMessage(0);
        return 0;
    case WM_NCDESTROY:
        g_main = MainState{};
        ClearRepaintList();
        break;
    case WM_SIZE:
        RefreshPictureBackground();
        LayoutMainWindow();
        return 0;
    case WM_PAINT: PaintMainWindow(window); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_CLOSE:
        if (!g_main.running) {
            DestroyWindow(window);
        } else {
            g_main.cancelRequested = true;
            g_main.closeAfterJob = true;
        }
        return 0;
    case WM_SETTINGCHANGE:
        if (g_settings.skin == 0) applyLook(window, false);
        break;
    case WM_THEMECHANGED: applyLook(window, false); break;
    case WM_GETMINMAXINFO: OnGetMinMaxInfo(window, *reinterpret_cast<MINMAXINFO*>(lp)); return 0;
    case WM_DPICHANGED:
        OnDpiChanged(window, HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
        return 0;
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
        if (item->CtlType == ODT_MENU) {
            DrawMenuItem(*item);
            // The system draws its own submenu arrow into this DC afterwards;
            // the item has one already.
            const RECT& r = item->rcItem;
            ExcludeClipRect(item->hDC, r.left, r.top, r.right, r.bottom);
        }
        if (item->CtlType == ODT_BUTTON) DrawOwnerButton(*item);
        if (item->CtlType == ODT_STATIC) DrawOwnerStatic(*item);
        return TRUE;
    }
    case WM_MEASUREITEM: {
        auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
        if (item->CtlType == ODT_MENU) MeasureMenuItem(*item);
        return TRUE;
    }
    case WM_NOTIFY: {
        auto* hdr = reinterpret_cast<NMHDR*>(lp);
        if (hdr->hwndFrom == g_main.leftList || hdr->hwndFrom == g_main.rightList)
            return OnPaneNotify(hdr);
        break;
    }
    case WM_KEYDOWN: OnKeyDown(window, wp); return 0;
    case WM_COMMAND: OnCommand(window, LOWORD(wp)); return 0;
    case WM_TIMER:
        if (wp == kQueueTimer) OnQueueTimer();
        else JobTick(window);
        return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
        return reinterpret_cast<LRESULT>(
            ControlColours(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp)));
    case WM_DROPFILES: OnDropFiles(reinterpret_cast<HDROP>(wp)); return 0;
    case kPaneListedMessage: OnPaneListed(wp); return 0;
    case WM_ACTIVATE:
        // The red mark of a failed job has been seen.
        if (LOWORD(wp) != WA_INACTIVE && !g_main.running) ShowTaskbar(window, {});
        break;
    case kTrayMessage:
        if (TrayIconAdded()) OnTrayCallback(window, lp);
        return 0;
    default:
        if (IsTaskbarCreated(message)) {
            OnTaskbarCreated(window);
            return 0;
        }
        if (IsTaskbarButtonCreated(message)) {
            OnTaskbarButtonCreated(window);
            return 0;
        }
        break;
    }
    return DefWindowProcW(window, message, wp, lp);
}

}  // namespace

bool RegisterProgramClass(const wchar_t* name, WNDPROC proc) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hIcon = LoadIconW(wc.hInstance, MAKEINTRESOURCEW(1));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = name;
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND CreateMainWindow(const WindowStart& start) {
    if (!RegisterProgramClass(kMainClass, MainProc)) return nullptr;
    HWND window =
        CreateWindowExW(0, kMainClass, g_appTitle.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                        CW_USEDEFAULT, kWindowWidth, kWindowHeight, nullptr, nullptr,
                        GetModuleHandleW(nullptr), const_cast<WindowStart*>(&start));
    if (!window) return nullptr;
    int dpi = WindowDpi(window);
    RECT placed;
    GetWindowRect(window, &placed);
    POINT at{placed.left, placed.top};
    RECT r = FitIntoWorkArea(WorkAreaAt(at), at,
                             SIZE{Scale(kWindowWidth, dpi), Scale(kWindowHeight, dpi)});
    SetWindowPos(window, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    return window;
}

bool RunMainWindow(const WindowStart& start) {
    if (!CreateMainWindow(start)) return false;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (AboutDialogMessage(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return true;
}

}  // namespace zrw
