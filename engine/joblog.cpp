// The job log and the console lines, safe to call from every worker.
#include "engine/joblog.h"
#include "app/logdir.h"
#include "base/paths.h"
#include "base/win.h"

#include <cstdarg>
#include <cstdio>

namespace zrw {

namespace {

struct JobLogState {
    CRITICAL_SECTION lock;
    FILE* file = nullptr;
    JobLogState() { InitializeCriticalSection(&lock); }
};

JobLogState& Log() {
    static JobLogState state;
    return state;
}

class Locked {
public:
    explicit Locked(CRITICAL_SECTION& cs) : cs_(cs) { EnterCriticalSection(&cs_); }
    ~Locked() { LeaveCriticalSection(&cs_); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    CRITICAL_SECTION& cs_;
};

// Formats into a fixed buffer of `size` characters; longer text is cut.
std::wstring FormatCut(size_t size, const wchar_t* format, va_list args) {
    std::wstring buffer(size, L'\0');
    int n = _vsnwprintf(buffer.data(), size - 1, format, args);
    buffer.resize(n < 0 || static_cast<size_t>(n) >= size ? size - 1 : static_cast<size_t>(n));
    return buffer;
}

}  // namespace

void OpenJobLog(const std::wstring& path) {
    CloseJobLog();
    CreateDirectoryW(LongPath(PathParent(path)).c_str(), nullptr);
    std::wstring lp = LongPath(path);
    bool exists = GetFileAttributesW(lp.c_str()) != INVALID_FILE_ATTRIBUTES;
    FILE* file = _wfopen(lp.c_str(), exists ? L"ab" : L"wb");
    if (file && !exists) {
        fwrite("\xEF\xBB\xBF", 1, 3, file);
        fflush(file);
    }
    Locked hold(Log().lock);
    Log().file = file;
}

void CloseJobLog() {
    Locked hold(Log().lock);
    if (Log().file) fclose(Log().file);
    Log().file = nullptr;
}

void JobLog(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    std::wstring text = FormatCut(2048, format, args);
    va_end(args);
    JobLogLine(text);
}

void JobLogLine(const std::wstring& line) {
    std::string bytes = ToUtf8(line + L"\n");
    Locked hold(Log().lock);
    if (!Log().file) return;
    fwrite(bytes.data(), 1, bytes.size(), Log().file);
    fflush(Log().file);
}

// Written straight to the handle: no text-mode translation, and nothing is
// buffered that a crash could lose.
void ConsoleLine(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    std::wstring text = FormatCut(1024, format, args);
    va_end(args);
    std::string bytes = ToUtf8(text + L"\n");
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out == nullptr || out == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace zrw
