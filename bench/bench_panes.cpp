// How soon the main window's left pane shows a big folder, and what its
// entries cost in memory; for bench/panes.sh. Only calls that every version
// of the window has, so that an older build can be measured the same way.
//   bench_panes FOLDER ENTRIES EMPTYFOLDER          times the window on FOLDER
//   bench_panes FOLDER ENTRIES EMPTYFOLDER memory   what listing FOLDER costs
// Times, each from the call that creates the window: appeared_ms (until it
// is shown), first_rows_ms (until the first rows are drawn), all_ms (until
// the pane holds every entry), longest_stall_ms (the longest the window
// thread did not answer, creation included). Memory, per
// entry, when the left pane goes from EMPTYFOLDER to FOLDER: the growth of
// the heaps' blocks in use (held), and of the working set, which keeps what
// the listing used on its way (Wine reports no private bytes).
#include "ui/panes.h"
#include "ui/window.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>

namespace {

ULONGLONG Now() { return GetTickCount64(); }

size_t WorkingSet() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters.WorkingSetSize;
}

// The bytes of every block in use in the process's heaps: what is held,
// whatever the heaps keep of what was freed.
size_t HeldBytes() {
    HANDLE heaps[64];
    DWORD count = std::min<DWORD>(GetProcessHeaps(64, heaps), 64);
    size_t held = 0;
    for (DWORD i = 0; i < count; ++i) {
        if (!HeapLock(heaps[i])) continue;
        PROCESS_HEAP_ENTRY entry{};
        while (HeapWalk(heaps[i], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) held += entry.cbData;
        HeapUnlock(heaps[i]);
    }
    return held;
}

int Rows() { return ListView_GetItemCount(zrw::g_main.leftList); }

// Pumps until the left pane has rows rows, and then for settleMs more; the
// longest gap between two turns of the loop goes into stall. False after two
// hundred seconds.
bool PumpUntilRows(int rows, ULONGLONG& stall, ULONGLONG* firstRowsAt = nullptr,
                   ULONGLONG settleMs = 0) {
    ULONGLONG last = Now(), end = last + 200000, doneAt = 0;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (firstRowsAt && *firstRowsAt == 0 && Rows() > 1) {
            RedrawWindow(zrw::g_main.window, nullptr, nullptr,
                         RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
            *firstRowsAt = Now();
        }
        ULONGLONG now = Now();
        stall = std::max(stall, now - last);
        last = now;
        if (doneAt == 0 && Rows() >= rows) doneAt = now;
        if (doneAt != 0 && now - doneAt >= settleMs) return true;
        if (now > end) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

HWND Open(const std::wstring& left, const std::wstring& right) {
    zrw::WindowStart start;
    start.leftFolder = left;
    start.rightFolder = right;
    return zrw::CreateMainWindow(start);
}

// A fresh process each: memory freed by an earlier listing would be taken
// again without growing anything.
int Memory(const std::wstring& folder, int rows, const std::wstring& empty) {
    ULONGLONG ignored = 0;
    if (!Open(empty, empty) || !PumpUntilRows(1, ignored, nullptr, 500)) return 1;
    size_t without = WorkingSet(), heldWithout = HeldBytes();
    zrw::GoToFolder(true, folder);
    // A listing's last batch may still be on its way once the rows are all
    // there: the reading waits a moment longer.
    if (!PumpUntilRows(rows, ignored, nullptr, 500)) return 1;
    size_t with = WorkingSet(), heldWith = HeldBytes();
    auto perEntry = [rows](size_t before, size_t after) {
        return (static_cast<double>(after) - static_cast<double>(before)) / (rows - 1);
    };
    std::wprintf(L"entries=%d held_bytes_per_entry=%.0f working_set_bytes_per_entry=%.0f\n",
                 rows - 1, perEntry(heldWithout, heldWith), perEntry(without, with));
    return 0;
}

int Times(const std::wstring& folder, int rows, const std::wstring& empty) {
    ULONGLONG begun = Now();
    if (!Open(folder, empty)) return 1;
    // Inside creation, the window thread answered nothing.
    ULONGLONG stall = Now() - begun, firstRowsAt = 0, appearedAt = Now();
    if (Rows() > 1) {
        RedrawWindow(zrw::g_main.window, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        firstRowsAt = Now();
    }
    if (!PumpUntilRows(rows, stall, &firstRowsAt)) return 1;
    std::wprintf(
        L"entries=%d appeared_ms=%llu first_rows_ms=%llu all_ms=%llu longest_stall_ms=%llu\n",
        rows - 1, appearedAt - begun, firstRowsAt - begun, Now() - begun, stall);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) {
        std::fwprintf(stderr, L"bench_panes FOLDER ENTRIES EMPTYFOLDER [memory]\n");
        return 2;
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    const int rows = std::stoi(argv[2]) + 1;  // and ".."
    int result = argc > 4 && std::wstring(argv[4]) == L"memory" ? Memory(argv[1], rows, argv[3])
                                                                : Times(argv[1], rows, argv[3]);
    if (zrw::g_main.window) DestroyWindow(zrw::g_main.window);
    return result;
}
