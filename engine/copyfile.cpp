// One file's copy or move: the skip rule, the retries, times and attributes, the rename of a move.
#include "engine/copyfile.h"
#include "base/paths.h"
#include "engine/driver.h"
#include "engine/joblog.h"
#include "engine/scan.h"

#include <winioctl.h>

namespace zrw {

std::atomic<bool> g_moveJob{false};
std::atomic<bool> g_coarseTimes{false};
std::atomic<bool> g_renameMoves{false};
Renamer g_rename = MoveFileExW;

namespace {

constexpr DWORD kSparseCopyFlag = 0x20000000;  // COPY_FILE_ENABLE_SPARSE_COPY
constexpr DWORD kFailIfExists = 0x00000001;    // COPY_FILE_FAIL_IF_EXISTS
const HRESULT kExists = HRESULT_FROM_WIN32(ERROR_FILE_EXISTS);

// What one copy carried through its own handles, so that nothing is opened
// again by name afterwards.
struct CarriedMetadata {
    bool times = false;
    DWORD sourceAttributes = 0;
};

// Creation, access and write times, while both files are still open.
void CarryTimes(const COPYFILE2_MESSAGE& message, CarriedMetadata& carried) {
    const auto& info = message.Info.StreamFinished;
    FILE_BASIC_INFO basic;
    if (!GetFileInformationByHandleEx(info.hSourceFile, FileBasicInfo, &basic, sizeof(basic)))
        return;
    carried.sourceAttributes = basic.FileAttributes;
    basic.ChangeTime.QuadPart = 0;
    basic.FileAttributes = 0;  // left to the copier, which sets them last
    carried.times = SetFileInformationByHandle(info.hDestinationFile, FileBasicInfo, &basic,
                                               sizeof(basic)) != FALSE;
}

COPYFILE2_MESSAGE_ACTION CALLBACK CopyProgress(const COPYFILE2_MESSAGE* message, PVOID context) {
    while (g_stats.pause.load() && !g_stats.cancel.load()) Sleep(40);
    if (message->Type == COPYFILE2_CALLBACK_CHUNK_FINISHED)
        g_stats.bytesDone += message->Info.ChunkFinished.uliChunkSize.QuadPart;
    if (message->Type == COPYFILE2_CALLBACK_STREAM_FINISHED &&
        message->Info.StreamFinished.dwStreamNumber == 1)
        CarryTimes(*message, *static_cast<CarriedMetadata*>(context));
    return g_stats.cancel.load() ? COPYFILE2_PROGRESS_CANCEL : COPYFILE2_PROGRESS_CONTINUE;
}

HRESULT CopyWithSystem(const FileTask& task, const std::wstring& to, DWORD flags,
                       CarriedMetadata& carried) {
    carried = {};
    COPYFILE2_EXTENDED_PARAMETERS params{};
    params.dwSize = sizeof(params);
    params.dwCopyFlags = flags;
    params.pfCancel = &g_stats.userCancel;
    params.pProgressRoutine = CopyProgress;
    params.pvCallbackContext = &carried;
    return CopyFileWithProgress(LongPath(task.source).c_str(), LongPath(to).c_str(), &params);
}

bool ClearReadOnly(const std::wstring& longPath) {
    DWORD attrs = GetFileAttributesW(longPath.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES || !(attrs & FILE_ATTRIBUTE_READONLY)) return false;
    return SetFileAttributesW(longPath.c_str(), attrs & ~FILE_ATTRIBUTE_READONLY) != FALSE;
}

struct DestinationState {
    bool exists = false;
    bool upToDate = false;  // same size and last-write time
};

DestinationState ReadDestination(const FileTask& task) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(LongPath(task.destination).c_str(), GetFileExInfoStandard, &data))
        return {};
    uint64_t size = FileSize(data);
    return {true, !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && size == task.size &&
                      SameWriteTime(data.ftLastWriteTime, task.lastWrite, g_coarseTimes.load())};
}

// A failed first attempt is tried once more, then without the sparse flag.
HRESULT CopyWithRetries(const FileTask& task, const std::wstring& to, DWORD extraFlags,
                        CarriedMetadata& carried) {
    DWORD sparse = (task.attributes & FILE_ATTRIBUTE_SPARSE_FILE) ? kSparseCopyFlag : 0;
    HRESULT hr = CopyWithSystem(task, to, sparse | extraFlags, carried);
    if (SUCCEEDED(hr) || hr == kExists) return hr;
    hr = CopyWithSystem(task, to, sparse | extraFlags, carried);
    if (SUCCEEDED(hr) || sparse == 0) return hr;
    return CopyWithSystem(task, to, extraFlags, carried);
}

