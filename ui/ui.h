// The main window, its panes and transfers, the pickers, and the appearance:
// skins, menu, tray icon, About window, owner-drawn controls.
#ifndef ZERROW_UI_UI_H
#define ZERROW_UI_UI_H

#include "base/win.h"

#include <commctrl.h>
#include <shellapi.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zrw {

// ---- Pickers -------------------------------------------------------------------------------

// Multi-select file picker; false when cancelled or nothing was chosen.
bool PickFiles(HWND owner, std::vector<std::wstring>& paths);
// Folder picker with the given title; false when cancelled.
bool PickFolder(HWND owner, const std::wstring& title, std::wstring& folder);

// ---- Main window ---------------------------------------------------------------------------

struct WindowStart {
    std::vector<std::wstring> sources;
    std::wstring destination;
    std::wstring leftFolder;
    std::wstring rightFolder;
};
// Registers "ZerrowMain", creates the window and runs its message loop; false
// when the window could not be created.
bool RunMainWindow(const WindowStart& start);
// Registers the classes and creates the window without running a loop.
HWND CreateMainWindow(const WindowStart& start);

enum : int {
    kIdRightBrowse = 2003,
    kIdCopyRight = 2004,
    kIdMoveRight = 2005,
    kIdCancel = 2006,
    kIdMenu = 2008,
    kIdLeftList = 2010,
    kIdRightList = 2011,
    kIdLeftUp = 2012,
    kIdRightUp = 2013,
    kIdLeftBrowse = 2014,
    kIdCopyLeft = 2015,
    kIdMoveLeft = 2016,
    kIdRefresh = 2017,
    kIdEngine = 2019,
    kIdVerify = 2020,
    kIdPause = 2021,
    kIdLangZh = 2107,
    kIdLangEn = 2108,
    kIdSkinFirst = 2200,
    kIdSkinLast = 2208,
};

// ---- Screen scaling --------------------------------------------------------------------------

inline constexpr int kBaseDpi = 96;
// A length given at 96 DPI, at dpi.
int Scale(int value, int dpi);
// GetDpiForWindow where Windows has it, else the DPI of the window's device context.
int WindowDpi(HWND window);
// The system's message font at dpi.
UniqueGdi CreateInterfaceFont(int dpi);
// Makes the interface font for dpi and hands back the one it replaces (empty
// when nothing changed), to be released once no control uses it.
UniqueGdi SetInterfaceDpi(int dpi);
// The interface font at the DPI set last (the system's until then).
HFONT InterfaceFont();
int InterfaceDpi();

// Shared state of the main window, used on the UI thread only.
struct MainState {
    HWND window = nullptr;
    int dpi = kBaseDpi;
    std::vector<std::wstring> sourceSelection;
    std::wstring destination;
    std::wstring leftFolder;
    std::wstring rightFolder;
    bool running = false;
    bool cancelRequested = false;
    bool closeAfterJob = false;
    bool paused = false;
    HWND pauseButton = nullptr;
    // The child controls, in creation order.
    HWND title = nullptr;
    HWND leftList = nullptr;
    HWND rightList = nullptr;
    HWND leftPath = nullptr;
    HWND rightPath = nullptr;
    HWND leftUp = nullptr;
    HWND leftBrowse = nullptr;
    HWND rightUp = nullptr;
    HWND rightBrowse = nullptr;
    HWND copyRight = nullptr;
    HWND moveRight = nullptr;
    HWND copyLeft = nullptr;
    HWND moveLeft = nullptr;
    HWND refresh = nullptr;
    HWND cancel = nullptr;
    HWND menu = nullptr;
    HWND engineBar = nullptr;
    HWND engineMid = nullptr;
    HWND verify = nullptr;
    HWND progress = nullptr;
    HWND bar = nullptr;
    HWND status = nullptr;
    HWND failure = nullptr;
    HWND report = nullptr;
};
extern MainState g_main;

