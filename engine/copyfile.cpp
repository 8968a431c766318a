// One file's copy or move: the skip rule, the retries, times and attributes, the rename of a move.
#include "engine/copyfile.h"
#include "base/paths.h"
#include "engine/driver.h"
#include "engine/failures.h"
#include "engine/joblog.h"
#include "engine/scan.h"

#include <winioctl.h>

#include <algorithm>
#include <cwctype>
#include <set>

namespace zrw {

std::atomic<bool> g_moveJob{false};
std::atomic<bool> g_coarseTimes{false};
std::atomic<bool> g_renameMoves{false};
std::atomic<CopyCheck*> g_copyCheck{nullptr};
std::atomic<ConflictPolicy> g_conflictPolicy{ConflictPolicy::Replace};
std::atomic<uint64_t> g_maxFileSize{UINT64_MAX};
Renamer g_rename = MoveFileExW;
Replacer g_replaceFile = ReplaceFileW;
Flusher g_flushFile = FlushFileBuffers;
FileCopier g_copyFile = CopyFileWithProgress;

namespace {

constexpr DWORD kSparseCopyFlag = 0x20000000;  // COPY_FILE_ENABLE_SPARSE_COPY
constexpr DWORD kFailIfExists = 0x00000001;    // COPY_FILE_FAIL_IF_EXISTS
const HRESULT kAccessDenied = HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED);
// The longest file name most volumes take.
constexpr size_t kMaxName = 255;
constexpr wchar_t kNotDeleted[] = L"移动失败(已复制但删不掉源) %s";
constexpr wchar_t kChanged[] = L"源在复制时或复制后变了, 没删(重跑一次会再搬) %s";
constexpr wchar_t kTemporaryMark[] = L".~zrw";
constexpr size_t kTemporarySuffix = 5 + 8;  // the mark and 8 hex digits

// The copy routine may answer a taken name with either code.
bool IsNameTaken(HRESULT hr) {
    return hr == HRESULT_FROM_WIN32(ERROR_FILE_EXISTS) ||
           hr == HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS);
}

HRESULT LastError() {
    DWORD error = GetLastError();
    return HRESULT_FROM_WIN32(error == ERROR_SUCCESS ? ERROR_GEN_FAILURE : error);
}

// What one copy carried through its own handles, so that nothing is opened
// again by name afterwards, and what it saw of its source.
struct CarriedMetadata {
    bool flush = false;  // made durable before the copy's handle closes
    HRESULT flushResult = S_OK;
    bool times = false;
    DWORD sourceAttributes = 0;
    FILE_BASIC_INFO sourceTimes{};  // the source's times once its bytes were read
    uint64_t copied = 0;
};

// Creation, access and write times, while both files are still open.
void CarryTimes(const COPYFILE2_MESSAGE& message, CarriedMetadata& carried) {
    const auto& info = message.Info.StreamFinished;
    carried.copied = info.uliStreamBytesTransferred.QuadPart;
    FILE_BASIC_INFO basic;
    if (!GetFileInformationByHandleEx(info.hSourceFile, FileBasicInfo, &basic, sizeof(basic)))
        return;
    carried.sourceTimes = basic;
    carried.sourceAttributes = basic.FileAttributes;
    basic.ChangeTime.QuadPart = 0;
    basic.FileAttributes = 0;  // left to the copier, which sets them last
    carried.times = SetFileInformationByHandle(info.hDestinationFile, FileBasicInfo, &basic,
                                               sizeof(basic)) != FALSE;
}

// A write the disk refuses (a pulled drive, a dropped share, a full disk
// behind a cache) may show only here, so the copy fails with it.
bool FlushCopy(const COPYFILE2_MESSAGE& message, CarriedMetadata& carried) {
    if (!carried.flush || g_flushFile(message.Info.StreamFinished.hDestinationFile)) return true;
    carried.flushResult = LastError();
    return false;
}

