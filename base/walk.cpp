// The one tree walker: any depth, links not followed, transfer temporaries passed over.
#include "base/walk.h"

#include "base/paths.h"

#include <cwctype>
#include <vector>

namespace zrw {

namespace {

bool IsDotEntry(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

bool IsPassedOver(const WIN32_FIND_DATAW& data) {
    return (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
           IsTransferTemporary(data.cFileName);
}

struct Frame {
    std::wstring path;
    std::wstring relative;
    UniqueFind find;
    WIN32_FIND_DATAW data{};
    bool pending = true;  // data holds the first entry, not yet visited
};

enum class Opened { Yes, Empty, Unlistable };

HANDLE OpenListing(const std::wstring& pattern, WIN32_FIND_DATAW* first) {
    return FindFirstFileExW(pattern.c_str(), FindExInfoBasic, first, FindExSearchNameMatch, nullptr,
                            FIND_FIRST_EX_LARGE_FETCH);
}

HANDLE OpenFolder(const std::wstring& folder, WIN32_FIND_DATAW* first) {
    return g_openListing(LongPath(AppendPath(folder, L"*")), first);
}

// An empty drive root has no "." entries, so "not found" is an empty folder.
Opened Open(Frame& frame) {
    frame.find.reset(OpenFolder(frame.path, &frame.data));
    if (frame.find) return Opened::Yes;
    return GetLastError() == ERROR_FILE_NOT_FOUND ? Opened::Empty : Opened::Unlistable;
}

// Pushes the folder's frame; false when the walk must stop.
bool Enter(std::vector<Frame>& stack, std::wstring path, std::wstring relative,
           const WalkUnlistable& unlistable) {
    Frame frame;
    frame.path = std::move(path);
    frame.relative = std::move(relative);
    switch (Open(frame)) {
    case Opened::Yes: stack.push_back(std::move(frame)); return true;
    case Opened::Empty: return true;
    case Opened::Unlistable: return unlistable(frame.path, frame.relative) != WalkNext::Stop;
    }
    return true;
}

}  // namespace

ListingOpener g_openListing = OpenListing;

bool IsTransferTemporary(const wchar_t* name) {
    if (wcslen(name) != 16 || _wcsnicmp(name, L"~zrw", 4) != 0 || _wcsicmp(name + 12, L".tmp") != 0)
        return false;
    for (int i = 4; i < 12; ++i)
        if (!std::iswxdigit(name[i])) return false;
    return true;
}

bool WalkTree(const std::wstring& root, const WalkVisit& visit, const WalkUnlistable& unlistable,
              uint64_t* passedOver) {
    std::vector<Frame> stack;
    if (!Enter(stack, root, L"", unlistable)) return false;
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (!top.pending && !FindNextFileW(top.find.get(), &top.data)) {
            stack.pop_back();
            continue;
        }
        top.pending = false;
        if (IsDotEntry(top.data.cFileName)) continue;
        if (IsPassedOver(top.data)) {
            if (passedOver) ++*passedOver;
            continue;
        }
        std::wstring path = AppendPath(top.path, top.data.cFileName);
        std::wstring relative =
            top.relative.empty() ? top.data.cFileName : top.relative + L"\\" + top.data.cFileName;
        WalkEntry entry{path, relative, top.data, stack.size() - 1};
        WalkNext next = visit(entry);
        if (next == WalkNext::Stop) return false;
        if (entry.isFolder() && next == WalkNext::Continue &&
            !Enter(stack, std::move(path), std::move(relative), unlistable))
            return false;
    }
    return true;
}

bool ListFolder(const std::wstring& folder, const ListVisit& visit) {
    WIN32_FIND_DATAW data;
    UniqueFind find(OpenFolder(folder, &data));
    if (!find) return false;
    do {
        if (!IsDotEntry(data.cFileName) && !visit(data)) return false;
    } while (FindNextFileW(find.get(), &data));
    return GetLastError() == ERROR_NO_MORE_FILES;
}

}  // namespace zrw
