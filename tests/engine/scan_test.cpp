// The scan of sources and the plan of a native run.
#include "engine/scan.h"
#include "base/paths.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>

namespace zrw {
namespace {

TEST(ScanSources, FilesFoldersAndMissingSources) {
    test::TempDir dir;
    ASSERT_TRUE(test::WriteBytesDeep(dir / L"src\\a.txt", "12345"));
    ASSERT_TRUE(test::WriteBytesDeep(dir / L"src\\sub\\b.txt", "123"));
    ASSERT_TRUE(test::WriteBytes(dir / L"single.bin", std::string(700, 'z')));
    ScanResult r = ScanSources({dir / L"src\\\\", dir / L"missing", dir / L"single.bin"});
    ASSERT_EQ(r.items.size(), 2u);
    EXPECT_EQ(r.items[0].path, dir / L"src");
    EXPECT_EQ(r.items[0].folderName, L"src");
    EXPECT_TRUE(r.items[0].fileName.empty());
    EXPECT_TRUE(r.items[0].isFolder);
    EXPECT_EQ(r.items[0].bytes, 8u);
    EXPECT_EQ(r.items[0].files, 2u);
    EXPECT_EQ(r.items[1].fileName, L"single.bin");
    EXPECT_TRUE(r.items[1].folderName.empty());
    EXPECT_FALSE(r.items[1].isFolder);
    EXPECT_EQ(r.items[1].bytes, 700u);
    EXPECT_EQ(r.items[1].files, 1u);
    EXPECT_EQ(r.totalBytes, 708u);
    EXPECT_EQ(r.totalFiles, 3u);
}

TEST(ScanSources, DriveRootIsNotCounted) {
    ScanResult r = ScanSources({L"C:\\"});
    ASSERT_EQ(r.items.size(), 1u);
    EXPECT_TRUE(r.items[0].isFolder);
    EXPECT_TRUE(r.items[0].folderName.empty());
    EXPECT_EQ(r.items[0].files, 0u);
    EXPECT_EQ(r.totalBytes, 0u);
}

// The walk keeps its own stack: no depth is left out of the count or the plan.
TEST(Planning, ThreeHundredLevelsAreScannedAndPlannedCompletely) {
    test::TempDir dir;
    test::WriteDeepTree(dir / L"src", (dir / L"src").size() + 2 * 300, L"d");  // 300 levels named d
    ScanResult scan = ScanSources({dir / L"src"});
    ASSERT_EQ(scan.items.size(), 1u);
    EXPECT_EQ(scan.totalFiles, 300u);
    EXPECT_EQ(scan.totalBytes, 75150u);  // 100 + level bytes on levels 1 to 300
    CopyPlan plan = BuildPlan({dir / L"src"}, dir / L"dst");
    EXPECT_EQ(plan.fileCount, 300u);
    EXPECT_EQ(plan.tasks.size(), 300u);
    EXPECT_EQ(plan.totalBytes, 75150u);
    ASSERT_EQ(plan.folders.size(), 301u);
    // Depth-first pre-order: each folder right after its parent.
    for (size_t i = 1; i < plan.folders.size(); ++i) {
        EXPECT_EQ(PathParent(plan.folders[i].source), plan.folders[i - 1].source);
        EXPECT_EQ(PathParent(plan.folders[i].destination), plan.folders[i - 1].destination);
    }
    EXPECT_EQ(plan.folders[0].destination, dir / L"dst\\src");
}

TEST(Planning, WalkOrderAttributesAndTrailingSeparators) {
    test::TempDir dir;
    ASSERT_TRUE(test::WriteBytesDeep(dir / L"src\\a\\x.txt", "xx"));
    ASSERT_TRUE(test::WriteBytesDeep(dir / L"src\\b\\y.txt", "yyy"));
    ASSERT_TRUE(test::WriteBytesDeep(dir / L"src\\top.txt", "t"));
    ASSERT_TRUE(
        SetFileAttributesW(LongPath(dir / L"src\\top.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    CreateDirectoryW((dir / L"src\\empty").c_str(), nullptr);
    CopyPlan plan = BuildPlan({dir / L"src\\"}, dir / L"out");
    CopyPlan same = BuildPlan({dir / L"src"}, dir / L"out");
    ASSERT_EQ(plan.folders.size(), 4u);
    ASSERT_EQ(plan.tasks.size(), 3u);
    ASSERT_EQ(same.tasks.size(), 3u);
    for (size_t i = 0; i < plan.tasks.size(); ++i) {
        EXPECT_EQ(plan.tasks[i].source, same.tasks[i].source);
        EXPECT_EQ(plan.tasks[i].destination, same.tasks[i].destination);
    }
    // Every task follows the folder pair of its own folder.
    for (const FileTask& t : plan.tasks) {
        EXPECT_EQ(t.destination.substr(0, (dir / L"out\\src").size()), dir / L"out\\src");
        EXPECT_EQ(PathName(t.source), PathName(t.destination));
        if (PathName(t.source) == L"top.txt") {
            EXPECT_TRUE(t.attributes & FILE_ATTRIBUTE_READONLY);
            EXPECT_EQ(t.size, 1u);
        }
    }
    SetFileAttributesW(LongPath(dir / L"src\\top.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(Planning, EmptyFolderFileSourceAndMissingSource) {
    test::TempDir dir;
    CreateDirectoryW((dir / L"empty").c_str(), nullptr);
    ASSERT_TRUE(test::WriteBytes(dir / L"one.dat", "1234"));
    CopyPlan plan = BuildPlan({dir / L"empty", dir / L"gone", dir / L"one.dat"}, dir / L"to");
    ASSERT_EQ(plan.folders.size(), 1u);
    EXPECT_EQ(plan.folders[0].destination, dir / L"to\\empty");
    ASSERT_EQ(plan.tasks.size(), 1u);
    EXPECT_EQ(plan.tasks[0].destination, dir / L"to\\one.dat");
    EXPECT_EQ(plan.tasks[0].size, 4u);
    EXPECT_EQ(plan.totalBytes, 4u);
}

TEST(ScanSources, LongPathsWithCjkNamesAreCountedCompletely) {
    test::TempDir dir;
    std::wstring src = dir / L"源文件夹";
    std::vector<std::wstring> files = test::WriteDeepTree(src, 300);
    ScanResult r = ScanSources({src});
    EXPECT_EQ(r.totalFiles, files.size());
    EXPECT_EQ(r.totalBytes, test::DeepTreeBytes(files.size()));

    // A source whose own path is past the limit is still found.
    std::wstring folder = PathParent(files.back());
    ASSERT_GE(folder.size(), 300u);
    ScanResult deep = ScanSources({folder});
    ASSERT_EQ(deep.items.size(), 1u);
    EXPECT_EQ(deep.items[0].path, folder);
    EXPECT_EQ(deep.items[0].files, 1u);
    ScanResult deepFile = ScanSources({files.back()});
    ASSERT_EQ(deepFile.items.size(), 1u);
    EXPECT_EQ(deepFile.items[0].bytes, 100 + files.size());
}

}  // namespace
}  // namespace zrw