// A control's place: left, top, width, height.
struct Place {
    int x = 0, y = 0, w = 0, h = 0;
};
struct MainLayout {
    int half = 0, listH = 0, midX = 0, midY = 0;
    Place menu, title, leftUp, leftBrowse, leftPath, rightUp, rightBrowse, rightPath;
    Place leftList, rightList, engineMid, copyRight, moveRight, copyLeft, moveLeft;
    Place report, status, failure, bar, progress, refresh, engineBar, verify, pause, cancel;
    int nameWidth = 0, sizeWidth = 0, modifiedWidth = 0;
};
// The places for a client size at a DPI; false below 100 x 100 (scaled), where
// nothing moves.
bool ComputeLayout(int width, int height, int dpi, MainLayout& layout);
// The smallest window whose client area the layout fills without overlaps;
// frame is what the window's frame adds to its client area.
SIZE MinimumWindowSize(int dpi, SIZE frame);
void LayoutMainWindow();
void SetBusyState(bool idle);
// Registers a window class with the program's icon and the arrow cursor; true
// also when it was registered before.
bool RegisterProgramClass(const wchar_t* name, WNDPROC proc);
// A visible child with the interface font, placed by the caller.
HWND CreateControl(HWND parent, const wchar_t* cls, const std::wstring& text, DWORD style, int id);
void RefreshEngineLabels();
void RefreshVerifyLabel();
void SwitchEngine();
void SwitchVerify();
void SwitchLanguage(uint32_t language);
void SetStatusText(const std::wstring& text);
// WM_CTLCOLORSTATIC and WM_CTLCOLOREDIT: sets the colours, returns the brush.
HBRUSH ControlColours(HDC dc, HWND control);
// Refreshes the title line from the selection and the right pane.
void RefreshTitleLine();
// Left to right: the source selection into the right path box's folder.
void StartWindowTransfer(bool move);
// Right to left: the right pane's selected items into the left folder.
void StartReverseTransfer(bool move);

// ---- Folder panes ----------------------------------------------------------------------------

struct PaneEntry {
    std::wstring name;
    bool isFolder = false;
    uint64_t size = 0;
    FILETIME lastWrite{};
};
// Folders first, then by name, case-insensitive.
void SortPaneEntries(std::vector<PaneEntry>& entries);
// "%04d-%02d-%02d %02d:%02d" in local time; empty when a conversion fails.
std::wstring FormatModified(const FILETIME& lastWrite);
void CreatePaneColumns(HWND list);
void GoToFolder(bool left, const std::wstring& path);
void ListFolder(HWND list, const std::wstring& folder);
void CollectSelection(HWND list, const std::wstring& folder, std::vector<std::wstring>& out);
void SelectSources(const std::vector<std::wstring>& paths);
void OpenItem(HWND list, int row);
int IconIndexFor(const std::wstring& path, bool isFolder, bool bigListing);
void OnDropFiles(HDROP drop);
// Custom draw, double-click and item changes of the two lists.
LRESULT OnPaneNotify(NMHDR* header);
// Installs the header-drawing subclass on a list view and repaints its header.
void InstallHeaderSubclass(HWND list);

// ---- Appearance ----------------------------------------------------------------------------

struct SkinRow {
    const wchar_t* name;  // zh; the en text comes through Tr
    COLORREF background, panel, text, secondaryText, border, accent;
    int32_t dark;  // 1 dark, 0 light, -1 follow the system
};
inline constexpr int kSkinCount = 9;
inline constexpr int kPictureSkin = 8;
const SkinRow& SkinTableRow(int index);
// The row whose colours a skin index paints with.
const SkinRow& RowFor(int index, bool dark);
bool DecideDark(int index, bool pictureActive, DWORD appsUseLightTheme);
bool PictureActive();

namespace skin {
COLORREF background();
COLORREF panel();
COLORREF text();
COLORREF secondaryText();
COLORREF border();
COLORREF accent();
}  // namespace skin
COLORREF accentFor(int index);
const SkinRow& currentRow();
bool isDark();
COLORREF mix(COLORREF a, COLORREF b, double t);
// Solid brushes and one-pixel pens, owned here and valid until the skin
// changes; null only when Windows cannot make one.
HBRUSH brushFor(COLORREF colour);
HPEN penFor(COLORREF colour);
// Releases every brush and pen handed out so far.
void ReleaseSkinObjects();

// Where a picture of the given size lands when fitted and centred in a client area.
RECT FitPicture(int imageWidth, int imageHeight, int clientWidth, int clientHeight);
// Builds (or keeps) the darkened picture for the main window's client size.
void RefreshPictureBackground();
bool HasPictureBackground();
void DiscardPictureBackground();
void paintBackground(HDC dc, HWND child, const RECT& rect);
// One desktop-window-manager attribute of a window frame, as a 4-byte value.
struct FrameAttribute {
    DWORD id, value;
};
// Dark mode, no backdrop, round corners, then caption and caption text: the
// skin's colours when dark, the system's own (both of them) when light.
std::array<FrameAttribute, 6> FrameAttributesFor(bool dark, COLORREF caption,
                                                 COLORREF captionText);
void applyLook(HWND window, bool askForPicture);
bool pickSkinPicture(std::wstring& path);
void SelectSkin(int command);
void PaintMainWindow(HWND window);
// Controls that applyLook invalidates, in registration order (at most 16).
void RegisterRepaint(HWND control);
void ClearRepaintList();

