// Explorer's classic verbs start one Zerrow per selected item, all at once:
// the user must see one destination picker and get one job.
#include "tests/transfers/helpers.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <set>
#include <thread>

namespace zrw::test {
namespace {

const wchar_t kPickerTitle[] = L"选择目标文件夹（复制到 / 移动到）";

std::set<std::wstring> JobLogNames() {
    std::set<std::wstring> names;
    WIN32_FIND_DATAW fd;
    UniqueFind find(FindFirstFileW((LogFolderPath() + L"\\copy-*.log").c_str(), &fd));
    if (!find) return names;
    do names.insert(fd.cFileName);
    while (FindNextFileW(find.get(), &fd));
    return names;
}

class Gathering : public ::testing::Test {
protected:
    void SetUp() override { DeleteUserKey(L"Software\\Zerrow"); }
    void TearDown() override { DeleteUserKey(L"Software\\Zerrow"); }
    TempDir dir;
};

TEST_F(Gathering, TwentyProcessesOfOneSelectionRunOneJobWithOnePicker) {
    const int kItems = 20;
    std::vector<std::pair<std::wstring, std::string>> expected;
    for (int i = 0; i < kItems; ++i) {
        const std::wstring name = L"f" + std::to_wstring(i) + L".txt";
        ASSERT_TRUE(WriteBytesDeep(dir / (L"src\\" + name), "item " + std::to_string(i)));
        expected.emplace_back(name, "item " + std::to_string(i));
    }
    std::sort(expected.begin(), expected.end());
    ASSERT_TRUE(CreateDirectoryW((dir / L"out").c_str(), nullptr));
    const std::set<std::wstring> logsBefore = JobLogNames();

    // As Explorer does for a selection: one process per item, started in a row.
    std::vector<std::unique_ptr<Background>> zerrows;
    std::set<DWORD> pids;
    for (int i = 0; i < kItems; ++i) {
        zerrows.push_back(std::make_unique<Background>(
            std::vector<std::wstring>{L"copy", dir / (L"src\\f" + std::to_wstring(i) + L".txt")}));
        ASSERT_TRUE(zerrows.back()->started());
        pids.insert(zerrows.back()->pid());
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
    EXPECT_EQ(TreeContents(dir / L"out"), expected);
    std::set<std::wstring> newLogs;
    for (const std::wstring& name : JobLogNames())
        if (!logsBefore.count(name)) newLogs.insert(name);
    EXPECT_EQ(newLogs.size(), 1u);
}

}  // namespace
}  // namespace zrw::test
