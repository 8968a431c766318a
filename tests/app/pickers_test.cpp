// The pickers the command line opens when sources or destination are missing.
#include "ui/pickers.h"
#include "app/lang.h"
#include "tests/support/dialogs.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include <thread>

namespace zrw {
namespace {

using test::FoundWindow;

// The pickers run a modal loop on this thread; a second thread plays the user.
class Pickers : public test::IsolatedTest {
protected:
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    }
    void TearDown() override {
        if (user_.joinable()) user_.join();
    }
    // Waits for our own dialog with that caption, then types text (when given)
    // into its file-name box and presses the button.
    void Answer(const std::wstring& caption, const std::wstring& text, int button) {
        user_ = std::thread([this, caption, text, button] {
            found_ = test::WaitForDialog(
                [&](HWND w) { return test::OfThisProcess(w) && test::WindowText(w) == caption; });
            if (!found_.window) return;
            if (!text.empty()) {
                HWND edit = test::FirstChild(found_.window, L"Edit");
                SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
            }
            test::PressButton(found_.window, button);
        });
    }
    std::thread user_;
    FoundWindow found_;
};

TEST_F(Pickers, CancelledFilePickerFailsAndKeepsTheList) {
    std::vector<std::wstring> paths = {L"C:\\earlier"};
    Answer(L"选择要复制/移动的文件（可多选）", L"", IDCANCEL);
    EXPECT_FALSE(PickFiles(nullptr, paths));
    user_.join();
    ASSERT_NE(found_.window, nullptr) << "no file dialog with the Chinese title appeared";
    EXPECT_EQ(paths, std::vector<std::wstring>{L"C:\\earlier"});
}

TEST_F(Pickers, ChosenFileIsAppendedAfterEarlierPaths) {
    std::wstring file = dir / L"数据 1.txt";
    ASSERT_TRUE(test::WriteBytes(file, "x"));
    UiLang = kLangEn;
    std::vector<std::wstring> paths = {L"C:\\earlier"};
    Answer(L"Select files to copy/move (multi-select)", file, IDOK);
    EXPECT_TRUE(PickFiles(nullptr, paths));
    user_.join();
    ASSERT_NE(found_.window, nullptr) << "no file dialog with the English title appeared";
    ASSERT_EQ(paths.size(), 2u);
    EXPECT_EQ(paths[0], L"C:\\earlier");
    EXPECT_EQ(lstrcmpiW(paths[1].c_str(), file.c_str()), 0) << paths[1];
}

TEST_F(Pickers, FolderPickerCarriesTheTitleAndReturnsTheFolder) {
    std::wstring folder = dir / L"目标";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    std::wstring chosen = L"unchanged";
    Answer(L"any title — 任意", folder, IDOK);
    EXPECT_TRUE(PickFolder(nullptr, L"any title — 任意", chosen));
    user_.join();
    ASSERT_NE(found_.window, nullptr) << "no folder dialog with the given title appeared";
    EXPECT_EQ(lstrcmpiW(chosen.c_str(), folder.c_str()), 0) << chosen;
}

TEST_F(Pickers, CancelledFolderPickerFails) {
    std::wstring chosen = L"unchanged";
    Answer(L"选择目标文件夹", L"", IDCANCEL);
    EXPECT_FALSE(PickFolder(nullptr, L"选择目标文件夹", chosen));
    user_.join();
    ASSERT_NE(found_.window, nullptr);
    EXPECT_EQ(chosen, L"unchanged");
}

}  // namespace
}  // namespace zrw
