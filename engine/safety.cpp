// The checks that keep a job off its own sources: protected places, overlaps, file identities.
#include "engine/safety.h"
#include "base/paths.h"
#include "engine/scan.h"

#include <algorithm>
#include <cwctype>
#include <map>

namespace zrw {

namespace {

bool LiesWithin(const std::wstring& inner, const std::wstring& outer) {
    if (inner.size() < outer.size()) return false;
    if (CompareNames(inner.substr(0, outer.size()), outer) != 0) return false;
    if (inner.size() == outer.size()) return true;
    return outer.back() == L'\\' || inner[outer.size()] == L'\\';
}

// One level up a full path; false at its root.
bool StepUp(std::wstring& path) {
    std::wstring up = PathParent(path);
    if (up == path) return false;
    path = std::move(up);
    return true;
}

UniqueFile OpenEntry(const std::wstring& path) {
    return UniqueFile(CreateFileW(LongPath(path).c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

bool QueryFileIdInfo(HANDLE file, FILE_ID_INFO& info) {
    return GetFileInformationByHandleEx(file, FileIdInfo, &info, sizeof(info)) != FALSE;
}

// A file system without IDs gives 0; an ID that cannot be established is all
// ones, in the 64-bit or the 128-bit width.
bool IsUnknownId(const uint8_t (&id)[16]) {
    auto all = [&](size_t from, size_t to, uint8_t value) {
        return std::all_of(id + from, id + to, [&](uint8_t b) { return b == value; });
    };
    return all(0, 16, 0) || (all(0, 8, 0xFF) && (all(8, 16, 0) || all(8, 16, 0xFF)));
}

bool ReadIdentityOf(HANDLE file, FileIdentity& identity) {
    identity = {};
    FILE_ID_INFO info{};
    if (g_readFileId(file, info)) {
        identity.volume = static_cast<uint32_t>(info.VolumeSerialNumber);
        std::copy(std::begin(info.FileId.Identifier), std::end(info.FileId.Identifier),
                  identity.id);
    } else {
        // File systems without 128-bit IDs answer the older query.
        BY_HANDLE_FILE_INFORMATION older;
        if (!GetFileInformationByHandle(file, &older)) return false;
        identity.volume = older.dwVolumeSerialNumber;
        uint64_t index = Join64(older.nFileIndexHigh, older.nFileIndexLow);
        std::copy_n(reinterpret_cast<const uint8_t*>(&index), sizeof(index), identity.id);
    }
    if (!IsUnknownId(identity.id)) return true;
    identity.finalPath = FinalPathOf(file);
    return !identity.finalPath.empty();
}

// Identities of a folder and of every folder above it, looked up once per
// folder (the sources of one selection share their parent, and every target
// shares the destination). The climb starts where the nearest existing folder
// really is: a link on the way leads into its target's tree.
class AncestorChains {
public:
    bool Contains(const std::wstring& folder, const FileIdentity& wanted) {
        auto found = chains_.find(folder);
        if (found == chains_.end()) found = chains_.emplace(folder, Collect(folder)).first;
        const std::vector<FileIdentity>& chain = found->second;
        return std::find(chain.begin(), chain.end(), wanted) != chain.end();
    }

private:
    static std::vector<FileIdentity> Collect(std::wstring path) {
        std::vector<FileIdentity> chain;
        UniqueFile entry = OpenEntry(path);
        while (!entry && StepUp(path)) entry = OpenEntry(path);
        if (!entry) return chain;
        FileIdentity identity;
        if (ReadIdentityOf(entry.get(), identity)) chain.push_back(identity);
        std::wstring real = FinalPathOf(entry.get());
        if (real.empty()) real = path;
        while (StepUp(real))
            if (ReadIdentity(real, identity)) chain.push_back(identity);
        return chain;
    }
    std::map<std::wstring, std::vector<FileIdentity>, NameLess> chains_;
};

bool IsReparsePoint(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(LongPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Nothing lies inside a file: a file source whose target does not exist yet
// cannot overlap it, which spares a long selection two reads per file.
Overlap FindOverlapWith(const std::wstring& source, bool sourceIsFolder, const std::wstring& target,
                        AncestorChains& chains) {
    if (LiesWithin(target, source))
        return target.size() == source.size() ? Overlap::TargetIsSource
                                              : Overlap::TargetInsideSource;
    if (LiesWithin(source, target)) return Overlap::SourceInsideTarget;
    FileIdentity sourceIdentity, targetIdentity;
    bool targetExists = ReadIdentity(target, targetIdentity);
    if (!targetExists && !sourceIsFolder) return Overlap::None;
    if (!ReadIdentity(source, sourceIdentity)) return Overlap::None;
    if (targetExists && targetIdentity == sourceIdentity) return Overlap::TargetIsSource;
    // A target that is itself a link climbs from where it leads.
    std::wstring climbFrom = targetExists && IsReparsePoint(target) ? target : PathParent(target);
    if (chains.Contains(climbFrom, sourceIdentity)) return Overlap::TargetInsideSource;
    std::wstring sourceParent = PathParent(source);
    if (targetExists && sourceParent != source && chains.Contains(sourceParent, targetIdentity))
        return Overlap::SourceInsideTarget;
    return Overlap::None;
}

std::wstring Upper(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towupper(c));
    return text;
}

std::wstring Environment(const wchar_t* name) {
    wchar_t value[MAX_PATH];
    DWORD n = GetEnvironmentVariableW(name, value, MAX_PATH);
    return n == 0 || n >= MAX_PATH ? std::wstring() : std::wstring(value, n);
}

// The system's folders where they really are, looked up once: a second drive
// letter or a share that reaches one of them is caught by its identity.
const std::vector<FileIdentity>& SystemFolderIdentities() {
    static const std::vector<FileIdentity> identities = [] {
        std::vector<FileIdentity> found;
        std::wstring users = Environment(L"PUBLIC");
        if (!users.empty()) StepUp(users);
        for (const std::wstring& folder :
             {Environment(L"SystemRoot"), Environment(L"ProgramFiles"),
              Environment(L"ProgramFiles(x86)"), Environment(L"ProgramData"), users}) {
            FileIdentity identity;
            if (!folder.empty() && ReadIdentity(folder, identity)) found.push_back(identity);
        }
        return found;
    }();
    return identities;
}

}  // namespace

FileIdReader g_readFileId = QueryFileIdInfo;

bool FileIdentity::operator==(const FileIdentity& other) const {
    if (finalPath.empty() && other.finalPath.empty())
        return volume == other.volume && std::equal(std::begin(id), std::end(id), other.id);
    return !finalPath.empty() && !other.finalPath.empty() &&
           CompareNames(finalPath, other.finalPath) == 0;
}

bool ReadIdentity(const std::wstring& path, FileIdentity& identity) {
    UniqueFile file = OpenEntry(path);
    return file && ReadIdentityOf(file.get(), identity);
}

std::wstring FinalPathOf(HANDLE file) {
    std::wstring buffer(32768, L'\0');
    auto query = [&](DWORD volumeName) {
        return GetFinalPathNameByHandleW(file, buffer.data(), static_cast<DWORD>(buffer.size()),
                                         FILE_NAME_NORMALIZED | volumeName);
    };
    // A volume without a drive letter has only its GUID name.
    DWORD n = query(VOLUME_NAME_DOS);
    if (n == 0 || n >= buffer.size()) n = query(VOLUME_NAME_GUID);
    if (n == 0 || n >= buffer.size()) return {};
    buffer.resize(n);
    return FullPath(buffer);
}

std::wstring SourceTarget(const SourceItem& source, const std::wstring& destination) {
    const std::wstring& folder = source.landsIn.empty() ? destination : source.landsIn;
    const std::wstring& name = source.isFolder ? source.folderName : source.fileName;
    return name.empty() ? folder : AppendPath(folder, name);
}

Overlap FindOverlap(const std::wstring& source, const std::wstring& target) {
    AncestorChains chains;
    return FindOverlapWith(source, true, target, chains);
}

bool IsProtectedLocation(const std::wstring& path) {
    std::wstring p = Upper(FullPath(path));
    if (IsDriveRoot(p)) return true;
    static const wchar_t* const kProtected[] = {
        L"C:\\WINDOWS", L"C:\\PROGRAM FILES", L"C:\\PROGRAM FILES (X86)",
        L"C:\\USERS",   L"C:\\PROGRAMDATA",   L"C:\\"};
    for (const wchar_t* entry : kProtected)
        if (p == entry) return true;
    FileIdentity identity;
    if (!ReadIdentity(p, identity)) return false;
    const std::vector<FileIdentity>& system = SystemFolderIdentities();
    return std::find(system.begin(), system.end(), identity) != system.end();
}

std::vector<Refusal> CheckSources(const std::vector<SourceItem>& items,
                                  const std::vector<NameClash>& clashes,
                                  const std::wstring& destination) {
    std::vector<Refusal> refusals;
    AncestorChains chains;
    for (const SourceItem& item : items) {
        std::wstring target = SourceTarget(item, destination);
        if (FindOverlapWith(item.path, item.isFolder, target, chains) != Overlap::None)
            refusals.push_back({Refusal::Kind::Overlap, item.path, target});
    }
    for (const NameClash& clash : clashes)
        refusals.push_back({Refusal::Kind::Clash, clash.first, clash.second});
    return refusals;
}

std::wstring RefusalLine(const Refusal& refusal) {
    if (refusal.kind == Refusal::Kind::Clash)
        return L"两个源会落到目标的同一位置(后一个会盖掉前一个), 什么都没动 " + refusal.first +
               L" | " + refusal.second;
    return L"目标和源重叠(目标在源里面, 或源在目标里面), 什么都没动 " + refusal.first + L" -> " +
           refusal.second;
}

}  // namespace zrw
