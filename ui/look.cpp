// Painting the main window: frame colours, the picture background, list looks.
#include "app/lang.h"
#include "app/logdir.h"
#include "app/settings.h"
#include "base/optional_api.h"
#include "ui/dpi.h"
#include "ui/ids.h"
#include "ui/panes.h"
#include "ui/skin.h"
#include "ui/window.h"

#include <commctrl.h>
#include <commdlg.h>
#include <gdiplus.h>
#include <uxtheme.h>

#include <optional>

namespace zrw {

namespace {

// The darkened picture, drawn once per client size.
struct PictureCache {
    UniqueMemoryDc dc;
    UniqueGdi bitmap;
    SelectedObject selection;  // the bitmap in dc; declared last, so undone first
    int width = 0;
    int height = 0;
};
std::optional<PictureCache> g_picture;
bool g_gdiplusStarted = false;
bool g_applying = false;
HWND g_repaint[16];
int g_repaintCount = 0;

// Windows 10 before 1809 and Wine lack some of these attributes: a refused
// one changes nothing.
void SetFrameAttribute(HWND window, DWORD attribute, DWORD value) {
    if (DwmSetWindowAttributeFn set = OptionalDwmSetWindowAttribute())
        set(window, attribute, &value, sizeof(value));
}

bool StartGdiplus() {
    if (g_gdiplusStarted) return true;
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    g_gdiplusStarted = Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
    return g_gdiplusStarted;
}

void DrawPicture(HDC dc, Gdiplus::Bitmap& image, int width, int height) {
    Gdiplus::Graphics graphics(dc);
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    RECT at = FitPicture(static_cast<int>(image.GetWidth()), static_cast<int>(image.GetHeight()),
                         width, height);
    graphics.DrawImage(&image,
                       Gdiplus::Rect(at.left, at.top, at.right - at.left, at.bottom - at.top));
    Gdiplus::SolidBrush shade(Gdiplus::Color(150, 0, 0, 0));
    graphics.FillRectangle(&shade, 0, 0, width, height);
}

void ApplyListLook(HWND list, bool dark, bool picture) {
    if (!list) return;
    SetWindowTheme(list, dark ? L"DarkMode_Explorer" : L"Explorer", nullptr);
    COLORREF back = picture ? CLR_NONE : dark ? skin::panel() : skin::background();
    ListView_SetBkColor(list, back);
    ListView_SetTextBkColor(list, back);
    ListView_SetTextColor(list, skin::text());
    InstallHeaderSubclass(list);
}

// A filled rounded frame around a control, dx and dy (at 96 DPI) outside it.
void PaintControlFrame(HDC dc, HWND window, HWND control, int dx, int dy, COLORREF fill) {
    int dpi = g_main.dpi;
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    InflateRect(&r, Scale(dx, dpi), Scale(dy, dpi));
    SelectedObject pen(dc, penFor(skin::border()));
    SelectedObject brush(dc, brushFor(fill));
    int corner = Scale(12, dpi);
    RoundRect(dc, r.left, r.top, r.right, r.bottom, corner, corner);
}

}  // namespace

std::array<FrameAttribute, 6> FrameAttributesFor(bool dark, COLORREF caption,
                                                 COLORREF captionText) {
    constexpr DWORD kSystemColour = 0xFFFFFFFF;
    return {{{20, dark ? 1u : 0u},
             {19, dark ? 1u : 0u},
             {38, 1},
             {33, 2},
             {35, dark ? caption : kSystemColour},
             {36, dark ? captionText : kSystemColour}}};
}

RECT FitPicture(int imageWidth, int imageHeight, int clientWidth, int clientHeight) {
    double s = static_cast<double>(imageWidth) / clientWidth;
    double t = static_cast<double>(imageHeight) / clientHeight;
    if (t > s) s = t;
    int w = static_cast<int>(imageWidth / s);
    int h = static_cast<int>(imageHeight / s);
    int x = (clientWidth - w) / 2;
    int y = (clientHeight - h) / 2;
    return RECT{x, y, x + w, y + h};
}

bool HasPictureBackground() { return g_picture.has_value(); }

void DiscardPictureBackground() { g_picture.reset(); }

void RefreshPictureBackground() {
    if (!PictureActive() || !g_main.window) return;
    RECT client;
    GetClientRect(g_main.window, &client);
    int width = client.right;
    int height = client.bottom;
    if (width < 8 || height < 8) return;
    if (g_picture && g_picture->width == width && g_picture->height == height) return;
    DiscardPictureBackground();
    if (!StartGdiplus()) return;
    Gdiplus::Bitmap image(g_settings.imgPath.c_str());
    if (image.GetLastStatus() != Gdiplus::Ok || image.GetWidth() == 0 || image.GetHeight() == 0)
        return;
    WindowDc screen(nullptr);
    UniqueGdi bitmap(CreateCompatibleBitmap(screen.get(), width, height));
    UniqueMemoryDc dc(CreateCompatibleDC(screen.get()));
    if (!bitmap || !dc) return;
    SelectedObject selection(dc.get(), bitmap.get());
    RECT all{0, 0, width, height};
    FillRect(dc.get(), &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    DrawPicture(dc.get(), image, width, height);
    g_picture.emplace(
        PictureCache{std::move(dc), std::move(bitmap), std::move(selection), width, height});
}

void paintBackground(HDC dc, HWND child, const RECT& rect) {
    if (!g_picture) {
        FillRect(dc, &rect, brushFor(skin::background()));
        return;
    }
    POINT offset{0, 0};
    if (child && g_main.window) MapWindowPoints(child, g_main.window, &offset, 1);
    BitBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
           g_picture->dc.get(), rect.left + offset.x, rect.top + offset.y, SRCCOPY);
}

void RegisterRepaint(HWND control) {
    if (control && g_repaintCount < 16) g_repaint[g_repaintCount++] = control;
}

void ClearRepaintList() { g_repaintCount = 0; }

void applyLook(HWND window, bool askForPicture) {
    if (g_applying) return;
    g_applying = true;
    if (g_settings.skin == kPictureSkin) {
        std::wstring path = g_settings.imgPath;
        if (askForPicture && pickSkinPicture(path)) g_settings.imgPath = path;
        if (g_settings.imgPath.empty()) g_settings.skin = 0;
        SaveSettings();
        DiscardPictureBackground();
    } else if (HasPictureBackground()) {
        g_settings.imgPath.clear();
        DiscardPictureBackground();
        SaveSettings();
    }
    ComputeDark();
    bool picture = PictureActive();
    TraceLog(L"AL: enter dark=%d skin=%d img=%d", isDark() ? 1 : 0, g_settings.skin,
             picture ? 1 : 0);
    if (picture) RefreshPictureBackground();
    for (const FrameAttribute& a : FrameAttributesFor(isDark(), skin::background(), skin::text()))
        SetFrameAttribute(window, a.id, a.value);
    ApplyListLook(g_main.leftList, isDark(), picture);
    ApplyListLook(g_main.rightList, isDark(), picture);
    for (HWND edit : {g_main.leftPath, g_main.rightPath})
        if (edit) SetWindowTheme(edit, isDark() ? L"DarkMode_CFD" : nullptr, nullptr);
    for (int i = 0; i < g_repaintCount; ++i) InvalidateRect(g_repaint[i], nullptr, TRUE);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    g_applying = false;
}

bool pickSkinPicture(std::wstring& path) {
    std::wstring filter = Tr(L"图片 (*.png;*.jpg;*.jpeg;*.bmp;*.gif)");
    filter += L'\0';
    filter += L"*.png;*.jpg;*.jpeg;*.bmp;*.gif";
    filter += L'\0';
    filter += Tr(L"所有文件 (*.*)");
    filter += L'\0';
    filter += L"*.*";
    filter += L'\0';
    std::wstring title = Tr(L"选一张图当皮肤");
    wchar_t file[1024] = {};
    path.copy(file, 1023);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = g_main.window;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = file;
    ofn.nMaxFile = 1024;
    ofn.lpstrTitle = title.c_str();
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&ofn)) return false;
    path = file;
    return true;
}

void SelectSkin(int command) {
    if (command < kIdSkinFirst || command > kIdSkinLast) return;
    g_settings.skin = command - kIdSkinFirst;
    SaveSettings();
    // The menu that sent the command is gone, and with it the last holder of a brush.
    ReleaseSkinObjects();
    applyLook(g_main.window, g_settings.skin == kPictureSkin);
}

void PaintMainWindow(HWND window) {
    PaintDc paint(window);
    HDC dc = paint.get();
    RECT client;
    GetClientRect(window, &client);
    if (HasPictureBackground()) paintBackground(dc, nullptr, client);
    else FillRect(dc, &client, brushFor(skin::background()));
    if (PictureActive()) {
        if (g_main.report && IsWindowVisible(g_main.report))
            PaintControlFrame(dc, window, g_main.report, 8, 6,
                              mix(skin::background(), RGB(255, 255, 255), 0.06));
    } else {
        for (HWND list : {g_main.leftList, g_main.rightList})
            if (list) PaintControlFrame(dc, window, list, 6, 6, skin::background());
    }
}

}  // namespace zrw
