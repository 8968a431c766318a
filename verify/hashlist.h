// "SHA256SUMS": the hash list a job leaves in its destination, in the format
// that sha256sum -c and shasum -a 256 -c read, and its check.
#ifndef ZERROW_VERIFY_HASHLIST_H
#define ZERROW_VERIFY_HASHLIST_H

#include "verify/verify.h"

#include <string>
#include <string_view>
#include <vector>

namespace zrw {

inline constexpr wchar_t kHashListName[] = L"SHA256SUMS";

// One line of a list: "HASH *path" or "HASH  path" (sha256sum's binary and
// text marks), a line that starts with a backslash carrying sha256sum's
// escapes, or "SHA256 (path) = HASH"; without its line end. False for any
// other line.
bool ParseHashLine(std::string_view line, HashLine& parsed);
// Every line of a list, blank lines aside; false when it cannot be read,
// lists nothing or holds a line of another form.
bool ReadHashList(const std::wstring& file, std::vector<HashLine>& lines);
// "HASH *path" and a line feed, in UTF-8.
std::string FormatHashLine(const HashLine& line);
// folder\SHA256SUMS gets these lines: a path it lists already has its line
// replaced where it stands, every other line is kept as it was, and the new
// paths follow in name order. Written whole beside the list, flushed, then
// put in its place. False when it could not be written.
bool UpdateHashList(const std::wstring& folder, const std::vector<HashLine>& lines);

// What a check found, for its report: the listed files that are missing or
// changed (in the result), and the files beside them that the list lacks.
struct HashCheck {
    bool readable = false;  // the list could be read and is in the format
    VerifyResult result;
    uint64_t unlisted = 0;
    std::vector<std::wstring> unlistedSamples;  // at most kVerifySamples
};
// Reads every listed file again (paths below the list's folder) and looks for
// files the list lacks; progress through VerifiedBytes and the hook.
HashCheck CheckHashList(const std::wstring& listFile);
// The check's report: the verify summary, then the unlisted files, also
// written to "verify-last.log" in the log folder; for a list that could not
// be read, what the user is told instead.
std::wstring ReportHashCheck(const HashCheck& check, const std::wstring& listFile);
// "check SHA256SUMS": "verify-last.log" in the log folder; 0 when every
// listed file matches, 4 when one is missing or differs, 2 when the list
// cannot be read or is not in the format.
int RunCheckMode(const std::wstring& listFile);

}  // namespace zrw

#endif