COPYFILE2_MESSAGE_ACTION CALLBACK CopyProgress(const COPYFILE2_MESSAGE* message, PVOID context) {
    auto& carried = *static_cast<CarriedMetadata*>(context);
    while (g_stats.pause.load() && !g_stats.cancel.load()) Sleep(40);
    if (message->Type == COPYFILE2_CALLBACK_CHUNK_FINISHED)
        g_stats.bytesDone += message->Info.ChunkFinished.uliChunkSize.QuadPart;
    if (message->Type == COPYFILE2_CALLBACK_STREAM_FINISHED &&
        message->Info.StreamFinished.dwStreamNumber == 1) {
        CarryTimes(*message, carried);
        if (!FlushCopy(*message, carried)) return COPYFILE2_PROGRESS_CANCEL;
    }
    return g_stats.cancel.load() ? COPYFILE2_PROGRESS_CANCEL : COPYFILE2_PROGRESS_CONTINUE;
}

HRESULT CopyWithSystem(const FileTask& task, const std::wstring& to, DWORD flags,
                       CarriedMetadata& carried) {
    carried = {carried.flush};
    COPYFILE2_EXTENDED_PARAMETERS params{};
    params.dwSize = sizeof(params);
    params.dwCopyFlags = flags;
    params.pfCancel = &g_stats.userCancel;
    params.pProgressRoutine = CopyProgress;
    params.pvCallbackContext = &carried;
    HRESULT hr = g_copyFile(LongPath(task.source).c_str(), LongPath(to).c_str(), &params);
    return FAILED(carried.flushResult) ? carried.flushResult : hr;
}

bool ClearReadOnly(const std::wstring& longPath) {
    DWORD attrs = GetFileAttributesW(longPath.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES || !(attrs & FILE_ATTRIBUTE_READONLY)) return false;
    return SetFileAttributesW(longPath.c_str(), attrs & ~FILE_ATTRIBUTE_READONLY) != FALSE;
}

struct DestinationState {
    bool exists = false;
    bool folder = false;
    Existing kind = Existing::None;  // of an existing file
    uint64_t size = 0;
    FILETIME lastWrite{};
};

DestinationState ReadDestination(const FileTask& task) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(LongPath(task.destination).c_str(), GetFileExInfoStandard, &data))
        return {};
    DestinationState state{true, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                           Existing::None, FileSize(data), data.ftLastWriteTime};
    if (!state.folder)
        state.kind = CompareExisting(task.size, task.lastWrite, state.size, state.lastWrite,
                                     g_coarseTimes.load());
    return state;
}

// A failed first attempt is tried once more, then without the sparse flag.
HRESULT CopyWithRetries(const FileTask& task, const std::wstring& to, DWORD extraFlags,
                        CarriedMetadata& carried) {
    DWORD sparse = (task.attributes & FILE_ATTRIBUTE_SPARSE_FILE) ? kSparseCopyFlag : 0;
    HRESULT hr = CopyWithSystem(task, to, sparse | extraFlags, carried);
    if (SUCCEEDED(hr) || IsNameTaken(hr)) return hr;
    hr = CopyWithSystem(task, to, sparse | extraFlags, carried);
    if (SUCCEEDED(hr) || sparse == 0) return hr;
    return CopyWithSystem(task, to, extraFlags, carried);
}

uint32_t NextTag() {
    static std::atomic<uint32_t> counter{GetTickCount() ^ (GetCurrentProcessId() << 16)};
    return counter++;
}

std::wstring TemporaryBeside(const std::wstring& destination) {
    return AppendPath(PathParent(destination), TemporaryName(PathName(destination), NextTag()));
}

// Only a file this job made is deleted, read-only or not.
void DeleteTemporary(const std::wstring& temporary) {
    std::wstring path = LongPath(temporary);
    if (!DeleteFileW(path.c_str()) && ClearReadOnly(path)) DeleteFileW(path.c_str());
}

// What an interrupted overwrite of the same target left behind.
void ReclaimTemporaries(const std::wstring& destination) {
    std::wstring folder = PathParent(destination), name = PathName(destination);
    std::wstring stem = TemporaryName(name, 0);
    stem.resize(stem.size() - 8);
    WIN32_FIND_DATAW data;
    UniqueFind find(FindFirstFileExW(LongPath(AppendPath(folder, stem + L"*")).c_str(),
                                     FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0));
    if (!find) return;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            IsTemporaryOf(data.cFileName, name))
            DeleteTemporary(AppendPath(folder, data.cFileName));
    } while (FindNextFileW(find.get(), &data));
}

