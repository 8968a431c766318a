// Explorer's classic verbs start one Zerrow per selected item, all at once:
// the user must see one destination picker and get one job.
#include "tests/transfers/helpers.h"

#include <atomic>
#include <memory>
#include <set>
#include <thread>

namespace zrw::test {
namespace {

const wchar_t kPickerTitle[] = L"选择目标文件夹（复制到 / 移动到）";

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
            FoundWindow picker = WaitForDialog(
                [&](HWND w) {
                    DWORD pid = 0;
                    GetWindowThreadProcessId(w, &pid);
                    return pids.count(pid) && !pickers.count(w) && WindowText(w) == kPickerTitle;
                },
                500);
            if (!picker.window) continue;
            pickers.insert(picker.window);
            if (pickers.size() > 1) continue;
            const std::wstring out = dir / L"out";
            SendMessageW(FirstChild(picker.window, L"Edit"), WM_SETTEXT, 0,
                         reinterpret_cast<LPARAM>(out.c_str()));
            PressButton(picker.window, IDOK);
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

}  // namespace
}  // namespace zrw::test
