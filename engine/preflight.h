// What is checked before a job writes its first byte: room on the
// destination's disk, files a FAT disk cannot hold, and a destination that
// can be made and written at all.
#ifndef ZERROW_ENGINE_PREFLIGHT_H
#define ZERROW_ENGINE_PREFLIGHT_H

#include "base/win.h"
#include "engine/scan.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zrw {

struct Preflight {
    std::wstring volume;  // the destination's, as Windows names its root
    uint64_t needed = 0, available = 0;
    std::vector<LargeFile> tooLarge;  // bound for FAT, which takes none of them
    DWORD unwritable = 0;             // Windows' answer when the destination refused
    bool NoRoom() const { return needed > available; }
    bool Clear() const { return !NoRoom() && tooLarge.empty() && unwritable == 0; }
};

// The file system a path lies on ("NTFS", "FAT32", ...). Replaceable: Wine
// names the file system of its drive, not of a FAT disk mounted below it.
using FileSystemNamer = std::wstring (*)(const std::wstring& path);
extern FileSystemNamer g_fileSystemOf;
// FAT and FAT32 cap a file below 4 GiB; exFAT does not.
bool CapsFilesAt4GiB(const std::wstring& fileSystem);

// Nothing is left behind: a destination made only to try it is removed again.
Preflight CheckBeforeFirstByte(const std::wstring& destination, uint64_t bytesToWrite,
                               const std::vector<LargeFile>& largeFiles);
// The refusal's lines for the job log and standard error.
std::vector<std::wstring> PreflightLines(const Preflight& preflight);

}  // namespace zrw

#endif
