// The checks before a job's first byte, and what the user is told of them.
#include "app/lang.h"
#include "app/process.h"
#include "base/format.h"
#include "engine/joblog.h"
#include "engine/preflight.h"
#include "job/job.h"

namespace zrw {

namespace {

constexpr size_t kNamedFiles = 3;

std::wstring PreflightText(const Preflight& p) {
    std::wstring text = Tr(L"开始之前的检查没过，什么都没动：") + L"\n";
    if (p.unwritable != 0)
        text += L"\n" + Tr(L"目标建不了或写不进：") + p.volume + L" (" +
                std::to_wstring(p.unwritable) + L")";
    if (p.NoRoom())
        text += L"\n" + Tr(L"目标磁盘空间不够：要写 ") + FormatSize(p.needed) + Tr(L"，只剩 ") +
                FormatSize(p.available) + L"  (" + p.volume + L")";
    if (!p.tooLarge.empty()) {
        text +=
            L"\n" + Tr(L"FAT 磁盘放不下 4 GB 及以上的文件：") + std::to_wstring(p.tooLarge.size());
        for (size_t i = 0; i < p.tooLarge.size() && i < kNamedFiles; ++i)
            text += L"\n    " + p.tooLarge[i].path;
        if (p.tooLarge.size() > kNamedFiles) text += L"\n    …";
    }
    return text;
}

}  // namespace

bool PassesChecksBeforeFirstByte(CopyJob& job, HWND owner) {
    Preflight p = CheckBeforeFirstByte(job.destination, job.bytesToWrite, job.largeFiles);
    if (p.Clear()) return true;
    OpenJobLog(job.logPath);
    for (const std::wstring& line : PreflightLines(p)) {
        JobLogLine(line);
        WriteStdErr(line + L"\n");
    }
    // Leaving the too large files out is safe: they fail, named, and nothing
    // else is in the way.
    bool onlyTooLarge = p.unwritable == 0 && !p.NoRoom();
    bool rest = false;
    if (!job.silent) {
        std::wstring text = PreflightText(p);
        if (onlyTooLarge)
            rest = MessageBoxW(owner,
                               (text + L"\n\n" +
                                Tr(L"只复制放得下的文件吗？放不下的记为失败，以后可以重试到别处。"))
                                   .c_str(),
                               g_productName.c_str(), MB_YESNO | MB_ICONWARNING) == IDYES;
        else MessageBoxW(owner, text.c_str(), g_productName.c_str(), MB_OK | MB_ICONERROR);
    }
    if (rest) {
        job.maxFileSize = kFatFileLimit - 1;
        JobLog(L"%s", L"只复制放得下的文件, 4 GB 及以上的记为失败");
    }
    CloseJobLog();
    return rest;
}

}  // namespace zrw
