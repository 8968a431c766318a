// A folder's entries as a pane holds them, compact and in the order
// Explorer shows them, and their listing on a thread of its own.
#ifndef ZERROW_UI_LISTING_H
#define ZERROW_UI_LISTING_H

#include "base/win.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace zrw {

struct ListedEntry {
    uint64_t size = 0;
    FILETIME lastWrite{};
    uint32_t nameAt = 0;  // in the listing's names
    uint16_t nameLength = 0;
    bool folder = false;
};

// The entries in the order the file system gave them, their names one after
// the other in one buffer (each ended by a NUL, as the comparison wants), and
// the order a pane shows them in.
struct FolderListing {
    std::vector<ListedEntry> entries;
    std::vector<wchar_t> names;
    std::vector<uint32_t> order;

    void Add(const WIN32_FIND_DATAW& data);
    const wchar_t* Name(uint32_t entry) const { return names.data() + entries[entry].nameAt; }
    std::wstring_view NameView(uint32_t entry) const {
        return {Name(entry), entries[entry].nameLength};
    }
    // Sorts the entries from first on and merges them into order; entries
    // that compare equal keep the order they were listed in. Once stop is
    // set, what is left of the work compares nothing.
    void OrderFrom(size_t first, const std::atomic<bool>* stop = nullptr);
    // Frees what growing left unused.
    void Trim();
    // What the listing holds in memory.
    size_t Bytes() const;
};
// Folders first, then by name as Explorer sorts names: runs of digits as
// numbers ("file2" before "file10"), case ignored.
bool ListedBefore(const FolderListing& listing, uint32_t a, uint32_t b);

// What a listing adds to the pane's copy: the entries listed since the last
// batch with their names (whose offsets go on from the names before them),
// and the whole order.
struct ListingBatch {
    std::vector<ListedEntry> entries;
    std::vector<wchar_t> names;
    std::vector<uint32_t> order;
    bool complete = false;
};
// Appends a batch to the listing it continues.
void AppendBatch(FolderListing& listing, ListingBatch&& batch);

// One folder listed on a thread of its own, which posts message (wParam: tag)
// to window whenever a batch is ready: early for the first screen, then each
// time the count has doubled or a quarter second has passed, and at the end.
class ListingRun {
public:
    static std::shared_ptr<ListingRun> Start(const std::wstring& folder, HWND window, UINT message,
                                             WPARAM tag);
    // The thread stops at its next entry and posts nothing more.
    void Cancel() { cancel_ = true; }
    // The batches that arrived since the last call, oldest first.
    std::vector<ListingBatch> Take();
    // Waits for the thread at most that long; true when it has ended.
    bool Wait(DWORD ms) const;

    ListingRun(const std::wstring& folder, HWND window, UINT message, WPARAM tag)
        : folder_(folder), window_(window), message_(message), tag_(tag) {}

private:
    static DWORD WINAPI Thread(void* param);
    void Run();
    void Publish(FolderListing& listing, size_t& entriesSent, size_t& namesSent, bool complete);

    std::wstring folder_;
    HWND window_;
    UINT message_;
    WPARAM tag_;
    std::atomic<bool> cancel_{false};
    UniqueHandle thread_;
    std::mutex mutex_;
    std::vector<ListingBatch> ready_;
};

}  // namespace zrw

#endif
