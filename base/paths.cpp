// Path text: separators, roots, parents, joins, the long-path form and the one full spelling.
#include "base/paths.h"

#include "base/win.h"

#include <algorithm>
#include <cwctype>
#include <vector>

namespace zrw {

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

size_t LastSeparator(const std::wstring& path) { return path.find_last_of(L"\\/"); }

bool StartsWithNoCase(const std::wstring& text, size_t at, const wchar_t* prefix) {
    size_t n = wcslen(prefix);
    return text.size() >= at + n && _wcsnicmp(text.c_str() + at, prefix, n) == 0;
}

bool IsDriveSpec(const std::wstring& text, size_t at) {
    return text.size() >= at + 2 && std::iswalpha(text[at]) && text[at + 1] == L':';
}

// The end of the component that starts at from, or the text's length.
size_t ComponentEnd(const std::wstring& path, size_t from) {
    size_t cut = path.find_first_of(L"\\/", from);
    return cut == std::wstring::npos ? path.size() : cut;
}

// "\\srv\share" from the server's first character: up to the share's end.
size_t ShareEnd(const std::wstring& path, size_t server) {
    size_t share = ComponentEnd(path, server);
    return share == path.size() ? share : ComponentEnd(path, share + 1);
}

// A component and the separator after it, when there is one.
size_t WithSeparator(const std::wstring& path, size_t end) {
    return end < path.size() ? end + 1 : end;
}

// Names that Windows takes for devices, in any folder, when a path is not literal.
bool IsDeviceName(const std::wstring& component) {
    std::wstring base = component.substr(0, component.find(L'.'));
    while (!base.empty() && base.back() == L' ') base.pop_back();
    static const wchar_t* const kDevices[] = {L"CON", L"PRN",    L"AUX",
                                              L"NUL", L"CONIN$", L"CONOUT$"};
    for (const wchar_t* device : kDevices)
        if (_wcsicmp(base.c_str(), device) == 0) return true;
    if (base.size() != 4 ||
        !(StartsWithNoCase(base, 0, L"COM") || StartsWithNoCase(base, 0, L"LPT")))
        return false;
    wchar_t digit = base[3];
    return (digit >= L'1' && digit <= L'9') || digit == L'\u00B9' || digit == L'\u00B2' ||
           digit == L'\u00B3';
}

// A component the plain spelling would change or read as something else.
bool ChangesWhenPlain(const std::wstring& component) {
    return component == L"." || component == L".." || component.back() == L'.' ||
           component.back() == L' ' || IsDeviceName(component);
}

std::vector<std::wstring> Components(const std::wstring& path, size_t from) {
    std::vector<std::wstring> parts;
    while (from < path.size()) {
        size_t end = ComponentEnd(path, from);
        if (end > from) parts.push_back(path.substr(from, end - from));
        from = end + 1;
    }
    return parts;
}

// The long spelling of a path whose entries exist, as the file system lists them.
bool LongNameOf(const std::wstring& path, std::wstring& expanded) {
    std::wstring buffer(32768, L'\0');
    std::wstring asked = path.size() < MAX_PATH ? path : LongPath(path);
    DWORD n = GetLongPathNameW(asked.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0 || n >= buffer.size()) return false;
    buffer.resize(n);
    expanded = std::move(buffer);
    return true;
}

// A short name ("REPO~QQM.TXT") names the same entry as its long name, so two
// spellings would pass every comparison by name. Only components with a "~"
// are replaced: generated short names always have one, and the rest keep the
// case they were given in (a case-sensitive folder may hold case twins).
std::wstring ExpandShortNames(const std::wstring& path) {
    if (path.find(L'~') == std::wstring::npos) return path;
    std::wstring head = path;
    std::wstring expanded;
    while (!LongNameOf(head, expanded)) {
        std::wstring up = PathParent(head);
        if (up == head || up.find(L'~') == std::wstring::npos) return path;
        head = std::move(up);
    }
    size_t root = RootLength(head);
    std::vector<std::wstring> given = Components(head, root);
    std::vector<std::wstring> found = Components(expanded, RootLength(expanded));
    if (given.size() != found.size()) return path;
    std::wstring result = TrimSeparators(head.substr(0, root));
    for (size_t i = 0; i < given.size(); ++i)
        result =
            AppendPath(result, given[i].find(L'~') == std::wstring::npos ? given[i] : found[i]);
    return result + path.substr(head.size());
}

std::wstring FullPlainPath(const std::wstring& path) {
    std::wstring tidy = CollapseSeparators(path);
    std::wstring buffer(32768, L'\0');
    DWORD n =
        GetFullPathNameW(tidy.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
    if (n == 0 || n >= buffer.size()) return TrimSeparators(tidy);
    buffer.resize(n);
    return TrimSeparators(CollapseSeparators(buffer));
}

}  // namespace

size_t RootLength(const std::wstring& path) {
    if (IsLiteralPath(path)) {
        if (IsDriveSpec(path, 4)) return WithSeparator(path, 6);
        if (StartsWithNoCase(path, 4, L"UNC\\")) return ShareEnd(path, 8);
        if (StartsWithNoCase(path, 4, L"GLOBALROOT\\")) {
            size_t device = ComponentEnd(path, 15);
            return device == path.size() ? device
                                         : WithSeparator(path, ComponentEnd(path, device + 1));
        }
        return WithSeparator(path, ComponentEnd(path, 4));
    }
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) return ShareEnd(path, 2);
    if (IsDriveSpec(path, 0)) return path.size() > 2 && IsSeparator(path[2]) ? 3 : 0;
    return 0;
}

