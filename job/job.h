// The job record, the job runner, the texts a job's display shows, and the
// speed.
#ifndef ZERROW_JOB_JOB_H
#define ZERROW_JOB_JOB_H

#include "app/settings.h"
#include "base/win.h"
#include "engine/conflicts.h"
#include "engine/failures.h"
#include "engine/safety.h"
#include "engine/scan.h"
#include "verify/verify.h"

#include <shlobj.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zrw {

enum JobResult : uint32_t { kJobDone = 0, kJobFailed = 1, kJobCancelled = 3, kJobDiffers = 4 };
// On the window that owns the running job, 300 ms.
inline constexpr UINT_PTR kJobTimer = 1;

// Files copied, skipped (the same, or left by the conflict policy) and failed.
struct JobCounts {
    uint64_t copied = 0;
    uint64_t skipped = 0;
    uint64_t failed = 0;
};

struct SpeedState {
    uint64_t bytesDone = 0;
    // Of bytesDone, what was counted without being copied (files skipped as
    // up to date, moves by rename): it makes neither the speed nor the time left.
    uint64_t skippedBytes = 0;
    double speed = 0;  // bytes copied per second of running time; 0 while paused
    uint64_t startTick = 0;
    // (tick, bytes copied); ticks are moved past each pause, so that the
    // window spans running time only.
    std::deque<std::pair<uint64_t, uint64_t>> samples;
    bool paused = false;
    uint64_t pausedAt = 0;     // tick of the pause that holds now
    uint64_t pausedMs = 0;     // of the pauses before it
    uint64_t copyingFrom = 0;  // running ms of the last sample with nothing copied yet
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
    uint64_t skippedBefore = 0;   // of bytesBefore, counted without being copied
    uint64_t skippedCurrent = 0;  // the same of the running native run
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
    uint64_t sameFiles = 0;             // existing files that look the same, for the counts
    uint64_t bytesToWrite = 0;          // set by ResolveConflicts, for the room on the disk
    std::vector<LargeFile> largeFiles;  // from the scan, for a FAT destination
    uint64_t maxFileSize = UINT64_MAX;  // larger files are left out ("copy what fits")
    std::optional<Engine> engine;       // when the job cannot run with the chosen one
    JobCounts counts;
    // A verified or hashed move: each copy checked before its source goes.
    std::unique_ptr<MoveVerification> moveCheck;
};
extern CopyJob g_job;
void ResetJob();

// logged is called once the job has its log, before anything is checked or
// copied (a gathered selection's other processes may end then).
int RunJob(const std::vector<std::wstring>& sources, const std::wstring& destination, bool move,
           bool silent, const std::function<void()>& logged = {});
// A job whose record is scanned and prepared (ScanJob, PrepareJob), from its
// checks to its end, with the Windows progress dialog or silently.
int RunPreparedJob(bool anySource, bool silent, size_t pathsGiven, ConflictPolicy conflict);
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
// Whether the end verifies or hashes: a clean copy is compared (or hashed)
// then, a copy with failures only hashed; a move checked its copies as it went.
bool WantsVerification(const CopyJob& job);
// Whether that end compares copies with their sources, or only hashes.
bool ComparesAtEnd(const CopyJob& job);
// Before a move's first run: a verified or hashed move checks each copy
// before its source goes.
void ArmMoveCheck(CopyJob& job);
// The engine the job runs with: the setting's, unless the job needs another.
Engine JobEngine(const CopyJob& job);

// Before the first byte: the existing destination files are classified and
// the policy for them is settled: the given one (the command line's or the
// remembered one), else asked for (owner: the dialog's window) when any would
// be replaced, else Replace. Keep-both moves the job to the native engine,
// which alone can do it. The job log names the policy, for robocopy each file
// it replaces, and ends with the job's record. False when the user cancelled.
bool ResolveConflicts(CopyJob& job, HWND owner, ConflictPolicy policy = g_settings.conflict);

// The checks before the first byte: room on the destination's disk, files a
// FAT disk cannot hold, a destination that can be made and written. A job that
// fails one is refused with the numbers (job log, standard error, a message
// box); where only too large files are in the way, the user may have the rest
// copied instead (those then fail, named). False when refused.
bool PassesChecksBeforeFirstByte(CopyJob& job, HWND owner);

