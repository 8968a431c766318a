// The log folder, UTF-8 files and diagnostic dumps in it, and the trace.
#ifndef ZERROW_APP_LOGDIR_H
#define ZERROW_APP_LOGDIR_H

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace zrw {

std::wstring TempFolder();
std::wstring LogFolder();
void EnsureLogFolder();
bool WriteUtf8File(const std::wstring& path, const std::wstring& text);
// A whole file of at most maxBytes, which others may go on reading and
// writing meanwhile; false when it is larger or cannot be read whole.
bool ReadWholeFile(const std::wstring& path, std::string& bytes, uint64_t maxBytes);
// Each line of text without its end (a line feed, or a carriage return and
// one); visit answers false to stop, and the call then answers false too.
bool ForEachLine(std::string_view text, const std::function<bool(std::string_view)>& visit);
// A diagnostic dump: into outFile, or into the named file of the log folder when
// outFile is empty; 0 when written, else 1.
int WriteDump(const std::wstring& outFile, const wchar_t* name, const std::wstring& text);
std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);
void TraceLog(const wchar_t* format, ...);

}  // namespace zrw

#endif
