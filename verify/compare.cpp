// Byte-by-byte comparison of source and destination trees, read past the
// system cache, and the hashes of what was read.
#include "app/lang.h"
#include "base/paths.h"
#include "base/walk.h"
#include "engine/driver.h"
#include "engine/joblog.h"
#include "engine/safety.h"
#include "engine/scan.h"
#include "verify/pipeline.h"
#include "verify/verify.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>

namespace zrw {

uint64_t VerifiedBytes = 0;
VerifyHook VerifyProgressHook = nullptr;

namespace {

HANDLE OpenFileForVerify(const std::wstring& path, DWORD flags) {
    return CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, flags, nullptr);
}

constexpr DWORD kChunk = 1048576;
// Buffers come from VirtualAlloc, at this granularity: every sector size up
// to it divides their address, and a chunk is a whole number of sectors.
constexpr ULONG kBufferAlignment = 65536;

std::wstring Join(const std::wstring& left, const std::wstring& right) {
    return left + L"\\" + right;
}

struct VirtualFreer {
    void operator()(void* p) const { VirtualFree(p, 0, MEM_RELEASE); }
};
using Buffer = std::unique_ptr<unsigned char, VirtualFreer>;

Buffer AllocateChunk() {
    return Buffer(static_cast<unsigned char*>(
        VirtualAlloc(nullptr, kChunk, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)));
}

// Kept per thread: two fresh megabytes per file cost more than reading a
// small file does.
unsigned char* ThreadBuffer(int which) {
    thread_local Buffer buffers[2] = {AllocateChunk(), AllocateChunk()};
    return buffers[which].get();
}

// A file read as its disk holds it: unbuffered, whole chunks into buffers
// aligned for any sector; through the cache where the volume refuses that
// (some network and third-party file systems), which the reader then says.
class MediaReader {
public:
    bool Open(const std::wstring& path) {
        path_ = ComparisonPath(path);
        file_.reset(g_openForVerify(path_, kMediaReadFlags));
        if (file_ && SectorsFit()) return true;
        if (!file_ && GetLastError() != ERROR_INVALID_PARAMETER &&
            GetLastError() != ERROR_NOT_SUPPORTED)
            return false;
        return OpenCached();
    }
    bool Read(unsigned char* buffer, DWORD& got) {
        if (ReadFile(file_.get(), buffer, kChunk, &got, nullptr)) {
            started_ = true;
            return true;
        }
        // A volume may take the unbuffered open and refuse its reads.
        if (cached_ || started_ || GetLastError() != ERROR_INVALID_PARAMETER || !OpenCached())
            return false;
        return Read(buffer, got);
    }
    bool cached() const { return cached_; }

private:
    // Unbuffered reads need buffers aligned to the sector, and lengths in
    // whole sectors. A system without the storage query (before Windows 8)
    // has sectors of 512 or 4096 bytes.
    bool SectorsFit() const {
        FILE_STORAGE_INFO storage{};
        if (!GetFileInformationByHandleEx(file_.get(), FileStorageInfo, &storage, sizeof(storage)))
            return true;
        ULONG sector =
            std::max(storage.LogicalBytesPerSector, storage.PhysicalBytesPerSectorForPerformance);
        return sector == 0 || kBufferAlignment % sector == 0;
    }
    bool OpenCached() {
        cached_ = true;
        file_.reset(g_openForVerify(path_, FILE_FLAG_SEQUENTIAL_SCAN));
        return static_cast<bool>(file_);
    }
    std::wstring path_;
    UniqueFile file_;
    bool cached_ = false;
    bool started_ = false;
};

// A walk of the job's sources against the destination: compares each file,
// or only hashes its copy; on the pipeline's workers when it has one, each
// file reported here in the walk's order.
struct TreeWalk {
    VerifyResult& result;
    std::vector<HashLine>* hashes;
    const std::wstring& root;
    bool compare;
    bool reports = true;  // the progress is the calling thread's own
    FilePipeline* pipeline = nullptr;
    size_t inFlight = 0;  // files the pipeline may hold before one is reported

