// The verification's summary, its log and the command line's verify mode.
#include "app/lang.h"
#include "app/logdir.h"
#include "app/process.h"
#include "base/paths.h"
#include "engine/scan.h"
#include "verify/hashlist.h"
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
    if (result.cachedFiles > 0)
        text += L"\n" + std::to_wstring(result.cachedFiles) +
                Tr(L" 个文件所在的卷不让绕过缓存读，比对的是系统缓存里的内容");
    return text;
}

void WriteVerifyReport(const std::wstring& folder, const std::wstring& report) {
    WriteUtf8File(folder + L"\\verify-last.log", report + L"\r\n");
}

void WriteVerifyLog(const std::wstring& folder, const VerifyResult& result) {
    WriteVerifyReport(folder, VerifySummary(result));
}

int RunVerifyMode(const std::vector<std::wstring>& sources, const std::wstring& destination,
                  bool hash) {
    ScanResult scan = ScanSources(sources);
    if (scan.items.empty()) return 2;
    VerifiedBytes = 0;
    VerifyProgressHook = nullptr;
    std::vector<HashLine> hashes;
    std::wstring root = FullPath(destination);
    VerifyResult result = VerifyTree(scan.items, root, hash ? &hashes : nullptr);
    EnsureLogFolder();
    WriteVerifyLog(LogFolder(), result);
    bool listed = !hash || UpdateHashList(root, hashes);
    if (!listed) WriteStdErr(Tr(L"哈希清单写不了: ") + AppendPath(root, kHashListName) + L"\n");
    if (result.differing > 0) return 4;
    return listed ? 0 : 2;
}

}  // namespace zrw
