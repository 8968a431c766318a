// The checks that keep a job from overwriting or deleting its own sources.
// They run after the scan and before anything is touched, for both engines
// and the dry run, and compare what paths are, not how they are spelled.
#ifndef ZERROW_ENGINE_SAFETY_H
#define ZERROW_ENGINE_SAFETY_H

#include "base/win.h"
#include "engine/scan.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zrw {

// Volume and file ID: equal for one file or folder whatever path reaches it
// (another drive letter, a share, a case or a prefix). A file system that
// gives no usable ID (0, or all ones) is compared by the final path instead.
struct FileIdentity {
    uint32_t volume = 0;  // the width both queries give
    uint8_t id[16]{};
    std::wstring finalPath;  // set only when the ID is unknown
    bool operator==(const FileIdentity& other) const;
};
bool ReadIdentity(const std::wstring& path, FileIdentity& identity);
// The ID query on an open handle. Replaceable, because Wine's file systems
// always give IDs, and shares that give none exist only on Windows.
using FileIdReader = bool (*)(HANDLE file, FILE_ID_INFO& info);
extern FileIdReader g_readFileId;
// Where an open file or folder really is: links resolved, in the program's
// own spelling (plain where that means the same). Empty when not known.
std::wstring FinalPathOf(HANDLE file);

// Drive roots and the system's own folders, however the path is spelled.
bool IsProtectedLocation(const std::wstring& path);

// Where a source lands: destination\name, or the destination itself for a
// drive root; a source with a folder of its own lands there instead.
std::wstring SourceTarget(const SourceItem& source, const std::wstring& destination);

enum class Overlap { None, TargetIsSource, TargetInsideSource, SourceInsideTarget };
// By identity where the paths exist, climbing from where the target's nearest
// existing folder really is (a link on the way leads into its target), and
// by text where they do not; both paths full.
Overlap FindOverlap(const std::wstring& source, const std::wstring& target);

struct Refusal {
    enum class Kind { Overlap, Clash } kind;
    std::wstring first;   // the source (Overlap) or the first colliding source
    std::wstring second;  // its target (Overlap) or the second colliding source
};
// Everything that refuses the whole job, in source order.
std::vector<Refusal> CheckSources(const std::vector<SourceItem>& items,
                                  const std::vector<NameClash>& clashes,
                                  const std::wstring& destination);
// The job-log and console line of a refusal (Chinese, like every log line).
std::wstring RefusalLine(const Refusal& refusal);

}  // namespace zrw

#endif
