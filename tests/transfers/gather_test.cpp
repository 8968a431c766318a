// Explorer's classic verbs start one Zerrow per selected item, all at once:
// the user must see one destination picker and get one job.
#include "app/logdir.h"
#include "tests/transfers/helpers.h"

#include <atomic>
#include <memory>
#include <set>
#include <thread>

namespace zrw::test {
namespace {

const wchar_t kPickerTitle[] = L"选择目标文件夹（复制到 / 移动到）";

DWORD OwnerOf(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

// A destination picker of one of these processes that is not among those seen.
HWND WaitForPicker(const std::set<DWORD>& pids, const std::set<HWND>& seen, DWORD timeoutMs) {
    return WaitForDialog(
               [&](HWND w) {
                   return pids.count(OwnerOf(w)) && !seen.count(w) && WindowText(w) == kPickerTitle;
               },
               timeoutMs)
        .window;
}

// Plays the user at a picker.
void Choose(HWND picker, const std::wstring& folder) {
    SendMessageW(FirstChild(picker, L"Edit"), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(folder.c_str()));
    PressButton(picker, IDOK);
}

using Gathering = ProgramTest;

TEST_F(Gathering, TwentyProcessesOfOneSelectionRunOneJobWithOnePicker) {
    const int kItems = 20;
    WriteFiles(dir / L"src", kItems);
    ASSERT_TRUE(CreateDirectoryW((dir / L"out").c_str(), nullptr));

    // As Explorer does for a selection: one process per item, all started at
    // once (from threads of their own, as a start under Wine takes its time).
    std::vector<std::unique_ptr<Background>> zerrows(kItems);
    std::vector<std::thread> starts;
    for (int i = 0; i < kItems; ++i)
        starts.emplace_back([&, i] {
            zerrows[i] = std::make_unique<Background>(std::vector<std::wstring>{
                L"copy", dir / (L"src\\f" + std::to_wstring(i) + L".bin")});
        });
    for (std::thread& start : starts) start.join();
    std::set<DWORD> pids;
    for (const auto& zerrow : zerrows) {
        ASSERT_TRUE(zerrow->started());
        pids.insert(zerrow->pid());
    }

    // Plays the user: answers the first picker, and counts every picker seen.
    std::atomic<bool> ended{false};
    std::set<HWND> pickers;
    std::thread user([&] {
        while (!ended) {
            HWND picker = WaitForPicker(pids, pickers, 500);
            if (!picker) continue;
            pickers.insert(picker);
            if (pickers.size() == 1) Choose(picker, dir / L"out");
        }
    });
    const ULONGLONG deadline = GetTickCount64() + 120000;
    for (const auto& zerrow : zerrows) {
        const ULONGLONG now = GetTickCount64();
        const DWORD left = now < deadline ? static_cast<DWORD>(deadline - now) : 0;
        EXPECT_EQ(zerrow->Wait(left), 0u) << "pid " << zerrow->pid();
    }
    ended = true;
    user.join();

    EXPECT_EQ(pickers.size(), 1u);
    EXPECT_EQ(TreeContents(dir / L"out"), TreeContents(dir / L"src"));
    EXPECT_EQ(CountFiles(dir / L"out"), 20u);
    EXPECT_EQ(JobLogs().size(), 1u);
}

// The gathering process dies at its picker, after it took the other's paths
// and before their job started: the other process, which handed them over,
// runs them itself.
TEST_F(Gathering, APathHandedToAGathererThatDiesIsRunByItsSender) {
    WriteFiles(dir / L"src", 2);
    ASSERT_TRUE(CreateDirectoryW((dir / L"out").c_str(), nullptr));
    EnvGuard trace(L"ZRW_TRACE", L"1");
    Background first({L"copy", dir / L"src\\f0.bin"}), second({L"copy", dir / L"src\\f1.bin"});
    HWND picker = WaitForPicker({first.pid(), second.pid()}, {}, 60000);
    ASSERT_NE(picker, nullptr);
    const bool firstGathers = OwnerOf(picker) == first.pid();
    Background& sender = firstGathers ? second : first;
    ASSERT_NE(ReadBytes(LogFolder() + L"\\trace.txt").find("gather: +1 paths"), std::string::npos)
        << "the other process did not hand its path over";

    UniqueHandle gatherer(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, OwnerOf(picker)));
    ASSERT_TRUE(gatherer && TerminateProcess(gatherer.get(), 1));
    WaitForSingleObject(gatherer.get(), 10000);
    HWND own = WaitForPicker({sender.pid()}, {}, 30000);
    ASSERT_NE(own, nullptr) << "the sender's path was lost";
    Choose(own, dir / L"out");
    EXPECT_EQ(sender.Wait(60000), 0u);
    const std::wstring theirs = firstGathers ? L"f1.bin" : L"f0.bin";
    EXPECT_EQ(TreeContents(dir / L"out"), (std::vector<std::pair<std::wstring, std::string>>{
                                              {theirs, ReadBytes(dir / L"src\\" + theirs)}}));
    EXPECT_EQ(JobLogs().size(), 1u);
}

}  // namespace
}  // namespace zrw::test