// A name of its own beside the destination, taken with fail-if-exists so that
// no other copy's file is ever written over.
HRESULT CopyToTemporary(const FileTask& task, std::wstring& temporary, CarriedMetadata& carried) {
    static std::atomic<uint32_t> counter{GetTickCount() ^ (GetCurrentProcessId() << 16)};
    HRESULT hr = kExists;
    for (int attempt = 0; attempt < 16 && hr == kExists; ++attempt) {
        wchar_t name[17];
        swprintf(name, 17, L"~zrw%08x.tmp", static_cast<unsigned>(counter++));
        temporary = AppendPath(PathParent(task.destination), name);
        hr = CopyWithRetries(task, temporary, kFailIfExists, carried);
    }
    return hr;
}

// The old file is replaced only by a complete copy; a read-only one is
// replaced too, as the copy over it would be, and keeps its bit if it stays.
HRESULT SwapIn(const std::wstring& temporary, const std::wstring& destination) {
    std::wstring from = LongPath(temporary), to = LongPath(destination);
    constexpr DWORD kReplace = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    if (MoveFileExW(from.c_str(), to.c_str(), kReplace)) return S_OK;
    DWORD attrs = GetFileAttributesW(to.c_str());
    if (ClearReadOnly(to) && MoveFileExW(from.c_str(), to.c_str(), kReplace)) return S_OK;
    HRESULT hr = HRESULT_FROM_WIN32(GetLastError());
    if (attrs != INVALID_FILE_ATTRIBUTES) SetFileAttributesW(to.c_str(), attrs);
    return FAILED(hr) ? hr : E_FAIL;
}

void DeleteMovedSource(const FileTask& task) {
    std::wstring source = LongPath(task.source);
    if (DeleteFileW(source.c_str())) return;
    DWORD attrs = GetFileAttributesW(source.c_str());
    if (ClearReadOnly(source)) {
        if (DeleteFileW(source.c_str())) return;
        SetFileAttributesW(source.c_str(), attrs);
    }
    ++g_stats.filesFailed;
    JobLog(L"移动失败(已复制但删不掉源) %s", task.source.c_str());
}

}  // namespace

