// The job log and console lines, written by every engine run.
#ifndef ZERROW_ENGINE_JOBLOG_H
#define ZERROW_ENGINE_JOBLOG_H

#include <string>

namespace zrw {

// Appends to an existing log, or creates it with a byte-order mark; without
// a log the lines are dropped.
void OpenJobLog(const std::wstring& path);
void CloseJobLog();
// One UTF-8 line, cut at 2047 characters; callable from any thread.
void JobLog(const wchar_t* format, ...);
// One whole UTF-8 line, never cut: for the lines a program reads back.
void JobLogLine(const std::wstring& line);
// One UTF-8 line to standard output, cut at 1023 characters.
void ConsoleLine(const wchar_t* format, ...);

}  // namespace zrw

#endif