// The job log's machine line of what a retry needs to know of the job:
// "#job<TAB>copy|move<TAB>robocopy|native<TAB>policy<TAB>verify 0|1<TAB>hash 0|1<TAB>destination".
std::wstring JobRecord(const CopyJob& job);
// A job log as a retry reads it: the job's record and its failures.
struct LoggedJob {
    bool recorded = false;  // logs of older versions have no record
    bool move = false;
    Engine engine = Engine::Native;
    ConflictPolicy conflict = ConflictPolicy::Replace;
    bool verify = false;
    bool hash = false;
    std::wstring destination;
    std::vector<Failure> failures;  // each source once
};
// False when the log cannot be read.
bool ReadJobLog(const std::wstring& path, LoggedJob& logged);
// The record of a new job that takes exactly the failed files (and folders)
// of a logged one, each into the folder it belonged in; false when none of
// them can be found any more.
bool PrepareRetry(const LoggedJob& logged);
// "retry JOBLOG": 0/1/3/4 as a job; 2 when the log is unreadable, of an older
// version, or nothing it names can be found.
int RunRetry(const std::wstring& logPath, bool silent);
// What failed, one line a file: path, step and cause, for the job's end.
std::wstring FailureList(const std::vector<Failure>& failures, uint32_t lang, size_t limit);
// The dialog: the counts of each class, the first names of each, the five
// choices and a box that remembers the choice. Empty when cancelled.
std::optional<ConflictPolicy> AskConflictPolicy(HWND owner, const ConflictSummary& summary,
                                                bool move, bool& remember);
inline constexpr wchar_t kKeepBothNote[] = L"两个都保留只有原生引擎做得到, 这次用原生引擎";
// The classification in one line, for the dry run and the job log.
std::wstring ConflictLine(const ConflictSummary& summary, ConflictPolicy policy);
// What the end of a job proved: the comparison (of a copy, with the hook
// installed; or what a move's checks found) and the hash list written.
struct JobProof {
    bool compared = false;
    VerifyResult result;
    bool hashed = false;  // the hash list was asked for
    bool hashListWritten = false;
    size_t hashLines = 0;
};
// Writes "verify-last.log" beside the job log, and the destination's
// "SHA256SUMS" when hashes were asked for; the job log says which.
JobProof VerifyJob(const CopyJob& job, VerifyHook hook);
// The proof's lines for the end of the job, in the interface language.
std::wstring ProofText(const CopyJob& job, const JobProof& proof);
// Keeps the calling thread's messages flowing during a verification; false
// once the program is asked to quit.
bool RunnerVerifyHook(uint64_t verifiedBytes);

void FinishJob(CopyJob& job, HWND window);
// "合计 已复制=N 跳过=N 失败=N 计划=M": the job log's and the console's last line.
std::wstring CountsLine(const CopyJob& job);
// The same in the interface language, for the window's end panel.
std::wstring CountsText(const CopyJob& job, uint32_t lang);
// Lines of the job log written outside an engine run, which holds it open itself.
void LogLine(const CopyJob& job, const std::wstring& line);

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
// hashing: the copy is only read for its hash list, not compared.
std::wstring VerifyingText(uint64_t verifiedBytes, uint32_t lang, bool hashing = false);
// The status line and bar of the verification (or the hashing) after a copy,
// from its own speed state (bytes done: the bytes read): its own percent and
// time left.
struct PhaseDisplay {
    int percent = 0;
    std::wstring status;
};
PhaseDisplay VerifyingDisplay(uint64_t totalBytes, const SpeedState& verify, uint32_t lang,
                              uint64_t now, bool hashing = false);
std::wstring VerifyDifferText(uint64_t differing, uint32_t lang);
int PercentOf(uint64_t done, uint64_t total);

// ---- Speed -----------------------------------------------------------------------------

void SampleSpeed(SpeedState& state);
// The same with the clock reading given, so that the window arithmetic can be tested.
void SampleSpeedAt(SpeedState& state, uint64_t now);
// A pause takes no samples and shows no speed; a resume moves the samples
// past it.
void PauseSpeedAt(SpeedState& state, bool paused, uint64_t now);
// Milliseconds since the start, less the pauses.
uint64_t RunningMs(const SpeedState& state, uint64_t now);
// Seconds until bytesDone reaches total at the speed; none while paused,
// before 2 s of copying, without a speed or with nothing left.
std::optional<double> SecondsLeft(const SpeedState& state, uint64_t total, uint64_t now);

}  // namespace zrw

#endif
