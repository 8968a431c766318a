// One file's copy or move: skip rule, times, attributes, retries, renames.
#include "app/lang.h"
#include "base/paths.h"
#include "engine/copyfile.h"
#include "engine/driver.h"
#include "engine/failures.h"
#include "engine/joblog.h"
#include "engine/scan.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>

namespace zrw {
namespace {

using test::ResetStats;

FileTask TaskFor(const std::wstring& source, const std::wstring& destination) {
    WIN32_FILE_ATTRIBUTE_DATA d{};
    EXPECT_TRUE(GetFileAttributesExW(LongPath(source).c_str(), GetFileExInfoStandard, &d));
    return {source, destination, FileSize(d), d.dwFileAttributes, d.ftLastWriteTime};
}

// Each test keeps its own job log and reads back exactly what was written.
class CopyOneFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetStats();
        g_moveJob = false;
        g_renameMoves = false;
        OpenJobLog(dir / L"job.log");
    }
    void TearDown() override {
        CloseJobLog();
        g_moveJob = false;
        g_coarseTimes = false;
    }
    std::string LogLines() {
        CloseJobLog();
        std::string log = test::ReadBytes(dir / L"job.log");
        EXPECT_EQ(log.substr(0, 3), "\xEF\xBB\xBF");
        return test::WithoutRecords(log.substr(3));
    }
    test::TempDir dir;
};

TEST_F(CopyOneFileTest, SkipsOnSizeAndTimeOnly) {
    ASSERT_TRUE(test::WriteBytes(dir / L"s.txt", "source!"));
    ASSERT_TRUE(test::WriteBytes(dir / L"d.txt", "other!!"));
    FILETIME t{0x11111111, 0x01D80000};
    ASSERT_TRUE(test::SetWriteTime(dir / L"s.txt", t));
    ASSERT_TRUE(test::SetWriteTime(dir / L"d.txt", t));
    CopyOneFile(TaskFor(dir / L"s.txt", dir / L"d.txt"));
    EXPECT_EQ(test::ReadBytes(dir / L"d.txt"), "other!!");
    EXPECT_EQ(g_stats.filesSkipped.load(), 1u);
    EXPECT_EQ(g_stats.filesCopied.load(), 0u);
    EXPECT_EQ(g_stats.bytesDone.load(), 7u);

    // Newer but of another size: overwritten, and the source's time carried.
    ASSERT_TRUE(test::WriteBytes(dir / L"d.txt", "newer and longer"));
    CopyOneFile(TaskFor(dir / L"s.txt", dir / L"d.txt"));
    EXPECT_EQ(test::ReadBytes(dir / L"d.txt"), "source!");
    EXPECT_EQ(g_stats.filesCopied.load(), 1u);
    FileTask copied = TaskFor(dir / L"d.txt", dir / L"unused");
    EXPECT_EQ(copied.lastWrite.dwLowDateTime, t.dwLowDateTime);
    EXPECT_EQ(copied.lastWrite.dwHighDateTime, t.dwHighDateTime);
    // The job log names the replaced file with its old size.
    EXPECT_EQ(LogLines().rfind("替换 " + test::WideToUtf8(dir / L"d.txt") + " (旧的 16 字节, ", 0),
              0u);
}

