// The job record, the job runner, the texts a job's display shows, and the
// speed.
#ifndef ZERROW_JOB_JOB_H
#define ZERROW_JOB_JOB_H

#include "app/settings.h"
#include "base/win.h"
#include "engine/conflicts.h"
#include "engine/safety.h"
#include "engine/scan.h"
#include "verify/verify.h"

#include <shlobj.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zrw {

enum JobResult : uint32_t { kJobDone = 0, kJobFailed = 1, kJobCancelled = 3, kJobDiffers = 4 };
// On the window that owns the running job, 300 ms.
inline constexpr UINT_PTR kJobTimer = 1;

struct SpeedState {
    uint64_t bytesDone = 0;
    double speed = 0;
    uint64_t startTick = 0;
    std::deque<std::pair<uint64_t, uint64_t>> samples;  // (tick, bytes done)
};

// How a running job reaches the window that shows it; a job from the command
// line has none.
class JobView {
public:
    virtual void ShowProgress() = 0;
    virtual bool CancelRequested() const = 0;
    virtual bool Paused() const = 0;
    virtual void ShowEnd() = 0;

protected:
    ~JobView() = default;
};

struct CopyJob {
    std::vector<SourceItem> sources;
    uint64_t totalBytes = 0;
    uint64_t totalFiles = 0;
    std::wstring destination;
    std::wstring logPath;
    bool move = false;
    bool silent = false;
    bool cancelled = false;
    bool finished = false;
    uint64_t current = 0;   // the first source of the running engine run
    uint64_t runEnd = 0;    // and the source after its last
    UniqueHandle process;   // the running robocopy
    bool checking = false;  // robocopy has ended and its copies are being checked
    uint64_t checkedFiles = 0;
    uint32_t lastExitCode = 0;
    uint32_t failedSources = 0;
    uint64_t filesDone = 0;
    uint64_t bytesBefore = 0;
    uint64_t bytesCurrent = 0;
    SpeedState speed;  // bytes done, speed, start tick and samples
    ComPtr<IProgressDialog> progressDialog;
    std::vector<uint32_t> exitCodes;
    JobView* view = nullptr;
    uint32_t result = kJobDone;
    std::vector<std::wstring> missing;  // sources the scan could not find or read
    std::vector<NameClash> clashes;
    std::vector<Refusal> refusals;  // set by PrepareJob; any of them refuses the whole job
    ConflictPolicy conflict = ConflictPolicy::Replace;  // set by ResolveConflicts
    std::optional<Engine> engine;  // when the job cannot run with the chosen one
};
extern CopyJob g_job;
void ResetJob();

// logged is called once the job has its log, before anything is checked or
// copied (a gathered selection's other processes may end then).
int RunJob(const std::vector<std::wstring>& sources, const std::wstring& destination, bool move,
           bool silent, const std::function<void()>& logged = {});
// "dryrun.txt" in the log folder: the robocopy lines the job would run, or
// what it would refuse; 0, or 2 when nothing would run.
int WriteDryRun(const std::vector<std::wstring>& sources, const std::wstring& destination,
                bool move);

// "copy-YYYYMMDD-HHMMSS.log" in the log folder, from the local time, or with
// "-2", "-3", ... before ".log" when that name is taken; the file is created.
std::wstring JobLogPath();
// Resets the record and scans the sources into it; false when none survived.
bool ScanJob(const std::vector<std::wstring>& sources);
// Destination (made full), move flag, start tick, and a new log path in the
// created log folder. Missing sources are named in the log and on the console
// and count as failed; the refusals are checked.
void PrepareJob(const std::wstring& destination, bool move);
// When the job has refusals: writes them into its log and to the console and
// returns the text that tells the user why nothing was touched; else empty.
std::wstring RefuseJob(const CopyJob& job);
bool WantsVerification(const CopyJob& job);
// The engine the job runs with: the setting's, unless the job needs another.
Engine JobEngine(const CopyJob& job);

// Before the first byte: the existing destination files are classified and
// the policy for them is settled: the command line's or the remembered one,
// else asked for (owner: the dialog's window) when any would be replaced, else
// Replace. Keep-both moves the job to the native engine, which alone can do
// it. The job log names the policy and, for robocopy, each file it replaces.
// False when the user cancelled the dialog.
bool ResolveConflicts(CopyJob& job, HWND owner);
// The dialog: the counts of each class, the first names of each, the five
// choices and a box that remembers the choice. Empty when cancelled.
std::optional<ConflictPolicy> AskConflictPolicy(HWND owner, const ConflictSummary& summary,
                                                bool move, bool& remember);
inline constexpr wchar_t kKeepBothNote[] = L"两个都保留只有原生引擎做得到, 这次用原生引擎";
// The classification in one line, for the dry run and the job log.
std::wstring ConflictLine(const ConflictSummary& summary, ConflictPolicy policy);
// Walks the job's sources against its destination with the hook installed and
// writes "verify-last.log" beside the job log.
VerifyResult VerifyJob(const CopyJob& job, VerifyHook hook);
// Keeps the calling thread's messages flowing during a verification; false
// once the program is asked to quit.
bool RunnerVerifyHook(uint64_t verifiedBytes);

void FinishJob(CopyJob& job, HWND window);

// What the window shows while a job runs, for a language and a tick.
struct RunningDisplay {
    int percent = 0;
    std::wstring status, report, failure, caption;
};
RunningDisplay RunningTexts(const CopyJob& job, uint32_t lang, bool paused, uint64_t now);

// What the window shows once the job has ended (before any verification).
struct EndDisplay {
    int position = 0;
    std::wstring status, failure, report;
};
EndDisplay EndTexts(const CopyJob& job, uint32_t lang, uint64_t now);
inline constexpr size_t kFailureLineLimit = 40;
// While robocopy's copies are checked (and a move's sources deleted).
std::wstring CheckingText(uint64_t checkedFiles, uint32_t lang);
std::wstring VerifyingText(uint64_t verifiedBytes, uint32_t lang);
std::wstring VerifyDifferText(uint64_t differing, uint32_t lang);
int PercentOf(uint64_t done, uint64_t total);

// ---- Speed -----------------------------------------------------------------------------

void SampleSpeed(SpeedState& state);
// The same with the clock reading given, so that the window arithmetic can be tested.
void SampleSpeedAt(SpeedState& state, uint64_t now);

}  // namespace zrw

#endif
