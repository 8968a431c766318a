#include "engine/engine.h"

namespace zrw {

namespace {

constexpr int kScanDepthLimit = 64;

bool IsDotEntry(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

uint64_t EntrySize(const WIN32_FIND_DATAW& fd) {
    return (static_cast<uint64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
}

// Junctions and symbolic links are neither counted nor followed, so a link
// back into the tree cannot loop and a linked volume is not counted twice.
bool IsSkipped(const WIN32_FIND_DATAW& fd) {
    return IsDotEntry(fd.cFileName) || (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

void CountFolder(const std::wstring& folder, int depth, SourceItem& item) {
    WIN32_FIND_DATAW fd;
    UniqueFind find(FindFirstFileW(LongPath(AppendPath(folder, L"*")).c_str(), &fd));
    if (!find) return;
    do {
        if (IsSkipped(fd)) continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (depth < kScanDepthLimit) CountFolder(AppendPath(folder, fd.cFileName), depth + 1, item);
        } else {
            item.bytes += EntrySize(fd);
            ++item.files;
        }
    } while (FindNextFileW(find.get(), &fd));
}

void WalkFolder(const std::wstring& source, const std::wstring& destination, CopyPlan& plan) {
    WIN32_FIND_DATAW fd;
    UniqueFind find(FindFirstFileW(LongPath(AppendPath(source, L"*")).c_str(), &fd));
    if (!find) return;
    do {
        if (IsSkipped(fd)) continue;
        std::wstring childSource = AppendPath(source, fd.cFileName);
        std::wstring childDestination = AppendPath(destination, fd.cFileName);
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            plan.folders.push_back({childSource, childDestination});
            WalkFolder(childSource, childDestination, plan);
        } else {
            uint64_t size = EntrySize(fd);
            plan.tasks.push_back({std::move(childSource), std::move(childDestination), size,
                                  fd.dwFileAttributes, fd.ftLastWriteTime});
            plan.totalBytes += size;
            ++plan.fileCount;
        }
    } while (FindNextFileW(find.get(), &fd));
}

}  // namespace

ScanResult ScanSources(const std::vector<std::wstring>& paths) {
    ScanResult result;
    for (const std::wstring& given : paths) {
        SourceItem item;
        item.path = TrimSeparators(given);
        std::wstring lp = LongPath(item.path);
        DWORD attrs = GetFileAttributesW(lp.c_str());
        if (attrs == INVALID_FILE_ATTRIBUTES) continue;
        if (attrs & FILE_ATTRIBUTE_DIRECTORY) {
            item.isFolder = true;
            item.folderName = PathName(item.path);
            if (!IsDriveRoot(item.path)) CountFolder(item.path, 0, item);
        } else {
            item.fileName = PathName(item.path);
            item.files = 1;
            WIN32_FILE_ATTRIBUTE_DATA data;
            if (GetFileAttributesExW(lp.c_str(), GetFileExInfoStandard, &data))
                item.bytes = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        }
        result.totalBytes += item.bytes;
        result.totalFiles += item.files;
        result.items.push_back(std::move(item));
    }
    return result;
}

CopyPlan BuildPlan(const std::vector<std::wstring>& sources, const std::wstring& destinationRoot) {
    CopyPlan plan;
    for (const std::wstring& given : sources) {
        std::wstring source = TrimSeparators(given);
        std::wstring lp = LongPath(source);
        DWORD attrs = GetFileAttributesW(lp.c_str());
        if (attrs == INVALID_FILE_ATTRIBUTES) {
            JobLog(L"源不存在 %s", source.c_str());
            continue;
        }
        std::wstring destination = AppendPath(destinationRoot, PathName(source));
        if (attrs & FILE_ATTRIBUTE_DIRECTORY) {
            plan.folders.push_back({source, destination});
            WalkFolder(source, destination, plan);
            continue;
        }
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExW(lp.c_str(), GetFileExInfoStandard, &data)) continue;
        uint64_t size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        plan.tasks.push_back({source, destination, size, data.dwFileAttributes, data.ftLastWriteTime});
        plan.totalBytes += size;
        ++plan.fileCount;
    }
    return plan;
}

}  // namespace zrw
