// The scan of a job's sources and the native engine's plan of folders and file tasks.
#include "engine/scan.h"
#include "base/paths.h"
#include "base/walk.h"
#include "engine/failures.h"
#include "engine/joblog.h"

#include <map>
#include <set>

namespace zrw {

namespace {

// Names of the folders open along the walk, one set per depth: an entry at
// depth d ends every deeper folder, so the sets below it are dropped.
class CaseClashes {
public:
    explicit CaseClashes(std::vector<NameClash>& out) : out_(out) {}
    void Add(const WalkEntry& entry) {
        levels_.resize(entry.depth + 1);
        std::wstring name = entry.data.cFileName;
        auto [earlier, added] = levels_[entry.depth].insert(name);
        if (added) return;
        std::wstring folder = entry.path.substr(0, entry.path.size() - name.size());
        out_.push_back({folder + *earlier, entry.path});
    }

private:
    std::vector<NameClash>& out_;
    std::vector<std::set<std::wstring, NameLess>> levels_;
};

WalkNext GoOn(const std::wstring&, const std::wstring&) { return WalkNext::Continue; }

void NoteIfLarge(const std::wstring& path, uint64_t size, std::vector<LargeFile>& large) {
    if (size >= kFatFileLimit) large.push_back({path, size});
}

void CountFolder(SourceItem& item, ScanResult& result) {
    CaseClashes names(result.clashes);
    WalkTree(
        item.path,
        [&](const WalkEntry& entry) {
            names.Add(entry);
            if (!entry.isFolder()) {
                uint64_t size = FileSize(entry.data);
                item.bytes += size;
                ++item.files;
                NoteIfLarge(entry.path, size, result.largeFiles);
            }
            return WalkNext::Continue;
        },
        GoOn);
}

// Top-level sources land side by side in the destination; a drive root's
// contents are not listed, so only named sources are compared.
void FindTopLevelClashes(ScanResult& result) {
    std::map<std::wstring, const SourceItem*, NameLess> byName;
    for (const SourceItem& item : result.items) {
        const std::wstring& name = item.isFolder ? item.folderName : item.fileName;
        if (name.empty()) continue;
        auto [earlier, added] = byName.emplace(name, &item);
        if (!added) result.clashes.push_back({earlier->second->path, item.path});
    }
}

// Pre-order: a file's folder is the last one entered at the depth above it.
void PlanFolder(const std::wstring& source, const std::wstring& destination, CopyPlan& plan) {
    std::vector<uint32_t> folderAtDepth{static_cast<uint32_t>(plan.folders.size() - 1)};
    WalkTree(
        source,
        [&](const WalkEntry& entry) {
            std::wstring target = AppendPath(destination, entry.relative);
            if (entry.isFolder()) {
                folderAtDepth.resize(entry.depth + 2);
                folderAtDepth[entry.depth + 1] = static_cast<uint32_t>(plan.folders.size());
                plan.folders.push_back({entry.path, std::move(target)});
                return WalkNext::Continue;
            }
            uint64_t size = FileSize(entry.data);
            plan.tasks.push_back({entry.path, std::move(target), size, entry.data.dwFileAttributes,
                                  entry.data.ftLastWriteTime, folderAtDepth[entry.depth]});
            plan.totalBytes += size;
            ++plan.fileCount;
            return WalkNext::Continue;
        },
        [&](const std::wstring& path, const std::wstring& relative) {
            DWORD error = GetLastError();
            plan.unlisted.push_back({path, AppendPath(destination, relative), error});
            return WalkNext::Continue;
        },
        &plan.passedOver);
}

}  // namespace

ScanResult ScanSources(const std::vector<std::wstring>& paths) {
    ScanResult result;
    for (const std::wstring& given : paths) {
        SourceItem item;
        item.path = FullPath(given);
        std::wstring lp = LongPath(item.path);
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (item.path.empty() || !GetFileAttributesExW(lp.c_str(), GetFileExInfoStandard, &data)) {
            result.missing.push_back(item.path.empty() ? given : item.path);
            continue;
        }
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            item.isFolder = true;
            item.folderName = PathName(item.path);
            if (!IsDriveRoot(item.path)) CountFolder(item, result);
        } else {
            item.fileName = PathName(item.path);
            item.files = 1;
            item.bytes = FileSize(data);
            NoteIfLarge(item.path, item.bytes, result.largeFiles);
        }
        result.totalBytes += item.bytes;
        result.totalFiles += item.files;
        result.items.push_back(std::move(item));
    }
    FindTopLevelClashes(result);
    return result;
}

bool PlanSource(const std::wstring& given, const std::wstring& destinationRoot, CopyPlan& plan) {
    std::wstring source = TrimSeparators(given);
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(LongPath(source).c_str(), GetFileExInfoStandard, &data)) {
        DWORD error = GetLastError();
        JobLog(L"源不存在 %s", source.c_str());
        RecordFailure(
            {FailedStep::Read, error, source, AppendPath(destinationRoot, PathName(source)), {}});
        return false;
    }
    std::wstring destination = AppendPath(destinationRoot, PathName(source));
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        plan.folders.push_back({source, destination});
        PlanFolder(source, destination, plan);
        return true;
    }
    uint64_t size = FileSize(data);
    plan.tasks.push_back({source, destination, size, data.dwFileAttributes, data.ftLastWriteTime});
    plan.totalBytes += size;
    ++plan.fileCount;
    return true;
}

CopyPlan BuildPlan(const std::vector<std::wstring>& sources, const std::wstring& destinationRoot) {
    CopyPlan plan;
    for (const std::wstring& source : sources) PlanSource(source, destinationRoot, plan);
    return plan;
}

}  // namespace zrw
