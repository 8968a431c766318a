// Byte-by-byte comparison of source and destination trees, read as the disks
// hold them, the hashes of what was read, and their report.
#ifndef ZERROW_VERIFY_VERIFY_H
#define ZERROW_VERIFY_VERIFY_H

#include "base/paths.h"
#include "base/sha256.h"
#include "base/win.h"

#include "engine/copyfile.h"
#include "engine/scan.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace zrw {

// How many paths a report names of each kind.
inline constexpr size_t kVerifySamples = 5;

struct VerifyResult {
    uint64_t compared = 0;
    uint64_t differing = 0;
    bool aborted = false;
    std::vector<std::wstring> samples;  // at most kVerifySamples destination paths
    // Files whose volume refused unbuffered reads: those compared what the
    // system cache held.
    uint64_t cachedFiles = 0;
};

// One line of a hash list: a file's path below the list's folder with '/'
// between names, and the SHA-256 of its bytes.
struct HashLine {
    std::wstring path;
    Sha256Digest digest{};
};

extern uint64_t VerifiedBytes;
using VerifyHook = bool (*)(uint64_t verifiedBytes);
extern VerifyHook VerifyProgressHook;
// Counts bytes read into VerifiedBytes and asks the hook; false when it asks to stop.
bool CountVerifiedBytes(uint64_t bytes);
// A path for the report, while it names fewer than kVerifySamples.
void AddSample(VerifyResult& result, std::wstring sample);

// How verification opens a file for reading: CreateFileW with these flags and
// read and write sharing. A seam, so that a test sees that the disk is asked
// and not the cache, and can stand in for a volume that refuses that.
using VerifyOpener = HANDLE (*)(const std::wstring& path, DWORD flags);
extern VerifyOpener g_openForVerify;
// What the comparison asks of both sides: no system cache, one pass.
inline constexpr DWORD kMediaReadFlags = FILE_FLAG_NO_BUFFERING | FILE_FLAG_SEQUENTIAL_SCAN;

// Every level of each source; links are not followed. hashes, when given,
// gets a line for each identical file: the hash of the destination's bytes as
// they were compared.
VerifyResult VerifyTree(const std::vector<SourceItem>& items, const std::wstring& destination,
                        std::vector<HashLine>* hashes = nullptr);
// The form in which the comparison hands a path to the file system: the
// long-path form, with runs of separators after the first two characters
// collapsed. Stored and sampled paths stay as joined.
std::wstring ComparisonPath(const std::wstring& path);

// What one file's reading did besides its answer.
struct FileReading {
    Sha256* hash = nullptr;  // fed the destination's bytes when set
    bool cached = false;     // a side was read through the system cache
    uint64_t bytes = 0;      // of a hashed file
};
bool SameFile(const std::wstring& src, const std::wstring& dst, uint64_t& bytes,
              FileReading* reading = nullptr);
// One pass over a file's bytes as its disk holds them; false when it cannot
// be read to its end.
bool HashFile(const std::wstring& path, Sha256Digest& digest, FileReading* reading = nullptr);
// The hash of each file of the job as the destination holds it, one read of
// the destination only (the sources say which files); files that cannot be
// read are left out. Progress goes through VerifiedBytes and the hook.
std::vector<HashLine> HashTree(const std::vector<SourceItem>& items,
                               const std::wstring& destination);
// A file's path in the hash list of folder: below folder, '/' between names;
// empty when it is not below folder.
std::wstring HashListPath(const std::wstring& folder, const std::wstring& path);

// A move's copies, verified and hashed before their sources go; handed to the
// engine for one job, on its worker threads.
class MoveVerification final : public CopyCheck {
public:
    MoveVerification(std::wstring destination, bool compare, bool hash)
        : destination_(TrimSeparators(std::move(destination))), compare_(compare), hash_(hash) {}
    bool Confirms(const std::wstring& source, const std::wstring& target) override;
    void Renamed(const std::wstring& target) override;
    VerifyResult Result();
    std::vector<HashLine> TakeHashes();

private:
    const std::wstring destination_;
    const bool compare_, hash_;
    std::mutex mutex_;
    VerifyResult result_;
    std::vector<HashLine> hashes_;
};

std::wstring VerifySummary(const VerifyResult& result);
// Writes "verify-last.log" (the report and CR LF) into folder; failures are ignored.
void WriteVerifyReport(const std::wstring& folder, const std::wstring& report);
// The same with the result's summary.
void WriteVerifyLog(const std::wstring& folder, const VerifyResult& result);

// The command line's verify mode with the destination already chosen: 0, 2
// or 4. hash: the destination's "SHA256SUMS" gets the lines of what was read.
int RunVerifyMode(const std::vector<std::wstring>& sources, const std::wstring& destination,
                  bool hash = false);

}  // namespace zrw

#endif
