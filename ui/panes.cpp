// The folder panes: listing a folder, selection, navigation and drops.
#include "ui/panes.h"
#include "app/lang.h"
#include "app/logdir.h"
#include "base/format.h"
#include "base/paths.h"
#include "robo/robo.h"
#include "ui/listing.h"
#include "ui/window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <unordered_set>

namespace zrw {

namespace {

constexpr size_t kBigListing = 3000;
constexpr int kNoEntry = -1;
constexpr int kUpRow = -2;
// A listing thread stuck on a share does not hold the window's close longer.
constexpr DWORD kListingWaitMs = 2000;

// What a list shows: the ".." row, then the listing's entries in its order.
struct Pane {
    FolderListing shown;
    bool complete = true;
    bool up = false;
    std::wstring folder;
    std::shared_ptr<ListingRun> run;
    // Paths to select once the listing is complete (a drop, the start).
    std::vector<std::wstring> wanted;
    // Each file's own icon, looked up when its row is first drawn; only in a
    // complete listing small enough that touching each file does not matter.
    std::vector<int> icons;
};
Pane g_panes[2];
// Set while the pane itself selects rows: no user chose them.
bool g_selecting = false;

class Selecting {
public:
    Selecting() { g_selecting = true; }
    ~Selecting() { g_selecting = false; }
    Selecting(const Selecting&) = delete;
    Selecting& operator=(const Selecting&) = delete;
};

size_t PaneIndex(HWND list) { return list == g_main.rightList ? 1 : 0; }
Pane& PaneOf(HWND list) { return g_panes[PaneIndex(list)]; }
HWND ListOf(size_t pane) { return pane == 1 ? g_main.rightList : g_main.leftList; }

int RowCount(const Pane& pane) {
    return static_cast<int>(pane.shown.order.size()) + (pane.up ? 1 : 0);
}

// The entry a row shows, kUpRow for "..", kNoEntry past the end.
int64_t EntryAt(const Pane& pane, int row) {
    if (row < 0) return kNoEntry;
    if (pane.up) {
        if (row == 0) return kUpRow;
        --row;
    }
    size_t at = static_cast<size_t>(row);
    return at < pane.shown.order.size() ? pane.shown.order[at] : kNoEntry;
}

std::wstring RowName(HWND list, int row) {
    const Pane& pane = PaneOf(list);
    int64_t entry = EntryAt(pane, row);
    if (entry == kUpRow) return L"..";
    if (entry == kNoEntry) return {};
    return std::wstring(pane.shown.NameView(static_cast<uint32_t>(entry)));
}

bool SameTextIgnoringCase(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

std::wstring Upper(std::wstring text) {
    CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

bool IsFolder(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(LongPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

const std::wstring& PaneFolder(HWND list) {
    return list == g_main.leftList ? g_main.leftFolder : g_main.rightFolder;
}

void PutText(LVITEMW& item, std::wstring_view text) {
    if (!item.pszText || item.cchTextMax <= 0) return;
    size_t n = std::min(text.size(), static_cast<size_t>(item.cchTextMax - 1));
    std::copy_n(text.data(), n, item.pszText);
    item.pszText[n] = L'\0';
}

std::wstring CellText(const Pane& pane, int64_t entry, int column) {
    if (entry == kUpRow) return column == 1 ? L"--" : L"";
    const ListedEntry& e = pane.shown.entries[static_cast<size_t>(entry)];
    if (column == 1) return e.folder ? Tr(L"<文件夹>") : FormatSize(e.size);
    return FormatModified(e.lastWrite);
}

int IconOf(Pane& pane, int64_t entry) {
    static const int folderIcon = IconIndexFor(L"", true, false);
    static const int fileIcon = IconIndexFor(L"", false, true);
    if (entry == kUpRow || pane.shown.entries[static_cast<size_t>(entry)].folder) return folderIcon;
    // Asking for a file's own icon reads its folder again: not while the
    // listing may still grow past a small one.
    size_t count = pane.shown.entries.size();
    if (!pane.complete || count > kBigListing) return fileIcon;
    if (pane.icons.size() < count) pane.icons.resize(count, -1);
    int& icon = pane.icons[static_cast<size_t>(entry)];
    if (icon < 0) {
        std::wstring name(pane.shown.NameView(static_cast<uint32_t>(entry)));
        icon = IconIndexFor(AppendPath(pane.folder, name), false, false);
    }
    return icon;
}

// The rows the user has chosen and looks at, by entry: a new order moves them.
struct View {
    std::vector<int64_t> selected;
    int64_t focused = kNoEntry;
    int64_t top = kNoEntry;  // the entry of the top row, once scrolled
};

View KeepView(HWND list, const Pane& pane) {
    View view;
    if (ListView_GetSelectedCount(list) != 0)
        for (int row = ListView_GetNextItem(list, -1, LVNI_SELECTED); row >= 0;
             row = ListView_GetNextItem(list, row, LVNI_SELECTED))
            view.selected.push_back(EntryAt(pane, row));
    view.focused = EntryAt(pane, ListView_GetNextItem(list, -1, LVNI_FOCUSED));
    int top = ListView_GetTopIndex(list);
    if (top > 0) view.top = EntryAt(pane, top);
    return view;
}

void RestoreView(HWND list, const Pane& pane, const View& view) {
    if (view.selected.empty() && view.focused == kNoEntry && view.top == kNoEntry) return;
    std::vector<int> rowOf(pane.shown.entries.size(), -1);
    int first = pane.up ? 1 : 0;
    for (size_t i = 0; i < pane.shown.order.size(); ++i)
        rowOf[pane.shown.order[i]] = first + static_cast<int>(i);
    auto row = [&](int64_t entry) {
        return entry == kUpRow ? 0 : rowOf[static_cast<size_t>(entry)];
    };
    Selecting selecting;
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    for (int64_t entry : view.selected)
        if (entry != kNoEntry)
            ListView_SetItemState(list, row(entry), LVIS_SELECTED, LVIS_SELECTED);
    if (view.focused != kNoEntry)
        ListView_SetItemState(list, row(view.focused), LVIS_FOCUSED, LVIS_FOCUSED);
    if (view.top == kNoEntry) return;
    RECT r{};
    // Setting the rows' states may have scrolled the list already.
    int top = ListView_GetTopIndex(list);
    if (row(view.top) != top && ListView_GetItemRect(list, 0, &r, LVIR_BOUNDS))
        ListView_Scroll(list, 0, (row(view.top) - top) * (r.bottom - r.top));
}

// The drop's or the start's paths that the listing shows are selected (the
// first row of each), and the others that exist stay in the selection.
void SelectWanted(HWND list, Pane& pane) {
    MainState& m = g_main;
    std::vector<std::wstring> paths = std::exchange(pane.wanted, {});
    std::unordered_set<std::wstring> names;
    std::wstring folder = TrimSeparators(m.leftFolder);
    for (const std::wstring& path : paths)
        if (SameTextIgnoringCase(AppendPath(folder, PathName(path)), path))
            names.insert(Upper(PathName(path)));
    {
        Selecting selecting;
        for (int row = 0, rows = RowCount(pane); row < rows && !names.empty(); ++row) {
            auto found = names.find(Upper(RowName(list, row)));
            if (found == names.end()) continue;
            names.erase(found);
            UINT state = LVIS_SELECTED | LVIS_FOCUSED;
            ListView_SetItemState(list, row, state, state);
        }
    }
    CollectSelection(list, m.leftFolder, m.sourceSelection);
    for (const std::wstring& path : paths) {
        bool known =
            std::any_of(m.sourceSelection.begin(), m.sourceSelection.end(),
                        [&](const std::wstring& s) { return SameTextIgnoringCase(s, path); });
        if (!known && GetFileAttributesW(LongPath(path).c_str()) != INVALID_FILE_ATTRIBUTES)
            m.sourceSelection.push_back(path);
    }
    RefreshTitleLine();
}

}  // namespace

std::wstring FormatModified(const FILETIME& lastWrite) {
    SYSTEMTIME utc, local;
    if (!FileTimeToSystemTime(&lastWrite, &utc) ||
        !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        return {};
    wchar_t text[32];
    swprintf(text, 32, L"%04d-%02d-%02d %02d:%02d", local.wYear, local.wMonth, local.wDay,
             local.wHour, local.wMinute);
    return text;
}

void CreatePaneColumns(HWND list) {
    const wchar_t* titles[] = {L"名称", L"大小", L"修改时间"};
    const int widths[] = {520 * 46 / 100, 520 * 20 / 100, 520 * 30 / 100};
    for (int i = 0; i < 3; ++i) {
        std::wstring title = Tr(titles[i]);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.fmt = LVCFMT_LEFT;
        column.cx = widths[i];
        column.pszText = title.data();
        ListView_InsertColumn(list, i, &column);
    }
}

int IconIndexFor(const std::wstring& path, bool isFolder, bool bigListing) {
    SHFILEINFOW info{};
    UINT flags = SHGFI_SYSICONINDEX | SHGFI_SMALLICON;
    if (isFolder)
        SHGetFileInfoW(L"folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof(info),
                       flags | SHGFI_USEFILEATTRIBUTES);
    else if (bigListing)
        SHGetFileInfoW(L"file", FILE_ATTRIBUTE_NORMAL, &info, sizeof(info),
                       flags | SHGFI_USEFILEATTRIBUTES);
    else SHGetFileInfoW(path.c_str(), 0, &info, sizeof(info), flags);
    return info.iIcon;
}

void ListFolder(HWND list, const std::wstring& folder) {
    TraceLog(L"PF: start %p", list);
    size_t index = PaneIndex(list);
    Pane& pane = g_panes[index];
    if (pane.run) pane.run->Cancel();
    pane = Pane{};
    pane.folder = TrimSeparators(folder);
    pane.up = pane.folder.size() > 2;
    pane.complete = false;
    {
        Selecting selecting;
        ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
        ListView_SetItemCountEx(list, RowCount(pane), 0);
    }
    InvalidateRect(list, nullptr, TRUE);
    pane.run = ListingRun::Start(pane.folder, GetParent(list), kPaneListedMessage, index);
}

void OnPaneListed(WPARAM index) {
    if (index > 1) return;
    Pane& pane = g_panes[index];
    if (!pane.run) return;
    std::vector<ListingBatch> batches = pane.run->Take();
    if (batches.empty()) return;
    HWND list = ListOf(index);
    View view = KeepView(list, pane);
    for (ListingBatch& batch : batches) {
        pane.complete = batch.complete;
        AppendBatch(pane.shown, std::move(batch));
    }
    if (pane.complete) {
        pane.run.reset();
        pane.shown.Trim();
    }
    {
        Selecting selecting;
        ListView_SetItemCountEx(list, RowCount(pane), LVSICF_NOSCROLL);
    }
    RestoreView(list, pane, view);
    FitLastColumn(list);
    InvalidateRect(list, nullptr, TRUE);
    if (!pane.complete) return;
    TraceLog(L"PF: rows %d", RowCount(pane));
    if (!pane.wanted.empty()) SelectWanted(list, pane);
}

bool PaneListed(HWND list) { return PaneOf(list).complete; }

void ClosePanes() {
    for (Pane& pane : g_panes)
        if (pane.run) pane.run->Cancel();
    for (Pane& pane : g_panes) {
        if (pane.run) pane.run->Wait(kListingWaitMs);
        pane = Pane{};
    }
}

void FillPaneRow(HWND list, LVITEMW& item) {
    Pane& pane = PaneOf(list);
    int64_t entry = EntryAt(pane, item.iItem);
    if (entry == kNoEntry) return;
    if (item.mask & LVIF_TEXT) {
        if (item.iSubItem == 0)
            PutText(item,
                    entry == kUpRow ? L".." : pane.shown.NameView(static_cast<uint32_t>(entry)));
        else PutText(item, CellText(pane, entry, item.iSubItem));
    }
    if (item.mask & LVIF_IMAGE) item.iImage = IconOf(pane, entry);
}

int FindPaneRow(HWND list, const NMLVFINDITEMW& find) {
    const LVFINDINFOW& info = find.lvfi;
    if (!(info.flags & (LVFI_STRING | LVFI_PARTIAL)) || !info.psz) return -1;
    const Pane& pane = PaneOf(list);
    std::wstring_view wanted(info.psz);
    bool partial = (info.flags & LVFI_PARTIAL) != 0;
    int rows = RowCount(pane);
    int start = std::clamp(find.iStart, 0, rows);
    int span = (info.flags & LVFI_WRAP) ? rows : rows - start;
    for (int k = 0; k < span; ++k) {
        int row = (start + k) % rows;
        std::wstring name = RowName(list, row);
        std::wstring_view candidate(name);
        if (partial) candidate = candidate.substr(0, wanted.size());
        if (SameTextIgnoringCase(candidate, wanted)) return row;
    }
    return -1;
}

void OnPaneSelectionChanged(HWND list) {
    if (g_selecting || list != g_main.leftList || g_main.running) return;
    // A choice in the pane replaces the one still waiting for the listing.
    PaneOf(list).wanted.clear();
    CollectSelection(g_main.leftList, g_main.leftFolder, g_main.sourceSelection);
    RefreshTitleLine();
}

void FitLastColumn(HWND list) {
    HWND header = ListView_GetHeader(list);
    int columns = header ? Header_GetItemCount(header) : 0;
    if (columns > 0) ListView_SetColumnWidth(list, columns - 1, LVSCW_AUTOSIZE_USEHEADER);
}

void CollectSelection(HWND list, const std::wstring& folder, std::vector<std::wstring>& out) {
    out.clear();
    if (ListView_GetSelectedCount(list) == 0) return;
    std::wstring trimmed = TrimSeparators(folder);
    for (int row = ListView_GetNextItem(list, -1, LVNI_SELECTED); row >= 0;
         row = ListView_GetNextItem(list, row, LVNI_SELECTED)) {
        std::wstring name = RowName(list, row);
        if (name == L".." || name.empty()) continue;
        out.push_back(AppendPath(trimmed, name));
    }
}

void GoToFolder(bool left, const std::wstring& given) {
    std::wstring path = TrimSeparators(given);
    if (path.size() == 2 && path[1] == L':') path += L'\\';
    if (path.size() < 2 || !IsFolder(path)) return;
    MainState& m = g_main;
    if (left) {
        m.leftFolder = path;
        SetWindowTextW(m.leftPath, path.c_str());
        ListFolder(m.leftList, path);
        CollectSelection(m.leftList, m.leftFolder, m.sourceSelection);
    } else {
        m.rightFolder = path;
        SetWindowTextW(m.rightPath, path.c_str());
        ListFolder(m.rightList, path);
    }
    RefreshTitleLine();
}

void OpenItem(HWND list, int row) {
    if (row < 0) return;
    std::wstring name = RowName(list, row);
    if (name.empty()) return;
    bool left = list == g_main.leftList;
    std::wstring folder = TrimSeparators(PaneFolder(list));
    if (name == L"..") {
        GoToFolder(left, ParentFolder(folder));
        return;
    }
    std::wstring path = AppendPath(folder, name);
    if (IsFolder(path)) GoToFolder(left, path);
}

void SelectSources(const std::vector<std::wstring>& paths) {
    MainState& m = g_main;
    if (paths.empty() || m.running) return;
    GoToFolder(true, ParentFolder(TrimSeparators(paths.front())));
    Pane& pane = PaneOf(m.leftList);
    pane.wanted.clear();
    for (const std::wstring& path : paths) pane.wanted.push_back(TrimSeparators(path));
    if (pane.complete) {
        SelectWanted(m.leftList, pane);
        return;
    }
    // Until the rows are there, the paths that exist are the selection.
    m.sourceSelection.clear();
    for (const std::wstring& path : pane.wanted)
        if (GetFileAttributesW(LongPath(path).c_str()) != INVALID_FILE_ATTRIBUTES)
            m.sourceSelection.push_back(path);
    RefreshTitleLine();
}

void OnDropFiles(HDROP drop) {
    std::vector<std::wstring> paths;
    UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    std::wstring buffer(32768, L'\0');
    for (UINT i = 0; i < count; ++i) {
        UINT n = DragQueryFileW(drop, i, buffer.data(), 32768);
        if (n > 0) paths.emplace_back(buffer.data(), n);
    }
    DragFinish(drop);
    SelectSources(paths);
}

}  // namespace zrw
