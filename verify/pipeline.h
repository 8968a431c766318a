// A walk's file comparisons (or hashes) on worker threads, reported back on
// the walking thread in the walk's order.
#ifndef ZERROW_VERIFY_PIPELINE_H
#define ZERROW_VERIFY_PIPELINE_H

#include "verify/verify.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zrw {

// What reading one file (or a pair) found.
struct FileOutcome {
    bool same = false;    // compared: identical
    bool hashed = false;  // the destination's digest is known
    bool cached = false;
    uint64_t bytes = 0;  // of the source when compared, as read when only hashed
    Sha256Digest digest{};
};
// compare: the pair byte by byte (the digest from the same reads when
// hash); else one read of dst for its digest.
FileOutcome ReadFilePair(const std::wstring& src, const std::wstring& dst, bool compare, bool hash);

class FilePipeline {
public:
    FilePipeline(int workers, bool compare, bool hash);
    // Files not started yet are dropped; those in flight are finished.
    ~FilePipeline();
    FilePipeline(const FilePipeline&) = delete;
    FilePipeline& operator=(const FilePipeline&) = delete;

    void Submit(std::wstring src, std::wstring dst);
    size_t Pending() const;
    // The oldest file's outcome once it is done; false when none is pending.
    bool Next(std::wstring& dst, FileOutcome& outcome);
    // Hands finished files to report, oldest first, until no more than keep
    // are pending or report answers false.
    template <typename Report>
    void ReportUntil(size_t keep, Report report) {
        std::wstring dst;
        FileOutcome outcome;
        while (Pending() > keep && Next(dst, outcome))
            if (!report(dst, outcome)) return;
    }

private:
    struct Task {
        std::wstring src, dst;
        FileOutcome outcome;
        bool done = false;
    };
    void Work();

    const bool compare_, hash_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    // Unreported tasks in walk order; the first is task number first_.
    std::deque<Task> tasks_;
    size_t first_ = 0, nextToStart_ = 0;
    bool stopping_ = false;
    std::vector<std::thread> workers_;
};

}  // namespace zrw

#endif
