// Selections gathered from several processes, and path-list files.
#include "app/gather.h"
#include "app/cmdline.h"
#include "app/logdir.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>

namespace zrw {
namespace {

using Args = std::vector<std::wstring>;

TEST(Gathering, OnlyATransferThatWouldAskForItsDestinationGathers) {
    struct Case {
        Args args;
        bool gathers;
    };
    const Case cases[] = {
        {{L"copy", L"D:\\a.txt"}, true},
        {{L"move", L"D:\\a.txt", L"--new-instance"}, true},
        {{L"copy", L"D:\\a.txt", L"--dest", L"E:\\out"}, false},
        {{L"copy", L"D:\\a.txt", L"--silent"}, false},
        {{L"copy", L"--dest", L"E:\\out"}, false},  // the source picker asks
        {{L"copy", L"D:\\a.txt", L"--engine:robo"}, false},
        {{L"copy", L"D:\\a.txt", L"--lang:en"}, false},
        {{L"copy", L"D:\\a.txt", L"--verify"}, false},
        {{L"copy", L"D:\\a.txt", L"--hash"}, false},
        {{L"copy", L"D:\\a.txt", L"--skin", L"2"}, false},
        {{L"copy", L"D:\\a.txt", L"--img", L"p.png"}, false},
        {{L"copy", L"D:\\a.txt", L"--no-queue"}, false},
        {{L"--ui", L"D:\\a.txt"}, false},
        {{L"verify", L"D:\\a.txt"}, false},
        {{L"--dryrun", L"D:\\a.txt"}, false},
    };
    for (const Case& c : cases) {
        std::wstring label;
        for (const std::wstring& a : c.args) label += a + L" ";
        EXPECT_EQ(ShouldGather(ParseCommandLine(c.args)), c.gathers) << test::WideToUtf8(label);
    }
}

TEST(Gathering, PathsTravelAsNulEndedUtf16AndMalformedBlocksAreRefused) {
    const std::wstring packed = PackPaths({L"C:\\a b", L"D:\\数据\\😀"});
    EXPECT_EQ(packed, std::wstring(L"C:\\a b\0D:\\数据\\😀\0", 16));
    Args paths = {L"earlier"};
    ASSERT_TRUE(UnpackPaths(packed.data(), packed.size() * 2, paths));
    EXPECT_EQ(paths, (Args{L"earlier", L"C:\\a b", L"D:\\数据\\😀"}));

    const std::wstring emptyEntry(L"a\0\0", 3);
    const struct {
        const void* data;
        size_t bytes;
        const char* what;
    } bad[] = {
        {nullptr, 4, "no block"},
        {packed.data(), 0, "empty"},
        {packed.data(), packed.size() * 2 - 1, "odd size"},
        {packed.data(), packed.size() * 2 - 2, "no final NUL"},
        {emptyEntry.data(), 6, "an empty path"},
    };
    for (const auto& b : bad) {
        Args kept = {L"earlier"};
        EXPECT_FALSE(UnpackPaths(b.data, b.bytes, kept)) << b.what;
        EXPECT_EQ(kept, Args{L"earlier"}) << b.what;
    }
}

TEST(Gathering, ArrivalsKeepTheirOrderAndAPathCountsOnce) {
    Args sources = {L"C:\\b", L"C:\\a"};
    AppendGathered(sources, {L"C:\\z", L"C:\\a", L"C:\\A", L"C:\\z", L"C:\\c"});
    EXPECT_EQ(sources, (Args{L"C:\\b", L"C:\\a", L"C:\\z", L"C:\\A", L"C:\\c"}));
}

TEST(Gathering, SiblingsCreatedTogetherHoldThePickerBackForAWhile) {
    const ULONGLONG t = 133000000000000000ull;  // process times count 100 ns steps
    EXPECT_TRUE(SameBatch(t, t + 20000000));
    EXPECT_TRUE(SameBatch(t + 20000000, t));
    EXPECT_FALSE(SameBatch(t, t + 20000001));
    EXPECT_FALSE(SameBatch(t + 20000001, t));
    EXPECT_TRUE(KeepGathering(1, 0));
    EXPECT_TRUE(KeepGathering(19, 14999));
    EXPECT_FALSE(KeepGathering(0, 0));
    EXPECT_FALSE(KeepGathering(19, 15000));
}

// Both sides of the hand-over in this process, under a name of the test's own.
class Handover : public ::testing::Test {
protected:
    const std::wstring key_ = L"test-" + std::to_wstring(GetCurrentProcessId());
    HWND WaitForGatherer() {
        const std::wstring name = L"Zerrow.Gather." + key_;
        HWND found = nullptr;
        test::WaitUntil(
            [&] {
                return (found =
                            FindWindowExW(HWND_MESSAGE, nullptr, L"ZerrowGather", name.c_str()));
            },
            10000);
        return found;
    }

