// The record of the current job, its log lines outside the engine runs and its counts.
#include "app/lang.h"
#include "engine/joblog.h"
#include "job/job.h"

namespace zrw {

CopyJob g_job;

void ResetJob() {
    g_copyCheck = nullptr;
    g_job = CopyJob{};
}

void LogLine(const CopyJob& job, const std::wstring& line) {
    OpenJobLog(job.logPath);
    JobLogLine(line);
    CloseJobLog();
}

std::wstring CountsText(const CopyJob& job, uint32_t lang) {
    const JobCounts& c = job.counts;
    return Tr(L"文件:  已复制 ", lang) + std::to_wstring(c.copied) + Tr(L" · 跳过 ", lang) +
           std::to_wstring(c.skipped) + Tr(L" · 失败 ", lang) + std::to_wstring(c.failed) +
           Tr(L" / 共 ", lang) + std::to_wstring(job.totalFiles + job.missing.size());
}

std::wstring CountsLine(const CopyJob& job) {
    const JobCounts& c = job.counts;
    return L"合计 已复制=" + std::to_wstring(c.copied) + L" 跳过=" + std::to_wstring(c.skipped) +
           L" 失败=" + std::to_wstring(c.failed) + L" 计划=" +
           std::to_wstring(job.totalFiles + job.missing.size());
}

}  // namespace zrw
