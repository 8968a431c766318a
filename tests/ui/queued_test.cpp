// A transfer of the window behind another job on its disk: it says for which
// job it waits, starts when asked or when its turn comes, and a cancel while
// it waits copies nothing.
#include "job/queue.h"
#include "tests/ui/transfer_fixture.h"
#include "ui/ids.h"
#include "ui/window.h"

namespace zrw::test {
namespace {

class QueuedTransfer : public WindowTransfer {
protected:
    // The window's copy of a small tree, started while holder has the volume.
    void StartBehindHolder() {
        OpenPanes(Engine::Native);
        WriteFiles(Left(L"tree"), 5);
        holder.Join({VolumeKey(Right())}, L"copy-holder (X:\\a → X:\\b)");
        ASSERT_TRUE(holder.WaitReady(5000));
        SelectLeft({L"tree"});
        Press(kIdCopyRight);
        ASSERT_TRUE(PumpTicks(2));
        ASSERT_TRUE(g_main.running);
        EXPECT_FALSE(Exists(Right(L"tree")));
    }
    void ExpectCopied() {
        ASSERT_TRUE(WaitUntilIdle());
        EXPECT_EQ(TreeDigest(Right(L"tree")), TreeDigest(Left(L"tree")));
        EXPECT_TRUE(StartsWith(WindowText(g_main.status), L"已完成 · "))
            << WideToUtf8(WindowText(g_main.status));
        EXPECT_EQ(WindowText(g_main.pauseButton), L"暂停");
    }
    // Whether a job that comes now gets the volume: the window's job let go.
    bool VolumeFree() {
        QueuePlace next;
        next.Join({VolumeKey(Right())}, L"next");
        return next.WaitReady(5000);
    }

    QueuePlace holder;
};

TEST_F(QueuedTransfer, WaitsNamingTheHolderAndStartNowStartsIt) {
    StartBehindHolder();
    EXPECT_EQ(WindowText(g_main.status), L"等待任务 copy-holder (X:\\a → X:\\b)");
    EXPECT_EQ(WindowText(g_main.pauseButton), L"立即开始");
    EXPECT_TRUE(IsWindowEnabled(g_main.pauseButton));
    EXPECT_TRUE(IsWindowEnabled(g_main.cancel));
    EXPECT_FALSE(IsWindowEnabled(g_main.copyRight));
    Press(kIdPause);
    ExpectCopied();
    EXPECT_TRUE(holder.Ready());
    // The place the job kept in the queue went with it.
    holder.Leave();
    EXPECT_TRUE(VolumeFree());
}

TEST_F(QueuedTransfer, StartsOnItsOwnOnceTheHolderHasLeft) {
    StartBehindHolder();
    ASSERT_TRUE(PumpTicks(3));
    EXPECT_FALSE(Exists(Right(L"tree")));
    holder.Leave();
    ExpectCopied();
    EXPECT_TRUE(VolumeFree());
}

TEST_F(QueuedTransfer, CancelWhileWaitingCopiesNothing) {
    StartBehindHolder();
    Press(kIdCancel);
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_TRUE(g_job.cancelled);
    EXPECT_TRUE(StartsWith(WindowText(g_main.status), L"已取消"))
        << WideToUtf8(WindowText(g_main.status));
    EXPECT_FALSE(Exists(Right(L"tree")));
    holder.Leave();
    EXPECT_TRUE(VolumeFree());
}

}  // namespace
}  // namespace zrw::test
