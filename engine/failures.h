// A file that a job could not copy, move or check: what was done, what
// Windows answered, and why in plain words. The job log keeps one machine
// line per failure, which a retry reads back.
#ifndef ZERROW_ENGINE_FAILURES_H
#define ZERROW_ENGINE_FAILURES_H

#include "base/win.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zrw {

enum class FailedStep { Read, Write, CreateFolder, DeleteSource, SetTimes, ListFolder, Check };
// "read", "write", "create-folder", "delete-source", "set-times", "list-folder", "check".
const wchar_t* StepWord(FailedStep step);

struct Failure {
    FailedStep step = FailedStep::Read;
    DWORD error = 0;  // Windows' error code; 0 when the disk showed it, not a call
    std::wstring source;
    std::wstring target;   // where its copy belongs
    std::wstring holders;  // programs that held the file, where Windows could tell
};

// The fields of a machine line of the job log.
std::vector<std::wstring> TabFields(const std::wstring& line);
// "#failed<TAB>step<TAB>error<TAB>source<TAB>target<TAB>holders": no file
// name holds a tab.
std::wstring FailureRecord(const Failure& failure);
bool ParseFailureRecord(const std::wstring& line, Failure& failure);
// The error code an HRESULT carries: its Win32 code, or the whole value.
DWORD ErrorOf(HRESULT hr);
// The cause in plain words, in the interface language: in use (and by whom),
// permission denied, disk full, path too long, file vanished, device not
// ready, or Windows' own text.
std::wstring FailureCause(const Failure& failure, uint32_t lang);
// "Step: cause": one line of a failure list.
std::wstring FailureText(const Failure& failure, uint32_t lang);

// The programs that have a file open, as Windows' Restart Manager names
// them. Replaceable: under Wine no program is ever named.
using HolderFinder = std::wstring (*)(const std::wstring& path);
extern HolderFinder g_findHolders;
bool IsInUseError(DWORD error);

// Writes the record into the job log, with the holders of a file in use.
void RecordFailure(Failure failure);

}  // namespace zrw

#endif
