// The folder panes: listing a folder, selection, navigation and drops.
#include "ui/panes.h"
#include "app/lang.h"
#include "app/logdir.h"
#include "base/format.h"
#include "base/paths.h"
#include "base/walk.h"
#include "job/job.h"
#include "robo/robo.h"
#include "ui/window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>

namespace zrw {

namespace {

constexpr size_t kBigListing = 3000;
constexpr int kNameChars = 520;

bool SameTextIgnoringCase(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

bool IsFolder(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(LongPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<PaneEntry> ReadFolder(const std::wstring& folder) {
    std::vector<PaneEntry> entries;
    ListFolder(folder, [&](const WIN32_FIND_DATAW& data) {
        PaneEntry e;
        e.name = data.cFileName;
        e.isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        e.size = FileSize(data);
        e.lastWrite = data.ftLastWriteTime;
        entries.push_back(std::move(e));
        return true;
    });
    return entries;
}

void InsertRow(HWND list, int row, const std::wstring& name, int icon, const std::wstring& size,
               const std::wstring& modified) {
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = row;
    item.pszText = const_cast<wchar_t*>(name.c_str());
    item.iImage = icon;
    int at = ListView_InsertItem(list, &item);
    if (at < 0) return;
    ListView_SetItemText(list, at, 1, const_cast<wchar_t*>(size.c_str()));
    ListView_SetItemText(list, at, 2, const_cast<wchar_t*>(modified.c_str()));
}

std::wstring RowName(HWND list, int row) {
    wchar_t name[kNameChars] = {};
    ListView_GetItemText(list, row, 0, name, kNameChars);
    return name;
}

const std::wstring& PaneFolder(HWND list) {
    return list == g_main.leftList ? g_main.leftFolder : g_main.rightFolder;
}

}  // namespace

void SortPaneEntries(std::vector<PaneEntry>& entries) {
    std::sort(entries.begin(), entries.end(), [](const PaneEntry& a, const PaneEntry& b) {
        if (a.isFolder != b.isFolder) return a.isFolder;
        return CompareStringOrdinal(a.name.c_str(), static_cast<int>(a.name.size()), b.name.c_str(),
                                    static_cast<int>(b.name.size()), TRUE) == CSTR_LESS_THAN;
    });
}

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
    ListView_DeleteAllItems(list);
    std::wstring trimmed = TrimSeparators(folder);
    std::vector<PaneEntry> entries = ReadFolder(trimmed);
    TraceLog(L"PF: found %u", static_cast<unsigned>(entries.size()));
    SortPaneEntries(entries);
    TraceLog(L"PF: sorted");
    bool big = entries.size() > kBigListing;
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    int row = 0;
    if (trimmed.size() > 2) InsertRow(list, row++, L"..", IconIndexFor(L"", true, big), L"--", L"");
    for (const PaneEntry& e : entries) {
        std::wstring size = e.isFolder ? Tr(L"<文件夹>") : FormatSize(e.size);
        InsertRow(list, row++, e.name, IconIndexFor(AppendPath(trimmed, e.name), e.isFolder, big),
                  size, FormatModified(e.lastWrite));
    }
    TraceLog(L"PF: rows %d", row);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    FitLastColumn(list);
    InvalidateRect(list, nullptr, TRUE);
    TraceLog(L"PF: end");
}

void FitLastColumn(HWND list) {
    HWND header = ListView_GetHeader(list);
    int columns = header ? Header_GetItemCount(header) : 0;
    if (columns > 0) ListView_SetColumnWidth(list, columns - 1, LVSCW_AUTOSIZE_USEHEADER);
}

void CollectSelection(HWND list, const std::wstring& folder, std::vector<std::wstring>& out) {
    out.clear();
    std::wstring trimmed = TrimSeparators(folder);
    for (int row = ListView_GetNextItem(list, -1, LVNI_SELECTED); row >= 0;
         row = ListView_GetNextItem(list, row, LVNI_SELECTED)) {
        std::wstring name = RowName(list, row);
        if (name == L"..") continue;
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
    std::wstring folder = TrimSeparators(m.leftFolder);
    int rows = ListView_GetItemCount(m.leftList);
    for (const std::wstring& given : paths) {
        std::wstring path = TrimSeparators(given);
        for (int row = 0; row < rows; ++row) {
            if (!SameTextIgnoringCase(AppendPath(folder, RowName(m.leftList, row)), path)) continue;
            UINT state = LVIS_SELECTED | LVIS_FOCUSED;
            ListView_SetItemState(m.leftList, row, state, state);
            break;
        }
    }
    CollectSelection(m.leftList, m.leftFolder, m.sourceSelection);
    RefreshTitleLine();
    for (const std::wstring& given : paths) {
        std::wstring path = TrimSeparators(given);
        bool known =
            std::any_of(m.sourceSelection.begin(), m.sourceSelection.end(),
                        [&](const std::wstring& s) { return SameTextIgnoringCase(s, path); });
        if (!known && GetFileAttributesW(LongPath(path).c_str()) != INVALID_FILE_ATTRIBUTES)
            m.sourceSelection.push_back(path);
    }
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