// A name of its own beside the destination, taken with fail-if-exists so that
// no other copy's file is ever written over.
HRESULT CopyToTemporary(const FileTask& task, std::wstring& temporary, CarriedMetadata& carried) {
    HRESULT hr = HRESULT_FROM_WIN32(ERROR_FILE_EXISTS);
    for (int attempt = 0; attempt < 16 && IsNameTaken(hr); ++attempt) {
        temporary = TemporaryBeside(task.destination);
        hr = CopyWithRetries(task, temporary, kFailIfExists, carried);
    }
    return hr;
}

// Whether the destination's folder takes a new file at all: a user may be
// allowed to write a file but not to add one beside it.
bool FolderTakesNewFiles(const std::wstring& destination) {
    UniqueFile probe(CreateFileW(LongPath(TemporaryBeside(destination)).c_str(), GENERIC_WRITE, 0,
                                 nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    return probe || GetLastError() != ERROR_ACCESS_DENIED;
}

enum class Swap { Done, Failed, InPlaceOnly };

// The finished copy takes the old file's place and, through ReplaceFileW, its
// identity: its ACL, owner, creation time and streams. A file system without
// the replace gets the rename; a user who may write the old file but not
// delete it gets the in-place write.
Swap SwapIn(const std::wstring& temporary, const std::wstring& destination, HRESULT& hr) {
    std::wstring from = LongPath(temporary), to = LongPath(destination);
    DWORD attrs = GetFileAttributesW(to.c_str());
    bool readOnly = attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_READONLY);
    if (readOnly) SetFileAttributesW(to.c_str(), attrs & ~FILE_ATTRIBUTE_READONLY);
    constexpr DWORD kRename = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    bool done = g_replaceFile(to.c_str(), from.c_str(), nullptr, 0, nullptr, nullptr);
    DWORD error = done ? ERROR_SUCCESS : GetLastError();
    switch (error) {
    case ERROR_SUCCESS: break;
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT:    // the old file is gone, the copy intact
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT_2:  // the old file is under another name
        done = MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) != FALSE;
        break;
    case ERROR_NOT_SUPPORTED:
    case ERROR_INVALID_FUNCTION:
    case ERROR_INVALID_PARAMETER: done = MoveFileExW(from.c_str(), to.c_str(), kRename); break;
    case ERROR_ACCESS_DENIED:
        if (readOnly) SetFileAttributesW(to.c_str(), attrs);
        return Swap::InPlaceOnly;
    }
    if (done) return Swap::Done;
    hr = LastError();
    if (readOnly) SetFileAttributesW(to.c_str(), attrs);
    return Swap::Failed;
}

}  // namespace

std::wstring TemporaryName(const std::wstring& targetName, uint32_t tag) {
    wchar_t hex[9];
    swprintf(hex, 9, L"%08x", static_cast<unsigned>(tag));
    return targetName.substr(0, kMaxName - kTemporarySuffix) + kTemporaryMark + hex;
}

bool IsTemporaryOf(const std::wstring& name, const std::wstring& targetName) {
    std::wstring stem = TemporaryName(targetName, 0);
    stem.resize(stem.size() - 8);
    if (name.size() != stem.size() + 8 || CompareNames(name.substr(0, stem.size()), stem) != 0)
        return false;
    return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(stem.size()), name.end(),
                       [](wchar_t c) { return std::iswxdigit(c) != 0; });
}

