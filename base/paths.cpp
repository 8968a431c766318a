// Path text: separators, drive roots, parents, joins and the long-path form.
#include "base/paths.h"

#include "base/win.h"

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

namespace {

// "\\?\C:\x" and "\\?\UNC\srv\x" back to their plain forms: the long-path
// form switches off "." and ".." handling, and it goes on again at each call.
std::wstring WithoutLongPrefix(std::wstring path) {
    if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) return L"\\\\" + path.substr(8);
    if (path.rfind(L"\\\\?\\", 0) == 0) return path.substr(4);
    return path;
}

}  // namespace

std::wstring CollapseSeparators(const std::wstring& path) {
    std::wstring tidy;
    tidy.reserve(path.size());
    for (size_t i = 0; i < path.size(); ++i) {
        wchar_t c = path[i] == L'/' ? L'\\' : path[i];
        if (c == L'\\' && i >= 2 && tidy.back() == L'\\') continue;
        tidy += c;
    }
    return tidy;
}

std::wstring FullPath(const std::wstring& path) {
    if (path.empty()) return path;
    std::wstring tidy = CollapseSeparators(WithoutLongPrefix(CollapseSeparators(path)));
    std::wstring buffer(32768, L'\0');
    DWORD n =
        GetFullPathNameW(tidy.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
    if (n == 0 || n >= buffer.size()) return TrimSeparators(tidy);
    buffer.resize(n);
    return TrimSeparators(CollapseSeparators(buffer));
}

int CompareNames(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) -
           CSTR_EQUAL;
}

}  // namespace zrw
