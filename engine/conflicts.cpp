// The classification of existing destination files and what each policy does with them.
#include "engine/conflicts.h"
#include "base/paths.h"
#include "base/walk.h"
#include "engine/copyfile.h"
#include "engine/safety.h"

#include <map>

namespace zrw {

namespace {

int64_t Ticks(const FILETIME& t) {
    return static_cast<int64_t>(Join64(t.dwHighDateTime, t.dwLowDateTime));
}

struct Listed {
    uint64_t size = 0;
    FILETIME lastWrite{};
    bool folder = false;
};

// One destination folder of the walk, listed on its first use.
struct DestinationFolder {
    std::wstring path;
    bool missing = false;
    bool listed = false;
    std::map<std::wstring, Listed, NameLess> entries;

    const Listed* Find(const std::wstring& name) {
        if (!listed && !missing) {
            listed = true;
            missing = !ListFolder(path, [&](const WIN32_FIND_DATAW& data) {
                entries[data.cFileName] = {FileSize(data), data.ftLastWriteTime,
                                           (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0};
                return true;
            });
        }
        auto found = entries.find(name);
        return found == entries.end() ? nullptr : &found->second;
    }
};

class Classifier {
public:
    Classifier(ConflictSummary& summary, bool coarse) : summary_(summary), coarse_(coarse) {}

    void Add(const std::wstring& target, uint64_t size, const FILETIME& written,
             const Listed& existing) {
        if (existing.folder) return;  // the copy of that file fails; nothing is replaced
        Existing kind = CompareExisting(size, written, existing.size, existing.lastWrite, coarse_);
        switch (kind) {
        case Existing::Same:
            ++summary_.same;
            summary_.sameBytes += size;
            return;
        case Existing::Newer: ++summary_.newer; break;
        case Existing::Older: ++summary_.older; break;
        case Existing::SameTimeOtherSize: ++summary_.sameTimeOtherSize; break;
        case Existing::None: return;
        }
        summary_.differing.push_back({target, size, existing.size, existing.lastWrite, kind});
    }

    void Folder(const SourceItem& item, const std::wstring& target) {
        // levels[d] is the destination folder of the entries at depth d.
        std::vector<DestinationFolder> levels(1);
        levels[0].path = target;
        WalkTree(
            item.path,
            [&](const WalkEntry& entry) {
                DestinationFolder& here = levels[entry.depth];
                const Listed* existing = here.Find(entry.data.cFileName);
                std::wstring path = AppendPath(target, entry.relative);
                if (entry.isFolder()) {
                    bool missing = !existing || !existing->folder;
                    levels.resize(entry.depth + 2);
                    levels[entry.depth + 1] = {path, missing, false, {}};
                } else if (existing) {
                    Add(path, FileSize(entry.data), entry.data.ftLastWriteTime, *existing);
                }
                return WalkNext::Continue;
            },
            [](const std::wstring&, const std::wstring&) { return WalkNext::Continue; });
    }

    void File(const SourceItem& item, const std::wstring& target) {
        WIN32_FILE_ATTRIBUTE_DATA source, existing;
        if (!GetFileAttributesExW(LongPath(target).c_str(), GetFileExInfoStandard, &existing) ||
            !GetFileAttributesExW(LongPath(item.path).c_str(), GetFileExInfoStandard, &source))
            return;
        Add(target, FileSize(source), source.ftLastWriteTime,
            {FileSize(existing), existing.ftLastWriteTime,
             (existing.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    }

private:
    ConflictSummary& summary_;
    bool coarse_;
};

}  // namespace

Existing CompareExisting(uint64_t sourceSize, const FILETIME& sourceTime, uint64_t destinationSize,
                         const FILETIME& destinationTime, bool coarseTimes) {
    bool sameTime = SameWriteTime(sourceTime, destinationTime, coarseTimes);
    if (sameTime)
        return sourceSize == destinationSize ? Existing::Same : Existing::SameTimeOtherSize;
    return Ticks(destinationTime) > Ticks(sourceTime) ? Existing::Newer : Existing::Older;
}

bool Overwrites(ConflictPolicy policy, Existing existing, bool move) {
    switch (existing) {
    case Existing::None: return false;
    case Existing::Same: return move;
    case Existing::Newer: return policy == ConflictPolicy::Replace;
    case Existing::Older:
    case Existing::SameTimeOtherSize:
        return policy == ConflictPolicy::Replace || policy == ConflictPolicy::Older;
    }
    return false;
}

bool KeepsBoth(ConflictPolicy policy, Existing existing, bool) {
    return policy == ConflictPolicy::KeepBoth && existing != Existing::None &&
           existing != Existing::Same;
}

std::wstring NumberedName(const std::wstring& name, unsigned number) {
    size_t dot = name.find_last_of(L'.');
    if (dot == 0 || dot == std::wstring::npos) dot = name.size();
    return name.substr(0, dot) + L" (" + std::to_wstring(number) + L")" + name.substr(dot);
}

std::wstring ReplacedLine(const std::wstring& target, uint64_t size, const FILETIME& lastWrite) {
    FILETIME local;
    SYSTEMTIME t{};
    FileTimeToLocalFileTime(&lastWrite, &local);
    FileTimeToSystemTime(&local, &t);
    wchar_t when[32];
    swprintf(when, 32, L"%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour,
             t.wMinute, t.wSecond);
    return L"替换 " + target + L" (旧的 " + std::to_wstring(size) + L" 字节, " + when + L")";
}

uint64_t BytesToWrite(uint64_t totalBytes, const ConflictSummary& summary, ConflictPolicy policy,
                      bool move) {
    uint64_t spared = move ? 0 : summary.sameBytes;
    for (const ExistingFile& file : summary.differing) {
        if (KeepsBoth(policy, file.kind, move)) continue;
        spared += Overwrites(policy, file.kind, move) ? file.size : file.sourceSize;
    }
    return totalBytes > spared ? totalBytes - spared : 0;
}

uint64_t ConflictSummary::Count(Existing kind) const {
    switch (kind) {
    case Existing::Same: return same;
    case Existing::Newer: return newer;
    case Existing::Older: return older;
    case Existing::SameTimeOtherSize: return sameTimeOtherSize;
    case Existing::None: return 0;
    }
    return 0;
}

ConflictSummary ClassifyConflicts(const std::vector<SourceItem>& items,
                                  const std::wstring& destination) {
    ConflictSummary summary;
    if (GetFileAttributesW(LongPath(destination).c_str()) == INVALID_FILE_ATTRIBUTES)
        return summary;
    std::vector<std::wstring> paths{destination};
    for (const SourceItem& item : items) paths.push_back(item.path);
    Classifier classifier(summary, AnyVolumeHasTwoSecondTimes(paths));
    for (const SourceItem& item : items) {
        std::wstring target = SourceTarget(item, destination);
        if (item.isFolder) classifier.Folder(item, target);
        else classifier.File(item, target);
    }
    return summary;
}

}  // namespace zrw
