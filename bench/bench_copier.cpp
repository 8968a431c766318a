// The yardstick: the least a copier can do through Wine's I/O path. It lists
// the tree, makes the folders, and copies the files with plain
// ReadFile/WriteFile, one open of each side. No metadata, no retries, no
// progress.
//   bench_copier [-t THREADS] <source folder or file> <destination folder>
//   bench_copier [-t THREADS] -r [-u] <folder>...     reads every file once
// THREADS defaults to 8. -u reads as verification does: past the system
// cache, 1 MiB at a time into a buffer aligned for any sector.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Job {
    std::wstring from, to;
};

// An empty "to" lists only (read mode): no folders are made.
void List(const std::wstring& from, const std::wstring& to, std::vector<Job>& jobs) {
    if (!to.empty()) CreateDirectoryW(to.c_str(), nullptr);
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW((from + L"\\*").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..") continue;
        std::wstring target = to.empty() ? to : to + L"\\" + name;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) List(from + L"\\" + name, target, jobs);
        else jobs.push_back({from + L"\\" + name, target});
    } while (FindNextFileW(find, &fd));
    FindClose(find);
}

constexpr DWORD kChunk = 1 << 20;

void CopyOne(const Job& job, char* buffer, DWORD readFlags) {
    HANDLE in = CreateFileW(job.from.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            readFlags, nullptr);
    if (in == INVALID_HANDLE_VALUE) return;
    HANDLE out = job.to.empty() ? INVALID_HANDLE_VALUE
                                : CreateFileW(job.to.c_str(), GENERIC_WRITE, 0, nullptr,
                                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD got = 0, written = 0;
    while (ReadFile(in, buffer, kChunk, &got, nullptr) && got > 0)
        if (out != INVALID_HANDLE_VALUE) WriteFile(out, buffer, got, &written, nullptr);
    if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
    CloseHandle(in);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    int threadCount = 8;
    bool readOnly = false, unbuffered = false;
    int at = 1;
    for (; at < argc && argv[at][0] == L'-'; ++at) {
        if (std::wcscmp(argv[at], L"-r") == 0) readOnly = true;
        else if (std::wcscmp(argv[at], L"-u") == 0) unbuffered = true;
        else if (std::wcscmp(argv[at], L"-t") == 0 && at + 1 < argc)
            threadCount = _wtoi(argv[++at]);
        else return 2;
    }
    // Unbuffered writes would need whole sectors; only reading takes -u.
    if (threadCount < 1 || (unbuffered && !readOnly) || (readOnly ? argc - at < 1 : argc - at != 2))
        return 2;
    DWORD readFlags = FILE_FLAG_SEQUENTIAL_SCAN | (unbuffered ? FILE_FLAG_NO_BUFFERING : 0);
    uint64_t start = GetTickCount64();
    std::vector<Job> jobs;
    if (readOnly) {
        for (; at < argc; ++at) List(argv[at], L"", jobs);
    } else {
        std::wstring from = argv[at], to = argv[at + 1];
        DWORD attributes = GetFileAttributesW(from.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            // A single file lands inside the destination folder, as the program puts it.
            CreateDirectoryW(to.c_str(), nullptr);
            jobs.push_back({from, to + L"\\" + from.substr(from.find_last_of(L"\\/") + 1)});
        } else {
            List(from, to, jobs);
        }
    }
    std::atomic<size_t> next{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < threadCount; ++i)
        threads.emplace_back([&] {
            // VirtualAlloc hands out 64 KiB-aligned blocks, a multiple of
            // every sector size, as unbuffered reads require.
            char* buffer = static_cast<char*>(
                VirtualAlloc(nullptr, kChunk, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
            if (!buffer) return;
            for (size_t k; (k = next++) < jobs.size();) CopyOne(jobs[k], buffer, readFlags);
            VirtualFree(buffer, 0, MEM_RELEASE);
        });
    for (std::thread& t : threads) t.join();
    std::printf("yardstick %s secs=%.3f files=%zu threads=%d unbuffered=%d\n",
                readOnly ? "read" : "copy", static_cast<double>(GetTickCount64() - start) / 1000.0,
                jobs.size(), threadCount, unbuffered ? 1 : 0);
    return 0;
}
