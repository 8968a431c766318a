// The log folder, UTF-8 files and dumps in it, and the trace log.
#include "app/logdir.h"
#include "base/paths.h"
#include "base/win.h"

#include <algorithm>
#include <atomic>
#include <cstdarg>
#include <cstdio>

namespace zrw {

namespace {

// Decided on first use; relaxed, since racing first calls decide the same value.
std::atomic<int> g_traceSwitch{-1};

}  // namespace

std::wstring TempFolder() {
    wchar_t buffer[MAX_PATH];
    DWORD n = GetTempPathW(MAX_PATH, buffer);
    if (n == 0 || n >= MAX_PATH) return L".";
    return TrimSeparators(std::wstring(buffer, n));
}

std::wstring LogFolder() { return TempFolder() + L"\\zerrow"; }

void EnsureLogFolder() { CreateDirectoryW(LogFolder().c_str(), nullptr); }

std::string ToUtf8(const std::wstring& text) {
    if (text.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

std::wstring FromUtf8(const std::string& text) {
    if (text.empty()) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

bool WriteUtf8File(const std::wstring& path, const std::wstring& text) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    std::string bytes = ToUtf8(text);
    DWORD written = 0;
    return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) != FALSE;
}

bool ReadWholeFile(const std::wstring& path, std::string& bytes, uint64_t maxBytes) {
    UniqueFile file(CreateFileW(LongPath(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size) ||
        static_cast<uint64_t>(size.QuadPart) > maxBytes)
        return false;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    return bytes.empty() ||
           (ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) &&
            read == bytes.size());
}

bool ForEachLine(std::string_view text, const std::function<bool(std::string_view)>& visit) {
    for (size_t start = 0; start < text.size();) {
        size_t end = std::min(text.find('\n', start), text.size());
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!visit(line)) return false;
    }
    return true;
}

int WriteDump(const std::wstring& outFile, const wchar_t* name, const std::wstring& text) {
    EnsureLogFolder();
    std::wstring path = outFile.empty() ? LogFolder() + L"\\" + name : outFile;
    return WriteUtf8File(path, text) ? 0 : 1;
}

// Appends one UTF-8 line, with a byte-order mark when the file is new; the
// file is opened per line so that lines survive a crash.
void TraceLog(const wchar_t* format, ...) {
    int on = g_traceSwitch.load(std::memory_order_relaxed);
    if (on < 0) {
        wchar_t value[8];
        on = GetEnvironmentVariableW(L"ZRW_TRACE", value, 8) != 0 ? 1 : 0;
        g_traceSwitch.store(on, std::memory_order_relaxed);
    }
    if (on == 0) return;
    std::wstring folder = LogFolder();
    CreateDirectoryW(folder.c_str(), nullptr);
    // Shared for writing: processes started together (one per selected item)
    // append to one trace instead of losing each other's lines.
    UniqueFile file(CreateFileW(
        (folder + L"\\trace.txt").c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES,
        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    // An empty file counts as new, as with the text streams' own rule.
    LARGE_INTEGER size{};
    bool isNew = GetFileSizeEx(file.get(), &size) && size.QuadPart == 0;
    wchar_t message[2048];
    va_list args;
    va_start(args, format);
    _vsnwprintf(message, 2047, format, args);
    va_end(args);
    message[2047] = L'\0';
    wchar_t tick[32];
    swprintf(tick, 32, L"%llu ", static_cast<unsigned long long>(GetTickCount64()));
    std::string bytes = (isNew ? std::string("\xEF\xBB\xBF") : std::string()) +
                        ToUtf8(std::wstring(tick) + message + L"\n");
    DWORD written = 0;
    WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace zrw
