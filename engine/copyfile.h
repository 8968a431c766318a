// One file's copy or move: the skip rule, the copy routine, times and
// attributes, and the rename that a move within a volume takes.
#ifndef ZERROW_ENGINE_COPYFILE_H
#define ZERROW_ENGINE_COPYFILE_H

#include "base/win.h"
#include "engine/scan.h"

#include <atomic>
#include <string>

namespace zrw {

// Set by the driver before its workers start; a move deletes each copied source.
extern std::atomic<bool> g_moveJob;
// Set by the driver: a volume of the run keeps last-write times in 2-second steps.
extern std::atomic<bool> g_coarseTimes;
// A destination that cannot exist (its folder was made by this run) is not
// looked at for the skip rule.
void CopyOneFile(const FileTask& task, bool destinationMayExist = true);

// How a move renames within a volume (MoveFileExW without copying); a seam so
// that measurements can take the copy-and-delete path.
using Renamer = BOOL(WINAPI*)(LPCWSTR from, LPCWSTR to, DWORD flags);
extern Renamer g_rename;
// Set by the driver for a move; cleared once a rename found the volumes differ.
extern std::atomic<bool> g_renameMoves;
// A rename for a move, while renames are still worth trying; false (and the
// copy-and-delete path) when refused.
bool RenameForMove(const std::wstring& from, const std::wstring& to, DWORD flags);

// The attributes a copy carries over from its source; NORMAL when none is left.
DWORD CarriedAttributes(DWORD sourceAttributes);
// FAT volumes store last-write times in 2-second steps.
bool HasTwoSecondTimes(const std::wstring& fileSystemName);
bool VolumeHasTwoSecondTimes(const std::wstring& path);
// Exactly equal, or within 2 seconds when a volume rounds to that.
bool SameWriteTime(const FILETIME& a, const FILETIME& b, bool coarse);

// The system's CopyFile2 when kernel32 has it, else ChunkedCopyFile2.
HRESULT CopyFileWithProgress(PCWSTR source, PCWSTR destination,
                             COPYFILE2_EXTENDED_PARAMETERS* params);
// The same contract as CopyFile2 for what the engine uses: cancel pointer,
// progress routine with one chunk-finished message per chunk, the abort
// HRESULT and no partial destination on cancel, overwrite, access denied for
// a read-only destination, last-write time and attributes carried over.
HRESULT ChunkedCopyFile2(PCWSTR source, PCWSTR destination, COPYFILE2_EXTENDED_PARAMETERS* params);

// Opens files and folders alike, for reading or setting times.
UniqueFile OpenForAttributes(const std::wstring& path, DWORD access);
bool CopyTimes(const std::wstring& from, const std::wstring& to);

}  // namespace zrw

#endif
