// What the program does itself once robocopy has copied: it checks that
// every copy is there, and for a move it deletes exactly the sources whose
// copies are, under the rules of the native engine's own moves.
#ifndef ZERROW_ENGINE_SETTLE_H
#define ZERROW_ENGINE_SETTLE_H

#include "app/settings.h"
#include "engine/scan.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace zrw {

struct SettleProgress {
    std::atomic<uint64_t> files{0};  // files looked at so far
    std::atomic<bool> cancel{false};
};

struct SettleResult {
    uint64_t missing = 0;  // copies absent, or of another size or last-write time
    uint64_t kept = 0;     // moved sources left where they are
    uint64_t skipped = 0;  // existing files the conflict policy left
    // Files whose copy is there (and, for a move, whose source went, or whose
    // copy the move's check refused).
    uint64_t done = 0;
    bool unlisted = false;
    bool cancelled = false;
    bool Clean() const { return missing == 0 && kept == 0 && !unlisted && !cancelled; }
};

// Each source's files against their copies below destination (where the
// source lands, as SourceTarget says). For a move, a source is deleted once
// its copy has the same size and last-write time and is flushed to its disk,
// and only while the source is still as it was copied; folders go once empty.
// An existing destination file the policy leaves alone is no missing copy,
// and its source stays. Kept sources are named in the job log.
SettleResult SettleCopies(const std::vector<SourceItem>& sources, const std::wstring& destination,
                          bool move, ConflictPolicy policy, SettleProgress& progress);

}  // namespace zrw

#endif
