// Gathers the selection of several processes started together by Explorer into one job, and reads
// path-list files.
#include "app/gather.h"
#include "app/cmdline.h"
#include "app/logdir.h"
#include "base/paths.h"
#include "base/win.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cstring>

namespace zrw {

namespace {

constexpr wchar_t kGatherClass[] = L"ZerrowGather";
constexpr ULONG_PTR kPathsTag = 0x5A524750;  // "ZRGP": a packed path list
constexpr UINT_PTR kQuietTimer = 1;
// Far beyond any real selection; a larger block is not ours.
constexpr size_t kMaxPackedBytes = 256u << 20;
constexpr DWORD kSendTimeoutMs = 5000;
// Between looks for the gatherer's window while it is still being made.
constexpr DWORD kOwnerPollMs = 50;
// A gatherer that neither answers nor lets go: this process runs alone.
constexpr ULONGLONG kGiveUpMs = 15000;
// Explorer creates the processes of one selection within milliseconds.
constexpr ULONGLONG kBatchSpread = 2 * 10000000ull;  // 2 s in 100 ns units

std::wstring MutexName(const std::wstring& key) { return L"Local\\Zerrow.Gather." + key; }
std::wstring WindowName(const std::wstring& key) { return L"Zerrow.Gather." + key; }
// One per gatherer: a later gatherer of the same verb is another process.
std::wstring AckName(const std::wstring& key, DWORD gatherer) {
    return L"Local\\Zerrow.Gather." + key + L".taken." + std::to_wstring(gatherer);
}

// A process as its siblings of one selection see it.
struct Batch {
    DWORD self = 0;
    DWORD parent = 0;
    ULONGLONG created = 0;
    std::wstring image;
};

bool CreationAndImage(HANDLE process, ULONGLONG& created, std::wstring& image) {
    FILETIME creation, exit, kernel, user;
    if (!GetProcessTimes(process, &creation, &exit, &kernel, &user)) return false;
    created = Join64(creation.dwHighDateTime, creation.dwLowDateTime);
    std::wstring buffer(32768, L'\0');
    DWORD size = static_cast<DWORD>(buffer.size());
    if (!QueryFullProcessImageNameW(process, 0, buffer.data(), &size)) return false;
    image.assign(buffer.data(), size);
    return true;
}

// Calls visit for every process running now.
template <typename Visit>
void ForEachProcess(Visit visit) {
    UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    if (!snapshot || !Process32FirstW(snapshot.get(), &entry)) return;
    do visit(entry);
    while (Process32NextW(snapshot.get(), &entry));
}

Batch ThisBatch() {
    Batch batch;
    batch.self = GetCurrentProcessId();
    ForEachProcess([&](const PROCESSENTRY32W& entry) {
        if (entry.th32ProcessID == batch.self) batch.parent = entry.th32ParentProcessID;
    });
    CreationAndImage(GetCurrentProcess(), batch.created, batch.image);
    return batch;
}

// Siblings of this selection that are running but have not handed over yet
// (those that have wait on, for the acknowledgement).
size_t StartingSiblings(const Batch& batch, const std::vector<DWORD>& handedOver) {
    size_t count = 0;
    ForEachProcess([&](const PROCESSENTRY32W& entry) {
        if (entry.th32ProcessID == batch.self || entry.th32ParentProcessID != batch.parent ||
            std::find(handedOver.begin(), handedOver.end(), entry.th32ProcessID) !=
                handedOver.end())
            return;
        UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE,
                                         entry.th32ProcessID));
        ULONGLONG created = 0;
        std::wstring image;
        if (process && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT &&
            CreationAndImage(process.get(), created, image) && SameBatch(batch.created, created) &&
            CompareNames(image, batch.image) == 0)
            ++count;
    });
    return count;
}

struct Gathering {
    std::vector<std::wstring>* sources;
    UINT quietMs;
    Batch batch;
    std::vector<DWORD> handedOver{};  // process IDs of the senders
    ULONGLONG start = GetTickCount64();
    bool closed = false;
};