TEST_F(CopyOneFileTest, ReadOnlyDestinationIsReplacedAndSourceAttributesKept) {
    ASSERT_TRUE(test::WriteBytes(dir / L"s.txt", "fresh"));
    ASSERT_TRUE(SetFileAttributesW((dir / L"s.txt").c_str(),
                                   FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
    ASSERT_TRUE(test::WriteBytesDeep(dir / L"out\\s.txt", "stale content"));
    ASSERT_TRUE(SetFileAttributesW((dir / L"out\\s.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    CopyOneFile(TaskFor(dir / L"s.txt", dir / L"out\\s.txt"));
    EXPECT_EQ(test::ReadBytes(dir / L"out\\s.txt"), "fresh");
    EXPECT_EQ(g_stats.filesCopied.load(), 1u);
    EXPECT_EQ(g_stats.filesFailed.load(), 0u);
    EXPECT_TRUE(GetFileAttributesW((dir / L"out\\s.txt").c_str()) & FILE_ATTRIBUTE_READONLY);
    SetFileAttributesW((dir / L"s.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    SetFileAttributesW((dir / L"out\\s.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

struct Times {
    FILETIME created{}, accessed{}, written{};
    bool operator==(const Times& o) const {
        return CompareFileTime(&created, &o.created) == 0 &&
               CompareFileTime(&accessed, &o.accessed) == 0 &&
               CompareFileTime(&written, &o.written) == 0;
    }
};

Times TimesOf(const std::wstring& path) {
    Times t;
    UniqueFile f = OpenForAttributes(path, FILE_READ_ATTRIBUTES);
    EXPECT_TRUE(f && GetFileTime(f.get(), &t.created, &t.accessed, &t.written));
    return t;
}

// The times go on through the copy's own handle before its read-only bit
// does. Reading the source may move its access time, so the copy is compared
// with the source as it is afterwards.
TEST_F(CopyOneFileTest, AReadOnlySourceGivesAReadOnlyCopyWithItsTimes) {
    ASSERT_TRUE(test::WriteBytes(dir / L"ro.txt", "times"));
    Times set{{0x12345678, 0x01D00000}, {0x23456789, 0x01D10000}, {0x3456789A, 0x01D20000}};
    {
        UniqueFile f = OpenForAttributes(dir / L"ro.txt", FILE_WRITE_ATTRIBUTES);
        ASSERT_TRUE(f && SetFileTime(f.get(), &set.created, &set.accessed, &set.written));
    }
    ASSERT_TRUE(SetFileAttributesW((dir / L"ro.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    CopyOneFile(TaskFor(dir / L"ro.txt", dir / L"copy.txt"), false);
    Times copy = TimesOf(dir / L"copy.txt");
    EXPECT_EQ(CompareFileTime(&copy.written, &set.written), 0);
    EXPECT_TRUE(copy == TimesOf(dir / L"ro.txt"));
    DWORD attributes = GetFileAttributesW((dir / L"copy.txt").c_str());
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(attributes, GetFileAttributesW((dir / L"ro.txt").c_str()));
    EXPECT_EQ(test::ReadBytes(dir / L"copy.txt"), "times");
    SetFileAttributesW((dir / L"ro.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    SetFileAttributesW((dir / L"copy.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(CopyOneFileTest, MovesReadOnlySourcesAndCreatesFolders) {
    g_moveJob = true;
    ASSERT_TRUE(test::WriteBytes(dir / L"ro.txt", "moving"));
    ASSERT_TRUE(SetFileAttributesW((dir / L"ro.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    CopyOneFile(TaskFor(dir / L"ro.txt", dir / L"a\\b\\ro.txt"));
    EXPECT_FALSE(test::Exists(dir / L"ro.txt"));
    EXPECT_EQ(test::ReadBytes(dir / L"a\\b\\ro.txt"), "moving");
    EXPECT_EQ(g_stats.filesCopied.load(), 1u);
    EXPECT_EQ(g_stats.filesFailed.load(), 0u);
    SetFileAttributesW((dir / L"a\\b\\ro.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(LogLines(), "");
}

TEST_F(CopyOneFileTest, LockedMoveSourceIsCopiedCountedTwiceAndLogged) {
    g_moveJob = true;
    std::wstring source = dir / L"锁定 😀.txt";
    ASSERT_TRUE(test::WriteBytes(source, "held"));
    FileTask task = TaskFor(source, dir / L"out.txt");
    UniqueFile held(CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    CopyOneFile(task);
    held.reset();
    EXPECT_EQ(test::ReadBytes(dir / L"out.txt"), "held");
    EXPECT_TRUE(test::Exists(source));
    EXPECT_EQ(g_stats.filesCopied.load(), 1u);
    EXPECT_EQ(g_stats.filesFailed.load(), 1u);
    EXPECT_EQ(LogLines(), "移动失败(已复制但删不掉源) " + test::WideToUtf8(source) + "\n");
}

TEST_F(CopyOneFileTest, FailureLineCarriesTheLastHresult) {
    FileTask task{dir / L"vanished.bin", dir / L"to.bin", 5, FILE_ATTRIBUTE_ARCHIVE, {}};
    CopyOneFile(task);
    EXPECT_EQ(g_stats.filesFailed.load(), 1u);
    EXPECT_EQ(g_stats.filesCopied.load(), 0u);
    EXPECT_FALSE(test::Exists(dir / L"to.bin"));
    EXPECT_EQ(LogLines(), "失败 0x80070002  " + test::WideToUtf8(task.source) + "\n");
}

TEST_F(CopyOneFileTest, CancelFailsWithTheAbortResult) {
    ASSERT_TRUE(test::WriteBytes(dir / L"big", std::string(3 << 20, 'b')));
    g_stats.cancel = true;
    g_stats.userCancel = TRUE;
    CopyOneFile(TaskFor(dir / L"big", dir / L"copy"));
    EXPECT_FALSE(test::Exists(dir / L"copy"));
    EXPECT_EQ(g_stats.filesFailed.load(), 1u);
    EXPECT_EQ(LogLines(), "失败 0x800704D3  " + test::WideToUtf8(dir / L"big") + "\n");
}

// CopyOneFile on a thread of its own.
UniqueHandle CopyOnAThread(FileTask& task) {
    return UniqueHandle(CreateThread(
        nullptr, 0,
        [](void* p) -> DWORD {
            CopyOneFile(*static_cast<FileTask*>(p));
            return 0;
        },
        &task, 0, nullptr));
}

TEST_F(CopyOneFileTest, PauseHoldsACopyUntilResumed) {
    ASSERT_TRUE(test::WriteBytes(dir / L"big", std::string(3 << 20, 'p')));
    FileTask task = TaskFor(dir / L"big", dir / L"copy");
    g_stats.pause = true;
    UniqueHandle worker = CopyOnAThread(task);
    ASSERT_TRUE(worker);
    // The same copy, outside the engine's pause: once it is done, the held one would have been.
    COPYFILE2_EXTENDED_PARAMETERS twin{};
    twin.dwSize = sizeof(twin);
    ASSERT_EQ(
        ChunkedCopyFile2(LongPath(dir / L"big").c_str(), LongPath(dir / L"twin").c_str(), &twin),
        S_OK);
    EXPECT_EQ(WaitForSingleObject(worker.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_LE(g_stats.bytesDone.load(), 1u << 20);  // stopped within one chunk
    g_stats.pause = false;
    EXPECT_EQ(WaitForSingleObject(worker.get(), 10000), WAIT_OBJECT_0);
    EXPECT_EQ(g_stats.bytesDone.load(), 3u << 20);
    EXPECT_EQ(test::ReadBytes(dir / L"copy").size(), 3u << 20);
}

// An overwrite goes through a temporary beside the old file: cancelled half
// way, it leaves the old version whole and no temporary behind.
TEST_F(CopyOneFileTest, ACancelledOverwriteKeepsTheOldVersion) {
    ASSERT_TRUE(test::WriteBytes(dir / L"big", std::string(3 << 20, 'n')));
    ASSERT_TRUE(test::WriteBytesDeep(dir / L"out\\old.bin", "the old version"));
    FileTask task = TaskFor(dir / L"big", dir / L"out\\old.bin");
    g_stats.pause = true;  // the copy stops after its first chunk
    UniqueHandle worker = CopyOnAThread(task);
    ASSERT_TRUE(worker);
    test::WaitUntil([&] { return test::TreeContents(dir / L"out").size() >= 2; }, 10000);
    size_t duringCopy = test::TreeContents(dir / L"out").size();
    g_stats.cancel = true;
    g_stats.userCancel = TRUE;
    ASSERT_EQ(WaitForSingleObject(worker.get(), 10000), WAIT_OBJECT_0);
    EXPECT_EQ(duringCopy, 2u);  // the old file and the temporary beside it
    EXPECT_EQ(test::ReadBytes(dir / L"out\\old.bin"), "the old version");
    EXPECT_EQ(test::TreeContents(dir / L"out").size(), 1u);  // no temporary left
    EXPECT_EQ(g_stats.filesFailed.load(), 1u);
}

// A move does not trust size and time: the source's bytes replace a
// look-alike before the source goes.
TEST_F(CopyOneFileTest, AMoveReplacesALookAlikeBeforeDeletingTheSource) {
    ASSERT_TRUE(test::WriteBytes(dir / L"from.txt", "source"));
    ASSERT_TRUE(test::WriteBytes(dir / L"to.txt", "looked"));
    FileTask task = TaskFor(dir / L"from.txt", dir / L"to.txt");
    ASSERT_TRUE(test::SetWriteTime(dir / L"to.txt", task.lastWrite));
    g_moveJob = true;
    CopyOneFile(task);
    EXPECT_EQ(test::ReadBytes(dir / L"to.txt"), "source");
    EXPECT_FALSE(test::Exists(dir / L"from.txt"));
    EXPECT_EQ(g_stats.filesCopied.load(), 1u);
    EXPECT_EQ(g_stats.filesSkipped.load(), 0u);
}

// What an overwrite finds beside its target: the target's temporaries.
std::vector<std::wstring> Temporaries(const std::wstring& folder) {
    std::vector<std::wstring> found;
    for (const std::wstring& name : test::Listing(folder))
        if (name.find(L".~zrw") != std::wstring::npos) found.push_back(name);
    return found;
}

// The seams' stand-ins record what they were asked, in order.
std::vector<std::string> g_calls;

BOOL WINAPI RecordingFlush(HANDLE file) {
    g_calls.push_back("flush");
    return FlushFileBuffers(file);
}

BOOL WINAPI RecordingReplace(LPCWSTR replaced, LPCWSTR replacement, LPCWSTR backup, DWORD flags,
                             LPVOID exclude, LPVOID reserved) {
    g_calls.push_back("replace");
    return ReplaceFileW(replaced, replacement, backup, flags, exclude, reserved);
}

template <DWORD error>
BOOL WINAPI ReplaceFails(LPCWSTR, LPCWSTR, LPCWSTR, DWORD, LPVOID, LPVOID) {
    g_calls.push_back("replace");
    SetLastError(error);
    return FALSE;
}

// An existing file is replaced by a flushed copy through ReplaceFileW; where
// the file system has no replace, by a rename; where the user may write but
// not delete, in place, as the job log says. No temporary stays.
TEST_F(CopyOneFileTest, AnOverwriteIsFlushedThenSwappedInTheBestWayTheVolumeAllows) {
    struct Case {
        Replacer replace;
        std::vector<std::string> calls;
        bool inPlace;
    };
    const Case cases[] = {
        {RecordingReplace, {"flush", "replace"}, false},
        {ReplaceFails<ERROR_NOT_SUPPORTED>, {"flush", "replace"}, false},
        {ReplaceFails<ERROR_ACCESS_DENIED>, {"flush", "replace"}, true},
    };
    test::Replaced<Flusher> flush(g_flushFile, RecordingFlush);
    ASSERT_TRUE(test::WriteBytes(dir / L"new.txt", "the new version"));
    for (const Case& c : cases) {
        test::Replaced<Replacer> replace(g_replaceFile, c.replace);
        g_calls.clear();
        ASSERT_TRUE(test::WriteBytesDeep(dir / L"out\\doc.txt", "old"));
        CopyOneFile(TaskFor(dir / L"new.txt", dir / L"out\\doc.txt"));
        EXPECT_EQ(test::ReadBytes(dir / L"out\\doc.txt"), "the new version");
        EXPECT_EQ(g_calls, c.calls);
        EXPECT_EQ(Temporaries(dir / L"out"), std::vector<std::wstring>{});
    }
    EXPECT_EQ(g_stats.filesCopied.load(), 3u);
    EXPECT_NE(
        LogLines().find("\n就地覆盖(旁边建不了或换不进临时文件, 中途失败会留下不完整的文件) " +
                        test::WideToUtf8(dir / L"out\\doc.txt") + "\n"),
        std::string::npos);
}

BOOL WINAPI FlushFails(HANDLE) {
    SetLastError(ERROR_DEVICE_NOT_CONNECTED);
    return FALSE;
}

// Whatever ends an overwrite early, the old version stays and no temporary
// is left, read-only or not.
TEST_F(CopyOneFileTest, NoTemporarySurvivesAFailedOverwrite) {
    ASSERT_TRUE(test::WriteBytes(dir / L"ro.txt", "read-only source"));
    ASSERT_TRUE(SetFileAttributesW((dir / L"ro.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(test::WriteBytesDeep(dir / L"out\\ro.txt\\inside.txt", "a folder of that name"));
    CopyOneFile(TaskFor(dir / L"ro.txt", dir / L"out\\ro.txt"));
    EXPECT_EQ(test::ReadBytes(dir / L"out\\ro.txt\\inside.txt"), "a folder of that name");
    {
        ASSERT_TRUE(test::WriteBytes(dir / L"out\\doc.txt", "old"));
        test::Replaced<Flusher> flush(g_flushFile, FlushFails);
        CopyOneFile(TaskFor(dir / L"ro.txt", dir / L"out\\doc.txt"));
    }
    {
        test::Replaced<Replacer> replace(g_replaceFile, ReplaceFails<ERROR_SHARING_VIOLATION>);
        CopyOneFile(TaskFor(dir / L"ro.txt", dir / L"out\\doc.txt"));
    }
    EXPECT_EQ(test::ReadBytes(dir / L"out\\doc.txt"), "old");
    EXPECT_EQ(Temporaries(dir / L"out"), std::vector<std::wstring>{});
    EXPECT_EQ(g_stats.filesFailed.load(), 3u);
    SetFileAttributesW((dir / L"ro.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

// A crash leaves a temporary named after its target; the next copy to that
// target removes it, and nothing else that only looks alike.
TEST_F(CopyOneFileTest, TheNextOverwriteReclaimsItsTargetsTemporaries) {
    ASSERT_TRUE(test::WriteBytes(dir / L"new.txt", "new"));
    ASSERT_TRUE(test::WriteBytesDeep(dir / L"out\\doc.txt", "old"));
    const std::wstring stale = TemporaryName(L"doc.txt", 0x0000abcd);
    for (const std::wstring& name :
         {stale, std::wstring(L"doc.txt.~zrw1234"), std::wstring(L"other.txt.~zrw0000abcd")})
        ASSERT_TRUE(test::WriteBytes(dir / L"out\\" + name, "left over"));
    ASSERT_TRUE(SetFileAttributesW((dir / L"out\\" + stale).c_str(), FILE_ATTRIBUTE_READONLY));
    CopyOneFile(TaskFor(dir / L"new.txt", dir / L"out\\doc.txt"));
    EXPECT_EQ(test::ReadBytes(dir / L"out\\doc.txt"), "new");
    EXPECT_EQ(Temporaries(dir / L"out"),
              (std::vector<std::wstring>{L"doc.txt.~zrw1234", L"other.txt.~zrw0000abcd"}));
    EXPECT_EQ(stale, L"doc.txt.~zrw0000abcd");
}

// Some systems answer a taken name with ERROR_ALREADY_EXISTS: another name is
// taken, and the file that had the first is not this job's to delete.
bool g_temporaryTaken = false;
HRESULT TakenOnce(PCWSTR source, PCWSTR destination, COPYFILE2_EXTENDED_PARAMETERS* params) {
    if (!g_temporaryTaken && wcsstr(destination, L".~zrw")) {
        g_temporaryTaken = true;
        test::WriteBytes(destination, "someone else's");
        return HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS);
    }
    return CopyFileWithProgress(source, destination, params);
}

TEST_F(CopyOneFileTest, ATakenTemporaryNameIsNeverDeleted) {
    g_temporaryTaken = false;
    test::Replaced<FileCopier> copier(g_copyFile, TakenOnce);
    ASSERT_TRUE(test::WriteBytes(dir / L"new.txt", "new"));
    ASSERT_TRUE(test::WriteBytesDeep(dir / L"out\\doc.txt", "old"));
    CopyOneFile(TaskFor(dir / L"new.txt", dir / L"out\\doc.txt"));
    EXPECT_EQ(test::ReadBytes(dir / L"out\\doc.txt"), "new");
    std::vector<std::wstring> left = Temporaries(dir / L"out");
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(test::ReadBytes(dir / L"out\\" + left[0]), "someone else's");
}

// Appended to once it was copied, as a log file is.
HRESULT CopyThenAppend(PCWSTR source, PCWSTR destination, COPYFILE2_EXTENDED_PARAMETERS* params) {
    HRESULT hr = CopyFileWithProgress(source, destination, params);
    test::WriteBytes(source, test::ReadBytes(source) + " and a new line");
    return hr;
}

// A move deletes a source only when its copy reached the disk and the source
// is still what was copied: a copy that cannot be flushed, a source that
// changed meanwhile and a target that is the source under another name
// (a hard link) keep their sources.
TEST_F(CopyOneFileTest, AMoveKeepsEverySourceItCannotProveMoved) {
    g_moveJob = true;
    ASSERT_TRUE(test::WriteBytes(dir / L"a.log", "lines"));
    {
        test::Replaced<Flusher> flush(g_flushFile, FlushFails);
        CopyOneFile(TaskFor(dir / L"a.log", dir / L"out\\a.log"));
    }
    EXPECT_FALSE(test::Exists(dir / L"out\\a.log"));
    {
        test::Replaced<FileCopier> copier(g_copyFile, CopyThenAppend);
        CopyOneFile(TaskFor(dir / L"a.log", dir / L"out\\a.log"));
    }
    EXPECT_EQ(test::ReadBytes(dir / L"a.log"), "lines and a new line");
    EXPECT_EQ(test::ReadBytes(dir / L"out\\a.log"), "lines");

    ASSERT_TRUE(test::WriteBytes(dir / L"one.txt", "one file"));
    ASSERT_TRUE(
        CreateHardLinkW((dir / L"out\\two.txt").c_str(), (dir / L"one.txt").c_str(), nullptr));
    g_renameMoves = true;
    CopyOneFile(TaskFor(dir / L"one.txt", dir / L"out\\two.txt"));
    g_renameMoves = false;
    EXPECT_EQ(test::ReadBytes(dir / L"one.txt"), "one file");
    EXPECT_EQ(test::ReadBytes(dir / L"out\\two.txt"), "one file");

    EXPECT_EQ(g_stats.filesFailed.load(), 3u);
    const std::string a = test::WideToUtf8(dir / L"a.log");
    EXPECT_EQ(LogLines(), "失败 0x8007048F  " + a +
                              "\n源在复制时或复制后变了, 没删(重跑一次会再搬) " + a +
                              "\n目标是源的另一个名字(同一个文件的硬链接), 源留着 " +
                              test::WideToUtf8(dir / L"one.txt") + "\n");
}

std::wstring NamedHolders(const std::wstring&) { return L"Word (WINWORD.EXE)"; }

// A failure is recorded for a retry: its step, Windows' error and, for a file
// in use, the programs that hold it, read back as they were written.
TEST_F(CopyOneFileTest, AFailureIsRecordedWithItsStepErrorAndHolders) {
    test::Replaced<HolderFinder> holders(g_findHolders, NamedHolders);
    ASSERT_TRUE(test::WriteBytes(dir / L"held.docx", "held"));
    UniqueFile held(CreateFileW((dir / L"held.docx").c_str(), GENERIC_READ, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    CopyOneFile(TaskFor(dir / L"held.docx", dir / L"out\\held.docx"));
    CloseJobLog();
    std::string log = test::ReadBytes(dir / L"job.log");
    std::string record = "#failed\tread\t32\t" + test::WideToUtf8(dir / L"held.docx") + "\t" +
                         test::WideToUtf8(dir / L"out\\held.docx") + "\tWord (WINWORD.EXE)\n";
    ASSERT_NE(log.find(record), std::string::npos) << log;
    Failure failure;
    ASSERT_TRUE(ParseFailureRecord(test::Utf8ToWide(record.substr(0, record.size() - 1)), failure));
    EXPECT_EQ(FailureText(failure, kLangEn), L"Read: in use by: Word (WINWORD.EXE)");
    failure.error = ERROR_DISK_FULL;
    failure.step = FailedStep::Write;
    EXPECT_EQ(FailureText(failure, kLangZh), L"写入：磁盘满了");
    EXPECT_FALSE(ParseFailureRecord(L"#failed\tread\tx\ta\tb\t", failure));  // a malformed record
}

// FAT rounds last-write times to 2 seconds: there a second's difference is
// the same time, so a re-run skips instead of copying everything again.
TEST_F(CopyOneFileTest, TimesWithinTwoSecondsMatchOnlyWhereAVolumeRoundsThem) {
    ASSERT_TRUE(test::WriteBytes(dir / L"from.txt", "same size"));
    ASSERT_TRUE(test::WriteBytes(dir / L"to.txt", "SAME SIZE"));
    FileTask task = TaskFor(dir / L"from.txt", dir / L"to.txt");
    FILETIME later = task.lastWrite;
    later.dwLowDateTime += 10'000'000;  // one second, where it cannot carry
    if (later.dwLowDateTime < task.lastWrite.dwLowDateTime) ++later.dwHighDateTime;
    ASSERT_TRUE(test::SetWriteTime(dir / L"to.txt", later));
    g_coarseTimes = true;
    CopyOneFile(task);
    EXPECT_EQ(test::ReadBytes(dir / L"to.txt"), "SAME SIZE");
    EXPECT_EQ(g_stats.filesSkipped.load(), 1u);
    g_coarseTimes = false;
    CopyOneFile(task);
    EXPECT_EQ(test::ReadBytes(dir / L"to.txt"), "same size");

    EXPECT_TRUE(HasTwoSecondTimes(L"FAT32"));
    EXPECT_TRUE(HasTwoSecondTimes(L"FAT"));
    EXPECT_TRUE(HasTwoSecondTimes(L"exFAT"));
    EXPECT_FALSE(HasTwoSecondTimes(L"NTFS"));
    EXPECT_FALSE(HasTwoSecondTimes(L"ReFS"));
    EXPECT_FALSE(SameWriteTime({0, 1}, {30'000'000, 1}, true));  // three seconds apart
    EXPECT_TRUE(SameWriteTime({20'000'000, 1}, {0, 1}, true));
}

// Only what describes the file itself is carried: offline, temporary and
// the like belong to where the source is stored.
TEST(CarriedAttributes, OneMaskForEveryCopy) {
    EXPECT_EQ(CarriedAttributes(0x1000 | 0x100 | 0x2 | 0x20), 0x22u);  // offline, temporary
    EXPECT_EQ(CarriedAttributes(0x10 | 0x400), 0x80u);                 // nothing left: normal
    EXPECT_EQ(CarriedAttributes(0x1 | 0x4 | 0x2000), 0x2005u);
}

}  // namespace
}  // namespace zrw
