// What a job would do to files that already exist at its destination: each
// is classified before the first byte, and a policy says which are replaced.
#ifndef ZERROW_ENGINE_CONFLICTS_H
#define ZERROW_ENGINE_CONFLICTS_H

#include "app/settings.h"
#include "base/win.h"
#include "engine/scan.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zrw {

// An existing destination file against its source.
enum class Existing { None, Same, Newer, Older, SameTimeOtherSize };
// Same is the skip rule (size and last-write time, 2 s apart where a volume
// rounds to that); Newer and Older are the destination's time.
Existing CompareExisting(uint64_t sourceSize, const FILETIME& sourceTime, uint64_t destinationSize,
                         const FILETIME& destinationTime, bool coarseTimes);
// Whether a job with this policy writes over a destination of that class.
// A copy leaves a same file alone; a move replaces it whatever the policy, as
// it trusts no look-alike with the only copy.
bool Overwrites(ConflictPolicy policy, Existing existing, bool move);
// Whether it writes the new file beside the existing one instead.
bool KeepsBoth(ConflictPolicy policy, Existing existing, bool move);
// Explorer's name for a second file of a name: "report (2).docx", "notes (3)".
std::wstring NumberedName(const std::wstring& name, unsigned number);

// The job log's line for a file that a copy replaces: its old size and time.
std::wstring ReplacedLine(const std::wstring& target, uint64_t size, const FILETIME& lastWrite);

// An existing destination file of the job, as found before anything is written.
struct ExistingFile {
    std::wstring target;
    uint64_t sourceSize = 0;
    uint64_t size = 0;
    FILETIME lastWrite{};
    Existing kind = Existing::None;
};

struct ConflictSummary {
    uint64_t same = 0, newer = 0, older = 0, sameTimeOtherSize = 0;
    uint64_t sameBytes = 0;               // of the same files
    std::vector<ExistingFile> differing;  // every existing file that is not the same
    bool AnyDiffering() const { return newer + older + sameTimeOtherSize > 0; }
    uint64_t Count(Existing kind) const;
};

// What the job writes to its destination's disk, less what it frees there:
// the files the policy leaves out are not written, a replaced file gives its
// old bytes back, and a copy leaves same files alone.
uint64_t BytesToWrite(uint64_t totalBytes, const ConflictSummary& summary, ConflictPolicy policy,
                      bool move);

// Walks each source once beside its target, listing each destination folder
// once: nothing is written, and a destination that does not exist yet costs
// one look.
ConflictSummary ClassifyConflicts(const std::vector<SourceItem>& items,
                                  const std::wstring& destination);

}  // namespace zrw

#endif
