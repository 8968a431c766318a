// Screen scaling and the interface font at a DPI.
#include "ui/dpi.h"

#include "base/optional_api.h"

namespace zrw {

namespace {

struct FontAtDpi {
    int dpi = 0;  // none set yet: the system's
    UniqueGdi font;
};
FontAtDpi g_font;

int DeviceDpi(HWND window) {
    WindowDc dc(window);
    if (!dc) return kBaseDpi;
    int dpi = GetDeviceCaps(dc.get(), LOGPIXELSY);
    return dpi > 0 ? dpi : kBaseDpi;
}

}  // namespace

int Scale(int value, int dpi) { return MulDiv(value, dpi, kBaseDpi); }

int WindowDpi(HWND window) {
    GetDpiForWindowFn getDpi = OptionalGetDpiForWindow();
    UINT dpi = getDpi ? getDpi(window) : 0;
    return dpi ? static_cast<int>(dpi) : DeviceDpi(window);
}

UniqueGdi CreateInterfaceFont(int dpi) {
    LOGFONTW font{};
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
        font = metrics.lfMessageFont;
    else GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
    // The system hands its metrics out at the DPI this process sees the screen at.
    font.lfHeight = MulDiv(font.lfHeight, dpi, DeviceDpi(nullptr));
    return UniqueGdi(CreateFontIndirectW(&font));
}

UniqueGdi SetInterfaceDpi(int dpi) {
    if (g_font.font && g_font.dpi == dpi) return UniqueGdi();
    UniqueGdi previous = std::move(g_font.font);
    g_font.font = CreateInterfaceFont(dpi);
    g_font.dpi = dpi;
    return previous;
}

HFONT InterfaceFont() {
    if (!g_font.font) SetInterfaceDpi(InterfaceDpi());
    return static_cast<HFONT>(g_font.font ? g_font.font.get() : GetStockObject(DEFAULT_GUI_FONT));
}

int InterfaceDpi() { return g_font.dpi ? g_font.dpi : DeviceDpi(nullptr); }

}  // namespace zrw
