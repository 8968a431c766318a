#include "engine/engine.h"

#include <winioctl.h>

namespace zrw {

std::atomic<bool> g_moveJob{false};

namespace {

constexpr DWORD kSparseCopyFlag = 0x20000000;  // COPY_FILE_ENABLE_SPARSE_COPY

COPYFILE2_MESSAGE_ACTION CALLBACK CopyProgress(const COPYFILE2_MESSAGE* message, PVOID) {
    while (g_stats.pause.load() && !g_stats.cancel.load()) Sleep(40);
    if (message->Type == COPYFILE2_CALLBACK_CHUNK_FINISHED)
        g_stats.bytesDone += message->Info.ChunkFinished.uliChunkSize.QuadPart;
    return g_stats.cancel.load() ? COPYFILE2_PROGRESS_CANCEL : COPYFILE2_PROGRESS_CONTINUE;
}

HRESULT CopyWithSystem(const FileTask& task, DWORD flags) {
    COPYFILE2_EXTENDED_PARAMETERS params{};
    params.dwSize = sizeof(params);
    params.dwCopyFlags = flags;
    params.pfCancel = &g_stats.userCancel;
    params.pProgressRoutine = CopyProgress;
    return CopyFileWithProgress(LongPath(task.source).c_str(), LongPath(task.destination).c_str(),
                                &params);
}

bool ClearReadOnly(const std::wstring& longPath) {
    DWORD attrs = GetFileAttributesW(longPath.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES || !(attrs & FILE_ATTRIBUTE_READONLY)) return false;
    return SetFileAttributesW(longPath.c_str(), attrs & ~FILE_ATTRIBUTE_READONLY) != FALSE;
}

bool IsUpToDate(const FileTask& task) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(LongPath(task.destination).c_str(), GetFileExInfoStandard, &data))
        return false;
    uint64_t size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && size == task.size &&
           data.ftLastWriteTime.dwLowDateTime == task.lastWrite.dwLowDateTime &&
           data.ftLastWriteTime.dwHighDateTime == task.lastWrite.dwHighDateTime;
}

HRESULT CopyWithRetries(const FileTask& task) {
    DWORD flags = (task.attributes & FILE_ATTRIBUTE_SPARSE_FILE) ? kSparseCopyFlag : 0;
    HRESULT hr = CopyWithSystem(task, flags);
    if (SUCCEEDED(hr)) return hr;
    hr = CopyWithSystem(task, flags);
    if (SUCCEEDED(hr)) return hr;
    if (flags != 0) {
        hr = CopyWithSystem(task, 0);
        if (SUCCEEDED(hr)) return hr;
    }
    if (ClearReadOnly(LongPath(task.destination))) hr = CopyWithSystem(task, flags);
    return hr;
}

void DeleteMovedSource(const FileTask& task) {
    std::wstring source = LongPath(task.source);
    if (DeleteFileW(source.c_str())) return;
    if (ClearReadOnly(source) && DeleteFileW(source.c_str())) return;
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
// gives a read-only copy whose times are nonetheless set.
void ApplyMetadata(const FileTask& task) {
    std::wstring destination = LongPath(task.destination);
    ClearReadOnly(destination);
    CopyTimes(task.source, task.destination);
    SetFileAttributesW(destination.c_str(), task.attributes & ~FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

void CopyOneFile(const FileTask& task) {
    if (IsUpToDate(task)) {
        ++g_stats.filesSkipped;
        g_stats.bytesDone += task.size;
        return;
    }
    MakeFolderTree(PathParent(task.destination));
    HRESULT hr = CopyWithRetries(task);
    if (FAILED(hr)) {
        ++g_stats.filesFailed;
        JobLog(L"失败 0x%08X  %s", static_cast<unsigned>(hr), task.source.c_str());
        return;
    }
    ApplyMetadata(task);
    ++g_stats.filesCopied;
    if (g_moveJob.load()) DeleteMovedSource(task);
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
