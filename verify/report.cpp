// The verification's summary, its log and the command line's verify mode.
#include "app/lang.h"
#include "app/logdir.h"
#include "base/paths.h"
#include "engine/scan.h"
#include "verify/verify.h"

namespace zrw {

std::wstring VerifySummary(const VerifyResult& result) {
    std::wstring text;
    if (result.aborted)
        text = Tr(L"校验中断: 已核对 ") + std::to_wstring(result.compared) + Tr(L" 个");
    else if (result.differing > 0)
        text = Tr(L"校验: ") + std::to_wstring(result.differing) + L" / " +
               std::to_wstring(result.compared) + Tr(L" 个对不上");
    else text = Tr(L"校验: ") + std::to_wstring(result.compared) + Tr(L" 个文件全一致");
    for (const std::wstring& sample : result.samples) text += L"\n  " + sample;
    return text;
}

void WriteVerifyLog(const std::wstring& folder, const VerifyResult& result) {
    WriteUtf8File(folder + L"\\verify-last.log", VerifySummary(result) + L"\r\n");
}

int RunVerifyMode(const std::vector<std::wstring>& sources, const std::wstring& destination) {
    ScanResult scan = ScanSources(sources);
    if (scan.items.empty()) return 2;
    VerifiedBytes = 0;
    VerifyProgressHook = nullptr;
    VerifyResult result = VerifyTree(scan.items, FullPath(destination));
    EnsureLogFolder();
    WriteVerifyLog(LogFolder(), result);
    return result.differing > 0 ? 4 : 0;
}

}  // namespace zrw
