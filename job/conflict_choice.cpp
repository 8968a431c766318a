// What a job does with the files that already exist at its destination: the policy and its dialog.
#include "app/lang.h"
#include "app/logdir.h"
#include "app/settings.h"
#include "base/optional_api.h"
#include "base/paths.h"
#include "engine/conflicts.h"
#include "engine/joblog.h"
#include "job/job.h"

#include <commctrl.h>

namespace zrw {

namespace {

enum ChoiceId : int { kReplace = 100, kOlder, kSkip, kKeepBoth };
constexpr size_t kNamesShown = 3;

// "Newer at the destination: 3 (a.txt, b.txt, c.txt, …)"
std::wstring ClassLine(const ConflictSummary& summary, Existing kind, const wchar_t* label) {
    uint64_t count = summary.Count(kind);
    if (count == 0) return {};
    std::wstring names;
    size_t shown = 0;
    for (const ExistingFile& file : summary.differing) {
        if (file.kind != kind) continue;
        if (shown == kNamesShown) {
            names += Tr(L"、") + L"…";
            break;
        }
        names += (shown++ ? Tr(L"、") : L"") + PathName(file.target);
    }
    return Tr(label) + std::to_wstring(count) + L"  (" + names + L")\n";
}

std::optional<ConflictPolicy> AskWithMessageBox(HWND owner, const std::wstring& text) {
    std::wstring question = text + L"\n" + Tr(L"「是」全部替换，「否」跳过所有已有的。");
    switch (MessageBoxW(owner, question.c_str(), g_productName.c_str(),
                        MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES: return ConflictPolicy::Replace;
    case IDNO: return ConflictPolicy::Skip;
    default: return std::nullopt;
    }
}

ConflictPolicy PolicyOf(int choice) {
    switch (choice) {
    case kOlder: return ConflictPolicy::Older;
    case kSkip: return ConflictPolicy::Skip;
    case kKeepBoth: return ConflictPolicy::KeepBoth;
    default: return ConflictPolicy::Replace;
    }
}

void LogReplacedFiles(const ConflictSummary& summary, ConflictPolicy policy, bool move) {
    for (const ExistingFile& file : summary.differing)
        if (Overwrites(policy, file.kind, move))
            JobLog(L"%s", ReplacedLine(file.target, file.size, file.lastWrite).c_str());
}

}  // namespace

Engine JobEngine(const CopyJob& job) { return job.engine.value_or(g_settings.engine); }

std::wstring ConflictLine(const ConflictSummary& summary, ConflictPolicy policy) {
    return L"冲突 目标较新=" + std::to_wstring(summary.newer) + L" 目标较旧=" +
           std::to_wstring(summary.older) + L" 时间相同大小不同=" +
           std::to_wstring(summary.sameTimeOtherSize) + L" 相同=" + std::to_wstring(summary.same) +
           L" 处理=" + ConflictPolicyWord(policy);
}

std::optional<ConflictPolicy> AskConflictPolicy(HWND owner, const ConflictSummary& summary,
                                                bool move, bool& remember) {
    uint64_t differing = summary.newer + summary.older + summary.sameTimeOtherSize;
    const std::wstring instruction =
        Tr(L"目标里已有 ") + std::to_wstring(differing) +
        Tr(move ? L" 个同名文件和要移动的不一样" : L" 个同名文件和要复制的不一样");
    const std::wstring content =
        ClassLine(summary, Existing::Newer, L"目标较新：") +
        ClassLine(summary, Existing::Older, L"目标较旧：") +
        ClassLine(summary, Existing::SameTimeOtherSize, L"时间相同、大小不同：");
    TaskDialogIndirectFn taskDialog = OptionalTaskDialogIndirect();
    if (!taskDialog) return AskWithMessageBox(owner, instruction + L"\n\n" + content);
    const std::wstring texts[] = {Tr(L"全部替换"), Tr(L"只替换较旧的"), Tr(L"跳过所有已有的"),
                                  Tr(L"两个都保留"), Tr(L"记住这个选择")};
    const TASKDIALOG_BUTTON buttons[] = {{kReplace, texts[0].c_str()},
                                         {kOlder, texts[1].c_str()},
                                         {kSkip, texts[2].c_str()},
                                         {kKeepBoth, texts[3].c_str()}};
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof(config);
    config.hwndParent = owner;
    config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION;
    config.dwCommonButtons = TDCBF_CANCEL_BUTTON;
    config.pszWindowTitle = g_productName.c_str();
    config.pszMainIcon = TD_WARNING_ICON;
    config.pszMainInstruction = instruction.c_str();
    config.pszContent = content.c_str();
    config.cButtons = ARRAYSIZE(buttons);
    config.pButtons = buttons;
    config.nDefaultButton = kOlder;
    config.pszVerificationText = texts[4].c_str();
    int choice = 0;
    BOOL checked = FALSE;
    if (FAILED(taskDialog(&config, &choice, nullptr, &checked)))
        return AskWithMessageBox(owner, instruction + L"\n\n" + content);
    if (choice < kReplace || choice > kKeepBoth) return std::nullopt;
    remember = checked != FALSE;
    return PolicyOf(choice);
}

bool ResolveConflicts(CopyJob& job, HWND owner, ConflictPolicy policy) {
    ConflictSummary summary = ClassifyConflicts(job.sources, job.destination);
    if (policy == ConflictPolicy::Ask && summary.AnyDiffering() && !job.silent) {
        bool remember = false;
        std::optional<ConflictPolicy> chosen =
            AskConflictPolicy(owner, summary, job.move, remember);
        if (!chosen) return false;
        policy = *chosen;
        if (remember) SaveConflictChoice(policy);
    }
    if (policy == ConflictPolicy::Ask) policy = ConflictPolicy::Replace;
    job.conflict = policy;
    job.sameFiles = summary.same;
    job.bytesToWrite = BytesToWrite(job.totalBytes, summary, policy, job.move);
    OpenJobLog(job.logPath);
    if (summary.AnyDiffering() || summary.same > 0)
        JobLog(L"%s", ConflictLine(summary, policy).c_str());
    if (policy == ConflictPolicy::KeepBoth && JobEngine(job) == Engine::Robocopy) {
        job.engine = Engine::Native;
        JobLog(L"%s", kKeepBothNote);
        ConsoleLine(L"%s", kKeepBothNote);
    }
    if (JobEngine(job) == Engine::Robocopy) LogReplacedFiles(summary, policy, job.move);
    JobLogLine(JobRecord(job));
    CloseJobLog();
    return true;
}

}  // namespace zrw