UniqueFile OpenForAttributes(const std::wstring& path, DWORD access) {
    return UniqueFile(CreateFileW(LongPath(path).c_str(), access,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

bool CopyTimes(const std::wstring& from, const std::wstring& to) {
    FILETIME created, accessed, written;
    {
        UniqueFile source = OpenForAttributes(from, FILE_READ_ATTRIBUTES);
        if (!source || !GetFileTime(source.get(), &created, &accessed, &written)) return false;
    }
    UniqueFile destination = OpenForAttributes(to, FILE_WRITE_ATTRIBUTES);
    return destination && SetFileTime(destination.get(), &created, &accessed, &written);
}

namespace {

// The source's attributes go on last, after the times, so a read-only source
// gives a read-only copy whose times are nonetheless set. Only a copier that
// gave no chance to carry the times through its handles costs opens by name.
void ApplyMetadata(const FileTask& task, const std::wstring& copy, const CarriedMetadata& carried) {
    std::wstring longCopy = LongPath(copy);
    if (carried.times) {
        // The system copier takes every attribute over; only those a copy must
        // not carry need another call.
        DWORD wanted = CarriedAttributes(carried.sourceAttributes);
        if (wanted != carried.sourceAttributes) SetFileAttributesW(longCopy.c_str(), wanted);
        return;
    }
    ClearReadOnly(longCopy);
    CopyTimes(task.source, copy);
    SetFileAttributesW(longCopy.c_str(), CarriedAttributes(task.attributes));
}

HRESULT CopyWithMetadata(const FileTask& task, const std::wstring& to, DWORD flags,
                         CarriedMetadata& carried) {
    HRESULT hr = CopyWithRetries(task, to, flags, carried);
    if (SUCCEEDED(hr)) ApplyMetadata(task, to, carried);
    return hr;
}

// Where no temporary can be made or swapped in, the old way: the copy is
// written over the old file, which a failure half-way leaves cut short.
HRESULT WriteInPlace(const FileTask& task, CarriedMetadata& carried) {
    JobLog(L"就地覆盖(旁边建不了或换不进临时文件, 中途失败会留下不完整的文件) %s",
           task.destination.c_str());
    std::wstring to = LongPath(task.destination);
    DWORD attrs = GetFileAttributesW(to.c_str());
    bool readOnly = ClearReadOnly(to);
    HRESULT hr = CopyWithMetadata(task, task.destination, 0, carried);
    if (FAILED(hr) && readOnly) SetFileAttributesW(to.c_str(), attrs);
    return hr;
}

// An existing destination is replaced only by a complete, flushed copy, so a
// copy that fails (full disk, cancel, a vanished source) leaves the old version.
HRESULT Overwrite(const FileTask& task, CarriedMetadata& carried) {
    ReclaimTemporaries(task.destination);
    bool flush = carried.flush;
    carried.flush = true;
    std::wstring temporary;
    HRESULT hr = CopyToTemporary(task, temporary, carried);
    carried.flush = flush;
    if (hr == kAccessDenied && !FolderTakesNewFiles(task.destination))
        return WriteInPlace(task, carried);
    if (FAILED(hr)) return hr;  // a failed copy removed its own file; a taken name is not ours
    ApplyMetadata(task, temporary, carried);
    switch (SwapIn(temporary, task.destination, hr)) {
    case Swap::Done: return S_OK;
    case Swap::Failed: break;
    case Swap::InPlaceOnly: DeleteTemporary(temporary); return WriteInPlace(task, carried);
    }
    DeleteTemporary(temporary);
    return hr;
}

HRESULT CopyIntoPlace(const FileTask& task, bool destinationExists, CarriedMetadata& carried) {
    if (!destinationExists) {
        HRESULT hr = CopyWithMetadata(task, task.destination, kFailIfExists, carried);
        if (!IsNameTaken(hr)) return hr;
    }
    return Overwrite(task, carried);
}

// Folders are made before the workers start; one that vanished since (or
// could not be made then) is tried once more.
HRESULT CopyIntoFolder(const FileTask& task, bool destinationExists, CarriedMetadata& carried) {
    HRESULT hr = CopyIntoPlace(task, destinationExists, carried);
    if (hr != HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND)) return hr;
    MakeFolderTree(PathParent(task.destination));
    return CopyIntoPlace(task, destinationExists, carried);
}

// Counted, named in the job log's words and recorded for a retry.
void Fail(const wchar_t* line, const FileTask& task, FailedStep step, DWORD error) {
    ++g_stats.filesFailed;
    JobLog(line, task.source.c_str());
    RecordFailure({step, error, task.source, task.destination, {}});
}

void FailMove(const wchar_t* line, const FileTask& task, DWORD error = 0) {
    Fail(line, task, FailedStep::DeleteSource, error);
}

// Which side a copy failed on: the source, when it cannot be opened now;
// otherwise the destination.
FailedStep CopyStep(const FileTask& task, DWORD error) {
    switch (error) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_WRITE_PROTECT:
    case ERROR_FILE_TOO_LARGE:
    case ERROR_ALREADY_EXISTS: return FailedStep::Write;
    case ERROR_FILE_NOT_FOUND: return FailedStep::Read;
    }
    UniqueFile source(CreateFileW(LongPath(task.source).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    return source ? FailedStep::Write : FailedStep::Read;
}

// A copy counts for a move only once its name shows the size that was written.
bool CopyIsThere(const FileTask& task, const CarriedMetadata& carried) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    return GetFileAttributesExW(LongPath(task.destination).c_str(), GetFileExInfoStandard, &data) &&
           !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && FileSize(data) == carried.copied;
}

void DeleteMovedSource(const FileTask& task, const CarriedMetadata& carried) {
    // What the copy read: all of the planned bytes, and no change since.
    if (carried.copied != task.size) return FailMove(kChanged, task);
    const LARGE_INTEGER* changed = carried.times ? &carried.sourceTimes.ChangeTime : nullptr;
    DWORD error = 0;
    switch (
        DeleteSourceIfUnchanged(task.source, {task.size, task.lastWrite, false, changed}, &error)) {
    case SourceDeletion::Deleted: return;
    case SourceDeletion::Changed: return FailMove(kChanged, task);
    case SourceDeletion::Failed: return FailMove(kNotDeleted, task, error);
    }
}

// Within one volume a moved file keeps its data where it is. Any refusal (a
// held source, a read-only or missing destination folder, another volume)
// leaves the copy-and-delete path to decide, name the failure and count it.
// A rename onto another name of the same file (a hard link) does nothing and
// says it succeeded, so a replacing rename is believed only once the source
// name is gone.
enum class Renamed { No, Yes, OntoItself };
Renamed MoveByRename(const FileTask& task, bool destinationExists) {
    if (!RenameForMove(task.source, task.destination,
                       destinationExists ? MOVEFILE_REPLACE_EXISTING : 0))
        return Renamed::No;
    if (!destinationExists ||
        GetFileAttributesW(LongPath(task.source).c_str()) == INVALID_FILE_ATTRIBUTES)
        return Renamed::Yes;
    return Renamed::OntoItself;
}

}  // namespace

// The source is opened for delete without sharing, so a program that still
// has it open keeps it; compared while no one else can change it; and deleted
// through that same handle, read-only or not.
SourceDeletion DeleteSourceIfUnchanged(const std::wstring& path, const CopiedState& copied,
                                       DWORD* error) {
    auto failed = [&] {
        if (error) *error = GetLastError();
        return SourceDeletion::Failed;
    };
    UniqueFile source(CreateFileW(LongPath(path).c_str(),
                                  DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    FILE_BASIC_INFO basic;
    FILE_STANDARD_INFO standard;
    if (!source ||
        !GetFileInformationByHandleEx(source.get(), FileBasicInfo, &basic, sizeof(basic)) ||
        !GetFileInformationByHandleEx(source.get(), FileStandardInfo, &standard, sizeof(standard)))
        return failed();
    FILETIME written{basic.LastWriteTime.LowPart, static_cast<DWORD>(basic.LastWriteTime.HighPart)};
    if (static_cast<uint64_t>(standard.EndOfFile.QuadPart) != copied.size ||
        !SameWriteTime(written, copied.lastWrite, copied.coarseTimes) ||
        (copied.changeTime && copied.changeTime->QuadPart != basic.ChangeTime.QuadPart))
        return SourceDeletion::Changed;
    FILE_BASIC_INFO writable{};
    writable.FileAttributes = basic.FileAttributes & ~FILE_ATTRIBUTE_READONLY;
    bool readOnly =
        (basic.FileAttributes & FILE_ATTRIBUTE_READONLY) &&
        SetFileInformationByHandle(source.get(), FileBasicInfo, &writable, sizeof(writable));
    FILE_DISPOSITION_INFO disposition{TRUE};
    if (SetFileInformationByHandle(source.get(), FileDispositionInfo, &disposition,
                                   sizeof(disposition)))
        return SourceDeletion::Deleted;
    SourceDeletion result = failed();
    if (readOnly) {
        writable.FileAttributes = basic.FileAttributes;
        SetFileInformationByHandle(source.get(), FileBasicInfo, &writable, sizeof(writable));
    }
    return result;
}

// A folder that stays keeps its read-only bit.
bool RemoveEmptyFolder(const std::wstring& path) {
    std::wstring lp = LongPath(path);
    if (RemoveDirectoryW(lp.c_str())) return true;
    DWORD attrs = GetFileAttributesW(lp.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES || !(attrs & FILE_ATTRIBUTE_READONLY)) return false;
    SetFileAttributesW(lp.c_str(), attrs & ~FILE_ATTRIBUTE_READONLY);
    if (RemoveDirectoryW(lp.c_str())) return true;
    SetFileAttributesW(lp.c_str(), attrs);
    return false;
}

bool FlushToDisk(const std::wstring& path) {
    std::wstring file = LongPath(path);
    constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    UniqueFile copy(
        CreateFileW(file.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
    if (copy) return g_flushFile(copy.get()) != FALSE;
    // A read-only copy opens for writing only with its bit cleared for a moment.
    if (GetLastError() != ERROR_ACCESS_DENIED) return false;
    DWORD attrs = GetFileAttributesW(file.c_str());
    if (!ClearReadOnly(file)) return false;
    copy.reset(
        CreateFileW(file.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
    bool flushed = copy && g_flushFile(copy.get());
    copy.reset();
    SetFileAttributesW(file.c_str(), attrs);
    return flushed;
}

bool RenameForMove(const std::wstring& from, const std::wstring& to, DWORD flags) {
    if (!g_renameMoves.load()) return false;
    if (g_rename(LongPath(from).c_str(), LongPath(to).c_str(), flags)) return true;
    if (GetLastError() == ERROR_NOT_SAME_DEVICE) g_renameMoves = false;
    return false;
}

namespace {

// The file's bytes to their place: within a volume a move renames, else the
// copy goes in (through a temporary over an existing file). A move's copy is
// flushed and found at its place before the source is deleted.
void Transfer(const FileTask& task, const DestinationState& destination, bool move) {
    if (move) {
        switch (MoveByRename(task, destination.exists)) {
        case Renamed::No: break;
        case Renamed::Yes:
            ++g_stats.filesCopied;
            CountWithoutCopying(task.size);
            if (CopyCheck* check = g_copyCheck.load()) check->Renamed(task.destination);
            return;
        case Renamed::OntoItself:
            return FailMove(L"目标是源的另一个名字(同一个文件的硬链接), 源留着 %s", task,
                            ERROR_ALREADY_EXISTS);
        }
    }
    CarriedMetadata carried;
    carried.flush = move;
    // A folder of the file's name is never replaced by it.
    HRESULT hr = destination.folder ? HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS)
                                    : CopyIntoFolder(task, destination.exists, carried);
    if (FAILED(hr)) {
        wchar_t line[32];
        swprintf(line, 32, L"失败 0x%08X  %%s", static_cast<unsigned>(hr));
        DWORD error = ErrorOf(hr);
        return Fail(line, task, CopyStep(task, error), error);
    }
    ++g_stats.filesCopied;
    if (!move) return;
    if (!CopyIsThere(task, carried))
        return Fail(L"复制后在目标找不到同样大小的文件, 源没删 %s", task, FailedStep::Check, 0);
    // A copy the check refuses keeps its source; the check names it.
    if (CopyCheck* check = g_copyCheck.load();
        check && !check->Confirms(task.source, task.destination))
        return;
    DeleteMovedSource(task, carried);
}

// The first free "name (N).ext" beside the existing file.
FileTask BesideTheExisting(const FileTask& task) {
    FileTask beside = task;
    std::wstring folder = PathParent(task.destination), name = PathName(task.destination);
    for (unsigned n = 2;; ++n) {
        beside.destination = AppendPath(folder, NumberedName(name, n));
        if (GetFileAttributesW(LongPath(beside.destination).c_str()) == INVALID_FILE_ATTRIBUTES &&
            GetLastError() == ERROR_FILE_NOT_FOUND)
            return beside;
    }
}

}  // namespace

// A move does not skip: a destination that merely looks up to date is not
// proof that the source's bytes are there, and the source is about to go.
// An existing file of another size or time is replaced, kept or written
// beside as the job's conflict policy says.
void CopyOneFile(const FileTask& task, bool destinationMayExist) {
    if (task.size > g_maxFileSize.load())
        return Fail(L"失败 0x800700DF  %s", task, FailedStep::Write, ERROR_FILE_TOO_LARGE);
    bool move = g_moveJob.load();
    DestinationState destination = destinationMayExist ? ReadDestination(task) : DestinationState{};
    ConflictPolicy policy = g_conflictPolicy.load();
    if (destination.kind != Existing::None) {
        if (KeepsBoth(policy, destination.kind, move))
            return Transfer(BesideTheExisting(task), DestinationState{}, move);
        if (!Overwrites(policy, destination.kind, move)) {
            ++g_stats.filesSkipped;
            CountWithoutCopying(task.size);
            return;
        }
        if (destination.kind != Existing::Same)
            JobLog(L"%s",
                   ReplacedLine(task.destination, destination.size, destination.lastWrite).c_str());
    }
    Transfer(task, destination, move);
}

bool HasTwoSecondTimes(const std::wstring& fileSystemName) {
    return CompareNames(fileSystemName.substr(0, 3), L"FAT") == 0 ||
           CompareNames(fileSystemName, L"exFAT") == 0;
}

bool VolumeHasTwoSecondTimes(const std::wstring& path) {
    wchar_t volume[MAX_PATH], fileSystem[MAX_PATH + 1];
    if (!GetVolumePathNameW(path.c_str(), volume, MAX_PATH) ||
        !GetVolumeInformationW(volume, nullptr, 0, nullptr, nullptr, nullptr, fileSystem,
                               MAX_PATH + 1))
        return false;
    return HasTwoSecondTimes(fileSystem);
}

bool AnyVolumeHasTwoSecondTimes(const std::vector<std::wstring>& paths) {
    std::set<std::wstring, NameLess> asked;
    for (const std::wstring& path : paths)
        if (asked.insert(PathParent(path)).second && VolumeHasTwoSecondTimes(path)) return true;
    return false;
}

bool SameWriteTime(const FILETIME& a, const FILETIME& b, bool coarse) {
    auto ticks = [](const FILETIME& t) {
        return static_cast<int64_t>(Join64(t.dwHighDateTime, t.dwLowDateTime));
    };
    constexpr int64_t kTwoSeconds = 20'000'000;  // in 100 ns units
    int64_t apart = ticks(a) - ticks(b);
    return coarse ? apart <= kTwoSeconds && apart >= -kTwoSeconds : apart == 0;
}

SeekPenalty QuerySeekPenalty(const std::wstring& path) {
    if (path.size() < 2 || path[1] != L':') return SeekPenalty::Unknown;
    std::wstring device = L"\\\\.\\" + path.substr(0, 2);
    UniqueFile volume(CreateFileW(device.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    if (!volume) return SeekPenalty::Unknown;
    STORAGE_PROPERTY_QUERY query{};
    query.PropertyId = StorageDeviceSeekPenaltyProperty;
    query.QueryType = PropertyStandardQuery;
    DEVICE_SEEK_PENALTY_DESCRIPTOR descriptor{};
    DWORD returned = 0;
    if (!DeviceIoControl(volume.get(), IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof(query),
                         &descriptor, sizeof(descriptor), &returned, nullptr) ||
        returned < sizeof(descriptor))
        return SeekPenalty::Unknown;
    return descriptor.IncursSeekPenalty ? SeekPenalty::Yes : SeekPenalty::No;
}

}  // namespace zrw
