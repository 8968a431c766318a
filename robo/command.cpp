// robocopy's command line: its path, quoting by its own rules, switches per source.
#include "app/logdir.h"
#include "base/paths.h"
#include "base/process.h"
#include "engine/driver.h"
#include "engine/safety.h"
#include "engine/scan.h"
#include "robo/robo.h"

#include <algorithm>

namespace zrw {

namespace {

// robocopy splits its command line by the system's rules, where a run of
// backslashes right before a quote is halved and an odd one escapes the
// quote: "D:\" would swallow the rest of the line. Doubling the whole run
// hands robocopy exactly the path. A literal path goes in its plain spelling
// wherever that means the same.
std::wstring QuotePathArgument(const std::wstring& path) {
    std::wstring plain = PlainEquivalent(path);
    const std::wstring& given = plain.empty() ? path : plain;
    size_t run = given.size() - std::min(given.size(), given.find_last_not_of(L'\\') + 1);
    return Quote(given + std::wstring(run, L'\\'));
}

// A process start takes 32,767 characters; the rest is left for robocopy's
// own path and the switches.
constexpr size_t kMaxNamesLength = 30000;

// Files of one folder that go into one folder.
bool SameFolder(const SourceItem& a, const SourceItem& b) {
    return !a.isFolder && !b.isFolder &&
           CompareNames(ParentFolder(a.path), ParentFolder(b.path)) == 0 &&
           CompareNames(a.landsIn, b.landsIn) == 0;
}

// The exit code of a process that ends within the time; one that does not
// is ended, and has none.
std::optional<DWORD> ExitCodeWithin(HANDLE process, DWORD ms) {
    DWORD code = 0;
    if (WaitForSingleObject(process, ms) == WAIT_OBJECT_0 && GetExitCodeProcess(process, &code))
        return code;
    if (TerminateProcess(process, kRobocopyFatal)) WaitForSingleObject(process, ms);
    return std::nullopt;
}

}  // namespace

bool SparseSwitchKnown(std::optional<DWORD> probeExitCode) {
    return probeExitCode && *probeExitCode < kRobocopyFatal;
}

// A list-only run (/L) over an empty folder of its own: robocopy copies and
// makes nothing, so only an unknown switch can fail it.
std::optional<DWORD> ProbeSparseSwitch(const std::wstring& robocopy) {
    constexpr DWORD kProbeWaitMs = 5000;
    EnsureLogFolder();
    const std::wstring folder =
        LogFolder() + L"\\sparse-probe-" + std::to_wstring(GetCurrentProcessId());
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return std::nullopt;
    StartedProcess probe =
        StartHiddenProcess(robocopy, Quote(robocopy) + L" " + QuotePathArgument(folder) + L" " +
                                         QuotePathArgument(folder + L"\\to") + L" /L /SPARSE");
    std::optional<DWORD> exitCode;
    if (probe.process) exitCode = ExitCodeWithin(probe.process.get(), kProbeWaitMs);
    RemoveDirectoryW(folder.c_str());
    return exitCode;
}

// Asked once per process: the answer cannot change while the program runs.
// A robocopy that cannot be asked goes without the switch, which only costs
// the sparse state of sparse files.
bool RobocopyKnowsSparse() {
    static const bool known = SparseSwitchKnown(ProbeSparseSwitch(RobocopyPath()));
    return known;
}

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
    size_t root = RootLength(path);
    return path.substr(0, root > 0 && cut < root ? root : cut);
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
    return folder + L"\\" + name;
}

int RobocopyThreadCount(SeekPenalty target, SeekPenalty source) {
    return target == SeekPenalty::Yes || source == SeekPenalty::Yes ? 1 : 8;
}

std::wstring ConflictSwitches(ConflictPolicy policy) {
    switch (policy) {
    case ConflictPolicy::Older: return L" /XO";
    case ConflictPolicy::Skip: return L" /XC /XN /XO";
    default: return L"";
    }
}

size_t RobocopyRunLength(std::span<const SourceItem> sources) {
    size_t count = 1, length = sources.front().fileName.size() + 3;
    while (count < sources.size() && SameFolder(sources.front(), sources[count])) {
        length += sources[count].fileName.size() + 3;
        if (length > kMaxNamesLength) break;
        ++count;
    }
    return count;
}

std::wstring BuildRobocopyCommand(std::span<const SourceItem> sources, const RobocopyRun& run) {
    const SourceItem& source = sources.front();
    // A drive root lands in the destination itself, not in destination\"".
    std::wstring folder = source.landsIn.empty() ? run.destination : source.landsIn;
    std::wstring target = source.isFolder ? SourceTarget(source, folder) : folder;
    std::wstring line = Quote(RobocopyPath());
    // A file name is a filter that /E would apply in every sub-folder: file
    // sources go without it, so only those files are copied.
    if (source.isFolder) {
        line += L" " + QuotePathArgument(source.path) + L" " + QuotePathArgument(target) + L" /E";
    } else {
        line +=
            L" " + QuotePathArgument(ParentFolder(source.path)) + L" " + QuotePathArgument(folder);
        for (const SourceItem& file : sources) line += L" " + Quote(file.fileName);
    }
    int threads = RobocopyThreadCount(QuerySeekPenalty(target), QuerySeekPenalty(source.path));
    line += RobocopyKnowsSparse() ? L" /XJ /SPARSE" : L" /XJ";
    line += L" /COPY:DAT /DCOPY:DAT /R:1 /W:1 /MT:" + std::to_wstring(threads);
    line += L" /NFL /NDL /NP";
    // robocopy takes a destination file of the same size and time as done,
    // but the source is about to be deleted: a move copies those too.
    if (run.move && !(source.isFolder && IsProtectedLocation(source.path))) line += L" /IS /IT";
    line += ConflictSwitches(run.conflict);
    if (run.maxFileSize != UINT64_MAX) line += L" /MAX:" + std::to_wstring(run.maxFileSize);
    line += L" /LOG+:" + QuotePathArgument(run.logPath);
    return line;
}

}  // namespace zrw
