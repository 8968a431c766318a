// A pane's listing: compact entries, Explorer's order, and the thread that
// reads a folder while the window stays usable.
#include "ui/listing.h"
#include "base/walk.h"

#include <shlwapi.h>

#include <algorithm>
#include <iterator>
#include <numeric>

namespace zrw {

namespace {

// About a screenful: the first batch is there before the eye looks.
constexpr size_t kFirstBatch = 100;
constexpr ULONGLONG kBatchEveryMs = 250;

template <typename T>
size_t CapacityBytes(const std::vector<T>& v) {
    return v.capacity() * sizeof(T);
}

}  // namespace

void FolderListing::Add(const WIN32_FIND_DATAW& data) {
    ListedEntry entry;
    entry.size = FileSize(data);
    entry.lastWrite = data.ftLastWriteTime;
    entry.nameAt = static_cast<uint32_t>(names.size());
    entry.nameLength = static_cast<uint16_t>(wcsnlen(data.cFileName, MAX_PATH));
    entry.folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    names.insert(names.end(), data.cFileName, data.cFileName + entry.nameLength);
    names.push_back(L'\0');
    entries.push_back(entry);
}

bool ListedBefore(const FolderListing& listing, uint32_t a, uint32_t b) {
    bool aFolder = listing.entries[a].folder, bFolder = listing.entries[b].folder;
    if (aFolder != bFolder) return aFolder;
    return StrCmpLogicalW(listing.Name(a), listing.Name(b)) < 0;
}

// A merge sort and a merge: neither leaves its range whatever the
// comparison answers.
void FolderListing::OrderFrom(size_t first, const std::atomic<bool>* stop) {
    std::vector<uint32_t> added(entries.size() - first);
    std::iota(added.begin(), added.end(), static_cast<uint32_t>(first));
    auto before = [this, stop](uint32_t a, uint32_t b) {
        return !(stop && *stop) && ListedBefore(*this, a, b);
    };
    std::stable_sort(added.begin(), added.end(), before);
    std::vector<uint32_t> merged;
    merged.reserve(order.size() + added.size());
    std::merge(order.begin(), order.end(), added.begin(), added.end(), std::back_inserter(merged),
               before);
    order = std::move(merged);
}

void FolderListing::Trim() {
    entries.shrink_to_fit();
    names.shrink_to_fit();
    order.shrink_to_fit();
}

size_t FolderListing::Bytes() const {
    return CapacityBytes(entries) + CapacityBytes(names) + CapacityBytes(order);
}

void AppendBatch(FolderListing& listing, ListingBatch&& batch) {
    listing.entries.insert(listing.entries.end(), batch.entries.begin(), batch.entries.end());
    listing.names.insert(listing.names.end(), batch.names.begin(), batch.names.end());
    listing.order = std::move(batch.order);
}

std::shared_ptr<ListingRun> ListingRun::Start(const std::wstring& folder, HWND window, UINT message,
                                              WPARAM tag) {
    auto run = std::make_shared<ListingRun>(folder, window, message, tag);
    auto* owner = new std::shared_ptr<ListingRun>(run);
    run->thread_.reset(CreateThread(nullptr, 0, Thread, owner, 0, nullptr));
    // A long sort gives way to the window's own thread.
    if (run->thread_) SetThreadPriority(run->thread_.get(), THREAD_PRIORITY_BELOW_NORMAL);
    if (!run->thread_) {
        // Without a thread the folder is listed here, as it always was.
        delete owner;
        run->Run();
    }
    return run;
}

DWORD WINAPI ListingRun::Thread(void* param) {
    std::unique_ptr<std::shared_ptr<ListingRun>> owner(
        static_cast<std::shared_ptr<ListingRun>*>(param));
    (*owner)->Run();
    return 0;
}

void ListingRun::Run() {
    FolderListing listing;
    size_t entriesSent = 0, namesSent = 0;
    ULONGLONG sentAt = GetTickCount64();
    ListFolder(folder_, [&](const WIN32_FIND_DATAW& data) {
        if (cancel_) return false;
        listing.Add(data);
        size_t count = listing.entries.size();
        if (count < kFirstBatch) return true;
        ULONGLONG now = GetTickCount64();
        if (count >= 2 * entriesSent || now - sentAt >= kBatchEveryMs) {
            Publish(listing, entriesSent, namesSent, false);
            sentAt = now;
        }
        return true;
    });
    if (!cancel_) Publish(listing, entriesSent, namesSent, true);
}

void ListingRun::Publish(FolderListing& listing, size_t& entriesSent, size_t& namesSent,
                         bool complete) {
    listing.OrderFrom(entriesSent, &cancel_);
    if (cancel_) return;
    ListingBatch batch;
    batch.entries.assign(listing.entries.begin() + static_cast<ptrdiff_t>(entriesSent),
                         listing.entries.end());
    batch.names.assign(listing.names.begin() + static_cast<ptrdiff_t>(namesSent),
                       listing.names.end());
    batch.order = listing.order;
    batch.complete = complete;
    entriesSent = listing.entries.size();
    namesSent = listing.names.size();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ready_.push_back(std::move(batch));
    }
    PostMessageW(window_, message_, tag_, 0);
}

std::vector<ListingBatch> ListingRun::Take() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(ready_, {});
}

bool ListingRun::Wait(DWORD ms) const {
    return !thread_ || WaitForSingleObject(thread_.get(), ms) == WAIT_OBJECT_0;
}

}  // namespace zrw
