// Times the native engine on one source, or only its planning.
//   bench_engine copy <source> <destination root>   (ZRW_WORKERS forces the workers)
//   bench_engine move-by-copy [--verify] <source> <destination root>   a move
//       with every rename refused, as across volumes: the copy-and-delete
//       path; --verify compares each copy with its source before the source goes
//   bench_engine plan <source>
//   bench_engine checks <source> <destination root>   what a job adds before its first byte
#include "engine/conflicts.h"
#include "engine/copyfile.h"
#include "engine/driver.h"
#include "engine/preflight.h"
#include "engine/scan.h"
#include "verify/verify.h"

#include <psapi.h>

#include <cstdio>
#include <cwchar>

namespace {

uint64_t WorkingSet(bool peak) {
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof(pmc);
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof(pmc))) return 0;
    return peak ? pmc.PeakWorkingSetSize : pmc.WorkingSetSize;
}

// The copy-and-delete path of a move, whatever the volumes.
BOOL WINAPI RefuseRename(LPCWSTR, LPCWSTR, DWORD) {
    SetLastError(ERROR_NOT_SAME_DEVICE);
    return FALSE;
}

int Run(const wchar_t* source, const wchar_t* destination, bool move) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    uint64_t start = GetTickCount64();
    int32_t result =
        zrw::RunEngine({source}, destination, move, std::wstring(temp) + L"zrw-bench.log");
    double secs = static_cast<double>(GetTickCount64() - start) / 1000.0;
    std::printf("engine secs=%.3f result=%d\n", secs, result);
    std::fflush(stdout);
    return result;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 3 && std::wcscmp(argv[1], L"plan") == 0) {
        uint64_t base = WorkingSet(false);
        uint64_t start = GetTickCount64();
        zrw::CopyPlan plan = zrw::BuildPlan({argv[2]}, L"C:\\unused");
        double secs = static_cast<double>(GetTickCount64() - start) / 1000.0;
        uint64_t peak = WorkingSet(true);
        std::printf("plan secs=%.3f files=%llu peak_ws=%llu base_ws=%llu per_file=%.0f\n", secs,
                    static_cast<unsigned long long>(plan.fileCount),
                    static_cast<unsigned long long>(peak), static_cast<unsigned long long>(base),
                    plan.fileCount ? static_cast<double>(peak) / plan.fileCount : 0.0);
        return 0;
    }
    if (argc == 4 && std::wcscmp(argv[1], L"checks") == 0) {
        // What a job adds before its first byte: the conflict classification
        // and the checks of room, FAT and a writable destination.
        zrw::ScanResult scan = zrw::ScanSources({argv[2]});
        uint64_t start = GetTickCount64();
        zrw::ConflictSummary summary = zrw::ClassifyConflicts(scan.items, argv[3]);
        zrw::Preflight checks = zrw::CheckBeforeFirstByte(
            argv[3],
            zrw::BytesToWrite(scan.totalBytes, summary, zrw::ConflictPolicy::Replace, false),
            scan.largeFiles);
        double secs = static_cast<double>(GetTickCount64() - start) / 1000.0;
        std::printf("checks secs=%.3f files=%llu same=%llu clear=%d\n", secs,
                    static_cast<unsigned long long>(scan.totalFiles),
                    static_cast<unsigned long long>(summary.same), checks.Clear() ? 1 : 0);
        return 0;
    }
    if (argc == 4 && std::wcscmp(argv[1], L"copy") == 0) return Run(argv[2], argv[3], false);
    if (argc == 4 && std::wcscmp(argv[1], L"move-by-copy") == 0) {
        zrw::g_rename = RefuseRename;
        return Run(argv[2], argv[3], true);
    }
    if (argc == 5 && std::wcscmp(argv[1], L"move-by-copy") == 0 &&
        std::wcscmp(argv[2], L"--verify") == 0) {
        zrw::g_rename = RefuseRename;
        // As the job layer arms a verified move: compare, no hash list.
        zrw::MoveVerification check(argv[4], true, false);
        zrw::g_copyCheck = &check;
        int result = Run(argv[3], argv[4], true);
        zrw::g_copyCheck = nullptr;
        zrw::VerifyResult verified = check.Result();
        std::printf("verified compared=%llu differing=%llu cached=%llu\n",
                    static_cast<unsigned long long>(verified.compared),
                    static_cast<unsigned long long>(verified.differing),
                    static_cast<unsigned long long>(verified.cachedFiles));
        // A differing copy keeps its source, which the engine alone does
        // not count as a failure.
        return result != 0 ? result : verified.differing > 0 ? 4 : 0;
    }
    std::fwprintf(stderr,
                  L"usage: bench_engine copy|move-by-copy [--verify] <source> "
                  L"<destination> | plan <source>\n");
    return 2;
}
