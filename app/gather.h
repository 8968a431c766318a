// Selections handed over between processes: Explorer's classic verbs start
// one process per selected item, which gather into one job; and path lists
// too long for one command line arrive as a list file.
#ifndef ZERROW_APP_GATHER_H
#define ZERROW_APP_GATHER_H

#include "app/cmdline.h"
#include "base/win.h"

#include <string>
#include <vector>

namespace zrw {

// Quiet time after the last arrival before the gatherer looks whether more
// are coming. Explorer creates the processes of one selection in a quick
// row; their start-up (loader, COM, a virus scan) can then spread their
// arrivals over seconds on a loaded machine, which the look at the sibling
// processes covers. So the wait needs to cover only the gap between two
// creations, and it delays the picker of a single item by no more than this.
inline constexpr UINT kGatherQuietMs = 500;
// Siblings still starting hold the picker back this long at most.
inline constexpr ULONGLONG kMaxGatherMs = 15000;

// Two processes created this close together (in 100 ns units, as the
// system's process times) by one parent from one file belong to one selection.
bool SameBatch(ULONGLONG createdA, ULONGLONG createdB);
// After a quiet time: wait on while siblings are still starting.
bool KeepGathering(size_t startingSiblings, ULONGLONG gatheringMs);

// Only a transfer that would ask for its destination with a picker gathers;
// one carrying per-run switches runs alone, as joining it would drop them.
bool ShouldGather(const StartRecord& record);

// Paths as UTF-16, each ended by a NUL: the hand-over's and the list file's format.
std::wstring PackPaths(const std::vector<std::wstring>& paths);
// False, and paths untouched, unless bytes holds one or more non-empty paths
// each ended by a NUL.
bool UnpackPaths(const void* data, size_t bytes, std::vector<std::wstring>& paths);
// Appends the arrived paths in their order, leaving out any already listed
// (the same item twice would refuse the whole job).
void AppendGathered(std::vector<std::wstring>& sources, const std::vector<std::wstring>& arrived);

// The gatherer's word to the processes that handed their paths over: their
// paths are taken care of, in a job that has its log, or by the user's
// choice, or by a refusal. Given once, on destruction at the latest; a
// gatherer that dies without it leaves each of them to run its own paths.
class GatherAck {
public:
    void Give();
    ~GatherAck() { Give(); }

private:
    friend bool GatherSources(const std::wstring&, std::vector<std::wstring>&, GatherAck&, UINT);
    UniqueHandle given_;  // the event the senders wait on; none when nothing was gathered
};

// The gathering for one verb (key "copy" or "move"), per session. True when
// the sources were handed to a running gatherer and it acknowledged them
// (this process is done). False when this process runs the job: as the
// gatherer, sources then being every path gathered, made full, in arrival
// order, and ack to be given; or alone, with its own paths, when no
// gathering was possible or the gatherer ended without acknowledging them. A sender waits for the
// acknowledgement as long as the gatherer lives: it may be waiting for the user at its picker.
bool GatherSources(const std::wstring& key, std::vector<std::wstring>& sources, GatherAck& ack,
                   UINT quietMs = kGatherQuietMs);

// Reads every --list file into the sources and deletes those that lie in the
// log folder; false, with the file named, when one cannot be read.
bool TakeListFiles(StartRecord& record, std::wstring& unreadable);
bool IsInFolder(const std::wstring& file, const std::wstring& folder);

}  // namespace zrw

#endif
