// The queue per volume: a job waits while another job of this user reads or
// writes a volume it uses, and then holds those volumes until it ends.
#ifndef ZERROW_JOB_QUEUE_H
#define ZERROW_JOB_QUEUE_H

#include "base/win.h"
#include "job/job.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zrw {

// How long a job gives its place to take volumes that are free before it
// shows that it waits.
inline constexpr DWORD kQuickTurnMs = 200;

// A volume as the queue names it: by the serial number that a handle on the
// path (or on the nearest folder above it that exists) reports, which is the
// same through every drive letter, share or link that leads there; by the
// root of the path where no handle answers.
std::wstring VolumeKey(const std::wstring& path);
// The keys of the volumes of a job's sources and destination, sorted, each once.
std::vector<std::wstring> JobVolumes(const CopyJob& job);
// What a waiting job calls this one: its log's name and its route.
std::wstring JobLabel(const CopyJob& job);
// "waiting for job …", naming the job that holds the volume (… while unknown).
std::wstring WaitingText(const std::wstring& holder, uint32_t lang);

// A job's place in the queue of each of its volumes. A thread of its own
// waits for the turn on each volume in key order (so that two jobs never
// hold one volume each and wait for the other's), holds them once it has
// them all, and lets them go on Leave. A job that ends without letting go
// (a crash) leaves its volumes to the next job at once. Jobs share a queue
// when they share a log folder: those of one user.
class QueuePlace {
public:
    QueuePlace();
    ~QueuePlace();
    QueuePlace(const QueuePlace&) = delete;
    QueuePlace& operator=(const QueuePlace&) = delete;

    // Takes a place behind the jobs already there; a place that cannot be
    // made holds nothing back. Leaves any earlier place first.
    void Join(const std::vector<std::wstring>& volumes, const std::wstring& label);
    // True once the job holds every volume (at once when it joined none);
    // waits up to timeoutMs for that.
    bool WaitReady(DWORD timeoutMs) const;
    bool Ready() const { return WaitReady(0); }
    // The label of the job that holds the volume this one waits for; empty
    // when none is known or nothing is waited for.
    std::wstring Holder() const;
    void Leave();

private:
    struct State;
    std::unique_ptr<State> state_;
};

// A command-line job's wait for its turn: on the console when silent, else
// in a dialog that offers "Start now" and Cancel. Joins the place first;
// with --no-queue, or when the dialog cannot be shown, the job goes at once
// and still holds its volumes once its turn comes. False when the user
// cancelled the job while it waited.
bool AwaitTurn(CopyJob& job, QueuePlace& place);

}  // namespace zrw

#endif
