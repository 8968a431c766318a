#include "engine/engine.h"

#include <cwctype>

namespace zrw {

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

size_t LastSeparator(const std::wstring& path) { return path.find_last_of(L"\\/"); }

}  // namespace

bool IsDriveRoot(const std::wstring& trimmed) {
    return (trimmed.size() == 2 || trimmed.size() == 3) && trimmed[1] == L':';
}

std::wstring TrimSeparators(std::wstring path) {
    while (path.size() > 3 && IsSeparator(path.back())) path.pop_back();
    return path;
}

std::wstring LongPath(const std::wstring& path) {
    std::wstring p = path;
    for (wchar_t& c : p)
        if (c == L'/') c = L'\\';
    if (p.rfind(L"\\\\?\\", 0) == 0) return p;
    if (p.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + p.substr(2);
    if (p.size() > 1 && p[1] == L':') return L"\\\\?\\" + p;
    return p;
}

std::wstring PathName(const std::wstring& path) {
    std::wstring trimmed = TrimSeparators(path);
    if (IsDriveRoot(trimmed)) return {};
    size_t cut = LastSeparator(trimmed);
    return cut == std::wstring::npos ? trimmed : trimmed.substr(cut + 1);
}

std::wstring PathParent(const std::wstring& path) {
    size_t cut = LastSeparator(path);
    if (cut == std::wstring::npos || cut < 2) return path;
    return path.substr(0, cut);
}

std::wstring AppendPath(const std::wstring& folder, const std::wstring& name) {
    if (!folder.empty() && IsSeparator(folder.back())) return folder + name;
    return folder + L"\\" + name;
}

bool MakeFolderTree(const std::wstring& path) {
    std::wstring trimmed = TrimSeparators(path);
    if (trimmed.empty()) return true;
    if (GetFileAttributesW(LongPath(trimmed).c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    size_t cut = LastSeparator(trimmed);
    if (cut != std::wstring::npos && cut >= 3) MakeFolderTree(trimmed.substr(0, cut));
    if (CreateDirectoryW(LongPath(trimmed).c_str(), nullptr)) return true;
    return GetLastError() == ERROR_ALREADY_EXISTS;
}

bool IsProtectedLocation(const std::wstring& path) {
    std::wstring p = TrimSeparators(path);
    for (wchar_t& c : p) c = static_cast<wchar_t>(std::towupper(c));
    if (IsDriveRoot(p)) return true;
    static const wchar_t* const kProtected[] = {
        L"C:\\WINDOWS", L"C:\\PROGRAM FILES", L"C:\\PROGRAM FILES (X86)",
        L"C:\\USERS",   L"C:\\PROGRAMDATA",   L"C:\\"};
    for (const wchar_t* entry : kProtected)
        if (p == entry) return true;
    return false;
}

}  // namespace zrw