void OnQuiet(HWND window, Gathering& gathering) {
    size_t starting = StartingSiblings(gathering.batch, gathering.handedOver);
    if (KeepGathering(starting, GetTickCount64() - gathering.start)) {
        TraceLog(L"gather: %u siblings starting", static_cast<unsigned>(starting));
        return;  // the timer runs on
    }
    gathering.closed = true;
    KillTimer(window, kQuietTimer);
}

// The sender has no window to name: it gives its process ID instead.
LRESULT OnCopyData(HWND window, Gathering& gathering, DWORD sender, const COPYDATASTRUCT* data) {
    // Refused after the quiet time: the sender then becomes a gatherer itself.
    if (gathering.closed || !data || data->dwData != kPathsTag) return FALSE;
    std::vector<std::wstring> arrived;
    if (!UnpackPaths(data->lpData, data->cbData, arrived)) return FALSE;
    AppendGathered(*gathering.sources, arrived);
    gathering.handedOver.push_back(sender);
    SetTimer(window, kQuietTimer, gathering.quietMs, nullptr);
    TraceLog(L"gather: +%u paths", static_cast<unsigned>(arrived.size()));
    return TRUE;
}

LRESULT CALLBACK GatherProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* gathering = reinterpret_cast<Gathering*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_COPYDATA:
        return gathering ? OnCopyData(window, *gathering, static_cast<DWORD>(wParam),
                                      reinterpret_cast<COPYDATASTRUCT*>(lParam))
                         : FALSE;
    case WM_TIMER:
        if (gathering && wParam == kQuietTimer) OnQuiet(window, *gathering);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool RegisterGatherClass() {
    static const bool registered = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = GatherProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kGatherClass;
        return RegisterClassExW(&wc) != 0;
    }();
    return registered;
}

// Owns the mutex of the verb: takes arrivals until none came for quietMs.
void Gather(const std::wstring& key, std::vector<std::wstring>& sources, UINT quietMs) {
    Gathering gathering{&sources, quietMs, ThisBatch()};
    if (!RegisterGatherClass()) return;
    HWND window = CreateWindowExW(0, kGatherClass, WindowName(key).c_str(), 0, 0, 0, 0, 0,
                                  HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), &gathering);
    if (!window) return;
    SetTimer(window, kQuietTimer, quietMs, nullptr);
    MSG msg;
    while (!gathering.closed && GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    DestroyWindow(window);
}

// The running gatherer's process and its acknowledgement, both opened before
// the hand-over, so that neither can end unseen.
struct Gatherer {
    UniqueHandle process, ack;
};

// True when the running gatherer took the paths.
bool HandOver(const std::wstring& key, const std::wstring& packed, Gatherer& gatherer) {
    HWND window = FindWindowExW(HWND_MESSAGE, nullptr, kGatherClass, WindowName(key).c_str());
    DWORD pid = 0;
    if (!window || !GetWindowThreadProcessId(window, &pid)) return false;
    gatherer.process.reset(OpenProcess(SYNCHRONIZE, FALSE, pid));
    gatherer.ack.reset(OpenEventW(SYNCHRONIZE, FALSE, AckName(key, pid).c_str()));
    if (!gatherer.process || !gatherer.ack) return false;
    // Explorer let this process take the foreground; the picker comes from the gatherer.
    AllowSetForegroundWindow(pid);
    COPYDATASTRUCT data{kPathsTag, static_cast<DWORD>(packed.size() * sizeof(wchar_t)),
                        const_cast<wchar_t*>(packed.data())};
    DWORD_PTR accepted = FALSE;
    return SendMessageTimeoutW(window, WM_COPYDATA, GetCurrentProcessId(),
                               reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, kSendTimeoutMs,
                               &accepted) != 0 &&
           accepted == TRUE;
}

// True once the gatherer has acknowledged the paths; false when it ended first.
bool Acknowledged(const Gatherer& gatherer) {
    const HANDLE either[] = {gatherer.ack.get(), gatherer.process.get()};
    // Both set: the lower index, the acknowledgement, is reported.
    return WaitForMultipleObjects(2, either, FALSE, INFINITE) == WAIT_OBJECT_0;
}

}  // namespace

bool SameBatch(ULONGLONG createdA, ULONGLONG createdB) {
    return (createdA > createdB ? createdA - createdB : createdB - createdA) <= kBatchSpread;
}