// Derives the dark flag from the skin, its palette and the system setting.
void ComputeDark();
// The stored settings, the skin switches of the command line over them, and
// the dark flag that follows.
void LoadAndApplySettings();
int DumpPalette(const std::wstring& outFile);
int DumpMenu(const std::wstring& outFile);
int DumpTray(const std::wstring& outFile);

// ---- Main menu, tray icon, About window --------------------------------------------------------

enum : int {
    kIdInstallMenu = 2009,
    kIdUninstall = 2101,
    kIdOpenLogs = 2102,
    kIdRemoveMenu = 2104,
    kIdAbout = 2105,
    kIdExit = 2106,
    kIdSkinMenu = 2300,
    kIdMenuSeparator = 2302,
    kIdLangMenu = 2399,
    kIdAboutClose = 2306,
    kIdAboutStatus = 2311,
    kIdAboutTitle = 2330,
    kIdAboutNote = 2331,
    kIdAboutVersion = 2333,
};
inline constexpr UINT kTrayMessage = WM_APP + 1;
inline constexpr wchar_t kPopupMenuClass[] = L"#32768";

// What one menu item shows, worked out afresh for every measure and draw.
struct MenuItemLook {
    std::wstring label;  // in the interface language
    bool hasChip = false;
    COLORREF chip = 0, chipInner = 0;
    bool checked = false, submenu = false, separator = false;
};
MenuItemLook DescribeMenuItem(int id, int currentSkin, uint32_t lang, bool dark);
MenuItemLook DescribeMenuItem(int id);  // for the current skin and language
SIZE MenuItemSize(const MenuItemLook& look, int labelWidth);
// The whole menu with its submenus; the caller destroys it.
HMENU BuildMainMenu();
// Where the label goes within an item's rectangle.
RECT MenuLabelRect(const RECT& item, const MenuItemLook& look);
void PaintMenuItem(HDC dc, const RECT& r, const MenuItemLook& look, bool hot, bool disabled);
void MeasureMenuItem(MEASUREITEMSTRUCT& item);
void DrawMenuItem(const DRAWITEMSTRUCT& item);
void showMainMenu(HWND owner, POINT at);
void ShowMainMenuAtCursor(HWND owner);
// Removes the context-menu verbs and says so in a box owned by owner.
void RemoveContextMenu(HWND owner);

// A 32-bit top-down bitmap selected into a memory DC, for drawing off-screen.
class MemoryCanvas {
public:
    MemoryCanvas(int width, int height);
    ~MemoryCanvas();
    MemoryCanvas(const MemoryCanvas&) = delete;
    MemoryCanvas& operator=(const MemoryCanvas&) = delete;
    explicit operator bool() const { return bits_ && previous_; }
    HDC dc() const { return dc_; }
    // CLR_INVALID outside the bitmap; call GdiFlush after drawing.
    COLORREF pixel(int x, int y) const;

private:
    int width_, height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    const uint32_t* bits_ = nullptr;
};

// The product name and the fixed Chinese hint, cut to what the tip field holds.
std::wstring TrayTip(const std::wstring& productName);
bool addTrayIcon(HWND window);
// Deletes the icon when it was added; clears the flag.
void removeTrayIcon();
bool TrayIconAdded();
UINT RegisterTaskbarCreated();
bool IsTaskbarCreated(UINT message);
void OnTaskbarCreated(HWND window);
void OnTrayCallback(HWND window, LPARAM lp);

void openAboutWindow(HWND mainWindow);
HWND AboutWindow();
// Keyboard navigation and Escape for the About window, from the message loop.
bool AboutDialogMessage(MSG& msg);
void OpenLogFolder(HWND owner);

// ---- Owner-drawn buttons and the skinned bar -------------------------------------------------

enum class ButtonKind { Normal, Primary, Quiet, Danger };
ButtonKind ButtonKindFor(int id);
struct ButtonColors {
    COLORREF fill, outline, text;
};
struct ButtonState {
    bool disabled = false, pressed = false, hover = false;
};
ButtonColors ColorsForButton(ButtonKind kind, ButtonState state, const SkinRow& row, bool dark);
double Luminance(COLORREF colour);
void DrawOwnerButton(const DRAWITEMSTRUCT& item);
void InstallHoverTracking(HWND button);

inline constexpr wchar_t kBarClass[] = L"ZrwBarSkin";
void RegisterBarClass();
// Pixels of the filled part for a position (clamped to 0..100).
int BarFillWidth(int innerWidth, int position);

}  // namespace zrw

#endif
