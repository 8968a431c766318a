// The check after a robocopy run and the deletion of a move's verified sources.
#include "engine/settle.h"
#include "base/paths.h"
#include "base/walk.h"
#include "engine/conflicts.h"
#include "engine/copyfile.h"
#include "engine/failures.h"
#include "engine/joblog.h"
#include "engine/safety.h"

namespace zrw {

namespace {

struct Settling {
    bool move;
    bool coarseTimes;
    ConflictPolicy policy;
    SettleProgress& progress;
    SettleResult result;
};

bool CopyMatches(const WIN32_FILE_ATTRIBUTE_DATA& copy, uint64_t size, const FILETIME& written,
                 bool coarse) {
    return !(copy.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && FileSize(copy) == size &&
           SameWriteTime(copy.ftLastWriteTime, written, coarse);
}

void Keep(Settling& s, const wchar_t* line, const std::wstring& source, const std::wstring& target,
          DWORD error) {
    ++s.result.kept;
    JobLog(line, source.c_str());
    RecordFailure({FailedStep::DeleteSource, error, source, target, {}});
}

// A copy robocopy did not make: recorded, so that a retry takes that file.
void Missing(Settling& s, const std::wstring& source, const std::wstring& target) {
    ++s.result.missing;
    RecordFailure({FailedStep::Check, 0, source, target, {}});
}

void SettleFile(Settling& s, const std::wstring& source, uint64_t size, const FILETIME& written,
                const std::wstring& target) {
    ++s.progress.files;
    WIN32_FILE_ATTRIBUTE_DATA copy;
    if (!GetFileAttributesExW(LongPath(target).c_str(), GetFileExInfoStandard, &copy))
        return Missing(s, source, target);
    if (!CopyMatches(copy, size, written, s.coarseTimes)) {
        bool file = !(copy.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
        Existing kind =
            CompareExisting(size, written, FileSize(copy), copy.ftLastWriteTime, s.coarseTimes);
        if (file && !Overwrites(s.policy, kind, s.move)) ++s.result.skipped;
        else Missing(s, source, target);
        return;
    }
    if (!s.move) {
        ++s.result.done;
        return;
    }
    if (!FlushToDisk(target))
        return Keep(s, L"复制后在目标找不到同样大小的文件, 源没删 %s", source, target,
                    GetLastError());
    // A copy the check refuses keeps its source; the check names it.
    if (CopyCheck* check = g_copyCheck.load(); check && !check->Confirms(source, target)) {
        ++s.result.done;
        return;
    }
    CopiedState copied{FileSize(copy), copy.ftLastWriteTime, s.coarseTimes};
    DWORD error = 0;
    switch (DeleteSourceIfUnchanged(source, copied, &error)) {
    case SourceDeletion::Deleted: ++s.result.done; return;
    case SourceDeletion::Changed:
        return Keep(s, L"源在复制时或复制后变了, 没删(重跑一次会再搬) %s", source, target, 0);
    case SourceDeletion::Failed:
        return Keep(s, L"移动失败(已复制但删不掉源) %s", source, target, error);
    }
}

void SettleFolder(Settling& s, const std::wstring& source, const std::wstring& target) {
    std::vector<std::wstring> folders;
    WalkTree(
        source,
        [&](const WalkEntry& entry) {
            if (s.progress.cancel.load()) return WalkNext::Stop;
            if (entry.isFolder()) {
                folders.push_back(entry.path);
                return WalkNext::Continue;
            }
            SettleFile(s, entry.path, FileSize(entry.data), entry.data.ftLastWriteTime,
                       AppendPath(target, entry.relative));
            return WalkNext::Continue;
        },
        [&](const std::wstring& path, const std::wstring& relative) {
            DWORD error = GetLastError();
            s.result.unlisted = true;
            JobLog(L"读不了目录(里面的文件没复制) %s", path.c_str());
            RecordFailure({FailedStep::ListFolder, error, path, AppendPath(target, relative), {}});
            return WalkNext::Continue;
        });
    if (!s.move || s.progress.cancel.load()) return;
    for (auto it = folders.rbegin(); it != folders.rend(); ++it) RemoveEmptyFolder(*it);
    if (!RemoveEmptyFolder(source))
        JobLog(L"源目录没删净(里面有跳过/失败的文件, 留着更安全) %s", source.c_str());
}

}  // namespace

SettleResult SettleCopies(const std::vector<SourceItem>& sources, const std::wstring& destination,
                          bool move, ConflictPolicy policy, SettleProgress& progress) {
    std::vector<std::wstring> paths{destination};
    for (const SourceItem& source : sources) paths.push_back(source.path);
    bool coarse = AnyVolumeHasTwoSecondTimes(paths);
    SettleResult total;
    for (const SourceItem& source : sources) {
        if (progress.cancel.load()) break;
        Settling s{move && !(source.isFolder && IsProtectedLocation(source.path)),
                   coarse,
                   policy,
                   progress,
                   {}};
        std::wstring target = SourceTarget(source, destination);
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (source.isFolder) SettleFolder(s, source.path, target);
        else if (GetFileAttributesExW(LongPath(source.path).c_str(), GetFileExInfoStandard, &data))
            SettleFile(s, source.path, FileSize(data), data.ftLastWriteTime, target);
        else Missing(s, source.path, target);
        total.missing += s.result.missing;
        total.kept += s.result.kept;
        total.skipped += s.result.skipped;
        total.done += s.result.done;
        total.unlisted = total.unlisted || s.result.unlisted;
    }
    total.cancelled = progress.cancel.load();
    return total;
}

}  // namespace zrw
