// The skin table, the current palette and the dark flag.
#include "ui/skin.h"
#include "app/logdir.h"
#include "app/settings.h"

#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

namespace zrw {

namespace {

// Whether the current skin paints dark: follows the skin, its palette and the
// system's app theme (ComputeDark).
bool g_dark = false;

constexpr COLORREF Hex(uint32_t rgb) {
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

const SkinRow kSkins[kSkinCount] = {
    {L"跟随系统", Hex(0xF3F3F3), Hex(0xFFFFFF), Hex(0x1B1B1B), Hex(0x5E5E5E), Hex(0xE2E2E2),
     Hex(0x0F6CBD), -1},
    {L"Fluent 浅", Hex(0xF5F6F8), Hex(0xFFFFFF), Hex(0x1A1A1A), Hex(0x606060), Hex(0xE3E3E3),
     Hex(0x0F6CBD), 0},
    {L"Fluent 深", Hex(0x202020), Hex(0x2B2B2B), Hex(0xF3F3F3), Hex(0xA8A8A8), Hex(0x3D3D3D),
     Hex(0x4CC2FF), 1},
    {L"翡翠绿 浅", Hex(0xFAF9F6), Hex(0xFFFFFF), Hex(0x1E2422), Hex(0x6B7571), Hex(0xE3E7E1),
     Hex(0x0E8A6D), 0},
    {L"翡翠绿 深", Hex(0x131A18), Hex(0x1D2623), Hex(0xECF2EF), Hex(0x95ABA4), Hex(0x2E3A36),
     Hex(0x2ECC9B), 1},
    {L"琥珀 深", Hex(0x1D1911), Hex(0x282217), Hex(0xF6EFE3), Hex(0xAC9F8A), Hex(0x3C3322),
     Hex(0xE8A33D), 1},
    {L"靛蓝 深", Hex(0x16151C), Hex(0x21202A), Hex(0xEFEEF6), Hex(0xA29FB6), Hex(0x353344),
     Hex(0x8A5CC8), 1},
    {L"OLED 黑", Hex(0x000000), Hex(0x0B0B0B), Hex(0xEDEDED), Hex(0x8C8C8C), Hex(0x222222),
     Hex(0x00B7C3), 1},
    // The picture skin paints with the Fluent Dark colours; its own are never read.
    {L"图片皮肤… 选图", Hex(0x202020), Hex(0x2B2B2B), Hex(0xF3F3F3), Hex(0xA8A8A8), Hex(0x3D3D3D),
     Hex(0x4CC2FF), 1},
};

// Owns one object per colour and lends it out until the skin changes. No
// limit: a skin change empties it, so it holds only one look's colours.
class GdiCache {
public:
    template <typename Create>
    HGDIOBJ find(COLORREF colour, Create create) {
        for (const auto& [c, object] : entries_)
            if (c == colour) return object.get();
        UniqueGdi created(create(colour));
        if (!created) return nullptr;
        entries_.emplace_back(colour, std::move(created));
        return entries_.back().second.get();
    }
    void clear() { entries_.clear(); }

private:
    std::vector<std::pair<COLORREF, UniqueGdi>> entries_;
};

GdiCache g_brushes;
GdiCache g_pens;

DWORD ReadAppsUseLightTheme() {
    DWORD value = 1;
    DWORD size = sizeof(value);
    if (RegGetValueW(
            HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize",
            L"AppsUseLightTheme", RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
        return 1;
    return value;
}

}  // namespace

const SkinRow& SkinTableRow(int index) {
    return kSkins[index >= 0 && index < kSkinCount ? index : 0];
}

const SkinRow& RowFor(int index, bool dark) {
    if (index == kPictureSkin) return kSkins[2];
    if (index >= 1 && index <= 7) return kSkins[index];
    return kSkins[dark ? 2 : 1];
}

bool DecideDark(int index, bool pictureActive, DWORD appsUseLightTheme) {
    if (pictureActive) return true;
    if (index >= 1 && index <= 7 && (kSkins[index].dark == 0 || kSkins[index].dark == 1))
        return kSkins[index].dark == 1;
    return appsUseLightTheme == 0;
}

bool PictureActive() { return g_settings.skin == kPictureSkin && !g_settings.imgPath.empty(); }

void ComputeDark() {
    g_dark = DecideDark(g_settings.skin, PictureActive(), ReadAppsUseLightTheme());
}

void LoadAndApplySettings() {
    LoadSettings();
    if (g_cmdSkin >= 0 && g_cmdSkin <= 8) g_settings.skin = g_cmdSkin;
    if (!g_cmdImgPath.empty()) g_settings.imgPath = g_cmdImgPath;
    ComputeDark();
}

const SkinRow& currentRow() { return RowFor(g_settings.skin, g_dark); }
bool isDark() { return g_dark; }
COLORREF accentFor(int index) { return RowFor(index, g_dark).accent; }

namespace skin {
COLORREF background() { return currentRow().background; }
COLORREF panel() { return currentRow().panel; }
COLORREF text() { return currentRow().text; }
COLORREF secondaryText() { return currentRow().secondaryText; }
COLORREF border() { return currentRow().border; }
COLORREF accent() { return currentRow().accent; }
}  // namespace skin

COLORREF mix(COLORREF a, COLORREF b, double t) {
    if (t < 0) t = 0;
    if (t > 1) t = 1;
    auto channel = [t](int x, int y) { return static_cast<BYTE>(std::lround(x + (y - x) * t)); };
    return RGB(channel(GetRValue(a), GetRValue(b)), channel(GetGValue(a), GetGValue(b)),
               channel(GetBValue(a), GetBValue(b)));
}

HBRUSH brushFor(COLORREF colour) {
    return static_cast<HBRUSH>(
        g_brushes.find(colour, [](COLORREF c) { return CreateSolidBrush(c); }));
}

HPEN penFor(COLORREF colour) {
    return static_cast<HPEN>(
        g_pens.find(colour, [](COLORREF c) { return CreatePen(PS_SOLID, 1, c); }));
}

void ReleaseSkinObjects() {
    g_brushes.clear();
    g_pens.clear();
}

int DumpPalette(const std::wstring& outFile) {
    LoadAndApplySettings();
    auto hex = [](COLORREF c) {
        wchar_t text[8];
        swprintf(text, 8, L"%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
        return std::wstring(text);
    };
    wchar_t head[48];
    swprintf(head, 48, L"skin=%d dark=%d", g_settings.skin, g_dark ? 1 : 0);
    std::wstring accent = hex(skin::accent());
    std::wstring line = std::wstring(head) + L" bg=" + hex(skin::background()) + L" panel=" +
                        hex(skin::panel()) + L" fg=" + hex(skin::text()) + L" accent=" + accent +
                        L" sel=" + accent + L" seltext=FFFFFF\n";
    return WriteDump(outFile, L"palette.txt", line);
}

}  // namespace zrw
