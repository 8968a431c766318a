#include "tests/support/support.h"

#include <tlhelp32.h>

namespace zrw::test {

EnvGuard::EnvGuard(const wchar_t* name, const std::wstring& value) : name_(name) {
    SetEnvironmentVariableW(name, value.c_str());
}
EnvGuard::~EnvGuard() { SetEnvironmentVariableW(name_.c_str(), nullptr); }

std::vector<std::pair<std::wstring, std::string>> TreeDigest(const std::wstring& root) {
    std::vector<std::pair<std::wstring, std::string>> out;
    for (auto& [path, bytes] : TreeContents(root)) {
        uint64_t hash = 14695981039346656037ull;  // FNV-1a
        for (unsigned char c : bytes) hash = (hash ^ c) * 1099511628211ull;
        out.emplace_back(path, std::to_string(bytes.size()) + ":" + std::to_string(hash));
    }
    return out;
}

RobocopyHidden::RobocopyHidden(const std::wstring& replacement) {
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    // Put back under the name it has on disk, whatever its case.
    WIN32_FIND_DATAW fd;
    UniqueFind find(FindFirstFileW((std::wstring(system) + L"\\Robocopy.exe").c_str(), &fd));
    if (!find) return;
    path_ = std::wstring(system) + L"\\" + fd.cFileName;
    parked_ = std::wstring(system) + L"\\robocopy.exe.parked";
    hidden_ = MoveFileExW(path_.c_str(), parked_.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
    if (hidden_ && !replacement.empty()) CopyFileW(replacement.c_str(), path_.c_str(), FALSE);
}
RobocopyHidden::~RobocopyHidden() {
    if (hidden_) MoveFileExW(parked_.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING);
}

size_t CountRobocopyProcesses() {
    UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return 0;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    size_t count = 0;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
         more = Process32NextW(snapshot.get(), &entry))
        if (_wcsicmp(entry.szExeFile, L"robocopy.exe") == 0) ++count;
    return count;
}

void WriteMixedTree(const std::wstring& root) {
    std::string big(1536 * 1024 + 7, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>((i * 131 + i / 4099) & 0xFF);
    WriteBytesDeep(root + L"\\top.txt", "top level\r\n");
    WriteBytesDeep(root + L"\\empty.bin", "");
    WriteBytesDeep(root + L"\\big.bin", big);
    WriteBytesDeep(root + L"\\sub\\a.txt", "alpha");
    WriteBytesDeep(root + L"\\sub\\deeper\\deepest\\b.txt", "beta beta");
    WriteBytesDeep(root + L"\\照片 2024\\日本語 😀.txt", "cjk and emoji");
    CreateDirectoryW((root + L"\\empty folder").c_str(), nullptr);
}

}  // namespace zrw::test
