#include "robo/robo.h"

namespace zrw {

namespace {

// robocopy splits its command line by the C runtime's rules, where a
// backslash right before a quote escapes that quote: "D:\" would swallow the
// rest of the line. Doubling such a backslash hands robocopy exactly D:\.
std::wstring QuotePathArgument(const std::wstring& path) {
    if (!path.empty() && path.back() == L'\\') return Quote(path + L"\\");
    return Quote(path);
}

}  // namespace

std::wstring RobocopyPath() {
    wchar_t folder[MAX_PATH];
    UINT n = GetSystemDirectoryW(folder, MAX_PATH);
    // An empty path fails the existence test, so the user hears that robocopy
    // is missing; a bare file name could be found in the current folder.
    if (n == 0 || n >= MAX_PATH) return {};
    return std::wstring(folder, n) + L"\\Robocopy.exe";
}

std::wstring Quote(const std::wstring& text) { return L"\"" + text + L"\""; }

std::wstring ParentFolder(const std::wstring& path) {
    size_t cut = path.find_last_of(L"\\/");
    if (cut == std::wstring::npos) return L".";
    if (cut == 2 && path[1] == L':') return path.substr(0, 3);
    return path.substr(0, cut);
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
    return folder + L"\\" + name;
}

int RobocopyThreadCount(SeekPenalty target, SeekPenalty source) {
    return target == SeekPenalty::Yes || source == SeekPenalty::Yes ? 1 : 8;
}

std::wstring BuildRobocopyCommand(const SourceItem& source, const CopyJob& job) {
    std::wstring target = source.isFolder ? JoinPath(job.destination, source.folderName)
                                          : job.destination;
    std::wstring line = Quote(RobocopyPath());
    // A file name is a filter that /E would apply in every sub-folder: a file
    // source goes without it, so only that one file is copied or moved.
    if (source.isFolder) {
        line += L" " + QuotePathArgument(source.path) + L" " + QuotePathArgument(target) + L" /E";
    } else {
        line += L" " + QuotePathArgument(ParentFolder(source.path)) + L" " +
                QuotePathArgument(job.destination) + L" " + Quote(source.fileName);
    }
    int threads = RobocopyThreadCount(QuerySeekPenalty(target), QuerySeekPenalty(source.path));
    line += L" /XJ /SPARSE /COPY:DAT /DCOPY:DAT /R:1 /W:1 /MT:" + std::to_wstring(threads);
    line += L" /NFL /NDL /NP";
    // robocopy takes a destination file of the same size and time as done and
    // /MOVE deletes the source although its bytes may differ: moves copy those too.
    if (job.move && !IsProtectedLocation(source.path))
        line += source.isFolder ? L" /MOVE /IS /IT" : L" /MOV /IS /IT";
    line += L" /LOG+:" + QuotePathArgument(job.logPath);
    return line;
}

}  // namespace zrw
