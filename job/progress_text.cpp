// The texts a job's display shows while it runs and when it ends.
#include "app/lang.h"
#include "base/format.h"
#include "base/paths.h"
#include "job/job.h"

namespace zrw {

namespace {

std::wstring TotalPart(uint64_t total) {
    return total == 0 ? std::wstring() : L" / " + FormatSize(total);
}

double ElapsedSeconds(const CopyJob& job, uint64_t now) {
    return static_cast<double>(now - job.speed.startTick) / 1000.0;
}

// Past the last source there is no current name, and a paused job has no
// speed and no time left.
constexpr wchar_t kNone[] = L"—";

std::wstring SpeedText(const SpeedState& speed, uint32_t lang) {
    if (speed.speed <= 0) return Tr(L"计算中…", lang);
    return FormatSize(static_cast<uint64_t>(speed.speed)) + Tr(L"/秒", lang);
}

std::wstring TimeLeftText(const SpeedState& speed, uint64_t total, uint32_t lang, uint64_t now) {
    std::optional<double> left = SecondsLeft(speed, total, now);
    return left ? FormatDuration(*left) : Tr(L"正在计算…", lang);
}

std::wstring CurrentName(const CopyJob& job) {
    if (job.current < job.sources.size()) return PathName(job.sources[job.current].path);
    return kNone;
}

std::wstring FailedLine(const CopyJob& job, uint32_t lang) {
    std::wstring count = std::to_wstring(job.failedSources);
    std::wstring line = count + Tr(L" 项失败（日志：", lang) + job.logPath + Tr(L"）", lang);
    if (line.size() > kFailureLineLimit) line = count + Tr(L" 项失败（点「⋮」看日志）", lang);
    return line;
}

}  // namespace

int PercentOf(uint64_t done, uint64_t total) {
    if (total == 0) return 0;
    return done >= total ? 100 : static_cast<int>(done * 100 / total);
}

RunningDisplay RunningTexts(const CopyJob& job, uint32_t lang, bool paused, uint64_t now) {
    RunningDisplay d;
    d.percent = PercentOf(job.speed.bytesDone, job.totalBytes);
    std::wstring speed = paused ? kNone : SpeedText(job.speed, lang);
    std::wstring left = paused ? kNone : TimeLeftText(job.speed, job.totalBytes, lang, now);
    std::wstring done = FormatSize(job.speed.bytesDone) + TotalPart(job.totalBytes);
    if (paused) d.status = Tr(L"已暂停   ·   ", lang);
    if (job.checking) {
        d.status += CheckingText(job.checkedFiles, lang);
    } else {
        if (job.totalBytes != 0) d.status += std::to_wstring(d.percent) + L"%   ·   ";
        if (paused) d.status += done;
        else
            d.status += Tr(L"速度: ", lang) + speed + L"   ·   " + done +
                        Tr(L"   ·   剩余时间: ", lang) + left;
    }

    std::wstring position =
        std::to_wstring(job.current + 1) + L"/" + std::to_wstring(job.sources.size());
    d.report = Tr(L"当前作业:  ", lang) + CurrentName(job) + L"    (" + position +
               Tr(L")\r\n已复制:  ", lang) + done + Tr(L"\r\n已用时间:  ", lang) +
               FormatDuration(ElapsedSeconds(job, now)) + Tr(L"\r\n速度:  ", lang) + speed +
               Tr(L"\r\n剩余时间:  ", lang) + left + Tr(L"\r\n失败:  ", lang) +
               std::to_wstring(job.failedSources) + Tr(L" 项", lang);

    if (job.failedSources != 0)
        d.failure = Tr(L"失败 ", lang) + std::to_wstring(job.failedSources) + Tr(L" 项", lang);
    d.caption = Tr(L"泽若 快速复制", lang) + L" — " + Tr(job.move ? L"移动中" : L"复制中", lang) +
                L" " + position;
    return d;
}

EndDisplay EndTexts(const CopyJob& job, uint32_t lang, uint64_t now) {
    EndDisplay d;
    double elapsed = ElapsedSeconds(job, now);
    uint64_t done = job.speed.bytesDone;
    if (job.cancelled) {
        d.status = Tr(L"已取消 · 已复制 ", lang) + FormatSize(done);
    } else {
        d.status = Tr(job.failedSources == 0 ? L"已完成 · " : L"有失败 · ", lang) +
                   FormatSize(done) + TotalPart(job.totalBytes) + L" · " + Tr(L"用时 ", lang) +
                   FormatDuration(elapsed);
    }
    d.position = job.cancelled ? 0 : 100;
    if (job.failedSources != 0) d.failure = FailedLine(job, lang);

    double average = elapsed > 0.2 ? static_cast<double>(done) / elapsed : 0;
    const wchar_t* header = job.cancelled            ? L"上次作业:  已取消"
                            : job.failedSources == 0 ? L"上次作业:  已完成"
                                                     : L"上次作业:  有失败";
    d.report = Tr(header, lang) + L"\r\n" + Tr(L"已复制:  ", lang) + FormatSize(done) +
               TotalPart(job.totalBytes) + L"\r\n" + Tr(L"用时:  ", lang) +
               FormatDuration(elapsed) + L"\r\n" + Tr(L"目标目录:  ", lang) +
               TrimSeparators(job.destination) + L"\r\n" + Tr(L"平均速度:  ", lang) +
               FormatSize(static_cast<uint64_t>(average)) + Tr(L"/秒", lang);
    return d;
}

std::wstring CheckingText(uint64_t checkedFiles, uint32_t lang) {
    return Tr(L"核对中… 已核对 ", lang) + std::to_wstring(checkedFiles) + Tr(L" 个文件", lang);
}

std::wstring VerifyingText(uint64_t verifiedBytes, uint32_t lang, bool hashing) {
    return Tr(hashing ? L"写哈希清单中… 已读 " : L"校验中… 已核对 ", lang) +
           FormatSize(verifiedBytes);
}

PhaseDisplay VerifyingDisplay(uint64_t totalBytes, const SpeedState& verify, uint32_t lang,
                              uint64_t now, bool hashing) {
    PhaseDisplay d;
    d.percent = PercentOf(verify.bytesDone, totalBytes);
    d.status = VerifyingText(verify.bytesDone, lang, hashing) + TotalPart(totalBytes);
    if (totalBytes != 0) d.status += L"   ·   " + std::to_wstring(d.percent) + L"%";
    d.status += Tr(L"   ·   剩余时间: ", lang) + TimeLeftText(verify, totalBytes, lang, now);
    return d;
}

std::wstring VerifyDifferText(uint64_t differing, uint32_t lang) {
    return Tr(L"已完成，但校验有 ", lang) + std::to_wstring(differing) + Tr(L" 个对不上", lang);
}

}  // namespace zrw
