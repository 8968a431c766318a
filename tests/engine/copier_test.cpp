// The chunked copier against CopyFile2's contract.
#include "base/paths.h"
#include "engine/copyfile.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>

#include <vector>

namespace zrw {
namespace {

const HRESULT kAborted = HRESULT_FROM_WIN32(ERROR_REQUEST_ABORTED);

// Records every message; answers with `action` from chunk `actAt` on.
struct Recorder {
    std::vector<uint64_t> chunkSizes;
    std::vector<uint64_t> chunkNumbers;
    size_t actAt = SIZE_MAX;
    COPYFILE2_MESSAGE_ACTION action = COPYFILE2_PROGRESS_CONTINUE;
    BOOL* cancelToSet = nullptr;
};

COPYFILE2_MESSAGE_ACTION CALLBACK Record(const COPYFILE2_MESSAGE* m, PVOID context) {
    auto* r = static_cast<Recorder*>(context);
    if (m->Type != COPYFILE2_CALLBACK_CHUNK_FINISHED) return COPYFILE2_PROGRESS_CONTINUE;
    r->chunkSizes.push_back(m->Info.ChunkFinished.uliChunkSize.QuadPart);
    r->chunkNumbers.push_back(m->Info.ChunkFinished.uliChunkNumber.QuadPart);
    if (r->chunkSizes.size() < r->actAt) return COPYFILE2_PROGRESS_CONTINUE;
    if (r->cancelToSet) *r->cancelToSet = TRUE;
    return r->action;
}

HRESULT Copy(const std::wstring& from, const std::wstring& to, Recorder& r,
             BOOL* cancel = nullptr) {
    COPYFILE2_EXTENDED_PARAMETERS p{};
    p.dwSize = sizeof(p);
    p.pfCancel = cancel;
    p.pProgressRoutine = Record;
    p.pvCallbackContext = &r;
    return ChunkedCopyFile2(LongPath(from).c_str(), LongPath(to).c_str(), &p);
}

DWORD Attributes(const std::wstring& path) { return GetFileAttributesW(LongPath(path).c_str()); }

TEST(ChunkedCopier, CopiesInChunksWithTimeAndAttributes) {
    ASSERT_EQ(sizeof(COPYFILE2_EXTENDED_PARAMETERS), 32u);
    test::TempDir dir;
    std::string data = test::Noise((5u << 19) + 77, 1);  // 2.5 MiB and a bit
    ASSERT_TRUE(test::WriteBytes(dir / L"src.bin", data));
    FILETIME old{0x12345678, 0x01D00000};
    ASSERT_TRUE(test::SetWriteTime(dir / L"src.bin", old));
    ASSERT_TRUE(SetFileAttributesW((dir / L"src.bin").c_str(), FILE_ATTRIBUTE_HIDDEN));
    Recorder r;
    ASSERT_EQ(Copy(dir / L"src.bin", dir / L"dst.bin", r), S_OK);
    EXPECT_EQ(test::ReadBytes(dir / L"dst.bin"), data);
    ASSERT_EQ(r.chunkSizes.size(), 3u);
    EXPECT_EQ(r.chunkSizes[0] + r.chunkSizes[1] + r.chunkSizes[2], data.size());
    EXPECT_EQ(r.chunkNumbers[2], 2u);
    FILETIME got = test::WriteTime(dir / L"dst.bin");
    EXPECT_EQ(CompareFileTime(&got, &old), 0);
    EXPECT_TRUE(Attributes(dir / L"dst.bin") & FILE_ATTRIBUTE_HIDDEN);
}

TEST(ChunkedCopier, OverwritesButRefusesReadOnlyDestinations) {
    test::TempDir dir;
    ASSERT_TRUE(test::WriteBytes(dir / L"src", "short"));
    ASSERT_TRUE(test::WriteBytes(dir / L"dst", std::string(100000, 'o')));
    Recorder r;
    ASSERT_EQ(Copy(dir / L"src", dir / L"dst", r), S_OK);
    EXPECT_EQ(test::ReadBytes(dir / L"dst"), "short");

    ASSERT_TRUE(test::WriteBytes(dir / L"ro", "keep me"));
    ASSERT_TRUE(SetFileAttributesW((dir / L"ro").c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(Copy(dir / L"src", dir / L"ro", r), HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED));
    EXPECT_EQ(test::ReadBytes(dir / L"ro"), "keep me");
    SetFileAttributesW((dir / L"ro").c_str(), FILE_ATTRIBUTE_NORMAL);

    // The same file as source and destination must not be truncated.
    EXPECT_TRUE(FAILED(Copy(dir / L"src", dir / L"src", r)));
    EXPECT_EQ(test::ReadBytes(dir / L"src"), "short");
}

TEST(ChunkedCopier, CancelLeavesNoPartialDestination) {
    test::TempDir dir;
    std::string data = test::Noise(3u << 20, 2);
    ASSERT_TRUE(test::WriteBytes(dir / L"src", data));

    Recorder byRoutine;
    byRoutine.actAt = 1;
    byRoutine.action = COPYFILE2_PROGRESS_CANCEL;
    EXPECT_EQ(Copy(dir / L"src", dir / L"a", byRoutine), kAborted);
    EXPECT_EQ(byRoutine.chunkSizes.size(), 1u);
    EXPECT_FALSE(test::Exists(dir / L"a"));

    // The flag raised by another thread while a copy runs.
    BOOL cancel = FALSE;
    Recorder byFlag;
    byFlag.actAt = 2;
    byFlag.cancelToSet = &cancel;
    EXPECT_EQ(Copy(dir / L"src", dir / L"b", byFlag, &cancel), kAborted);
    EXPECT_EQ(byFlag.chunkSizes.size(), 2u);
    EXPECT_FALSE(test::Exists(dir / L"b"));

    // A cancel raised before the start touches nothing.
    ASSERT_TRUE(test::WriteBytes(dir / L"c", "old"));
    Recorder none;
    EXPECT_EQ(Copy(dir / L"src", dir / L"c", none, &cancel), kAborted);
    EXPECT_TRUE(none.chunkSizes.empty());
    EXPECT_EQ(test::ReadBytes(dir / L"c"), "old");
    EXPECT_EQ(test::ReadBytes(dir / L"src"), data);
}

TEST(ChunkedCopier, ReportsFailuresAsHresults) {
    test::TempDir dir;
    Recorder r;
    EXPECT_EQ(Copy(dir / L"nothing", dir / L"x", r), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    ASSERT_TRUE(test::WriteBytes(dir / L"empty", ""));
    EXPECT_EQ(Copy(dir / L"empty", dir / L"no\\such\\folder", r),
              HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(Copy(dir / L"empty", dir / L"e2", r), S_OK);
    EXPECT_TRUE(r.chunkSizes.empty());
    EXPECT_TRUE(test::Exists(dir / L"e2"));
    COPYFILE2_EXTENDED_PARAMETERS bad{};
    bad.dwSize = 16;
    EXPECT_EQ(ChunkedCopyFile2((dir / L"empty").c_str(), (dir / L"e3").c_str(), &bad),
              E_INVALIDARG);
}

}  // namespace
}  // namespace zrw