UniqueFile OpenForAttributes(const std::wstring& path, DWORD access) {
    return UniqueFile(CreateFileW(LongPath(path).c_str(), access,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

bool CopyTimes(const std::wstring& from, const std::wstring& to) {
    FILETIME created, accessed, written;
    {
        UniqueFile source = OpenForAttributes(from, FILE_READ_ATTRIBUTES);
        if (!source || !GetFileTime(source.get(), &created, &accessed, &written)) return false;
    }
    UniqueFile destination = OpenForAttributes(to, FILE_WRITE_ATTRIBUTES);
    return destination && SetFileTime(destination.get(), &created, &accessed, &written);
}

namespace {

// The source's attributes go on last, after the times, so a read-only source
// gives a read-only copy whose times are nonetheless set. Only a copier that
// gave no chance to carry the times through its handles costs opens by name.
void ApplyMetadata(const FileTask& task, const std::wstring& copy, const CarriedMetadata& carried) {
    std::wstring longCopy = LongPath(copy);
    if (carried.times) {
        // The system copier takes every attribute over; only those a copy must
        // not carry need another call.
        DWORD wanted = CarriedAttributes(carried.sourceAttributes);
        if (wanted != carried.sourceAttributes) SetFileAttributesW(longCopy.c_str(), wanted);
        return;
    }
    ClearReadOnly(longCopy);
    CopyTimes(task.source, copy);
    SetFileAttributesW(longCopy.c_str(), CarriedAttributes(task.attributes));
}

// A new destination is written in place; an existing one only through a
// temporary that replaces it once data and metadata are complete, so a copy
// that fails (full disk, cancel, a vanished source) leaves the old version.
HRESULT CopyIntoPlace(const FileTask& task, bool destinationExists) {
    CarriedMetadata carried;
    if (!destinationExists) {
        HRESULT hr = CopyWithRetries(task, task.destination, kFailIfExists, carried);
        if (SUCCEEDED(hr)) ApplyMetadata(task, task.destination, carried);
        if (hr != kExists) return hr;
    }
    std::wstring temporary;
    HRESULT hr = CopyToTemporary(task, temporary, carried);
    if (hr == kExists) return hr;  // every name taken: none of them is ours
    if (SUCCEEDED(hr)) {
        ApplyMetadata(task, temporary, carried);
        hr = SwapIn(temporary, task.destination);
    }
    if (FAILED(hr)) DeleteFileW(LongPath(temporary).c_str());
    return hr;
}

// Folders are made before the workers start; one that vanished since (or
// could not be made then) is tried once more.
HRESULT CopyIntoFolder(const FileTask& task, bool destinationExists) {
    HRESULT hr = CopyIntoPlace(task, destinationExists);
    if (hr != HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND)) return hr;
    MakeFolderTree(PathParent(task.destination));
    return CopyIntoPlace(task, destinationExists);
}

// Within one volume a moved file keeps its data where it is. Any refusal (a
// held source, a read-only or missing destination folder, another volume)
// leaves the copy-and-delete path to decide, name the failure and count it.
bool MoveByRename(const FileTask& task, bool destinationExists) {
    return RenameForMove(task.source, task.destination,
                         destinationExists ? MOVEFILE_REPLACE_EXISTING : 0);
}

}  // namespace

bool RenameForMove(const std::wstring& from, const std::wstring& to, DWORD flags) {
    if (!g_renameMoves.load()) return false;
    if (g_rename(LongPath(from).c_str(), LongPath(to).c_str(), flags)) return true;
    if (GetLastError() == ERROR_NOT_SAME_DEVICE) g_renameMoves = false;
    return false;
}

// A move does not skip: a destination that merely looks up to date is not
// proof that the source's bytes are there, and the source is about to go.
void CopyOneFile(const FileTask& task, bool destinationMayExist) {
    bool move = g_moveJob.load();
    DestinationState destination = destinationMayExist ? ReadDestination(task) : DestinationState{};
    if (destination.upToDate && !move) {
        ++g_stats.filesSkipped;
        g_stats.bytesDone += task.size;
        return;
    }
    if (move && MoveByRename(task, destination.exists)) {
        ++g_stats.filesCopied;
        g_stats.bytesDone += task.size;
        return;
    }
    HRESULT hr = CopyIntoFolder(task, destination.exists);
    if (FAILED(hr)) {
        ++g_stats.filesFailed;
        JobLog(L"失败 0x%08X  %s", static_cast<unsigned>(hr), task.source.c_str());
        return;
    }
    ++g_stats.filesCopied;
    if (move) DeleteMovedSource(task);
}

bool HasTwoSecondTimes(const std::wstring& fileSystemName) {
    return CompareNames(fileSystemName.substr(0, 3), L"FAT") == 0 ||
           CompareNames(fileSystemName, L"exFAT") == 0;
}

bool VolumeHasTwoSecondTimes(const std::wstring& path) {
    wchar_t volume[MAX_PATH], fileSystem[MAX_PATH + 1];
    if (!GetVolumePathNameW(path.c_str(), volume, MAX_PATH) ||
        !GetVolumeInformationW(volume, nullptr, 0, nullptr, nullptr, nullptr, fileSystem,
                               MAX_PATH + 1))
        return false;
    return HasTwoSecondTimes(fileSystem);
}

bool SameWriteTime(const FILETIME& a, const FILETIME& b, bool coarse) {
    auto ticks = [](const FILETIME& t) {
        return static_cast<int64_t>(Join64(t.dwHighDateTime, t.dwLowDateTime));
    };
    constexpr int64_t kTwoSeconds = 20'000'000;  // in 100 ns units
    int64_t apart = ticks(a) - ticks(b);
    return coarse ? apart <= kTwoSeconds && apart >= -kTwoSeconds : apart == 0;
}

SeekPenalty QuerySeekPenalty(const std::wstring& path) {
    if (path.size() < 2 || path[1] != L':') return SeekPenalty::Unknown;
    std::wstring device = L"\\\\.\\" + path.substr(0, 2);
    UniqueFile volume(CreateFileW(device.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    if (!volume) return SeekPenalty::Unknown;
    STORAGE_PROPERTY_QUERY query{};
    query.PropertyId = StorageDeviceSeekPenaltyProperty;
    query.QueryType = PropertyStandardQuery;
    DEVICE_SEEK_PENALTY_DESCRIPTOR descriptor{};
    DWORD returned = 0;
    if (!DeviceIoControl(volume.get(), IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof(query),
                         &descriptor, sizeof(descriptor), &returned, nullptr) ||
        returned < sizeof(descriptor))
        return SeekPenalty::Unknown;
    return descriptor.IncursSeekPenalty ? SeekPenalty::Yes : SeekPenalty::No;
}

}  // namespace zrw
