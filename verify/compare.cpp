// Byte-by-byte comparison of source and destination trees.
#include "app/lang.h"
#include "base/paths.h"
#include "base/walk.h"
#include "engine/scan.h"
#include "verify/verify.h"

#include <malloc.h>

#include <cstring>
#include <memory>

namespace zrw {

uint64_t VerifiedBytes = 0;
VerifyHook VerifyProgressHook = nullptr;

namespace {

constexpr size_t kMaxSamples = 5;
constexpr DWORD kChunk = 1048576;

std::wstring Join(const std::wstring& left, const std::wstring& right) {
    return left + L"\\" + right;
}

void AddSample(VerifyResult& result, std::wstring sample) {
    if (result.samples.size() < kMaxSamples) result.samples.push_back(std::move(sample));
}

// One file in the walk; false when the hook asked to stop.
bool CompareFile(const std::wstring& src, const std::wstring& dst, VerifyResult& result) {
    ++result.compared;
    uint64_t bytes = 0;
    if (!SameFile(src, dst, bytes)) {
        ++result.differing;
        AddSample(result, dst);
    }
    VerifiedBytes += bytes;
    if (VerifyProgressHook && !VerifyProgressHook(VerifiedBytes)) result.aborted = true;
    return !result.aborted;
}

struct AlignedFree {
    void operator()(void* p) const { _aligned_free(p); }
};
using Buffer = std::unique_ptr<unsigned char, AlignedFree>;

Buffer AllocateChunk() { return Buffer(static_cast<unsigned char*>(_aligned_malloc(kChunk, 32))); }

UniqueFile OpenForCompare(const std::wstring& path) {
    return UniqueFile(CreateFileW(ComparisonPath(path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

}  // namespace

// The joins keep the paths as the user sees them, which doubles the separator
// after a drive root (D:\\x). The long-path form is taken literally by the
// system, so such runs are collapsed before the prefix goes on.
std::wstring ComparisonPath(const std::wstring& path) { return LongPath(CollapseSeparators(path)); }

bool SameFile(const std::wstring& src, const std::wstring& dst, uint64_t& bytes) {
    WIN32_FILE_ATTRIBUTE_DATA srcData, dstData;
    if (!GetFileAttributesExW(ComparisonPath(src).c_str(), GetFileExInfoStandard, &srcData))
        return false;
    if (!GetFileAttributesExW(ComparisonPath(dst).c_str(), GetFileExInfoStandard, &dstData))
        return false;
    bytes = FileSize(srcData);
    if (FileSize(dstData) != bytes) return false;
    UniqueFile srcFile = OpenForCompare(src);
    if (!srcFile) return false;
    UniqueFile dstFile = OpenForCompare(dst);
    if (!dstFile) return false;
    // Kept per thread: two fresh megabytes per file cost more than reading
    // a small file does.
    thread_local Buffer srcBuffer = AllocateChunk();
    thread_local Buffer dstBuffer = AllocateChunk();
    if (!srcBuffer || !dstBuffer) return false;
    for (;;) {
        DWORD srcRead = 0, dstRead = 0;
        if (!ReadFile(srcFile.get(), srcBuffer.get(), kChunk, &srcRead, nullptr)) return false;
        if (!ReadFile(dstFile.get(), dstBuffer.get(), kChunk, &dstRead, nullptr)) return false;
        if (srcRead != dstRead) return false;
        if (srcRead == 0) return true;
        if (std::memcmp(srcBuffer.get(), dstBuffer.get(), srcRead) != 0) return false;
    }
}

// A source folder that cannot be listed is a difference: what it holds was
// never compared, so the copy cannot be called identical.
void VerifyFolder(const std::wstring& src, const std::wstring& dst, VerifyResult& result) {
    if (result.aborted) return;
    WalkTree(
        src,
        [&](const WalkEntry& entry) {
            std::wstring d = Join(dst, entry.relative);
            if (!entry.isFolder())
                return CompareFile(entry.path, d, result) ? WalkNext::Continue : WalkNext::Stop;
            DWORD attributes = GetFileAttributesW(ComparisonPath(d).c_str());
            if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
                return WalkNext::Continue;
            ++result.differing;
            AddSample(result, d + Tr(L"（目标里没这个目录）"));
            return WalkNext::SkipFolder;
        },
        [&](const std::wstring& path, const std::wstring&) {
            ++result.differing;
            AddSample(result, path + Tr(L"（源目录读不了）"));
            return WalkNext::Continue;
        });
}

VerifyResult VerifyTree(const std::vector<SourceItem>& items, const std::wstring& destination) {
    VerifyResult result;
    std::wstring root = TrimSeparators(destination);
    for (const SourceItem& item : items) {
        if (result.aborted) break;
        if (item.isFolder) VerifyFolder(item.path, Join(root, item.folderName), result);
        else CompareFile(item.path, Join(root, item.fileName), result);
    }
    return result;
}

}  // namespace zrw
