// The one tree walker: any depth, links not followed.
#include "base/walk.h"

#include "base/paths.h"

#include <vector>

namespace zrw {

namespace {

bool IsDotEntry(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
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
ListingReader g_nextEntry = FindNextFileW;

// A listing gives the tag of a reparse point beside its attributes. One
// without a tag (some file systems' listings leave it 0) is taken for a link:
// following an unknown link could loop or reach outside the tree.
bool IsLink(const WIN32_FIND_DATAW& data) {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) return false;
    return data.dwReserved0 == 0 || IsReparseTagNameSurrogate(data.dwReserved0);
}

bool IsLinkPath(const std::wstring& path) {
    WIN32_FIND_DATAW data;
    UniqueFind find(FindFirstFileExW(LongPath(path).c_str(), FindExInfoBasic, &data,
                                     FindExSearchNameMatch, nullptr, 0));
    return find && IsLink(data);
}

bool WalkTree(const std::wstring& root, const WalkVisit& visit, const WalkUnlistable& unlistable,
              uint64_t* passedOver) {
    std::vector<Frame> stack;
    if (!Enter(stack, root, L"", unlistable)) return false;
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (!top.pending && !g_nextEntry(top.find.get(), &top.data)) {
            stack.pop_back();
            continue;
        }
        top.pending = false;
        if (IsDotEntry(top.data.cFileName)) continue;
        if (IsLink(top.data)) {
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
    } while (g_nextEntry(find.get(), &data));
    return GetLastError() == ERROR_NO_MORE_FILES;
}

}  // namespace zrw
