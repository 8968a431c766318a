// "check SHA256SUMS": every listed file read again, and the files the list lacks.
#include "app/lang.h"
#include "app/logdir.h"
#include "app/process.h"
#include "base/paths.h"
#include "base/walk.h"
#include "verify/hashlist.h"

#include <set>

namespace zrw {

namespace {

constexpr size_t kMaxSamples = 5;

// A listed path as a file: below the list's folder unless it names a drive
// or a share itself.
std::wstring ListedFile(const std::wstring& folder, const std::wstring& listed) {
    std::wstring path = CollapseSeparators(listed);
    bool absolute = (path.size() > 1 && path[1] == L':') || (!path.empty() && path[0] == L'\\');
    return absolute ? path : AppendPath(folder, path);
}

}  // namespace

HashCheck CheckHashList(const std::wstring& listFile) {
    HashCheck check;
    std::vector<HashLine> lines;
    if (!ReadHashList(listFile, lines)) return check;
    check.readable = true;
    std::wstring folder = PathParent(listFile);
    VerifyResult& result = check.result;
    std::set<std::wstring, NameLess> listed;
    for (const HashLine& line : lines) {
        if (result.aborted) break;
        std::wstring path = ListedFile(folder, line.path);
        listed.insert(CollapseSeparators(path));
        ++result.compared;
        Sha256Digest digest;
        FileReading reading;
        bool found = GetFileAttributesW(LongPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
        if (!found || !HashFile(path, digest, &reading) || digest != line.digest) {
            ++result.differing;
            if (result.samples.size() < kMaxSamples)
                result.samples.push_back(path + (found ? L"" : Tr(L"（不见了）")));
        }
        if (reading.cached) ++result.cachedFiles;
        VerifiedBytes += reading.bytes;
        if (VerifyProgressHook && !VerifyProgressHook(VerifiedBytes)) result.aborted = true;
    }
    std::wstring own = CollapseSeparators(listFile);
    WalkTree(
        folder,
        [&](const WalkEntry& entry) {
            if (entry.isFolder() || listed.contains(CollapseSeparators(entry.path)) ||
                CompareNames(CollapseSeparators(entry.path), own) == 0)
                return WalkNext::Continue;
            if (++check.unlisted <= kMaxSamples) check.unlistedSamples.push_back(entry.path);
            return WalkNext::Continue;
        },
        [](const std::wstring&, const std::wstring&) { return WalkNext::Continue; });
    return check;
}

std::wstring HashCheckSummary(const HashCheck& check) {
    std::wstring text = VerifySummary(check.result);
    if (check.unlisted == 0) return text;
    text += L"\n" + Tr(L"清单里没有的文件: ") + std::to_wstring(check.unlisted);
    for (const std::wstring& path : check.unlistedSamples) text += L"\n  " + path;
    return text;
}

int RunCheckMode(const std::wstring& listFile) {
    VerifiedBytes = 0;
    VerifyProgressHook = nullptr;
    HashCheck check = CheckHashList(listFile);
    if (!check.readable) {
        WriteStdErr(Tr(L"读不了哈希清单，或它不是 SHA256SUMS 的格式: ") + listFile + L"\n");
        return 2;
    }
    EnsureLogFolder();
    WriteVerifyReport(LogFolder(), HashCheckSummary(check));
    return check.result.differing > 0 ? 4 : 0;
}

}  // namespace zrw
