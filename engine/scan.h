// The scan of a job's sources (sizes, counts, name clashes) and the native
// engine's plan: the folders to make and a task per file.
#ifndef ZERROW_ENGINE_SCAN_H
#define ZERROW_ENGINE_SCAN_H

#include "base/win.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zrw {

struct SourceItem {
    std::wstring path;        // as given, trailing separators trimmed
    std::wstring folderName;  // folder sources only; empty for a drive root
    std::wstring fileName;    // file sources only
    uint64_t bytes = 0;
    uint64_t files = 0;
    bool isFolder = false;
    std::wstring landsIn;  // the folder it goes into, when not the job's destination (a retry)
};

// Two sources that would land on one destination path: two top-level sources
// of one name, or two names in one folder that differ only in case.
struct NameClash {
    std::wstring first;
    std::wstring second;
};

// FAT and FAT32 take no file of 4 GiB or more.
inline constexpr uint64_t kFatFileLimit = 1ull << 32;
struct LargeFile {
    std::wstring path;
    uint64_t size = 0;
};

struct ScanResult {
    std::vector<SourceItem> items;  // paths made full
    uint64_t totalBytes = 0;
    uint64_t totalFiles = 0;
    std::vector<std::wstring> missing;  // sources that do not exist or cannot be read
    std::vector<NameClash> clashes;
    std::vector<LargeFile> largeFiles;  // of kFatFileLimit or more
};

ScanResult ScanSources(const std::vector<std::wstring>& paths);

// Index of a task's destination folder in CopyPlan::folders; the root's own
// files (and file sources) have none.
constexpr uint32_t kRootFolder = UINT32_MAX;

struct FileTask {
    std::wstring source;
    std::wstring destination;
    uint64_t size = 0;
    uint32_t attributes = 0;
    FILETIME lastWrite{};
    uint32_t folder = kRootFolder;
};

struct FolderPair {
    std::wstring source;
    std::wstring destination;
};

struct CopyPlan {
    std::vector<FileTask> tasks;
    std::vector<FolderPair> folders;
    uint64_t totalBytes = 0;
    uint64_t fileCount = 0;
    struct Unlisted {
        std::wstring source, target;
        DWORD error = 0;
    };
    std::vector<Unlisted> unlisted;  // source folders whose listing was refused
    uint64_t passedOver = 0;         // links left where they are
};

CopyPlan BuildPlan(const std::vector<std::wstring>& sources, const std::wstring& destinationRoot);
// Adds one source to a plan; false (and a log line) when it does not exist.
bool PlanSource(const std::wstring& source, const std::wstring& destinationRoot, CopyPlan& plan);

}  // namespace zrw

#endif
