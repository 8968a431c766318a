// The checks before the first byte: room, FAT's file size, a writable destination.
#include "engine/preflight.h"
#include "base/format.h"
#include "base/paths.h"
#include "engine/copyfile.h"

namespace zrw {

namespace {

std::wstring VolumeInformationName(const std::wstring& path) {
    wchar_t volume[MAX_PATH], fileSystem[MAX_PATH + 1];
    if (!GetVolumePathNameW(path.c_str(), volume, MAX_PATH) ||
        !GetVolumeInformationW(volume, nullptr, 0, nullptr, nullptr, nullptr, fileSystem,
                               MAX_PATH + 1))
        return {};
    return fileSystem;
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(LongPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring NearestExisting(std::wstring path) {
    while (!Exists(path)) {
        std::wstring up = PathParent(path);
        if (up == path) break;
        path = std::move(up);
    }
    return path;
}

// Makes the destination and a file in it, then takes both away again: the
// job makes its folders itself, and a refused one leaves nothing.
DWORD TryWriting(const std::wstring& destination) {
    std::wstring existing = NearestExisting(destination);
    DWORD error = ERROR_SUCCESS;
    if (!MakeFolderTree(destination)) {
        error = GetLastError();
    } else {
        std::wstring probe =
            AppendPath(destination, TemporaryName(L"zerrow-probe", GetTickCount()));
        UniqueFile file(CreateFileW(LongPath(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
        if (!file) error = GetLastError();
    }
    for (std::wstring made = destination; made.size() > existing.size(); made = PathParent(made))
        RemoveDirectoryW(LongPath(made).c_str());
    return error;
}

}  // namespace

FileSystemNamer g_fileSystemOf = VolumeInformationName;

bool CapsFilesAt4GiB(const std::wstring& fileSystem) {
    return CompareNames(fileSystem, L"FAT") == 0 || CompareNames(fileSystem, L"FAT32") == 0;
}

Preflight CheckBeforeFirstByte(const std::wstring& destination, uint64_t bytesToWrite,
                               const std::vector<LargeFile>& largeFiles) {
    Preflight result;
    std::wstring existing = NearestExisting(destination);
    wchar_t volume[MAX_PATH];
    result.volume = GetVolumePathNameW(existing.c_str(), volume, MAX_PATH) ? volume : existing;
    ULARGE_INTEGER available{};
    result.needed = bytesToWrite;
    result.available = GetDiskFreeSpaceExW(LongPath(existing).c_str(), &available, nullptr, nullptr)
                           ? available.QuadPart
                           : UINT64_MAX;  // a disk that does not say is not refused for it
    if (CapsFilesAt4GiB(g_fileSystemOf(existing))) result.tooLarge = largeFiles;
    result.unwritable = TryWriting(destination);
    return result;
}

std::vector<std::wstring> PreflightLines(const Preflight& p) {
    std::vector<std::wstring> lines;
    if (p.unwritable != 0)
        lines.push_back(L"目标建不了或写不进, 什么都没动 " + p.volume + L" (错误 " +
                        std::to_wstring(p.unwritable) + L")");
    if (p.NoRoom())
        lines.push_back(L"目标磁盘空间不够, 什么都没动: 要写 " + FormatSize(p.needed) + L", 只剩 " +
                        FormatSize(p.available) + L" (" + p.volume + L")");
    for (const LargeFile& file : p.tooLarge)
        lines.push_back(L"FAT 磁盘放不下 4 GB 及以上的文件, 什么都没动: " + FormatSize(file.size) +
                        L" " + file.path);
    return lines;
}

}  // namespace zrw