bool KeepGathering(size_t startingSiblings, ULONGLONG gatheringMs) {
    return startingSiblings > 0 && gatheringMs < kMaxGatherMs;
}

bool ShouldGather(const StartRecord& r) {
    return r.mode == StartMode::Transfer && !r.silent && r.destination.empty() &&
           !r.sources.empty() && !r.engine && !r.conflict && r.lang < 0 && !r.verifyAfterCopy &&
           !r.hash && r.skin < 0 && r.img.empty() && !r.noQueue;
}

std::wstring PackPaths(const std::vector<std::wstring>& paths) {
    std::wstring packed;
    for (const std::wstring& path : paths) {
        packed += path;
        packed += L'\0';
    }
    return packed;
}

bool UnpackPaths(const void* data, size_t bytes, std::vector<std::wstring>& paths) {
    if (!data || bytes == 0 || bytes % sizeof(wchar_t) != 0 || bytes > kMaxPackedBytes)
        return false;
    // Copied out first: the block belongs to the sender and need not be aligned.
    std::wstring text(bytes / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), data, bytes);
    if (text.back() != L'\0') return false;
    std::vector<std::wstring> found;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find(L'\0', start);
        if (end == start) return false;
        found.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    paths.insert(paths.end(), found.begin(), found.end());
    return true;
}

void AppendGathered(std::vector<std::wstring>& sources, const std::vector<std::wstring>& arrived) {
    for (const std::wstring& path : arrived)
        if (std::find(sources.begin(), sources.end(), path) == sources.end())
            sources.push_back(path);
}

void GatherAck::Give() {
    if (given_) SetEvent(given_.get());
}

bool GatherSources(const std::wstring& key, std::vector<std::wstring>& sources, GatherAck& ack,
                   UINT quietMs) {
    // Full here: the gatherer's current folder is not this process's.
    std::vector<std::wstring> full;
    for (const std::wstring& source : sources) AppendGathered(full, {FullPath(source)});
    SetLastError(ERROR_SUCCESS);
    UniqueHandle mutex(CreateMutexW(nullptr, TRUE, MutexName(key).c_str()));
    if (!mutex) return false;  // no gathering possible: run alone
    bool owned = GetLastError() != ERROR_ALREADY_EXISTS;
    const std::wstring packed = PackPaths(full);
    const ULONGLONG giveUp = GetTickCount64() + kGiveUpMs;
    while (!owned) {
        Gatherer gatherer;
        if (HandOver(key, packed, gatherer)) {
            TraceLog(L"gather: handed over %u paths", static_cast<unsigned>(full.size()));
            if (Acknowledged(gatherer)) return true;
            TraceLog(L"gather: the gatherer ended before it took care of them");
            sources = std::move(full);
            return false;
        }
        // No window yet, or the gatherer closed or died: whoever owns the
        // mutex next gathers, so no path is lost.
        DWORD wait = WaitForSingleObject(mutex.get(), kOwnerPollMs);
        owned = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
        if (!owned && GetTickCount64() >= giveUp) return false;
    }
    sources = std::move(full);
    // Made before the window, so that every sender it accepts can wait on it.
    ack.given_.reset(
        CreateEventW(nullptr, TRUE, FALSE, AckName(key, GetCurrentProcessId()).c_str()));
    if (ack.given_) Gather(key, sources, quietMs);
    ReleaseMutex(mutex.get());
    TraceLog(L"gather: %u paths", static_cast<unsigned>(sources.size()));
    return false;
}

bool IsInFolder(const std::wstring& file, const std::wstring& folder) {
    return CompareNames(PathParent(FullPath(file)), FullPath(folder)) == 0;
}

bool TakeListFiles(StartRecord& record, std::wstring& unreadable) {
    for (const std::wstring& list : record.listFiles) {
        std::string bytes;
        if (!ReadWholeFile(list, bytes, kMaxPackedBytes) ||
            !UnpackPaths(bytes.data(), bytes.size(), record.sources)) {
            unreadable = list;
            return false;
        }
        // Only the hand-over files of the log folder; a list of the user's own stays.
        if (IsInFolder(list, LogFolder())) DeleteFileW(list.c_str());
    }
    return true;
}

}  // namespace zrw
