// How the queue names a volume.
#include "job/queue.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>

namespace zrw {
namespace {

// A second drive letter for a folder leads to the same volume, and a folder
// yet to be made belongs to the volume of the nearest one above it.
TEST(VolumeKeys, EverySpellingOfAVolumeNamesItOnce) {
    test::MachineLock lock;  // drive letters are the machine's
    test::TempDir dir;
    ASSERT_TRUE(CreateDirectoryW((dir / L"data").c_str(), nullptr));
    test::MappedDrive q(L'Q', dir / L"data");
    ASSERT_TRUE(q.mapped());
    EXPECT_EQ(VolumeKey(L"Q:\\new\\deeper"), VolumeKey(dir / L"data\\new"));
    // Wine's C: and Z: are two volumes.
    EXPECT_NE(VolumeKey(L"C:\\"), VolumeKey(L"Z:\\"));
}

}  // namespace
}  // namespace zrw
