// Source items and trees for the transfer tests.
#include "engine/scan.h"
#include "tests/support/support.h"

#include <tlhelp32.h>

namespace zrw::test {

EnvGuard::EnvGuard(const wchar_t* name, const wchar_t* value) : name_(name) {
    wchar_t buffer[32768];
    const DWORD n = GetEnvironmentVariableW(name, buffer, 32768);
    wasSet_ = n > 0 && n < 32768;
    if (wasSet_) saved_.assign(buffer, n);
    SetEnvironmentVariableW(name, value);
}
EnvGuard::~EnvGuard() {
    SetEnvironmentVariableW(name_.c_str(), wasSet_ ? saved_.c_str() : nullptr);
}

RegistryValue::RegistryValue(HKEY root, const std::wstring& key, const std::wstring& name,
                             const std::wstring& text, DWORD type)
    : root_(root), key_(key), name_(name) {
    Set(type, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

RegistryValue::RegistryValue(HKEY root, const std::wstring& key, const std::wstring& name,
                             DWORD value)
    : root_(root), key_(key), name_(name) {
    Set(REG_DWORD, &value, sizeof(value));
}

void RegistryValue::Set(DWORD type, const void* data, DWORD size) {
    const DWORD flags = RRF_RT_ANY | RRF_NOEXPAND;
    keyHad_ = KeyExists(root_, key_);
    DWORD bytes = 0;
    had_ = RegGetValueW(root_, key_.c_str(), name_.c_str(), flags, &savedType_, nullptr, &bytes) ==
           ERROR_SUCCESS;
    saved_.resize(bytes);
    if (had_)
        RegGetValueW(root_, key_.c_str(), name_.c_str(), flags, &savedType_, saved_.data(), &bytes);
    set_ = RegSetKeyValueW(root_, key_.c_str(), name_.c_str(), type, data, size) == ERROR_SUCCESS;
}

RegistryValue::~RegistryValue() {
    if (had_)
        RegSetKeyValueW(root_, key_.c_str(), name_.c_str(), savedType_, saved_.data(),
                        static_cast<DWORD>(saved_.size()));
    else RegDeleteKeyValueW(root_, key_.c_str(), name_.c_str());
    if (!keyHad_) RegDeleteKeyW(root_, key_.c_str());
}

std::vector<std::pair<std::wstring, std::string>> TreeDigest(const std::wstring& root) {
    std::vector<std::pair<std::wstring, std::string>> out;
    for (auto& [path, bytes] : TreeContents(root)) {
        uint64_t hash = 14695981039346656037ull;  // FNV-1a
        for (unsigned char c : bytes) hash = (hash ^ c) * 1099511628211ull;
        out.emplace_back(path, std::to_string(bytes.size()) + ":" + std::to_string(hash));
    }
    return out;
}

RobocopyHidden::RobocopyHidden() {
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    // Put back under the name it has on disk, whatever its case.
    WIN32_FIND_DATAW fd;
    UniqueFind find(FindFirstFileW((std::wstring(system) + L"\\Robocopy.exe").c_str(), &fd));
    if (!find) return;
    path_ = std::wstring(system) + L"\\" + fd.cFileName;
    parked_ = std::wstring(system) + L"\\robocopy.exe.parked";
    hidden_ = MoveFileExW(path_.c_str(), parked_.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}
RobocopyHidden::~RobocopyHidden() {
    if (hidden_) MoveFileExW(parked_.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING);
}

std::vector<DWORD> RobocopyChildren(DWORD parentPid) {
    std::vector<DWORD> children;
    UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    if (!snapshot) return children;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
         more = Process32NextW(snapshot.get(), &entry))
        if (entry.th32ParentProcessID == parentPid &&
            _wcsicmp(entry.szExeFile, L"robocopy.exe") == 0)
            children.push_back(entry.th32ProcessID);
    return children;
}

UniqueHandle WaitForRobocopyChild(DWORD parentPid, DWORD timeoutMs) {
    std::vector<DWORD> children;
    if (!WaitUntil([&] { return !(children = RobocopyChildren(parentPid)).empty(); }, timeoutMs))
        return UniqueHandle();
    return UniqueHandle(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, children.front()));
}

void SlowRobocopy::Elapse(int files) const {
    TempDir twin;
    WriteFiles(twin / L"src", files);
    RunProcess(QuoteArg(ToolExe(L"fake_robocopy")) + L" " + QuoteArg(twin / L"src") + L" " +
               QuoteArg(twin / L"dst") + L" /E /LOG+:\"" + (twin / L"log.txt") + L"\"");
}

namespace {

BOOL WINAPI RefuseRename(LPCWSTR, LPCWSTR, DWORD) {
    SetLastError(ERROR_NOT_SAME_DEVICE);
    return FALSE;
}

}  // namespace

RenamesRefused::RenamesRefused() : renamer_(g_rename, RefuseRename) {}

std::string Noise(size_t size, uint32_t seed) {
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 24);
    return bytes;
}

void WriteFiles(const std::wstring& folder, int count, size_t size) {
    for (int i = 0; i < count; ++i)
        WriteBytesDeep(folder + L"\\f" + std::to_wstring(i) + L".bin",
                       std::string(size, static_cast<char>('a' + i % 26)));
}

std::vector<std::wstring> WriteDeepTree(const std::wstring& root, size_t minLength,
                                        const std::wstring& step) {
    std::vector<std::wstring> files;
    for (std::wstring folder = root; folder.size() < minLength;) {
        folder += L"\\" + step;
        files.push_back(folder + L"\\数据.bin");
        size_t level = files.size();
        WriteBytesDeep(files.back(), std::string(100 + level, static_cast<char>('a' + level % 26)));
    }
    return files;
}

SourceItem FolderItem(const std::wstring& path, const std::wstring& name) {
    SourceItem item;
    item.path = path;
    item.folderName = name;
    item.isFolder = true;
    return item;
}

SourceItem FileItem(const std::wstring& path, const std::wstring& name) {
    SourceItem item;
    item.path = path;
    item.fileName = name;
    item.files = 1;
    return item;
}

void WriteMixedTree(const std::wstring& root) {
    WriteBytesDeep(root + L"\\top.txt", "top level\r\n");
    WriteBytesDeep(root + L"\\empty.bin", "");
    WriteBytesDeep(root + L"\\big.bin", Noise(1536 * 1024 + 7, 131));
    WriteBytesDeep(root + L"\\sub\\a.txt", "alpha");
    WriteBytesDeep(root + L"\\sub\\deeper\\deepest\\b.txt", "beta beta");
    WriteBytesDeep(root + L"\\照片 2024\\日本語 😀.txt", "cjk and emoji");
    CreateDirectoryW((root + L"\\empty folder").c_str(), nullptr);
}

}  // namespace zrw::test
