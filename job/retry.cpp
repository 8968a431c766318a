// A job's record in its log, the log read back, and the retry of what failed.
#include "app/lang.h"
#include "app/logdir.h"
#include "app/process.h"
#include "app/settings.h"
#include "base/paths.h"
#include "engine/joblog.h"
#include "job/job.h"

#include <map>

namespace zrw {

namespace {

constexpr wchar_t kRecordMark[] = L"#job";

std::wstring EngineWord(Engine engine) {
    return engine == Engine::Robocopy ? L"robocopy" : L"native";
}

bool ParseRecord(const std::wstring& line, LoggedJob& logged) {
    std::vector<std::wstring> f = TabFields(line);
    if (f.size() != 7 || f[0] != kRecordMark || (f[1] != L"copy" && f[1] != L"move")) return false;
    std::optional<ConflictPolicy> policy = ParseConflictPolicy(f[3]);
    if (!policy || (f[2] != L"robocopy" && f[2] != L"native") || f[6].empty()) return false;
    logged.recorded = true;
    logged.move = f[1] == L"move";
    logged.engine = f[2] == L"robocopy" ? Engine::Robocopy : Engine::Native;
    logged.conflict = *policy;
    logged.verify = f[4] == L"1";
    logged.hash = f[5] == L"1";
    logged.destination = f[6];
    return true;
}

bool ReadUtf8Lines(const std::wstring& path, std::vector<std::wstring>& lines) {
    std::string bytes;
    if (!ReadWholeFile(path, bytes, 1ull << 30)) return false;
    std::string_view text(bytes);
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    return ForEachLine(text, [&](std::string_view line) {
        lines.push_back(FromUtf8(std::string(line)));
        return true;
    });
}

}  // namespace

std::wstring JobRecord(const CopyJob& job) {
    return std::wstring(kRecordMark) + L"\t" + (job.move ? L"move" : L"copy") + L"\t" +
           EngineWord(JobEngine(job)) + L"\t" + ConflictPolicyWord(job.conflict) + L"\t" +
           (g_settings.verify ? L"1" : L"0") + L"\t" + (g_settings.hash ? L"1" : L"0") + L"\t" +
           job.destination;
}

bool ReadJobLog(const std::wstring& path, LoggedJob& logged) {
    std::vector<std::wstring> lines;
    if (!ReadUtf8Lines(path, lines)) return false;
    std::map<std::wstring, size_t, NameLess> seen;
    for (const std::wstring& line : lines) {
        if (ParseRecord(line, logged)) continue;
        Failure failure;
        if (!ParseFailureRecord(line, failure)) continue;
        // A source recorded twice (its copy, then its folder) is retried once.
        if (seen.emplace(failure.source, logged.failures.size()).second)
            logged.failures.push_back(std::move(failure));
    }
    return true;
}

bool PrepareRetry(const LoggedJob& logged) {
    std::vector<std::wstring> sources;
    std::map<std::wstring, std::wstring, NameLess> folders;
    for (const Failure& failure : logged.failures) {
        sources.push_back(failure.source);
        folders[FullPath(failure.source)] = PathParent(failure.target);
    }
    bool any = ScanJob(sources);
    for (SourceItem& item : g_job.sources) {
        auto folder = folders.find(item.path);
        if (folder != folders.end()) item.landsIn = folder->second;
    }
    PrepareJob(logged.destination, logged.move);
    g_job.engine = logged.engine;
    return any;
}

std::wstring FailureList(const std::vector<Failure>& failures, uint32_t lang, size_t limit) {
    std::wstring list;
    for (size_t i = 0; i < failures.size() && i < limit; ++i)
        list += failures[i].source + L"\r\n    " + FailureText(failures[i], lang) + L"\r\n";
    if (failures.size() > limit) list += L"…\r\n";
    return list;
}

int RunRetry(const std::wstring& logPath, bool silent) {
    LoggedJob logged;
    auto refuse = [&](const wchar_t* text) {
        std::wstring message = Tr(text) + L"\n" + logPath;
        if (silent) WriteStdErr(message + L"\n");
        else MessageBoxW(nullptr, message.c_str(), g_productName.c_str(), MB_OK | MB_ICONERROR);
        return 2;
    };
    if (!ReadJobLog(logPath, logged)) return refuse(L"读不了这个作业日志：");
    if (!logged.recorded) return refuse(L"这个作业日志是旧版本写的，里面没有能重试的记录：");
    if (logged.failures.empty()) {
        ConsoleLine(L"没有失败的文件 %s", logPath.c_str());
        return 0;
    }
    g_settings.verify = logged.verify;
    g_settings.hash = logged.hash;
    bool any = PrepareRetry(logged);
    return RunPreparedJob(any, silent, logged.failures.size(), logged.conflict);
}

}  // namespace zrw
