// The yardstick: the least a copier can do through Wine's I/O path. It lists
// the tree, makes the folders, and copies the files with 8 threads of plain
// ReadFile/WriteFile. No metadata, no retries, no progress.
//   bench_copier <source folder> <destination folder>
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Job {
    std::wstring from, to;
};

void List(const std::wstring& from, const std::wstring& to, std::vector<Job>& jobs) {
    CreateDirectoryW(to.c_str(), nullptr);
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW((from + L"\\*").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..") continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            List(from + L"\\" + name, to + L"\\" + name, jobs);
        else
            jobs.push_back({from + L"\\" + name, to + L"\\" + name});
    } while (FindNextFileW(find, &fd));
    FindClose(find);
}

void CopyOne(const Job& job, std::vector<char>& buffer) {
    HANDLE in = CreateFileW(job.from.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (in == INVALID_HANDLE_VALUE) return;
    HANDLE out = CreateFileW(job.to.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out != INVALID_HANDLE_VALUE) {
        DWORD got = 0, written = 0;
        while (ReadFile(in, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) &&
               got > 0)
            WriteFile(out, buffer.data(), got, &written, nullptr);
        CloseHandle(out);
    }
    CloseHandle(in);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) return 2;
    uint64_t start = GetTickCount64();
    std::vector<Job> jobs;
    List(argv[1], argv[2], jobs);
    std::atomic<size_t> next{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i)
        threads.emplace_back([&] {
            std::vector<char> buffer(1 << 20);
            for (size_t k; (k = next++) < jobs.size();) CopyOne(jobs[k], buffer);
        });
    for (std::thread& t : threads) t.join();
    std::printf("yardstick secs=%.3f files=%zu\n",
                static_cast<double>(GetTickCount64() - start) / 1000.0, jobs.size());
    return 0;
}
