#include "tests/menu/menu_helpers.h"

#include "tests/support/dialogs.h"

#include <cstdio>
#include <cstdlib>
#include <thread>

namespace zrw::test {

std::string Hex(COLORREF c) {
    char text[16];
    snprintf(text, sizeof(text), "%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
    return text;
}

int CountColour(const MemoryCanvas& canvas, const RECT& area, COLORREF colour) {
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (canvas.pixel(x, y) == colour) ++count;
    return count;
}

int CountNear(const MemoryCanvas& canvas, const RECT& area, COLORREF colour, int tolerance) {
    auto within = [&](COLORREF c) {
        return std::abs(GetRValue(c) - GetRValue(colour)) <= tolerance &&
               std::abs(GetGValue(c) - GetGValue(colour)) <= tolerance &&
               std::abs(GetBValue(c) - GetBValue(colour)) <= tolerance;
    };
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (within(canvas.pixel(x, y))) ++count;
    return count;
}

MenuItem ReadItem(HMENU menu, int position) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_DATA | MIIM_SUBMENU;
    MenuItem item;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info)) return item;
    item.id = static_cast<int>(info.wID);
    item.type = info.fType;
    item.state = info.fState;
    item.data = static_cast<int>(info.dwItemData);
    item.submenu = info.hSubMenu;
    return item;
}

HBRUSH MenuBackground(HMENU menu) {
    MENUINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = MIM_BACKGROUND;
    return GetMenuInfo(menu, &info) ? info.hbrBack : nullptr;
}

std::vector<HWND> TopWindowsOfClass(const wchar_t* className) {
    struct Search {
        const wchar_t* cls;
        std::vector<HWND> found;
    } search{className, {}};
    EnumWindows(
        [](HWND window, LPARAM lp) {
            auto* s = reinterpret_cast<Search*>(lp);
            wchar_t cls[64] = {};
            GetClassNameW(window, cls, 64);
            if (lstrcmpiW(cls, s->cls) == 0 && OfThisProcess(window)) s->found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> PopupMenus() {
    std::vector<HWND> visible;
    for (HWND w : TopWindowsOfClass(kPopupMenuClass))
        if (IsWindowVisible(w)) visible.push_back(w);
    return visible;
}

AnsweredBox AnswerBox(const std::function<void()>& open) {
    AnsweredBox answered;
    std::thread user([&] {
        FoundWindow box = WaitForDialog([](HWND w) { return OfThisProcess(w); }, 10000);
        if (!box.window) return;
        answered = {true, box.caption, ChildTexts(box.window, L"Static"),
                    GetWindow(box.window, GW_OWNER)};
        PressButton(box.window, IDOK);
    });
    open();
    user.join();
    return answered;
}

void MenuWindowTest::OpenWindow() {
    WindowStart start;
    start.leftFolder = dir_.path();
    Open(start);
}

}  // namespace zrw::test
