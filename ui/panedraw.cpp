// Custom drawing of the folder panes and their headers.
#include "app/settings.h"
#include "ui/dpi.h"
#include "ui/panes.h"
#include "ui/skin.h"
#include "ui/window.h"

#include <commctrl.h>

namespace zrw {

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

void PaintBehindList(NMLVCUSTOMDRAW& draw) {
    HWND list = draw.nmcd.hdr.hwndFrom;
    RECT client;
    GetClientRect(list, &client);
    if (PictureActive()) paintBackground(draw.nmcd.hdc, list, client);
    else if (g_settings.skin != kPictureSkin)
        FillRect(draw.nmcd.hdc, &client, brushFor(skin::background()));
}

// The list would paint its own highlight over ours: the selected state is
// taken out of the draw state once the accent fill is down.
void ColourRow(NMLVCUSTOMDRAW& draw, bool fillSelection) {
    HWND list = draw.nmcd.hdr.hwndFrom;
    int row = static_cast<int>(draw.nmcd.dwItemSpec);
    bool selected = (ListView_GetItemState(list, row, LVIS_SELECTED) & LVIS_SELECTED) != 0;
    if (!selected) {
        draw.clrText = skin::text();
        draw.clrTextBk = PictureActive() ? CLR_NONE : skin::background();
        return;
    }
    if (fillSelection) {
        RECT r;
        ListView_GetItemRect(list, row, &r, LVIR_BOUNDS);
        FillRect(draw.nmcd.hdc, &r, brushFor(skin::accent()));
    }
    draw.clrText = kWhite;
    draw.clrTextBk = CLR_NONE;
    draw.nmcd.uItemState &= ~(CDIS_SELECTED | CDIS_FOCUS);
}

LRESULT OnListCustomDraw(NMLVCUSTOMDRAW& draw) {
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT: PaintBehindList(draw); return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: ColourRow(draw, true); return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_SUBITEM | CDDS_ITEMPREPAINT: ColourRow(draw, false); return CDRF_DODEFAULT;
    default: return CDRF_DODEFAULT;
    }
}

LRESULT OnHeaderCustomDraw(HWND header, NMCUSTOMDRAW& draw) {
    switch (draw.dwDrawStage) {
    case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: break;
    default: return CDRF_DODEFAULT;
    }
    HDC dc = draw.hdc;
    RECT r = draw.rc;
    RefreshPictureBackground();
    if (HasPictureBackground()) paintBackground(dc, header, r);
    else FillRect(dc, &r, brushFor(mix(skin::panel(), skin::text(), 0.08)));
    RECT divider{r.right - 1, r.top, r.right, r.bottom};
    FillRect(dc, &divider, brushFor(skin::border()));

    wchar_t caption[64] = {};
    HDITEMW item{};
    item.mask = HDI_TEXT;
    item.pszText = caption;
    item.cchTextMax = 64;
    Header_GetItem(header, static_cast<int>(draw.dwItemSpec), &item);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, skin::secondaryText());
    SelectedObject font(dc, InterfaceFont());
    RECT textRect{r.left + Scale(8, InterfaceDpi()), r.top, r.right, r.bottom};
    DrawTextW(dc, caption, -1, &textRect,
              DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    return CDRF_SKIPDEFAULT;
}

LRESULT CALLBACK HeaderSubclassProc(HWND list, UINT message, WPARAM wp, LPARAM lp, UINT_PTR,
                                    DWORD_PTR) {
    if (message == WM_NOTIFY) {
        auto* hdr = reinterpret_cast<NMHDR*>(lp);
        HWND header = ListView_GetHeader(list);
        if (header && hdr->hwndFrom == header && hdr->code == NM_CUSTOMDRAW)
            return OnHeaderCustomDraw(header, *reinterpret_cast<NMCUSTOMDRAW*>(lp));
    } else if (message == WM_DESTROY) {
        RemoveWindowSubclass(list, HeaderSubclassProc, 1);
    }
    return DefSubclassProc(list, message, wp, lp);
}

}  // namespace

void InstallHeaderSubclass(HWND list) {
    SetWindowSubclass(list, HeaderSubclassProc, 1, 0);
    if (HWND header = ListView_GetHeader(list)) InvalidateRect(header, nullptr, TRUE);
}

LRESULT OnPaneNotify(NMHDR* hdr) {
    HWND list = hdr->hwndFrom;
    switch (hdr->code) {
    case NM_CUSTOMDRAW: return OnListCustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(hdr));
    case NM_DBLCLK: OpenItem(list, reinterpret_cast<NMITEMACTIVATE*>(hdr)->iItem); return 0;
    case LVN_GETDISPINFOW: FillPaneRow(list, reinterpret_cast<NMLVDISPINFOW*>(hdr)->item); return 0;
    case LVN_ODFINDITEMW: return FindPaneRow(list, *reinterpret_cast<NMLVFINDITEMW*>(hdr));
    // A range selected with the shift key comes as one state change.
    case LVN_ITEMCHANGED:
    case LVN_ODSTATECHANGED: OnPaneSelectionChanged(list); return 0;
    default: return 0;
    }
}

}  // namespace zrw