    // The gatherer's answer to a block sent by hand: TRUE when it took it.
    static DWORD_PTR Send(HWND window, const std::wstring& block) {
        COPYDATASTRUCT data{0x5A524750, static_cast<DWORD>(block.size() * 2),
                            const_cast<wchar_t*>(block.data())};
        DWORD_PTR accepted = 99;
        SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_BLOCK,
                            5000, &accepted);
        return accepted;
    }
};

// The later process goes only once the gatherer has acknowledged its paths,
// which the gatherer does after its gathering (and its picker).
TEST_F(Handover, ALaterProcessHandsItsFullPathsToTheGatherer) {
    Args gathered = {L"C:\\first"};
    GatherAck ack;
    std::thread gatherer([&] { EXPECT_FALSE(GatherSources(key_, gathered, ack, 2000)); });
    HWND window = WaitForGatherer();
    EXPECT_NE(window, nullptr);
    EXPECT_EQ(Send(window, L"C:\\unterminated"), static_cast<DWORD_PTR>(FALSE));
    EXPECT_EQ(Send(window, std::wstring(L"C:\\by hand\0", 11)), static_cast<DWORD_PTR>(TRUE));

    Args later = {L"C:\\second", L"relative"};
    auto sender = std::async(std::launch::async, [&] {
        GatherAck none;
        return GatherSources(key_, later, none);
    });
    gatherer.join();
    EXPECT_EQ(sender.wait_for(std::chrono::milliseconds(500)), std::future_status::timeout);
    ack.Give();
    EXPECT_TRUE(sender.get());
    wchar_t here[MAX_PATH];
    const std::wstring folder(here, GetCurrentDirectoryW(MAX_PATH, here));
    EXPECT_EQ(gathered,
              (Args{L"C:\\first", L"C:\\by hand", L"C:\\second", folder + L"\\relative"}));
}

// The first process is gone between the mutex check and the hand-over: the
// next one gathers, and takes later arrivals.
TEST_F(Handover, AGathererThatDiedLeavesTheNextOneToGather) {
    UniqueHandle held;
    // Taken and never released: abandoned when the thread ends.
    std::thread([&] {
        held.reset(CreateMutexW(nullptr, TRUE, (L"Local\\Zerrow.Gather." + key_).c_str()));
    }).join();
    ASSERT_TRUE(held);
    Args mine = {L"C:\\mine"};
    std::thread next([&] {
        GatherAck ack;
        EXPECT_FALSE(GatherSources(key_, mine, ack, 2000));
    });
    EXPECT_NE(WaitForGatherer(), nullptr);
    Args later = {L"C:\\later"};
    GatherAck none;
    EXPECT_TRUE(GatherSources(key_, later, none));
    next.join();
    EXPECT_EQ(mine, (Args{L"C:\\mine", L"C:\\later"}));
}

// The list file through Zerrow.exe: its paths become sources, a hand-over
// file of the log folder is deleted once read, the user's own list is kept.
using ListFile = test::ProgramTest;

TEST_F(ListFile, FeedsTheSourcesAndOnlyHandOverFilesAreDeleted) {
    ASSERT_TRUE(test::WriteBytes(dir / L"a.txt", "a"));
    ASSERT_TRUE(test::WriteBytes(dir / L"数据 b.txt", "b"));
    ASSERT_TRUE(test::WriteBytes(dir / L"c.txt", "c"));
    auto utf16 = [](const std::wstring& text) {
        return std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
    };
    EnsureLogFolder();
    const std::wstring own = LogFolder() + L"\\lst-test-" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(
        test::WriteBytes(own, utf16((dir / L"a.txt") + L'\0' + (dir / L"数据 b.txt") + L'\0')));
    const std::wstring users = dir / L"mine.lst";
    ASSERT_TRUE(test::WriteBytes(users, utf16((dir / L"c.txt") + L'\0')));

    test::ProcessResult r = test::RunZerrow(
        {L"copy", L"--list", own, L"--list", users, L"--dest", dir / L"out", L"--silent"});
    EXPECT_EQ(r.exitCode, 0u) << r.err;
    EXPECT_EQ(test::TreeContents(dir / L"out"),
              (std::vector<std::pair<std::wstring, std::string>>{
                  {L"a.txt", "a"}, {L"c.txt", "c"}, {L"数据 b.txt", "b"}}));
    EXPECT_FALSE(test::Exists(own));
    EXPECT_TRUE(test::Exists(users));
    DeleteFileW(own.c_str());

    r = test::RunZerrow(
        {L"copy", L"--list", dir / L"gone.lst", L"--dest", dir / L"out2", L"--silent"});
    EXPECT_EQ(r.exitCode, 2u);
    EXPECT_EQ(r.err,
              test::WideToUtf8(L"读不了路径清单，什么都没动：\n" + (dir / L"gone.lst") + L"\n"));
    EXPECT_FALSE(test::Exists(dir / L"out2"));
}

}  // namespace
}  // namespace zrw
