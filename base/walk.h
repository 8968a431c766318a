// One walker for every tree the program reads: the scan, the plan, the
// verification and the check after a robocopy run; and the listing of one
// folder, for the panes and the uninstall.
#ifndef ZERROW_BASE_WALK_H
#define ZERROW_BASE_WALK_H

#include "base/win.h"

#include <functional>
#include <string>

namespace zrw {

// A junction, symbolic link, mount point or other name surrogate: an entry
// that names another place. Every other reparse point (a cloud placeholder,
// a deduplicated or archived file) holds data of its own.
bool IsLink(const WIN32_FIND_DATAW& data);
// The same for one existing entry, asked by its path.
bool IsLinkPath(const std::wstring& path);

struct WalkEntry {
    const std::wstring& path;      // the root joined with relative
    const std::wstring& relative;  // below the root, no leading separator
    const WIN32_FIND_DATAW& data;
    size_t depth;  // 0 for the root's own entries
    bool isFolder() const { return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
};

enum class WalkNext { Continue, SkipFolder, Stop };
using WalkVisit = std::function<WalkNext(const WalkEntry&)>;
// A folder, the root included (relative empty), whose listing cannot be opened.
using WalkUnlistable =
    std::function<WalkNext(const std::wstring& path, const std::wstring& relative)>;

// Opens a folder's listing (pattern: the folder joined with "*") and reads its
// next entry. Replaceable, because a test under Wine, run as root, cannot
// make a listing be refused, and Wine's listings carry no reparse tags.
using ListingOpener = HANDLE (*)(const std::wstring& pattern, WIN32_FIND_DATAW* first);
extern ListingOpener g_openListing;
using ListingReader = BOOL(WINAPI*)(HANDLE listing, WIN32_FIND_DATAW* next);
extern ListingReader g_nextEntry;

// Depth first and pre-order: a folder's sub-tree is finished before its next
// sibling. The stack is explicit, so depth is bounded by memory, not by the
// thread's stack. Skips "." and ".." and links (a link back into the tree
// would loop, a link out of it would be moved), counted in passedOver when
// given. False when a callback stopped the walk.
bool WalkTree(const std::wstring& root, const WalkVisit& visit, const WalkUnlistable& unlistable,
              uint64_t* passedOver = nullptr);

// True to go on with the listing.
using ListVisit = std::function<bool(const WIN32_FIND_DATAW&)>;
// Every entry of one folder but "." and "..", links included, in the order the file system lists
// them. False when the listing could not be opened (an empty drive root's too), failed before its
// end or was stopped.
bool ListFolder(const std::wstring& folder, const ListVisit& visit);

}  // namespace zrw

#endif
