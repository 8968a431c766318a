// Path text as the program spells it: joins, parents, roots, long-path
// prefixes, the one full spelling, and names compared as Windows compares them.
#ifndef ZERROW_BASE_PATHS_H
#define ZERROW_BASE_PATHS_H

#include <string>

namespace zrw {

// The part of a full path that cannot be trimmed or climbed: "C:\",
// "\\srv\share", "\\?\C:\", "\\?\UNC\srv\share", "\\?\Volume{…}\",
// "\\?\GLOBALROOT\Device\Name\". Its length; 0 for a relative path.
size_t RootLength(const std::wstring& path);
// Trailing separators go, but never the root's own.
std::wstring TrimSeparators(std::wstring path);
std::wstring LongPath(const std::wstring& path);
// A path in the "\\?\" form: taken literally by Windows, without "." and ".."
// handling and with trailing dots and spaces kept.
bool IsLiteralPath(const std::wstring& path);
// Last component after trimming; empty for a volume root ("X:", "X:\\",
// "\\?\X:\", "\\?\Volume{…}\").
std::wstring PathName(const std::wstring& path);
// The folder that holds a full path: the text before its last separator, or
// the root (with its separator) for an entry of the root; the path itself
// when it has no separator.
std::wstring PathParent(const std::wstring& path);
bool IsDriveRoot(const std::wstring& trimmed);
std::wstring AppendPath(const std::wstring& folder, const std::wstring& name);
bool MakeFolderTree(const std::wstring& path);
// Backslashes only, and no runs of them after the first two characters (a
// share keeps its leading pair).
std::wstring CollapseSeparators(const std::wstring& path);
// The one spelling of a path, made where it enters the program: full, with
// "." and ".." resolved, short (8.3) names of existing entries expanded,
// backslashes only, no doubled separators, trailing separators trimmed. A
// literal path stays literal, only tidied, unless the plain spelling means
// exactly the same. Empty stays empty.
std::wstring FullPath(const std::wstring& path);
// The plain spelling ("C:\x", "\\srv\share\x") of a literal path when Windows
// would take that for the very same path; empty when it would not (a name
// ending in a dot or a space, "." or "..", a device name, a volume without a
// letter).
std::wstring PlainEquivalent(const std::wstring& literal);
// Names compared as Windows compares them: ordinal, ignoring case.
int CompareNames(const std::wstring& a, const std::wstring& b);
struct NameLess {
    bool operator()(const std::wstring& a, const std::wstring& b) const {
        return CompareNames(a, b) < 0;
    }
};

}  // namespace zrw

#endif
