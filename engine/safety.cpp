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

// One level up a full path; false at a drive root or a share.
bool StepUp(std::wstring& path) {
    size_t cut = path.find_last_of(L'\\');
    if (cut == std::wstring::npos || cut + 1 == path.size()) return false;
    std::wstring up = path.substr(0, cut);
    if (up.size() == 2 && up[1] == L':') up += L'\\';
    if (up.rfind(L"\\\\", 0) == 0 && std::count(up.begin(), up.end(), L'\\') < 4) return false;
    path = std::move(up);
    return true;
}

// Identities of a folder and its existing ancestors, looked up once per
// folder: the sources of one selection share their parent, and every target
// shares the destination.
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
        do {
            FileIdentity identity;
            if (ReadIdentity(path, identity)) chain.push_back(identity);
        } while (StepUp(path));
        return chain;
    }
    std::map<std::wstring, std::vector<FileIdentity>, NameLess> chains_;
};

// The folder above a full path, or empty at a drive root or a share.
std::wstring Above(std::wstring path) { return StepUp(path) ? path : std::wstring(); }

Overlap FindOverlapWith(const std::wstring& source, const std::wstring& target,
                        AncestorChains& chains) {
    if (LiesWithin(target, source))
        return target.size() == source.size() ? Overlap::TargetIsSource
                                              : Overlap::TargetInsideSource;
    if (LiesWithin(source, target)) return Overlap::SourceInsideTarget;
    FileIdentity sourceIdentity, targetIdentity;
    if (!ReadIdentity(source, sourceIdentity)) return Overlap::None;
    bool targetExists = ReadIdentity(target, targetIdentity);
    if (targetExists && targetIdentity == sourceIdentity) return Overlap::TargetIsSource;
    std::wstring targetParent = Above(target);
    if (!targetParent.empty() && chains.Contains(targetParent, sourceIdentity))
        return Overlap::TargetInsideSource;
    std::wstring sourceParent = Above(source);
    if (targetExists && !sourceParent.empty() && chains.Contains(sourceParent, targetIdentity))
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

bool ReadIdentity(const std::wstring& path, FileIdentity& identity) {
    UniqueFile file(CreateFileW(LongPath(path).c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file) return false;
    FILE_ID_INFO info{};
    if (GetFileInformationByHandleEx(file.get(), FileIdInfo, &info, sizeof(info))) {
        identity.volume = info.VolumeSerialNumber;
        std::copy(std::begin(info.FileId.Identifier), std::end(info.FileId.Identifier),
                  identity.id);
        return true;
    }
    // File systems without 128-bit IDs answer the older query.
    BY_HANDLE_FILE_INFORMATION older;
    if (!GetFileInformationByHandle(file.get(), &older)) return false;
    identity = {};
    identity.volume = older.dwVolumeSerialNumber;
    uint64_t index = Join64(older.nFileIndexHigh, older.nFileIndexLow);
    std::copy_n(reinterpret_cast<const uint8_t*>(&index), sizeof(index), identity.id);
    return true;
}

std::wstring SourceTarget(const SourceItem& source, const std::wstring& destination) {
    const std::wstring& name = source.isFolder ? source.folderName : source.fileName;
    return name.empty() ? destination : AppendPath(destination, name);
}

Overlap FindOverlap(const std::wstring& source, const std::wstring& target) {
    AncestorChains chains;
    return FindOverlapWith(source, target, chains);
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
        if (FindOverlapWith(item.path, target, chains) != Overlap::None)
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
