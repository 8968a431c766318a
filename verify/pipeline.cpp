// Comparisons on worker threads: a tree of small files is compared as fast
// as its files can be opened side by side, not one after the other.
#include "verify/pipeline.h"

namespace zrw {

FileOutcome ReadFilePair(const std::wstring& src, const std::wstring& dst, bool compare,
                         bool hash) {
    FileOutcome outcome;
    Sha256 digest;
    FileReading reading{hash ? &digest : nullptr};
    if (compare) {
        outcome.same = SameFile(src, dst, outcome.bytes, &reading);
        outcome.hashed = outcome.same && hash && digest.Finish(outcome.digest);
    } else {
        reading.hash = nullptr;
        outcome.hashed = HashFile(dst, outcome.digest, &reading);
        outcome.bytes = reading.bytes;
    }
    outcome.cached = reading.cached;
    return outcome;
}

FilePipeline::FilePipeline(int workers, bool compare, bool hash) : compare_(compare), hash_(hash) {
    for (int i = 0; i < workers; ++i) workers_.emplace_back([this] { Work(); });
}

FilePipeline::~FilePipeline() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    for (std::thread& worker : workers_) worker.join();
}

void FilePipeline::Submit(std::wstring src, std::wstring dst) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        tasks_.push_back({std::move(src), std::move(dst), {}, false});
    }
    changed_.notify_all();
}

size_t FilePipeline::Pending() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return tasks_.size();
}

bool FilePipeline::Next(std::wstring& dst, FileOutcome& outcome) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (tasks_.empty()) return false;
    changed_.wait(lock, [&] { return tasks_.front().done; });
    dst = std::move(tasks_.front().dst);
    outcome = tasks_.front().outcome;
    tasks_.pop_front();
    ++first_;
    return true;
}

// A task stays where it is until it is reported, and a deque keeps its
// elements in place as others are added: the worker may hold it unlocked.
void FilePipeline::Work() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return stopping_ || nextToStart_ < first_ + tasks_.size(); });
        if (stopping_) return;
        Task& task = tasks_[nextToStart_++ - first_];
        lock.unlock();
        FileOutcome outcome = ReadFilePair(task.src, task.dst, compare_, hash_);
        lock.lock();
        task.outcome = outcome;
        task.done = true;
        changed_.notify_all();
    }
}

}  // namespace zrw
