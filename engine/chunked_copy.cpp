// A chunked copy with CopyFile2's contract, for systems without CopyFile2.
#include "engine/copyfile.h"

#include "base/optional_api.h"

#include <memory>

namespace zrw {

namespace {

// 1 MiB: a 16 KiB file goes through in one read and one write, a large file
// costs one call pair (and one progress message) per MiB, and the buffer
// stays small enough to be cache-warm across the files a worker copies.
constexpr DWORD kChunkSize = 1u << 20;

HRESULT LastErrorResult() {
    DWORD error = GetLastError();
    return HRESULT_FROM_WIN32(error == ERROR_SUCCESS ? ERROR_GEN_FAILURE : error);
}

const HRESULT kAborted = HRESULT_FROM_WIN32(ERROR_REQUEST_ABORTED);

struct ChunkCopy {
    HANDLE source;
    HANDLE destination;
    uint64_t total;
    COPYFILE2_EXTENDED_PARAMETERS* params;
    bool quiet = false;  // the routine asked for no more messages
};

bool Cancelled(const COPYFILE2_EXTENDED_PARAMETERS* params) {
    return params->pfCancel && *static_cast<volatile BOOL*>(params->pfCancel);
}

// Returns false when the routine asks the copy to end.
bool Report(ChunkCopy& copy, COPYFILE2_MESSAGE& message) {
    if (!copy.params->pProgressRoutine || copy.quiet) return true;
    COPYFILE2_MESSAGE_ACTION action =
        copy.params->pProgressRoutine(&message, copy.params->pvCallbackContext);
    if (action == COPYFILE2_PROGRESS_QUIET) copy.quiet = true;
    return action == COPYFILE2_PROGRESS_CONTINUE || action == COPYFILE2_PROGRESS_QUIET;
}

// The fields that chunk and stream messages share, one stream per file.
template <typename Info>
void Describe(Info& info, const ChunkCopy& copy, uint64_t done) {
    info.dwStreamNumber = 1;
    info.hSourceFile = copy.source;
    info.hDestinationFile = copy.destination;
    info.uliStreamSize.QuadPart = copy.total;
    info.uliStreamBytesTransferred.QuadPart = done;
    info.uliTotalFileSize.QuadPart = copy.total;
    info.uliTotalBytesTransferred.QuadPart = done;
}

bool ReportChunk(ChunkCopy& copy, uint64_t chunk, uint64_t size, uint64_t done) {
    COPYFILE2_MESSAGE message{};
    message.Type = COPYFILE2_CALLBACK_CHUNK_FINISHED;
    Describe(message.Info.ChunkFinished, copy, done);
    message.Info.ChunkFinished.uliChunkNumber.QuadPart = chunk;
    message.Info.ChunkFinished.uliChunkSize.QuadPart = size;
    return Report(copy, message);
}

// Sent once the data is written and both handles are still open, as the
// system copy does: the caller may carry metadata through them.
bool ReportStreamFinished(ChunkCopy& copy, uint64_t done) {
    COPYFILE2_MESSAGE message{};
    message.Type = COPYFILE2_CALLBACK_STREAM_FINISHED;
    Describe(message.Info.StreamFinished, copy, done);
    return Report(copy, message);
}

HRESULT CopyData(ChunkCopy& copy) {
    thread_local std::unique_ptr<char[]> buffer(new char[kChunkSize]);
    uint64_t done = 0, chunk = 0;
    for (;;) {
        if (Cancelled(copy.params)) return kAborted;
        DWORD got = 0;
        if (!ReadFile(copy.source, buffer.get(), kChunkSize, &got, nullptr))
            return LastErrorResult();
        if (got == 0) break;
        DWORD written = 0;
        if (!WriteFile(copy.destination, buffer.get(), got, &written, nullptr))
            return LastErrorResult();
        if (written != got) return HRESULT_FROM_WIN32(ERROR_WRITE_FAULT);
        done += got;
        if (!ReportChunk(copy, chunk++, got, done)) return kAborted;
        // A short read of a regular file is its end: saves a call per small file.
        if (got < kChunkSize && done >= copy.total) break;
    }
    return ReportStreamFinished(copy, done) ? S_OK : kAborted;
}

}  // namespace

// Offline, temporary, pinned and the like describe the source's storage, not
// the file: a copy that took them over would be mistaken by other programs.
DWORD CarriedAttributes(DWORD sourceAttributes) {
    constexpr DWORD kCarried = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                               FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                               FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    DWORD carried = sourceAttributes & kCarried;
    return carried ? carried : FILE_ATTRIBUTE_NORMAL;
}

HRESULT ChunkedCopyFile2(PCWSTR source, PCWSTR destination, COPYFILE2_EXTENDED_PARAMETERS* params) {
    if (!source || !destination || !params || params->dwSize != sizeof(*params))
        return E_INVALIDARG;
    if (Cancelled(params)) return kAborted;
    UniqueFile in(CreateFileW(source, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!in) return LastErrorResult();
    // Asked through the open handle: the by-handle summary would also fetch the
    // volume's serial number, a round trip of its own.
    FILE_BASIC_INFO basic;
    FILE_STANDARD_INFO standard;
    if (!GetFileInformationByHandleEx(in.get(), FileBasicInfo, &basic, sizeof(basic)) ||
        !GetFileInformationByHandleEx(in.get(), FileStandardInfo, &standard, sizeof(standard)))
        return LastErrorResult();
    if (standard.Directory) return HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED);
    bool failIfExists = (params->dwCopyFlags & COPY_FILE_FAIL_IF_EXISTS) != 0;
    // Overwriting a read-only file is refused, as the system copy does, so that
    // callers decide whether to clear the bit. Fail-if-exists needs no look:
    // creating the file refuses any name that is taken.
    if (!failIfExists) {
        DWORD existing = GetFileAttributesW(destination);
        if (existing != INVALID_FILE_ATTRIBUTES &&
            (existing & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
            return HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED);
    }
    // The source is opened without write sharing, so a destination that is the
    // source itself fails here instead of being truncated.
    UniqueFile out(CreateFileW(destination, GENERIC_WRITE, 0, nullptr,
                               failIfExists ? CREATE_NEW : CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!out) return LastErrorResult();
    ChunkCopy copy{in.get(), out.get(), static_cast<uint64_t>(standard.EndOfFile.QuadPart), params};
    HRESULT hr = CopyData(copy);
    if (SUCCEEDED(hr)) {
        // Last-write time and attributes go on through the open handle; a new
        // file already carries the archive bit.
        FILE_BASIC_INFO carried{};
        carried.LastWriteTime = basic.LastWriteTime;
        DWORD attributes = CarriedAttributes(basic.FileAttributes);
        carried.FileAttributes = attributes == FILE_ATTRIBUTE_ARCHIVE ? 0 : attributes;
        if (!SetFileInformationByHandle(out.get(), FileBasicInfo, &carried, sizeof(carried)))
            hr = LastErrorResult();
    }
    out.reset();
    // No partial file is left behind, whatever ended the copy.
    if (FAILED(hr)) DeleteFileW(destination);
    return hr;
}

HRESULT CopyFileWithProgress(PCWSTR source, PCWSTR destination,
                             COPYFILE2_EXTENDED_PARAMETERS* params) {
    CopyFile2Fn system = OptionalCopyFile2();
    return system ? system(source, destination, params)
                  : ChunkedCopyFile2(source, destination, params);
}

}  // namespace zrw
