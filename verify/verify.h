// Byte-by-byte comparison of source and destination trees and its report.
#ifndef ZERROW_VERIFY_VERIFY_H
#define ZERROW_VERIFY_VERIFY_H

#include "base/win.h"

#include "engine/scan.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zrw {

struct VerifyResult {
    uint64_t compared = 0;
    uint64_t differing = 0;
    bool aborted = false;
    std::vector<std::wstring> samples;  // at most 5 destination paths
};

extern uint64_t VerifiedBytes;
using VerifyHook = bool (*)(uint64_t verifiedBytes);
extern VerifyHook VerifyProgressHook;

VerifyResult VerifyTree(const std::vector<SourceItem>& items, const std::wstring& destination);
// Any depth; links are not followed, transfer temporaries are not compared.
void VerifyFolder(const std::wstring& src, const std::wstring& dst, VerifyResult& result);
// The form in which the comparison hands a path to the file system: the
// long-path form, with runs of separators after the first two characters
// collapsed. Stored and sampled paths stay as joined.
std::wstring ComparisonPath(const std::wstring& path);
bool SameFile(const std::wstring& src, const std::wstring& dst, uint64_t& bytes);

std::wstring VerifySummary(const VerifyResult& result);
// Writes "verify-last.log" (summary and CR LF) into folder; failures are ignored.
void WriteVerifyLog(const std::wstring& folder, const VerifyResult& result);

// The command line's verify mode with the destination already chosen: 0, 2 or 4.
int RunVerifyMode(const std::vector<std::wstring>& sources, const std::wstring& destination);

}  // namespace zrw

#endif