bool IsLiteralPath(const std::wstring& path) { return path.rfind(L"\\\\?\\", 0) == 0; }

bool IsDriveRoot(const std::wstring& trimmed) {
    if ((trimmed.size() == 2 || trimmed.size() == 3) && trimmed[1] == L':') return true;
    return IsLiteralPath(trimmed) && !StartsWithNoCase(trimmed, 4, L"UNC\\") &&
           RootLength(trimmed) >= trimmed.size();
}

std::wstring TrimSeparators(std::wstring path) {
    size_t keep = std::max<size_t>(3, RootLength(path));
    while (path.size() > keep && IsSeparator(path.back())) path.pop_back();
    return path;
}

std::wstring LongPath(const std::wstring& path) {
    std::wstring p = path;
    for (wchar_t& c : p)
        if (c == L'/') c = L'\\';
    if (IsLiteralPath(p)) return p;
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
    if (cut == std::wstring::npos) return path;
    size_t root = RootLength(path);
    if (root == 0) return cut < 2 ? path : path.substr(0, cut);
    return path.substr(0, cut < root ? root : cut);
}

std::wstring AppendPath(const std::wstring& folder, const std::wstring& name) {
    if (!folder.empty() && IsSeparator(folder.back())) return folder + name;
    return folder + L"\\" + name;
}

bool MakeFolderTree(const std::wstring& path) {
    std::wstring trimmed = TrimSeparators(path);
    if (trimmed.empty()) return true;
    if (GetFileAttributesW(LongPath(trimmed).c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    std::wstring parent = PathParent(trimmed);
    if (parent != trimmed) MakeFolderTree(parent);
    if (CreateDirectoryW(LongPath(trimmed).c_str(), nullptr)) return true;
    return GetLastError() == ERROR_ALREADY_EXISTS;
}

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

std::wstring PlainEquivalent(const std::wstring& literal) {
    if (!IsLiteralPath(literal)) return {};
    std::wstring plain;
    if (IsDriveSpec(literal, 4) && literal.size() > 6) plain = literal.substr(4);
    else if (StartsWithNoCase(literal, 4, L"UNC\\")) plain = L"\\\\" + literal.substr(8);
    else return {};
    for (const std::wstring& component : Components(plain, RootLength(plain)))
        if (ChangesWhenPlain(component)) return {};
    return plain;
}

std::wstring FullPath(const std::wstring& path) {
    if (path.empty()) return path;
    // "\\.\C:\x" is a device path that Windows normalises like a plain one.
    if (path.size() > 5 && path.rfind(L"\\\\.\\", 0) == 0 && IsDriveSpec(path, 4))
        return FullPath(path.substr(4));
    if (!IsLiteralPath(path)) return ExpandShortNames(FullPlainPath(path));
    std::wstring literal = ExpandShortNames(TrimSeparators(CollapseSeparators(path)));
    std::wstring plain = PlainEquivalent(literal);
    return plain.empty() ? literal : plain;
}

int CompareNames(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) -
           CSTR_EQUAL;
}

}  // namespace zrw
