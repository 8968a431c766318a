// The dry run: what robocopy would be asked to do, or what would be refused.
#include "app/logdir.h"
#include "base/paths.h"
#include "engine/safety.h"
#include "engine/scan.h"
#include "job/job.h"
#include "robo/robo.h"

namespace zrw {

int WriteDryRun(const std::vector<std::wstring>& sources, const std::wstring& destination,
                bool move) {
    ResetJob();
    ScanResult scan = ScanSources(sources);
    g_job.sources = std::move(scan.items);
    g_job.totalBytes = scan.totalBytes;
    g_job.totalFiles = scan.totalFiles;
    g_job.destination = FullPath(destination);
    g_job.move = move;

    EnsureLogFolder();
    std::wstring path = LogFolder() + L"\\dryrun.txt";
    g_job.logPath = path;

    std::wstring text = L"src=" + std::to_wstring(g_job.sources.size()) + L" bytes=" +
                        std::to_wstring(g_job.totalBytes) + L" items=" +
                        std::to_wstring(g_job.totalFiles) + L"\r\n";
    // What a real job would refuse is refused here too, with the same lines.
    std::vector<Refusal> refusals = CheckSources(g_job.sources, scan.clashes, g_job.destination);
    for (const Refusal& refusal : refusals) text += RefusalLine(refusal) + L"\r\n";
    // What would be done with existing files, and robocopy's switches for it.
    ConflictPolicy policy = g_settings.conflict;
    if (refusals.empty()) {
        ConflictSummary summary = ClassifyConflicts(g_job.sources, g_job.destination);
        if (summary.AnyDiffering() || summary.same > 0)
            text += ConflictLine(summary, policy) + L"\r\n";
    }
    bool byRobocopy = policy != ConflictPolicy::KeepBoth;
    if (!byRobocopy) text += std::wstring(kKeepBothNote) + L"\r\n";
    const RobocopyRun run{g_job.destination, g_job.logPath, g_job.move,
                          policy == ConflictPolicy::Ask ? ConflictPolicy::Replace : policy};
    std::span<const SourceItem> rest(g_job.sources);
    while (byRobocopy && refusals.empty() && !rest.empty()) {
        size_t count = RobocopyRunLength(rest);
        text += BuildRobocopyCommand(rest.first(count), run) + L"\r\n";
        rest = rest.subspan(count);
    }
    WriteUtf8File(path, text);
    return g_job.sources.empty() || !refusals.empty() ? 2 : 0;
}

}  // namespace zrw
