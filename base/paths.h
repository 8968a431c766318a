// Path text as the program spells it: joins, parents, long-path prefixes,
// the one full spelling, and names compared as Windows compares them.
#ifndef ZERROW_BASE_PATHS_H
#define ZERROW_BASE_PATHS_H

#include <string>

namespace zrw {

std::wstring TrimSeparators(std::wstring path);
std::wstring LongPath(const std::wstring& path);
// Last component after trimming; empty for a drive root ("X:" or "X:\\").
std::wstring PathName(const std::wstring& path);
// Text before the last separator when that is at index 2 or later, else the path.
std::wstring PathParent(const std::wstring& path);
bool IsDriveRoot(const std::wstring& trimmed);
std::wstring AppendPath(const std::wstring& folder, const std::wstring& name);
bool MakeFolderTree(const std::wstring& path);
// Backslashes only, and no runs of them after the first two characters (a
// share keeps its leading pair).
std::wstring CollapseSeparators(const std::wstring& path);
// The one spelling of a path, made where it enters the program: full, with
// "." and ".." resolved, backslashes only, no long-path prefix, no doubled
// separators, trailing separators trimmed. Empty stays empty.
std::wstring FullPath(const std::wstring& path);
// Names compared as Windows compares them: ordinal, ignoring case.
int CompareNames(const std::wstring& a, const std::wstring& b);
struct NameLess {
    bool operator()(const std::wstring& a, const std::wstring& b) const {
        return CompareNames(a, b) < 0;
    }
};

}  // namespace zrw

#endif
