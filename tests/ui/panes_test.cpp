// The panes' listings: Explorer's order, compact entries, and a listing on a
// thread of its own that leaves the window usable and gives way to a newer one.
#include "ui/panes.h"
#include "base/walk.h"
#include "tests/support/window_fixture.h"
#include "ui/listing.h"
#include "ui/window.h"

#include <commctrl.h>

#include <atomic>
#include <utility>

namespace zrw::test {
namespace {

WIN32_FIND_DATAW Found(const std::wstring& name, bool folder) {
    WIN32_FIND_DATAW data{};
    data.dwFileAttributes = folder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
    name.copy(data.cFileName, MAX_PATH - 1);
    return data;
}

std::vector<std::wstring> Ordered(const FolderListing& listing) {
    std::vector<std::wstring> names;
    for (uint32_t entry : listing.order) names.emplace_back(listing.NameView(entry));
    return names;
}

TEST(PaneOrder, FoldersFirstThenNamesAsExplorerSortsThem) {
    FolderListing listing;
    const std::pair<const wchar_t*, bool> entries[] = {
        {L"file10.txt", false}, {L"c.txt", false}, {L"b", true},        {L"B.txt", false},
        {L"file2.txt", false},  {L"A", true},      {L"été.txt", false}, {L"File1.txt", false},
    };
    for (const auto& [name, folder] : entries) listing.Add(Found(name, folder));
    listing.OrderFrom(0);
    EXPECT_EQ(Ordered(listing),
              (std::vector<std::wstring>{L"A", L"b", L"B.txt", L"c.txt", L"été.txt", L"File1.txt",
                                         L"file2.txt", L"file10.txt"}));
}

// A listing is ordered batch by batch as it arrives; the result is one sort's,
// and names that compare equal stay in the order they were listed.
TEST(PaneOrder, BatchesMergeIntoTheOrderOfOneSort) {
    FolderListing whole, batched;
    size_t begun = 0;
    for (int i = 0; i < 1000; ++i) {
        std::wstring name = i == 500 ? L"Same.txt"
                            : i == 700
                                ? L"same.txt"
                                : L"n" + std::to_wstring(i * 7919 % 1000) + (i % 3 ? L".txt" : L"");
        whole.Add(Found(name, i % 10 == 0));
        batched.Add(Found(name, i % 10 == 0));
        if (i == 99 || i == 299 || i == 999) {
            batched.OrderFrom(begun);
            begun = batched.entries.size();
        }
    }
    whole.OrderFrom(0);
    EXPECT_EQ(batched.order, whole.order);
    std::vector<std::wstring> names = Ordered(batched);
    auto upper = std::find(names.begin(), names.end(), L"Same.txt");
    auto lower = std::find(names.begin(), names.end(), L"same.txt");
    EXPECT_EQ(lower - upper, 1);
}

TEST(PaneListing, AtMost200BytesPerEntry) {
    FolderListing listing;
    for (int i = 0; i < 10000; ++i) {
        wchar_t name[32];
        swprintf(name, 32, L"IMG_20260305_%06d.jpg", i);
        listing.Add(Found(name, false));
    }
    listing.OrderFrom(0);
    listing.Trim();
    EXPECT_LE(listing.Bytes(), 200u * 10000);
}

// The listing reader holds its stallAt-th call, on whichever thread lists,
// until released.
std::atomic<int> g_calls{0};
int g_stallAt = 0;
HANDLE g_stalled = nullptr;
HANDLE g_release = nullptr;
std::atomic<DWORD> g_stalledThread{0};

BOOL WINAPI StallingNext(HANDLE find, WIN32_FIND_DATAW* data) {
    if (++g_calls == g_stallAt) {
        g_stalledThread = GetCurrentThreadId();
        SetEvent(g_stalled);
        WaitForSingleObject(g_release, INFINITE);
    }
    return FindNextFileW(find, data);
}

class StalledReader : NoCopy {
public:
    explicit StalledReader(int stallAt)
        : stalled_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
          release_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        g_calls = 0;
        g_stallAt = stallAt;
        g_stalled = stalled_.get();
        g_release = release_.get();
    }
    ~StalledReader() { Release(); }
    bool Stalled() const { return WaitForSingleObject(stalled_.get(), 0) == WAIT_OBJECT_0; }
    DWORD Thread() const { return g_stalledThread; }
    void Release() { SetEvent(release_.get()); }

private:
    UniqueHandle stalled_, release_;
    Replaced<ListingReader> reader_{g_nextEntry, StallingNext};
};

// The row's name as the list has it, without waiting for the listing.
std::wstring NameAt(HWND list, int row) {
    wchar_t text[MAX_PATH] = {};
    ListView_GetItemText(list, row, 0, text, MAX_PATH);
    return text;
}

std::vector<std::wstring> SelectedNames(HWND list) {
    std::vector<std::wstring> names;
    for (int row = ListView_GetNextItem(list, -1, LVNI_SELECTED); row >= 0;
         row = ListView_GetNextItem(list, row, LVNI_SELECTED))
        names.push_back(NameAt(list, row));
    return names;
}

class PaneWhileListing : public MainWindowTest {
protected:
    // Lists dir\big (400 files) in the left pane until the reader holds it,
    // with the first batch shown.
    void ListBigUntilStalled(StalledReader& stall) {
        GoToFolder(true, dir / L"big");
        ASSERT_TRUE(PumpUntil(
            [&] { return stall.Stalled() && ListView_GetItemCount(g_main.leftList) > 1; }, 20000));
        EXPECT_FALSE(PaneListed(g_main.leftList));
    }
    void SetUp() override {
        WriteFiles(dir / L"big", 400);
        Open(dir.path());
    }
};

TEST_F(PaneWhileListing, TheFirstRowsCanBePickedAndScrolledAndStayAsTheRestArrives) {
    HWND list = g_main.leftList;
    StalledReader stall(150);
    ListBigUntilStalled(stall);
    int rows = ListView_GetItemCount(list);
    ASSERT_LT(rows, 401);
    std::wstring picked = NameAt(list, rows / 2);
    ListView_SetItemState(list, rows / 2, LVIS_SELECTED | LVIS_FOCUSED,
                          LVIS_SELECTED | LVIS_FOCUSED);
    PumpMessages();
    EXPECT_EQ(g_main.sourceSelection, std::vector<std::wstring>{dir / (L"big\\" + picked)});
    ListView_EnsureVisible(list, rows - 1, FALSE);
    int top = ListView_GetTopIndex(list);
    ASSERT_GT(top, 0);
    std::wstring atTop = NameAt(list, top);

    stall.Release();
    ASSERT_TRUE(WaitForListing(list));
    std::vector<std::wstring> expected{L".."};
    for (int i = 0; i < 400; ++i) expected.push_back(L"f" + std::to_wstring(i) + L".bin");
    EXPECT_EQ(RowNames(list), expected);
    // The pick and the view follow their entries into the final order.
    EXPECT_EQ(SelectedNames(list), std::vector<std::wstring>{picked});
    EXPECT_EQ(g_main.sourceSelection, std::vector<std::wstring>{dir / (L"big\\" + picked)});
    EXPECT_EQ(NameAt(list, ListView_GetTopIndex(list)), atTop);
    // Typing a name finds its row.
    LVFINDINFOW find{};
    find.flags = LVFI_STRING;
    find.psz = L"F10.BIN";
    EXPECT_EQ(ListView_FindItem(list, -1, &find), 11);
    find.flags = LVFI_PARTIAL;
    find.psz = L"f39";
    EXPECT_EQ(ListView_FindItem(list, -1, &find), 40);
}

TEST_F(PaneWhileListing, ANewerFolderCancelsTheOlderListing) {
    WriteFiles(dir / L"small", 2);
    HWND list = g_main.leftList;
    StalledReader stall(150);
    ListBigUntilStalled(stall);
    GoToFolder(true, dir / L"small");
    const std::vector<std::wstring> small{L"..", L"f0.bin", L"f1.bin"};
    EXPECT_EQ(RowNames(list), small);
    UniqueHandle older(OpenThread(SYNCHRONIZE, FALSE, stall.Thread()));
    ASSERT_TRUE(older);
    stall.Release();
    ASSERT_EQ(WaitForSingleObject(older.get(), 20000), static_cast<DWORD>(WAIT_OBJECT_0));
    // It stopped at its next entry: the small folder's few reads came on
    // top of the held one, not the rest of the big folder's 250.
    EXPECT_LT(g_calls.load(), 170);
    PumpMessages();
    EXPECT_EQ(RowNames(list), small);
    EXPECT_EQ(g_main.leftFolder, dir / L"small");
}

}  // namespace
}  // namespace zrw::test
