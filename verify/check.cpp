// "check SHA256SUMS": every listed file read again, and the files the list lacks.
#include "app/lang.h"
#include "app/logdir.h"
#include "app/process.h"
#include "base/paths.h"
#include "base/walk.h"
#include "engine/driver.h"
#include "verify/hashlist.h"
#include "verify/pipeline.h"

#include <deque>
#include <set>

namespace zrw {

namespace {

// A listed path as a file: below the list's folder unless it names a drive
// or a share itself.
std::wstring ListedFile(const std::wstring& folder, const std::wstring& listed) {
    std::wstring path = CollapseSeparators(listed);
    bool absolute = (path.size() > 1 && path[1] == L':') || (!path.empty() && path[0] == L'\\');
    return absolute ? path : AppendPath(folder, path);
}

// The listed files are read on the engine's worker count and judged in the
// list's order, each against the digest the list gives it.
class ListedFiles {
public:
    ListedFiles(VerifyResult& result, int workers)
        : result_(result),
          pipeline_(workers, false, true),
          inFlight_(2 * static_cast<size_t>(workers)) {}

    bool Check(const std::wstring& path, const Sha256Digest& listed) {
        expected_.push_back(listed);
        pipeline_.Submit({}, path);
        return Drain(inFlight_);
    }
    // Judges finished files until no more than keep are pending.
    bool Drain(size_t keep = 0) {
        if (!result_.aborted)
            pipeline_.ReportUntil(keep,
                                  [this](const std::wstring& path, const FileOutcome& outcome) {
                                      return Judge(path, outcome);
                                  });
        return !result_.aborted;
    }

private:
    bool Judge(const std::wstring& path, const FileOutcome& outcome) {
        Sha256Digest listed = expected_.front();
        expected_.pop_front();
        ++result_.compared;
        if (!outcome.hashed || outcome.digest != listed) {
            ++result_.differing;
            bool found = GetFileAttributesW(LongPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
            AddSample(result_, path + (found ? L"" : Tr(L"（不见了）")));
        }
        if (outcome.cached) ++result_.cachedFiles;
        if (!CountVerifiedBytes(outcome.bytes)) result_.aborted = true;
        return !result_.aborted;
    }

    VerifyResult& result_;
    FilePipeline pipeline_;
    const size_t inFlight_;
    std::deque<Sha256Digest> expected_;  // of the pending files, in the list's order
};

}  // namespace

HashCheck CheckHashList(const std::wstring& listFile) {
    HashCheck check;
    std::vector<HashLine> lines;
    if (!ReadHashList(listFile, lines)) return check;
    check.readable = true;
    std::wstring folder = PathParent(listFile);
    std::set<std::wstring, NameLess> listed;
    {
        ListedFiles files(check.result, ThreadCountFor({folder}, folder));
        for (const HashLine& line : lines) {
            std::wstring path = ListedFile(folder, line.path);
            listed.insert(CollapseSeparators(path));
            if (!files.Check(path, line.digest)) break;
        }
        files.Drain();
    }
    std::wstring own = CollapseSeparators(listFile);
    WalkTree(
        folder,
        [&](const WalkEntry& entry) {
            if (entry.isFolder() || listed.contains(CollapseSeparators(entry.path)) ||
                CompareNames(CollapseSeparators(entry.path), own) == 0)
                return WalkNext::Continue;
            if (++check.unlisted <= kVerifySamples) check.unlistedSamples.push_back(entry.path);
            return WalkNext::Continue;
        },
        [](const std::wstring&, const std::wstring&) { return WalkNext::Continue; });
    return check;
}

std::wstring ReportHashCheck(const HashCheck& check, const std::wstring& listFile) {
    if (!check.readable) return Tr(L"读不了哈希清单，或它不是 SHA256SUMS 的格式: ") + listFile;
    std::wstring text = VerifySummary(check.result);
    if (check.unlisted > 0) {
        text += L"\n" + Tr(L"清单里没有的文件: ") + std::to_wstring(check.unlisted);
        for (const std::wstring& path : check.unlistedSamples) text += L"\n  " + path;
    }
    EnsureLogFolder();
    WriteVerifyReport(LogFolder(), text);
    return text;
}

int RunCheckMode(const std::wstring& listFile) {
    VerifiedBytes = 0;
    VerifyProgressHook = nullptr;
    HashCheck check = CheckHashList(listFile);
    std::wstring report = ReportHashCheck(check, listFile);
    if (!check.readable) {
        WriteStdErr(report + L"\n");
        return 2;
    }
    return check.result.differing > 0 ? 4 : 0;
}

}  // namespace zrw