    // One file; false when the hook asked to stop.
    bool File(const std::wstring& src, const std::wstring& dst) {
        if (!pipeline) return Report(dst, ReadFilePair(src, dst, compare, hashes != nullptr));
        pipeline->Submit(src, dst);
        return Drain(inFlight);
    }
    // Reports finished files until no more than keep are pending.
    bool Drain(size_t keep = 0) {
        if (pipeline && !result.aborted)
            pipeline->ReportUntil(keep,
                                  [this](const std::wstring& dst, const FileOutcome& outcome) {
                                      return Report(dst, outcome);
                                  });
        return !result.aborted;
    }
    bool Report(const std::wstring& dst, const FileOutcome& outcome) {
        if (compare) {
            ++result.compared;
            if (!outcome.same) {
                ++result.differing;
                AddSample(result, dst);
            }
        }
        if (outcome.hashed && hashes) hashes->push_back({HashListPath(root, dst), outcome.digest});
        if (outcome.cached) ++result.cachedFiles;
        if (reports && !CountVerifiedBytes(outcome.bytes)) result.aborted = true;
        return !result.aborted;
    }
    // A difference the walk itself finds comes after the files before it.
    void Difference(const std::wstring& sample) {
        if (!compare || !Drain()) return;
        ++result.differing;
        AddSample(result, sample);
    }

    // A source folder that cannot be listed is a difference: what it holds
    // was never compared, so the copy cannot be called identical.
    void Folder(const std::wstring& src, const std::wstring& dst) {
        if (result.aborted) return;
        WalkTree(
            src,
            [&](const WalkEntry& entry) {
                std::wstring d = Join(dst, entry.relative);
                if (!entry.isFolder())
                    return File(entry.path, d) ? WalkNext::Continue : WalkNext::Stop;
                DWORD attributes = GetFileAttributesW(ComparisonPath(d).c_str());
                if (attributes != INVALID_FILE_ATTRIBUTES &&
                    (attributes & FILE_ATTRIBUTE_DIRECTORY))
                    return WalkNext::Continue;
                Difference(d + Tr(L"（目标里没这个目录）"));
                return WalkNext::SkipFolder;
            },
            [&](const std::wstring& path, const std::wstring&) {
                Difference(path + Tr(L"（源目录读不了）"));
                return WalkNext::Continue;
            });
    }

    void Items(const std::vector<SourceItem>& items) {
        for (const SourceItem& item : items) {
            if (result.aborted) break;
            // A retried item lands in its own folder.
            std::wstring target = !item.landsIn.empty() ? SourceTarget(item, root)
                                  : item.isFolder       ? Join(root, item.folderName)
                                                        : Join(root, item.fileName);
            if (item.isFolder) Folder(item.path, target);
            else File(item.path, target);
        }
        Drain();
    }
};

// Workers as the engine has them: one where a rotating disk takes part.
VerifyResult WalkItems(const std::vector<SourceItem>& items, const std::wstring& destination,
                       std::vector<HashLine>* hashes, bool compare) {
    VerifyResult result;
    std::wstring root = TrimSeparators(destination);
    std::vector<std::wstring> sources;
    sources.reserve(items.size());
    for (const SourceItem& item : items) sources.push_back(item.path);
    int workers = ThreadCountFor(sources, root);
    std::optional<FilePipeline> pipeline;
    if (workers > 1) pipeline.emplace(workers, compare, hashes != nullptr);
    TreeWalk walk{result,
                  hashes,
                  root,
                  compare,
                  true,
                  pipeline ? &*pipeline : nullptr,
                  2 * static_cast<size_t>(workers)};
    walk.Items(items);
    return result;
}

}  // namespace

VerifyOpener g_openForVerify = OpenFileForVerify;

bool CountVerifiedBytes(uint64_t bytes) {
    VerifiedBytes += bytes;
    return !VerifyProgressHook || VerifyProgressHook(VerifiedBytes);
}

void AddSample(VerifyResult& result, std::wstring sample) {
    if (result.samples.size() < kVerifySamples) result.samples.push_back(std::move(sample));
}

// The joins keep the paths as the user sees them, which doubles the separator
// after a drive root (D:\\x). The long-path form is taken literally by the
// system, so such runs are collapsed before the prefix goes on.
std::wstring ComparisonPath(const std::wstring& path) { return LongPath(CollapseSeparators(path)); }

