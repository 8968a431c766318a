// One file's copy or move: the skip rule, the copy routine, times and
// attributes, and the rename that a move within a volume takes.
#ifndef ZERROW_ENGINE_COPYFILE_H
#define ZERROW_ENGINE_COPYFILE_H

#include "base/win.h"
#include "engine/conflicts.h"
#include "engine/scan.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace zrw {

// Set by the driver before its workers start; a move deletes each copied source.
extern std::atomic<bool> g_moveJob;
// Set by the driver: files larger than this fail without a try (a FAT
// destination that the user let take what fits).
extern std::atomic<uint64_t> g_maxFileSize;
// Set by the driver: what is done with an existing destination file.
extern std::atomic<ConflictPolicy> g_conflictPolicy;
// Set by the driver: a volume of the run keeps last-write times in 2-second steps.
extern std::atomic<bool> g_coarseTimes;

// What a move asks of each copy once it is flushed and found, before its
// source is deleted (false keeps the source), and tells of what it moved by
// a rename. Handed down for a job that verifies or hashes its move; called
// from the engine's worker threads.
class CopyCheck {
public:
    virtual bool Confirms(const std::wstring& source, const std::wstring& target) = 0;
    // A file or a whole folder put in its place by a rename.
    virtual void Renamed(const std::wstring& target) = 0;

protected:
    ~CopyCheck() = default;
};
// Null for a move that deletes without asking.
extern std::atomic<CopyCheck*> g_copyCheck;
// A destination that cannot exist (its folder was made by this run) is not
// looked at for the skip rule.
void CopyOneFile(const FileTask& task, bool destinationMayExist = true);

// How a move renames within a volume (MoveFileExW without copying); a seam so
// that measurements can take the copy-and-delete path.
using Renamer = BOOL(WINAPI*)(LPCWSTR from, LPCWSTR to, DWORD flags);
extern Renamer g_rename;
// How an overwrite puts its finished temporary in the old file's place
// (ReplaceFileW), and how a copy is made durable (FlushFileBuffers). Seams,
// because only Windows shows a file system without the replace, a user
// without the right to delete, or a write that fails only when flushed.
using Replacer = BOOL(WINAPI*)(LPCWSTR replaced, LPCWSTR replacement, LPCWSTR backup, DWORD flags,
                               LPVOID exclude, LPVOID reserved);
extern Replacer g_replaceFile;
using Flusher = BOOL(WINAPI*)(HANDLE file);
extern Flusher g_flushFile;
// An overwrite's temporary beside its target: the target's name (cut so the
// whole stays a valid name), ".~zrw" and 8 hex digits. Tied to the target, so
// that the next copy to it finds and removes what a crash left behind.
std::wstring TemporaryName(const std::wstring& targetName, uint32_t tag);
bool IsTemporaryOf(const std::wstring& name, const std::wstring& targetName);
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
// The same for many paths, each folder asked once: a selection shares a few.
bool AnyVolumeHasTwoSecondTimes(const std::vector<std::wstring>& paths);
// Exactly equal, or within 2 seconds when a volume rounds to that.
bool SameWriteTime(const FILETIME& a, const FILETIME& b, bool coarse);

// The system's CopyFile2 when kernel32 has it, else ChunkedCopyFile2.
HRESULT CopyFileWithProgress(PCWSTR source, PCWSTR destination,
                             COPYFILE2_EXTENDED_PARAMETERS* params);
// What copies one file for the engine: CopyFileWithProgress. A seam, for the
// answers only some systems give (a taken name as ERROR_ALREADY_EXISTS).
using FileCopier = HRESULT (*)(PCWSTR source, PCWSTR destination,
                               COPYFILE2_EXTENDED_PARAMETERS* params);
extern FileCopier g_copyFile;
// The same contract as CopyFile2 for what the engine uses: cancel pointer,
// progress routine with one chunk-finished message per chunk, the abort
// HRESULT and no partial destination on cancel, overwrite, access denied for
// a read-only destination, last-write time and attributes carried over.
HRESULT ChunkedCopyFile2(PCWSTR source, PCWSTR destination, COPYFILE2_EXTENDED_PARAMETERS* params);

// What a copy was made from: the source must still be that when it is deleted.
struct CopiedState {
    uint64_t size = 0;
    FILETIME lastWrite{};
    bool coarseTimes = false;                   // a volume keeps 2-second times
    const LARGE_INTEGER* changeTime = nullptr;  // when the copy saw it
};
enum class SourceDeletion { Deleted, Changed, Failed };
// Deletes a moved source only while no other program has it open and it is
// still what was copied.
// error: Windows' answer when it failed.
SourceDeletion DeleteSourceIfUnchanged(const std::wstring& path, const CopiedState& copied,
                                       DWORD* error = nullptr);
// Writes a file's cached data to its disk; false when the disk refuses it.
bool FlushToDisk(const std::wstring& path);
// Removes a folder only when it is empty, read-only or not.
bool RemoveEmptyFolder(const std::wstring& path);

// Opens files and folders alike, for reading or setting times.
UniqueFile OpenForAttributes(const std::wstring& path, DWORD access);
bool CopyTimes(const std::wstring& from, const std::wstring& to);

}  // namespace zrw

#endif