bool SameFile(const std::wstring& src, const std::wstring& dst, uint64_t& bytes,
              FileReading* reading) {
    WIN32_FILE_ATTRIBUTE_DATA srcData, dstData;
    if (!GetFileAttributesExW(ComparisonPath(src).c_str(), GetFileExInfoStandard, &srcData))
        return false;
    if (!GetFileAttributesExW(ComparisonPath(dst).c_str(), GetFileExInfoStandard, &dstData))
        return false;
    bytes = FileSize(srcData);
    if (FileSize(dstData) != bytes) return false;
    MediaReader srcFile, dstFile;
    bool opened = srcFile.Open(src) && dstFile.Open(dst);
    if (reading) reading->cached = srcFile.cached() || dstFile.cached();
    if (!opened) return false;
    unsigned char *srcBuffer = ThreadBuffer(0), *dstBuffer = ThreadBuffer(1);
    if (!srcBuffer || !dstBuffer) return false;
    for (;;) {
        DWORD srcRead = 0, dstRead = 0;
        if (!srcFile.Read(srcBuffer, srcRead) || !dstFile.Read(dstBuffer, dstRead)) return false;
        if (reading) reading->cached = srcFile.cached() || dstFile.cached();
        if (srcRead != dstRead) return false;
        if (srcRead == 0) return true;
        if (std::memcmp(srcBuffer, dstBuffer, srcRead) != 0) return false;
        if (reading && reading->hash) reading->hash->Add(dstBuffer, dstRead);
    }
}

bool HashFile(const std::wstring& path, Sha256Digest& digest, FileReading* reading) {
    FileReading unused;
    if (!reading) reading = &unused;
    MediaReader file;
    unsigned char* buffer = ThreadBuffer(0);
    Sha256 hash;
    if (!buffer || !file.Open(path)) return false;
    for (;;) {
        DWORD got = 0;
        if (!file.Read(buffer, got)) return false;
        reading->cached = file.cached();
        reading->bytes += got;
        if (got == 0) return hash.Finish(digest);
        hash.Add(buffer, got);
    }
}

std::wstring HashListPath(const std::wstring& folder, const std::wstring& path) {
    std::wstring root = CollapseSeparators(TrimSeparators(folder)), full = CollapseSeparators(path);
    if (!root.empty() && root.back() != L'\\') root += L'\\';
    if (full.size() <= root.size() || CompareNames(full.substr(0, root.size()), root) != 0)
        return {};
    std::wstring relative = full.substr(root.size());
    std::replace(relative.begin(), relative.end(), L'\\', L'/');
    return relative;
}

VerifyResult VerifyTree(const std::vector<SourceItem>& items, const std::wstring& destination,
                        std::vector<HashLine>* hashes) {
    return WalkItems(items, destination, hashes, true);
}

std::vector<HashLine> HashTree(const std::vector<SourceItem>& items,
                               const std::wstring& destination) {
    std::vector<HashLine> hashes;
    WalkItems(items, destination, &hashes, false);
    return hashes;
}

bool MoveVerification::Confirms(const std::wstring& source, const std::wstring& target) {
    FileOutcome outcome = ReadFilePair(source, target, compare_, hash_);
    bool confirmed = compare_ ? outcome.same && (!hash_ || outcome.hashed) : outcome.hashed;
    std::lock_guard<std::mutex> lock(mutex_);
    if (compare_) ++result_.compared;
    if (outcome.cached) ++result_.cachedFiles;
    if (!confirmed) {
        ++result_.differing;
        AddSample(result_, target);
        JobLog(compare_ ? L"校验对不上, 源留着 %s" : L"复制后读不了目标, 源留着 %s",
               source.c_str());
        return false;
    }
    if (hash_) hashes_.push_back({HashListPath(destination_, target), outcome.digest});
    return true;
}

// A rename moved no bytes: there is nothing to compare, only to hash. A
// folder renamed whole is the moved one: all its files are the job's.
void MoveVerification::Renamed(const std::wstring& target) {
    if (!hash_) return;
    DWORD attributes = GetFileAttributesW(ComparisonPath(target).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    VerifyResult unused;
    std::vector<HashLine> lines;
    TreeWalk walk{unused, &lines, destination_, false, false};
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) walk.Folder(target, target);
    else walk.File(target, target);
    std::lock_guard<std::mutex> lock(mutex_);
    for (HashLine& line : lines) hashes_.push_back(std::move(line));
}

VerifyResult MoveVerification::Result() {
    std::lock_guard<std::mutex> lock(mutex_);
    return result_;
}

std::vector<HashLine> MoveVerification::TakeHashes() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::move(hashes_);
}

}  // namespace zrw
